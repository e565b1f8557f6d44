// What the ATA/ATAPI command set standards say the words of IDENTIFY DEVICE
// data mean, as tables the decoder reads: the feature flags, the transfer
// mode lists and the minor-version codes of word 81.
#pragma once

// A word in the two forms the reports give it, so that the text and the
// JSON say the same things.
struct Term {
    const char* text;  // for a person
    const char* json;  // a JSON string, or nullptr for null
};

// No word for the value: it is a number, which each report prints as one.
constexpr Term kNumberTerm = {nullptr, nullptr};

constexpr bool IsNumber(Term term)
{
    return term.text == nullptr;
}

// When a word holds what the standard gives it.
enum class ValidWhen {
    Always,
    Signature,  // bits 15:14 of the rule's word are 01b
    Filled,     // the rule's word is neither 0000h nor FFFFh
    Bit,        // the rule's word has the rule's bit set
};

struct ValidRule {
    int word;
    ValidWhen when;
    int bit;  // for ValidWhen::Bit
};

constexpr int kNoWord = -1;

struct WordBit {
    int word;  // kNoWord: there is no such flag
    int bit;
};

struct FeatureRow {
    const char* name;  // as the standards name it
    const char* json;  // its key in "features"
    WordBit supported;
    WordBit enabled;  // kNoWord where the standard has no enabled flag
    ValidRule valid;  // for both flags
};

// The first rows are the ones each report lists whether supported or not,
// in this order; the rest are listed where supported.
enum SummaryFeature { kSmartRow, kSecurityRow, kWriteCacheRow, kLookAheadRow, kLba48Row, kApmRow, kTrimRow,
                      kSummaryFeatureCount };
constexpr int kWorldWideNameRow = kSummaryFeatureCount;

constexpr int kFeatureRowCount = 89;
extern const FeatureRow kFeatureRows[kFeatureRowCount];

// A list of transfer modes: bit n of the supported field is mode
// firstMode + n; the selected field has at most one bit set, the mode in use.
struct ModeList {
    const char* name;  // "udma": the modes are written udma0, udma1, ...
    int word;
    int supportedShift;
    int supportedCount;
    int selectedShift;  // -1: no selected field
    int firstMode;
    ValidRule valid;
};

enum ModeListIndex { kSdmaModes, kMdmaModes, kUdmaModes, kPioModes, kModeListCount };
extern const ModeList kModeLists[kModeListCount];
// PIO modes 0 to 2 are every device's: the words list only 3 and up.
constexpr int kBasePioModes = 3;

// Word 81's code: the standard's name for it, or nullptr for a code it
// does not list.
const char* MinorVersionName(unsigned code);

// The signalling speed of SATA Gen 1 to 3, in Gb/s.
constexpr double kSataGenerationGbps[] = {1.5, 3.0, 6.0};
constexpr int kSataGenerations = 3;
