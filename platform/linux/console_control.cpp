// Console control handlers on Linux: SIGINT, SIGTERM and SIGHUP are Windows'
// Ctrl+C, Ctrl+Break and closed console. As on Windows the handlers run on a
// thread of their own, newest first, until one returns TRUE; when none does,
// or the console was closed, the process ends, here by the signal itself.
#include "kernel32.h"
#include "last_error.h"

#include <csignal>
#include <pthread.h>

namespace {

constexpr int kMaxHandlers = 8;

struct ControlSignal {
    int signal;
    DWORD event;
};
constexpr ControlSignal kControlSignals[] = {
    {SIGINT, CTRL_C_EVENT}, {SIGTERM, CTRL_BREAK_EVENT}, {SIGHUP, CTRL_CLOSE_EVENT}};

pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
PHANDLER_ROUTINE handlers[kMaxHandlers];
int handlerCount = 0;
bool waiting = false;

sigset_t ControlSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    for (const ControlSignal& control : kControlSignals) {
        sigaddset(&signals, control.signal);
    }
    return signals;
}

// Ends the process as `signal` ends a program that does not catch it.
void EndBy(int signal)
{
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    std::signal(signal, SIG_DFL);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
}

bool RunHandlers(DWORD event)
{
    PHANDLER_ROUTINE routines[kMaxHandlers] = {};
    pthread_mutex_lock(&lock);
    const int count = handlerCount;
    for (int i = 0; i < count; ++i) {
        routines[i] = handlers[i];
    }
    pthread_mutex_unlock(&lock);
    for (int i = count - 1; i >= 0; --i) {
        if (routines[i] != nullptr && routines[i](event)) {
            return true;
        }
    }
    return false;
}

// The control signals reach only this thread: every other one blocks them.
void* WaitForControlSignals(void*)
{
    const sigset_t signals = ControlSignals();
    for (;;) {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0) {
            continue;
        }
        for (const ControlSignal& control : kControlSignals) {
            if (control.signal == signal && (!RunHandlers(control.event) || control.event == CTRL_CLOSE_EVENT)) {
                EndBy(signal);
            }
        }
    }
}

// Called with the lock held.
bool StartWaiting()
{
    if (waiting) {
        return true;
    }
    const sigset_t signals = ControlSignals();
    sigset_t previous;
    pthread_t thread;
    pthread_sigmask(SIG_BLOCK, &signals, &previous);
    if (pthread_create(&thread, nullptr, WaitForControlSignals, nullptr) != 0) {
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        return false;
    }
    pthread_detach(thread);
    waiting = true;
    return true;
}

}  // namespace

extern "C" BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE HandlerRoutine, BOOL Add)
{
    if (HandlerRoutine == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    pthread_mutex_lock(&lock);
    DWORD error = 0;
    if (Add) {
        if (handlerCount == kMaxHandlers || !StartWaiting()) {
            error = ERROR_NOT_ENOUGH_MEMORY;
        } else {
            handlers[handlerCount++] = HandlerRoutine;
        }
    } else {
        int at = handlerCount - 1;
        while (at >= 0 && handlers[at] != HandlerRoutine) {
            --at;
        }
        if (at < 0) {
            error = ERROR_INVALID_PARAMETER;
        } else {
            for (--handlerCount; at < handlerCount; ++at) {
                handlers[at] = handlers[at + 1];
            }
        }
    }
    pthread_mutex_unlock(&lock);
    return error == 0 ? TRUE : Fail(error);
}
