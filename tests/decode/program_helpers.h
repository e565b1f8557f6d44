// portdump-decode run as a program on portdump's output made from real and
// constructed blocks.
#pragma once

#include "parse_helpers.h"
#include "read_file.h"
#include "run_program.h"

#include <cstdio>
#include <cstdlib>
#include <string>

const std::string kDecoder = DECODER_PATH;
const std::string kHere = DECODE_TEST_DIR;

inline std::string BlockAsPortdumpOutput(const std::string& file)
{
    const std::string bytes = ReadFile(kHere + "/data/" + file);
    return PortText(0, reinterpret_cast<const unsigned char*>(bytes.data()));
}

// A file that holds `text`, removed again at the end of the test.
struct TextFile {
    std::string path;
    explicit TextFile(const std::string& text, const std::string& name)
        : path(std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/portdump_decode_" + name)
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    ~TextFile() { std::remove(path.c_str()); }
};

inline std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}
