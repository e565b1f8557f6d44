#include "report_output.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

char buffer[1 << 16];
std::size_t used;

// Room for `count` more bytes, made by writing out what is gathered.
void Reserve(std::size_t count)
{
    if (sizeof buffer - used < count) {
        std::fwrite(buffer, 1, used, stdout);
        used = 0;
    }
}

}  // namespace

void OutBytes(const char* bytes, std::size_t count)
{
    Reserve(count);
    if (count > sizeof buffer) {
        std::fwrite(bytes, 1, count, stdout);
        return;
    }
    std::memcpy(buffer + used, bytes, count);
    used += count;
}

void OutText(const char* text)
{
    OutBytes(text, std::strlen(text));
}

void OutChar(char c)
{
    Reserve(1);
    buffer[used++] = c;
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

void OutUnsigned(unsigned long long value)
{
    char digits[20];
    int count = 0;
    do {
        digits[sizeof digits - ++count] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    OutBytes(digits + sizeof digits - count, static_cast<std::size_t>(count));
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
    const int length = std::vsnprintf(buffer + used, kLongest, format, arguments);  // NOLINT(clang-analyzer-valist.Uninitialized)
    va_end(arguments);
    used += length < 0 ? 0 : length < static_cast<int>(kLongest) ? static_cast<std::size_t>(length) : kLongest - 1;
}

bool OutFlush()
{
    const bool written = std::fwrite(buffer, 1, used, stdout) == used;
    used = 0;
    return std::fflush(stdout) == 0 && written;
}
