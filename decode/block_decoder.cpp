#include "block_decoder.h"

#include "ata_words.h"
#include "error_meanings.h"

namespace {

bool SumsToZero(const unsigned char* block)
{
    unsigned sum = 0;
    for (int i = 0; i < ATA_BLOCK_SIZE; ++i) {
        sum += block[i];
    }
    return (sum & 0xFF) == 0;
}

// An ATA string of words [first, first + count): printable ASCII or NUL
// padding; with at least one letter or digit when `required`.
bool PlausibleString(const unsigned char* block, int first, int count, bool required)
{
    bool seen = false;
    for (int i = 2 * first; i < 2 * (first + count); ++i) {
        const unsigned char c = block[i];
        if (c != 0 && (c < 0x20 || c > 0x7E)) {
            return false;
        }
        seen = seen || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    }
    return seen || !required;
}

// IDENTIFY data without the integrity word: a model and firmware; an ATA
// device also has a serial, LBA and a sector count (a packet device may
// leave its serial blank and has no sectors of its own).
bool HasIdentifyStrings(const unsigned char* block, bool packet)
{
    return PlausibleString(block, ATA_SERIAL_FIRST_WORD, ATA_SERIAL_WORDS, !packet) &&
           PlausibleString(block, ATA_FIRMWARE_FIRST_WORD, ATA_FIRMWARE_WORDS, true) &&
           PlausibleString(block, ATA_MODEL_FIRST_WORD, ATA_MODEL_WORDS, true);
}

bool LooksLikeIdentify(const unsigned char* block, bool packet)
{
    return HasIdentifyStrings(block, packet) && Word(block, 255) == 0 &&
           (packet || (Bit(Word(block, 49), 9) && (Word(block, 60) | Word(block, 61)) != 0));
}

// The attribute table of SMART READ DATA and of SMART READ THRESHOLDS
// alike: some ids, none twice. A thresholds entry is an id and a threshold,
// then ten reserved bytes; a data entry has flags, values and raw bytes there.
struct AttributeTable {
    bool valid;
    bool thresholds;
};

AttributeTable ReadAttributeTable(const unsigned char* block)
{
    bool seen[256] = {};
    int attributes = 0;
    bool thresholds = true;
    for (int i = 0; i < kSmartAttributes; ++i) {
        const unsigned char* entry = SmartEntry(block, i);
        if (entry[0] == 0) {
            continue;
        }
        if (seen[entry[0]]) {
            return {false, false};
        }
        seen[entry[0]] = true;
        ++attributes;
        for (int byte = 2; byte < 12; ++byte) {
            thresholds = thresholds && entry[byte] == 0;
        }
    }
    return {attributes > 0, thresholds};
}

// SMART data's fixed fields: bytes 377-385 are reserved (zero), and of the
// error logging capability (byte 370) only bit 0 is defined.
bool HasSmartStatusFields(const unsigned char* block)
{
    for (int i = 377; i <= 385; ++i) {
        if (block[i] != 0) {
            return false;
        }
    }
    return (block[370] & 0xFE) == 0;
}

// SMART data by its table, fixed fields and checksum; the reason it is none.
Classification ClassifySmart(const unsigned char* block, Checksum sum)
{
    const Classification neither = {BlockKind::Unknown, Checksum::Absent, "neither IDENTIFY DEVICE nor SMART data"};
    const AttributeTable table = ReadAttributeTable(block);
    if (!table.valid || !HasSmartStatusFields(block)) {
        return neither;
    }
    if (table.thresholds) {
        return {BlockKind::Unknown, Checksum::Absent, "SMART thresholds (SMART READ THRESHOLDS), not SMART data"};
    }
    // Byte 511 is the checksum: a wrong one marks damaged data, none at all
    // leaves nothing that tells SMART data from other bytes.
    return sum == Checksum::Incorrect && block[511] == 0 ? neither : Classification{BlockKind::Smart, sum, nullptr};
}

}  // namespace

Classification ClassifyBlock(const unsigned char* block)
{
    bool allZero = true;
    for (int i = 0; i < ATA_BLOCK_SIZE && allZero; ++i) {
        allZero = block[i] == 0;
    }
    if (allZero) {
        return {BlockKind::Unknown, Checksum::Absent, "all zero: the port answered without data"};
    }
    const Checksum sum = SumsToZero(block) ? Checksum::Correct : Checksum::Incorrect;
    // Word 0: bit 15 clear for an ATA device, bits 15:14 = 10b for a packet
    // device (848Ah is a CompactFlash card's, an ATA device).
    const unsigned general = Word(block, 0);
    const bool packet = (general & 0xC000) == 0x8000 && general != 0x848A;
    const BlockKind identify = packet ? BlockKind::IdentifyPacket : BlockKind::Identify;
    // Word 255: the signature A5h in its low byte, then the checksum. SMART
    // data may hold A5h there too, as a vendor's byte: its table, and strings
    // that are none, outweigh the signature.
    const Classification smart = ClassifySmart(block, sum);
    const bool smartTable = smart.kind == BlockKind::Smart && !HasIdentifyStrings(block, packet);
    if (block[510] == 0xA5 && !smartTable) {
        return {identify, sum, nullptr};
    }
    if (LooksLikeIdentify(block, packet)) {
        return {identify, Checksum::Absent, nullptr};
    }
    return smart;
}

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

// Each table in the order of its enum.
namespace {

constexpr Term kKindTerms[] = {
    {"IDENTIFY DEVICE", "identify"},
    {"IDENTIFY PACKET DEVICE", "identify_packet"},
    {"SMART data", "smart"},
    {"unknown", "unknown"},
};

constexpr Term kChecksumTerms[] = {
    {"correct", "correct"},
    {"INCORRECT (decoded anyway: the data may be damaged)", "incorrect"},
    {"absent", "absent"},
};

constexpr Term kStepTerms[] = {
    {"usage message", "usage"},
    {"DefineDosDevice", "DefineDosDevice"},
    {"CreateFile", "CreateFile"},
};

}  // namespace

Term KindTerm(BlockKind kind)
{
    return kKindTerms[static_cast<int>(kind)];
}

Term ChecksumTerm(Checksum checksum)
{
    return kChecksumTerms[static_cast<int>(checksum)];
}

Term StepTerm(FailedStep step)
{
    return kStepTerms[static_cast<int>(step)];
}

