#include "block_kind.h"

#include "dump_parser.h"

namespace {

constexpr int kAttributeCount = 30;

bool SumsToZero(const unsigned char* block)
{
    unsigned sum = 0;
    for (int i = 0; i < kBlockSize; ++i) {
        sum += block[i];
    }
    return (sum & 0xFF) == 0;
}

// An ATA string of words [first, first + count): printable ASCII or NUL
// padding, with at least one letter or digit.
bool PlausibleString(const unsigned char* block, int first, int count)
{
    bool seen = false;
    for (int i = 2 * first; i < 2 * (first + count); ++i) {
        const unsigned char c = block[i];
        if (c != 0 && (c < 0x20 || c > 0x7E)) {
            return false;
        }
        seen = seen || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    }
    return seen;
}

// IDENTIFY data without the integrity word: an ATA device (word 0 bit 15
// clear) with a serial, firmware and model, LBA and a sector count.
bool LooksLikeIdentify(const unsigned char* block)
{
    return (Word(block, 0) & 0x8000) == 0 && PlausibleString(block, 10, 10) && PlausibleString(block, 23, 4) &&
           PlausibleString(block, 27, 20) && (Word(block, 49) & 0x0200) != 0 &&
           (Word(block, 60) | Word(block, 61)) != 0;
}

// SMART data: a revision number, then a table of attributes with distinct
// ids, flags in the low byte (the high one is reserved) and normalised values
// in range (254 and 255 are reserved).
bool LooksLikeSmart(const unsigned char* block)
{
    if (Word(block, 0) == 0) {
        return false;
    }
    bool seen[256] = {};
    int attributes = 0;
    for (int i = 0; i < kAttributeCount; ++i) {
        const unsigned char* entry = block + 2 + 12 * static_cast<long>(i);
        if (entry[0] == 0) {
            continue;
        }
        if (seen[entry[0]] || entry[2] != 0 || entry[3] > 253 || entry[4] > 253) {
            return false;
        }
        seen[entry[0]] = true;
        ++attributes;
    }
    return attributes > 0;
}

}  // namespace

Classification ClassifyBlock(const unsigned char* block)
{
    bool allZero = true;
    for (int i = 0; i < kBlockSize && allZero; ++i) {
        allZero = block[i] == 0;
    }
    if (allZero) {
        return {BlockKind::Unknown, Checksum::Absent, "all zero: the port answered without data"};
    }
    const Checksum sum = SumsToZero(block) ? Checksum::Correct : Checksum::Incorrect;
    // Word 255: the signature A5h in its low byte, then the checksum.
    if (block[510] == 0xA5) {
        return {BlockKind::Identify, sum, nullptr};
    }
    if (LooksLikeSmart(block)) {
        // Byte 511 is the checksum; some drives leave it zero.
        return {BlockKind::Smart, sum == Checksum::Correct || block[511] != 0 ? sum : Checksum::Absent, nullptr};
    }
    if (LooksLikeIdentify(block) && Word(block, 255) == 0) {
        return {BlockKind::Identify, Checksum::Absent, nullptr};
    }
    return {BlockKind::Unknown, Checksum::Absent, "neither IDENTIFY DEVICE nor SMART data"};
}
