#include "json_report.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kMaxKept = 256;

struct KeptError {
    const char* source;
    long line;
    char message[kMaxMessage];
};

struct KeptFailure {
    const char* source;
    FailureLine failure;
};

KeptError errors[kMaxKept];
KeptFailure failures[kMaxKept];
int errorCount;
int failureCount;
int errorsNotKept;
int failuresNotKept;
int blockCount;

// Bytes outside printable ASCII are written as \u00XX, so the document stays
// valid UTF-8 whatever a drive put in its strings.
void String(const char* text)
{
    std::putchar('"');
    for (; *text != '\0'; ++text) {
        const unsigned char c = static_cast<unsigned char>(*text);
        if (c == '"' || c == '\\') {
            std::printf("\\%c", c);
        } else if (c < 0x20 || c > 0x7E) {
            std::printf("\\u%04x", c);
        } else {
            std::putchar(c);
        }
    }
    std::putchar('"');
}

void Key(const char* key)
{
    String(key);
    std::printf(": ");
}

const char* Bool(bool value)
{
    return value ? "true" : "false";
}

void PrintFeature(const char* name, Feature feature, bool last = false)
{
    Key(name);
    std::printf("{\"supported\": %s, \"enabled\": %s}%s", Bool(feature.supported), Bool(feature.enabled),
                last ? "" : ", ");
}

void PrintBits(const char* key, unsigned bits, int first, int last, int offset)
{
    Key(key);
    std::printf("[");
    bool any = false;
    for (int bit = first; bit <= last; ++bit) {
        if ((bits >> bit & 1) != 0) {
            std::printf("%s%d", any ? ", " : "", bit + offset);
            any = true;
        }
    }
    std::printf("], ");
}

void PrintNames(const char* key, unsigned bits, int count, const char* (*name)(int))
{
    Key(key);
    std::printf("[");
    bool any = false;
    for (int bit = 0; bit < count; ++bit) {
        if ((bits >> bit & 1) != 0 && name(bit) != nullptr) {
            std::printf("%s", any ? ", " : "");
            String(name(bit));
            any = true;
        }
    }
    std::printf("], ");
}

void PrintIdentify(const IdentifyInfo& info)
{
    Key("identify");
    std::printf("{");
    Key("model");
    String(info.model);
    std::printf(", ");
    Key("serial");
    String(info.serial);
    std::printf(", ");
    Key("firmware");
    String(info.firmware);
    std::printf(", \"lba28_sectors\": %llu, \"lba48_sectors\": ", info.lba28Sectors);
    if (info.lba48.supported) {
        std::printf("%llu", info.lba48Sectors);
    } else {
        std::printf("null");
    }
    std::printf(", \"logical_sector_size\": %u, \"physical_sector_size\": %u, \"capacity_bytes\": %llu, "
                "\"capacity_gb\": %.1f, \"capacity_gib\": %.1f, \"rotation_rate\": ",
                info.logicalSectorSize, info.physicalSectorSize, info.capacityBytes,
                static_cast<double>(info.capacityBytes) / 1e9,
                static_cast<double>(info.capacityBytes) / (1024.0 * 1024.0 * 1024.0));
    if (info.rotationRate == 1) {
        std::printf("\"solid state\"");
    } else if (info.rotationRate == kNotReported) {
        std::printf("null");
    } else {
        std::printf("%d", info.rotationRate);
    }
    std::printf(", ");
    Key("form_factor");
    if (FormFactorName(info.formFactor) != nullptr) {
        String(FormFactorName(info.formFactor));
    } else {
        std::printf("null");
    }
    std::printf(", ");
    PrintNames("ata_major_versions", info.majorVersions, 16, MajorVersionName);
    Key("transport");
    std::printf("%s, ", info.transport == 0   ? "\"parallel\""
                        : info.transport == 1 ? "\"serial\""
                        : info.transport == kNotReported ? "null"
                                                         : "\"other\"");
    PrintNames("transport_versions", info.transport == 1 ? info.transportVersions : 0, 12, SerialTransportName);
    PrintBits("sata_generations", info.sataGenerations, 0, 2, 1);
    Key("ncq_queue_depth");
    if (info.ncqQueueDepth == kNotReported) {
        std::printf("null, ");
    } else {
        std::printf("%d, ", info.ncqQueueDepth);
    }
    Key("wwn");
    if (info.wwn[0] != '\0') {
        String(info.wwn);
    } else {
        std::printf("null");
    }
    std::printf(", ");
    Key("features");
    std::printf("{");
    PrintFeature("smart", info.smart);
    Key("security");
    std::printf("{\"supported\": %s, \"enabled\": %s, \"locked\": %s, \"frozen\": %s}, ", Bool(info.security.supported),
                Bool(info.security.enabled), Bool(info.securityLocked), Bool(info.securityFrozen));
    PrintFeature("write_cache", info.writeCache);
    PrintFeature("look_ahead", info.lookAhead);
    PrintFeature("lba48", info.lba48);
    PrintFeature("apm", info.apm);
    PrintFeature("trim", info.trim, true);
    std::printf("}}");
}

