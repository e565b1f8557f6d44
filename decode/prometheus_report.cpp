#include "prometheus_report.h"

#include "report_output.h"
#include "utf8.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kBlockKinds = 4;

struct KeptSource {
    const char* name;
    long long errors;
    long long blocks[kBlockKinds];  // by BlockKind
};

// What the metrics say of a block; SMART data only for a SMART block.
struct KeptBlock {
    int source;
    int port;
    BlockKind kind;
    DeviceStrings strings;
    int deviceType;
    unsigned long long capacityBytes;
    SmartInfo smart;
};

struct KeptFailure {
    int source;
    FailureLine failure;
};

KeptSource sources[kMaxMetricSources];
KeptBlock blocks[kMaxMetricBlocks];
KeptFailure failures[kMaxMetricFailures];
int sourceCount;
int blockCount;
int failureCount;
int currentSource;  // -1 when its source could not be kept
long long leftOut;

// The operation a failure line reports, by FailedStep.
constexpr const char* kOperations[] = {"usage", "define", "open"};

// The first two kinds are one device's IDENTIFY data: a port has one of
// them and one SMART block at most.
bool SameSlot(BlockKind a, BlockKind b)
{
    return (a == BlockKind::Smart) == (b == BlockKind::Smart);
}

// Whether an earlier block already gave this port's series.
bool PortAlreadyKept(int port, BlockKind kind)
{
    for (int i = 0; i < blockCount; ++i) {
        if (blocks[i].source == currentSource && blocks[i].port == port && SameSlot(blocks[i].kind, kind)) {
            return true;
        }
    }
    return false;
}

// A repeated attribute id would repeat its series: the first one stands.
void DropRepeatedAttributes(SmartInfo& smart)
{
    int kept = 0;
    for (int i = 0; i < smart.attributeCount; ++i) {
        bool repeated = false;
        for (int j = 0; j < kept; ++j) {
            repeated = repeated || smart.attributes[j].id == smart.attributes[i].id;
        }
        if (repeated) {
            ++leftOut;
        } else {
            smart.attributes[kept++] = smart.attributes[i];
        }
    }
    smart.attributeCount = kept;
}

// The family whose header goes out before its first sample, so that a
// family without samples shows nothing.
struct Family {
    const char* name;
    const char* help;
};
const Family* pendingHeader;
bool firstLabel;

void BeginSample(const Family& family)
{
    if (pendingHeader == &family) {
        OutFormat("# HELP %s %s\n# TYPE %s gauge\n", family.name, family.help, family.name);
        pendingHeader = nullptr;
    }
    OutText(family.name);
    OutChar('{');
    firstLabel = true;
}

// A label value: valid UTF-8 passes, backslash, quote and line feed are
// escaped as the format says, and any other byte becomes U+FFFD.
void LabelValue(const char* text)
{
    const unsigned char* at = reinterpret_cast<const unsigned char*>(text);
    while (*at != '\0') {
        unsigned code = 0;
        const int length = *at >= 0x80 ? Utf8Sequence(at, code) : 1;
        if (*at == '\\' || *at == '"') {
            OutChar('\\');
            OutChar(static_cast<char>(*at));
        } else if (*at == '\n') {
            OutText("\\n");
        } else if (length == 0) {
            OutText("\xef\xbf\xbd");
        } else {
            OutBytes(reinterpret_cast<const char*>(at), static_cast<std::size_t>(length));
        }
        at += length == 0 ? 1 : length;
    }
}

void Label(const char* key, const char* value)
{
    OutFormat("%s%s=\"", firstLabel ? "" : ",", key);
    firstLabel = false;
    LabelValue(value);
    OutChar('"');
}

void NumberLabel(const char* key, long long value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%lld", value);
    Label(key, text);
}

void EndSample(unsigned long long value)
{
    OutText("} ");
    OutUnsigned(value);
    OutChar('\n');
}

void BlockLabels(const KeptBlock& block)
{
    Label("source", sources[block.source].name);
    if (block.port == kNoPort) {
        Label("port", "");
    } else {
        NumberLabel("port", block.port);
    }
}

