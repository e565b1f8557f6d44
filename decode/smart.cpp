#include "smart.h"

#include "block_kind.h"

void DecodeSmart(const unsigned char* block, SmartInfo& info)
{
    info = SmartInfo{};
    info.revision = static_cast<int>(Word(block, 0));
    for (int i = 0; i < kSmartAttributes; ++i) {
        // Twelve bytes each from byte 2: id, flags, current, worst, six raw
        // bytes, one reserved.
        const unsigned char* entry = block + 2 + 12 * static_cast<long>(i);
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
    }
    info.offlineCollectionStatus = block[362];
    info.selfTestStatus = block[363];
}

const char* AttributeName(int id)
{
    switch (id) {
    case 1: return "Raw read error rate";
    case 2: return "Throughput performance";
    case 3: return "Spin-up time";
    case 4: return "Start/stop count";
    case 5: return "Reallocated sectors";
    case 7: return "Seek error rate";
    case 8: return "Seek time performance";
    case 9: return "Power-on hours";
    case 10: return "Spin retry count";
    case 11: return "Calibration retry count";
    case 12: return "Power cycle count";
    case 13: return "Soft read error rate";
    case 177: return "Wear leveling count";
    case 179: return "Used reserved blocks";
    case 181: return "Program fail count";
    case 182: return "Erase fail count";
    case 183: return "Runtime bad blocks";
    case 184: return "End-to-end errors";
    case 187: return "Reported uncorrectable errors";
    case 188: return "Command timeouts";
    case 189: return "High fly writes";
    case 190: return "Airflow temperature";
    case 191: return "G-sense errors";
    case 192: return "Power-off retracts";
    case 193: return "Load cycle count";
    case 194: return "Temperature";
    case 195: return "Hardware ECC recovered";
    case 196: return "Reallocation events";
    case 197: return "Current pending sectors";
    case 198: return "Offline uncorrectable sectors";
    case 199: return "UDMA CRC errors";
    case 200: return "Multi-zone error rate";
    case 201: return "Soft read errors";
    case 202: return "Data address mark errors";
    case 235: return "Power recovery count";
    case 241: return "Total LBAs written";
    case 242: return "Total LBAs read";
    default: return nullptr;
    }
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
