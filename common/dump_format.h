// portdump's output as portdump-decode reads it back: the lines both
// programs must agree on, stated once for the two.
#pragma once

// A port that answered: its line, the dump of its block, the separator.
#define DUMP_PORT_LINE_FORMAT "Port %d\n"
#define DUMP_SEPARATOR "-----------------------------------------"

// The starts of the failure lines and the error number's label; the rest of
// each message is Japanese (see messages.h).
#define DUMP_USAGE_START "\x88\xf8\x90\x94"  // 引数 in Shift-JIS
#define DUMP_DEFINE_FAILED_START "DefineDosDevice"
#define DUMP_OPEN_FAILED_START "CreateFile("
#define DUMP_ERROR_NUMBER "GetLastError="

// A dump line: the offset, sixteen bytes in hex, the same bytes as characters.
constexpr int kDumpBytesPerLine = 16;

// The character column shows ASCII letters and digits as themselves and any
// other byte as '.' (isalnum in the "C" locale, without a call).
constexpr char DumpCharacter(unsigned char byte)
{
    const bool alphanumeric =
        (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
    return alphanumeric ? static_cast<char>(byte) : '.';
}
