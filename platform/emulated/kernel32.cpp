// kernel32 as the tool meets it on Windows: the DOS device namespace, device
// objects opened by name, the miniport behind IOCTL_SCSI_MINIPORT and the
// console control handlers.
#include "call_observer.h"
#include "machine_state.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unistd.h>

using namespace emulated;

namespace {

constexpr DWORD kNoError = 0;

// Every call starts here: the observer sees it and may make it fail.
DWORD Observe(const CallRecord& record)
{
    const CallObserver* observer = TheMachine().observer;
    return observer != nullptr ? observer->before(record) : kNoError;
}

// A string of the call as its record keeps it; null, or too long for a
// name, stays empty.
void Note(char (&to)[kNameSize], const char* text)
{
    if (text != nullptr) {
        CopyName(to, text);
    }
}

BOOL Finish(BOOL result, DWORD error)
{
    Machine& machine = TheMachine();
    if (!result) {
        machine.lastError = error;
    }
    if (machine.observer != nullptr) {
        machine.observer->after(result, error);
    }
    return result;
}

BOOL Succeed()
{
    return Finish(1, kNoError);
}

BOOL Fail(DWORD error)
{
    return Finish(0, error);
}

HANDLE FailOpen(DWORD error)
{
    Fail(error);
    return INVALID_HANDLE_VALUE;
}

bool IsEmpty(const char* text)
{
    return text == nullptr || *text == '\0';
}

int FindController(const char* device)
{
    const Machine& machine = TheMachine();
    for (int i = 0; i < machine.controllerCount; ++i) {
        if (SameName(machine.controllers[i].device, device)) {
            return i;
        }
    }
    return -1;
}

// The error of opening a target that names no device object: \Device always
// exists, any other object directory only while a device object lies in it
// (\Device\Scsi exists only where a SiliconImage driver made it).
DWORD MissingTargetError(const char* target)
{
    char wanted[kNameSize];
    if (!ParentDirectory(target, wanted) || SameName(wanted, "\\Device")) {
        return ERROR_FILE_NOT_FOUND;
    }
    const Machine& machine = TheMachine();
    for (int i = 0; i < machine.controllerCount; ++i) {
        char directory[kNameSize];
        if (ParentDirectory(machine.controllers[i].device, directory) && SameName(directory, wanted)) {
            return ERROR_FILE_NOT_FOUND;
        }
    }
    return ERROR_PATH_NOT_FOUND;
}

BOOL RemoveDefinition(const char* name, const char* target)
{
    Machine& machine = TheMachine();
    // A null target pops the newest definition; a target removes the newest one
    // that points there.
    for (int i = machine.definitionCount - 1; i >= 0; --i) {
        const Definition& definition = machine.definitions[i];
        if (SameName(definition.name, name) && (IsEmpty(target) || SameName(definition.target, target))) {
            std::memmove(&machine.definitions[i], &machine.definitions[i + 1],
                         sizeof(Definition) * static_cast<unsigned>(machine.definitionCount - i - 1));
            --machine.definitionCount;
            return Succeed();
        }
    }
    return Fail(ERROR_FILE_NOT_FOUND);
}

// Handles are multiples of 4, as on Windows: slot i is handle 4 * (i + 1).
constexpr std::uintptr_t kHandleStep = 4;

int HandleIndex(HANDLE handle)
{
    const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(handle);
    if (value % kHandleStep != 0 || value < kHandleStep || value > kHandleStep * kMaxHandles) {
        return -1;
    }
    const int index = static_cast<int>(value / kHandleStep) - 1;
    return TheMachine().handles[index].open ? index : -1;
}

}  // namespace

