#include "dump_parser.h"

#include "dump_format.h"

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

using Text = std::string_view;

constexpr int kLinesPerBlock = kBlockSize / kDumpBytesPerLine;
constexpr long long kLastOffset = kBlockSize - kDumpBytesPerLine;
constexpr int kMaxTokens = 40;
constexpr Text kSeparator = DUMP_SEPARATOR;
constexpr Text kPortLine = DUMP_PORT_LINE_FORMAT;
constexpr Text kPortWord = kPortLine.substr(0, kPortLine.find(' '));  // "Port"

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

Text Trim(Text text)
{
    while (!text.empty() && IsLinePadding(text.back())) {
        text.remove_suffix(1);
    }
    while (!text.empty() && IsLinePadding(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

// Parts of a text that never reach past its ends (substr would throw).
Text Head(Text text, std::size_t length)
{
    return Text(text.data(), length < text.size() ? length : text.size());
}

Text Tail(Text text, std::size_t from)
{
    return from < text.size() ? Text(text.data() + from, text.size() - from) : Text();
}

bool StartsWith(Text text, Text prefix)
{
    return Head(text, prefix.size()) == prefix;
}

// The whole of `text` as a number in `base` (no sign, no blanks); false when
// it is none or out of the type's range.
template <typename Number>  // unsigned: from_chars takes no sign for it
bool ReadNumber(Text text, Number& value, int base = 10)
{
    const char* end = text.data() + text.size();
    const std::from_chars_result read = std::from_chars(text.data(), end, value, base);
    return !text.empty() && read.ec == std::errc() && read.ptr == end;
}

// The value of each hex digit, 16 for any other byte: a pair costs two
// lookups, where from_chars costs a call (the pairs are most of the input).
struct HexDigits {
    unsigned char value[256];
    constexpr HexDigits() : value()
    {
        for (int c = 0; c < 256; ++c) {
            value[c] = c >= '0' && c <= '9'   ? c - '0'
                       : c >= 'a' && c <= 'f' ? c - 'a' + 10
                       : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                              : 16;
        }
    }
};
constexpr HexDigits kHexDigits;

__attribute__((format(printf, 3, 4))) void Report(DumpParser& parser, LineNumber line, const char* format, ...)
{
    char message[kMaxMessage];
    va_list arguments;
    va_start(arguments, format);
    // The analyser does not see va_start fill the list in C++.
    vsnprintf(message, sizeof message, format, arguments);  // NOLINT(clang-analyzer-valist.Uninitialized)
    va_end(arguments);
    parser.events.error(parser.events.context, line, parser.block.line, message);
}

// Ends the block in progress at `line`, which is not one of its lines; a
// block that is not complete is cut short.
void EndBlock(DumpParser& parser, LineNumber line)
{
    if (parser.inBlock && !parser.rejected && parser.linesRead < kLinesPerBlock) {
        Report(parser, line, "block cut short after %d of its 32 lines", parser.linesRead);
    }
    parser.inBlock = false;
}

// Settles what the line before left open, now that the next line's offset is
// known (-1 for a line that is no dump line, or the end of the input). True
// when that settles the line too: it was the other half of a swap, or it
// repeats the last line of a complete block, which is then damaged.
bool Settle(DumpParser& parser, long long offset, LineNumber number)
{
    if (parser.aheadLine != 0) {
        const long long expected = static_cast<long long>(kDumpBytesPerLine) * parser.linesRead;
        const bool swapped = offset == expected;
        if (swapped && expected == 0) {
            parser.block.line = number;  // a block is known by its line 000
        }
        if (swapped) {
            Report(parser, parser.aheadLine, "lines %03llx and %03llx out of order", expected, parser.aheadOffset);
        } else {
            Report(parser, parser.aheadLine, "line %03llx missing", expected);
        }
        parser.inBlock = parser.aheadOffset != kLastOffset;
        parser.aheadLine = 0;
        return swapped;
    }
    if (parser.complete) {
        parser.complete = false;
        if (offset == kLastOffset) {
            Report(parser, number, "line %03llx repeated", offset);
            return true;
        }
        parser.events.block(parser.events.context, parser.block);
    }
    return false;
}

// "DefineDosDevice...GetLastError=N", "CreateFile(PATH)...GetLastError=N" or
// the usage message; the Japanese between them may be Shift-JIS or converted.
bool ReadFailure(Text text, LineNumber number, FailureLine& failure)
{
    failure = FailureLine{FailedStep::Usage, "", 0, number};
    if (StartsWith(text, DUMP_USAGE_START) || StartsWith(text, "\xe5\xbc\x95\xe6\x95\xb0")) {
        // 引数に... (Shift-JIS or UTF-8): portdump was not given one argument.
        return true;
    }
    const bool define = StartsWith(text, DUMP_DEFINE_FAILED_START);
    constexpr Text kCreateFile = DUMP_OPEN_FAILED_START;
    constexpr Text kError = DUMP_ERROR_NUMBER;
    const std::size_t at = text.rfind(kError);
    if ((!define && !StartsWith(text, kCreateFile)) || at == Text::npos) {
        return false;
    }
    // A DWORD printed with %d: negative from 2^31 on.
    const Text digits = Tail(text, at + kError.size());
    const bool negative = StartsWith(digits, "-");
    unsigned long long magnitude = 0;
    const unsigned long long largest = negative ? 0x80000000ULL : 0x7FFFFFFFULL;
    if (!ReadNumber(Tail(digits, negative ? 1 : 0), magnitude) || magnitude > largest) {
        return false;
    }
    failure.error = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    failure.step = define ? FailedStep::DefineDosDevice : FailedStep::CreateFile;
    if (!define) {
        // The path runs to the last ')' before the message.
        const Text path = Tail(Head(text, at), kCreateFile.size());
        const std::size_t close = path.rfind(')');
        if (close == Text::npos || close == 0 || close >= sizeof failure.path) {
            return false;
        }
        std::memcpy(failure.path, path.data(), close);
        failure.path[close] = '\0';
    }
    return true;
}

// The offset of a dump line ("1f0:", up to eight hex digits), or -1 when the
// token is none.
long long LineOffset(Text token)
{
    unsigned long long offset = 0;
    if (token.size() < 2 || token.size() > 9 || token.back() != ':' ||
        !ReadNumber(Head(token, token.size() - 1), offset, 16)) {
        return -1;
    }
    return static_cast<long long>(offset);
}

int Split(Text text, Text (&tokens)[kMaxTokens])
{
    int count = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < text.size() && !IsBlank(text[i])) {
            ++i;
        }
        if (i > start) {
            if (count == kMaxTokens) {
                return count + 1;
            }
            tokens[count++] = Text(text.data() + start, i - start);
        }
    }
    return count;
}

// Reports the error that hits the block in progress, which is then skipped.
template <typename... Arguments>
void Reject(DumpParser& parser, LineNumber line, const char* format, Arguments... arguments)
{
    Report(parser, line, format, arguments...);
    parser.rejected = true;
}

// Checks the line's pairs and character column and stores its bytes.
void ReadBytes(DumpParser& parser, const Text (&tokens)[kMaxTokens], int count, long long offset, LineNumber number)
{
    const int pairs = count - 2;  // the offset first, the character column last
    if (count > kMaxTokens) {
        Reject(parser, number, "far more than %d hex pairs in the line at offset %03llx", kDumpBytesPerLine, offset);
        return;
    }
    if (pairs != kDumpBytesPerLine) {
        Reject(parser, number, "%d hex pairs, not %d, in the line at offset %03llx", pairs < 0 ? 0 : pairs,
               kDumpBytesPerLine, offset);
        return;
    }
    unsigned char bytes[kDumpBytesPerLine];
    for (int i = 0; i < kDumpBytesPerLine; ++i) {
        const Text pair = tokens[1 + i];
        const unsigned high = kHexDigits.value[static_cast<unsigned char>(pair[0])];
        const unsigned low = pair.size() == 2 ? kHexDigits.value[static_cast<unsigned char>(pair[1])] : 16;
        bytes[i] = static_cast<unsigned char>(high << 4 | low);
        if (high > 15 || low > 15) {
            Reject(parser, number, "hex pair %d of the line at offset %03llx is not two hex digits", i + 1, offset);
            return;
        }
    }
    const Text characters = tokens[count - 1];
    const bool whole = characters.size() == static_cast<std::size_t>(kDumpBytesPerLine);
    for (int i = 0; i < kDumpBytesPerLine; ++i) {
        if (!whole || characters[i] != DumpCharacter(bytes[i])) {
            Reject(parser, number, "the character column does not match the hex pairs (column %d) at offset %03llx",
                   whole ? i + 1 : 0, offset);
            return;
        }
    }
    std::memcpy(parser.block.bytes + offset, bytes, sizeof bytes);
    if (++parser.linesRead == kLinesPerBlock) {
        parser.inBlock = false;
        parser.complete = true;
    }
}

void ReadDumpLine(DumpParser& parser, const Text (&tokens)[kMaxTokens], int count, long long offset,
                  LineNumber number)
{
    const bool repeatsFirst = parser.inBlock && !parser.rejected && parser.linesRead == 1;
    if ((offset == 0 && !repeatsFirst) || !parser.inBlock) {
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
        parser.inBlock = offset != kLastOffset;
        return;
    }
    const long long expected = static_cast<long long>(kDumpBytesPerLine) * parser.linesRead;
    if (offset % kDumpBytesPerLine != 0 || offset > kLastOffset) {
        Reject(parser, number, "offset %03llx is not a line of a 512-byte block", offset);
    } else if (offset == expected) {
        ReadBytes(parser, tokens, count, offset, number);
    } else if (offset == expected - kDumpBytesPerLine) {
        Reject(parser, number, "line %03llx repeated", offset);
    } else if (offset > expected) {
        // A gap, or two lines swapped: the next line tells.
        parser.rejected = true;
        parser.aheadLine = number;
        parser.aheadOffset = offset;
    } else {
        Reject(parser, number, "line %03llx out of order (line %03llx expected)", offset, expected);
    }
}

}  // namespace

