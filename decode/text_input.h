// An input's bytes as UTF-8 text, whatever Windows saved it as: a UTF-8 byte
// order mark (Notepad) is dropped, UTF-16 with its byte order mark
// (PowerShell 5.1's "portdump 0 > dump.txt") or without one converted.
#pragma once

#include <cstddef>
#include <cstdio>

constexpr std::size_t kTextChunk = 1 << 14;

enum class Encoding { Unknown, Utf8, Utf16Le, Utf16Be };

struct TextInput {
    std::FILE* file;
    Encoding encoding;  // Unknown until the first bytes are read
    unsigned char raw[kTextChunk];
    std::size_t rawLength;  // UTF-16 bytes read and not yet converted
    unsigned highSurrogate;  // of a pair whose second half is still to come; 0 when none
};

void StartTextInput(TextInput& input, std::FILE* file);
// Up to kTextChunk bytes of the text into `text`; 0 at the end of the input
// or on a read error (ferror tells).
std::size_t ReadText(TextInput& input, char (&text)[kTextChunk]);