void PrintSmart(const SmartInfo& info)
{
    std::printf("\"smart\": {\"revision\": %d, \"attributes\": [", info.revision);
    for (int i = 0; i < info.attributeCount; ++i) {
        const SmartAttribute& attribute = info.attributes[i];
        std::printf("%s{\"id\": %d, \"name\": ", i == 0 ? "" : ", ", attribute.id);
        if (AttributeName(attribute.id) != nullptr) {
            String(AttributeName(attribute.id));
        } else {
            std::printf("null");
        }
        std::printf(", \"flags\": %u, \"current\": %d, \"worst\": %d, \"raw\": %llu}", attribute.flags,
                    attribute.current, attribute.worst, attribute.raw);
    }
    std::printf("], \"offline_collection_status\": %d, \"self_test_status\": %d, \"thresholds_included\": false}",
                info.offlineCollectionStatus, info.selfTestStatus);
}

const char* ChecksumName(Checksum checksum)
{
    switch (checksum) {
    case Checksum::Correct:
        return "correct";
    case Checksum::Incorrect:
        return "incorrect";
    case Checksum::Absent:
        break;
    }
    return "absent";
}

const char* StepName(FailedStep step)
{
    switch (step) {
    case FailedStep::Usage:
        return "usage";
    case FailedStep::DefineDosDevice:
        return "DefineDosDevice";
    case FailedStep::CreateFile:
        break;
    }
    return "CreateFile";
}

}  // namespace

void StartJson()
{
    std::printf("{\"blocks\": [");
}

void AddJsonBlock(const DecodedBlock& block)
{
    std::printf("%s\n{", blockCount++ == 0 ? "" : ",");
    Key("source");
    String(block.source);
    std::printf(", \"port\": ");
    if (block.port == kNoPort) {
        std::printf("null");
    } else {
        std::printf("%d", block.port);
    }
    static const char* const kKinds[] = {"identify", "smart", "unknown"};
    std::printf(", \"line\": %ld, \"kind\": \"%s\", \"checksum\": \"%s\", ", block.line,
                kKinds[static_cast<int>(block.kind.kind)], ChecksumName(block.kind.checksum));
    switch (block.kind.kind) {
    case BlockKind::Identify:
        PrintIdentify(block.identify);
        break;
    case BlockKind::Smart:
        PrintSmart(block.smart);
        break;
    case BlockKind::Unknown:
        Key("reason");
        String(block.kind.reason);
        break;
    }
    std::printf("}");
}

void AddJsonFailure(const char* source, const FailureLine& failure)
{
    if (failureCount == kMaxKept) {
        ++failuresNotKept;
        return;
    }
    failures[failureCount++] = KeptFailure{source, failure};
}

void AddJsonError(const char* source, long line, const char* message)
{
    if (errorCount == kMaxKept) {
        ++errorsNotKept;
        return;
    }
    KeptError& kept = errors[errorCount++];
    kept.source = source;
    kept.line = line;
    std::snprintf(kept.message, sizeof kept.message, "%s", message);
}

void FinishJson()
{
    std::printf("%s], \"failures\": [", blockCount == 0 ? "" : "\n");
    for (int i = 0; i < failureCount; ++i) {
        const FailureLine& failure = failures[i].failure;
        std::printf("%s\n{", i == 0 ? "" : ",");
        Key("source");
        String(failures[i].source);
        std::printf(", \"line\": %ld, \"step\": \"%s\", ", failure.line, StepName(failure.step));
        if (failure.step == FailedStep::CreateFile) {
            Key("path");
            String(failure.path);
            std::printf(", ");
        }
        std::printf("\"error\": ");
        if (failure.error < 0) {
            std::printf("null");
        } else {
            std::printf("%ld", failure.error);
        }
        std::printf(", ");
        Key("meaning");
        String(FailureMeaning(failure));
        std::printf("}");
    }
    std::printf("%s], \"errors\": [", failureCount == 0 ? "" : "\n");
    for (int i = 0; i < errorCount; ++i) {
        std::printf("%s\n{", i == 0 ? "" : ",");
        Key("source");
        String(errors[i].source);
        std::printf(", \"line\": %ld, ", errors[i].line);
        Key("message");
        String(errors[i].message);
        std::printf("}");
    }
    std::printf("%s]", errorCount == 0 ? "" : "\n");
    if (errorsNotKept + failuresNotKept > 0) {
        std::printf(", \"not_listed\": {\"failures\": %d, \"errors\": %d}", failuresNotKept, errorsNotKept);
    }
    std::printf("}\n");
}
