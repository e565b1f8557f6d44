#include "parse_helpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

namespace {

struct Blocks {
    unsigned char first[ATA_BLOCK_SIZE];
    unsigned char second[ATA_BLOCK_SIZE];
    Blocks()
    {
        for (int i = 0; i < ATA_BLOCK_SIZE; ++i) {
            first[i] = static_cast<unsigned char>(i * 7 + 1);
            second[i] = static_cast<unsigned char>(255 - i);
        }
    }
};

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines, const std::string& ending = "\n")
{
    std::string text;
    for (const std::string& line : lines) {
        text += line + ending;
    }
    return text;
}

TEST(DumpParser, ReadsOutputAsItReallyComes)
{
    const Blocks blocks;
    // CR LF line ends, blanks and tabs around every line, blank lines
    // between and inside blocks: a dump pasted from a web page or a mail.
    std::vector<std::string> lines = SplitLines(PortText(0, blocks.first) + PortText(3, blocks.second));
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += (i % 3 == 0 ? "\t " : "  ") + lines[i] + (i % 2 == 0 ? " \t\r\n" : "\r\n");
        if (i == 10) {
            text += "\r\n";
        }
    }
    const Parsed parsed = Parse(text);
    ASSERT_TRUE(parsed.errors.empty()) << parsed.errors[0].message;
    ASSERT_EQ(parsed.blocks.size(), 2u);
    EXPECT_EQ(parsed.blocks[0].port, 0);
    EXPECT_EQ(parsed.blocks[0].line, 2);
    EXPECT_EQ(std::memcmp(parsed.blocks[0].bytes, blocks.first, ATA_BLOCK_SIZE), 0);
    EXPECT_EQ(parsed.blocks[1].port, 3);
    EXPECT_EQ(parsed.blocks[1].line, 37);  // one blank line more before it
    EXPECT_EQ(std::memcmp(parsed.blocks[1].bytes, blocks.second, ATA_BLOCK_SIZE), 0);
}

TEST(DumpParser, BlockWithoutPortLineIsABlockOfItsOwn)
{
    const Blocks blocks;
    const Parsed parsed = Parse(DumpText(blocks.first) + PortText(2, blocks.second) + DumpText(blocks.first));
    ASSERT_TRUE(parsed.errors.empty());
    ASSERT_EQ(parsed.blocks.size(), 3u);
    EXPECT_EQ(parsed.blocks[0].port, kNoPort);
    EXPECT_EQ(parsed.blocks[1].port, 2);
    EXPECT_EQ(parsed.blocks[2].port, kNoPort) << "the separator ends port 2";
    EXPECT_EQ(parsed.blocks[2].line, 32 + 1 + 32 + 1 + 1);
}

TEST(DumpParser, FailureLinesInShiftJisOrConverted)
{
    const std::string failed = "\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";
    const std::string failedUtf8 = "\xe3\x81\xab\xe5\xa4\xb1\xe6\x95\x97\xe3\x81\x97\xe3\x81\xbe\xe3\x81\x97\xe3\x81\x9f\xe3\x80\x82";
    const Parsed parsed = Parse("DefineDosDevice" + failed + "GetLastError=1314\r\n" +
                                "CreateFile(\\\\.\\Scsi9:)" + failed + "GetLastError=2\n" +
                                "CreateFile(\\\\.\\tempBusSil3112)" + failedUtf8 + "GetLastError=3\n" +
                                "\x88\xf8\x90\x94\x82\xc9SCSI\x83\x6f\x83\x58 ...\n");
    ASSERT_TRUE(parsed.errors.empty()) << parsed.errors[0].message;
    ASSERT_EQ(parsed.failures.size(), 4u);
    EXPECT_EQ(parsed.failures[0].step, FailedStep::DefineDosDevice);
    EXPECT_EQ(parsed.failures[0].error, 1314);
    EXPECT_EQ(parsed.failures[1].step, FailedStep::CreateFile);
    EXPECT_STREQ(parsed.failures[1].path, "\\\\.\\Scsi9:");
    EXPECT_EQ(parsed.failures[1].line, 2);
    EXPECT_STREQ(parsed.failures[2].path, "\\\\.\\tempBusSil3112");
    EXPECT_EQ(parsed.failures[2].error, 3);
    EXPECT_EQ(parsed.failures[3].step, FailedStep::Usage);
}

// One way of damaging line `line` (1-based) of two ports' output.
struct Damage {
    const char* name;
    int line;
    std::string (*damage)(const std::string& original, const std::vector<std::string>& lines);
    LineNumber errorLine;  // 0: the damaged line
    const char* message;  // a part of the first error
    unsigned errors;      // the lines after a cut make errors of their own
};

