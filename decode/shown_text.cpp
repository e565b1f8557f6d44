#include "shown_text.h"

#include "files_and_console.h"
#include "utf8.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// C0 and C1 controls (CSI, U+009B, starts an escape sequence on xterm), DEL,
// and the bidi embeddings, overrides and isolates that reorder what follows.
bool ActsOnTerminal(unsigned code)
{
    return code < 0x20 || (code >= 0x7F && code <= 0x9F) || (code >= 0x202A && code <= 0x202E) ||
           (code >= 0x2066 && code <= 0x2069);
}

std::size_t Escape(const unsigned char* bytes, int count, char* out)
{
    std::size_t length = 0;
    for (int i = 0; i < count; ++i) {
        length += static_cast<std::size_t>(std::snprintf(out + length, 5, "\\x%02x", bytes[i]));
    }
    return length;
}

}  // namespace

std::size_t ShowText(const char* text, bool ascii, char* out)
{
    std::size_t length = 0;
    const unsigned char* at = reinterpret_cast<const unsigned char*>(text);
    while (*at != '\0') {
        unsigned code = 0;
        int bytes = *at < 0x80 ? 1 : Utf8Sequence(at, code);
        // A byte of no UTF-8 character stands for itself: a raw C1 control acts as one.
        const bool single = bytes <= 1;
        if (single) {
            bytes = 1;
            code = *at;
        }
        if (ActsOnTerminal(code) || (ascii && code >= 0x80)) {
            length += Escape(at, bytes, out + length);
        } else if (single) {
            out[length++] = static_cast<char>(*at);
        } else {
            length += ConsoleCharacter(at, bytes, out + length);
        }
        at += bytes;
    }
    out[length] = '\0';
    return length;
}

char* ShownName(const char* name)
{
    char* shown = static_cast<char*>(std::malloc(kShownBytesPerByte * std::strlen(name) + 1));
    if (shown != nullptr) {
        ShowText(name, false, shown);
    }
    return shown;
}
