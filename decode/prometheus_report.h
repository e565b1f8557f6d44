// The report as metrics in the Prometheus text exposition format, which the
// textfile collectors of node_exporter and windows_exporter read. The format
// wants each metric's samples together, so what the blocks and failure lines
// say is kept until the end, up to fixed counts.
#pragma once

#include "block_decoder.h"

constexpr int kMaxMetricSources = 64;
constexpr int kMaxMetricBlocks = 256;
constexpr int kMaxMetricFailures = 256;

void StartPrometheus();
// What follows belongs to the input `source`, as the metrics label it; the
// name must live until FinishPrometheus.
void AddPrometheusSource(const char* source);
void AddPrometheusBlock(const DecodedBlock& block);
void AddPrometheusFailure(const FailureLine& failure);
void AddPrometheusError();
// Writes the metrics; false when some were left out, each said on stderr.
bool FinishPrometheus();
