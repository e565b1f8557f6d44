// SMART READ DATA: the attribute table and the two status bytes. The
// thresholds are another command's answer and never in this block.
#pragma once

constexpr int kSmartAttributes = 30;

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
};

void DecodeSmart(const unsigned char* block, SmartInfo& info);

// The common name of a well-known attribute id; nullptr for others.
const char* AttributeName(int id);
// What the two status bytes say, in words.
const char* OfflineCollectionText(int status);
const char* SelfTestText(int status);
