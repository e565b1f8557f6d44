// kernel32 as the tool meets it, off Windows: the process's DOS device
// names and its handles; what a handle opens is the platform's device.
#include "device.h"
#include "device_names.h"
#include "dos_names.h"
#include "last_error.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr int kMaxHandles = 8;

struct HandleSlot {
    bool open;
    OpenedDevice device;
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

HANDLE FailOpen(DWORD error)
{
    FailWithError(error);
    return INVALID_HANDLE_VALUE;
}

BOOL Outcome(DWORD error)
{
    return error == 0 ? TRUE : FailWithError(error);
}

bool IsEmpty(const char* text)
{
    return text == nullptr || *text == '\0';
}

}  // namespace

extern "C" BOOL DefineDosDeviceA(DWORD dwFlags, LPCSTR lpDeviceName, LPCSTR lpTargetPath)
{
    if (IsEmpty(lpDeviceName)) {
        return FailWithError(ERROR_INVALID_PARAMETER);
    }
    if ((dwFlags & DDD_REMOVE_DEFINITION) != 0) {
        return Outcome(RemoveDosName(lpDeviceName, IsEmpty(lpTargetPath) ? nullptr : lpTargetPath));
    }
    // Only raw device object targets mean anything here; the tool asks for
    // nothing else.
    if (dwFlags != DDD_RAW_TARGET_PATH || IsEmpty(lpTargetPath)) {
        return FailWithError(ERROR_INVALID_PARAMETER);
    }
    return Outcome(DefineDosName(lpDeviceName, lpTargetPath));
}

extern "C" HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                              DWORD dwCreationDisposition, DWORD, HANDLE)
{
    // Only existing devices, by their \\.\ names.
    const std::size_t prefix = std::strlen(DOS_DEVICE_PATH_PREFIX);
    if (IsEmpty(lpFileName) || std::strncmp(lpFileName, DOS_DEVICE_PATH_PREFIX, prefix) != 0) {
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
    const char* name = lpFileName + prefix;
    char target[DEVICE_NAME_SIZE];
    const bool defined = FindDosName(name, target);
    if (const DWORD error = OpenDevice(name, defined ? target : nullptr, dwDesiredAccess, handles[free].device)) {
        return FailOpen(error);
    }
    handles[free].open = true;
    return reinterpret_cast<HANDLE>(kHandleStep * static_cast<std::uintptr_t>(free + 1));
}

extern "C" BOOL DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                                LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned, LPOVERLAPPED)
{
    const HandleSlot* slot = SlotOf(hDevice);
    if (slot == nullptr) {
        return FailWithError(ERROR_INVALID_HANDLE);
    }
    // Every device here is a storage port driver's, which knows no other request.
    if (dwIoControlCode != IOCTL_SCSI_MINIPORT) {
        return FailWithError(ERROR_INVALID_FUNCTION);
    }
    return Outcome(ControlDevice(slot->device, lpInBuffer, nInBufferSize, lpOutBuffer, nOutBufferSize, lpBytesReturned));
}

extern "C" BOOL CloseHandle(HANDLE hObject)
{
    HandleSlot* slot = SlotOf(hObject);
    if (slot == nullptr) {
        return FailWithError(ERROR_INVALID_HANDLE);
    }
    CloseDevice(slot->device);
    slot->open = false;
    return TRUE;
}
