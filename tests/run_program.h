// Runs a program as a subprocess and collects what a user would see of it.
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
    std::string out;
    std::string err;
    int status;  // the exit status, or -1 when the process did not exit normally
};

// `input` becomes the program's standard input.
ProgramRun RunProgram(const std::string& path, const std::vector<std::string>& arguments,
                      const std::string& input = "");
