// Real drives' blocks, turned into portdump's output and decoded, against
// what two independent decoders say of the same bytes: hdparm --Istdin for
// IDENTIFY data, libatasmart's skdump --load for SMART data.
#include "constructed_blocks.h"
#include "decoded.h"
#include "parse_helpers.h"
#include "read_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <regex>
#include <unistd.h>

namespace {

std::string Output(const std::string& command)
{
    std::string out;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return out;
    }
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) {
        out.append(chunk, got);
    }
    pclose(pipe);
    return out;
}

std::string TempPath(const std::string& name)
{
    const char* directory = std::getenv("TMPDIR");
    // One name per process: ctest runs the cases side by side.
    return std::string(directory != nullptr ? directory : "/tmp") + "/portdump_oracle_" + std::to_string(getpid()) +
           "_" + name;
}

// The block through portdump's output and the decoder, as a user gets it.
DecodedBlock DecodeAsPortdumpOutput(const std::string& bytes)
{
    const Parsed parsed = Parse(PortText(0, reinterpret_cast<const unsigned char*>(bytes.data())));
    EXPECT_TRUE(parsed.errors.empty());
    DecodedBlock decoded{};
    if (parsed.blocks.size() == 1) {
        DecodeBlock(parsed.blocks[0], "oracle", decoded);
    }
    return decoded;
}

// The first group of `pattern` in `text`, or "" when it does not match.
std::string Find(const std::string& text, const std::string& pattern)
{
    std::smatch match;
    return std::regex_search(text, match, std::regex(pattern)) ? match[1].str() : std::string();
}

std::string Trimmed(std::string text)
{
    text.erase(text.find_last_not_of(" \t") + 1);
    return text;
}

// hdparm's feature list: "\t   *\tNAME" for enabled, "\t    \tNAME" for supported only.
Feature HdparmFeature(const std::string& report, const std::string& name)
{
    const std::string mark = Find(report, "\n\t   ([* ])\t" + name);
    return Feature{!mark.empty(), mark == "*"};
}

void ExpectFeature(const std::string& report, const std::string& name, Feature ours)
{
    const Feature theirs = HdparmFeature(report, name);
    EXPECT_EQ(ours.supported, theirs.supported) << name;
    EXPECT_EQ(ours.enabled, theirs.enabled) << name;
}

// hdparm --Istdin on the block, which it reads as 256 words of 4 hex digits.
std::string HdparmReport(const std::string& bytes, const std::string& name)
{
    const std::string words = TempPath(name + ".words");
    {
        std::ofstream out(words);
        for (int i = 0; i < 256; ++i) {
            char word[8];
            std::snprintf(word, sizeof word, "%04x%c", static_cast<unsigned char>(bytes[2 * i]) |
                                                           static_cast<unsigned char>(bytes[2 * i + 1]) << 8,
                          i % 8 == 7 ? '\n' : ' ');
            out << word;
        }
    }
    const std::string report = Output(std::string(HDPARM) + " --Istdin <" + words + " 2>&1");
    std::remove(words.c_str());
    return report;
}

void ExpectStrings(const std::string& report, const DeviceStrings& strings)
{
    EXPECT_EQ(Trimmed(Find(report, "Model Number: +([^\n]*)")), strings.model);
    EXPECT_EQ(Trimmed(Find(report, "Serial Number: +([^\n]*)")), strings.serial);
    EXPECT_EQ(Trimmed(Find(report, "Firmware Revision: +([^\n]*)")), strings.firmware);
}

class IdentifyOracle : public testing::TestWithParam<const char*> {};

