#pragma once

#include "kernel32.h"

// Records `error` as the calling thread's last error and returns FALSE.
BOOL FailWithError(DWORD error);