void StringLabels(const DeviceStrings& strings)
{
    Label("model", strings.model);
    Label("serial", strings.serial);
    Label("firmware", strings.firmware);
}

const Family kDriveInfo = {"portdump_drive_info",
                           "An ATA device's IDENTIFY DEVICE block: its model, serial number and firmware revision."};
const Family kPacketInfo = {"portdump_packet_device_info",
                            "An ATAPI device's IDENTIFY PACKET DEVICE block: its model, serial number, firmware "
                            "revision and device type."};
const Family kCapacity = {"portdump_drive_capacity_bytes", "The capacity an IDENTIFY DEVICE block gives, in bytes."};
const Family kTemperature = {"portdump_smart_temperature_celsius",
                             "The temperature SMART attribute 194 or 190 gives, in degrees Celsius."};
const Family kFailure = {"portdump_failure_info",
                         "A line in which portdump says a call failed: the operation and Windows' error number."};
const Family kInputErrors = {"portdump_input_errors", "The errors found in the input: lines that are not portdump's."};
const Family kBlocks = {"portdump_blocks", "The 512-byte blocks in the input, by what they are."};

struct InfoFamily {
    const Family* family;
    BlockKind kind;
};
const InfoFamily kInfoFamilies[] = {{&kDriveInfo, BlockKind::Identify}, {&kPacketInfo, BlockKind::IdentifyPacket}};

void DeviceInfo()
{
    for (const InfoFamily& info : kInfoFamilies) {
        pendingHeader = info.family;
        for (int i = 0; i < blockCount; ++i) {
            if (blocks[i].kind != info.kind) {
                continue;
            }
            BeginSample(*info.family);
            BlockLabels(blocks[i]);
            StringLabels(blocks[i].strings);
            if (info.kind == BlockKind::IdentifyPacket) {
                const char* type = PacketDeviceTypeName(blocks[i].deviceType);
                if (type != nullptr) {
                    Label("device_type", type);
                } else {
                    NumberLabel("device_type", blocks[i].deviceType);
                }
            }
            EndSample(1);
        }
    }
}

// A block's one figure, where its kind gives it: 0 is not reported.
struct BlockFigure {
    const Family* family;
    BlockKind kind;
    unsigned long long (*value)(const KeptBlock& block);
};
const BlockFigure kBlockFigures[] = {
    {&kCapacity, BlockKind::Identify, [](const KeptBlock& b) { return b.capacityBytes; }},
    {&kTemperature, BlockKind::Smart,
     [](const KeptBlock& b) { return static_cast<unsigned long long>(b.smart.temperature); }},
};

void BlockFigures()
{
    for (const BlockFigure& figure : kBlockFigures) {
        pendingHeader = figure.family;
        for (int i = 0; i < blockCount; ++i) {
            if (blocks[i].kind == figure.kind && figure.value(blocks[i]) != 0) {
                BeginSample(*figure.family);
                BlockLabels(blocks[i]);
                EndSample(figure.value(blocks[i]));
            }
        }
    }
}

// Each of an attribute's three figures is a metric of its own.
struct AttributeFigure {
    Family family;
    unsigned long long (*value)(const SmartAttribute& attribute);
};
const AttributeFigure kAttributeFigures[] = {
    {{"portdump_smart_attribute_value", "A SMART attribute's normalized current value, by attribute id."},
     [](const SmartAttribute& a) { return static_cast<unsigned long long>(a.current); }},
    {{"portdump_smart_attribute_worst", "A SMART attribute's worst normalized value, by attribute id."},
     [](const SmartAttribute& a) { return static_cast<unsigned long long>(a.worst); }},
    {{"portdump_smart_attribute_raw", "A SMART attribute's six raw bytes as one little-endian number."},
     [](const SmartAttribute& a) { return a.raw; }},
};

