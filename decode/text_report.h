// The report for a person: a short section per block, aligned labels.
#pragma once

#include "decoded.h"

void PrintTextBlock(const DecodedBlock& block);
void PrintTextFailure(const char* source, const FailureLine& failure);
