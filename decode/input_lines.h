// Cuts an input's text into numbered lines for the dump parser: lines of any
// length, any bytes in them (a NUL too); LF, CR LF or CR alone ends.
#pragma once

#include "dump_parser.h"
#include "text_input.h"

// Parses the whole input and returns the number of its last line.
LineNumber ParseInput(TextInput& input, DumpParser& parser);