TEST_P(IdentifyOracle, FieldsAsHdparmReadsThem)
{
    const std::string bytes = ReadFile(std::string(DATA_DIR) + "/" + GetParam());
    ASSERT_EQ(bytes.size(), 512u);
    const std::string report = HdparmReport(bytes, GetParam());
    ASSERT_NE(report.find("Model Number:"), std::string::npos) << report;

    const DecodedBlock decoded = DecodeAsPortdumpOutput(bytes);
    ASSERT_EQ(decoded.kind.kind, BlockKind::Identify);
    const IdentifyInfo& info = decoded.identify;
    EXPECT_EQ(Find(report, "Checksum: (\\w+)"), decoded.kind.checksum == Checksum::Correct ? "correct" : "?");
    ExpectStrings(report, info.strings);
    EXPECT_EQ(Find(report, "LBA    user addressable sectors: +(\\d+)"), std::to_string(info.lba28Sectors));
    EXPECT_EQ(Find(report, "LBA48  user addressable sectors: +(\\d+)"),
              info.features[kLba48Row].supported ? std::to_string(info.lba48Sectors) : "");

    const std::string both = Find(report, "Logical/Physical Sector size: +(\\d+) bytes");
    EXPECT_EQ(both.empty() ? Find(report, "Logical  Sector size: +(\\d+) bytes") : both,
              std::to_string(info.logicalSectorSize));
    EXPECT_EQ(both.empty() ? Find(report, "Physical Sector size: +(\\d+) bytes") : both,
              std::to_string(info.physicalSectorSize));

    const std::string rotation = Find(report, "Nominal Media Rotation Rate: ([^\n]*)");
    EXPECT_EQ(rotation, info.rotationRate == 1              ? "Solid State Device"
                        : info.rotationRate == kNotReported ? ""
                                                            : std::to_string(info.rotationRate));
    const char* formFactor = FormFactorName(info.formFactor);
    EXPECT_EQ(Find(report, "Form Factor: ([^\n]*)"), formFactor != nullptr ? formFactor : "");

    // hdparm leaves out the oldest versions; each it names is ours, and the newest is the same.
    const std::string versions = Find(report, "Supported: ([0-9 ]+)");
    ASSERT_FALSE(versions.empty());
    int newest = 0;
    for (int bit = 15; bit > 0 && newest == 0; --bit) {
        newest = (info.majorVersions >> bit & 1) != 0 ? bit : 0;
    }
    EXPECT_EQ(std::stoi(versions), newest);
    for (const std::string& version : {Find(versions, "^\\d+ (\\d+)"), Find(versions, "^\\d+ \\d+ (\\d+)")}) {
        if (!version.empty()) {
            EXPECT_NE(info.majorVersions >> std::stoi(version) & 1, 0u) << "version " << version;
        }
    }

    for (int gen = 1; gen <= 3; ++gen) {
        EXPECT_EQ(report.find("Gen" + std::to_string(gen) + " signaling speed") != std::string::npos,
                  (info.sataGenerations >> (gen - 1) & 1) != 0)
            << "Gen" << gen;
    }
    const bool ncq = report.find("Native Command Queueing (NCQ)") != std::string::npos;
    EXPECT_EQ(ncq, info.ncqQueueDepth != kNotReported);
    if (ncq) {
        EXPECT_EQ(Find(report, "Queue depth: (\\d+)"), std::to_string(info.ncqQueueDepth));
    }
    EXPECT_EQ(Find(report, "Logical Unit WWN Device Identifier: ([0-9a-f]+)"), info.wwn);

    ExpectFeature(report, "SMART feature set", info.features[kSmartRow]);
    ExpectFeature(report, "Write cache", info.features[kWriteCacheRow]);
    ExpectFeature(report, "Look-ahead", info.features[kLookAheadRow]);
    ExpectFeature(report, "48-bit Address feature set", info.features[kLba48Row]);
    ExpectFeature(report, "Advanced Power Management feature set", info.features[kApmRow]);
    ExpectFeature(report, "Data Set Management TRIM supported", info.features[kTrimRow]);
    EXPECT_EQ(HdparmFeature(report, "Security Mode feature set").supported, info.features[kSecurityRow].supported);
    if (report.find("\nSecurity:") != std::string::npos) {
        EXPECT_EQ(Find(report, "\n\t(not)?\tenabled\n") != "not", info.features[kSecurityRow].enabled);
        EXPECT_EQ(Find(report, "\n\t(not)?\tlocked\n") != "not", info.security.locked);
        EXPECT_EQ(Find(report, "\n\t(not)?\tfrozen\n") != "not", info.security.frozen);
    }
}

