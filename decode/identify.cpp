#include "identify.h"

#include <cstdio>

namespace {

unsigned long long Words(const unsigned char* block, int first, int count)
{
    unsigned long long value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = value << 16 | Word(block, first + i);
    }
    return value;
}

// Word 106: valid when bits 15:14 are 01. A logical size of 0 words is
// none: the default of 512 bytes holds.
void DecodeSectorSizes(const unsigned char* block, IdentifyInfo& info)
{
    const unsigned sizes = Word(block, 106);
    info.logicalSectorSize = 512;
    info.physicalSectorSize = 512;
    info.logicalSectorOffset = kNotReported;
    if ((sizes & 0xC000) != 0x4000) {
        return;
    }
    if (Bit(sizes, 12) && Words(block, 117, 2) != 0) {
        // Words 117-118: the logical sector size in words.
        info.logicalSectorSize = 2 * Words(block, 117, 2);
    }
    info.physicalSectorSize = info.logicalSectorSize;
    if (Bit(sizes, 13)) {
        info.physicalSectorSize <<= (sizes & 0x0F);
    }
    // Word 209: where the first logical sector starts in its physical one, in logical sectors.
    const unsigned alignment = Word(block, 209);
    if ((alignment & 0xC000) == 0x4000) {
        info.logicalSectorOffset = static_cast<long long>((alignment & 0x3FFF) * info.logicalSectorSize);
    }
}

// The sectors the capacity counts: the 48-bit count (all ones or 0 is none),
// else the 28-bit one, else, as hdparm falls back, the current CHS capacity
// (words 57-58, valid with word 53 bit 0), else cylinders times heads times
// sectors a track (words 1, 3, 6).
unsigned long long AddressableSectors(const unsigned char* block, const IdentifyInfo& info)
{
    if (info.lba48Sectors != 0) {
        return info.lba48Sectors;
    }
    if (info.lba28Sectors != 0) {
        return info.lba28Sectors;
    }
    if (Bit(Word(block, 53), 0) && Words(block, 57, 2) != 0) {
        return Words(block, 57, 2);
    }
    return static_cast<unsigned long long>(Word(block, 1)) * Word(block, 3) * Word(block, 6);
}

bool Valid(const unsigned char* block, ValidRule rule)
{
    const unsigned word = rule.word == kNoWord ? 0 : Word(block, rule.word);
    switch (rule.when) {
    case ValidWhen::Always:
        return true;
    case ValidWhen::Signature:
        return (word & 0xC000) == 0x4000;
    case ValidWhen::Filled:
        return word != 0 && word != 0xFFFF;
    case ValidWhen::Bit:
        return Bit(word, rule.bit);
    }
    return false;
}

bool FlagSet(const unsigned char* block, WordBit flag)
{
    return flag.word != kNoWord && Bit(Word(block, flag.word), flag.bit);
}

// Words 89 and 90: units of 2 minutes, in bits 7:0 (255: more than 508
// minutes) or, with bit 15 set, in bits 14:0 (32767: more than 65532).
EraseTime DecodeEraseTime(unsigned word)
{
    const unsigned most = Bit(word, 15) ? 0x7FFF : 0xFF;
    const unsigned units = word & most;
    if (units == 0) {
        return EraseTime{kNotReported, false};
    }
    const bool moreThan = units == most;
    return EraseTime{static_cast<int>(2 * (moreThan ? most - 1 : units)), moreThan};
}

// A word whose 0000h and FFFFh both mean none.
int FilledWord(const unsigned char* block, int index)
{
    const unsigned word = Word(block, index);
    return word != 0 && word != 0xFFFF ? static_cast<int>(word) : kNotReported;
}

