// The name the JSON report gives an input. Its strings are UTF-8, while on
// Windows a file name comes in the ANSI code page: there it is converted.
#pragma once

// The name lives as long as the program; `path` itself when nothing is to
// convert or the conversion fails.
const char* JsonSourceName(const char* path);
