// The device behind a handle on an emulated machine: a driver's device
// object, with the miniport behind IOCTL_SCSI_MINIPORT.
#include "device.h"
#include "device_names.h"
#include "machine_state.h"

#include <algorithm>
#include <cstring>

using namespace emulated;

namespace {

int FindController(const Machine& machine, const char* device)
{
    for (int i = 0; i < machine.controllerCount; ++i) {
        if (SameDeviceName(machine.controllers[i].device, device)) {
            return i;
        }
    }
    return -1;
}

// The error of opening a target that names no device object: \Device always
// exists, any other object directory only while a device object lies in it
// (\Device\Scsi exists only where a SiliconImage driver made it).
DWORD MissingTargetError(const Machine& machine, const char* target)
{
    char wanted[DEVICE_NAME_SIZE];
    if (!ObjectDirectory(target, wanted) || SameDeviceName(wanted, "\\Device")) {
        return ERROR_FILE_NOT_FOUND;
    }
    for (int i = 0; i < machine.controllerCount; ++i) {
        char directory[DEVICE_NAME_SIZE];
        if (ObjectDirectory(machine.controllers[i].device, directory) && SameDeviceName(directory, wanted)) {
            return ERROR_FILE_NOT_FOUND;
        }
    }
    return ERROR_PATH_NOT_FOUND;
}

}  // namespace

DWORD emulated::OpenMachineDevice(const Machine& machine, const char* name, const char* target, DWORD access,
                                  OpenedDevice& device)
{
    // A name the process did not define is a driver's own, or nothing.
    const int controller = target == nullptr ? FindDriverName(machine, name) : FindController(machine, target);
    if (controller < 0) {
        return target == nullptr ? ERROR_FILE_NOT_FOUND : MissingTargetError(machine, target);
    }
    device = OpenedDevice{&machine.controllers[controller], access};
    return 0;
}

DWORD ControlDevice(const OpenedDevice& device, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD returned)
{
    // IOCTL_SCSI_MINIPORT is declared with read and write access.
    const DWORD readWrite = GENERIC_READ | GENERIC_WRITE;
    if ((device.access & readWrite) != readWrite) {
        return ERROR_ACCESS_DENIED;
    }
    if (in == nullptr || out == nullptr || returned == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    // Buffered I/O: the driver works on a copy, refuses an output buffer
    // too small for its answer, and the system copies back as many bytes as
    // the driver reports.
    unsigned char buffer[CMD_IDE_REQUEST_SIZE] = {};
    std::memcpy(buffer, in, std::min<DWORD>(inSize, CMD_IDE_REQUEST_SIZE));
    const ControllerSpec& controller = *device.controller;
    const FakeAnswer answer =
        FakeMiniportAnswer(controller.port, static_cast<unsigned>(controller.portCount), buffer, inSize, outSize);
    if (answer.outcome == FAKE_NO_DEVICE) {
        return ERROR_IO_DEVICE;
    }
    if (answer.outcome == FAKE_REFUSED) {
        return ERROR_INVALID_PARAMETER;
    }
    std::memcpy(out, buffer, answer.information);
    *returned = static_cast<DWORD>(answer.information);
    return 0;
}

// The machine's controllers hold nothing for an open handle.
void CloseDevice(OpenedDevice&) {}
