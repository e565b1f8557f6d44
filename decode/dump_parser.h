// Reads portdump's output a line at a time and says what each line settles:
// a 512-byte block, a failure line, errors in the input.
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

// What one line (or the end of the input) settles, in order: a block
// complete, a failure line, errors in the input. A line settles at most a
// few: what the lines before left open, and itself.
enum class FoundKind { Block, Failure, Error };

struct Found {
    FoundKind kind;
    // An error: its line, and the first line of the block it hits (which then
    // is not decoded), or 0 when it hits no block.
    LineNumber line;
    LineNumber blockLine;
    char message[kMaxMessage];
};

constexpr int kMaxFound = 6;

struct LineFindings {
    Found found[kMaxFound];
    int count;
    ParsedBlock block;    // for the one FoundKind::Block
    FailureLine failure;  // for the one FoundKind::Failure
};

struct DumpParser {
    LineFindings findings;  // of the last line
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

void StartParser(DumpParser& parser);
// One line without its line end (a CR before it is ignored too). What it
// settles stays until the next call.
const LineFindings& ParseLine(DumpParser& parser, const char* text, std::size_t length, LineNumber number);
// A line longer than kMaxLineLength, of which the reader kept no text: an
// error of its own, as any stray line, which leaves a block in progress whole.
const LineFindings& RejectLongLine(DumpParser& parser, LineNumber number);
// The end of one input: a block in progress there is cut short.
const LineFindings& FinishInput(DumpParser& parser);
