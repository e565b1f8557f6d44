#include "dump_parser.h"

#include "dump_format.h"

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

using Text = std::string_view;

constexpr int kLinesPerBlock = ATA_BLOCK_SIZE / kDumpBytesPerLine;
constexpr long long kLastOffset = ATA_BLOCK_SIZE - kDumpBytesPerLine;
constexpr int kMaxTokens = 40;
constexpr Text kSeparator = DUMP_SEPARATOR;
constexpr Text kPortLine = DUMP_PORT_LINE_FORMAT;
constexpr Text kPortWord = kPortLine.substr(0, kPortLine.find(' '));  // "Port"

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

bool EndsWith(Text text, Text suffix)
{
    return text.size() >= suffix.size() && Tail(text, text.size() - suffix.size()) == suffix;
}

// What pastes put between a line's items: a no-break space (U+00A0 in UTF-8)
// from a web page or a mail, besides blanks and tabs.
constexpr Text kNoBreakSpace = "\xc2\xa0";
// U+FEFF, the byte order mark that joining files (cat a b) leaves inside.
constexpr Text kByteOrderMark = "\xef\xbb\xbf";

// The length of the blank at the start of `text`, 0 for none.
std::size_t BlankLength(Text text)
{
    if (!text.empty() && (text[0] == ' ' || text[0] == '\t')) {
        return 1;
    }
    return StartsWith(text, kNoBreakSpace) ? kNoBreakSpace.size() : 0;
}

// What leads a line without being part of it: padding, blanks, a byte order
// mark, and the "> " of a quoted mail, once or nested.
std::size_t LeadLength(Text text)
{
    std::size_t at = 0;
    for (;;) {
        const Text rest = Tail(text, at);
        if (!rest.empty() && (IsLinePadding(rest[0]) || rest[0] == '>')) {
            ++at;
        } else if (StartsWith(rest, kByteOrderMark)) {
            at += kByteOrderMark.size();
        } else if (const std::size_t blank = BlankLength(rest)) {
            at += blank;
        } else {
            return at;
        }
    }
}

