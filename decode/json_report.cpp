#include "json_report.h"

#include "json_writer.h"
#include "report_output.h"

#include <cstdio>

namespace {

struct KeptError {
    const char* source;
    LineNumber line;
    char message[kMaxMessage];
};

struct KeptFailure {
    const char* source;
    FailureLine failure;
};

KeptError errors[kMaxJsonListed];
KeptFailure failures[kMaxJsonListed];
int errorCount;
int failureCount;
JsonLeftOut leftOut;

void Field(const char* key, const char* text)
{
    JsonKey(key);
    JsonString(text);
}

void Field(const char* key, long long value)
{
    JsonKey(key);
    JsonNumber(value);
}

void Field(const char* key, bool value)
{
    JsonKey(key);
    JsonBool(value);
}

// A count, null when it is 0: not reported.
void Count(const char* key, unsigned long long value)
{
    JsonKey(key);
    if (value != 0) {
        JsonUnsigned(value);
    } else {
        JsonNull();
    }
}

// A figure to one decimal; null when not reported.
void Decimal(const char* key, bool reported, double value)
{
    JsonKey(key);
    if (reported) {
        JsonOneDecimal(value);
    } else {
        JsonNull();
    }
}

void PrintNames(const char* key, const NameList& list)
{
    JsonKey(key);
    JsonOpenArray();
    for (int i = 0; i < list.count; ++i) {
        JsonString(list.names[i]);
    }
    JsonClose();
}

void PrintStrings(const DeviceStrings& strings)
{
    Field("model", strings.model);
    Field("serial", strings.serial);
    Field("firmware", strings.firmware);
}

void PrintPacket(const DecodedBlock& block)
{
    const PacketInfo& info = block.packet;
    JsonKey("identify_packet");
    JsonOpenObject();
    PrintStrings(info.strings);
    Field("device_type", PacketDeviceTypeName(info.deviceType));
    Field("removable", info.removable);
    JsonClose();
}

// A number, null when kNotReported.
void Optional(const char* key, long long value)
{
    JsonKey(key);
    if (value != kNotReported) {
        JsonNumber(value);
    } else {
        JsonNull();
    }
}

void PrintEraseTime(const char* key, const char* moreThanKey, EraseTime time)
{
    Optional(key, time.minutes);
    Field(moreThanKey, time.moreThan);
}

void PrintSecurity(const SecurityState& security)
{
    Field("locked", security.locked);
    Field("frozen", security.frozen);
    Field("count_expired", security.countExpired);
    Field("enhanced_erase_supported", security.enhancedEraseSupported);
    PrintEraseTime("erase_minutes", "erase_minutes_more_than", security.erase);
    PrintEraseTime("enhanced_erase_minutes", "enhanced_erase_minutes_more_than", security.enhancedErase);
    Optional("master_password_revision", security.masterPasswordRevision);
    Field("level", security.maximumLevel ? "maximum" : "high");
}

// Each row's members, written whole as they are many in each block, made
// once: `"supported": S, "enabled": E, "word": W, "bit": B` for each S and E.
struct FeatureMembers {
    char text[64];
    std::size_t length;
};
FeatureMembers featureMembers[kFeatureRowCount][2][2];

void MakeFeatureMembers()
{
    static const char* const kBools[] = {"false", "true"};
    for (int i = 0; i < kFeatureRowCount; ++i) {
        const FeatureRow& row = kFeatureRows[i];
        for (int supported = 0; supported < 2; ++supported) {
            for (int enabled = 0; enabled < 2; ++enabled) {
                FeatureMembers& members = featureMembers[i][supported][enabled];
                const int length = std::snprintf(
                    members.text, sizeof members.text, "\"supported\": %s, \"enabled\": %s, \"word\": %d, \"bit\": %d",
                    kBools[supported], row.enabled.word == kNoWord ? "null" : kBools[enabled], row.supported.word,
                    row.supported.bit);
                members.length = static_cast<std::size_t>(length);
            }
        }
    }
}

void PrintFeatures(const IdentifyInfo& info)
{
    JsonKey("features");
    JsonOpenObject();
    for (int i = 0; i < kFeatureRowCount; ++i) {
        const Feature feature = info.features[i];
        const FeatureMembers& members = featureMembers[i][feature.supported][feature.enabled];
        JsonKey(kFeatureRows[i].json);
        JsonOpenObject();
        JsonMembers(members.text, members.length);
        if (i == kSecurityRow) {
            PrintSecurity(info.security);
        }
        JsonClose();
    }
    JsonClose();
}

void PrintChs(const Chs& chs)
{
    Field("cylinders", static_cast<long long>(chs.cylinders));
    Field("heads", static_cast<long long>(chs.heads));
    Field("sectors_per_track", static_cast<long long>(chs.sectorsPerTrack));
}

void PrintModes(const char* key, unsigned modes)
{
    JsonKey(key);
    JsonOpenArray();
    for (int mode = 0; mode < 16; ++mode) {
        if (Bit(modes, mode)) {
            JsonNumber(mode);
        }
    }
    JsonClose();
}

void PrintTransferModes(const IdentifyInfo& info)
{
    JsonKey("dma");
    JsonOpenObject();
    for (int list = kSdmaModes; list <= kUdmaModes; ++list) {
        PrintModes(kModeLists[list].name, info.modes[list]);
    }
    JsonKey("active");
    if (info.activeList == kNotReported) {
        JsonNull();
    } else {
        char mode[16];
        std::snprintf(mode, sizeof mode, "%s%d", kModeLists[info.activeList].name, info.activeMode);
        JsonString(mode);
    }
    Optional("min_cycle_ns", info.dmaMinCycle);
    Optional("recommended_cycle_ns", info.dmaRecommendedCycle);
    JsonClose();
    JsonKey("pio");
    JsonOpenObject();
    PrintModes("modes", info.modes[kPioModes]);
    Optional("min_cycle_ns", info.pioMinCycle);
    Optional("min_cycle_iordy_ns", info.pioMinCycleIordy);
    JsonClose();
}

void PrintGeometry(const IdentifyInfo& info)
{
    JsonKey("chs");
    JsonOpenObject();
    PrintChs(info.chs);
    JsonClose();
    JsonKey("chs_current");
    if (info.chsCurrentValid) {
        JsonOpenObject();
        PrintChs(info.chsCurrent);
        JsonKey("sectors");
        JsonUnsigned(info.chsCurrentSectors);
        JsonClose();
    } else {
        JsonNull();
    }
    Optional("buffer_kib", info.bufferKib);
    Field("buffer_type", BufferTypeTerm(info.bufferType).json);
    JsonKey("multiple_sectors");
    JsonOpenObject();
    Optional("max", info.multipleMax);
    Optional("current", info.multipleCurrent);
    JsonClose();
    Field("lba_supported", info.lbaSupported);
    Field("iordy_supported", info.iordySupported);
    Field("iordy_can_be_disabled", info.iordyCanBeDisabled);
    Field("standby_timer_standard", info.standbyTimerStandard);
    JsonKey("standby_timer_device_minimum");
    if (info.standbyTimerDeviceMinimum == kNotReported) {
        JsonNull();
    } else {
        JsonBool(info.standbyTimerDeviceMinimum == 1);
    }
}

void PrintPower(const IdentifyInfo& info)
{
    Optional("apm_level", info.apmLevel);
    JsonKey("acoustic");
    if (info.acousticCurrent == kNotReported) {
        JsonNull();
    } else {
        JsonOpenObject();
        Field("recommended", static_cast<long long>(info.acousticRecommended));
        Field("current", static_cast<long long>(info.acousticCurrent));
        JsonClose();
    }
}

void PrintHardwareReset(const HardwareReset& reset)
{
    JsonKey("hw_reset");
    if (!reset.reported) {
        JsonNull();
        return;
    }
    JsonOpenObject();
    Field("device_number", static_cast<long long>(reset.deviceNumber));
    Field("determined_by", DeterminedByTerm(reset.determinedBy).json);
    Field("cblid_above_vih", reset.cblidAboveVih);
    JsonClose();
}

void PrintIdentify(const DecodedBlock& block)
{
    const IdentifyInfo& info = block.identify;
    const Term rotation = RotationTerm(info.rotationRate);
    JsonKey("identify");
    JsonOpenObject();
    PrintStrings(info.strings);
    Field("removable_media", info.removable);
    JsonKey("lba28_sectors");
    JsonUnsigned(info.lba28Sectors);
    Count("lba48_sectors", info.lba48Sectors);
    Count("logical_sector_size", info.logicalSectorSize);
    Count("physical_sector_size", info.physicalSectorSize);
    Optional("logical_sector_offset", info.logicalSectorOffset);
    Count("capacity_bytes", info.capacityBytes);
    Decimal("capacity_gb", info.capacityBytes != 0, info.capacityGB);
    Decimal("capacity_gib", info.capacityBytes != 0, info.capacityGiB);
    PrintGeometry(info);
    if (IsNumber(rotation)) {
        Field("rotation_rate", static_cast<long long>(info.rotationRate));
    } else {
        Field("rotation_rate", rotation.json);
    }
    Field("form_factor", FormFactorName(info.formFactor));
    PrintNames("ata_major_versions", info.ataVersions);
    Optional("minor_version", info.minorVersion);
    Field("minor_version_name", info.minorVersion == kNotReported ? nullptr : MinorVersionName(info.minorVersion));
    Field("transport", TransportTerm(info.transport).json);
    PrintNames("transport_versions", info.serialVersions);
    Optional("transport_minor_version", info.transportMinorVersion);
    JsonKey("sata_generations");
    JsonOpenArray();
    for (int i = 0; i < info.signalledGenerationCount; ++i) {
        JsonNumber(info.signalledGenerations[i]);
    }
    JsonClose();
    Decimal("sata_current_speed_gbps", info.sataCurrentGeneration != kNotReported,
            info.sataCurrentGeneration == kNotReported ? 0 : kSataGenerationGbps[info.sataCurrentGeneration - 1]);
    JsonKey("ncq_queue_depth");
    if (info.ncqQueueDepth == kNotReported) {
        JsonNull();
    } else {
        JsonNumber(info.ncqQueueDepth);
    }
    Optional("dsm_max_blocks", info.dsmMaxBlocks);
    PrintTransferModes(info);
    PrintPower(info);
    PrintHardwareReset(info.hardwareReset);
    const bool wwn = info.wwn[0] != '\0';
    Field("wwn", wwn ? info.wwn : nullptr);
    Optional("wwn_naa", wwn ? info.wwnNaa : kNotReported);
    Field("wwn_oui", wwn ? info.wwnOui : nullptr);
    Field("wwn_unique_id", wwn ? info.wwnUniqueId : nullptr);
    PrintFeatures(info);
    JsonClose();
}

void PrintSmart(const DecodedBlock& block)
{
    const SmartInfo& info = block.smart;
    JsonKey("smart");
    JsonOpenObject();
    Field("revision", static_cast<long long>(info.revision));
    JsonKey("attributes");
    JsonOpenArray();
    for (int i = 0; i < info.attributeCount; ++i) {
        const SmartAttribute& attribute = info.attributes[i];
        JsonOpenObject();
        Field("id", static_cast<long long>(attribute.id));
        Field("name", AttributeName(attribute.id));
        Field("flags", static_cast<long long>(attribute.flags));
        Field("current", static_cast<long long>(attribute.current));
        Field("worst", static_cast<long long>(attribute.worst));
        JsonKey("raw");
        JsonUnsigned(attribute.raw);
        JsonClose();
    }
    JsonClose();
    Field("offline_collection_status", static_cast<long long>(info.offlineCollectionStatus));
    Field("self_test_status", static_cast<long long>(info.selfTestStatus));
    JsonKey("temperature_celsius");
    if (info.temperature != 0) {
        JsonNumber(info.temperature);
    } else {
        JsonNull();
    }
    Field("thresholds_included", false);
    JsonClose();
}

void PrintFailure(const KeptFailure& kept)
{
    const FailureLine& failure = kept.failure;
    JsonOpenObject();
    Field("source", kept.source);
    Field("line", failure.line);
    Field("step", StepTerm(failure.step).json);
    if (failure.step == FailedStep::CreateFile) {
        Field("path", failure.path);
    }
    JsonKey("error");
    if (failure.step == FailedStep::Usage) {
        JsonNull();
    } else {
        JsonNumber(failure.error);
    }
    Field("meaning", FailureMeaning(failure));
    JsonClose();
}

void PrintReason(const DecodedBlock& block)
{
    Field("reason", block.kind.reason);
}

void PrintError(const KeptError& error)
{
    JsonOpenObject();
    Field("source", error.source);
    JsonKey("line");
    if (error.line > 0) {
        JsonNumber(error.line);
    } else {
        JsonNull();  // about the input as a whole
    }
    Field("message", error.message);
    JsonClose();
}

constexpr BodyPrinter kBodyPrinters[] = {PrintIdentify, PrintPacket, PrintSmart, PrintReason};

}  // namespace

