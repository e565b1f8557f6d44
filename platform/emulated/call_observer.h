// What the emulated kernel32 shows of each call to whoever watches it: the
// tests' call log and fault injection. The product runs with no observer.
#pragma once

#include "kernel32.h"
#include "machine_state.h"

namespace emulated {

enum class Call { Define, Remove, Open, DeviceControl, Close, ControlHandler };

// One call as the tool made it and, once it returned, how it ended. Strings
// and the request are copies: the record outlives the caller's buffers.
struct CallRecord {
    Call call;
    DWORD flags;        // Define/Remove: dwFlags; Open: desired access; DeviceControl: control code;
                        // ControlHandler: Add
    DWORD shareMode;    // Open
    DWORD creation;     // Open
    DWORD attributes;   // Open
    bool securityNull;  // Open
    bool templateNull;  // Open
    bool targetNull;    // Define/Remove
    bool overlappedNull;      // DeviceControl
    bool bytesReturnedNull;   // DeviceControl
    bool sameBuffer;          // DeviceControl: input and output are one buffer
    char name[kNameSize];     // Define/Remove: the DOS device name; Open: the path
    char target[kNameSize];   // Define/Remove
    DWORD inSize;                 // DeviceControl
    DWORD outSize;                // DeviceControl
    unsigned char request[CMD_IDE_REQUEST_SIZE];  // DeviceControl: the input bytes as sent
    BOOL result;
    DWORD error;  // the last error after a failing call
};

struct CallObserver {
    // At boot: the controllers the machine is to have; the observer hands
    // back copies of its own that it may change later.
    const ControllerSpec* (*atBoot)(const ControllerSpec* controllers, int count);
    // Before the call runs: a nonzero error number makes it fail with that error.
    DWORD (*before)(const CallRecord& call);
    // After it: its result and, when it failed, its error number.
    void (*after)(BOOL result, DWORD error);
};

}  // namespace emulated
