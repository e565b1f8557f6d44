#pragma once

#include "cmd_ide_request.h"
#include "identify_command.h"
#include "sysfs_map.h"

// Where the system shows its devices and the process: /sys, /dev and /proc,
// trees made by the tests.
struct SystemRoots {
    const char* sys;
    const char* dev;
    const char* proc;
};

// The system's own.
inline constexpr SystemRoots kSystemRoots = {"/sys", "/dev", "/proc"};

// A controller opened for the tool: the sg node of each port that holds a
// device (-1 where none) and the identify that device answers.
struct OpenedController {
    int fd[CMD_IDE_PORT_COUNT];
    IdentifyCommand command[CMD_IDE_PORT_COUNT];
};

// Which of `controllers` a device name (what follows \\.\) or, where the
// name is defined, its target names, in `chosen`: ScsiN: the N-th controller,
// \Device\Scsi\SI<m>1 the first SiliconImage controller of model m (m=3112
// also takes a 3512). Returns 0 or the Windows error: 2 no such controller,
// 3 no SiliconImage controller at all.
DWORD FindNamedController(const Controller* controllers, int count, const char* name, const char* target, int& chosen);

// Opens the controller a device name (or its target) names, with the sg
// node of each port; 0, an error of FindNamedController, 1062 (the service
// has not been started) where the sg driver is not loaded, or 5 where the
// process may not send ATA PASS-THROUGH or open the nodes.
DWORD OpenController(const SystemRoots& roots, const char* name, const char* target, OpenedController& controller);

void CloseController(OpenedController& controller);
