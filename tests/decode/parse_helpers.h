// Feeds text to the dump parser as portdump-decode does, line by line, and
// keeps what it reports; and turns a block into portdump's output.
#pragma once

#include "block_dump.h"
#include "dump_parser.h"
#include "stdout_capture.h"

#include <string>
#include <vector>

struct ParseError {
    LineNumber line;
    LineNumber blockLine;
    std::string message;
};

struct Parsed {
    std::vector<ParsedBlock> blocks;
    std::vector<FailureLine> failures;
    std::vector<ParseError> errors;
};

inline void Keep(const LineFindings& findings, Parsed& parsed)
{
    for (int i = 0; i < findings.count; ++i) {
        const Found& found = findings.found[i];
        if (found.kind == FoundKind::Block) {
            parsed.blocks.push_back(findings.block);
        } else if (found.kind == FoundKind::Failure) {
            parsed.failures.push_back(findings.failure);
        } else {
            parsed.errors.push_back(ParseError{found.line, found.blockLine, found.message});
        }
    }
}

inline Parsed Parse(const std::string& text)
{
    Parsed parsed;
    static DumpParser parser;
    StartParser(parser);
    LineNumber number = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        end = end == std::string::npos ? text.size() : end;
        Keep(ParseLine(parser, text.data() + start, end - start, ++number), parsed);
        start = next;
    }
    Keep(FinishInput(parser), parsed);
    return parsed;
}

// The 32 dump lines portdump prints for the block.
inline std::string DumpText(const unsigned char* block)
{
    return CaptureStdout([&] { DumpBlock(block, ATA_BLOCK_SIZE); });
}

inline std::string PortText(int port, const unsigned char* block)
{
    return "Port " + std::to_string(port) + "\n" + DumpText(block) + "-----------------------------------------\n";
}
