// Real drives' blocks, turned into portdump's output and decoded, against
// what two independent decoders say of the same bytes: hdparm --Istdin for
// IDENTIFY data, libatasmart's skdump --load for SMART data.
#include "constructed_blocks.h"
#include "block_decoder.h"
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

// hdparm's line for each row of the feature table, or nullptr where hdparm
// prints none (it is silent on word 48, word 77's features, and others).
struct HdparmName {
    const char* json;
    const char* line;
};

const HdparmName kHdparmNames[] = {
    {"smart", "SMART feature set"}, {"security", "Security Mode feature set"}, {"write_cache", "Write cache"},
    {"look_ahead", "Look-ahead"}, {"lba48", "48-bit Address feature set"},
    {"apm", "Advanced Power Management feature set"}, {"trim", "Data Set Management TRIM supported"},
    {"world_wide_name", "64-bit World wide name"}, {"removable_media_feature_set", "Removable Media feature set"},
    {"power_management", "Power Management feature set"}, {"packet", "PACKET command feature set"},
    {"host_protected_area", "Host Protected Area feature set"}, {"write_verify", "WRITE_VERIFY command"},
    {"write_buffer", "WRITE_BUFFER command"}, {"read_buffer", "READ_BUFFER command"}, {"nop", "NOP cmd"},
    {"download_microcode", "DOWNLOAD_MICROCODE"}, {"power_up_in_standby", "Power-Up In Standby feature set"},
    {"spin_up_by_set_features", "SET_FEATURES required to spinup after power up"},
    {"set_max_security_extension", "SET_MAX security extension"},
    {"automatic_acoustic_management", "Automatic Acoustic Management feature set"},
    {"device_configuration_overlay", "Device Configuration Overlay feature set"},
    {"flush_cache", "Mandatory FLUSH_CACHE"}, {"flush_cache_ext", "FLUSH_CACHE_EXT"},
    {"smart_error_logging", "SMART error logging"}, {"smart_self_test", "SMART self-test"},
    {"general_purpose_logging", "General Purpose Logging feature set"},
    {"write_fua_ext", "WRITE_\\{DMA\\|MULTIPLE\\}_FUA_EXT"}, {"write_read_verify", "Write-Read-Verify feature set"},
    {"write_uncorrectable_ext", "WRITE_UNCORRECTABLE_EXT command"},
    {"log_dma_ext", "\\{READ,WRITE\\}_DMA_EXT_GPL commands"},
    {"download_microcode_offsets", "Segmented DOWNLOAD_MICROCODE"},
    {"hipm", "Host-initiated interface power management"}, {"phy_event_counters", "Phy event counters"},
    {"read_log_dma_ext_equivalent", "READ_LOG_DMA_EXT equivalent to READ_LOG_EXT"},
    {"dma_setup_auto_activation", "DMA Setup Auto-Activate optimization"},
    {"dipm", "Device-initiated interface power management"},
    {"asynchronous_notification", "Asynchronous notification \\(eg. media change\\)"},
    {"software_settings_preservation", "Software settings preservation"}, {"devsleep", "Device Sleep \\(DEVSLP\\)"},
    {"sct_command_transport", "SMART Command Transport \\(SCT\\) feature set"},
    {"sct_read_write_long", "SCT Read/Write Long \\(AC1\\), obsolete"}, {"sct_write_same", "SCT Write Same \\(AC2\\)"},
    {"sct_error_recovery_control", "SCT Error Recovery Control \\(AC3\\)"},
    {"sct_feature_control", "SCT Features Control \\(AC4\\)"}, {"sct_data_tables", "SCT Data Tables \\(AC5\\)"},
    {"sct_vendor_specific_12", "unknown 206\\[12\\] \\(vendor specific\\)"},
    {"sct_vendor_specific_13", "unknown 206\\[13\\] \\(vendor specific\\)"},
    {"encrypts_all_user_data", "Device encrypts all user data"},
    {"trimmed_reads_zeroes", "Deterministic read ZEROs after TRIM"},
    {"ieee_1667", "IEEE 1667 authentication of transient storage devices"},
    {"download_microcode_dma", "DOWNLOAD MICROCODE DMA command"},
    {"set_max_password_dma", "SET MAX SETPASSWORD/UNLOCK DMA commands"},
    {"write_buffer_dma", "WRITE BUFFER DMA command"}, {"read_buffer_dma", "READ BUFFER DMA command"},
    {"deterministic_read_after_trim", "Deterministic read (ZEROs|data) after TRIM"},
};

