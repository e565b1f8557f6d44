#include "decoded.h"

#include "error_meanings.h"

void DecodeBlock(const ParsedBlock& block, const char* source, DecodedBlock& decoded)
{
    decoded.source = source;
    decoded.port = block.port;
    decoded.line = block.line;
    decoded.kind = ClassifyBlock(block.bytes);
    switch (decoded.kind.kind) {
    case BlockKind::Identify:
        DecodeIdentify(block.bytes, decoded.identify);
        GatherIdentifyFacts(decoded.identify, decoded.identifyFacts);
        break;
    case BlockKind::IdentifyPacket:
        DecodeIdentifyPacket(block.bytes, decoded.packet);
        break;
    case BlockKind::Smart:
        DecodeSmart(block.bytes, decoded.smart);
        break;
    case BlockKind::Unknown:
        break;
    }
}

const char* FailureMeaning(const FailureLine& failure)
{
    switch (failure.step) {
    case FailedStep::Usage:
        return "portdump was not given exactly one argument";
    case FailedStep::DefineDosDevice:
        return "the temporary name tempBusSil<n> could not be defined; nothing was opened";
    case FailedStep::CreateFile:
        break;
    }
    const char* meaning = ErrorMeaning(failure.error);
    return meaning != nullptr ? meaning : "the device could not be opened";
}
