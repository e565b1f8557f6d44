#include "text_input.h"

#include <cstring>

namespace {

constexpr unsigned kReplacement = 0xFFFD;

// Writes `code` as UTF-8 at `out`; returns the bytes written (1 to 4).
std::size_t PutUtf8(unsigned code, char* out)
{
    if (code < 0x80) {
        out[0] = static_cast<char>(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = static_cast<char>(0xC0 | code >> 6);
        out[1] = static_cast<char>(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        out[0] = static_cast<char>(0xE0 | code >> 12);
        out[1] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out[2] = static_cast<char>(0x80 | (code & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | code >> 18);
    out[1] = static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out[2] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out[3] = static_cast<char>(0x80 | (code & 0x3F));
    return 4;
}

// The byte order mark decides; without one, text in UTF-16 shows itself by
// its NULs (every other byte, as ASCII has them), and anything else is taken
// as UTF-8 (or any ASCII-based code page, such as portdump's own Shift-JIS).
void ReadByteOrderMark(TextInput& input)
{
    const std::size_t length = std::fread(input.raw, 1, 4, input.file);
    const unsigned char* b = input.raw;
    std::size_t mark = 0;
    input.encoding = Encoding::Utf8;
    if (length >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        input.encoding = Encoding::Utf16Le;
        mark = 2;
    } else if (length >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        input.encoding = Encoding::Utf16Be;
        mark = 2;
    } else if (length >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        mark = 3;
    } else if (length == 4 && b[0] != 0 && b[1] == 0 && b[2] != 0 && b[3] == 0) {
        input.encoding = Encoding::Utf16Le;
    } else if (length == 4 && b[0] == 0 && b[1] != 0 && b[2] == 0 && b[3] != 0) {
        input.encoding = Encoding::Utf16Be;
    }
    std::memmove(input.raw, input.raw + mark, length - mark);
    input.rawLength = length - mark;
}

// Converts the UTF-16 code units in `raw`; an odd last byte waits for its
// partner. Each unit makes at most three bytes, or six with a high surrogate
// left from before that no low one follows.
std::size_t ConvertUtf16(TextInput& input, char* out)
{
    const bool little = input.encoding == Encoding::Utf16Le;
    std::size_t length = 0;
    std::size_t i = 0;
    for (; i + 1 < input.rawLength; i += 2) {
        const unsigned unit = little ? input.raw[i] | input.raw[i + 1] << 8 : input.raw[i] << 8 | input.raw[i + 1];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (input.highSurrogate != 0 && low) {
            length += PutUtf8(0x10000 + ((input.highSurrogate - 0xD800) << 10) + (unit - 0xDC00), out + length);
            input.highSurrogate = 0;
            continue;
        }
        if (input.highSurrogate != 0) {
            length += PutUtf8(kReplacement, out + length);
            input.highSurrogate = 0;
        }
        if (high) {
            input.highSurrogate = unit;
        } else {
            length += PutUtf8(low ? kReplacement : unit, out + length);
        }
    }
    std::memmove(input.raw, input.raw + i, input.rawLength - i);
    input.rawLength -= i;
    return length;
}

}  // namespace

void StartTextInput(TextInput& input, std::FILE* file)
{
    input.file = file;
    input.encoding = Encoding::Unknown;
    input.rawLength = 0;
    input.highSurrogate = 0;
}

std::size_t ReadText(TextInput& input, char (&text)[kTextChunk])
{
    if (input.encoding == Encoding::Unknown) {
        ReadByteOrderMark(input);
    }
    if (input.encoding == Encoding::Utf8) {
        // The bytes read for a mark that was none come first.
        const std::size_t kept = input.rawLength;
        std::memcpy(text, input.raw, kept);
        input.rawLength = 0;
        return kept + std::fread(text + kept, 1, kTextChunk - kept, input.file);
    }
    // Room for the units read and for a surrogate left over from before.
    constexpr std::size_t kUnitBytes = (kTextChunk - 6) / 3 * 2;
    for (;;) {
        const std::size_t read = std::fread(input.raw + input.rawLength, 1, kUnitBytes - input.rawLength, input.file);
        input.rawLength += read;
        const std::size_t length = ConvertUtf16(input, text);
        if (length > 0) {
            return length;
        }
        if (read == 0) {
            // The end: half a pair, or an odd byte, stands for a character lost.
            const bool lost = input.highSurrogate != 0 || input.rawLength != 0;
            input.highSurrogate = 0;
            input.rawLength = 0;
            return lost ? PutUtf8(kReplacement, text) : 0;
        }
    }
}
