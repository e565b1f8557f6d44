#include "report_output.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

OutBuffer outBuffer;

namespace {

// Room for `count` more bytes, made by writing out what is gathered.
void Reserve(std::size_t count)
{
    if (sizeof outBuffer.bytes - outBuffer.used < count) {
        std::fwrite(outBuffer.bytes, 1, outBuffer.used, stdout);
        outBuffer.used = 0;
    }
}

}  // namespace

void OutSpill(const char* bytes, std::size_t count)
{
    Reserve(count);
    if (count > sizeof outBuffer.bytes) {
        std::fwrite(bytes, 1, count, stdout);
        return;
    }
    std::memcpy(outBuffer.bytes + outBuffer.used, bytes, count);
    outBuffer.used += count;
}

void OutLine(const char* text)
{
    OutText(text);
    OutChar('\n');
}

void OutPadded(const char* text, int width)
{
    const std::size_t length = std::strlen(text);
    OutBytes(text, length);
    for (std::size_t i = length; i < static_cast<std::size_t>(width); ++i) {
        OutChar(' ');
    }
}

namespace {

// The decimal digits of `value`, at the end of `digits`; returns how many.
int Digits(unsigned long long value, char (&digits)[20])
{
    int count = 0;
    do {
        digits[sizeof digits - ++count] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return count;
}

}  // namespace

void OutUnsigned(unsigned long long value)
{
    char digits[20];
    const int count = Digits(value, digits);
    OutBytes(digits + sizeof digits - count, static_cast<std::size_t>(count));
}

void OutRightAligned(unsigned value, int width)
{
    char digits[20];
    const int count = Digits(value, digits);
    for (int i = count; i < width; ++i) {
        OutChar(' ');
    }
    OutBytes(digits + sizeof digits - count, static_cast<std::size_t>(count));
}

void OutHex(unsigned value, int digits)
{
    static const char kHex[] = "0123456789abcdef";
    for (int i = digits - 1; i >= 0; --i) {
        OutChar(kHex[value >> 4 * i & 15]);
    }
}

void OutNumber(long long value)
{
    if (value < 0) {
        OutChar('-');
    }
    // The magnitude of the most negative value too.
    OutUnsigned(value < 0 ? 0 - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value));
}

void OutFormat(const char* format, ...)
{
    constexpr std::size_t kLongest = 512;  // more than any one formatted piece of the report
    Reserve(kLongest);
    va_list arguments;
    va_start(arguments, format);
    // The analyser does not see va_start fill the list in C++.
    const int length = std::vsnprintf(outBuffer.bytes + outBuffer.used, kLongest, format, arguments);  // NOLINT(clang-analyzer-valist.Uninitialized)
    va_end(arguments);
    outBuffer.used += length < 0 ? 0 : length < static_cast<int>(kLongest) ? static_cast<std::size_t>(length) : kLongest - 1;
}

bool OutFlush()
{
    const bool written = std::fwrite(outBuffer.bytes, 1, outBuffer.used, stdout) == outBuffer.used;
    outBuffer.used = 0;
    return std::fflush(stdout) == 0 && written;
}
