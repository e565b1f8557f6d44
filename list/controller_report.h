// portdump-list's output: a line a controller, in number order, each
// beginning with the number to give portdump.
#pragma once

#include "controller_list.h"

#include <cstdio>

// Sorts `list` by number and prints it to `out`, or says that no controller
// was found, then a line for each controller no number reaches; what could
// not be read goes to `err`. Returns the exit status:
// 0, or 1 when the system could not be read at all (`readable` false) or
// `out` could not be written.
int ReportControllers(bool readable, ControllerList& list, std::FILE* out, std::FILE* err);
