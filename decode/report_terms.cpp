#include "report_terms.h"

Term KindTerm(BlockKind kind)
{
    switch (kind) {
    case BlockKind::Identify:
        return {"IDENTIFY DEVICE", "identify"};
    case BlockKind::IdentifyPacket:
        return {"IDENTIFY PACKET DEVICE", "identify_packet"};
    case BlockKind::Smart:
        return {"SMART data", "smart"};
    case BlockKind::Unknown:
        break;
    }
    return {"unknown", "unknown"};
}

Term ChecksumTerm(Checksum checksum)
{
    switch (checksum) {
    case Checksum::Correct:
        return {"correct", "correct"};
    case Checksum::Incorrect:
        return {"INCORRECT (decoded anyway: the data may be damaged)", "incorrect"};
    case Checksum::Absent:
        break;
    }
    return {"absent", "absent"};
}

Term StepTerm(FailedStep step)
{
    switch (step) {
    case FailedStep::Usage:
        return {"usage message", "usage"};
    case FailedStep::DefineDosDevice:
        return {"DefineDosDevice", "DefineDosDevice"};
    case FailedStep::CreateFile:
        break;
    }
    return {"CreateFile", "CreateFile"};
}

Term TransportTerm(int transport)
{
    switch (transport) {
    case kNotReported:
        return {"not reported", nullptr};
    case 0:
        return {"parallel", "parallel"};
    case 1:
        return {"serial", "serial"};
    default:
        return {"other", "other"};
    }
}

Term RotationTerm(int rotationRate)
{
    switch (rotationRate) {
    case kNotReported:
        return {"not reported", nullptr};
    case 1:
        return {"solid state", "solid state"};
    default:
        return {nullptr, nullptr};
    }
}

const FeatureTerm kFeatureTerms[] = {
    {{"SMART", "smart"}, &IdentifyInfo::smart},
    {{"Security", "security"}, &IdentifyInfo::security},
    {{"Write cache", "write_cache"}, &IdentifyInfo::writeCache},
    {{"Look-ahead", "look_ahead"}, &IdentifyInfo::lookAhead},
    {{"48-bit address", "lba48"}, &IdentifyInfo::lba48},
    {{"APM", "apm"}, &IdentifyInfo::apm},
    {{"TRIM", "trim"}, &IdentifyInfo::trim},
};
const int kFeatureTermCount = sizeof kFeatureTerms / sizeof kFeatureTerms[0];
