#include "utf8.h"

int Utf8Sequence(const unsigned char* text, unsigned& code)
{
    const unsigned lead = text[0];
    int length = 0;
    unsigned least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        least = 0x10000;
    } else {
        return 0;
    }
    code = lead & (0x7Fu >> length);
    for (int i = 1; i < length; ++i) {
        // The terminating NUL fails this test too.
        if ((text[i] & 0xC0) != 0x80) {
            return 0;
        }
        code = code << 6 | (text[i] & 0x3F);
    }
    return code >= least && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF) ? length : 0;
}
