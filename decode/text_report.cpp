#include "text_report.h"

#include "report_output.h"
#include "shown_text.h"

#include <cstdio>

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

// A label under another, indented.
void SubLabel(const char* label)
{
    OutText("    ");
    OutPadded(label, kLabelWidth - 2);
}

void PrintFeature(const char* name, Feature feature)
{
    SubLabel(name);
    OutPadded(YesNo(feature.supported), 11);
    OutLine(YesNo(feature.enabled));
}

void PrintVersions(const IdentifyInfo& info)
{
    Label("ATA versions");
    for (int i = 0; i < info.ataVersions.count; ++i) {
        OutFormat("%s%s", i > 0 ? ", " : "", info.ataVersions.names[i]);
    }
    OutLine(info.ataVersions.count > 0 ? "" : "not reported");

    Label("Transport");
    OutText(TransportTerm(info.transport).text);
    for (int i = 0; i < info.serialVersions.count; ++i) {
        OutFormat(", %s", info.serialVersions.names[i]);
    }
    OutChar('\n');

    static const char* const kSpeeds[] = {"1.5", "3.0", "6.0"};
    Label("SATA signalling");
    for (int i = 0; i < info.signalledGenerationCount; ++i) {
        const int gen = info.signalledGenerations[i];
        OutFormat("Gen%d (%s Gb/s)  ", gen, kSpeeds[gen - 1]);
    }
    OutLine(info.signalledGenerationCount == 0 ? "not reported" : "");
}

void PrintStrings(const DeviceStrings& strings)
{
    PrintAtaString("Model", strings.model);
    PrintAtaString("Serial", strings.serial);
    PrintAtaString("Firmware", strings.firmware);
}

