// The IDENTIFY generator behind the invented disks of the emulated machine
// and the Wine stand-in driver: the words a decoder reads, worked out by hand.
#include "identify_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// ATA strings: two characters a word, the first in the high byte.
std::string AtaString(const unsigned char* block, int firstWord, int words)
{
    std::string text;
    for (int word = firstWord; word < firstWord + words; ++word) {
        text += static_cast<char>(block[2 * word + 1]);
        text += static_cast<char>(block[2 * word]);
    }
    return text;
}

TEST(IdentifyBlock, WellFormedForAnInventedDisk)
{
    const DiskIdentity disk = {"SN-12345", "FW1", "PORTDUMP TEST DISK", 0x123456789ull};
    unsigned char block[512];
    std::memset(block, 0x77, sizeof block);
    BuildIdentifyBlock(&disk, block);

    EXPECT_EQ(AtaString(block, 10, 10), "SN-12345            ");
    EXPECT_EQ(AtaString(block, 23, 4), "FW1     ");
    EXPECT_EQ(AtaString(block, 27, 20), "PORTDUMP TEST DISK                      ");
    const auto word = [&](int w) { return block[2 * w] | block[2 * w + 1] << 8; };
    EXPECT_NE(word(49) & 0x0200, 0) << "LBA supported";
    EXPECT_EQ(word(60) | word(61) << 16, 0x0FFFFFFF) << "28-bit count saturates";
    EXPECT_EQ(word(100), 0x6789);
    EXPECT_EQ(word(101), 0x2345);
    EXPECT_EQ(word(102), 0x0001);
    EXPECT_EQ(word(103), 0x0000);
    EXPECT_EQ(block[510], 0xa5);
    unsigned sum = 0;
    for (unsigned char byte : block) {
        sum += byte;
    }
    EXPECT_EQ(sum % 256, 0u);
    EXPECT_EQ(block[300], 0) << "unused words are zero";
}

TEST(IdentifyBlock, SmallDiskKeepsItsCountInBothFields)
{
    const DiskIdentity disk = {"S", "F", "M", 1000000ull};
    unsigned char block[512];
    BuildIdentifyBlock(&disk, block);
    EXPECT_EQ(block[120] | block[121] << 8 | block[122] << 16 | block[123] << 24, 1000000);
    EXPECT_EQ(block[200] | block[201] << 8 | block[202] << 16 | block[203] << 24, 1000000);
}

}  // namespace
