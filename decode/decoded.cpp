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
    // The Windows numbers, as portdump gives them on Windows and on Linux.
    switch (failure.error) {
    case 2:
        return "file not found: no controller of that number, or no SiliconImage controller (or driver) of that model";
    case 3:
        return "path not found: no SiliconImage controller (or driver) at all";
    case 5:
        return "access denied: run it as administrator (Windows) or as root outside user namespaces (Linux)";
    case 1062:
        return "service not active: the SCSI generic driver is not loaded (Linux): modprobe sg";
    default:
        return "the device could not be opened";
    }
}
