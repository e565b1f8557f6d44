// What both reports say of IDENTIFY DEVICE data beyond its fields, computed
// once: the text and the JSON report only format these facts.
#pragma once

#include "identify.h"
#include "report_terms.h"

// The names of a word's set bits that have one, in bit order.
struct NameList {
    const char* names[16];
    int count;
};

struct IdentifyFacts {
    Term rotation;       // kNumberTerm: the rate in rpm
    NameList ataVersions;
    Term transport;
    NameList transportVersions;  // a serial transport's; none for another
    int sataGenerations[3];      // the Gen numbers it signals, in order
    int sataGenerationCount;
};

void GatherIdentifyFacts(const IdentifyInfo& info, IdentifyFacts& facts);
