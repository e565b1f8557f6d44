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

void DecodeFeatures(const unsigned char* block, IdentifyInfo& info)
{
    // Words 82-84 hold what is supported, 85-87 what is enabled. Word 83
    // says with bits 15:14 = 01 that 82-86 are valid, word 87 the same of
    // itself; drives that leave word 87 zero still fill 85 and 86.
    const bool valid = (Word(block, 83) & 0xC000) == 0x4000;
    const unsigned s82 = valid ? Word(block, 82) : 0;
    const unsigned s83 = valid ? Word(block, 83) : 0;
    const unsigned s84 = valid ? Word(block, 84) : 0;
    const unsigned e85 = valid ? Word(block, 85) : 0;
    const unsigned e86 = valid ? Word(block, 86) : 0;
    const unsigned e87 = (Word(block, 87) & 0xC000) == 0x4000 ? Word(block, 87) : 0;
    info.smart = Feature{Bit(s82, 0), Bit(e85, 0)};
    info.security = Feature{Bit(s82, 1), Bit(e85, 1)};
    info.writeCache = Feature{Bit(s82, 5), Bit(e85, 5)};
    info.lookAhead = Feature{Bit(s82, 6), Bit(e85, 6)};
    info.apm = Feature{Bit(s83, 3), Bit(e86, 3)};
    info.lba48 = Feature{Bit(s83, 10), Bit(e86, 10)};
    const bool trim = Bit(Word(block, 169), 0);
    info.trim = Feature{trim, trim};

    // Word 128: the security status.
    const unsigned security = Word(block, 128);
    if (Bit(security, 0)) {
        info.security.supported = true;
        info.security.enabled = Bit(security, 1);
        info.securityLocked = Bit(security, 2);
        info.securityFrozen = Bit(security, 3);
    }

    // Words 108-111: the world wide name, when word 84 or 87 says it is there.
    if ((Bit(s84, 8) || Bit(e87, 8)) && Words(block, 108, 4) != 0) {
        std::snprintf(info.wwn, sizeof info.wwn, "%04x%04x%04x%04x", Word(block, 108), Word(block, 109),
                      Word(block, 110), Word(block, 111));
    }
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
}

}  // namespace

void DecodeIdentify(const unsigned char* block, IdentifyInfo& info)
{
    info = IdentifyInfo{};
    ReadDeviceStrings(block, info.strings);
    info.rotationRate = kNotReported;
    info.transport = kNotReported;
    info.ncqQueueDepth = kNotReported;

    info.lba28Sectors = Words(block, 60, 2);
    DecodeFeatures(block, info);
    // 48 bits: word 103 is zero in any count a drive can hold.
    if (info.lba48.supported && Word(block, 103) == 0) {
        info.lba48Sectors = Words(block, 100, 4);
    }
    DecodeSectorSizes(block, info);
    const unsigned long long sectors = AddressableSectors(block, info);
    // 0 when not reported, never a product that wrapped.
    info.capacityBytes = sectors <= ~0ULL / info.logicalSectorSize ? sectors * info.logicalSectorSize : 0;

    const unsigned rotation = Word(block, 217);
    if (rotation == 1 || (rotation >= 0x0401 && rotation <= 0xFFFE)) {
        info.rotationRate = static_cast<int>(rotation);
    }
    info.formFactor = static_cast<int>(Word(block, 168) & 0x0F);
    const unsigned versions = Word(block, 80);
    info.majorVersions = versions == 0xFFFF ? 0 : versions & 0x1FFE;
    DecodeTransport(block, info);
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
