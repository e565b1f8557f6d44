// What a 512-byte block is: ATA IDENTIFY DEVICE or IDENTIFY PACKET DEVICE
// data, SMART READ DATA, or none of these, whether its checksum holds, and
// what it says; and what a failure line's error number means.
#pragma once

#include "dump_parser.h"
#include "identify.h"
#include "smart.h"

enum class BlockKind { Identify, IdentifyPacket, Smart, Unknown };
enum class Checksum { Correct, Incorrect, Absent };

struct Classification {
    BlockKind kind;
    Checksum checksum;
    const char* reason;  // why the block is unknown; nullptr otherwise
};

Classification ClassifyBlock(const unsigned char* block);

struct DecodedBlock {
    const char* source;
    int port;  // kNoPort when the dump had no port line
    LineNumber line;
    Classification kind;
    IdentifyInfo identify;  // when kind.kind is Identify
    PacketInfo packet;      // when kind.kind is IdentifyPacket
    SmartInfo smart;        // when kind.kind is Smart
};

void DecodeBlock(const ParsedBlock& block, const char* source, DecodedBlock& decoded);

// What a report prints of a block of one kind; each report has one for each
// kind, in the order of BlockKind.
using BodyPrinter = void (*)(const DecodedBlock& block);

Term KindTerm(BlockKind kind);
Term ChecksumTerm(Checksum checksum);
Term StepTerm(FailedStep step);

// What a failure line means, in portdump(1)'s words.
const char* FailureMeaning(const FailureLine& failure);
