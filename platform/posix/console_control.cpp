// Console control handlers off Windows: the process's list of them, run as
// Windows runs them when the platform raises an event.
#include "control_handlers.h"
#include "last_error.h"

#include <pthread.h>

namespace {

constexpr int kMaxHandlers = 8;

pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
PHANDLER_ROUTINE handlers[kMaxHandlers];
int handlerCount = 0;

}  // namespace

bool RunControlHandlers(DWORD event)
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

// Windows' signature, but only the call the tool makes: adding a handler. The
// tool never removes its own, nor asks for Ctrl+C to be ignored (a null
// handler), so those are refused rather than half served.
extern "C" BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE HandlerRoutine, BOOL Add)
{
    if (HandlerRoutine == nullptr || !Add) {
        return FailWithError(ERROR_INVALID_PARAMETER);
    }
    pthread_mutex_lock(&lock);
    const bool added = handlerCount < kMaxHandlers && WatchControlEvents();
    if (added) {
        handlers[handlerCount++] = HandlerRoutine;
    }
    pthread_mutex_unlock(&lock);
    return added ? TRUE : FailWithError(ERROR_NOT_ENOUGH_MEMORY);
}
