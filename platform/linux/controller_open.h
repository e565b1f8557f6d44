#pragma once

#include "kernel32.h"
#include "opened_device.h"

// Where the system shows its devices and the process: /sys, /dev and /proc,
// trees made by the tests.
struct SystemRoots {
    const char* sys;
    const char* dev;
    const char* proc;
};

// The system's own.
inline constexpr SystemRoots kSystemRoots = {"/sys", "/dev", "/proc"};

// Opens the controller a device name (or its target) names, with the sg
// node of each port; 0, an error of FindNamedController, 1062 (the service
// has not been started) where the sg driver is not loaded, or 5 where the
// process may not send ATA PASS-THROUGH or open the nodes.
DWORD OpenController(const SystemRoots& roots, const char* name, const char* target, OpenedDevice& controller);

void CloseController(OpenedDevice& controller);
