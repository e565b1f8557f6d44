// The device behind a handle, answered by Linux: controllers found in sysfs,
// the miniport's block read from the disk itself through SG_IO.
#include "device.h"

#include "controller_open.h"

#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>

namespace {

// Reads the port's identify block into `block`; 0 or the error.
DWORD Identify(int fd, IdentifyCommand command, unsigned char (&block)[ATA_BLOCK_SIZE])
{
    IdentifyTransfer transfer;
    PrepareIdentify(command, block, CMD_IDE_TIMEOUT_SECONDS, transfer);
    if (ioctl(fd, SG_IO, &transfer.io) != 0) {
        return errno == EPERM || errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_IO_DEVICE;
    }
    return IdentifySucceeded(transfer.io) ? 0 : ERROR_IO_DEVICE;
}

}  // namespace

DWORD OpenDevice(const char* name, const char* target, DWORD, OpenedDevice& device)
{
    return OpenController(kSystemRoots, name, target, device);
}

DWORD ControlDevice(const OpenedDevice& device, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD returned)
{
    if (in == nullptr || out == nullptr || returned == nullptr ||
        CmdIdeCheckRequest(static_cast<const unsigned char*>(in), inSize, outSize).fault != CMD_IDE_WELL_FORMED) {
        return ERROR_INVALID_PARAMETER;
    }
    // Read into a copy, so the caller's buffers change only on success.
    CmdIdeRequest request;
    std::memcpy(&request, in, sizeof request);
    const int port = request.PortNumber;
    if (device.fd[port] < 0) {
        return ERROR_IO_DEVICE;
    }
    if (const DWORD error = Identify(device.fd[port], device.command[port], request.Data)) {
        return error;
    }
    request.Header.ReturnCode = 0;
    std::memcpy(out, &request, sizeof request);
    *returned = sizeof request;
    return 0;
}

void CloseDevice(OpenedDevice& device)
{
    CloseController(device);
}