void DecodeFeatures(const unsigned char* block, IdentifyInfo& info)
{
    for (int i = 0; i < kFeatureRowCount; ++i) {
        const FeatureRow& row = kFeatureRows[i];
        const bool valid = Valid(block, row.valid);
        info.features[i] = Feature{valid && FlagSet(block, row.supported), valid && FlagSet(block, row.enabled)};
    }

    // Word 128: the security status, which a drive may give without word 82.
    const unsigned security = Word(block, 128);
    SecurityState& state = info.security;
    if (Bit(security, 0)) {
        info.features[kSecurityRow] = Feature{true, Bit(security, 1)};
        state.locked = Bit(security, 2);
        state.frozen = Bit(security, 3);
        state.countExpired = Bit(security, 4);
        state.enhancedEraseSupported = Bit(security, 5);
        state.maximumLevel = Bit(security, 8);
    }
    state.erase = DecodeEraseTime(Word(block, 89));
    state.enhancedErase = DecodeEraseTime(Word(block, 90));
    state.masterPasswordRevision = FilledWord(block, 92);

    // Words 108-111: the world wide name, NAA in 4 bits, the OUI in 24, the rest the unique id.
    if (info.features[kWorldWideNameRow].supported && Words(block, 108, 4) != 0) {
        unsigned long long wwn = 0;
        for (int i = 0; i < 4; ++i) {
            wwn = wwn << 16 | Word(block, 108 + i);  // the first word the most significant
        }
        std::snprintf(info.wwn, sizeof info.wwn, "%016llx", wwn);
        info.wwnNaa = static_cast<int>(wwn >> 60);
        std::snprintf(info.wwnOui, sizeof info.wwnOui, "%06llx", wwn >> 36 & 0xFFFFFF);
        std::snprintf(info.wwnUniqueId, sizeof info.wwnUniqueId, "%09llx", wwn & 0xFFFFFFFFFULL);
    }
    info.apmLevel = info.features[kApmRow].enabled ? static_cast<int>(Word(block, 91) & 0xFF) : kNotReported;
    const int acoustic = FilledWord(block, 94);
    info.acousticRecommended = acoustic == kNotReported ? kNotReported : acoustic >> 8;
    info.acousticCurrent = acoustic == kNotReported ? kNotReported : acoustic & 0xFF;
    const int dsm = static_cast<int>(Word(block, 105));
    info.dsmMaxBlocks = dsm != 0 ? dsm : kNotReported;
}

// The mode lists; the mode in use is the last list's that has one selected.
void DecodeModes(const unsigned char* block, IdentifyInfo& info)
{
    info.activeList = kNotReported;
    info.activeMode = kNotReported;
    for (int i = 0; i < kModeListCount; ++i) {
        const ModeList& list = kModeLists[i];
        // The modes below the list's first are every device's, whatever the word says.
        info.modes[i] = (1U << list.firstMode) - 1;
        if (!Valid(block, list.valid)) {
            continue;
        }
        const unsigned word = Word(block, list.word);
        const unsigned mask = (1U << list.supportedCount) - 1;
        info.modes[i] |= (word >> list.supportedShift & mask) << list.firstMode;
        const unsigned selected = list.selectedShift < 0 ? 0 : word >> list.selectedShift & mask;
        for (int mode = 0; mode < list.supportedCount; ++mode) {
            if (Bit(selected, mode)) {
                info.activeList = i;
                info.activeMode = list.firstMode + mode;
            }
        }
    }
    // Words 65-68, valid with word 53 bit 1.
    const bool timings = Bit(Word(block, 53), 1);
    int* const cycles[] = {&info.dmaMinCycle, &info.dmaRecommendedCycle, &info.pioMinCycle, &info.pioMinCycleIordy};
    for (int i = 0; i < 4; ++i) {
        const int cycle = timings ? static_cast<int>(Word(block, 65 + i)) : 0;
        *cycles[i] = cycle != 0 ? cycle : kNotReported;
    }
}

