// The product's emulated machine is the built-in one: the devices the POSIX
// core opens are its own.
#include "device.h"
#include "machine_state.h"

DWORD OpenDevice(const char* name, const char* target, DWORD access, OpenedDevice& device)
{
    return emulated::OpenMachineDevice(emulated::kBuiltInMachine, name, target, access, device);
}

// The machine has no console: no control event ever comes.
bool WatchControlEvents()
{
    return true;
}
