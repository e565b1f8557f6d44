// The report's bytes on their way to standard output, gathered in a buffer
// of our own: a report is many short pieces, each a call into stdio else.
#pragma once

#include <cstddef>
#include <cstring>

// The buffer; its short writes are inline, as a report is mostly those.
struct OutBuffer {
    char bytes[1 << 16];
    std::size_t used;
};
extern OutBuffer outBuffer;

// Writes out what is gathered, and `count` bytes at `bytes` too when they
// would not fit in the buffer; else gathers them after it.
void OutSpill(const char* bytes, std::size_t count);

inline void OutBytes(const char* bytes, std::size_t count)
{
    if (sizeof outBuffer.bytes - outBuffer.used < count) {
        OutSpill(bytes, count);
        return;
    }
    std::memcpy(outBuffer.bytes + outBuffer.used, bytes, count);
    outBuffer.used += count;
}

inline void OutText(const char* text)
{
    OutBytes(text, std::strlen(text));
}

inline void OutChar(char c)
{
    if (outBuffer.used == sizeof outBuffer.bytes) {
        OutSpill(&c, 1);
        return;
    }
    outBuffer.bytes[outBuffer.used++] = c;
}
// `text` and a line end.
void OutLine(const char* text);
// `text` and blanks after it up to `width` bytes.
void OutPadded(const char* text, int width);
void OutNumber(long long value);
void OutUnsigned(unsigned long long value);
// `value` with blanks before it up to `width` bytes.
void OutRightAligned(unsigned value, int width);
// The low `digits` hex digits of `value`, in lower case.
void OutHex(unsigned value, int digits);
__attribute__((format(printf, 1, 2))) void OutFormat(const char* format, ...);
// Hands what is gathered to stdout and flushes it; false on a write error.
bool OutFlush();
