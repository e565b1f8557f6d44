#include "json_report.h"

#include <cstdio>
#include <cstring>

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
int blockCount;

// The length of the valid UTF-8 sequence at `text` (no overlong form, no
// surrogate, nothing past U+10FFFF), or 0 when there is none.
int Utf8Length(const unsigned char* text)
{
    const unsigned lead = text[0];
    int length = 0;
    unsigned least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        least = 0x10000;
    } else {
        return 0;
    }
    unsigned code = lead & (0x7Fu >> length);
    for (int i = 1; i < length; ++i) {
        // The terminating NUL fails this test too.
        if ((text[i] & 0xC0) != 0x80) {
            return 0;
        }
        code = code << 6 | (text[i] & 0x3F);
    }
    return code >= least && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF) ? length : 0;
}

// Valid UTF-8 passes through, control bytes are escaped, and a byte that is
// no part of a valid sequence (a drive's string, a file name in another
// code page) becomes U+FFFD: the document stays valid UTF-8 whatever the input.
void String(const char* text)
{
    std::putchar('"');
    const unsigned char* at = reinterpret_cast<const unsigned char*>(text);
    while (*at != '\0') {
        // The bytes that pass as they are, written in one go.
        const unsigned char* plain = at;
        for (int length = 1; length > 0; at += length) {
            const unsigned char c = *at;
            length = c >= 0x80 ? Utf8Length(at) : c >= 0x20 && c != 0x7F && c != '"' && c != '\\' ? 1 : 0;
        }
        std::fwrite(plain, 1, static_cast<std::size_t>(at - plain), stdout);
        const unsigned char c = *at;
        if (c == '"' || c == '\\') {
            std::printf("\\%c", c);
        } else if (c >= 0x80) {
            std::printf("\\ufffd");
        } else if (c != '\0') {
            std::printf("\\u%04x", c);
        }
        at += c != '\0';
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

void PrintStrings(const DeviceStrings& strings)
{
    Key("model");
    String(strings.model);
    std::printf(", ");
    Key("serial");
    String(strings.serial);
    std::printf(", ");
    Key("firmware");
    String(strings.firmware);
}

void PrintPacket(const PacketInfo& info)
{
    Key("identify_packet");
    std::printf("{");
    PrintStrings(info.strings);
    std::printf(", ");
    Key("device_type");
    const char* type = PacketDeviceTypeName(info.deviceType);
    if (type != nullptr) {
        String(type);
    } else {
        std::printf("null");
    }
    std::printf(", \"removable\": %s}", Bool(info.removable));
}

void PrintIdentify(const IdentifyInfo& info)
{
    Key("identify");
    std::printf("{");
    PrintStrings(info.strings);
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
    std::printf("], \"offline_collection_status\": %d, \"self_test_status\": %d, \"temperature_celsius\": ",
                info.offlineCollectionStatus, info.selfTestStatus);
    if (info.temperature != 0) {
        std::printf("%d", info.temperature);
    } else {
        std::printf("null");
    }
    std::printf(", \"thresholds_included\": false}");
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
    static const char* const kKinds[] = {"identify", "identify_packet", "smart", "unknown"};
    std::printf(", \"line\": %lld, \"kind\": \"%s\", \"checksum\": \"%s\", ", block.line,
                kKinds[static_cast<int>(block.kind.kind)], ChecksumName(block.kind.checksum));
    switch (block.kind.kind) {
    case BlockKind::Identify:
        PrintIdentify(block.identify);
        break;
    case BlockKind::IdentifyPacket:
        PrintPacket(block.packet);
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
    std::printf("%s], \"failures\": [", blockCount == 0 ? "" : "\n");
    for (int i = 0; i < failureCount; ++i) {
        const FailureLine& failure = failures[i].failure;
        std::printf("%s\n{", i == 0 ? "" : ",");
        Key("source");
        String(failures[i].source);
        std::printf(", \"line\": %lld, \"step\": \"%s\", ", failure.line, StepName(failure.step));
        if (failure.step == FailedStep::CreateFile) {
            Key("path");
            String(failure.path);
            std::printf(", ");
        }
        std::printf("\"error\": ");
        if (failure.step == FailedStep::Usage) {
            std::printf("null");
        } else {
            std::printf("%lld", failure.error);
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
        std::printf(", \"line\": %lld, ", errors[i].line);
        Key("message");
        String(errors[i].message);
        std::printf("}");
    }
    std::printf("%s]", errorCount == 0 ? "" : "\n");
    if (leftOut.failures + leftOut.errors > 0) {
        std::printf(", \"not_listed\": {\"failures\": %lld, \"errors\": %lld}", leftOut.failures, leftOut.errors);
    }
    std::printf("}\n");
    return leftOut;
}
