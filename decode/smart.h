// SMART READ DATA: the attribute table and the two status bytes. The
// thresholds are another command's answer and never in this block.
#pragma once

#include <cstddef>

constexpr int kSmartAttributes = 30;

// Entry `index` of the attribute table: twelve bytes each from byte 2, led by
// the attribute id (0 for an unused entry).
inline const unsigned char* SmartEntry(const unsigned char* block, int index)
{
    return block + 2 + 12 * static_cast<std::ptrdiff_t>(index);
}

struct SmartAttribute {
    int id;
    unsigned flags;
    int current;
    int worst;
    unsigned long long raw;  // the six raw bytes, little-endian
};

struct SmartInfo {
    int revision;
    SmartAttribute attributes[kSmartAttributes];
    int attributeCount;
    int offlineCollectionStatus;  // byte 362
    int selfTestStatus;           // byte 363
    int temperature;              // degrees Celsius; 0 when not reported
};

void DecodeSmart(const unsigned char* block, SmartInfo& info);

// The common names of well-known attribute ids are at most this long.
constexpr int kAttributeNameWidth = 30;

// The common name of a well-known attribute id; nullptr for others.
const char* AttributeName(int id);
// What the two status bytes say, in words.
const char* OfflineCollectionText(int status);
const char* SelfTestText(int status);