// Each feature line's marks against our row; hdparm marks a feature that has
// no enabled flag "*" when it is supported, but leaves word 206's vendor
// specific bits 12 to 15, which have none either, unmarked.
void ExpectFeatureLines(const std::string& report, const IdentifyInfo& info)
{
    for (const HdparmName& name : kHdparmNames) {
        int row = 0;
        while (row < kFeatureRowCount && std::strcmp(kFeatureRows[row].json, name.json) != 0) {
            ++row;
        }
        ASSERT_LT(row, kFeatureRowCount) << name.json;
        const std::string mark = Find(report, std::string("\n\t   ([* ])\t") + name.line);
        const Feature ours = info.features[row];
        const bool noFlag = kFeatureRows[row].enabled.word == kNoWord;
        const bool vendor = std::strstr(name.json, "vendor") != nullptr;
        EXPECT_EQ(!mark.empty(), ours.supported) << name.line;
        if (ours.supported) {
            EXPECT_EQ(mark == "*", vendor ? false : noFlag || ours.enabled) << name.line;
        }
    }
}

std::string OrNothing(int value, const std::string& text)
{
    return value == kNotReported ? "" : text;
}

// What hdparm's Configuration and Capabilities sections say.
void ExpectConfiguration(const std::string& report, const IdentifyInfo& info)
{
    EXPECT_EQ(Find(report, "cylinders\t(\\d+\t\\d+)"),
              std::to_string(info.chs.cylinders) + "\t" + std::to_string(info.chsCurrent.cylinders));
    EXPECT_EQ(Find(report, "heads\t\t(\\d+\t\\d+)"),
              std::to_string(info.chs.heads) + "\t" + std::to_string(info.chsCurrent.heads));
    EXPECT_EQ(Find(report, "sectors/track\t(\\d+\t\\d+)"),
              std::to_string(info.chs.sectorsPerTrack) + "\t" + std::to_string(info.chsCurrent.sectorsPerTrack));
    EXPECT_EQ(Find(report, "CHS current addressable sectors: +(\\d+)"),
              info.chsCurrentValid ? std::to_string(info.chsCurrentSectors) : "");
    EXPECT_EQ(Find(report, "cache/buffer size  = (\\d+) KBytes"), OrNothing(info.bufferKib, std::to_string(info.bufferKib)));
    EXPECT_EQ(Find(report, "KBytes \\(type=(\\w+)\\)") == "DualPortCache", info.bufferType == 3);
    EXPECT_EQ(Find(report, "Logical Sector-0 offset: +(\\d+) bytes"),
              OrNothing(static_cast<int>(info.logicalSectorOffset), std::to_string(info.logicalSectorOffset)));
    EXPECT_EQ(Find(report, "\n\t(LBA), IORDY") == "LBA", info.lbaSupported);
    EXPECT_EQ(Find(report, "IORDY(\\(can be disabled\\))") != "", info.iordyCanBeDisabled);
    EXPECT_EQ(Find(report, "Standby timer values: spec'd by (\\w+)"), info.standbyTimerStandard ? "Standard" : "Vendor");
    EXPECT_EQ(Find(report, "Standby timer values: [^\n]*, (\\w+) device specific minimum"),
              info.standbyTimerDeviceMinimum == kNotReported ? "" : info.standbyTimerDeviceMinimum == 1 ? "with" : "no");
    // Word 47 bits 7:0 = 0: no READ/WRITE MULTIPLE, which hdparm gives as a maximum of 0.
    EXPECT_EQ(Find(report, "Max = (\\d+)"), info.multipleMax == kNotReported ? "0" : std::to_string(info.multipleMax));
    EXPECT_EQ(Find(report, "Current = (\\d+)"), OrNothing(info.multipleCurrent, std::to_string(info.multipleCurrent)));
    const std::string level = info.apmLevel == kNotReported ? "disabled" : std::to_string(info.apmLevel);
    EXPECT_EQ(Find(report, "Advanced power management level: (\\w+)"),
              info.features[kApmRow].supported ? level : "");
    EXPECT_EQ(Find(report, "Recommended acoustic management value: (\\d+, current value: \\d+)"),
              OrNothing(info.acousticCurrent, std::to_string(info.acousticRecommended) + ", current value: " +
                                                  std::to_string(info.acousticCurrent)));
    EXPECT_EQ(Find(report, "Data Set Management TRIM supported \\(limit (\\d+) blocks?\\)"),
              OrNothing(info.dsmMaxBlocks, std::to_string(info.dsmMaxBlocks)));
}