void StartParser(DumpParser& parser, const ParserEvents& events)
{
    parser.events = events;
    parser.inBlock = false;
    parser.rejected = false;
    parser.complete = false;
    parser.linesRead = 0;
    parser.port = kNoPort;
    parser.aheadLine = 0;
    parser.aheadOffset = 0;
}

void ParseLine(DumpParser& parser, const char* raw, std::size_t rawLength, LineNumber number)
{
    const Text text = Trim(Text(raw, rawLength));
    if (text.empty()) {
        return;  // blank lines, even inside a block, as a paste may add them
    }
    if (text.size() > kMaxLineLength) {
        RejectLongLine(parser, number);
        return;
    }
    Text tokens[kMaxTokens];
    const int count = Split(text, tokens);
    const long long offset = LineOffset(tokens[0]);
    if (Settle(parser, offset, number)) {
        return;
    }
    if (offset >= 0) {
        ReadDumpLine(parser, tokens, count, offset, number);
        return;
    }

    EndBlock(parser, number);
    FailureLine failure;
    unsigned port = 0;
    if (count == 2 && tokens[0] == kPortWord && ReadNumber(tokens[1], port) && port <= 65535) {
        parser.port = static_cast<int>(port);
    } else if (text == kSeparator) {
        parser.port = kNoPort;
    } else if (ReadFailure(text, number, failure)) {
        parser.events.failure(parser.events.context, failure);
    } else {
        parser.events.error(parser.events.context, number, 0, "not a line of portdump's output");
    }
}

void RejectLongLine(DumpParser& parser, LineNumber number)
{
    Settle(parser, -1, number);
    EndBlock(parser, number);
    parser.events.error(parser.events.context, number, 0, "line too long for portdump's output");
}

void FinishInput(DumpParser& parser)
{
    Settle(parser, -1, 0);
    // Cut short by the end of the input: the error names the block's first line.
    EndBlock(parser, parser.block.line);
    parser.port = kNoPort;
}
