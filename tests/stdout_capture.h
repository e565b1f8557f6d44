// Runs a piece of the tool in this process and returns the bytes it wrote to
// stdout.
#pragma once

#include <cstdio>
#include <string>
#include <unistd.h>

template <typename Body>
std::string CaptureStdout(Body body)
{
    std::fflush(stdout);
    std::FILE* sink = std::tmpfile();
    const int saved = dup(STDOUT_FILENO);
    dup2(fileno(sink), STDOUT_FILENO);
    body();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);

    std::string captured;
    std::rewind(sink);
    char chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, sink)) > 0;) {
        captured.append(chunk, got);
    }
    std::fclose(sink);
    return captured;
}
