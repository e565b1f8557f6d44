// Any bytes of any length, in a buffer of exactly that length: the sanitizers
// catch any read outside it.
#include "block_dump.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<unsigned char> block(data, data + size);
    DumpBlock(block.empty() ? nullptr : block.data(), static_cast<int>(block.size()));
    return 0;
}
