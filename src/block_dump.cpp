#include "block_dump.h"

#include <cctype>
#include <cstdio>

void DumpBlock(const unsigned char* data, int length)
{
    // 16 items of "xx " need 49 bytes, 16 characters need 17; the spare room
    // means a formatted item can never be cut short.
    char hex[100];
    char text[100];
    int hexLength = 0;
    int textLength = 0;
    int lineStart = 0;

    if (length <= 0) {
        return;
    }
    for (int i = 0;; ++i) {
        if ((i >= 16 && i % 16 == 0) || i == length) {
            hex[hexLength] = '\0';
            text[textLength] = '\0';
            std::printf("%03x: %s %s\n", static_cast<unsigned>(lineStart), hex, text);
            hexLength = 0;
            textLength = 0;
            lineStart = i;
            if (i == length) {
                return;
            }
        }
        const int written = std::snprintf(hex + hexLength, sizeof hex - static_cast<unsigned>(hexLength),
                                          "%02x ", static_cast<unsigned>(data[i]));
        if (written < 0 || written >= static_cast<int>(sizeof hex) - hexLength) {
            return;
        }
        hexLength += written;
        // Only ASCII letters and digits: the program never leaves the "C" locale.
        text[textLength++] = std::isalnum(data[i]) ? static_cast<char>(data[i]) : '.';
    }
}
