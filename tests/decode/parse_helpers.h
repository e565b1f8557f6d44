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

inline Parsed Parse(const std::string& text)
{
    Parsed parsed;
    DumpParser parser;
    StartParser(parser, ParserEvents{
                            &parsed,
                            [](void* c, const ParsedBlock& b) { static_cast<Parsed*>(c)->blocks.push_back(b); },
                            [](void* c, const FailureLine& f) { static_cast<Parsed*>(c)->failures.push_back(f); },
                            [](void* c, LineNumber line, LineNumber blockLine, const char* message) {
                                static_cast<Parsed*>(c)->errors.push_back(ParseError{line, blockLine, message});
                            }});
    LineNumber number = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        end = end == std::string::npos ? text.size() : end;
        ParseLine(parser, text.data() + start, end - start, ++number);
        start = next;
    }
    FinishInput(parser);
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
