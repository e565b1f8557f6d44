// Any text through portdump-decode's parser and decoders, a line at a time,
// each line in a buffer of exactly its length: no crash, no read outside the
// input, and every block begun by a line labelled 000 either decoded or
// reported, once.
#include "decoded.h"
#include "dump_parser.h"
#include "fuzz_support.h"
#include "json_report.h"
#include "text_report.h"

#include <cstdint>
#include <map>
#include <vector>

namespace {

// Outcomes per block, by the block's first line.
std::map<long, int> outcomes;

void OnBlock(void*, const ParsedBlock& block)
{
    ++outcomes[block.line];
    DecodedBlock decoded;
    DecodeBlock(block, "fuzz", decoded);
    PrintTextBlock(decoded);
    AddJsonBlock(decoded);
}

void OnFailure(void*, const FailureLine& failure)
{
    PrintTextFailure("fuzz", failure);
}

void OnError(void*, long line, long blockLine, const char*)
{
    Require(line >= 0 && blockLine >= 0, "line numbers");
    if (blockLine != 0) {
        ++outcomes[blockLine];
    }
}

// A line whose first item is an offset of zero ("000:") begins a block;
// items are split by blanks and tabs, and blanks, tabs and CRs end a line.
bool BeginsBlock(const std::vector<char>& line)
{
    std::size_t end = line.size();
    while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t' || line[end - 1] == '\r')) {
        --end;
    }
    std::size_t i = 0;
    while (i < end && (line[i] == ' ' || line[i] == '\t')) {
        ++i;
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
    std::vector<long> starts;
    DumpParser parser;
    StartParser(parser, ParserEvents{nullptr, OnBlock, OnFailure, OnError});
    long number = 0;
    for (std::size_t start = 0; start <= size;) {
        std::size_t end = start;
        while (end < size && data[end] != '\n') {
            ++end;
        }
        if (end == size && start == size) {
            break;
        }
        const std::vector<char> line(data + start, data + end);
        ++number;
        if (BeginsBlock(line)) {
            starts.push_back(number);
        }
        ParseLine(parser, line.data(), line.size(), number);
        start = end + 1;
    }
    FinishInput(parser);
    for (long line : starts) {
        Require(outcomes[line] == 1, "a block begun at 000 is decoded or reported, once");
    }
    for (const auto& outcome : outcomes) {
        Require(outcome.second == 1, "no block has two outcomes");
    }
    return 0;
}