// Words 1-6 and 20-59: the geometry, the buffer and the capabilities.
void DecodeConfiguration(const unsigned char* block, IdentifyInfo& info)
{
    info.chs = Chs{static_cast<int>(Word(block, 1)), static_cast<int>(Word(block, 3)), static_cast<int>(Word(block, 6))};
    info.chsCurrentValid = Bit(Word(block, 53), 0);
    if (info.chsCurrentValid) {
        info.chsCurrent = Chs{static_cast<int>(Word(block, 54)), static_cast<int>(Word(block, 55)),
                              static_cast<int>(Word(block, 56))};
        info.chsCurrentSectors = Words(block, 57, 2);
    }
    // Word 21: the buffer in 512-byte units; word 20 its type.
    const unsigned buffer = Word(block, 21);
    info.bufferKib = buffer != 0 && buffer != 0xFFFF ? static_cast<int>(buffer / 2) : kNotReported;
    info.bufferType = static_cast<int>(Word(block, 20));
    const unsigned multiple = Word(block, 47) & 0xFF;
    info.multipleMax = multiple != 0 ? static_cast<int>(multiple) : kNotReported;
    const unsigned current = Word(block, 59);
    info.multipleCurrent = Bit(current, 8) ? static_cast<int>(current & 0xFF) : kNotReported;
    const unsigned capabilities = Word(block, 49);
    info.lbaSupported = Bit(capabilities, 9);
    info.iordySupported = Bit(capabilities, 11);
    info.iordyCanBeDisabled = Bit(capabilities, 10);
    info.standbyTimerStandard = Bit(capabilities, 13);
    const unsigned more = Word(block, 50);
    info.standbyTimerDeviceMinimum = (more & 0xC000) == 0x4000 ? static_cast<int>(more & 1) : kNotReported;

    const unsigned reset = Word(block, 93);
    HardwareReset& hw = info.hardwareReset;
    hw.reported = (reset & 0xC000) == 0x4000;
    // Bits 12:8 are device 1's results, 7:0 device 0's; bits 10:9 or 2:1 how it took its number.
    hw.deviceNumber = Bit(reset, 8) ? 1 : 0;
    static const DeterminedBy kHow[] = {DeterminedBy::Unknown, DeterminedBy::Jumper, DeterminedBy::Csel,
                                        DeterminedBy::Other};
    hw.determinedBy = kHow[reset >> (hw.deviceNumber == 1 ? 9 : 1) & 3];
    hw.cblidAboveVih = Bit(reset, 13);
}

// Words 75-76 (SATA capabilities) and 222 (transport).
void DecodeTransport(const unsigned char* block, IdentifyInfo& info)
{
    const unsigned sata = Word(block, 76);
    if (sata != 0 && sata != 0xFFFF) {
        info.sataGenerations = (sata >> 1) & 0x07;
        if (Bit(sata, 8)) {
            info.ncqQueueDepth = static_cast<int>(Word(block, 75) & 0x1F) + 1;
        }
    }
    const unsigned transport = Word(block, 222);
    if (transport != 0 && transport != 0xFFFF) {
        info.transport = static_cast<int>(transport >> 12);
        info.transportVersions = transport & 0x0FFF;
    }
    info.transportMinorVersion = FilledWord(block, 223);
    // Word 77 bits 3:1: the signalling generation in use.
    const unsigned speed = Word(block, 77) >> 1 & 7;
    info.sataCurrentGeneration = Word(block, 77) != 0xFFFF && speed != 0 ? static_cast<int>(speed) : kNotReported;
}

void GatherNames(unsigned bits, int count, const char* (*name)(int), NameList& list)
{
    list.count = 0;
    for (int bit = 0; bit < count; ++bit) {
        if ((bits >> bit & 1) != 0 && name(bit) != nullptr) {
            list.names[list.count++] = name(bit);
        }
    }
}

// The names and numbers both reports list of words 80, 222 and 76.
void NameVersions(IdentifyInfo& info)
{
    GatherNames(info.majorVersions, 16, MajorVersionName, info.ataVersions);
    GatherNames(info.transport == kSerialTransport ? info.transportVersions : 0, 12, SerialTransportName,
                info.serialVersions);
    info.signalledGenerationCount = 0;
    for (int gen = 1; gen <= kSataGenerations; ++gen) {
        if ((info.sataGenerations >> (gen - 1) & 1) != 0) {
            info.signalledGenerations[info.signalledGenerationCount++] = gen;
        }
    }
}

}  // namespace

