#include "dump_parser.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kLinesPerBlock = kBlockSize / 16;
constexpr int kMaxTokens = 40;
const char kSeparator[] = "-----------------------------------------";

struct Text {
    const char* start;
    std::size_t length;
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

Text Trim(const char* text, std::size_t length)
{
    while (length > 0 && (IsBlank(text[length - 1]) || text[length - 1] == '\r')) {
        --length;
    }
    while (length > 0 && IsBlank(*text)) {
        ++text;
        --length;
    }
    return Text{text, length};
}

bool StartsWith(Text text, const char* prefix)
{
    const std::size_t length = std::strlen(prefix);
    return text.length >= length && std::memcmp(text.start, prefix, length) == 0;
}

// Decimal digits only, at most nine of them; -1 otherwise.
long Decimal(const char* text, std::size_t length)
{
    if (length == 0 || length > 9) {
        return -1;
    }
    long value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Ends the block in progress at `line`, which is not one of its lines; a
// block that is not complete is cut short.
void EndBlock(DumpParser& parser, long line)
{
    if (parser.inBlock && !parser.rejected && parser.linesRead < kLinesPerBlock) {
        char message[kMaxMessage];
        std::snprintf(message, sizeof message, "block cut short after %d of its 32 lines", parser.linesRead);
        parser.events.error(parser.events.context, line, parser.block.line, message);
    }
    parser.inBlock = false;
}

// Reports the error that hits the block in progress, which is then skipped.
__attribute__((format(printf, 3, 4))) void Reject(DumpParser& parser, long line, const char* format, ...)
{
    char message[kMaxMessage];
    va_list arguments;
    va_start(arguments, format);
    // The analyser does not see va_start fill the list in C++.
    vsnprintf(message, sizeof message, format, arguments);  // NOLINT(clang-analyzer-valist.Uninitialized)
    va_end(arguments);
    parser.events.error(parser.events.context, line, parser.block.line, message);
    parser.rejected = true;
}

// "DefineDosDevice...GetLastError=N", "CreateFile(PATH)...GetLastError=N" or
// the usage message; the Japanese between them may be Shift-JIS or converted.
bool ReadFailure(Text text, long number, FailureLine& failure)
{
    failure = FailureLine{FailedStep::Usage, "", -1, number};
    if (StartsWith(text, "\x88\xf8\x90\x94") || StartsWith(text, "\xe5\xbc\x95\xe6\x95\xb0")) {
        // 引数に... (Shift-JIS or UTF-8): portdump was not given one argument.
        return true;
    }
    const bool define = StartsWith(text, "DefineDosDevice");
    if (!define && !StartsWith(text, "CreateFile(")) {
        return false;
    }
    static const char kError[] = "GetLastError=";
    const char* end = text.start + text.length;
    const char* at = nullptr;
    for (const char* p = text.start; p + sizeof kError - 1 <= end; ++p) {
        if (std::memcmp(p, kError, sizeof kError - 1) == 0) {
            at = p;
        }
    }
    if (at == nullptr) {
        return false;
    }
    const char* digits = at + sizeof kError - 1;
    failure.error = Decimal(digits, static_cast<std::size_t>(end - digits));
    if (failure.error < 0) {
        return false;
    }
    failure.step = define ? FailedStep::DefineDosDevice : FailedStep::CreateFile;
    if (!define) {
        // The path runs to the last ')' before the message.
        const char* open = text.start + std::strlen("CreateFile(");
        const char* close = at;
        while (close > open && *close != ')') {
            --close;
        }
        const std::size_t length = static_cast<std::size_t>(close - open);
        if (close == open || length >= sizeof failure.path) {
            return false;
        }
        std::memcpy(failure.path, open, length);
        failure.path[length] = '\0';
    }
    return true;
}

// The offset of a dump line ("1f0:"), or -1 when the token is none.
long LineOffset(Text token)
{
    if (token.length < 2 || token.length > 9 || token.start[token.length - 1] != ':') {
        return -1;
    }
    long offset = 0;
    for (std::size_t i = 0; i + 1 < token.length; ++i) {
        const int digit = HexDigit(token.start[i]);
        if (digit < 0) {
            return -1;
        }
        offset = offset * 16 + digit;
    }
    return offset;
}

int Split(Text text, Text (&tokens)[kMaxTokens])
{
    int count = 0;
    std::size_t i = 0;
    while (i < text.length) {
        while (i < text.length && IsBlank(text.start[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < text.length && !IsBlank(text.start[i])) {
            ++i;
        }
        if (i > start) {
            if (count == kMaxTokens) {
                return count + 1;
            }
            tokens[count++] = Text{text.start + start, i - start};
        }
    }
    return count;
}

// Checks the line's 16 pairs and character column and stores its bytes.
void ReadBytes(DumpParser& parser, const Text (&tokens)[kMaxTokens], int count, long offset, long number)
{
    const int pairs = count - 2;  // the offset first, the character column last
    if (count > kMaxTokens) {
        Reject(parser, number, "far more than 16 hex pairs in the line at offset %03lx", offset);
        return;
    }
    if (pairs != 16) {
        Reject(parser, number, "%d hex pairs, not 16, in the line at offset %03lx", pairs < 0 ? 0 : pairs, offset);
        return;
    }
    unsigned char bytes[16];
    for (int i = 0; i < 16; ++i) {
        const Text pair = tokens[1 + i];
        const int high = pair.length == 2 ? HexDigit(pair.start[0]) : -1;
        const int low = pair.length == 2 ? HexDigit(pair.start[1]) : -1;
        if (high < 0 || low < 0) {
            Reject(parser, number, "hex pair %d of the line at offset %03lx is not two hex digits", i + 1, offset);
            return;
        }
        bytes[i] = static_cast<unsigned char>(high * 16 + low);
    }
    const Text characters = tokens[count - 1];
    for (int i = 0; i < 16; ++i) {
        const char shown = std::isalnum(bytes[i]) ? static_cast<char>(bytes[i]) : '.';
        if (characters.length != 16 || characters.start[i] != shown) {
            Reject(parser, number, "the character column does not match the hex pairs (column %d) at offset %03lx",
                   characters.length != 16 ? 0 : i + 1, offset);
            return;
        }
    }
    std::memcpy(parser.block.bytes + offset, bytes, sizeof bytes);
    if (++parser.linesRead == kLinesPerBlock) {
        parser.inBlock = false;
        parser.events.block(parser.events.context, parser.block);
    }
}

void ReadDumpLine(DumpParser& parser, const Text (&tokens)[kMaxTokens], int count, long offset, long number)
{
    if (offset == 0 || !parser.inBlock) {
        EndBlock(parser, number);
        parser.inBlock = true;
        parser.rejected = false;
        parser.linesRead = 0;
        parser.block.port = parser.port;
        parser.block.line = number;
        std::memset(parser.block.bytes, 0, sizeof parser.block.bytes);
    }
    if (parser.rejected) {
        // The rest of a damaged block; its last line ends it.
        parser.inBlock = offset != kBlockSize - 16;
        return;
    }
    const long expected = 16L * parser.linesRead;
    if (offset % 16 != 0 || offset >= kBlockSize) {
        Reject(parser, number, "offset %03lx is not a line of a 512-byte block", offset);
    } else if (offset == expected) {
        ReadBytes(parser, tokens, count, offset, number);
    } else if (offset == expected - 16) {
        Reject(parser, number, "the line at offset %03lx is repeated", offset);
    } else if (offset > expected) {
        Reject(parser, number, "the line at offset %03lx is missing", expected);
    } else {
        Reject(parser, number, "the line at offset %03lx is out of order (line %03lx expected)", offset, expected);
    }
}

}  // namespace

void StartParser(DumpParser& parser, const ParserEvents& events)
{
    parser.events = events;
    parser.inBlock = false;
    parser.rejected = false;
    parser.linesRead = 0;
    parser.port = kNoPort;
}

void ParseLine(DumpParser& parser, const char* raw, std::size_t rawLength, long number)
{
    const Text text = Trim(raw, rawLength);
    if (text.length == 0) {
        return;  // blank lines, even inside a block, as a paste may add them
    }
    Text tokens[kMaxTokens];
    const int count = Split(text, tokens);
    const long offset = LineOffset(tokens[0]);
    if (offset >= 0) {
        ReadDumpLine(parser, tokens, count, offset, number);
        return;
    }

    EndBlock(parser, number);
    FailureLine failure;
    const long port = count == 2 && tokens[0].length == 4 && StartsWith(tokens[0], "Port")
                          ? Decimal(tokens[1].start, tokens[1].length)
                          : -1;
    if (port >= 0 && port <= 65535) {
        parser.port = static_cast<int>(port);
    } else if (text.length == sizeof kSeparator - 1 && StartsWith(text, kSeparator)) {
        parser.port = kNoPort;
    } else if (ReadFailure(text, number, failure)) {
        parser.events.failure(parser.events.context, failure);
    } else {
        parser.events.error(parser.events.context, number, 0, "not a line of portdump's output");
    }
}

void RejectLongLine(DumpParser& parser, long number)
{
    EndBlock(parser, number);
    parser.events.error(parser.events.context, number, 0, "line too long for portdump's output");
}

void FinishInput(DumpParser& parser)
{
    // Cut short by the end of the input: the error names the block's first line.
    EndBlock(parser, parser.block.line);
    parser.port = kNoPort;
}
