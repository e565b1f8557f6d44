#include "report_facts.h"

namespace {

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
}
