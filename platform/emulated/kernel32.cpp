// kernel32 as the tool meets it on Windows: the DOS device namespace, device
// objects opened by name, and the miniport behind IOCTL_SCSI_MINIPORT.
#include "machine_state.h"

#include <cstdint>
#include <cstring>

using namespace emulated;

namespace {

constexpr ULONG kHeaderSize = sizeof(SRB_IO_CONTROL);
constexpr ULONG kCmdIdeLength = kRequestSize - kHeaderSize;
constexpr int kDataOffset = 52;
constexpr ULONG kCmdIdeControlCode = 0x00042008;
constexpr unsigned kReadBlock = 1;

CallRecord& Record(Call call)
{
    Machine& machine = TheMachine();
    // Once the log is full, its last entry holds the newest call.
    if (machine.callCount == kMaxCalls) {
        --machine.callCount;
    }
    CallRecord& record = machine.calls[machine.callCount++];
    std::memset(&record, 0, sizeof record);
    record.call = call;
    return record;
}

BOOL Succeed(CallRecord& record)
{
    record.result = 1;
    return 1;
}

BOOL Fail(CallRecord& record, DWORD error)
{
    TheMachine().lastError = error;
    record.result = 0;
    record.error = error;
    return 0;
}

bool IsEmpty(const char* text)
{
    return text == nullptr || *text == '\0';
}

// The newest definition of a DOS device name, or -1.
int FindDefinition(const char* name)
{
    const Machine& machine = TheMachine();
    for (int i = machine.definitionCount - 1; i >= 0; --i) {
        if (SameName(machine.definitions[i].name, name)) {
            return i;
        }
    }
    return -1;
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

BOOL RemoveDefinition(CallRecord& record, const char* name, const char* target)
{
    Machine& machine = TheMachine();
    if (machine.removeFault != kNoFault) {
        return Fail(record, machine.removeFault);
    }
    // A null target pops the newest definition; a target removes the newest one
    // that points there.
    int found = -1;
    for (int i = machine.definitionCount - 1; i >= 0 && found < 0; --i) {
        const Definition& definition = machine.definitions[i];
        if (SameName(definition.name, name) && (IsEmpty(target) || SameName(definition.target, target))) {
            found = i;
        }
    }
    if (found < 0) {
        return Fail(record, ERROR_FILE_NOT_FOUND);
    }
    std::memmove(&machine.definitions[found], &machine.definitions[found + 1],
                 sizeof(Definition) * static_cast<unsigned>(machine.definitionCount - found - 1));
    --machine.definitionCount;
    return Succeed(record);
}

BOOL AddDefinition(CallRecord& record, DWORD flags, const char* name, const char* target)
{
    Machine& machine = TheMachine();
    // Only raw NT targets are emulated; the tool never asks for anything else.
    if (flags != DDD_RAW_TARGET_PATH || IsEmpty(target)) {
        return Fail(record, ERROR_INVALID_PARAMETER);
    }
    if (machine.defineFault != kNoFault) {
        return Fail(record, machine.defineFault);
    }
    if (machine.definitionCount == kMaxDefinitions) {
        return Fail(record, ERROR_NOT_ENOUGH_MEMORY);
    }
    Definition& added = machine.definitions[machine.definitionCount];
    if (!CopyName(added.name, name) || !CopyName(added.target, target)) {
        return Fail(record, ERROR_INVALID_PARAMETER);
    }
    ++machine.definitionCount;
    return Succeed(record);
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

// What the controller's miniport makes of a well-formed SRB_IO_CONTROL.
DWORD RunMiniport(int controllerIndex, unsigned char (&buffer)[kRequestSize], DWORD& information)
{
    SRB_IO_CONTROL header;
    std::memcpy(&header, buffer, sizeof header);
    unsigned short port = 0;
    unsigned short parameter = 0;
    std::memcpy(&port, buffer + kHeaderSize, sizeof port);
    std::memcpy(&parameter, buffer + kHeaderSize + 2, sizeof parameter);

    if (std::memcmp(header.Signature, "CMD_IDE ", sizeof header.Signature) != 0 ||
        header.ControlCode != kCmdIdeControlCode || header.Length < kCmdIdeLength || parameter != kReadBlock) {
        return ERROR_IO_DEVICE;
    }
    const Controller& controller = TheMachine().controllers[controllerIndex];
    if (port >= controller.ports) {
        return ERROR_IO_DEVICE;
    }
    const Port& answering = controller.port[port];
    if (answering.fault != kNoFault) {
        return answering.fault;
    }
    if (!answering.answers) {
        return ERROR_IO_DEVICE;  // no disk on this port
    }
    header.ReturnCode = 0;
    std::memcpy(buffer, &header, sizeof header);
    std::memcpy(buffer + kDataOffset, answering.block, static_cast<unsigned>(answering.count));
    information = static_cast<DWORD>(kDataOffset + answering.count);
    return kNoFault;
}

}  // namespace

extern "C" BOOL DefineDosDeviceA(DWORD dwFlags, LPCSTR lpDeviceName, LPCSTR lpTargetPath)
{
    CallRecord& record = Record((dwFlags & DDD_REMOVE_DEFINITION) != 0 ? Call::Remove : Call::Define);
    record.flags = dwFlags;
    record.targetNull = lpTargetPath == nullptr;
    if (lpDeviceName != nullptr) {
        CopyName(record.name, lpDeviceName);
    }
    if (lpTargetPath != nullptr) {
        CopyName(record.target, lpTargetPath);
    }
    if (IsEmpty(lpDeviceName)) {
        return Fail(record, ERROR_INVALID_PARAMETER);
    }
    if (record.call == Call::Remove) {
        return RemoveDefinition(record, lpDeviceName, lpTargetPath);
    }
    return AddDefinition(record, dwFlags, lpDeviceName, lpTargetPath);
}

extern "C" HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                              LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                              DWORD dwFlagsAndAttributes, HANDLE hTemplateFile)
{
    Machine& machine = TheMachine();
    CallRecord& record = Record(Call::Open);
    record.flags = dwDesiredAccess;
    record.shareMode = dwShareMode;
    record.creation = dwCreationDisposition;
    record.attributes = dwFlagsAndAttributes;
    record.securityNull = lpSecurityAttributes == nullptr;
    record.templateNull = hTemplateFile == nullptr;
    if (lpFileName != nullptr) {
        CopyName(record.name, lpFileName);
    }

    if (machine.openFault != kNoFault) {
        Fail(record, machine.openFault);
        return INVALID_HANDLE_VALUE;
    }
    if (IsEmpty(lpFileName) || std::strncmp(lpFileName, "\\\\.\\", 4) != 0) {
        Fail(record, ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const int definition = FindDefinition(lpFileName + 4);
    const int controller = definition < 0 ? -1 : FindController(machine.definitions[definition].target);
    if (controller < 0) {
        Fail(record, ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (dwCreationDisposition != OPEN_EXISTING) {
        Fail(record, ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    // The disk drivers above the controller keep it open for reading and
    // writing, so an open that refuses to share either conflicts with them.
    const DWORD sharedWithDisks = FILE_SHARE_READ | FILE_SHARE_WRITE;
    if ((dwShareMode & sharedWithDisks) != sharedWithDisks) {
        Fail(record, ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    for (int i = 0; i < kMaxHandles; ++i) {
        OpenHandle& handle = machine.handles[i];
        if (!handle.open) {
            handle = OpenHandle{true, controller, dwDesiredAccess};
            Succeed(record);
            return reinterpret_cast<HANDLE>(kHandleStep * static_cast<std::uintptr_t>(i + 1));
        }
    }
    Fail(record, ERROR_TOO_MANY_OPEN_FILES);
    return INVALID_HANDLE_VALUE;
}

extern "C" BOOL DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                                LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned,
                                LPOVERLAPPED lpOverlapped)
{
    CallRecord& record = Record(Call::DeviceControl);
    record.flags = dwIoControlCode;
    record.inSize = nInBufferSize;
    record.outSize = nOutBufferSize;
    record.overlappedNull = lpOverlapped == nullptr;
    record.bytesReturnedNull = lpBytesReturned == nullptr;
    record.sameBuffer = lpInBuffer == lpOutBuffer;
    if (lpInBuffer != nullptr) {
        std::memcpy(record.request, lpInBuffer, nInBufferSize < kRequestSize ? nInBufferSize : kRequestSize);
    }

    const int handle = HandleIndex(hDevice);
    if (handle < 0) {
        return Fail(record, ERROR_INVALID_HANDLE);
    }
    if (dwIoControlCode != IOCTL_SCSI_MINIPORT) {
        return Fail(record, ERROR_INVALID_FUNCTION);
    }
    // IOCTL_SCSI_MINIPORT is declared with read and write access.
    const DWORD readWrite = GENERIC_READ | GENERIC_WRITE;
    if ((TheMachine().handles[handle].access & readWrite) != readWrite) {
        return Fail(record, ERROR_ACCESS_DENIED);
    }
    if (lpInBuffer == nullptr || lpOutBuffer == nullptr || lpBytesReturned == nullptr ||
        nInBufferSize < kHeaderSize || nOutBufferSize < kHeaderSize) {
        return Fail(record, ERROR_INVALID_PARAMETER);
    }
    SRB_IO_CONTROL header;
    std::memcpy(&header, lpInBuffer, sizeof header);
    if (header.HeaderLength != kHeaderSize || header.Length > nInBufferSize - kHeaderSize ||
        header.Length > nOutBufferSize - kHeaderSize) {
        return Fail(record, ERROR_INVALID_PARAMETER);
    }

    // Buffered I/O: the driver works on a copy and the system copies back as
    // many bytes as the driver reports.
    unsigned char buffer[kRequestSize] = {};
    std::memcpy(buffer, lpInBuffer, nInBufferSize < kRequestSize ? nInBufferSize : kRequestSize);
    DWORD information = 0;
    const DWORD error = RunMiniport(TheMachine().handles[handle].controller, buffer, information);
    if (error != kNoFault) {
        return Fail(record, error);
    }
    std::memcpy(lpOutBuffer, buffer, information);
    *lpBytesReturned = information;
    return Succeed(record);
}

extern "C" DWORD GetLastError(void)
{
    return TheMachine().lastError;
}

extern "C" BOOL CloseHandle(HANDLE hObject)
{
    CallRecord& record = Record(Call::Close);
    const int handle = HandleIndex(hObject);
    if (handle < 0) {
        return Fail(record, ERROR_INVALID_HANDLE);
    }
    TheMachine().handles[handle].open = false;
    return Succeed(record);
}
