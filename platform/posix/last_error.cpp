#include "last_error.h"

namespace {
// Per thread, as on Windows: a control handler runs on its own.
thread_local DWORD lastError = 0;
}  // namespace

BOOL FailWithError(DWORD error)
{
    lastError = error;
    return FALSE;
}

extern "C" DWORD GetLastError(void)
{
    return lastError;
}
