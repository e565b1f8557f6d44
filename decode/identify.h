// The fields of ATA IDENTIFY DEVICE and IDENTIFY PACKET DEVICE data, per the
// ATA/ACS standards.
#pragma once

#include "ata_words.h"

struct Feature {
    bool supported;
    bool enabled;
};

constexpr int kNotReported = -1;
// Word 222's transport types.
constexpr int kParallelTransport = 0;
constexpr int kSerialTransport = 1;

struct IdentifyInfo {
    DeviceStrings strings;  // padding (blanks, NULs) trimmed
    unsigned long long lba28Sectors;
    unsigned long long lba48Sectors;  // 0 when not reported
    unsigned long long logicalSectorSize;
    unsigned long long physicalSectorSize;
    unsigned long long capacityBytes;  // 0 when not reported
    int rotationRate;      // rpm, 1 for solid state, or kNotReported
    int formFactor;        // word 168's code, 0 when not reported
    unsigned majorVersions;     // word 80: bit n for version n; 0 when not reported
    int transport;              // kParallelTransport, kSerialTransport, another type, or kNotReported
    unsigned transportVersions; // word 222 bits 11:0
    unsigned sataGenerations;   // bit n - 1 for Gen n signalling
    int ncqQueueDepth;          // kNotReported without NCQ
    char wwn[17];               // 16 hex digits, or empty
    Feature smart;
    Feature security;
    bool securityLocked;
    bool securityFrozen;
    Feature writeCache;
    Feature lookAhead;
    Feature lba48;
    Feature apm;
    Feature trim;  // TRIM has no enable bit: enabled whenever supported
};

void DecodeIdentify(const unsigned char* block, IdentifyInfo& info);

// A packet (ATAPI) device's data: no addressing or capacity of its own, its
// medium is reached through SCSI commands.
struct PacketInfo {
    DeviceStrings strings;
    int deviceType;  // word 0 bits 12:8, a SCSI peripheral device type
    bool removable;  // word 0 bit 7
};

void DecodeIdentifyPacket(const unsigned char* block, PacketInfo& info);

// "CD/DVD", "tape", ... for a packet device's type; nullptr for others.
const char* PacketDeviceTypeName(int type);

// "ATA/ATAPI-7", "ACS-3", ... for a bit of word 80; nullptr for none.
const char* MajorVersionName(int bit);
// "3.5 inch", "M.2", ...; nullptr when not reported.
const char* FormFactorName(int code);
// "SATA Rev 3.0", ... for a bit of a serial transport's word 222; nullptr for none.
const char* SerialTransportName(int bit);