void Attributes()
{
    for (const AttributeFigure& figure : kAttributeFigures) {
        pendingHeader = &figure.family;
        for (int i = 0; i < blockCount; ++i) {
            const SmartInfo& smart = blocks[i].smart;
            for (int a = 0; blocks[i].kind == BlockKind::Smart && a < smart.attributeCount; ++a) {
                BeginSample(figure.family);
                BlockLabels(blocks[i]);
                NumberLabel("id", smart.attributes[a].id);
                EndSample(figure.value(smart.attributes[a]));
            }
        }
    }
}

void Failures()
{
    pendingHeader = &kFailure;
    for (int i = 0; i < failureCount; ++i) {
        const FailureLine& failure = failures[i].failure;
        BeginSample(kFailure);
        Label("source", sources[failures[i].source].name);
        NumberLabel("line", failure.line);
        Label("operation", kOperations[static_cast<int>(failure.step)]);
        if (failure.step == FailedStep::Usage) {
            Label("error", "");
        } else {
            NumberLabel("error", failure.error);
        }
        EndSample(1);
    }
}

void SourceCounts()
{
    pendingHeader = &kInputErrors;
    for (int i = 0; i < sourceCount; ++i) {
        BeginSample(kInputErrors);
        Label("source", sources[i].name);
        EndSample(static_cast<unsigned long long>(sources[i].errors));
    }
    pendingHeader = &kBlocks;
    for (int i = 0; i < sourceCount; ++i) {
        for (int kind = 0; kind < kBlockKinds; ++kind) {
            BeginSample(kBlocks);
            Label("source", sources[i].name);
            Label("kind", KindTerm(static_cast<BlockKind>(kind)).json);
            EndSample(static_cast<unsigned long long>(sources[i].blocks[kind]));
        }
    }
}

}  // namespace

void StartPrometheus()
{
    sourceCount = blockCount = failureCount = 0;
    currentSource = -1;
    leftOut = 0;
}

void AddPrometheusSource(const char* source)
{
    for (currentSource = 0; currentSource < sourceCount; ++currentSource) {
        if (std::strcmp(sources[currentSource].name, source) == 0) {
            return;
        }
    }
    if (sourceCount == kMaxMetricSources) {
        currentSource = -1;
        ++leftOut;
        return;
    }
    sources[sourceCount] = KeptSource{source, 0, {}};
    currentSource = sourceCount++;
}

void AddPrometheusBlock(const DecodedBlock& block)
{
    if (currentSource < 0) {
        return;
    }
    const BlockKind kind = block.kind.kind;
    ++sources[currentSource].blocks[static_cast<int>(kind)];
    if (kind == BlockKind::Unknown) {
        return;
    }
    if (blockCount == kMaxMetricBlocks || PortAlreadyKept(block.port, kind)) {
        ++leftOut;
        return;
    }
    KeptBlock& kept = blocks[blockCount++];
    kept = KeptBlock{currentSource, block.port, kind, {}, 0, 0, {}};
    if (kind == BlockKind::Identify) {
        kept.strings = block.identify.strings;
        kept.capacityBytes = block.identify.capacityBytes;
    } else if (kind == BlockKind::IdentifyPacket) {
        kept.strings = block.packet.strings;
        kept.deviceType = block.packet.deviceType;
    } else {
        kept.smart = block.smart;
        DropRepeatedAttributes(kept.smart);
    }
}

void AddPrometheusFailure(const FailureLine& failure)
{
    if (currentSource < 0 || failureCount == kMaxMetricFailures) {
        ++leftOut;
        return;
    }
    failures[failureCount++] = KeptFailure{currentSource, failure};
}

void AddPrometheusError()
{
    if (currentSource >= 0) {
        ++sources[currentSource].errors;
    }
}

bool FinishPrometheus()
{
    DeviceInfo();
    BlockFigures();
    Attributes();
    Failures();
    SourceCounts();
    if (leftOut > 0) {
        std::fprintf(stderr,
                     "portdump-decode: the metrics leave out %lld of the input's sources, blocks, failures or "
                     "attributes: past %d sources, %d blocks or %d failures, or repeating a series\n",
                     leftOut, kMaxMetricSources, kMaxMetricBlocks, kMaxMetricFailures);
    }
    return leftOut == 0;
}
