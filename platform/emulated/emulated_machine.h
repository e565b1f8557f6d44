// Test-only control of the emulated platform: describe the machine, make calls
// fail, and read back every call the tool made. The product never includes this.
#pragma once

#include "identify_block.h"
#include "kernel32.h"

namespace emulated {

constexpr int kNameSize = 260;
constexpr int kRequestSize = 564;
constexpr int kMaxPorts = 8;

enum class Call { Define, Remove, Open, DeviceControl, Close };
enum class Fault { Define, Open, PortRequest, Remove };

struct CallRecord {
    Call call;
    DWORD flags;        // Define/Remove: dwFlags; Open: desired access; DeviceControl: control code
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
    DWORD inSize;             // DeviceControl
    DWORD outSize;            // DeviceControl
    unsigned char request[kRequestSize];  // DeviceControl: the input bytes as sent
    BOOL result;
    DWORD error;  // the last error after a failing call
};

// Back to the built-in machine: SCSI port 0 with disks on ports 0 and 1,
// SiliconImage 3112 with a disk on port 0, SiliconImage 3114 with disks on
// ports 1 and 3. Clears faults, handles and the call log.
void ResetMachine();
// A machine with no devices, no names, no faults and an empty call log.
void ClearMachine();

// Each returns the controller's index, or -1 when the machine is full.
int AddScsiPort(int number, int ports);         // "\Device\ScsiPort<n>", named "Scsi<n>:"
int AddSiliconImage(int model, int ports);      // "\Device\Scsi\SI<model>1", no DOS name
void AttachDisk(int controller, int port, const DiskIdentity& disk);
// The port answers with the first `count` bytes of `data` (0 to 512).
void SetPortAnswer(int controller, int port, const unsigned char* data, int count);

// Every later call of that kind fails with `error`; `port` picks the port
// request (on any controller).
void InjectFault(Fault fault, DWORD error, int port = 0);

// The log holds the first calls; once full, its last entry is the newest call.
int CallCount();
const CallRecord& CallAt(int index);
// How many definitions are stacked on a DOS device name (0: not defined).
int DefinitionCount(const char* name);
// Handles the tool has opened and not closed.
int OpenHandleCount();

}  // namespace emulated
