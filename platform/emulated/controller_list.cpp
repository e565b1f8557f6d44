// The emulated machine as Windows would show it to portdump-list: its SCSI
// ports' DOS names and the SiliconImage devices in \Device\Scsi.
#include "controller_list.h"

#include "device_names.h"
#include "machine_state.h"
#include "nt_controllers.h"

#include <cstdio>
#include <cstring>

using namespace emulated;

bool ListControllers(ControllerList& list)
{
    return ListMachineControllers(kBuiltInMachine, list);
}

bool emulated::ListMachineControllers(const Machine& machine, ControllerList& list)
{
    // The DOS names as an open finds them: the process's newest definition,
    // else the driver's own. The machine keeps no registry, so no driver's
    // name.
    for (int port = 0; port < SCSI_PORT_NUMBER_LIMIT; ++port) {
        char name[DEVICE_NAME_SIZE];
        char target[DEVICE_NAME_SIZE];
        std::snprintf(name, sizeof name, SCSI_PORT_NAME(%d), port);
        const int controller = FindDriverName(machine, name);
        if (FindDosName(name, target)) {
            AddScsiPort(list, port, target, "");
        } else if (controller >= 0) {
            AddScsiPort(list, port, machine.controllers[controller].device, "");
        }
    }
    for (int i = 0; i < machine.controllerCount; ++i) {
        const char* device = machine.controllers[i].device;
        char directory[DEVICE_NAME_SIZE];
        if (ObjectDirectory(device, directory) && SameDeviceName(directory, SIL_DIRECTORY)) {
            AddSiliconImageObject(list, device + std::strlen(directory) + 1);
        }
    }
    return true;
}
