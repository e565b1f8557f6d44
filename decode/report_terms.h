// The words both reports use, each in its form for a person and its JSON
// form, so that the text and the JSON say the same things.
#pragma once

#include "block_kind.h"
#include "dump_parser.h"
#include "identify.h"

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

Term KindTerm(BlockKind kind);
Term ChecksumTerm(Checksum checksum);
Term StepTerm(FailedStep step);
// Word 222's transport type: parallel, serial, other, or not reported.
Term TransportTerm(int transport);
// Solid state or not reported; kNumberTerm for a rate in rpm.
Term RotationTerm(int rotationRate);
// Word 20's buffer type; {"none", nullptr} for a code with no type.
Term BufferTypeTerm(int type);
Term DeterminedByTerm(DeterminedBy how);
