#include "report_facts.h"

namespace {

struct FeatureTerm {
    Term name;
    Feature IdentifyInfo::*feature;
};

constexpr FeatureTerm kFeatureTerms[] = {
    {{"SMART", "smart"}, &IdentifyInfo::smart},
    {{"Security", "security"}, &IdentifyInfo::security},
    {{"Write cache", "write_cache"}, &IdentifyInfo::writeCache},
    {{"Look-ahead", "look_ahead"}, &IdentifyInfo::lookAhead},
    {{"48-bit address", "lba48"}, &IdentifyInfo::lba48},
    {{"APM", "apm"}, &IdentifyInfo::apm},
    {{"TRIM", "trim"}, &IdentifyInfo::trim},
};
static_assert(sizeof kFeatureTerms / sizeof kFeatureTerms[0] == kFeatureCount, "a term for each feature");

void GatherNames(unsigned bits, int count, const char* (*name)(int), NameList& list)
{
    list.count = 0;
    for (int bit = 0; bit < count; ++bit) {
        if ((bits >> bit & 1) != 0 && name(bit) != nullptr) {
            list.names[list.count++] = name(bit);
        }
    }
}

}  // namespace

void GatherIdentifyFacts(const IdentifyInfo& info, IdentifyFacts& facts)
{
    facts.capacityGB = static_cast<double>(info.capacityBytes) / 1e9;
    facts.capacityGiB = static_cast<double>(info.capacityBytes) / (1024.0 * 1024.0 * 1024.0);
    facts.rotation = RotationTerm(info.rotationRate);
    GatherNames(info.majorVersions, 16, MajorVersionName, facts.ataVersions);
    facts.transport = TransportTerm(info.transport);
    GatherNames(info.transport == kSerialTransport ? info.transportVersions : 0, 12, SerialTransportName,
                facts.transportVersions);
    facts.sataGenerationCount = 0;
    for (int gen = 1; gen <= 3; ++gen) {
        if ((info.sataGenerations >> (gen - 1) & 1) != 0) {
            facts.sataGenerations[facts.sataGenerationCount++] = gen;
        }
    }
    for (int i = 0; i < kFeatureCount; ++i) {
        const FeatureTerm& term = kFeatureTerms[i];
        const bool security = term.feature == &IdentifyInfo::security;
        facts.features[i] = FeatureFact{term.name, info.*term.feature, security, info.securityLocked,
                                        info.securityFrozen};
    }
}
