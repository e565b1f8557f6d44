// The decoders on blocks whose contents are known: the emulated machine's and
// the Wine stand-in driver's invented disks, and real blocks made damaged.
#include "constructed_blocks.h"
#include "block_decoder.h"
#include "kernel32.h"
#include "parse_helpers.h"
#include "read_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

namespace {

std::vector<DecodedBlock> DecodeText(const std::string& text)
{
    const Parsed parsed = Parse(text);
    EXPECT_TRUE(parsed.errors.empty());
    std::vector<DecodedBlock> decoded(parsed.blocks.size());
    for (std::size_t i = 0; i < parsed.blocks.size(); ++i) {
        DecodeBlock(parsed.blocks[i], "test", decoded[i]);
    }
    return decoded;
}

struct Disk {
    int port;
    const char* model;
    const char* serial;
    const char* firmware;
    unsigned long long sectors;
};

void ExpectDisks(const std::vector<DecodedBlock>& decoded, const std::vector<Disk>& disks)
{
    ASSERT_EQ(decoded.size(), disks.size());
    for (std::size_t i = 0; i < disks.size(); ++i) {
        const DecodedBlock& block = decoded[i];
        const IdentifyInfo& identify = block.identify;
        EXPECT_EQ(block.port, disks[i].port);
        ASSERT_EQ(block.kind.kind, BlockKind::Identify);
        EXPECT_EQ(block.kind.checksum, Checksum::Correct);
        EXPECT_STREQ(identify.strings.model, disks[i].model);
        EXPECT_STREQ(identify.strings.serial, disks[i].serial);
        EXPECT_STREQ(identify.strings.firmware, disks[i].firmware);
        EXPECT_TRUE(identify.features[kLba48Row].supported);
        EXPECT_EQ(identify.lba48Sectors, disks[i].sectors);
        EXPECT_EQ(identify.lba28Sectors, disks[i].sectors < 0x0FFFFFFF ? disks[i].sectors : 0x0FFFFFFF);
        EXPECT_EQ(identify.capacityBytes, disks[i].sectors * 512);
    }
}

// The disks portdump(1) lists for the emulated machine.
TEST(InventedDisks, EmulatedMachineDecodesToItsDisks)
{
    const std::string golden = PORTDUMP_GOLDEN_DIR;
    ExpectDisks(DecodeText(ReadFile(golden + "/portdump_0.out")),
                {{0, "PORTDUMP EMULATED DISK 500", "EMU0000A1", "1.00", 976773168ull},
                 {1, "PORTDUMP EMULATED DISK 250", "EMU0000B2", "1.00", 488397168ull}});
    ExpectDisks(DecodeText(ReadFile(golden + "/portdump_3512.out")),
                {{0, "PORTDUMP EMULATED SATA 80", "SIL3112P0", "2.10", 156301488ull}});
    ExpectDisks(DecodeText(ReadFile(golden + "/portdump_3114.out")),
                {{1, "PORTDUMP EMULATED SATA 1000", "SIL3114P1", "3.02", 1953525168ull},
                 {3, "PORTDUMP EMULATED SATA 2000", "SIL3114P3", "3.02", 3907029168ull}});
}

TEST(InventedDisks, WineStandInDecodesToItsDisksAndTheShortAnswer)
{
    const std::string golden = WINE_GOLDEN_DIR;
    std::vector<DecodedBlock> decoded = DecodeText(ReadFile(golden + "/scsi0.out"));  // CR LF
    ASSERT_EQ(decoded.size(), 3u);
    EXPECT_EQ(decoded[2].port, 3);
    EXPECT_EQ(decoded[2].kind.kind, BlockKind::Unknown) << "100 letters and zeros are no IDENTIFY data";
    decoded.pop_back();
    ExpectDisks(decoded, {{0, "PORTDUMP WINE DISK 0", "WINE0P0", "8.00", 1000215216ull},
                          {2, "PORTDUMP WINE DISK 2", "WINE0P2", "8.00", 250069680ull}});
    ExpectDisks(DecodeText(ReadFile(golden + "/tempBusSil3114.out")),
                {{1, "PORTDUMP WINE SATA 1", "WINESIL1", "3.02", 1953525168ull}});
}

struct RealBlock {
    unsigned char bytes[ATA_BLOCK_SIZE];
    explicit RealBlock(const char* name)
    {
        const std::string data = ReadFile(std::string(DATA_DIR) + "/" + name);
        EXPECT_EQ(data.size(), static_cast<std::size_t>(ATA_BLOCK_SIZE)) << name;
        std::memcpy(bytes, data.data(), ATA_BLOCK_SIZE);
    }
};

TEST(Classification, ChecksumsAndKinds)
{
    RealBlock identify("Samsung_SSD_860_EVO_500GB.bin");
    EXPECT_EQ(ClassifyBlock(identify.bytes).kind, BlockKind::Identify);
    EXPECT_EQ(ClassifyBlock(identify.bytes).checksum, Checksum::Correct);
    identify.bytes[54] ^= 0x20;  // one character of the model
    EXPECT_EQ(ClassifyBlock(identify.bytes).kind, BlockKind::Identify) << "decoded anyway";
    EXPECT_EQ(ClassifyBlock(identify.bytes).checksum, Checksum::Incorrect);

    // Without the integrity word, as older drives send it.
    RealBlock old("Maxtor_96147H8.bin");
    old.bytes[510] = old.bytes[511] = 0;
    EXPECT_EQ(ClassifyBlock(old.bytes).kind, BlockKind::Identify);
    EXPECT_EQ(ClassifyBlock(old.bytes).checksum, Checksum::Absent);

    RealBlock smart("smart-SAMSUNG_HD501LJ.bin");
    EXPECT_EQ(ClassifyBlock(smart.bytes).kind, BlockKind::Smart);
    EXPECT_EQ(ClassifyBlock(smart.bytes).checksum, Checksum::Correct);
    smart.bytes[5] ^= 0x01;  // attribute 1's current value
    EXPECT_EQ(ClassifyBlock(smart.bytes).kind, BlockKind::Smart);
    EXPECT_EQ(ClassifyBlock(smart.bytes).checksum, Checksum::Incorrect);

    const unsigned char zero[ATA_BLOCK_SIZE] = {};
    const Classification none = ClassifyBlock(zero);
    EXPECT_EQ(none.kind, BlockKind::Unknown);
    EXPECT_NE(std::strstr(none.reason, "all zero"), nullptr);
}

TEST(Classification, SmartDataWhateverItsValues)
{
    // Current values of 0, 200 and 255, which no range rule allows.
    ConstructedBlock ssd = SsdSmartBlock();
    Classification kind = ClassifyBlock(ssd.bytes);
    EXPECT_EQ(kind.kind, BlockKind::Smart);
    EXPECT_EQ(kind.checksum, Checksum::Correct);

    // A SMART READ THRESHOLDS answer has the same table of ids, with a
    // threshold and ten reserved bytes in each entry.
    for (const char* name : {"smartthr-SAMSUNG_HD501LJ.bin", "smartthr-Maxtor_96147H8.bin"}) {
        const RealBlock thresholds(name);
        kind = ClassifyBlock(thresholds.bytes);
        EXPECT_EQ(kind.kind, BlockKind::Unknown) << name;
        EXPECT_STREQ(kind.reason, "SMART thresholds (SMART READ THRESHOLDS), not SMART data");
    }

    // Without its checksum the table alone does not make SMART data.
    ssd.bytes[511] = 0;
    EXPECT_EQ(ClassifyBlock(ssd.bytes).kind, BlockKind::Unknown);
    // Nor with a reserved byte set (bytes 377-385).
    ssd = SsdSmartBlock();
    ssd.bytes[380] = 1;
    PutChecksum(ssd);
    EXPECT_EQ(ClassifyBlock(ssd.bytes).kind, BlockKind::Unknown);
    // Nor with an id twice.
    ssd = SsdSmartBlock();
    ssd.bytes[2 + 12] = 3;
    PutChecksum(ssd);
    EXPECT_EQ(ClassifyBlock(ssd.bytes).kind, BlockKind::Unknown);
}

TEST(SmartFields, ConstructedSsdTableDecodedByHand)
{
    const ConstructedBlock ssd = SsdSmartBlock();
    SmartInfo info;
    DecodeSmart(ssd.bytes, info);
    EXPECT_EQ(info.revision, 5);
    ASSERT_EQ(info.attributeCount, 11);
    const int ids[] = {3, 4, 5, 9, 12, 190, 192, 194, 225, 232, 233};
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(info.attributes[i].id, ids[i]);
    }
    EXPECT_EQ(info.attributes[0].current, 0);
    EXPECT_EQ(info.attributes[2].current, 255);
    EXPECT_EQ(info.attributes[2].raw, 3u);
    EXPECT_EQ(info.attributes[3].raw, 2651u);  // 0a5bh power-on hours
    EXPECT_EQ(info.attributes[5].flags, 0x0022u);
    EXPECT_EQ(info.attributes[5].worst, 40);
    EXPECT_EQ(info.attributes[7].raw, 133145165863ull);  // 00 1f 00 12 00 27h: 31 * 2^32 + 18 * 2^16 + 39
    EXPECT_EQ(info.attributes[8].current, 200);
    EXPECT_EQ(info.attributes[8].raw, 127906u);  // 01f3a2h
    EXPECT_EQ(info.attributes[9].flags, 3u);
    EXPECT_EQ(info.offlineCollectionStatus, 0x82);
    EXPECT_STREQ(OfflineCollectionText(info.offlineCollectionStatus), "completed without error");
    EXPECT_EQ(info.selfTestStatus, 0);
    // 194's low raw byte, 27h, not 190's 2dh (45) before it.
    EXPECT_EQ(info.temperature, 39);
}

