#include "json_report.h"

#include "json_writer.h"
#include "report_output.h"
#include "report_terms.h"

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

void PrintPacket(const PacketInfo& info)
{
    JsonKey("identify_packet");
    JsonOpenObject();
    PrintStrings(info.strings);
    Field("device_type", PacketDeviceTypeName(info.deviceType));
    Field("removable", info.removable);
    JsonClose();
}

void PrintFeatures(const IdentifyFacts& facts)
{
    JsonKey("features");
    JsonOpenObject();
    for (const FeatureFact& feature : facts.features) {
        JsonKey(feature.name.json);
        JsonOpenObject();
        Field("supported", feature.state.supported);
        Field("enabled", feature.state.enabled);
        if (feature.hasLockState) {
            Field("locked", feature.locked);
            Field("frozen", feature.frozen);
        }
        JsonClose();
    }
    JsonClose();
}

void PrintIdentify(const IdentifyInfo& info, const IdentifyFacts& facts)
{
    JsonKey("identify");
    JsonOpenObject();
    PrintStrings(info.strings);
    JsonKey("lba28_sectors");
    JsonUnsigned(info.lba28Sectors);
    Count("lba48_sectors", info.lba48Sectors);
    Count("logical_sector_size", info.logicalSectorSize);
    Count("physical_sector_size", info.physicalSectorSize);
    Count("capacity_bytes", info.capacityBytes);
    Decimal("capacity_gb", info.capacityBytes != 0, facts.capacityGB);
    Decimal("capacity_gib", info.capacityBytes != 0, facts.capacityGiB);
    if (IsNumber(facts.rotation)) {
        Field("rotation_rate", static_cast<long long>(info.rotationRate));
    } else {
        Field("rotation_rate", facts.rotation.json);
    }
    Field("form_factor", FormFactorName(info.formFactor));
    PrintNames("ata_major_versions", facts.ataVersions);
    Field("transport", facts.transport.json);
    PrintNames("transport_versions", facts.transportVersions);
    JsonKey("sata_generations");
    JsonOpenArray();
    for (int i = 0; i < facts.sataGenerationCount; ++i) {
        JsonNumber(facts.sataGenerations[i]);
    }
    JsonClose();
    JsonKey("ncq_queue_depth");
    if (info.ncqQueueDepth == kNotReported) {
        JsonNull();
    } else {
        JsonNumber(info.ncqQueueDepth);
    }
    Field("wwn", info.wwn[0] != '\0' ? info.wwn : nullptr);
    PrintFeatures(facts);
    JsonClose();
}

void PrintSmart(const SmartInfo& info)
{
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

void PrintReason(const char* reason)
{
    Field("reason", reason);
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

}  // namespace

void StartJson()
{
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
    PrintBlockBody(block, BlockPrinters{PrintIdentify, PrintPacket, PrintSmart, PrintReason});
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
