// What a 512-byte block is: ATA IDENTIFY DEVICE data, SMART READ DATA, or
// neither, and whether its checksum holds.
#pragma once

enum class BlockKind { Identify, Smart, Unknown };
enum class Checksum { Correct, Incorrect, Absent };

struct Classification {
    BlockKind kind;
    Checksum checksum;
    const char* reason;  // why the block is unknown; nullptr otherwise
};

Classification ClassifyBlock(const unsigned char* block);

// A little-endian 16-bit word of the block, as ATA numbers them.
inline unsigned Word(const unsigned char* block, int index)
{
    const unsigned char* word = block + 2 * static_cast<long>(index);
    return static_cast<unsigned>(word[0] | word[1] << 8);
}