TEST(SmartFields, TemperatureFrom194Else190)
{
    SmartInfo info;
    ConstructedBlock ssd = SsdSmartBlock();
    ssd.bytes[2 + 12 * 7] = 230;  // 194 becomes a vendor's attribute
    DecodeSmart(ssd.bytes, info);
    EXPECT_EQ(info.temperature, 45);
    ssd.bytes[2 + 12 * 5 + 5] = 0;  // 190 says 0: no reading
    DecodeSmart(ssd.bytes, info);
    EXPECT_EQ(info.temperature, 0);

    DecodeSmart(RealBlock("smart-SAMSUNG_HD501LJ.bin").bytes, info);
    EXPECT_EQ(info.temperature, 47);  // 194's raw 2f 00 00 00 00 00
    DecodeSmart(RealBlock("smart-Maxtor_96147H8.bin").bytes, info);
    EXPECT_EQ(info.temperature, 0) << "neither 190 nor 194";
}

// That each id is named once, and only ids an entry holds, the table's own
// static_assert checks.
TEST(SmartFields, AttributeNamesFitTheirColumn)
{
    for (int id = 0; id < 256; ++id) {
        const char* name = AttributeName(id);
        EXPECT_LE(std::strlen(name != nullptr ? name : ""), static_cast<std::size_t>(kAttributeNameWidth)) << id;
    }
    EXPECT_STREQ(AttributeName(194), "Temperature");
    EXPECT_EQ(AttributeName(225), nullptr);
}

