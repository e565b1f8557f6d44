// The report as one JSON document: {"blocks": [...], "failures": [...],
// "errors": [...]}. Blocks are written as they come; failures and errors are
// kept until the end, up to kMaxJsonListed of each.
#pragma once

#include "block_decoder.h"

constexpr int kMaxJsonListed = 256;

// What did not fit in the lists; the document says so too, in "not_listed".
struct JsonLeftOut {
    long long failures;
    long long errors;
};

void StartJson();
void AddJsonBlock(const DecodedBlock& block);
void AddJsonFailure(const char* source, const FailureLine& failure);
void AddJsonError(const char* source, LineNumber line, const char* message);
JsonLeftOut FinishJson();
