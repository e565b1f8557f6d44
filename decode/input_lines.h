// Cuts an input's text into numbered lines for the dump parser: lines of any
// length, any bytes in them (a NUL too); LF, CR LF or CR alone ends. The
// caller reads each chunk into `chunk` and takes its lines.
#pragma once

#include "dump_parser.h"
#include "text_input.h"

// A line that runs over the end of a chunk, gathered without the padding
// around it: one byte more than the parser takes, so that it sees what is
// too long.
struct SplitLine {
    char text[kMaxLineLength + 1];
    std::size_t length;  // what is kept, padding after the text included
    std::size_t end;     // what is kept without that padding
    bool tooLong;
};

struct InputLines {
    char chunk[kTextChunk];
    const char* at;  // the rest of the chunk
    const char* end;
    SplitLine split;
    bool splitting;
    bool afterCr;  // the last chunk ended in a CR: a LF first in the next one ends the same line
    LineNumber number;  // of the last line taken
};

struct InputLine {
    const char* text;  // without its line end
    std::size_t length;
    LineNumber number;
    bool tooLong;  // longer than the parser takes: no text kept
};

void StartLines(InputLines& lines);
// The chunk's `size` bytes are read.
void TakeChunk(InputLines& lines, std::size_t size);
// The next whole line of the chunk; false when the chunk has no more.
bool NextLine(InputLines& lines, InputLine& line);
// At the end of the input: the last line, which has no line end; false when
// there is none.
bool LastLine(InputLines& lines, InputLine& line);

// The line through the parser: its text, or that it is too long.
const LineFindings& ParseInputLine(DumpParser& parser, const InputLine& line);
