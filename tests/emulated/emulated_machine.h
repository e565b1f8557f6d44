// Test-only control of the emulated platform: describe the machine, make calls
// fail or wait, raise console control events, and read back every call the
// tool made. Only tests link it: it stands in for the product's machine
// behind the POSIX core and wraps the kernel32 functions at link time, so the
// product carries none of it.
#pragma once

#include "identify_block.h"
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
    char name[DEVICE_NAME_SIZE];     // Define/Remove: the DOS device name; Open: the path
    char target[DEVICE_NAME_SIZE];   // Define/Remove
    DWORD inSize;                 // DeviceControl
    DWORD outSize;                // DeviceControl
    unsigned char request[CMD_IDE_REQUEST_SIZE];  // DeviceControl: the input bytes as sent
    BOOL result;
};

enum class Fault { Define, Open, PortRequest, Remove };

// The built-in machine, and one with no devices and no names.
extern const Machine kTestMachine;
extern const Machine kEmptyTestMachine;

// The machine as booted and changed since.
Machine TestMachine();

// Starts the machine afresh with copies of `spec`'s controllers: what the
// tool defined, opened and installed is undone, and faults and the call log
// are cleared.
void BootMachine(const Machine& spec);

// Each returns the controller's index, or -1 when the machine is full.
int AddScsiPort(int number, int portCount);     // "\Device\ScsiPort<n>", named "Scsi<n>:"
int AddSiliconImage(int model, int portCount);  // "\Device\Scsi\SI<model>1", no DOS name
void AttachDisk(int controller, int port, const DiskIdentity& disk);
// The port answers with the first `count` bytes of `data` (0 to 512) and
// that ReturnCode.
void SetPortAnswer(int controller, int port, const unsigned char* data, int count, ULONG returnCode = 0);

// Every later call of that kind fails with `error`; `port` picks the port
// request (on any controller).
void InjectFault(Fault fault, DWORD error, int port = 0);
// The request for `port` (on any controller) answers only after `seconds`,
// as from a slow drive.
void DelayPortRequest(int port, unsigned seconds);

// While the request for `port` is in progress, the console control handlers
// get `event` on another thread, as Windows calls them.
void RaiseControlEventDuring(int port, DWORD event);
// While the temporary name is defined; the handlers run once the tool lets
// them, and the tool's next call waits for them.
void RaiseControlEventDuringDefine(DWORD event);
// Raises `event` now, on another thread, and waits for the handlers; true
// when none of them handled it, so Windows would end the process.
bool RaiseControlEvent(DWORD event);
// How the last event raised during a request ended: true when Windows would
// have ended the process.
bool ControlEventEndedProcess();

// The log holds the first calls; once full, its last entry is the newest call.
int CallCount();
const CallRecord& CallAt(int index);
// How many definitions the process stacked on a DOS device name (0: none).
int DefinitionCount(const char* name);
// Handles the tool has opened and not closed.
int OpenHandleCount();

}  // namespace emulated