void StartJson()
{
    MakeFeatureMembers();
    JsonOpenObject();
    JsonKey("blocks");
    JsonOpenArray(true);
}

void AddJsonBlock(const DecodedBlock& block)
{
    JsonOpenObject();
    Field("source", block.source);
    JsonKey("port");
    if (block.port == kNoPort) {
        JsonNull();
    } else {
        JsonNumber(block.port);
    }
    Field("line", block.line);
    Field("kind", KindTerm(block.kind.kind).json);
    Field("checksum", ChecksumTerm(block.kind.checksum).json);
    kBodyPrinters[static_cast<int>(block.kind.kind)](block);
    JsonClose();
}

void AddJsonFailure(const char* source, const FailureLine& failure)
{
    if (failureCount == kMaxJsonListed) {
        ++leftOut.failures;
        return;
    }
    failures[failureCount++] = KeptFailure{source, failure};
}

void AddJsonError(const char* source, LineNumber line, const char* message)
{
    if (errorCount == kMaxJsonListed) {
        ++leftOut.errors;
        return;
    }
    KeptError& kept = errors[errorCount++];
    kept.source = source;
    kept.line = line;
    std::snprintf(kept.message, sizeof kept.message, "%s", message);
}

JsonLeftOut FinishJson()
{
    JsonClose();
    JsonKey("failures");
    JsonOpenArray(true);
    for (int i = 0; i < failureCount; ++i) {
        PrintFailure(failures[i]);
    }
    JsonClose();
    JsonKey("errors");
    JsonOpenArray(true);
    for (int i = 0; i < errorCount; ++i) {
        PrintError(errors[i]);
    }
    JsonClose();
    if (leftOut.failures + leftOut.errors > 0) {
        JsonKey("not_listed");
        JsonOpenObject();
        Field("failures", leftOut.failures);
        Field("errors", leftOut.errors);
        JsonClose();
    }
    JsonClose();
    OutChar('\n');
    return leftOut;
}
