// Reads portdump's output a line at a time and hands on what it finds: each
// 512-byte block, each failure line, and each error in the input.
#pragma once

#include "ata_block.h"
#include "device_names.h"

#include <cstddef>

constexpr int kNoPort = -1;
constexpr int kMaxMessage = 160;  // an error message with its terminator
// The longest line taken for portdump's, without the blanks around it.
constexpr std::size_t kMaxLineLength = 1024;

// Blanks, tabs, CRs and the ^Z that ends a DOS text file are no part of a
// line around it.
constexpr bool IsLinePadding(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\x1a';
}

// Line numbers and offsets count past 2^31 also where long has 32 bits.
using LineNumber = long long;

struct ParsedBlock {
    unsigned char bytes[ATA_BLOCK_SIZE];
    int port;         // from the last "Port N" line, or kNoPort
    LineNumber line;  // the line labelled 000
};

enum class FailedStep { Usage, DefineDosDevice, CreateFile };

struct FailureLine {
    FailedStep step;
    char path[DEVICE_NAME_SIZE];  // CreateFile: the path that failed to open
    long long error;      // GetLastError as portdump printed it (%d of a DWORD); none for Usage
    LineNumber line;
};

struct ParserEvents {
    void* context;
    void (*block)(void* context, const ParsedBlock& block);
    void (*failure)(void* context, const FailureLine& failure);
    // `blockLine` is the first line of the block the error hits (which then
    // is not decoded), or 0 when it hits no block.
    void (*error)(void* context, LineNumber line, LineNumber blockLine, const char* message);
};

struct DumpParser {
    ParserEvents events;
    ParsedBlock block;
    bool inBlock;
    bool rejected;  // the block in progress hit an error: its other lines are skipped
    bool complete;  // all 32 lines read; handed on unless the next lines repeat its own
    int linesRead;
    int port;
    // A line ahead of the one expected: the next line tells a swap from a gap.
    LineNumber aheadLine;  // 0 when there is none
    long long aheadOffset;
    // A line 010 before a line 000: swapped with it, or left over alone.
    LineNumber loneLine;  // 0 when there is none
    // Lines of the complete block repeated after it, from line repeatLine.
    LineNumber repeatLine;  // 0 when there are none
    long long repeatFirst;
    long long repeatLast;
};

void StartParser(DumpParser& parser, const ParserEvents& events);
// One line without its line end (a CR before it is ignored too).
void ParseLine(DumpParser& parser, const char* text, std::size_t length, LineNumber number);
// A line longer than kMaxLineLength, of which the reader kept no text: an
// error of its own, as any stray line, which leaves a block in progress whole.
void RejectLongLine(DumpParser& parser, LineNumber number);
// The end of one input: a block in progress there is cut short.
void FinishInput(DumpParser& parser);
