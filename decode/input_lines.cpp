#include "input_lines.h"

#include <cstring>

namespace {

// A line that runs over the end of a chunk, gathered without the padding
// around it: one byte more than the parser takes, so that it sees what is
// too long.
struct SplitLine {
    char text[kMaxLineLength + 1];
    std::size_t length;  // what is kept, padding after the text included
    std::size_t end;     // what is kept without that padding
    bool tooLong;
};

void Append(SplitLine& line, const char* bytes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const char c = bytes[i];
        if (line.length == 0 && IsLinePadding(c)) {
            continue;
        }
        if (line.length == sizeof line.text) {
            line.tooLong = line.tooLong || !IsLinePadding(c);
            continue;
        }
        line.text[line.length++] = c;
        line.end = IsLinePadding(c) ? line.end : line.length;
    }
}

void ParseSplitLine(SplitLine& line, DumpParser& parser, LineNumber number)
{
    if (line.tooLong) {
        RejectLongLine(parser, number);
    } else {
        ParseLine(parser, line.text, line.end, number);
    }
    line = SplitLine{};
}

// The first line end at or after `at`: a LF, a CR (alone, as old Macs end
// lines, or before its LF); nullptr when there is none before `end`.
const char* LineEnd(const char* at, const char* end)
{
    const char* newline = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
    const char* before = newline != nullptr ? newline : end;
    const char* cr = static_cast<const char*>(std::memchr(at, '\r', static_cast<std::size_t>(before - at)));
    return cr != nullptr ? cr : newline;
}

}  // namespace

LineNumber ParseInput(TextInput& input, DumpParser& parser)
{
    static char chunk[kTextChunk];
    static SplitLine split;
    split = SplitLine{};
    bool splitting = false;
    bool afterCr = false;  // the last chunk ended in a CR: a LF first in this one ends the same line
    LineNumber number = 0;
    for (std::size_t size; (size = ReadText(input, chunk)) > 0;) {
        const char* at = chunk + (afterCr && chunk[0] == '\n' ? 1 : 0);
        const char* const end = chunk + size;
        afterCr = false;
        while (at < end) {
            const char* newline = LineEnd(at, end);
            const std::size_t length = static_cast<std::size_t>((newline != nullptr ? newline : end) - at);
            if (newline == nullptr || splitting) {
                Append(split, at, length);
                splitting = true;
            }
            if (newline == nullptr) {
                break;
            }
            ++number;
            if (splitting) {
                ParseSplitLine(split, parser, number);
                splitting = false;
            } else {
                ParseLine(parser, at, length, number);
            }
            at = newline + 1;
            if (*newline == '\r' && at < end && *at == '\n') {
                ++at;
            }
            afterCr = *newline == '\r' && at == end;
        }
    }
    if (splitting) {
        // The last line, without a line end.
        ParseSplitLine(split, parser, ++number);
    }
    return number;
}
