// What the emulated kernel32 shows of each call to whoever watches it: the
// tests' call log and fault injection. The product runs with no observer.
#pragma once

#include "kernel32.h"

namespace emulated {

enum class Call { Define, Remove, Open, DeviceControl, Close, ControlHandler };

// The call's arguments as the caller passed them; pointers are the caller's.
struct CallEvent {
    Call call;
    DWORD flags;  // Define/Remove: dwFlags; Open: desired access; DeviceControl: control code;
                  // ControlHandler: Add
    DWORD shareMode;
    DWORD creation;
    DWORD attributes;
    const void* security;
    const void* templateFile;
    const char* name;  // Define/Remove: the DOS device name; Open: the path
    const char* target;
    const void* in;
    DWORD inSize;
    const void* out;
    DWORD outSize;
    const DWORD* bytesReturned;
    const void* overlapped;
};

struct CallObserver {
    // Before the call runs: a nonzero error number makes it fail with that error.
    DWORD (*before)(const CallEvent& event);
    // After it: its result and, when it failed, its error number.
    void (*after)(BOOL result, DWORD error);
};

void SetCallObserver(const CallObserver* observer);

}  // namespace emulated
