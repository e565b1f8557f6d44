// A block of the input with what it was found to be, and what a failure
// line's error number means.
#pragma once

#include "block_kind.h"
#include "dump_parser.h"
#include "identify.h"
#include "report_facts.h"
#include "smart.h"

struct DecodedBlock {
    const char* source;
    int port;  // kNoPort when the dump had no port line
    LineNumber line;
    Classification kind;
    IdentifyInfo identify;        // when kind.kind is Identify
    IdentifyFacts identifyFacts;  // the same
    PacketInfo packet;            // when kind.kind is IdentifyPacket
    SmartInfo smart;              // when kind.kind is Smart
};

void DecodeBlock(const ParsedBlock& block, const char* source, DecodedBlock& decoded);

// What a report prints of a block of one kind; each report has one for each
// kind, in the order of BlockKind.
using BodyPrinter = void (*)(const DecodedBlock& block);

// The README's reading of a failure line.
const char* FailureMeaning(const FailureLine& failure);
