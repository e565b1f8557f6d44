// The emulated machine: its controllers, each a driver's device object with
// the miniport behind it. Fixed tables only: nothing here allocates.
#pragma once

#include "dos_names.h"
#include "fake_miniport.h"

namespace emulated {

constexpr int kMaxPorts = 8;

struct ControllerSpec {
    const char* device;   // the NT device object name
    const char* dosName;  // the DOS name its driver defines, or nullptr
    int ports;
    const FakePort* port;
};

struct Machine {
    const ControllerSpec* controllers;
    int controllerCount;
};

// SCSI port 0 with disks on ports 0 and 1, SiliconImage 3112 with a disk on
// port 0, SiliconImage 3114 with disks on ports 1 and 3.
constexpr int kBuiltInControllerCount = 3;
extern const ControllerSpec kBuiltInControllers[kBuiltInControllerCount];

// The machine the platform emulates: the built-in one in the product; the
// tests link a machine of their own.
Machine TheMachine();

// The controller whose driver defines the DOS name `name`, or -1.
int FindDriverName(const Machine& machine, const char* name);

}  // namespace emulated
