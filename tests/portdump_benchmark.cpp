// How long the dump of one block and one whole emulated query take, so that a
// slowdown shows. The tool's own output goes to /dev/null, the report to stderr.
//
// The whole process, in instructions, beside xxd on the same amount of data:
//   head -c 1024 /dev/urandom >1k.bin
//   valgrind --tool=callgrind build/native/portdump 0 >/dev/null   (two blocks, 1 KiB dumped)
//   valgrind --tool=callgrind xxd 1k.bin >/dev/null
// 2026-12-09, Debian 12, GCC 12, RelWithDebInfo: portdump 213,487, xxd 460,390 (0.46 x);
// before the dump built its lines from a hex-digit table, 1,241,971 (2.7 x). Booting the
// built-in machine costs about 950 of them.
#include "block_dump.h"
#include "controller_query.h"
#include "emulated_machine.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <iostream>

namespace {

void DumpOneBlock(benchmark::State& state)
{
    unsigned char block[512];
    for (int i = 0; i < 512; ++i) {
        block[i] = static_cast<unsigned char>(i * 31);
    }
    for (auto _ : state) {
        DumpBlock(block, sizeof block);
    }
    state.SetBytesProcessed(static_cast<long>(state.iterations()) * 512);
}
BENCHMARK(DumpOneBlock);

void QueryFourDisks(benchmark::State& state)
{
    emulated::BootMachine(emulated::kTestMachine);
    const int controller = emulated::AddSiliconImage(3124, 4);
    for (int port = 0; port < 4; ++port) {
        const DiskIdentity disk = {"BENCH", "1.0", "PORTDUMP BENCHMARK DISK", 1000000ull * (port + 1)};
        emulated::AttachDisk(controller, port, disk);
    }
    for (auto _ : state) {
        QueryController(3124);
    }
}
BENCHMARK(QueryFourDisks);

}  // namespace

int main(int argc, char** argv)
{
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::ConsoleReporter reporter(benchmark::ConsoleReporter::OO_Tabular);
    reporter.SetOutputStream(&std::cerr);
    reporter.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
