#include "run_program.h"

#include <cstdio>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Reads both pipes together so that neither can fill up and stall the child.
void Drain(int outFd, int errFd, std::string& out, std::string& err)
{
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&out, &err};
    int open = 2;
    while (open > 0 && poll(fds, 2, -1) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char chunk[4096];
            const ssize_t got = read(fds[i].fd, chunk, sizeof chunk);
            if (got > 0) {
                sinks[i]->append(chunk, static_cast<size_t>(got));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

}  // namespace

ProgramRun RunProgram(const std::string& path, const std::vector<std::string>& arguments, const std::string& input)
{
    std::FILE* stdinFile = std::tmpfile();
    if (stdinFile == nullptr || std::fwrite(input.data(), 1, input.size(), stdinFile) != input.size() ||
        std::fflush(stdinFile) != 0) {
        return {"", "tmpfile failed", -1};
    }
    std::rewind(stdinFile);
    int outPipe[2];
    int errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) {
        return {"", "pipe failed", -1};
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        dup2(fileno(stdinFile), STDIN_FILENO);
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        close(outPipe[0]);
        close(errPipe[0]);
        execv(path.c_str(), argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    ProgramRun run{"", "", -1};
    Drain(outPipe[0], errPipe[0], run.out, run.err);
    int status = 0;
    waitpid(child, &status, 0);
    std::fclose(stdinFile);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