extern "C" BOOL DefineDosDeviceA(DWORD dwFlags, LPCSTR lpDeviceName, LPCSTR lpTargetPath)
{
    CallRecord record{};
    record.call = (dwFlags & DDD_REMOVE_DEFINITION) != 0 ? Call::Remove : Call::Define;
    record.flags = dwFlags;
    Note(record.name, lpDeviceName);
    Note(record.target, lpTargetPath);
    record.targetNull = lpTargetPath == nullptr;
    if (const DWORD fault = Observe(record)) {
        return Fail(fault);
    }
    if (IsEmpty(lpDeviceName)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (record.call == Call::Remove) {
        return RemoveDefinition(lpDeviceName, lpTargetPath);
    }
    // Only raw NT targets are emulated; the tool never asks for anything else.
    if (dwFlags != DDD_RAW_TARGET_PATH || IsEmpty(lpTargetPath)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (TheMachine().definitionCount == kMaxDefinitions) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    return AddDefinition(lpDeviceName, lpTargetPath) ? Succeed() : Fail(ERROR_INVALID_PARAMETER);
}

extern "C" HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                              LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                              DWORD dwFlagsAndAttributes, HANDLE hTemplateFile)
{
    CallRecord record{};
    record.call = Call::Open;
    record.flags = dwDesiredAccess;
    record.shareMode = dwShareMode;
    record.creation = dwCreationDisposition;
    record.attributes = dwFlagsAndAttributes;
    record.securityNull = lpSecurityAttributes == nullptr;
    record.templateNull = hTemplateFile == nullptr;
    Note(record.name, lpFileName);
    if (const DWORD fault = Observe(record)) {
        return FailOpen(fault);
    }
    if (IsEmpty(lpFileName) || std::strncmp(lpFileName, "\\\\.\\", 4) != 0) {
        return FailOpen(ERROR_FILE_NOT_FOUND);
    }
    Machine& machine = TheMachine();
    const int definition = FindDefinition(lpFileName + 4);
    if (definition < 0) {
        return FailOpen(ERROR_FILE_NOT_FOUND);
    }
    const char* target = machine.definitions[definition].target;
    const int controller = FindController(target);
    if (controller < 0) {
        return FailOpen(MissingTargetError(target));
    }
    if (dwCreationDisposition != OPEN_EXISTING) {
        return FailOpen(ERROR_INVALID_PARAMETER);
    }
    for (int i = 0; i < kMaxHandles; ++i) {
        OpenHandle& handle = machine.handles[i];
        if (!handle.open) {
            handle = OpenHandle{true, controller, dwDesiredAccess};
            Succeed();
            return reinterpret_cast<HANDLE>(kHandleStep * static_cast<std::uintptr_t>(i + 1));
        }
    }
    return FailOpen(ERROR_TOO_MANY_OPEN_FILES);
}

extern "C" BOOL DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                                LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned,
                                LPOVERLAPPED lpOverlapped)
{
    CallRecord record{};
    record.call = Call::DeviceControl;
    record.flags = dwIoControlCode;
    record.inSize = nInBufferSize;
    record.outSize = nOutBufferSize;
    record.sameBuffer = lpInBuffer == lpOutBuffer;
    record.bytesReturnedNull = lpBytesReturned == nullptr;
    record.overlappedNull = lpOverlapped == nullptr;
    if (lpInBuffer != nullptr) {
        std::memcpy(record.request, lpInBuffer, std::min<DWORD>(nInBufferSize, CMD_IDE_REQUEST_SIZE));
    }
    if (const DWORD fault = Observe(record)) {
        return Fail(fault);
    }

    const int handle = HandleIndex(hDevice);
    if (handle < 0) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (dwIoControlCode != IOCTL_SCSI_MINIPORT) {
        return Fail(ERROR_INVALID_FUNCTION);
    }
    // IOCTL_SCSI_MINIPORT is declared with read and write access.
    const DWORD readWrite = GENERIC_READ | GENERIC_WRITE;
    if ((TheMachine().handles[handle].access & readWrite) != readWrite) {
        return Fail(ERROR_ACCESS_DENIED);
    }
    if (lpInBuffer == nullptr || lpOutBuffer == nullptr || lpBytesReturned == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }

    // Buffered I/O: the driver works on a copy, refuses an output buffer
    // too small for its answer, and the system copies back as many bytes as
    // the driver reports.
    unsigned char buffer[CMD_IDE_REQUEST_SIZE] = {};
    std::memcpy(buffer, lpInBuffer, std::min<DWORD>(nInBufferSize, CMD_IDE_REQUEST_SIZE));
    const ControllerSpec& controller = TheMachine().controllers[TheMachine().handles[handle].controller];
    const FakeAnswer answer = FakeMiniportAnswer(controller.port, static_cast<unsigned>(controller.ports), buffer,
                                                 nInBufferSize, nOutBufferSize);
    if (answer.outcome == FAKE_NO_DEVICE) {
        return Fail(ERROR_IO_DEVICE);
    }
    if (answer.outcome == FAKE_REFUSED) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (answer.delaySeconds != 0) {
        sleep(answer.delaySeconds);
    }
    std::memcpy(lpOutBuffer, buffer, answer.information);
    *lpBytesReturned = static_cast<DWORD>(answer.information);
    return Succeed();
}

extern "C" DWORD GetLastError(void)
{
    return TheMachine().lastError;
}

extern "C" BOOL CloseHandle(HANDLE hObject)
{
    CallRecord record{};
    record.call = Call::Close;
    if (const DWORD fault = Observe(record)) {
        return Fail(fault);
    }
    const int handle = HandleIndex(hObject);
    if (handle < 0) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    TheMachine().handles[handle].open = false;
    return Succeed();
}

extern "C" BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE HandlerRoutine, BOOL Add)
{
    CallRecord record{};
    record.call = Call::ControlHandler;
    record.flags = static_cast<DWORD>(Add);
    if (const DWORD fault = Observe(record)) {
        return Fail(fault);
    }
    Machine& machine = TheMachine();
    // Only adding is emulated; the tool never removes its handler.
    if (HandlerRoutine == nullptr || !Add) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (machine.controlHandlerCount == kMaxControlHandlers) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    machine.controlHandlers[machine.controlHandlerCount++] = HandlerRoutine;
    return Succeed();
}
