// Files opened and characters shown as this system has them: inside the
// program names and text are UTF-8.
#pragma once

#include <cstddef>
#include <cstdio>

// The named file opened to read as binary; nullptr, with errno set, when it
// cannot be.
std::FILE* OpenSource(const char* name);

// Writes the character in `utf8` (`length` bytes of valid UTF-8, not ASCII)
// as the console can show it, at most 3 bytes for each of `length`; returns
// the bytes written.
std::size_t ConsoleCharacter(const unsigned char* utf8, int length, char* out);

#ifdef _WIN32
// The arguments, which Windows gives in UTF-16, in UTF-8.
char** Utf8Arguments(int argc, wchar_t** argv);
#endif
