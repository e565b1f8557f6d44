#include "text_report.h"

#include "report_output.h"
#include "report_terms.h"
#include "shown_text.h"

namespace {

const char* YesNo(bool value)
{
    return value ? "yes" : "no";
}

// The longest label, "Offline collection", and a blank after it.
constexpr int kLabelWidth = 20;

void Label(const char* label)
{
    OutText("  ");
    OutPadded(label, kLabelWidth);
}

// Text from the input, shown: nothing in it acts on the terminal.
void PrintShown(const char* text, bool ascii)
{
    char shown[DEVICE_NAME_SIZE * kShownBytesPerByte + 1];  // the longest text a block or failure holds
    const std::size_t length = ShowText(text, ascii, shown);
    OutBytes(shown, length);
}

void PrintAtaString(const char* label, const char* text)
{
    Label(label);
    PrintShown(text, true);
    OutChar('\n');
}

void PrintHeading(const DecodedBlock& block)
{
    OutFormat("== %s", block.source);
    if (block.port != kNoPort) {
        OutFormat(", port %d", block.port);
    }
    OutFormat(" (line %lld): %s, checksum %s\n", block.line, KindTerm(block.kind.kind).text,
                ChecksumTerm(block.kind.checksum).text);
}

void PrintFeature(const char* name, Feature feature)
{
    OutText("    ");
    OutPadded(name, kLabelWidth - 2);
    OutPadded(YesNo(feature.supported), 11);
    OutLine(YesNo(feature.enabled));
}

void PrintVersions(const IdentifyFacts& facts)
{
    Label("ATA versions");
    for (int i = 0; i < facts.ataVersions.count; ++i) {
        OutFormat("%s%s", i > 0 ? ", " : "", facts.ataVersions.names[i]);
    }
    OutLine(facts.ataVersions.count > 0 ? "" : "not reported");

    Label("Transport");
    OutText(facts.transport.text);
    for (int i = 0; i < facts.transportVersions.count; ++i) {
        OutFormat(", %s", facts.transportVersions.names[i]);
    }
    OutChar('\n');

    static const char* const kSpeeds[] = {"1.5", "3.0", "6.0"};
    Label("SATA signalling");
    for (int i = 0; i < facts.sataGenerationCount; ++i) {
        const int gen = facts.sataGenerations[i];
        OutFormat("Gen%d (%s Gb/s)  ", gen, kSpeeds[gen - 1]);
    }
    OutLine(facts.sataGenerationCount == 0 ? "not reported" : "");
}

void PrintStrings(const DeviceStrings& strings)
{
    PrintAtaString("Model", strings.model);
    PrintAtaString("Serial", strings.serial);
    PrintAtaString("Firmware", strings.firmware);
}

void PrintPacket(const PacketInfo& info)
{
    PrintStrings(info.strings);
    Label("Device type");
    const char* type = PacketDeviceTypeName(info.deviceType);
    if (type != nullptr) {
        OutLine(type);
    } else {
        OutFormat("other (type %02xh)\n", info.deviceType);
    }
    Label("Removable media");
    OutLine(YesNo(info.removable));
}

void PrintIdentify(const IdentifyInfo& info, const IdentifyFacts& facts)
{
    PrintStrings(info.strings);
    Label("Capacity");
    if (info.capacityBytes == 0) {
        OutText("not reported\n");
    } else {
        OutFormat("%llu bytes = %.1f GB = %.1f GiB\n", info.capacityBytes, facts.capacityGB, facts.capacityGiB);
    }
    Label("Sectors");
    if (info.lba48Sectors != 0) {
        OutFormat("%llu (48-bit), ", info.lba48Sectors);
    }
    OutFormat("%llu (28-bit)\n", info.lba28Sectors);
    Label("Sector size");
    OutFormat("%llu bytes logical, %llu bytes physical\n", info.logicalSectorSize, info.physicalSectorSize);
    Label("Rotation");
    if (IsNumber(facts.rotation)) {
        OutFormat("%d rpm\n", info.rotationRate);
    } else {
        OutLine(facts.rotation.text);
    }
    Label("Form factor");
    const char* formFactor = FormFactorName(info.formFactor);
    OutLine(formFactor != nullptr ? formFactor : "not reported");
    PrintVersions(facts);
    Label("NCQ");
    if (info.ncqQueueDepth == kNotReported) {
        OutText("not supported\n");
    } else {
        OutFormat("queue depth %d\n", info.ncqQueueDepth);
    }
    Label("World wide name");
    OutLine(info.wwn[0] != '\0' ? info.wwn : "none");
    Label("Feature set");
    OutFormat("%-11s%s\n", "supported", "enabled");
    for (const FeatureFact& feature : facts.features) {
        PrintFeature(feature.name.text, feature.state);
        if (feature.hasLockState) {
            OutFormat("    %-*s%s, %s\n", kLabelWidth - 2, "", feature.locked ? "locked" : "not locked",
                      feature.frozen ? "frozen" : "not frozen");
        }
    }
}

void PrintSmart(const SmartInfo& info)
{
    Label("Offline collection");
    OutFormat("0x%02x: %s\n", info.offlineCollectionStatus, OfflineCollectionText(info.offlineCollectionStatus));
    Label("Self-test");
    OutFormat("0x%02x: %s\n", info.selfTestStatus, SelfTestText(info.selfTestStatus));
    Label("Temperature");
    if (info.temperature != 0) {
        OutFormat("%d degrees Celsius\n", info.temperature);
    } else {
        OutText("not reported\n");
    }
    Label("Thresholds");
    OutText("not in this block (SMART READ THRESHOLDS answers them)\n");
    OutFormat("  %3s  %-*s %6s %7s %5s  %s\n", "ID", kAttributeNameWidth, "Name", "Flags", "Current", "Worst", "Raw");
    for (int i = 0; i < info.attributeCount; ++i) {
        const SmartAttribute& attribute = info.attributes[i];
        const char* name = AttributeName(attribute.id);
        OutFormat("  %3d  %-*s 0x%04x %7d %5d  %llu\n", attribute.id, kAttributeNameWidth,
                    name != nullptr ? name : "(vendor specific)",
                    attribute.flags, attribute.current, attribute.worst, attribute.raw);
    }
}

void PrintReason(const char* reason)
{
    Label("Why");
    OutLine(reason);
}

}  // namespace

void PrintTextBlock(const DecodedBlock& block)
{
    PrintHeading(block);
    PrintBlockBody(block, BlockPrinters{PrintIdentify, PrintPacket, PrintSmart, PrintReason});
    OutChar('\n');
}

void PrintTextFailure(const char* source, const FailureLine& failure)
{
    OutFormat("== %s (line %lld): ", source, failure.line);
    OutText(StepTerm(failure.step).text);
    if (failure.step == FailedStep::CreateFile) {
        OutText("(");
        PrintShown(failure.path, false);
        OutText(")");
    }
    if (failure.step != FailedStep::Usage) {
        OutFormat(" failed, error %lld", failure.error);
    }
    OutChar('\n');
    Label("Meaning");
    OutFormat("%s\n\n", FailureMeaning(failure));
}