// hdparm's DMA and PIO lines, written from our modes; hdparm names a udma7
// for word 88 bit 7, a mode no standard defines.
void ExpectModes(const std::string& report, const IdentifyInfo& info)
{
    std::string dma;
    for (int list = kSdmaModes; list <= kUdmaModes; ++list) {
        for (int mode = 0; mode < 8; ++mode) {
            if ((info.modes[list] >> mode & 1) != 0) {
                dma += (info.activeList == list && info.activeMode == mode ? "*" : "") +
                       std::string(kModeLists[list].name) + std::to_string(mode) + " ";
            }
        }
    }
    std::string theirs = Find(report, "\n\tDMA: ([^\n]*)");
    // hdparm's "(?)": no mode selected in any list.
    EXPECT_EQ(theirs.find("(?)") != std::string::npos, info.activeList == kNotReported);
    theirs = std::regex_replace(theirs, std::regex("\\(\\?\\)$"), "");
    theirs = std::regex_replace(theirs, std::regex("\\*?udma7 $"), "");
    EXPECT_EQ(theirs, dma);
    std::string pio;
    for (int mode = 0; mode < 8; ++mode) {
        pio += (info.modes[kPioModes] >> mode & 1) != 0 ? "pio" + std::to_string(mode) + " " : "";
    }
    EXPECT_EQ(Find(report, "\n\tPIO: ([^\n]*)"), pio);
    EXPECT_EQ(Find(report, "Cycle time: min=(\\d+)ns"), OrNothing(info.dmaMinCycle, std::to_string(info.dmaMinCycle)));
    EXPECT_EQ(Find(report, "recommended=(\\d+)ns"),
              OrNothing(info.dmaRecommendedCycle, std::to_string(info.dmaRecommendedCycle)));
    EXPECT_EQ(Find(report, "no flow control=(\\d+)ns"), OrNothing(info.pioMinCycle, std::to_string(info.pioMinCycle)));
    EXPECT_EQ(Find(report, "IORDY flow control=(\\d+)ns"),
              OrNothing(info.pioMinCycleIordy, std::to_string(info.pioMinCycleIordy)));
}

