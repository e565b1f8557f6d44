// What a 512-byte block is: ATA IDENTIFY DEVICE or IDENTIFY PACKET DEVICE
// data, SMART READ DATA, or none of these, and whether its checksum holds.
#pragma once

enum class BlockKind { Identify, IdentifyPacket, Smart, Unknown };
enum class Checksum { Correct, Incorrect, Absent };

struct Classification {
    BlockKind kind;
    Checksum checksum;
    const char* reason;  // why the block is unknown; nullptr otherwise
};

Classification ClassifyBlock(const unsigned char* block);
