// Blocks built by hand from the standards' layouts, for devices whose real
// blocks we do not have. Constructed, not captured from any device: the
// values are chosen, and what they decode to is worked out by hand in the
// tests.
#pragma once

#include "dump_parser.h"

#include <cstring>

struct ConstructedBlock {
    unsigned char bytes[ATA_BLOCK_SIZE] = {};
};

inline void PutWord(ConstructedBlock& block, int index, unsigned value)
{
    block.bytes[2 * index] = static_cast<unsigned char>(value & 0xFF);
    block.bytes[2 * index + 1] = static_cast<unsigned char>(value >> 8);
}

// An ATA string: blank-padded, two characters a word, the first in the high byte.
inline void PutAtaString(ConstructedBlock& block, int firstWord, int words, const char* text)
{
    const std::size_t length = std::strlen(text);
    unsigned char* first = block.bytes + 2 * firstWord;
    for (std::size_t i = 0; i < 2 * static_cast<std::size_t>(words); ++i) {
        first[i ^ 1] = static_cast<unsigned char>(i < length ? text[i] : ' ');
    }
}

// Byte 511: what makes the sum of all 512 bytes zero.
inline void PutChecksum(ConstructedBlock& block)
{
    unsigned sum = 0;
    for (int i = 0; i < ATA_BLOCK_SIZE - 1; ++i) {
        sum += block.bytes[i];
    }
    block.bytes[ATA_BLOCK_SIZE - 1] = static_cast<unsigned char>(-sum & 0xFF);
}

// IDENTIFY PACKET DEVICE data of an invented ATAPI drive, with `general` as
// word 0: 85C0h is a CD/DVD drive with removable media (bits 15:14 = 10b for a
// packet device, 12:8 = 5 for CD/DVD, bit 7 removable, 6:5 = 10b DRQ within 50 us).
inline ConstructedBlock PacketDeviceBlock(unsigned general = 0x85C0)
{
    ConstructedBlock block;
    PutWord(block, 0, general);
    PutAtaString(block, 10, 10, "PDCD0001");
    PutAtaString(block, 23, 4, "1.02");
    PutAtaString(block, 27, 20, "PORTDUMP DVD-ROM DRIVE");
    PutWord(block, 49, 0x0300);  // LBA and DMA
    PutWord(block, 53, 0x0006);  // words 64-70 and 88 valid
    PutWord(block, 80, 0x0070);  // ATA/ATAPI-4 to -6
    block.bytes[510] = 0xA5;     // the integrity word's signature
    PutChecksum(block);
    return block;
}

// One entry of the SMART attribute table: id, flags, current and worst
// values, six raw bytes (least significant first), a reserved byte.
struct AttributeEntry {
    unsigned char id;
    unsigned flags;
    unsigned char current;
    unsigned char worst;
    unsigned char raw[6];
};

// SMART READ DATA of an invented SSD, its table in the style of early SSDs:
// current values of 0 (not used), 200 and 255 beside the usual 1..253.
constexpr AttributeEntry kSsdAttributes[] = {
    {3, 0x0000, 0, 0, {0, 0, 0, 0, 0, 0}},
    {4, 0x0000, 0, 0, {0, 0, 0, 0, 0, 0}},
    {5, 0x0002, 255, 255, {0x03, 0, 0, 0, 0, 0}},
    {9, 0x0002, 100, 100, {0x5b, 0x0a, 0, 0, 0, 0}},
    {12, 0x0002, 100, 100, {0x05, 0x02, 0, 0, 0, 0}},
    {190, 0x0022, 55, 40, {0x2d, 0, 0, 0, 0, 0}},
    {192, 0x0002, 0, 0, {0x54, 0, 0, 0, 0, 0}},
    {194, 0x0022, 100, 100, {0x27, 0x00, 0x12, 0x00, 0x1f, 0x00}},
    {225, 0x0000, 200, 200, {0xa2, 0xf3, 0x01, 0, 0, 0}},
    {232, 0x0003, 99, 99, {0, 0, 0, 0, 0, 0}},
    {233, 0x0002, 98, 98, {0, 0, 0, 0, 0, 0}},
};

inline ConstructedBlock SsdSmartBlock()
{
    ConstructedBlock block;
    PutWord(block, 0, 0x0005);  // data structure revision
    int entry = 0;
    for (const AttributeEntry& attribute : kSsdAttributes) {
        unsigned char* at = block.bytes + 2 + 12 * entry++;
        at[0] = attribute.id;
        at[1] = static_cast<unsigned char>(attribute.flags & 0xFF);
        at[2] = static_cast<unsigned char>(attribute.flags >> 8);
        at[3] = attribute.current;
        at[4] = attribute.worst;
        std::memcpy(at + 5, attribute.raw, sizeof attribute.raw);
    }
    block.bytes[362] = 0x82;  // off-line collection completed without error, automatic on
    block.bytes[363] = 0x00;  // the last self-test completed without error
    PutWord(block, 182, 0x0001);  // bytes 364-365: one second to collect
    block.bytes[367] = 0x75;  // off-line collection capability
    PutWord(block, 184, 0x0003);  // bytes 368-369: SMART capability
    block.bytes[370] = 0x01;  // error logging supported
    block.bytes[372] = 1;     // short self-test: 1 minute
    block.bytes[373] = 1;     // extended self-test: 1 minute
    PutChecksum(block);
    return block;
}