void DecodeIdentify(const unsigned char* block, IdentifyInfo& info)
{
    info = IdentifyInfo{};
    ReadDeviceStrings(block, info.strings);
    info.rotationRate = kNotReported;
    info.transport = kNotReported;
    info.ncqQueueDepth = kNotReported;
    info.removable = Bit(Word(block, 0), 7);

    info.lba28Sectors = Words(block, 60, 2);
    DecodeFeatures(block, info);
    // 48 bits: word 103 is zero in any count a drive can hold.
    if (info.features[kLba48Row].supported && Word(block, 103) == 0) {
        info.lba48Sectors = Words(block, 100, 4);
    }
    DecodeSectorSizes(block, info);
    const unsigned long long sectors = AddressableSectors(block, info);
    // 0 when not reported, never a product that wrapped.
    info.capacityBytes = sectors <= ~0ULL / info.logicalSectorSize ? sectors * info.logicalSectorSize : 0;
    info.capacityGB = static_cast<double>(info.capacityBytes) / 1e9;
    info.capacityGiB = static_cast<double>(info.capacityBytes) / (1024.0 * 1024.0 * 1024.0);
    DecodeConfiguration(block, info);
    DecodeModes(block, info);

    const unsigned rotation = Word(block, 217);
    if (rotation == 1 || (rotation >= 0x0401 && rotation <= 0xFFFE)) {
        info.rotationRate = static_cast<int>(rotation);
    }
    info.formFactor = static_cast<int>(Word(block, 168) & 0x0F);
    const unsigned versions = Word(block, 80);
    info.majorVersions = versions == 0xFFFF ? 0 : versions & 0x1FFE;
    info.minorVersion = FilledWord(block, 81);
    DecodeTransport(block, info);
    NameVersions(info);
}

const char* MajorVersionName(int bit)
{
    static const char* const kNames[] = {nullptr,       "ATA-1",       "ATA-2",       "ATA-3",    "ATA/ATAPI-4",
                                         "ATA/ATAPI-5", "ATA/ATAPI-6", "ATA/ATAPI-7", "ATA8-ACS", "ACS-2",
                                         "ACS-3",       "ACS-4",       "ACS-5"};
    return bit >= 0 && bit < static_cast<int>(sizeof kNames / sizeof kNames[0]) ? kNames[bit] : nullptr;
}

const char* FormFactorName(int code)
{
    static const char* const kNames[] = {nullptr,  "5.25 inch", "3.5 inch", "2.5 inch", "1.8 inch",
                                         "less than 1.8 inch", "mSATA", "M.2", "MicroSSD", "CFast"};
    return code >= 0 && code < static_cast<int>(sizeof kNames / sizeof kNames[0]) ? kNames[code] : nullptr;
}

const char* SerialTransportName(int bit)
{
    static const char* const kNames[] = {"ATA8-AST",     "SATA 1.0a",    "SATA II Extensions", "SATA Rev 2.5",
                                         "SATA Rev 2.6", "SATA Rev 3.0", "SATA Rev 3.1",       "SATA Rev 3.2",
                                         "SATA Rev 3.3", "SATA Rev 3.4", "SATA Rev 3.5"};
    return bit >= 0 && bit < static_cast<int>(sizeof kNames / sizeof kNames[0]) ? kNames[bit] : nullptr;
}

void DecodeIdentifyPacket(const unsigned char* block, PacketInfo& info)
{
    info = PacketInfo{};
    ReadDeviceStrings(block, info.strings);
    const unsigned general = Word(block, 0);
    info.deviceType = static_cast<int>(general >> 8 & 0x1F);
    info.removable = Bit(general, 7);
}

const char* PacketDeviceTypeName(int type)
{
    switch (type) {
    case 0x00: return "direct access";
    case 0x01: return "tape";
    case 0x05: return "CD/DVD";
    case 0x07: return "optical memory";
    default: return nullptr;
    }
}

namespace {

constexpr Term kBufferTypeTerms[] = {
    {"none", nullptr},
    {"single ported, single sector", "single_ported"},
    {"dual ported, multiple sectors", "dual_ported"},
    {"dual ported, multiple sectors, with read caching", "dual_ported_cache"},
};

constexpr Term kDeterminedByTerms[] = {
    {"unknown", "unknown"},
    {"jumper", "jumper"},
    {"CSEL", "CSEL"},
    {"other", "other"},
};

}  // namespace

Term TransportTerm(int transport)
{
    switch (transport) {
    case kNotReported:
        return {"not reported", nullptr};
    case kParallelTransport:
        return {"parallel", "parallel"};
    case kSerialTransport:
        return {"serial", "serial"};
    default:
        return {"other", "other"};
    }
}

Term RotationTerm(int rotationRate)
{
    if (rotationRate == kNotReported) {
        return {"not reported", nullptr};
    }
    return rotationRate == 1 ? Term{"solid state", "solid state"} : kNumberTerm;
}

Term BufferTypeTerm(int type)
{
    return type >= 0 && type < 4 ? kBufferTypeTerms[type] : kBufferTypeTerms[0];
}

Term DeterminedByTerm(DeterminedBy how)
{
    return kDeterminedByTerms[static_cast<int>(how)];
}
