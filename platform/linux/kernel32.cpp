// kernel32 as the tool meets it, answered by Linux: names defined in the
// process, controllers found in sysfs, the miniport's block read from the
// disk itself through SG_IO.
#include "controller_open.h"
#include "dos_devices.h"
#include "last_error.h"
#include "system_roots.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/ioctl.h>

namespace {

HANDLE FailOpen(DWORD error)
{
    Fail(error);
    return INVALID_HANDLE_VALUE;
}

bool IsEmpty(const char* text)
{
    return text == nullptr || *text == '\0';
}

constexpr int kMaxHandles = 8;

struct HandleSlot {
    bool open;
    OpenedController controller;
};

// Only the tool's main thread opens and closes handles.
HandleSlot handles[kMaxHandles];

// Handles are multiples of 4, as on Windows: slot i is handle 4 * (i + 1).
constexpr std::uintptr_t kHandleStep = 4;

HandleSlot* SlotOf(HANDLE handle)
{
    const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(handle);
    if (value % kHandleStep != 0 || value < kHandleStep || value > kHandleStep * kMaxHandles) {
        return nullptr;
    }
    HandleSlot& slot = handles[value / kHandleStep - 1];
    return slot.open ? &slot : nullptr;
}

// Reads the port's identify block into `block`; 0 or the error.
DWORD Identify(int fd, IdentifyCommand command, unsigned char (&block)[kIdentifyBlockSize])
{
    IdentifyTransfer transfer;
    PrepareIdentify(command, block, CMD_IDE_TIMEOUT_SECONDS, transfer);
    if (ioctl(fd, SG_IO, &transfer.io) != 0) {
        return errno == EPERM || errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_IO_DEVICE;
    }
    return IdentifySucceeded(transfer.io) ? 0 : ERROR_IO_DEVICE;
}

}  // namespace

extern "C" BOOL DefineDosDeviceA(DWORD dwFlags, LPCSTR lpDeviceName, LPCSTR lpTargetPath)
{
    if (IsEmpty(lpDeviceName)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    DWORD error = 0;
    if ((dwFlags & DDD_REMOVE_DEFINITION) != 0) {
        error = RemoveDosName(lpDeviceName, IsEmpty(lpTargetPath) ? nullptr : lpTargetPath);
    } else if (dwFlags != DDD_RAW_TARGET_PATH || IsEmpty(lpTargetPath)) {
        // Only raw device object targets mean anything here.
        error = ERROR_INVALID_PARAMETER;
    } else {
        error = DefineDosName(lpDeviceName, lpTargetPath);
    }
    return error == 0 ? TRUE : Fail(error);
}

extern "C" HANDLE CreateFileA(LPCSTR lpFileName, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition,
                              DWORD, HANDLE)
{
    // Only devices, by their \\.\ names.
    if (IsEmpty(lpFileName) || std::strncmp(lpFileName, "\\\\.\\", 4) != 0) {
        return FailOpen(ERROR_FILE_NOT_FOUND);
    }
    if (dwCreationDisposition != OPEN_EXISTING) {
        return FailOpen(ERROR_INVALID_PARAMETER);
    }
    int free = 0;
    while (free < kMaxHandles && handles[free].open) {
        ++free;
    }
    if (free == kMaxHandles) {
        return FailOpen(ERROR_TOO_MANY_OPEN_FILES);
    }
    const char* name = lpFileName + 4;
    char target[kDosNameSize];
    const bool defined = FindDosName(name, target);
    if (const DWORD error = OpenController(theSystemRoots, name, defined ? target : nullptr, handles[free].controller)) {
        return FailOpen(error);
    }
    handles[free].open = true;
    return reinterpret_cast<HANDLE>(kHandleStep * static_cast<std::uintptr_t>(free + 1));
}

extern "C" BOOL DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                                LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned, LPOVERLAPPED)
{
    HandleSlot* slot = SlotOf(hDevice);
    if (slot == nullptr) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (dwIoControlCode != IOCTL_SCSI_MINIPORT) {
        return Fail(ERROR_INVALID_FUNCTION);
    }
    if (lpInBuffer == nullptr || lpOutBuffer == nullptr || lpBytesReturned == nullptr ||
        CmdIdeCheckRequest(static_cast<const unsigned char*>(lpInBuffer), nInBufferSize, nOutBufferSize).fault !=
            CMD_IDE_WELL_FORMED) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    // Read into a copy, so the caller's buffers change only on success.
    CmdIdeRequest request;
    std::memcpy(&request, lpInBuffer, sizeof request);
    const int port = request.PortNumber;
    if (slot->controller.fd[port] < 0) {
        return Fail(ERROR_IO_DEVICE);
    }
    if (const DWORD error = Identify(slot->controller.fd[port], slot->controller.command[port], request.Data)) {
        return Fail(error);
    }
    request.Header.ReturnCode = 0;
    std::memcpy(lpOutBuffer, &request, sizeof request);
    *lpBytesReturned = sizeof request;
    return TRUE;
}

extern "C" BOOL CloseHandle(HANDLE hObject)
{
    HandleSlot* slot = SlotOf(hObject);
    if (slot == nullptr) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    CloseController(slot->controller);
    slot->open = false;
    return TRUE;
}
