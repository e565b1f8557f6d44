// The report for a person: a short section per block, aligned labels.
#pragma once

#include "block_decoder.h"

// The source names come shown already (see ShownName).
void PrintTextBlock(const DecodedBlock& block);
void PrintTextFailure(const char* source, const FailureLine& failure);
