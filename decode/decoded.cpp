#include "decoded.h"

void DecodeBlock(const ParsedBlock& block, const char* source, DecodedBlock& decoded)
{
    decoded.source = source;
    decoded.port = block.port;
    decoded.line = block.line;
    decoded.kind = ClassifyBlock(block.bytes);
    switch (decoded.kind.kind) {
    case BlockKind::Identify:
        DecodeIdentify(block.bytes, decoded.identify);
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

void PrintBlockBody(const DecodedBlock& block, const BlockPrinters& printers)
{
    switch (block.kind.kind) {
    case BlockKind::Identify:
        printers.identify(block.identify);
        break;
    case BlockKind::IdentifyPacket:
        printers.packet(block.packet);
        break;
    case BlockKind::Smart:
        printers.smart(block.smart);
        break;
    case BlockKind::Unknown:
        printers.unknown(block.kind.reason);
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
    switch (failure.error) {
    case 2:
        return "file not found: no SCSI port of that number, or no SiliconImage driver for that model";
    case 3:
        return "path not found: no SiliconImage driver is loaded at all";
    case 5:
        return "access denied: the prompt is not elevated (Run as administrator)";
    default:
        return "the device could not be opened";
    }
}
