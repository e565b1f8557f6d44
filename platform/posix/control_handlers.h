#pragma once

#include "kernel32.h"

// Runs the console control handlers for `event` as Windows does: newest
// first, until one returns TRUE. False when none did, so that Windows would
// end the process.
bool RunControlHandlers(DWORD event);

// The platform's: starts raising console control events for the handlers,
// once; false when it cannot.
bool WatchControlEvents();