TEST(Classification, PacketDevices)
{
    ConstructedBlock drive = PacketDeviceBlock();
    Classification kind = ClassifyBlock(drive.bytes);
    EXPECT_EQ(kind.kind, BlockKind::IdentifyPacket);
    EXPECT_EQ(kind.checksum, Checksum::Correct);
    PacketInfo info;
    DecodeIdentifyPacket(drive.bytes, info);
    EXPECT_STREQ(info.strings.model, "PORTDUMP DVD-ROM DRIVE");
    EXPECT_STREQ(info.strings.serial, "PDCD0001");
    EXPECT_STREQ(info.strings.firmware, "1.02");
    EXPECT_EQ(info.deviceType, 5);
    EXPECT_STREQ(PacketDeviceTypeName(info.deviceType), "CD/DVD");
    EXPECT_TRUE(info.removable);

    // An older drive without the integrity word, and a blank serial.
    drive = PacketDeviceBlock(0x8140);  // a tape drive, fixed
    PutAtaString(drive, 10, 10, "");
    drive.bytes[510] = drive.bytes[511] = 0;
    kind = ClassifyBlock(drive.bytes);
    EXPECT_EQ(kind.kind, BlockKind::IdentifyPacket);
    EXPECT_EQ(kind.checksum, Checksum::Absent);
    DecodeIdentifyPacket(drive.bytes, info);
    EXPECT_STREQ(PacketDeviceTypeName(info.deviceType), "tape");
    EXPECT_FALSE(info.removable);

    // 848Ah in word 0 is a CompactFlash card's: an ATA device.
    drive = PacketDeviceBlock(0x848A);
    EXPECT_EQ(ClassifyBlock(drive.bytes).kind, BlockKind::Identify);
    // An ATA disk stays a disk.
    EXPECT_EQ(ClassifyBlock(RealBlock("ST3160023AS.bin").bytes).kind, BlockKind::Identify);
}

