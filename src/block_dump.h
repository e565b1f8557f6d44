#pragma once

// Prints `length` bytes from `data` to stdout, sixteen to a line, as offset,
// hexadecimal and character columns. Reads exactly `length` bytes.
void DumpBlock(const unsigned char* data, int length);
