#include "report_terms.h"

#include "identify.h"

// Each table in the order of its enum.
namespace {

constexpr Term kKindTerms[] = {
    {"IDENTIFY DEVICE", "identify"},
    {"IDENTIFY PACKET DEVICE", "identify_packet"},
    {"SMART data", "smart"},
    {"unknown", "unknown"},
};

constexpr Term kChecksumTerms[] = {
    {"correct", "correct"},
    {"INCORRECT (decoded anyway: the data may be damaged)", "incorrect"},
    {"absent", "absent"},
};

constexpr Term kStepTerms[] = {
    {"usage message", "usage"},
    {"DefineDosDevice", "DefineDosDevice"},
    {"CreateFile", "CreateFile"},
};

constexpr Term kBufferTypeTerms[] = {
    {"none", nullptr},
    {"single ported, single sector", "single_ported"},
    {"dual ported, multiple sectors", "dual_ported"},
    {"dual ported, multiple sectors, with read caching", "dual_ported_cache"},
};

constexpr Term kDeterminedByTerms[] = {
    {"unknown", "unknown"},
    {"jumper", "jumper"},
    {"CSEL", "CSEL"},
    {"other", "other"},
};

}  // namespace

Term KindTerm(BlockKind kind)
{
    return kKindTerms[static_cast<int>(kind)];
}

Term ChecksumTerm(Checksum checksum)
{
    return kChecksumTerms[static_cast<int>(checksum)];
}

Term StepTerm(FailedStep step)
{
    return kStepTerms[static_cast<int>(step)];
}

Term TransportTerm(int transport)
{
    switch (transport) {
    case kNotReported:
        return {"not reported", nullptr};
    case kParallelTransport:
        return {"parallel", "parallel"};
    case kSerialTransport:
        return {"serial", "serial"};
    default:
        return {"other", "other"};
    }
}

Term RotationTerm(int rotationRate)
{
    if (rotationRate == kNotReported) {
        return {"not reported", nullptr};
    }
    return rotationRate == 1 ? Term{"solid state", "solid state"} : kNumberTerm;
}

Term BufferTypeTerm(int type)
{
    return type >= 0 && type < 4 ? kBufferTypeTerms[type] : kBufferTypeTerms[0];
}

Term DeterminedByTerm(DeterminedBy how)
{
    return kDeterminedByTerms[static_cast<int>(how)];
}