void PrintPacket(const DecodedBlock& block)
{
    const PacketInfo& info = block.packet;
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

// The summary rows' labels, in the order of SummaryFeature.
constexpr const char* kSummaryLabels[kSummaryFeatureCount] = {"SMART", "Security", "Write cache", "Look-ahead",
                                                              "48-bit address", "APM", "TRIM"};

// A figure and its unit, or "not reported".
void OutValue(long long value, const char* unit)
{
    if (value == kNotReported) {
        OutText("not reported");
    } else {
        OutNumber(value);
        OutText(unit);
    }
}

void PrintCount(const char* label, long long value, const char* unit)
{
    Label(label);
    OutValue(value, unit);
    OutChar('\n');
}

void PrintEraseTime(const char* what, EraseTime time)
{
    SubLabel(what);
    if (time.minutes == kNotReported) {
        OutLine("not reported");
    } else {
        OutFormat("%s%d minutes\n", time.moreThan ? "more than " : "", time.minutes);
    }
}

void PrintSecurity(const SecurityState& security)
{
    SubLabel("");
    OutFormat("%s, %s\n", security.locked ? "locked" : "not locked",
              security.frozen ? "frozen" : "not frozen");
    SubLabel("");
    OutFormat("%s, level %s, enhanced erase %s\n",
              security.countExpired ? "count expired" : "count not expired", security.maximumLevel ? "maximum" : "high",
              security.enhancedEraseSupported ? "supported" : "not supported");
    PrintEraseTime("Erase time", security.erase);
    PrintEraseTime("Enhanced erase", security.enhancedErase);
    SubLabel("Master password");
    if (security.masterPasswordRevision == kNotReported) {
        OutLine("revision not reported");
    } else {
        OutFormat("revision %d\n", security.masterPasswordRevision);
    }
}

// Each row's "(word.bit) name" line, made once: a block lists dozens.
struct FeatureLine {
    char text[96];
    std::size_t length;
};
FeatureLine featureLines[kFeatureRowCount];
bool featureLinesMade;

void MakeFeatureLines()
{
    for (int i = 0; i < kFeatureRowCount; ++i) {
        const FeatureRow& row = kFeatureRows[i];
        const int length = std::snprintf(featureLines[i].text, sizeof featureLines[i].text, "(%d.%d) %s\n",
                                         row.supported.word, row.supported.bit, row.name);
        featureLines[i].length = static_cast<std::size_t>(length);
    }
    featureLinesMade = true;
}

void PrintFeatures(const IdentifyInfo& info)
{
    if (!featureLinesMade) {
        MakeFeatureLines();
    }
    Label("Feature set");
    OutFormat("%-11s%s\n", "supported", "enabled");
    for (int i = 0; i < kSummaryFeatureCount; ++i) {
        PrintFeature(kSummaryLabels[i], info.features[i]);
        if (i == kSecurityRow) {
            PrintSecurity(info.security);
        }
    }
    Label("Also supported");
    OutLine("enabled  (word.bit) feature");
    for (int i = kSummaryFeatureCount; i < kFeatureRowCount; ++i) {
        if (info.features[i].supported) {
            OutText("    ");
            OutPadded(kFeatureRows[i].enabled.word == kNoWord ? "-" : YesNo(info.features[i].enabled), 9);
            OutBytes(featureLines[i].text, featureLines[i].length);
        }
    }
}

void PrintChs(const Chs& chs)
{
    OutFormat("%d cylinders, %d heads, %d sectors a track", chs.cylinders, chs.heads, chs.sectorsPerTrack);
}

void PrintGeometry(const IdentifyInfo& info)
{
    Label("CHS");
    PrintChs(info.chs);
    OutChar('\n');
    Label("CHS current");
    if (info.chsCurrentValid) {
        PrintChs(info.chsCurrent);
        OutFormat(", %llu sectors\n", info.chsCurrentSectors);
    } else {
        OutLine("not reported");
    }
    Label("Buffer");
    if (info.bufferKib == kNotReported) {
        OutText("not reported");
    } else {
        OutFormat("%d KiB", info.bufferKib);
    }
    OutFormat(", type %s\n", BufferTypeTerm(info.bufferType).text);
    Label("Multiple sectors");
    OutText("max ");
    OutValue(info.multipleMax, "");
    OutText(", current ");
    OutValue(info.multipleCurrent, "");
    OutChar('\n');
    Label("Capabilities");
    OutFormat("LBA %s, IORDY %s%s\n", YesNo(info.lbaSupported), YesNo(info.iordySupported),
              info.iordyCanBeDisabled ? " (can be disabled)" : "");
    Label("Standby timer");
    OutFormat("%s values, device minimum %s\n", info.standbyTimerStandard ? "standard" : "vendor specific",
              info.standbyTimerDeviceMinimum == kNotReported ? "not reported"
                                                             : YesNo(info.standbyTimerDeviceMinimum == 1));
}

void PrintModeList(int list, const IdentifyInfo& info)
{
    for (int mode = 0; mode < 16; ++mode) {
        if (Bit(info.modes[list], mode)) {
            const bool active = info.activeList == list && info.activeMode == mode;
            OutText(active ? "*" : "");
            OutText(kModeLists[list].name);
            OutNumber(mode);
            OutChar(' ');
        }
    }
}

void PrintCycles(const char* what, int first, int second)
{
    SubLabel(what);
    OutValue(first, " ns");
    OutText(", ");
    OutValue(second, " ns");
    OutChar('\n');
}

void PrintTransferModes(const IdentifyInfo& info)
{
    Label("DMA modes");
    for (int list = kSdmaModes; list <= kUdmaModes; ++list) {
        PrintModeList(list, info);
    }
    OutLine(info.activeList == kNotReported ? "(none in use)" : "(* in use)");
    PrintCycles("min, recommended", info.dmaMinCycle, info.dmaRecommendedCycle);
    Label("PIO modes");
    PrintModeList(kPioModes, info);
    OutChar('\n');
    PrintCycles("min, with IORDY", info.pioMinCycle, info.pioMinCycleIordy);
}

void PrintPower(const IdentifyInfo& info)
{
    PrintCount("APM level", info.apmLevel, "");
    Label("Acoustic");
    if (info.acousticCurrent == kNotReported) {
        OutLine("not reported");
    } else {
        OutFormat("recommended %d, current %d\n", info.acousticRecommended, info.acousticCurrent);
    }
    Label("Hardware reset");
    const HardwareReset& reset = info.hardwareReset;
    if (reset.reported) {
        OutFormat("device %d, number by %s, CBLID- %s VIH\n", reset.deviceNumber,
                  DeterminedByTerm(reset.determinedBy).text, reset.cblidAboveVih ? "above" : "below");
    } else {
        OutLine("not reported");
    }
}

void PrintVersionCodes(const IdentifyInfo& info)
{
    Label("ATA minor version");
    if (info.minorVersion == kNotReported) {
        OutLine("not reported");
    } else {
        const char* name = MinorVersionName(static_cast<unsigned>(info.minorVersion));
        OutFormat("%04xh: %s\n", info.minorVersion, name != nullptr ? name : "not in the standards' list");
    }
    Label("Transport minor");
    if (info.transportMinorVersion == kNotReported) {
        OutLine("not reported");
    } else {
        OutFormat("%04xh\n", info.transportMinorVersion);
    }
    Label("SATA link speed");
    if (info.sataCurrentGeneration == kNotReported) {
        OutLine("not reported");
    } else {
        OutFormat("Gen%d (%.1f Gb/s)\n", info.sataCurrentGeneration,
                  kSataGenerationGbps[info.sataCurrentGeneration - 1]);
    }
}

void PrintIdentify(const DecodedBlock& block)
{
    const IdentifyInfo& info = block.identify;
    const Term rotation = RotationTerm(info.rotationRate);
    PrintStrings(info.strings);
    Label("Removable media");
    OutLine(YesNo(info.removable));
    Label("Capacity");
    if (info.capacityBytes == 0) {
        OutText("not reported\n");
    } else {
        OutFormat("%llu bytes = %.1f GB = %.1f GiB\n", info.capacityBytes, info.capacityGB, info.capacityGiB);
    }
    Label("Sectors");
    if (info.lba48Sectors != 0) {
        OutFormat("%llu (48-bit), ", info.lba48Sectors);
    }
    OutFormat("%llu (28-bit)\n", info.lba28Sectors);
    Label("Sector size");
    OutFormat("%llu bytes logical, %llu bytes physical\n", info.logicalSectorSize, info.physicalSectorSize);
    PrintCount("Sector 0 offset", info.logicalSectorOffset, " bytes");
    PrintGeometry(info);
    Label("Rotation");
    if (IsNumber(rotation)) {
        OutFormat("%d rpm\n", info.rotationRate);
    } else {
        OutLine(rotation.text);
    }
    Label("Form factor");
    const char* formFactor = FormFactorName(info.formFactor);
    OutLine(formFactor != nullptr ? formFactor : "not reported");
    PrintVersions(info);
    PrintVersionCodes(info);
    Label("NCQ");
    if (info.ncqQueueDepth == kNotReported) {
        OutText("not supported\n");
    } else {
        OutFormat("queue depth %d\n", info.ncqQueueDepth);
    }
    PrintCount("TRIM limit", info.dsmMaxBlocks, " blocks of ranges");
    PrintTransferModes(info);
    PrintPower(info);
    Label("World wide name");
    OutLine(info.wwn[0] != '\0' ? info.wwn : "none");
    if (info.wwn[0] != '\0') {
        Label("WWN parts");
        OutFormat("NAA %d, OUI %s, unique id %s\n", info.wwnNaa, info.wwnOui, info.wwnUniqueId);
    }
    PrintFeatures(info);
}

void PrintSmart(const DecodedBlock& block)
{
    const SmartInfo& info = block.smart;
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
        OutText("  ");
        OutRightAligned(static_cast<unsigned>(attribute.id), 3);
        OutText("  ");
        OutPadded(name != nullptr ? name : "(vendor specific)", kAttributeNameWidth);
        OutText(" 0x");
        OutHex(attribute.flags, 4);
        OutChar(' ');
        OutRightAligned(static_cast<unsigned>(attribute.current), 7);
        OutChar(' ');
        OutRightAligned(static_cast<unsigned>(attribute.worst), 5);
        OutText("  ");
        OutUnsigned(attribute.raw);
        OutChar('\n');
    }
}

void PrintReason(const DecodedBlock& block)
{
    Label("Why");
    OutLine(block.kind.reason);
}

constexpr BodyPrinter kBodyPrinters[] = {PrintIdentify, PrintPacket, PrintSmart, PrintReason};

}  // namespace

void PrintTextBlock(const DecodedBlock& block)
{
    PrintHeading(block);
    kBodyPrinters[static_cast<int>(block.kind.kind)](block);
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
