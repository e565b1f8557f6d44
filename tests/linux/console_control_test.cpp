// Console control on Linux, each case in a child process: a signal reaches
// the handlers as Windows' event, on a thread of their own, newest first;
// the process then ends by the signal unless a handler took the event.
#include "kernel32.h"

#include <gtest/gtest.h>

#include <csignal>
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int reportPipe = -1;
pthread_t mainThread;

// Writes "<tag><event><on the main thread?>" for the parent to read.
void Report(char tag, DWORD event)
{
    const char line[3] = {tag, static_cast<char>('0' + event), pthread_equal(pthread_self(), mainThread) ? 'm' : 't'};
    (void)!write(reportPipe, line, sizeof line);
}

BOOL WINAPI Declines(DWORD event)
{
    Report('d', event);
    return FALSE;
}

BOOL WINAPI Takes(DWORD event)
{
    Report('t', event);
    return TRUE;
}

struct Outcome {
    std::string reports;
    int signal;  // that ended the child, or 0
    int status;  // its exit status otherwise
};

// Installs `handlers` (oldest first) in a child, sends it `signal`, and
// collects what it reported and how it ended. A child that lives on exits 7.
Outcome SignalChild(std::initializer_list<PHANDLER_ROUTINE> handlers, int signal)
{
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    int ready[2];
    EXPECT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        close(ready[0]);
        reportPipe = fds[1];
        mainThread = pthread_self();
        for (PHANDLER_ROUTINE handler : handlers) {
            if (!SetConsoleCtrlHandler(handler, TRUE)) {
                _exit(90);
            }
        }
        (void)!write(ready[1], "r", 1);
        // Long enough for any handler; the signal ends it sooner.
        for (int i = 0; i < 20; ++i) {
            usleep(50000);
        }
        _exit(7);
    }
    close(fds[1]);
    close(ready[1]);
    char byte;
    EXPECT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    kill(child, signal);
    int status = 0;
    waitpid(child, &status, 0);
    Outcome outcome{"", 0, 0};
    char buffer[64];
    ssize_t length;
    while ((length = read(fds[0], buffer, sizeof buffer)) > 0) {
        outcome.reports.append(buffer, static_cast<std::size_t>(length));
    }
    close(fds[0]);
    if (WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
    } else {
        outcome.status = WEXITSTATUS(status);
    }
    return outcome;
}

TEST(ConsoleControl, SignalsArriveAsWindowsEventsAndEndTheProcess)
{
    struct Case {
        int signal;
        const char* reports;
    } cases[] = {{SIGINT, "d0t"}, {SIGTERM, "d1t"}, {SIGHUP, "d2t"}};
    for (const Case& c : cases) {
        const Outcome outcome = SignalChild({Declines}, c.signal);
        EXPECT_EQ(outcome.reports, c.reports) << c.signal;
        EXPECT_EQ(outcome.signal, c.signal);
    }
}

TEST(ConsoleControl, NewestHandlerFirstUntilOneTakesTheEvent)
{
    const Outcome taken = SignalChild({Declines, Takes}, SIGINT);
    EXPECT_EQ(taken.reports, "t0t");
    EXPECT_EQ(taken.signal, 0);
    EXPECT_EQ(taken.status, 7);

    const Outcome passed = SignalChild({Takes, Declines}, SIGTERM);
    EXPECT_EQ(passed.reports, "d1tt1t");
    EXPECT_EQ(passed.status, 7);

    // A closed console ends the process whatever the handlers say.
    const Outcome closed = SignalChild({Takes}, SIGHUP);
    EXPECT_EQ(closed.reports, "t2t");
    EXPECT_EQ(closed.signal, SIGHUP);
}

TEST(ConsoleControl, OnlyAddingAHandler)
{
    // Checked in a child: adding starts the handler thread for good. The
    // tool only adds, so a null handler and removal are refused.
    const pid_t child = fork();
    if (child == 0) {
        const bool ok = !SetConsoleCtrlHandler(nullptr, TRUE) && GetLastError() == ERROR_INVALID_PARAMETER &&
                        SetConsoleCtrlHandler(Takes, TRUE) && !SetConsoleCtrlHandler(Takes, FALSE) &&
                        GetLastError() == ERROR_INVALID_PARAMETER;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(CriticalSection, RecursiveAndExclusive)
{
    static CRITICAL_SECTION section;
    static int inside = 0;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);  // Windows lets the owner enter again
    pthread_t other;
    ASSERT_EQ(pthread_create(&other, nullptr,
                             [](void*) -> void* {
                                 EnterCriticalSection(&section);
                                 ++inside;
                                 LeaveCriticalSection(&section);
                                 return nullptr;
                             },
                             nullptr),
              0);
    usleep(50000);
    EXPECT_EQ(inside, 0);  // still held once
    LeaveCriticalSection(&section);
    usleep(50000);
    EXPECT_EQ(inside, 0);
    LeaveCriticalSection(&section);
    pthread_join(other, nullptr);
    EXPECT_EQ(inside, 1);
}

}  // namespace