TEST(IdentifyStrings, PaddingOfBlanksAndNulsIsTrimmed)
{
    RealBlock block("WDC_WD5000AAKS-00TMA0.bin");
    // The serial " WD-WCAPW0493929 " with NULs in place of its blanks.
    for (int i = 20; i < 40; ++i) {
        if (block.bytes[i] == ' ') {
            block.bytes[i] = 0;
        }
    }
    IdentifyInfo info;
    DecodeIdentify(block.bytes, info);
    EXPECT_STREQ(info.strings.serial, "WD-WCAPW0493929");
    EXPECT_STREQ(info.strings.model, "WDC WD5000AAKS-00TMA0");
    EXPECT_STREQ(info.strings.firmware, "12.01C01");
}

TEST(IdentifyFields, SectorSizesFromWord106)
{
    RealBlock block("Samsung_SSD_860_EVO_500GB.bin");
    // 4096-byte logical sectors (words 117-118 in words), 8 of them a physical one.
    block.bytes[212] = 0x03;
    block.bytes[213] = 0x70;  // word 106 = 0x7003
    block.bytes[234] = 0x00;
    block.bytes[235] = 0x08;  // word 117 = 2048 words
    block.bytes[236] = block.bytes[237] = 0;
    IdentifyInfo info;
    DecodeIdentify(block.bytes, info);
    EXPECT_EQ(info.logicalSectorSize, 4096u);
    EXPECT_EQ(info.physicalSectorSize, 32768u);
    EXPECT_EQ(info.capacityBytes, 976773168ull * 4096);
}

// What hdparm does not say, by the standards' layout: the "more than" bound
// of words 89 and 90, word 77's speed in use, word 209's offset in bytes.
TEST(IdentifyFields, WordsHdparmLeavesOut)
{
    RealBlock block("Samsung_SSD_860_EVO_500GB.bin");
    const auto put = [&block](int word, unsigned value) {
        block.bytes[2 * word] = static_cast<unsigned char>(value);
        block.bytes[2 * word + 1] = static_cast<unsigned char>(value >> 8);
    };
    put(89, 0x00FF);  // 255 units: more than 508 minutes
    put(90, 0x8010);  // the extended format: 16 units, 32 minutes
    put(77, 0x0004);  // bits 3:1 = 2: Gen2
    put(106, 0x6001);  // two logical sectors a physical one
    put(209, 0x4001);  // the first logical sector 1 into its physical one
    IdentifyInfo info;
    DecodeIdentify(block.bytes, info);
    EXPECT_EQ(info.security.erase.minutes, 508);
    EXPECT_TRUE(info.security.erase.moreThan);
    EXPECT_EQ(info.security.enhancedErase.minutes, 32);
    EXPECT_FALSE(info.security.enhancedErase.moreThan);
    EXPECT_EQ(info.sataCurrentGeneration, 2);
    EXPECT_EQ(info.logicalSectorOffset, 512);
    EXPECT_STREQ(MinorVersionName(0x005E), "ACS-4 revision 5");  // word 81 of this drive
    EXPECT_EQ(MinorVersionName(0x0020), nullptr);
}

