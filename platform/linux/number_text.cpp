#include "number_text.h"

#include <cstring>

namespace {

int DigitValue(char c, unsigned base)
{
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < static_cast<int>(base) ? value : -1;
}

}  // namespace

bool ParseNumber(const char* text, const char* end, unsigned base, int count, unsigned max, unsigned& value)
{
    if (text == end || (count != 0 && end - text != count)) {
        return false;
    }
    unsigned long long number = 0;
    for (const char* c = text; c != end; ++c) {
        const int digit = DigitValue(*c, base);
        if (digit < 0) {
            return false;
        }
        number = number * base + static_cast<unsigned>(digit);
        if (number > max) {
            return false;
        }
    }
    value = static_cast<unsigned>(number);
    return true;
}

bool ParseDecimal(const char* text, unsigned max, unsigned& value)
{
    return ParseNumber(text, text + std::strlen(text), 10, 0, max, value);
}

bool ParseNumbered(const char* name, const char* prefix, unsigned& number)
{
    const std::size_t length = std::strlen(prefix);
    return std::strncmp(name, prefix, length) == 0 && ParseDecimal(name + length, 999999, number);
}
