#pragma once

#include "cmd_ide_request.h"

// Asks each of the controller's ports 0 to 3 for its block and dumps every
// answer to stdout; every failure is reported there too.
void QueryController(int controller);
