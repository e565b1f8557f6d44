// Console control events on Linux: SIGINT, SIGTERM and SIGHUP are Windows'
// Ctrl+C, Ctrl+Break and closed console. As on Windows the handlers run on a
// thread of their own; when none takes the event, or the console was closed,
// the process ends, here by the signal itself.
#include "control_handlers.h"

#include <csignal>
#include <pthread.h>

namespace {

struct ControlSignal {
    int signal;
    DWORD event;
};
constexpr ControlSignal kControlSignals[] = {
    {SIGINT, CTRL_C_EVENT}, {SIGTERM, CTRL_BREAK_EVENT}, {SIGHUP, CTRL_CLOSE_EVENT}};

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
            if (control.signal == signal && (!RunControlHandlers(control.event) || control.event == CTRL_CLOSE_EVENT)) {
                EndBy(signal);
            }
        }
    }
}

}  // namespace

bool WatchControlEvents()
{
    // Called with the handlers' lock held, so only one thread starts it.
    static bool waiting = false;
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
