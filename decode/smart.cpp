#include "smart.h"

#include "ata_words.h"

#include <algorithm>

namespace {

// Attribute 194 holds the temperature, older drives have it in 190: in the
// low byte of the raw value, whatever the vendor keeps in the others; 0 there
// is no reading.
int TemperatureRank(int id)
{
    return id == 194 ? 2 : id == 190 ? 1 : 0;
}

}  // namespace

void DecodeSmart(const unsigned char* block, SmartInfo& info)
{
    info = SmartInfo{};
    info.revision = static_cast<int>(Word(block, 0));
    int temperatureRank = 0;
    for (int i = 0; i < kSmartAttributes; ++i) {
        // Id, flags, current, worst, six raw bytes, one reserved.
        const unsigned char* entry = SmartEntry(block, i);
        if (entry[0] == 0) {
            continue;
        }
        SmartAttribute& attribute = info.attributes[info.attributeCount++];
        attribute.id = entry[0];
        attribute.flags = static_cast<unsigned>(entry[1] | entry[2] << 8);
        attribute.current = entry[3];
        attribute.worst = entry[4];
        for (int byte = 5; byte >= 0; --byte) {
            attribute.raw = attribute.raw << 8 | entry[5 + byte];
        }
        if (entry[5] != 0 && TemperatureRank(attribute.id) > temperatureRank) {
            temperatureRank = TemperatureRank(attribute.id);
            info.temperature = entry[5];
        }
    }
    info.offlineCollectionStatus = block[362];
    info.selfTestStatus = block[363];
}

namespace {

struct NamedAttribute {
    int id;
    const char* name;
};

constexpr NamedAttribute kAttributeNames[] = {
    {1, "Raw read error rate"},
    {2, "Throughput performance"},
    {3, "Spin-up time"},
    {4, "Start/stop count"},
    {5, "Reallocated sectors"},
    {7, "Seek error rate"},
    {8, "Seek time performance"},
    {9, "Power-on hours"},
    {10, "Spin retry count"},
    {11, "Calibration retry count"},
    {12, "Power cycle count"},
    {13, "Soft read error rate"},
    {177, "Wear leveling count"},
    {179, "Used reserved blocks"},
    {181, "Program fail count"},
    {182, "Erase fail count"},
    {183, "Runtime bad blocks"},
    {184, "End-to-end errors"},
    {187, "Reported uncorrectable errors"},
    {188, "Command timeouts"},
    {189, "High fly writes"},
    {190, "Airflow temperature"},
    {191, "G-sense errors"},
    {192, "Power-off retracts"},
    {193, "Load cycle count"},
    {194, "Temperature"},
    {195, "Hardware ECC recovered"},
    {196, "Reallocation events"},
    {197, "Current pending sectors"},
    {198, "Offline uncorrectable sectors"},
    {199, "UDMA CRC errors"},
    {200, "Multi-zone error rate"},
    {201, "Soft read errors"},
    {202, "Data address mark errors"},
    {235, "Power recovery count"},
    {241, "Total LBAs written"},
    {242, "Total LBAs read"},
};
constexpr int kAttributeNameCount = sizeof kAttributeNames / sizeof kAttributeNames[0];

// Each id is named once, and each is one an entry's id byte can hold.
constexpr bool EachIdNamedOnce()
{
    for (int i = 0; i < kAttributeNameCount; ++i) {
        if (kAttributeNames[i].id < 1 || kAttributeNames[i].id > 255) {
            return false;
        }
        for (int j = 0; j < i; ++j) {
            if (kAttributeNames[j].id == kAttributeNames[i].id) {
                return false;
            }
        }
    }
    return true;
}
static_assert(EachIdNamedOnce(), "an attribute id named twice, or one no entry holds");

}  // namespace

const char* AttributeName(int id)
{
    const NamedAttribute* end = kAttributeNames + kAttributeNameCount;
    const NamedAttribute* named =
        std::find_if(kAttributeNames, end, [id](const NamedAttribute& attribute) { return attribute.id == id; });
    return named != end ? named->name : nullptr;
}

const char* OfflineCollectionText(int status)
{
    // Bit 7 only says whether automatic collection is enabled.
    switch (status & 0x7F) {
    case 0x00: return "never started";
    case 0x02: return "completed without error";
    case 0x03: return "in progress";
    case 0x04: return "suspended by an interrupting command";
    case 0x05: return "aborted by the host";
    case 0x06: return "aborted by the device with a fatal error";
    default: return "vendor specific or reserved";
    }
}

const char* SelfTestText(int status)
{
    switch (status >> 4) {
    case 0x0: return "last self-test completed without error, or none was run";
    case 0x1: return "aborted by the host";
    case 0x2: return "interrupted by a reset";
    case 0x3: return "could not complete: fatal error or unknown test error";
    case 0x4: return "completed with an unknown failed element";
    case 0x5: return "completed with a failed electrical element";
    case 0x6: return "completed with a failed servo or seek element";
    case 0x7: return "completed with a failed read element";
    case 0x8: return "completed with suspected handling damage";
    case 0xF: return "in progress";
    default: return "reserved";
    }
}
