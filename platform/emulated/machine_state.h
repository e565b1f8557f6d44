// The emulated machine: its controllers, each a driver's device object with
// the miniport behind it. Fixed tables only: nothing here allocates.
#pragma once

#include "dos_names.h"
#include "fake_miniport.h"

struct ControllerList;
struct OpenedDevice;

namespace emulated {

struct ControllerSpec {
    const char* device;   // the NT device object name
    const char* dosName;  // the DOS name its driver defines, or nullptr
    int portCount;
    const FakePort* port;  // portCount of them
};

struct Machine {
    const ControllerSpec* controllers;
    int controllerCount;
};

// SCSI port 0 with disks on ports 0 and 1, SiliconImage 3112 with a disk on
// port 0, SiliconImage 3114 with disks on ports 1 and 3.
constexpr int kBuiltInControllerCount = 3;
extern const ControllerSpec kBuiltInControllers[kBuiltInControllerCount];
inline constexpr Machine kBuiltInMachine = {kBuiltInControllers, kBuiltInControllerCount};

// The controller whose driver defines the DOS name `name`, or -1.
int FindDriverName(const Machine& machine, const char* name);

// The device of `machine` that `name` (the path after \\.\) stands for, as
// the POSIX core's OpenDevice opens it; `target` is the newest definition of
// that DOS name, or nullptr. 0 or the Windows error.
DWORD OpenMachineDevice(const Machine& machine, const char* name, const char* target, DWORD access,
                        OpenedDevice& device);

// `machine` as Windows would show it to portdump-list.
bool ListMachineControllers(const Machine& machine, ControllerList& list);

}  // namespace emulated
