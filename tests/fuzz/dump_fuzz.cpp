// Any bytes of any length, in a buffer of exactly that length: the sanitizers
// catch any read outside it, and the dump must be what formatted printing of
// each line gives.
#include "block_dump.h"
#include "fuzz_support.h"
#include "stdout_capture.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The dump as "%03x: %s %s\n" prints it, a line at a time.
std::string PrintfDump(const std::vector<unsigned char>& block)
{
    std::string dump;
    for (std::size_t start = 0; start < block.size(); start += 16) {
        std::string hex;
        std::string text;
        for (std::size_t i = start; i < block.size() && i < start + 16; ++i) {
            char item[4];
            std::snprintf(item, sizeof item, "%02x ", block[i]);
            hex += item;
            text += std::isalnum(block[i]) ? static_cast<char>(block[i]) : '.';
        }
        char line[128];
        std::snprintf(line, sizeof line, "%03x: %s %s\n", static_cast<unsigned>(start), hex.c_str(), text.c_str());
        dump += line;
    }
    return dump;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<unsigned char> block(data, data + size);
    const std::string dump = CaptureStdout(
        [&] { DumpBlock(block.empty() ? nullptr : block.data(), static_cast<int>(block.size())); });
    Require(dump == PrintfDump(block), "the dump is what formatted printing gives");
    return 0;
}