void PrintTo(const Damage& damage, std::ostream* out)
{
    *out << damage.name;
}

class DamagedInput : public testing::TestWithParam<Damage> {};

TEST_P(DamagedInput, ErrorNamesTheLineAndOnlyThatBlockIsLost)
{
    const Damage& damage = GetParam();
    const Blocks blocks;
    std::vector<std::string> lines = SplitLines(PortText(0, blocks.first) + PortText(1, blocks.second));
    const std::string original = lines[damage.line - 1];
    lines[damage.line - 1] = damage.damage(original, lines);
    const Parsed parsed = Parse(JoinLines(lines));

    ASSERT_EQ(parsed.errors.size(), damage.errors);
    EXPECT_EQ(parsed.errors[0].line, damage.errorLine != 0 ? damage.errorLine : damage.line);
    EXPECT_EQ(parsed.errors[0].blockLine, 2) << "the error hits port 0's block";
    EXPECT_NE(parsed.errors[0].message.find(damage.message), std::string::npos) << parsed.errors[0].message;
    ASSERT_EQ(parsed.blocks.size(), 1u) << "the damaged block is not decoded, the other one is";
    EXPECT_EQ(parsed.blocks[0].port, 1);
    EXPECT_EQ(std::memcmp(parsed.blocks[0].bytes, blocks.second, ATA_BLOCK_SIZE), 0);
}

