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

extern "C" BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE HandlerRoutine, BOOL Add)
{
    if (HandlerRoutine == nullptr) {
        return FailWithError(ERROR_INVALID_PARAMETER);
    }
    pthread_mutex_lock(&lock);
    DWORD error = 0;
    if (Add) {
        if (handlerCount == kMaxHandlers || !WatchControlEvents()) {
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
    return error == 0 ? TRUE : FailWithError(error);
}
