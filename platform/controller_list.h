// portdump-list's seam to the system: which controllers portdump can be
// given, read from what the system shows without opening any device. One
// implementation a platform; portdump-list's own sources are the same on each.
#pragma once

#include "cmd_ide_request.h"
#include "device_names.h"

constexpr int kMaxListedControllers = 128;
constexpr int kListedFields = 3;
constexpr int kListedFieldSize = DEVICE_NAME_SIZE;  // each field a name the system gives
constexpr int kListedPortFields = 4;
constexpr int kListedPortFieldSize = 64;

// A port that holds a device portdump asks, and what the system says of
// that device; an empty field is not shown. Only where the system shows it
// without asking the device.
struct ListedPort {
    int port;
    char fields[kListedPortFields][kListedPortFieldSize];
};

// One controller: the number to give portdump, and what the system says it
// is, in the platform's own terms; an empty field is not shown.
struct ListedController {
    int number;
    char fields[kListedFields][kListedFieldSize];
    ListedPort ports[CMD_IDE_PORT_COUNT];
    int portCount;
};

// A storage controller the system shows that no number reaches (on Linux
// a PCI function with no SCSI host: NVMe, virtio-blk), said so that a user
// need not look for its number; fields as a controller's.
struct UnreachableController {
    char fields[kListedFields][kListedFieldSize];
};

// In the order the system shows them; controllers past the capacity are not
// kept.
struct ControllerList {
    ListedController controllers[kMaxListedControllers];
    int count;
    // Empty where the platform has no such controllers to show.
    UnreachableController unreachable[kMaxListedControllers];
    int unreachableCount;
    // What could not be read, and why; empty when everything could.
    char problem[kListedFieldSize];
};

// Fills `list`, which starts empty. False when the system could not be read
// at all; `problem` then says what failed.
bool ListControllers(ControllerList& list);
