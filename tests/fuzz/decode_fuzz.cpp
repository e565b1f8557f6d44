// Any text through portdump-decode's parser and decoders, a line at a time,
// each line in a buffer of exactly its length: no crash, no read outside the
// input, and every block begun by a line labelled 000 either decoded or
// reported, once. Then the same bytes as a file through the reader, which
// converts UTF-16 and cuts lines at LF, CR LF or CR: each line end counted
// once.
#include "block_decoder.h"
#include "dump_parser.h"
#include "fuzz_support.h"
#include "input_lines.h"
#include "json_report.h"
#include "text_input.h"
#include "text_report.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace {

// Outcomes per block, by the block's first line; per line, the block an
// error on it hit; and the last stray line, an error that hits no block.
std::map<LineNumber, int> outcomes;
std::map<LineNumber, LineNumber> hitBlocks;
LineNumber strayLine;

void TakeBlock(const ParsedBlock& block)
{
    ++outcomes[block.line];
    static DecodedBlock decoded;
    DecodeBlock(block, "fuzz", decoded);
    PrintTextBlock(decoded);
    AddJsonBlock(decoded);
}

void TakeError(const Found& error)
{
    Require(error.line >= 0 && error.blockLine >= 0, "line numbers");
    if (error.blockLine != 0) {
        ++outcomes[error.blockLine];
    } else {
        strayLine = error.line;
    }
    if (error.blockLine != 0 && std::strstr(error.message, "repeated") != nullptr) {
        hitBlocks[error.line] = error.blockLine;
    }
}

void Take(const LineFindings& findings)
{
    Require(findings.count <= kMaxFound, "findings fit");
    for (int i = 0; i < findings.count; ++i) {
        switch (findings.found[i].kind) {
        case FoundKind::Block:
            TakeBlock(findings.block);
            break;
        case FoundKind::Failure:
            PrintTextFailure("fuzz", findings.failure);
            break;
        case FoundKind::Error:
            TakeError(findings.found[i]);
            break;
        }
    }
}

// The file's lines through the reader; returns the number of the last.
LineNumber ReadLines(std::FILE* file, DumpParser& parser)
{
    static TextInput input;
    static InputLines lines;
    StartTextInput(input, file);
    StartLines(lines);
    InputLine line;
    for (std::size_t size; (size = ReadText(input, lines.chunk)) > 0;) {
        TakeChunk(lines, size);
        while (NextLine(lines, line)) {
            Take(ParseInputLine(parser, line));
        }
    }
    if (LastLine(lines, line)) {
        Take(ParseInputLine(parser, line));
    }
    return lines.number;
}

bool IsPadding(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\x1a';
}

// A line whose first item is an offset of zero ("000:") begins a block;
// items are split by blanks and tabs, blanks, tabs and CRs around a line are
// none of it, and a line of more than 1024 bytes without them is none of
// portdump's.
bool BeginsBlock(const std::vector<char>& line)
{
    std::size_t end = line.size();
    while (end > 0 && IsPadding(line[end - 1])) {
        --end;
    }
    std::size_t i = 0;
    while (i < end && IsPadding(line[i])) {
        ++i;
    }
    if (end - i > 1024) {
        return false;
    }
    const std::size_t digits = i;
    while (i < end && line[i] == '0') {
        ++i;
    }
    const std::size_t zeros = i - digits;
    return zeros >= 1 && zeros <= 8 && i < end && line[i] == ':' &&
           (i + 1 == end || line[i + 1] == ' ' || line[i + 1] == '\t');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    outcomes.clear();
    hitBlocks.clear();
    strayLine = 0;
    // Each line labelled 000 with the line before it (blank and stray lines aside)
    // when that one was labelled 000 too, or 0.
    std::map<LineNumber, LineNumber> starts;
    static DumpParser parser;
    StartParser(parser);
    LineNumber number = 0;
    LineNumber lastStart = 0;  // the last line neither blank nor stray, when labelled 000
    for (std::size_t start = 0; start <= size;) {
        std::size_t end = start;
        while (end < size && data[end] != '\n' && data[end] != '\r') {
            ++end;
        }
        if (end == size && start == size) {
            break;
        }
        const std::vector<char> line(data + start, data + end);
        ++number;
        const bool begins = BeginsBlock(line);
        if (begins) {
            starts[number] = lastStart;
        }
        Take(ParseLine(parser, line.data(), line.size(), number));
        // A stray line stands aside, as a blank one does.
        if (!std::all_of(line.begin(), line.end(), IsPadding) && strayLine != number) {
            lastStart = begins ? number : 0;
        }
        start = end + (end + 1 < size && data[end] == '\r' && data[end + 1] == '\n' ? 2 : 1);
    }
    Take(FinishInput(parser));
    for (const auto& start : starts) {
        // A 000 line right after another may be reported as the repeat of
        // that block's line 000 (when it holds the same bytes).
        const auto hit = hitBlocks.find(start.first);
        const bool repeat = start.second != 0 && hit != hitBlocks.end() && hit->second == start.second;
        const auto outcome = outcomes.find(start.first);
        Require((outcome != outcomes.end() ? outcome->second : 0) == (repeat ? 0 : 1),
                "a block begun at 000 is decoded or reported, once");
    }
    for (const auto& outcome : outcomes) {
        Require(outcome.second == 1, "no block has two outcomes");
    }

    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (file != nullptr) {
        StartParser(parser);
        outcomes.clear();
        const LineNumber lines = ReadLines(file, parser);
        Take(FinishInput(parser));
        std::fclose(file);
        const bool marked = size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF));
        // Or without a mark: every other byte of the first four NUL.
        const bool unmarked = size >= 4 && (data[0] == 0) != (data[1] == 0) && (data[0] == 0) == (data[2] == 0) &&
                              (data[1] == 0) == (data[3] == 0);
        const bool utf16 = marked || unmarked;
        Require(utf16 || lines == number, "as many lines from the file as line ends and a last line");
    }
    return 0;
}
