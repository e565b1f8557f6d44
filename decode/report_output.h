// The report's bytes on their way to standard output, gathered in a buffer
// of our own: a report is many short pieces, each a call into stdio else.
#pragma once

#include <cstddef>

void OutBytes(const char* bytes, std::size_t count);
void OutText(const char* text);
void OutChar(char c);
// `text` and a line end.
void OutLine(const char* text);
// `text` and blanks after it up to `width` bytes.
void OutPadded(const char* text, int width);
void OutNumber(long long value);
void OutUnsigned(unsigned long long value);
__attribute__((format(printf, 1, 2))) void OutFormat(const char* format, ...);
// Hands what is gathered to stdout and flushes it; false on a write error.
bool OutFlush();
