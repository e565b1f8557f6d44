#include "input_lines.h"

#include <cstring>

namespace {

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

// The gathered line, handed on; it stays in `lines.split` until the next is
// gathered.
void TakeSplitLine(InputLines& lines, InputLine& line)
{
    line = InputLine{lines.split.text, lines.split.end, ++lines.number, lines.split.tooLong};
    lines.splitting = false;
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

void StartLines(InputLines& lines)
{
    lines.at = lines.end = lines.chunk;
    lines.split = SplitLine{};
    lines.splitting = false;
    lines.afterCr = false;
    lines.number = 0;
}

void TakeChunk(InputLines& lines, std::size_t size)
{
    lines.at = lines.chunk + (lines.afterCr && lines.chunk[0] == '\n' ? 1 : 0);
    lines.end = lines.chunk + size;
    lines.afterCr = false;
}

bool NextLine(InputLines& lines, InputLine& line)
{
    if (lines.at >= lines.end) {
        return false;
    }
    const char* newline = LineEnd(lines.at, lines.end);
    const std::size_t length = static_cast<std::size_t>((newline != nullptr ? newline : lines.end) - lines.at);
    if (newline == nullptr || lines.splitting) {
        if (!lines.splitting) {
            lines.split = SplitLine{};
        }
        Append(lines.split, lines.at, length);
        lines.splitting = true;
    }
    if (newline == nullptr) {
        lines.at = lines.end;
        return false;
    }
    if (lines.splitting) {
        TakeSplitLine(lines, line);
    } else {
        line = InputLine{lines.at, length, ++lines.number, false};
    }
    lines.at = newline + 1;
    if (*newline == '\r' && lines.at < lines.end && *lines.at == '\n') {
        ++lines.at;
    }
    lines.afterCr = *newline == '\r' && lines.at == lines.end;
    return true;
}

bool LastLine(InputLines& lines, InputLine& line)
{
    if (!lines.splitting) {
        return false;
    }
    TakeSplitLine(lines, line);
    return true;
}

const LineFindings& ParseInputLine(DumpParser& parser, const InputLine& line)
{
    return line.tooLong ? RejectLongLine(parser, line.number) : ParseLine(parser, line.text, line.length, line.number);
}