// Blocks whose words contradict themselves or mislead: what each really says.
TEST(Issue22Decoding, SmartDataWithTheIdentifySignatureByte)
{
    ConstructedBlock ssd = SsdSmartBlock();
    ssd.bytes[510] = 0xA5;  // a vendor's byte; the checksum still holds
    PutChecksum(ssd);
    EXPECT_EQ(ClassifyBlock(ssd.bytes).kind, BlockKind::Smart);
    EXPECT_EQ(ClassifyBlock(ssd.bytes).checksum, Checksum::Correct);
}

TEST(Issue22Decoding, TemperatureFrom190When194SaysNothing)
{
    ConstructedBlock ssd = SsdSmartBlock();
    ssd.bytes[2 + 12 * 7 + 5] = 0;     // 194's raw low byte
    ssd.bytes[2 + 12 * 5 + 5] = 0x2f;  // 190: 47 degrees
    SmartInfo info;
    DecodeSmart(ssd.bytes, info);
    EXPECT_EQ(info.temperature, 47);
}

TEST(Issue22Decoding, CapacityFromCorruptWords)
{
    // The Seagate's counts: 312581808 sectors in 48 bits, 268435455 in 28,
    // and 16514064 (00fbfc10h, words 57-58) by CHS, as hdparm falls back to.
    const RealBlock real("ST3160023AS.bin");
    const auto decode = [&](void (*corrupt)(unsigned char*)) {
        RealBlock block = real;
        corrupt(block.bytes);
        IdentifyInfo info;
        DecodeIdentify(block.bytes, info);
        return info;
    };
    IdentifyInfo info = decode([](unsigned char* b) { std::memset(b + 200, 0xff, 8); });  // words 100-103
    EXPECT_EQ(info.lba48Sectors, 0u);
    EXPECT_EQ(info.capacityBytes, 268435455ull * 512);
    info = decode([](unsigned char* b) {
        b[213] = 0x50;  // word 106: bit 12, a logical size in words 117-118, which are 0
        std::memset(b + 234, 0, 4);
    });
    EXPECT_EQ(info.logicalSectorSize, 512u);
    EXPECT_EQ(info.capacityBytes, 312581808ull * 512);
    info = decode([](unsigned char* b) {
        std::memset(b + 120, 0, 4);  // words 60-61
        std::memset(b + 200, 0, 8);
    });
    EXPECT_EQ(info.capacityBytes, 16514064ull * 512);
    info = decode([](unsigned char* b) {
        std::memset(b + 120, 0, 4);
        std::memset(b + 200, 0, 8);
        std::memset(b + 106, 0, 2);  // word 53: no CHS figures,
        b[2] = b[3] = 0;             // and no cylinders
    });
    EXPECT_EQ(info.capacityBytes, 0u) << "not reported";
}

// Each number the table explains by its own meaning; others as a failed open.
TEST(FailureMeanings, ByTheErrorNumber)
{
    const std::pair<DWORD, const char*> meanings[] = {
        {ERROR_FILE_NOT_FOUND, "file not found: "}, {ERROR_PATH_NOT_FOUND, "path not found: "},
        {ERROR_ACCESS_DENIED, "access denied: "},   {ERROR_SERVICE_NOT_ACTIVE, "service not active: "},
        {ERROR_INVALID_PARAMETER, "the device could not be opened"},
    };
    for (const auto& meaning : meanings) {
        const FailureLine failure{FailedStep::CreateFile, "\\\\.\\Scsi0:", meaning.first, 1};
        EXPECT_EQ(std::strncmp(FailureMeaning(failure), meaning.second, std::strlen(meaning.second)), 0)
            << meaning.first << ": " << FailureMeaning(failure);
    }
}

}  // namespace
