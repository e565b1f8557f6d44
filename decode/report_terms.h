// The words both reports use, each in its form for a person and its JSON
// form, so that the text and the JSON say the same things.
#pragma once

#include "decoded.h"

struct Term {
    const char* text;  // for a person
    const char* json;  // a JSON string, or nullptr for null
};

Term KindTerm(BlockKind kind);
Term ChecksumTerm(Checksum checksum);
Term StepTerm(FailedStep step);
// Word 222's transport type: parallel, serial, other, or not reported.
Term TransportTerm(int transport);
// Solid state or not reported; a rate in rpm has no term (both nullptr):
// it is a number.
Term RotationTerm(int rotationRate);

// The feature sets both reports list, in their order.
struct FeatureTerm {
    Term name;
    Feature IdentifyInfo::*feature;
};

extern const FeatureTerm kFeatureTerms[];
extern const int kFeatureTermCount;
