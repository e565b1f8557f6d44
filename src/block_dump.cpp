#include "block_dump.h"

#include "dump_format.h"

#include <cstdio>

void DumpBlock(const unsigned char* data, int length)
{
    static const char kHexDigits[] = "0123456789abcdef";
    // The line as "%03x: %s %s\n" prints it: an offset of three to eight
    // digits, ": ", sixteen "xx " items, a blank, sixteen characters, "\n".
    char line[8 + 2 + kDumpBytesPerLine * 3 + 1 + kDumpBytesPerLine + 1];

    for (int lineStart = 0; lineStart < length; lineStart += kDumpBytesPerLine) {
        const unsigned offset = static_cast<unsigned>(lineStart);
        int digits = 3;
        while (digits < 8 && (offset >> (4 * digits)) != 0) {
            ++digits;
        }
        char* out = line;
        for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
            *out++ = kHexDigits[(offset >> shift) & 0x0F];
        }
        *out++ = ':';
        *out++ = ' ';
        const int count = length - lineStart < kDumpBytesPerLine ? length - lineStart : kDumpBytesPerLine;
        const unsigned char* bytes = data + lineStart;
        for (int i = 0; i < count; ++i) {
            *out++ = kHexDigits[bytes[i] >> 4];
            *out++ = kHexDigits[bytes[i] & 0x0F];
            *out++ = ' ';
        }
        *out++ = ' ';
        for (int i = 0; i < count; ++i) {
            *out++ = DumpCharacter(bytes[i]);
        }
        *out++ = '\n';
        std::fwrite(line, 1, static_cast<std::size_t>(out - line), stdout);
        std::fflush(stdout);
    }
}
