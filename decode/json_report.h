// The report as one JSON document: {"blocks": [...], "failures": [...],
// "errors": [...]}. Blocks are written as they come; failures and errors are
// kept until the end.
#pragma once

#include "decoded.h"

void StartJson();
void AddJsonBlock(const DecodedBlock& block);
void AddJsonFailure(const char* source, const FailureLine& failure);
void AddJsonError(const char* source, long line, const char* message);
void FinishJson();
