#include "block_dump.h"
#include "stdout_capture.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Dump(const unsigned char* data, int length)
{
    return CaptureStdout([&] { DumpBlock(data, length); });
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "output ends without a line feed";
    return lines;
}

TEST(DumpLayout, ExampleLineMatchesByHand)
{
    const unsigned char bytes[16] = {0x00, 0x01, 0x41, 0x42, 0x20, 0x7a, 0x7e, 0x80,
                                     0xff, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36};
    EXPECT_EQ(Dump(bytes, 16), "000: 00 01 41 42 20 7a 7e 80 ff 30 31 32 33 34 35 36  ..AB.z...0123456\n");
}

TEST(DumpLayout, FullBlockIs32LinesLabelled000To1f0)
{
    unsigned char block[512];
    for (int i = 0; i < 512; ++i) {
        block[i] = static_cast<unsigned char>(i * 7);
    }
    const std::vector<std::string> lines = Lines(Dump(block, 512));
    ASSERT_EQ(lines.size(), 32u);
    for (int line = 0; line < 32; ++line) {
        char label[8];
        std::snprintf(label, sizeof label, "%03x: ", line * 16);
        EXPECT_EQ(lines[line].substr(0, 5), label);
        EXPECT_EQ(lines[line].size(), 70u) << "line " << line;
        // Each pair ends in its own blank, then one more before the characters.
        EXPECT_NE(lines[line][51], ' ');
        EXPECT_EQ(lines[line].substr(52, 2), "  ");
    }
    // Byte 496 is 496 * 7 = 3472 = 0xd90, kept to its low byte.
    EXPECT_EQ(lines[31].substr(0, 8), "1f0: 90 ");
}

TEST(DumpLayout, PartialLastLineIsNotPadded)
{
    unsigned char bytes[20];
    for (int i = 0; i < 20; ++i) {
        bytes[i] = static_cast<unsigned char>('a' + i);
    }
    EXPECT_EQ(Dump(bytes, 20),
              "000: 61 62 63 64 65 66 67 68 69 6a 6b 6c 6d 6e 6f 70  abcdefghijklmnop\n"
              "010: 71 72 73 74  qrst\n");
}

TEST(DumpLayout, NothingForZeroOrNegativeLength)
{
    const unsigned char byte = 0x41;
    EXPECT_EQ(Dump(&byte, 0), "");
    EXPECT_EQ(Dump(&byte, -1), "");
    EXPECT_EQ(Dump(&byte, -2147483647 - 1), "");
}

TEST(DumpLayout, SingleByteAndOffsetsBeyondThreeDigits)
{
    const unsigned char byte = 0x09;
    EXPECT_EQ(Dump(&byte, 1), "000: 09  .\n");

    std::vector<unsigned char> big(4096 + 1, 0x5a);
    const std::vector<std::string> lines = Lines(Dump(big.data(), static_cast<int>(big.size())));
    ASSERT_EQ(lines.size(), 257u);
    EXPECT_EQ(lines[255].substr(0, 5), "ff0: ");
    EXPECT_EQ(lines[256], "1000: 5a  Z");
}

TEST(DumpCharacters, OnlyAsciiLettersAndDigitsShowThemselves)
{
    const unsigned char shown[] = {'0', '9', 'A', 'Z', 'a', 'z'};
    EXPECT_EQ(Dump(shown, 6), "000: 30 39 41 5a 61 7a  09AZaz\n");

    const unsigned char hidden[] = {0x20, 0x2e, 0x7e, 0xb0, 0x00, 0x0a, 0x2f, 0x3a, 0x40, 0x5b, 0x60, 0x7b, 0x7f, 0x80, 0xe9, 0xff};
    EXPECT_EQ(Dump(hidden, 16), "000: 20 2e 7e b0 00 0a 2f 3a 40 5b 60 7b 7f 80 e9 ff  ................\n");
}

TEST(DumpCharacters, EveryByteValueClassified)
{
    unsigned char all[256];
    for (int i = 0; i < 256; ++i) {
        all[i] = static_cast<unsigned char>(i);
    }
    const std::vector<std::string> lines = Lines(Dump(all, 256));
    ASSERT_EQ(lines.size(), 16u);
    for (int i = 0; i < 256; ++i) {
        const bool alnum = (i >= '0' && i <= '9') || (i >= 'A' && i <= 'Z') || (i >= 'a' && i <= 'z');
        EXPECT_EQ(lines[i / 16][54 + i % 16], alnum ? static_cast<char>(i) : '.') << "byte " << i;
    }
}

// The block ends right at a page that cannot be read: a read past the last
// byte faults instead of passing unnoticed.
TEST(DumpBounds, ReadsNoByteAfterTheBlock)
{
    const long page = sysconf(_SC_PAGESIZE);
    void* mapping = mmap(nullptr, static_cast<size_t>(2 * page), PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mapping, MAP_FAILED);
    unsigned char* guard = static_cast<unsigned char*>(mapping) + page;
    ASSERT_EQ(mprotect(guard, static_cast<size_t>(page), PROT_NONE), 0);

    for (int length : {512, 20, 16, 1}) {
        unsigned char* block = guard - length;
        std::memset(block, 0x41, static_cast<size_t>(length));
        block[length - 1] = 0x7a;  // the last byte must be printed, and nothing after it read
        const std::string out = Dump(block, length);
        const std::string ending = length == 1 ? " z\n" : "Az\n";
        ASSERT_GE(out.size(), 3u);
        EXPECT_EQ(out.substr(out.size() - 3), ending) << "length " << length;
    }
    munmap(mapping, static_cast<size_t>(2 * page));
}

}  // namespace
