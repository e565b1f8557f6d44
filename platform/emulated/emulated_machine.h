// Test-only control of the emulated platform: describe the machine, make calls
// fail, raise console control events, and read back every call the tool made.
// Only tests link it; the product never includes this.
#pragma once

#include "call_observer.h"
#include "identify_block.h"
#include "kernel32.h"
#include "machine_state.h"

namespace emulated {

enum class Fault { Define, Open, PortRequest, Remove };

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
    unsigned char request[kRequestSize];  // DeviceControl: the input bytes as sent
    BOOL result;
    DWORD error;  // the last error after a failing call
};

// Back to the built-in machine: SCSI port 0 with disks on ports 0 and 1,
// SiliconImage 3112 with a disk on port 0, SiliconImage 3114 with disks on
// ports 1 and 3. Clears faults, handles, handlers and the call log.
void ResetMachine();
// A machine with no devices, no names, no faults and an empty call log.
void ClearMachine();

// Each returns the controller's index, or -1 when the machine is full.
int AddScsiPort(int number, int ports);         // "\Device\ScsiPort<n>", named "Scsi<n>:"
int AddSiliconImage(int model, int ports);      // "\Device\Scsi\SI<model>1", no DOS name
void AttachDisk(int controller, int port, const DiskIdentity& disk);
// The port answers with the first `count` bytes of `data` (0 to 512) and
// that ReturnCode.
void SetPortAnswer(int controller, int port, const unsigned char* data, int count, ULONG returnCode = 0);

// Every later call of that kind fails with `error`; `port` picks the port
// request (on any controller).
void InjectFault(Fault fault, DWORD error, int port = 0);

// While the request for `port` is in progress, the console control handlers
// get `event` on another thread, as Windows calls them.
void RaiseControlEventDuring(int port, DWORD event);
// Raises `event` now, on another thread, and waits for the handlers; true
// when none of them handled it, so Windows would end the process.
bool RaiseControlEvent(DWORD event);
// How the last event raised during a request ended: true when Windows would
// have ended the process.
bool ControlEventEndedProcess();

// The log holds the first calls; once full, its last entry is the newest call.
int CallCount();
const CallRecord& CallAt(int index);
// How many definitions are stacked on a DOS device name (0: not defined).
int DefinitionCount(const char* name);
// Handles the tool has opened and not closed.
int OpenHandleCount();

}  // namespace emulated