// Lower case, letters and digits only, "version" and "revision" dropped:
// hdparm writes "ATA-8-ACS revision 3b" for the standards' "ATA8-ACS version 3b".
std::string Normalised(const std::string& name)
{
    std::string out;
    for (char c : std::regex_replace(name, std::regex("version|revision"), "")) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

void ExpectSecurityAndReset(const std::string& report, const IdentifyInfo& info)
{
    // hdparm calls codes it does not know unknown, 005Eh (ACS-4 revision 5) among them.
    const std::string used = Find(report, "\n\tUsed: ([^\n]*?) ?\n");
    const char* name = info.minorVersion == kNotReported ? nullptr : MinorVersionName(info.minorVersion);
    if (used.rfind("unknown", 0) == 0) {
        EXPECT_EQ(Find(used, "code 0x([0-9a-f]{4})"), OrNothing(info.minorVersion, [&] {
                      char code[8];
                      std::snprintf(code, sizeof code, "%04x", info.minorVersion);
                      return std::string(code);
                  }()));
    } else {
        EXPECT_EQ(Normalised(used), name != nullptr ? Normalised(name) : "");
    }
    const SecurityState& security = info.security;
    if (report.find("\nSecurity:") != std::string::npos) {
        EXPECT_EQ(Find(report, "\n\t(not)?\texpired: security count") != "not", security.countExpired);
        EXPECT_EQ(Find(report, "\n\t(not)?\tsupported: enhanced erase") != "not", security.enhancedEraseSupported);
        EXPECT_EQ(Find(report, "Master password revision code = (\\d+)"),
                  OrNothing(security.masterPasswordRevision, std::to_string(security.masterPasswordRevision)));
        // Words 89 and 90: hdparm gives the bound of 255 (and 32767) units, not that the time is more.
        EXPECT_EQ(Find(report, "(\\d+)min for SECURITY ERASE UNIT"),
                  OrNothing(security.erase.minutes, std::to_string(security.erase.minutes)));
        EXPECT_EQ(Find(report, "(\\d+)min for ENHANCED SECURITY ERASE UNIT"),
                  OrNothing(security.enhancedErase.minutes, std::to_string(security.enhancedErase.minutes)));
    }
    if (info.wwn[0] != '\0') {
        EXPECT_EQ(Find(report, "NAA\t\t: (\\w+)"), std::to_string(info.wwnNaa));
        EXPECT_EQ(Find(report, "IEEE OUI\t: (\\w+)"), info.wwnOui);
        EXPECT_EQ(Find(report, "Unique ID\t: (\\w+)"), info.wwnUniqueId);
    }
    const HardwareReset& reset = info.hardwareReset;
    EXPECT_EQ(Find(report, "HW reset results:\n\tCBLID- (\\w+) Vih"),
              reset.reported ? (reset.cblidAboveVih ? "above" : "below") : "");
    static const char* const kHow[] = {"unknown", "the jumper", "CSEL", "some other method"};
    EXPECT_EQ(Find(report, "(Device num = \\d+[^\n]*)"),
              reset.reported ? "Device num = " + std::to_string(reset.deviceNumber) + " determined by " +
                                   kHow[static_cast<int>(reset.determinedBy)]
                             : "");
}

void ExpectAllFields(const std::string& report, const IdentifyInfo& info)
{
    ExpectFeatureLines(report, info);
    ExpectConfiguration(report, info);
    ExpectModes(report, info);
    ExpectSecurityAndReset(report, info);
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
    ExpectAllFields(report, info);
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

// Real blocks with words changed to what the drives did not show: each
// changed word worked out by hand from the standards' layout.
struct ChangedWord {
    int word;
    unsigned value;
};

struct ChangedBlock {
    const char* name;
    const char* base;
    ChangedWord words[6];
};

void PrintTo(const ChangedBlock& block, std::ostream* out)
{
    *out << block.name;
}

class ChangedOracle : public testing::TestWithParam<ChangedBlock> {};

TEST_P(ChangedOracle, FieldsAsHdparmReadsThem)
{
    const std::string real = ReadFile(std::string(DATA_DIR) + "/" + GetParam().base);
    ASSERT_EQ(real.size(), 512u);
    ConstructedBlock block;
    std::memcpy(block.bytes, real.data(), ATA_BLOCK_SIZE);
    for (const ChangedWord& changed : GetParam().words) {
        if (changed.word > 0) {
            PutWord(block, changed.word, changed.value);
        }
    }
    PutChecksum(block);
    const std::string bytes(reinterpret_cast<const char*>(block.bytes), ATA_BLOCK_SIZE);
    const std::string report = HdparmReport(bytes, GetParam().name);
    const DecodedBlock decoded = DecodeAsPortdumpOutput(bytes);
    ASSERT_EQ(decoded.kind.kind, BlockKind::Identify);
    ExpectAllFields(report, decoded.identify);
}

INSTANTIATE_TEST_SUITE_P(
    Constructed, ChangedOracle,
    testing::Values(
        // Device 0 numbered by CSEL, CBLID- below VIH; single-word DMA 0 to 2 with mode 0 in use, no other.
        ChangedBlock{"Csel", "Maxtor_96147H8.bin", {{93, 0x4005}, {62, 0x0107}, {63, 0x0007}, {88, 0x001F}}},
        // Erase times beyond the bounds of both formats; APM enabled at 128; a 128 KiB single-ported buffer.
        ChangedBlock{"Bounds",
                     "Samsung_SSD_860_EVO_500GB.bin",
                     {{89, 0x00FF}, {90, 0xFFFF}, {83, 0x7D09}, {86, 0xBC09}, {91, 0x4080}, {21, 0x0100}}},
        // No timings, no multiple count, no UDMA: word 53 bits 1 and 2 clear.
        ChangedBlock{"NoTimings", "ST3160023AS.bin", {{53, 0x0001}, {47, 0x8000}, {59, 0x0000}, {20, 0x0001}}},
        // Word 206's vendor-specific bits, PACKET and Power-Up In Standby enabled, udma7's bit.
        ChangedBlock{"Vendor", "WDC_WD5000AAKS-00TMA0.bin", {{206, 0xF03F}, {82, 0x747B}, {85, 0x7479}, {88, 0x20FF}}}),
    [](const testing::TestParamInfo<ChangedBlock>& info) { return std::string(info.param.name); });

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
