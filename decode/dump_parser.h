// Reads portdump's output a line at a time and hands on what it finds: each
// 512-byte block, each failure line, and each error in the input.
#pragma once

#include <cstddef>

constexpr int kBlockSize = 512;
constexpr int kNoPort = -1;
constexpr int kMaxPath = 260;
constexpr int kMaxMessage = 160;  // an error message with its terminator

struct ParsedBlock {
    unsigned char bytes[kBlockSize];
    int port;   // from the last "Port N" line, or kNoPort
    long line;  // the line labelled 000
};

enum class FailedStep { Usage, DefineDosDevice, CreateFile };

struct FailureLine {
    FailedStep step;
    char path[kMaxPath];  // CreateFile: the path that failed to open
    long error;           // GetLastError, or -1 for the usage message
    long line;
};

struct ParserEvents {
    void* context;
    void (*block)(void* context, const ParsedBlock& block);
    void (*failure)(void* context, const FailureLine& failure);
    // `blockLine` is the first line of the block the error hits (which then
    // is not decoded), or 0 when it hits no block.
    void (*error)(void* context, long line, long blockLine, const char* message);
};

struct DumpParser {
    ParserEvents events;
    ParsedBlock block;
    bool inBlock;
    bool rejected;  // the block in progress hit an error: its other lines are skipped
    int linesRead;
    int port;
};

void StartParser(DumpParser& parser, const ParserEvents& events);
// One line without its line end (a CR before it is ignored too).
void ParseLine(DumpParser& parser, const char* text, std::size_t length, long number);
// A line too long to be portdump's.
void RejectLongLine(DumpParser& parser, long number);
// The end of one input: a block in progress there is cut short.
void FinishInput(DumpParser& parser);
