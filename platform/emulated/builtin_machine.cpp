#include "device_names.h"
#include "machine_state.h"

namespace emulated {
namespace {

// Invented disks of the built-in machine.
const DiskIdentity kScsi0Port0 = {"EMU0000A1", "1.00", "PORTDUMP EMULATED DISK 500", 976773168ull};
const DiskIdentity kScsi0Port1 = {"EMU0000B2", "1.00", "PORTDUMP EMULATED DISK 250", 488397168ull};
const DiskIdentity kSil3112Port0 = {"SIL3112P0", "2.10", "PORTDUMP EMULATED SATA 80", 156301488ull};
const DiskIdentity kSil3114Port1 = {"SIL3114P1", "3.02", "PORTDUMP EMULATED SATA 1000", 1953525168ull};
const DiskIdentity kSil3114Port3 = {"SIL3114P3", "3.02", "PORTDUMP EMULATED SATA 2000", 3907029168ull};

const FakePort kScsi0Ports[] = {{&kScsi0Port0, nullptr, 0, 0, 0}, {&kScsi0Port1, nullptr, 0, 0, 0}, {}, {}};
const FakePort kSil3112Ports[] = {{&kSil3112Port0, nullptr, 0, 0, 0}, {}};
const FakePort kSil3114Ports[] = {{}, {&kSil3114Port1, nullptr, 0, 0, 0}, {}, {&kSil3114Port3, nullptr, 0, 0, 0}};

}  // namespace

const ControllerSpec kBuiltInControllers[kBuiltInControllerCount] = {
    {SCSI_PORT_DEVICE(0), SCSI_PORT_NAME(0), 4, kScsi0Ports},
    {SIL_DEVICE(3112), nullptr, 2, kSil3112Ports},
    {SIL_DEVICE(3114), nullptr, 4, kSil3114Ports},
};

int FindDriverName(const Machine& machine, const char* name)
{
    for (int i = 0; i < machine.controllerCount; ++i) {
        const char* dosName = machine.controllers[i].dosName;
        if (dosName != nullptr && SameDeviceName(dosName, name)) {
            return i;
        }
    }
    return -1;
}

}  // namespace emulated
