// The fields of ATA IDENTIFY DEVICE and IDENTIFY PACKET DEVICE data, per the
// ATA/ACS standards.
#pragma once

#include "ata_words.h"
#include "identify_tables.h"

struct Feature {
    bool supported;
    bool enabled;  // false where the standard has no enabled flag
};

constexpr int kNotReported = -1;
// Word 222's transport types.
constexpr int kParallelTransport = 0;
constexpr int kSerialTransport = 1;

// Cylinders, heads and sectors a track, of words 1, 3 and 6 or 54 to 56.
struct Chs {
    int cylinders;
    int heads;
    int sectorsPerTrack;
};

// A security erase time: minutes, or kNotReported; with moreThan, the
// bound the drive takes longer than.
struct EraseTime {
    int minutes;
    bool moreThan;
};

struct SecurityState {
    bool locked;
    bool frozen;
    bool countExpired;
    bool enhancedEraseSupported;
    bool maximumLevel;  // word 128 bit 8: maximum, else high
    EraseTime erase;
    EraseTime enhancedErase;
    int masterPasswordRevision;  // kNotReported for 0000h and FFFFh
};

// Word 93, a parallel drive's hardware reset results.
enum class DeterminedBy { Unknown, Jumper, Csel, Other };

struct HardwareReset {
    bool reported;  // bits 15:14 are 01b
    int deviceNumber;
    DeterminedBy determinedBy;
    bool cblidAboveVih;
};

// The names of a word's set bits that have one, in bit order.
struct NameList {
    const char* names[16];
    int count;
};

struct IdentifyInfo {
    DeviceStrings strings;  // padding (blanks, NULs) trimmed
    bool removable;         // word 0 bit 7
    unsigned long long lba28Sectors;
    unsigned long long lba48Sectors;  // 0 when not reported
    unsigned long long logicalSectorSize;
    unsigned long long physicalSectorSize;
    long long logicalSectorOffset;     // bytes; kNotReported
    unsigned long long capacityBytes;  // 0 when not reported
    double capacityGB;                 // 10^9 bytes
    double capacityGiB;                // 2^30 bytes
    Chs chs;
    bool chsCurrentValid;  // word 53 bit 0
    Chs chsCurrent;
    unsigned long long chsCurrentSectors;
    int bufferKib;         // kNotReported
    int bufferType;        // word 20; 0 when none
    int multipleMax;       // kNotReported
    int multipleCurrent;   // kNotReported
    bool lbaSupported;
    bool iordySupported;
    bool iordyCanBeDisabled;
    bool standbyTimerStandard;
    int standbyTimerDeviceMinimum;  // 1 or 0, or kNotReported
    int apmLevel;                   // kNotReported unless APM is enabled
    int acousticRecommended;        // kNotReported both, when word 94 gives none
    int acousticCurrent;
    unsigned modes[kModeListCount];  // bit n: mode n of each list
    int activeList;                  // the list of the mode in use, or kNotReported
    int activeMode;
    int dmaMinCycle;  // ns, each kNotReported
    int dmaRecommendedCycle;
    int pioMinCycle;
    int pioMinCycleIordy;
    int rotationRate;           // rpm, 1 for solid state, or kNotReported
    int formFactor;             // word 168's code, 0 when not reported
    unsigned majorVersions;     // word 80: bit n for version n; 0 when not reported
    NameList ataVersions;       // the names of those
    int minorVersion;           // word 81, kNotReported for 0000h and FFFFh
    int transport;              // kParallelTransport, kSerialTransport, another type, or kNotReported
    unsigned transportVersions; // word 222 bits 11:0
    NameList serialVersions;    // their names, for a serial transport; none for another
    int transportMinorVersion;  // word 223, kNotReported for 0000h and FFFFh
    unsigned sataGenerations;   // bit n - 1 for Gen n signalling
    int signalledGenerations[kSataGenerations];  // the Gen numbers of those, in order
    int signalledGenerationCount;
    int sataCurrentGeneration;  // word 77 bits 3:1, kNotReported for none
    int ncqQueueDepth;          // kNotReported without NCQ
    int dsmMaxBlocks;           // word 105, kNotReported for 0
    char wwn[17];               // 16 hex digits, or empty
    int wwnNaa;                 // each of the WWN's parts, when there is one
    char wwnOui[7];
    char wwnUniqueId[10];
    HardwareReset hardwareReset;
    Feature features[kFeatureRowCount];  // as kFeatureRows lists them
    SecurityState security;
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

// Word 222's transport type (kNotReported, or the type code): parallel,
// serial, other, or not reported.
Term TransportTerm(int transport);
// Solid state or not reported; kNumberTerm for a rate in rpm.
Term RotationTerm(int rotationRate);
// Word 20's buffer type; {"none", nullptr} for a code with no type.
Term BufferTypeTerm(int type);
Term DeterminedByTerm(DeterminedBy how);