Text Trim(Text text)
{
    text = Tail(text, LeadLength(text));
    for (;;) {
        if (!text.empty() && IsLinePadding(text.back())) {
            text.remove_suffix(1);
        } else if (EndsWith(text, kNoBreakSpace)) {
            text.remove_suffix(kNoBreakSpace.size());
        } else {
            return text;
        }
    }
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

// The character column's character of each byte, looked up for the same reason.
struct ColumnCharacters {
    char of[256];
    constexpr ColumnCharacters() : of()
    {
        for (int c = 0; c < 256; ++c) {
            of[c] = DumpCharacter(static_cast<unsigned char>(c));
        }
    }
};
constexpr ColumnCharacters kColumn;

constexpr char kTooLong[] = "line too long for portdump's output";

Found& Add(DumpParser& parser, FoundKind kind)
{
    LineFindings& findings = parser.findings;
    // kMaxFound holds the most a line settles; one more overwrites the last.
    Found& found = findings.found[findings.count < kMaxFound ? findings.count++ : kMaxFound - 1];
    found.kind = kind;
    return found;
}

void AddError(DumpParser& parser, LineNumber line, LineNumber blockLine, const char* message)
{
    Found& found = Add(parser, FoundKind::Error);
    found.line = line;
    found.blockLine = blockLine;
    std::snprintf(found.message, sizeof found.message, "%s", message);
}

__attribute__((format(printf, 3, 4))) void Report(DumpParser& parser, LineNumber line, const char* format, ...)
{
    char message[kMaxMessage];
    va_list arguments;
    va_start(arguments, format);
    // The analyser does not see va_start fill the list in C++.
    vsnprintf(message, sizeof message, format, arguments);  // NOLINT(clang-analyzer-valist.Uninitialized)
    va_end(arguments);
    AddError(parser, line, parser.block.line, message);
}

// "line 020", "lines 020 and 030" or "lines 020 to 040".
struct LineNames {
    char text[32];
};

LineNames NameLines(long long first, long long last)
{
    LineNames names;
    if (first == last) {
        std::snprintf(names.text, sizeof names.text, "line %03llx", first);
    } else {
        std::snprintf(names.text, sizeof names.text, "lines %03llx %s %03llx", first,
                      last == first + kDumpBytesPerLine ? "and" : "to", last);
    }
    return names;
}

// Ends the block in progress at `line`, which is not one of its lines.
void EndBlock(DumpParser& parser, LineNumber line)
{
    if (parser.inBlock && !parser.rejected && parser.linesRead == kLinesPerBlock - 1) {
        Report(parser, line, "line %03llx missing", kLastOffset);
    } else if (parser.inBlock && !parser.rejected && parser.linesRead < kLinesPerBlock) {
        Report(parser, line, "block cut short after %d of its 32 lines", parser.linesRead);
    }
    parser.inBlock = false;
}

// A lone line of some block, left over before the next: a block of its own,
// cut short.
void ReportLoneLine(DumpParser& parser, LineNumber line, long long offset)
{
    char message[kMaxMessage];
    std::snprintf(message, sizeof message, "block cut short: only its line %03llx", offset);
    AddError(parser, line, line, message);
}

// A line ahead of the one expected, settled by the next one (`offset`, -1 for
// none). True when that settles the next line too: the other half of a swap.
bool SettleAhead(DumpParser& parser, long long offset)
{
    const long long expected = static_cast<long long>(kDumpBytesPerLine) * parser.linesRead;
    const long long ahead = parser.aheadOffset;
    const LineNumber line = parser.aheadLine;
    parser.aheadLine = 0;
    parser.inBlock = ahead != kLastOffset;
    if (parser.linesRead == 0 && offset != ahead + kDumpBytesPerLine) {
        parser.inBlock = false;
        if (ahead == kDumpBytesPerLine && offset == 0) {
            parser.loneLine = line;  // 010, 000: lines swapped, or a lone 010; the line after tells
        } else {
            ReportLoneLine(parser, line, ahead);
        }
        return false;
    }
    if (parser.linesRead > 0 && offset == expected) {
        Report(parser, line, "lines %03llx and %03llx out of order", expected, ahead);
        return true;
    }
    Report(parser, line, "%s missing", NameLines(expected, ahead - kDumpBytesPerLine).text);
    return false;
}

// Settles what the lines before left open, now that the next line's offset
// is known (-1 for a line that is no dump line, or the end of the input), and
// whether it repeats the block's own line there. True when that settles the
// line too: it was the other half of a swap, or it repeats a line of a
// complete block, which is then damaged.
bool Settle(DumpParser& parser, long long offset, bool repeats, LineNumber number)
{
    if (parser.loneLine != 0) {
        if (offset == 2LL * kDumpBytesPerLine && parser.linesRead == 1 && !parser.rejected) {
            Report(parser, parser.loneLine, "lines 000 and 010 out of order");
            parser.rejected = true;
        } else {
            ReportLoneLine(parser, parser.loneLine, kDumpBytesPerLine);
        }
        parser.loneLine = 0;
    }
    if (parser.repeatLine != 0) {
        if (repeats && offset == parser.repeatLast + kDumpBytesPerLine) {
            parser.repeatLast = offset;
            return true;
        }
        Report(parser, parser.repeatLine, "%s repeated", NameLines(parser.repeatFirst, parser.repeatLast).text);
        parser.repeatLine = 0;
    }
    if (parser.aheadLine != 0) {
        return SettleAhead(parser, offset);
    }
    if (parser.complete) {
        parser.complete = false;
        if (repeats && offset > 0) {
            parser.repeatLine = number;
            parser.repeatFirst = parser.repeatLast = offset;
            return true;
        }
        Add(parser, FoundKind::Block);
        parser.findings.block = parser.block;
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
        for (std::size_t blank; (blank = BlankLength(Tail(text, i))) > 0;) {
            i += blank;
        }
        const std::size_t start = i;
        while (i < text.size() && BlankLength(Tail(text, i)) == 0) {
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

// A dump line's sixteen bytes, or what is wrong with them.
struct LineBytes {
    long long offset;
    unsigned char bytes[kDumpBytesPerLine];
    char fault[kMaxMessage];  // empty when the bytes are whole
};

// The byte of a hex pair, or -1 when the token is none.
int PairValue(Text pair)
{
    const unsigned high = kHexDigits.value[static_cast<unsigned char>(pair[0])];
    const unsigned low = pair.size() == 2 ? kHexDigits.value[static_cast<unsigned char>(pair[1])] : 16;
    return high > 15 || low > 15 ? -1 : static_cast<int>(high << 4 | low);
}

// A line exactly as portdump prints it, read at its fixed places: "hhh: "
// (an offset of three digits), sixteen "hh " pairs, a blank, sixteen
// characters that match them. False for any other line, which is split into
// its items instead.
bool ReadPrinted(Text text, LineBytes& line)
{
    constexpr std::size_t kPairsAt = 5;
    constexpr std::size_t kColumnAt = kPairsAt + 3 * std::size_t{kDumpBytesPerLine} + 1;
    if (text.size() != kColumnAt + kDumpBytesPerLine || text[3] != ':' || text[kColumnAt - 1] != ' ') {
        return false;
    }
    unsigned offset = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const unsigned digit = kHexDigits.value[static_cast<unsigned char>(text[i])];
        offset = offset << 4 | digit;
        if (digit > 15) {
            return false;
        }
    }
    for (std::size_t i = 0; i < kDumpBytesPerLine; ++i) {
        const std::size_t pair = kPairsAt + 3 * i;
        const int value = PairValue(Text(text.data() + pair, 2));
        const unsigned char byte = static_cast<unsigned char>(value);
        if (text[pair - 1] != ' ' || value < 0 || text[kColumnAt + i] != kColumn.of[byte]) {
            return false;
        }
        line.bytes[i] = byte;
    }
    line.offset = offset;
    line.fault[0] = '\0';
    return true;
}

__attribute__((format(printf, 2, 3))) void Fault(LineBytes& line, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line.fault, sizeof line.fault, format, arguments);  // NOLINT(clang-analyzer-valist.Uninitialized)
    va_end(arguments);
}

// A dump line's bytes from its items (the offset first, the character
// column last), checked.
void ReadBytes(const Text (&tokens)[kMaxTokens], int count, LineBytes& line)
{
    const long long offset = line.offset;
    const int pairs = count - 2;
    line.fault[0] = '\0';
    if (count > kMaxTokens) {
        Fault(line, "far more than %d hex pairs in the line at offset %03llx", kDumpBytesPerLine, offset);
        return;
    }
    if (pairs == kDumpBytesPerLine - 1 && PairValue(tokens[count - 1]) >= 0) {
        Fault(line, "no character column in the line at offset %03llx", offset);
        return;
    }
    if (pairs != kDumpBytesPerLine) {
        Fault(line, "%d hex pairs, not %d, in the line at offset %03llx", pairs < 0 ? 0 : pairs, kDumpBytesPerLine,
              offset);
        return;
    }
    for (int i = 0; i < kDumpBytesPerLine; ++i) {
        const int value = PairValue(tokens[1 + i]);
        if (value < 0) {
            Fault(line, "hex pair %d of the line at offset %03llx is not two hex digits", i + 1, offset);
            return;
        }
        line.bytes[i] = static_cast<unsigned char>(value);
    }
    const Text characters = tokens[count - 1];
    const bool whole = characters.size() == static_cast<std::size_t>(kDumpBytesPerLine);
    for (int i = 0; i < kDumpBytesPerLine; ++i) {
        if (!whole || characters[i] != kColumn.of[line.bytes[i]]) {
            Fault(line, "the character column does not match the hex pairs (column %d) at offset %03llx",
                  whole ? i + 1 : 0, offset);
            return;
        }
    }
}

// Reports the error that hits the block in progress, which is then skipped.
template <typename... Arguments>
void Reject(DumpParser& parser, LineNumber line, const char* format, Arguments... arguments)
{
    Report(parser, line, format, arguments...);
    parser.rejected = true;
}

void StoreBytes(DumpParser& parser, const LineBytes& line, LineNumber number)
{
    if (line.fault[0] != '\0') {
        Reject(parser, number, "%s", line.fault);
        return;
    }
    std::memcpy(parser.block.bytes + line.offset, line.bytes, sizeof line.bytes);
    if (++parser.linesRead == kLinesPerBlock) {
        parser.inBlock = false;
        parser.complete = true;
    }
}

void ReadDumpLine(DumpParser& parser, const LineBytes& line, bool repeats, LineNumber number)
{
    const long long offset = line.offset;
    // A line 000 right after another is a repeat when it holds the same bytes,
    // else the first was a block's lone line.
    const bool repeatsFirst = parser.inBlock && !parser.rejected && parser.linesRead == 1 && repeats;
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
        Reject(parser, number, "offset %03llx is not a line of a %d-byte block", offset, ATA_BLOCK_SIZE);
    } else if (offset == expected) {
        StoreBytes(parser, line, number);
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

// A dump line, its bytes read: where it goes in the block.
void PlaceLine(DumpParser& parser, const LineBytes& line, LineNumber number)
{
    // Whether it holds the bytes the block already has there: a repeat of its line, not another block's.
    const bool stored = line.fault[0] == '\0' && line.offset % kDumpBytesPerLine == 0 && line.offset <= kLastOffset;
    const bool repeats = stored && (parser.complete || parser.repeatLine != 0 || parser.linesRead == 1) &&
                         std::memcmp(parser.block.bytes + line.offset, line.bytes, sizeof line.bytes) == 0;
    if (!Settle(parser, line.offset, repeats, number)) {
        ReadDumpLine(parser, line, repeats, number);
    }
}

}  // namespace

void StartParser(DumpParser& parser)
{
    parser.findings.count = 0;
    parser.inBlock = false;
    parser.rejected = false;
    parser.complete = false;
    parser.linesRead = 0;
    parser.port = kNoPort;
    parser.aheadLine = 0;
    parser.aheadOffset = 0;
    parser.repeatLine = 0;
    parser.loneLine = 0;
}

namespace {

void ReadLine(DumpParser& parser, const char* raw, std::size_t rawLength, LineNumber number)
{
    LineBytes line;
    if (ReadPrinted(Text(raw, rawLength), line)) {
        // Most of any input: the fast way.
        PlaceLine(parser, line, number);
        return;
    }
    const Text text = Trim(Text(raw, rawLength));
    if (text.empty()) {
        return;  // blank lines, even inside a block, as a paste may add them
    }
    if (text.size() > kMaxLineLength) {
        AddError(parser, number, 0, kTooLong);
        return;
    }
    Text tokens[kMaxTokens];
    const int count = Split(text, tokens);
    line.offset = LineOffset(tokens[0]);
    if (line.offset >= 0) {
        ReadBytes(tokens, count, line);
        PlaceLine(parser, line, number);
        return;
    }

    FailureLine failure;
    unsigned port = 0;
    const bool portLine = count == 2 && tokens[0] == kPortWord && ReadNumber(tokens[1], port) && port <= 65535;
    const bool separator = text == kSeparator;
    const bool failed = !portLine && !separator && ReadFailure(text, number, failure);
    if (!portLine && !separator && !failed) {
        // A pager's prompt, a shell's, a stray line: its error alone, a block around it stays whole.
        AddError(parser, number, 0, "not a line of portdump's output");
        return;
    }
    Settle(parser, -1, false, number);
    EndBlock(parser, number);
    if (failed) {
        Add(parser, FoundKind::Failure);
        parser.findings.failure = failure;
    } else {
        parser.port = portLine ? static_cast<int>(port) : kNoPort;
    }
}

}  // namespace

const LineFindings& ParseLine(DumpParser& parser, const char* raw, std::size_t rawLength, LineNumber number)
{
    parser.findings.count = 0;
    ReadLine(parser, raw, rawLength, number);
    return parser.findings;
}

const LineFindings& RejectLongLine(DumpParser& parser, LineNumber number)
{
    parser.findings.count = 0;
    AddError(parser, number, 0, kTooLong);
    return parser.findings;
}

const LineFindings& FinishInput(DumpParser& parser)
{
    parser.findings.count = 0;
    Settle(parser, -1, false, 0);
    // Cut short by the end of the input: the error names the block's first line.
    EndBlock(parser, parser.block.line);
    parser.port = kNoPort;
    return parser.findings;
}