INSTANTIATE_TEST_SUITE_P(
    EachKind, DamagedInput,
    testing::Values(
        Damage{"MissingLine", 5, [](const std::string&, const std::vector<std::string>&) { return std::string(); }, 6,
               "line 030 missing", 1},
        Damage{"RepeatedLine", 6, [](const std::string&, const std::vector<std::string>& l) { return l[4]; }, 0,
               "line 030 repeated", 1},
        Damage{"OutOfOrder", 6, [](const std::string&, const std::vector<std::string>& l) { return l[2]; }, 0,
               "line 010 out of order (line 040 expected)", 1},
        Damage{"FifteenPairs", 9,
               [](const std::string& s, const std::vector<std::string>&) { return s.substr(0, 5) + s.substr(8); }, 0,
               "15 hex pairs", 1},
        Damage{"SeventeenPairs", 9,
               [](const std::string& s, const std::vector<std::string>&) { return s.substr(0, 8) + s.substr(5); }, 0,
               "17 hex pairs", 1},
        Damage{"NonHexPair", 12,
               [](const std::string& s, const std::vector<std::string>&) { return s.substr(0, 8) + "g" + s.substr(9); },
               0, "pair 2 of the line at offset 0a0", 1},
        Damage{"CharacterColumn", 20,
               [](const std::string& s, const std::vector<std::string>&) {
                   std::string damaged = s;
                   damaged[60] = damaged[60] == '.' ? 'x' : '.';
                   return damaged;
               },
               0, "(column 7)", 1},
        Damage{"CutShortByPortLine", 20, [](const std::string&, const std::vector<std::string>&) { return std::string("Port 7"); },
               0, "after 18 of its 32 lines", 2}),
    [](const testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

TEST(DumpParser, CutShortAtTheEndAndHeadlessBlocks)
{
    const Blocks blocks;
    std::vector<std::string> lines = SplitLines(DumpText(blocks.first));
    lines.resize(20);
    Parsed parsed = Parse(JoinLines(lines));
    ASSERT_EQ(parsed.errors.size(), 1u);
    EXPECT_EQ(parsed.errors[0].blockLine, 1);
    EXPECT_NE(parsed.errors[0].message.find("after 20 of its 32"), std::string::npos);
    EXPECT_TRUE(parsed.blocks.empty());

    // A block whose first lines were lost, then a whole one.
    lines = SplitLines(DumpText(blocks.first));
    lines.erase(lines.begin(), lines.begin() + 4);
    parsed = Parse(JoinLines(lines) + DumpText(blocks.second));
    ASSERT_EQ(parsed.errors.size(), 1u);
    EXPECT_EQ(parsed.errors[0].line, 1);
    EXPECT_EQ(parsed.errors[0].message, "lines 000 to 030 missing");
    ASSERT_EQ(parsed.blocks.size(), 1u);
    EXPECT_EQ(parsed.blocks[0].line, 29);
}

// Lines of port 0's block (the dump's lines 2 to 33) moved about: one error
// that names the fault, the block not decoded, port 1's block (the lines
// after) decoded with its right line number.
struct Moved {
    const char* name;
    std::vector<std::string> (*move)(std::vector<std::string> lines);
    LineNumber errorLine;
    const char* message;
};

void PrintTo(const Moved& moved, std::ostream* out)
{
    *out << moved.name;
}

class MovedLines : public testing::TestWithParam<Moved> {};

TEST_P(MovedLines, OneErrorNamesTheRealFault)
{
    const Moved& moved = GetParam();
    const Blocks blocks;
    const std::vector<std::string> lines =
        moved.move(SplitLines(PortText(0, blocks.first) + PortText(1, blocks.second)));
    const Parsed parsed = Parse(JoinLines(lines));
    ASSERT_EQ(parsed.errors.size(), 1u) << parsed.errors[1].message;
    EXPECT_EQ(parsed.errors[0].message, moved.message);
    EXPECT_EQ(parsed.errors[0].line, moved.errorLine);
    EXPECT_EQ(parsed.errors[0].blockLine, 2);
    ASSERT_EQ(parsed.blocks.size(), 1u);
    EXPECT_EQ(parsed.blocks[0].port, 1);
    EXPECT_EQ(parsed.blocks[0].line, static_cast<LineNumber>(lines.size()) - 32);
}

INSTANTIATE_TEST_SUITE_P(
    EachFault, MovedLines,
    testing::Values(
        Moved{"First000Repeated",
              [](std::vector<std::string> l) {
                  l.insert(l.begin() + 2, l[1]);
                  return l;
              },
              3, "line 000 repeated"},
        Moved{"Last1f0Repeated",
              [](std::vector<std::string> l) {
                  l.insert(l.begin() + 33, l[32]);
                  return l;
              },
              34, "line 1f0 repeated"},
        Moved{"Last1f0RepeatedAfterABlankLine",
              [](std::vector<std::string> l) {
                  l.insert(l.begin() + 33, {"", l[32]});
                  return l;
              },
              35, "line 1f0 repeated"},
        Moved{"TwoLinesSwapped",
              [](std::vector<std::string> l) {
                  std::swap(l[3], l[4]);  // 020 and 030
                  return l;
              },
              4, "lines 020 and 030 out of order"},
        Moved{"LastTwoSwapped",
              [](std::vector<std::string> l) {
                  std::swap(l[31], l[32]);  // 1e0 and 1f0
                  return l;
              },
              32, "lines 1e0 and 1f0 out of order"},
        Moved{"TwoLinesMissing",
              [](std::vector<std::string> l) {
                  l.erase(l.begin() + 3, l.begin() + 5);
                  return l;
              },
              4, "lines 020 and 030 missing"}),
    [](const testing::TestParamInfo<Moved>& info) { return std::string(info.param.name); });

TEST(DumpParser, ErrorNumbersAsPortdumpPrintsADword)
{
    // %d of a DWORD: 0xE0000235 is negative, 2^31 - 1 has ten digits.
    const Parsed parsed = Parse("CreateFile(\\\\.\\Scsi0:)x GetLastError=-536870347\n"
                                "DefineDosDevicex GetLastError=2147483647\n"
                                "DefineDosDevicex GetLastError=-2147483648\n"
                                "DefineDosDevicex GetLastError=2147483648\n"
                                "DefineDosDevicex GetLastError=-2147483649\n"
                                "DefineDosDevicex GetLastError=+5\n"
                                "DefineDosDevicex GetLastError=--5\n");
    ASSERT_EQ(parsed.failures.size(), 3u);
    EXPECT_EQ(parsed.failures[0].error, -536870347);
    EXPECT_STREQ(parsed.failures[0].path, "\\\\.\\Scsi0:");
    EXPECT_EQ(parsed.failures[1].error, 2147483647);
    EXPECT_EQ(parsed.failures[2].error, -2147483648LL);
    ASSERT_EQ(parsed.errors.size(), 4u) << "no DWORD printed with %d";
    EXPECT_EQ(parsed.errors[0].line, 4);
}

TEST(DumpParser, OffsetsPastThirtyOneBits)
{
    // Eight hex digits, as portdump prints offsets from 2^28 on: not a line
    // of a block, rather than no dump line at all.
    const Parsed parsed = Parse("ffffffff: 00\n-----------------------------------------\n80000000: 00\n");
    ASSERT_EQ(parsed.errors.size(), 2u);
    EXPECT_EQ(parsed.errors[0].message, "offset ffffffff is not a line of a 512-byte block");
    EXPECT_EQ(parsed.errors[1].message, "offset 80000000 is not a line of a 512-byte block");
}

TEST(DumpParser, StrayLinesOutsideBlocksAreErrorsOfTheirOwn)
{
    const Parsed parsed = Parse("Port 0\nPort x\n----\n-----------------------------------------\n1f0\n");
    ASSERT_EQ(parsed.errors.size(), 3u);
    EXPECT_EQ(parsed.errors[0].line, 2);
    EXPECT_EQ(parsed.errors[1].line, 3);
    EXPECT_EQ(parsed.errors[2].line, 5);
    for (const ParseError& error : parsed.errors) {
        EXPECT_EQ(error.blockLine, 0);
    }
}


// Two ports' output as pastes really bring it: the one error each must give
// (none: ""), and how many of the two blocks still decode, with their bytes.
struct Paste {
    const char* name;
    std::vector<std::string> (*edit)(std::vector<std::string> lines);
    const char* error;
    unsigned blocks;
};

void PrintTo(const Paste& paste, std::ostream* out)
{
    *out << paste.name;
}

class Pastes : public testing::TestWithParam<Paste> {};

TEST_P(Pastes, EachFaultAsItIsAndTheRestDecodes)
{
    const Paste& paste = GetParam();
    const Blocks blocks;
    const Parsed parsed = Parse(JoinLines(paste.edit(SplitLines(PortText(0, blocks.first) + PortText(1, blocks.second)))));
    ASSERT_EQ(parsed.errors.size(), paste.error[0] != '\0' ? 1u : 0u) << parsed.errors[0].message;
    if (!parsed.errors.empty()) {
        EXPECT_EQ(parsed.errors[0].message, paste.error);
    }
    ASSERT_EQ(parsed.blocks.size(), paste.blocks);
    EXPECT_EQ(std::memcmp(parsed.blocks.back().bytes, blocks.second, ATA_BLOCK_SIZE), 0);
    EXPECT_EQ(parsed.blocks.back().port, 1);
}

// Lines inserted before line `at` (1-based).
template <int at>
std::vector<std::string> Insert(std::vector<std::string> lines, std::vector<std::string> inserted)
{
    lines.insert(lines.begin() + at - 1, inserted.begin(), inserted.end());
    return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Issue22, Pastes,
    testing::Values(
        Paste{"PagerPromptInsideABlock", [](auto l) { return Insert<12>(l, {"-- More  --"}); },
              "not a line of portdump's output", 2},
        Paste{"ShellPromptInsideABlock", [](auto l) { return Insert<40>(l, {"C:\\> portdump 0"}); },
              "not a line of portdump's output", 2},
        Paste{"LongLineInsideABlock", [](auto l) { return Insert<20>(l, {std::string(2000, 'x')}); },
              "line too long for portdump's output", 2},
        Paste{"NulLedLineInsideABlock", [](auto l) { return Insert<5>(l, {std::string("\0\0 x", 4)}); },
              "not a line of portdump's output", 2},
        Paste{"LeftOverLine1f0", [](auto l) { return Insert<36>(l, {l[32]}); }, "block cut short: only its line 1f0", 2},
        Paste{"LeftOverLine010", [](auto l) { return Insert<36>(l, {l[2]}); }, "block cut short: only its line 010", 2},
        Paste{"FirstTwoLinesSwappedNotLeftOver", [](auto l) { std::swap(l[1], l[2]); return l; },
              "lines 000 and 010 out of order", 1},
        Paste{"LeftOverLine000", [](auto l) { return Insert<36>(l, {l[1]}); },
              "block cut short after 1 of its 32 lines", 2},
        Paste{"ByteOrderMarksWhereFilesWereJoined",
              [](auto l) {
                  l[34] = "\xef\xbb\xbf" + l[34];
                  l[35] = " \xef\xbb\xbf\xef\xbb\xbf" + l[35];
                  return l;
              },
              "", 2},
        Paste{"MailQuotesAndNoBreakSpaces",
              [](auto l) {
                  for (std::size_t i = 0; i < l.size(); ++i) {
                      l[i] = (i % 2 ? "> " : ">> > ") + l[i];
                      const std::size_t blank = l[i].find(": ");
                      if (blank != std::string::npos) {
                          l[i].replace(blank + 1, 1, "\xc2\xa0");
                      }
                  }
                  return l;
              },
              "", 2},
        Paste{"Line1f0Missing", [](auto l) { l.erase(l.begin() + 32); return l; }, "line 1f0 missing", 1},
        Paste{"Lines020To040Missing", [](auto l) { l.erase(l.begin() + 3, l.begin() + 6); return l; },
              "lines 020 to 040 missing", 1},
        Paste{"NoCharacterColumn", [](auto l) { l[11].resize(52); return l; },
              "no character column in the line at offset 0a0", 1},
        Paste{"Lines1e0And1f0Repeated", [](auto l) { return Insert<34>(l, {l[31], l[32]}); },
              "lines 1e0 and 1f0 repeated", 1}),
    [](const testing::TestParamInfo<Paste>& info) { return std::string(info.param.name); });

}  // namespace
