// Prints a 512-byte file as portdump prints a port's answer: port line, dump,
// separator.
#include "block_dump.h"
#include "dump_format.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    unsigned char block[512] = {};
    std::FILE* file = argc == 2 ? std::fopen(argv[1], "rb") : nullptr;
    if (file == nullptr || std::fread(block, 1, sizeof block, file) != sizeof block) {
        std::fprintf(stderr, "usage: dump_bytes FILE-OF-512-BYTES\n");
        return 1;
    }
    std::fclose(file);
    std::printf(DUMP_PORT_LINE_FORMAT, 1);
    DumpBlock(block, sizeof block);
    std::printf(DUMP_SEPARATOR "\n");
    return 0;
}
