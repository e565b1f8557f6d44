// Text from the input as a terminal may be given it: nothing in it acts on
// the terminal.
#pragma once

#include <cstddef>

// The most bytes ShowText writes for a byte of its text.
constexpr std::size_t kShownBytesPerByte = 4;

// Writes `text` into `out` (room for kShownBytesPerByte times its length and
// a NUL), every byte of a C0 or C1 control, DEL or a bidi override (raw or in
// UTF-8) as \xNN, and with `ascii` (an ATA string) any byte outside ASCII too;
// other characters as the console shows them. Returns the length written.
std::size_t ShowText(const char* text, bool ascii, char* out);

// ShowText of a name, in memory the caller frees; nullptr when there is none.
char* ShownName(const char* name);