INSTANTIATE_TEST_SUITE_P(RealDrives, IdentifyOracle,
                         testing::Values("Samsung_SSD_860_EVO_500GB.bin", "SAMSUNG_HD501LJ.bin", "Maxtor_96147H8.bin",
                                         "ST3160023AS.bin", "WDC_WD5000AAKS-00TMA0.bin"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             name = name.substr(0, name.find('.'));
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

// Constructed packet devices' blocks (word 0 varied) against hdparm's
// "ATAPI <type>, with [non-]removable media" line.
struct PacketDevice {
    unsigned general;
    const char* hdparmType;
    const char* ourType;  // nullptr: no name
};

void PrintTo(const PacketDevice& device, std::ostream* out)
{
    *out << device.hdparmType;
}

class PacketOracle : public testing::TestWithParam<PacketDevice> {};

TEST_P(PacketOracle, TypeAndStringsAsHdparmReadsThem)
{
    const ConstructedBlock block = PacketDeviceBlock(GetParam().general);
    const std::string bytes(reinterpret_cast<const char*>(block.bytes), ATA_BLOCK_SIZE);
    const std::string report = HdparmReport(bytes, "packet");
    const DecodedBlock decoded = DecodeAsPortdumpOutput(bytes);
    ASSERT_EQ(decoded.kind.kind, BlockKind::IdentifyPacket);
    const PacketInfo& info = decoded.packet;
    ExpectStrings(report, info.strings);
    EXPECT_EQ(Find(report, "\nATAPI ([^,]*), with"), GetParam().hdparmType);
    const char* type = PacketDeviceTypeName(info.deviceType);
    EXPECT_STREQ(type, GetParam().ourType);
    EXPECT_EQ(Find(report, ", with (\\S*) media"), info.removable ? "removable" : "non-removable");
}

INSTANTIATE_TEST_SUITE_P(Constructed, PacketOracle,
                         testing::Values(PacketDevice{0x85C0, "CD-ROM", "CD/DVD"},
                                         PacketDevice{0x8540, "CD-ROM", "CD/DVD"},
                                         PacketDevice{0x8140, "Sequential-access device", "tape"},
                                         PacketDevice{0x80C0, "Direct-access device", "direct access"},
                                         PacketDevice{0x87C0, "Optical memory", "optical memory"},
                                         PacketDevice{0x9F80, "Unknown", nullptr}),
                         [](const testing::TestParamInfo<PacketDevice>& info) {
                             char name[16];
                             std::snprintf(name, sizeof name, "Word0_%04x", info.param.general);
                             return std::string(name);
                         });

// skdump's blob: records of a 4-byte tag, a 4-byte big-endian length, the bytes.
std::string Record(const char* tag, const std::string& bytes)
{
    const unsigned size = static_cast<unsigned>(bytes.size());
    const char length[4] = {static_cast<char>(size >> 24), static_cast<char>(size >> 16), static_cast<char>(size >> 8),
                            static_cast<char>(size)};
    return std::string(tag, 4) + std::string(length, 4) + bytes;
}

class SmartOracle : public testing::TestWithParam<const char*> {};

TEST_P(SmartOracle, AttributesAndStatusAsSkdumpReadsThem)
{
    const std::string drive = GetParam();
    const std::string data = DATA_DIR;
    const std::string smart = ReadFile(data + "/smart-" + drive + ".bin");
    const std::string blob = TempPath(drive + ".blob");
    {
        std::ofstream out(blob, std::ios::binary);
        out << Record("IDFY", ReadFile(data + "/" + drive + ".bin")) << Record("SMDT", smart)
            << Record("SMTH", ReadFile(data + "/smartthr-" + drive + ".bin"));
    }
    const std::string report = Output(std::string(SKDUMP) + " --load=" + blob + " 2>&1");
    std::remove(blob.c_str());
    ASSERT_NE(report.find("ID# Name"), std::string::npos) << report;

    const DecodedBlock decoded = DecodeAsPortdumpOutput(smart);
    ASSERT_EQ(decoded.kind.kind, BlockKind::Smart);
    EXPECT_EQ(decoded.kind.checksum, Checksum::Correct);
    const SmartInfo& info = decoded.smart;

    // "  1 raw-read-error-rate  100 100  51 20  0x140000000000 prefail online ...":
    // the raw bytes in the order they are stored.
    const std::regex row("\n *(\\d+) \\S+ +(\\d+) +(\\d+) +\\S+ .*?0x([0-9a-f]{12}) (prefail|old-age) +(online|offline)");
    int rows = 0;
    for (auto it = std::sregex_iterator(report.begin(), report.end(), row); it != std::sregex_iterator(); ++it, ++rows) {
        const std::smatch& match = *it;
        ASSERT_LT(rows, info.attributeCount);
        const SmartAttribute& attribute = info.attributes[rows];
        EXPECT_EQ(std::to_string(attribute.id), match[1].str());
        EXPECT_EQ(std::to_string(attribute.current), match[2].str()) << "id " << attribute.id;
        EXPECT_EQ(std::to_string(attribute.worst), match[3].str()) << "id " << attribute.id;
        unsigned long long raw = 0;
        for (int byte = 5; byte >= 0; --byte) {
            raw = raw << 8 | std::stoul(match[4].str().substr(2 * static_cast<std::size_t>(byte), 2), nullptr, 16);
        }
        EXPECT_EQ(attribute.raw, raw) << "id " << attribute.id;
        EXPECT_EQ((attribute.flags & 1) != 0, match[5].str() == "prefail") << "id " << attribute.id;
        EXPECT_EQ((attribute.flags & 2) != 0, match[6].str() == "online") << "id " << attribute.id;
    }
    EXPECT_EQ(rows, info.attributeCount);

    // The two status bytes, in skdump's words and ours.
    const std::string offline = Find(report, "Off-line Data Collection Status: \\[([^\\]]*)\\]");
    const std::string selfTest = Find(report, "Self-Test Execution Status: \\[([^\\]]*)\\]");
    struct Reading {
        const char* ours;
        const char* theirs;
    };
    const Reading offlineReadings[] = {{"never started", "never started"},
                                       {"completed without error", "completed without error"},
                                       {"in progress", "in progress"},
                                       {"aborted by the host", "aborted by"}};
    bool matched = false;
    for (const Reading& reading : offlineReadings) {
        if (std::strcmp(OfflineCollectionText(info.offlineCollectionStatus), reading.ours) == 0) {
            EXPECT_NE(offline.find(reading.theirs), std::string::npos) << offline;
            matched = true;
        }
    }
    EXPECT_TRUE(matched) << OfflineCollectionText(info.offlineCollectionStatus) << " / " << offline;
    if (info.selfTestStatus >> 4 == 0) {
        EXPECT_NE(selfTest.find("completed without error"), std::string::npos) << selfTest;
    } else {
        EXPECT_EQ(selfTest.find("completed without error"), std::string::npos) << selfTest;
    }
}

INSTANTIATE_TEST_SUITE_P(RealDrives, SmartOracle, testing::Values("SAMSUNG_HD501LJ", "Maxtor_96147H8"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
