#include "device.h"
#include "device_names.h"
#include "emulated_machine.h"
#include "last_error.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

// The platform's own functions, which the tests' link names so once every
// call of the tool reaches the wrappers below instead.
// NOLINTBEGIN(bugprone-reserved-identifier): the linker's names
extern "C" {
BOOL __real_DefineDosDeviceA(DWORD dwFlags, LPCSTR lpDeviceName, LPCSTR lpTargetPath);
HANDLE __real_CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
BOOL __real_DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                            LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned,
                            LPOVERLAPPED lpOverlapped);
BOOL __real_CloseHandle(HANDLE hObject);
void __real_InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
}
// NOLINTEND(bugprone-reserved-identifier)

namespace emulated {
namespace {

constexpr int kMaxControllers = 8;
constexpr int kMaxPorts = 8;
constexpr int kMaxCalls = 64;
constexpr int kNoEvent = -1;
constexpr int kEventDuringDefine = -2;

// The tests' machine: mutable copies of the controllers and their answers.
struct TestController {
    char device[DEVICE_NAME_SIZE];
    char dosName[DEVICE_NAME_SIZE];
    FakePort ports[kMaxPorts];
    DiskIdentity disks[kMaxPorts];
    unsigned char blocks[kMaxPorts][ATA_BLOCK_SIZE];
};

struct Control {
    TestController controllers[kMaxControllers];
    ControllerSpec specs[kMaxControllers];
    int controllerCount;
    DWORD defineFault;
    DWORD openFault;
    DWORD removeFault;
    DWORD portFault[kMaxPorts];
    unsigned portDelay[kMaxPorts];
    int eventPort;
    DWORD event;
    bool eventEndedProcess;
    CallRecord calls[kMaxCalls];
    int callCount;
};

Control control;

// What the tool holds of the process, undone at the next boot. The console
// control handlers are the machine's own, never the platform's: a boot
// forgets them, as a new process would have none.
std::vector<std::string> definedNames;
std::vector<HANDLE> openHandles;
std::vector<PHANDLER_ROUTINE> installedHandlers;
// A run initialises its lock once; the tests' runs share one process, so a
// section is made ready at its first run only.
std::vector<LPCRITICAL_SECTION> readySections;

// An event raised during the define must wait on its own thread for the lock
// the tool holds around it; the tool's next call on the booting thread joins
// it, so the handlers' calls are logged while that thread waits.
std::thread pendingEvent;
std::thread::id bootThread;

void JoinPendingEvent()
{
    if (std::this_thread::get_id() == bootThread && pendingEvent.joinable()) {
        pendingEvent.join();
    }
}

int RequestPort(const CallRecord& record)
{
    unsigned short port = 0;
    if (record.inSize >= sizeof(SRB_IO_CONTROL) + sizeof port) {
        std::memcpy(&port, record.request + sizeof(SRB_IO_CONTROL), sizeof port);
    }
    return port;
}

// Logs the call; its index in the log.
int Record(const CallRecord& record)
{
    // Once the log is full, its last entry holds the newest call.
    if (control.callCount == kMaxCalls) {
        --control.callCount;
    }
    control.calls[control.callCount] = record;
    return control.callCount++;
}

DWORD FaultOf(const CallRecord& record)
{
    switch (record.call) {
    case Call::Define:
        return control.defineFault;
    case Call::Remove:
        return control.removeFault;
    case Call::Open:
        return control.openFault;
    case Call::DeviceControl:
        return RequestPort(record) < kMaxPorts ? control.portFault[RequestPort(record)] : 0;
    default:
        return 0;
    }
}

// Runs a call of the tool: raises the event due before it, logs it, and
// fails it with an injected fault or else lets the platform run it.
template <typename Run>
BOOL Logged(const CallRecord& record, Run run)
{
    JoinPendingEvent();
    if (record.call == Call::DeviceControl && control.eventPort == RequestPort(record)) {
        control.eventPort = kNoEvent;
        control.eventEndedProcess = RaiseControlEvent(control.event);
    }
    if (record.call == Call::Define && control.eventPort == kEventDuringDefine) {
        control.eventPort = kNoEvent;
        pendingEvent = std::thread([] { control.eventEndedProcess = RaiseControlEvent(control.event); });
    }
    const int at = Record(record);
    const DWORD fault = FaultOf(record);
    const BOOL result = fault != 0 ? FailWithError(fault) : run();
    if (result && record.call == Call::DeviceControl && RequestPort(record) < kMaxPorts) {
        std::this_thread::sleep_for(std::chrono::seconds(control.portDelay[RequestPort(record)]));
    }
    control.calls[at].result = result;
    return result;
}

// Forgets the first item the call let go of.
template <typename Item, typename Same>
void Release(std::vector<Item>& items, Same same)
{
    const auto found = std::find_if(items.begin(), items.end(), same);
    if (found != items.end()) {
        items.erase(found);
    }
}

// Copies `text` into a name buffer; false when it does not fit.
bool CopyName(char (&to)[DEVICE_NAME_SIZE], const char* text)
{
    const std::size_t length = std::strlen(text);
    if (length >= sizeof to) {
        return false;
    }
    std::memcpy(to, text, length + 1);
    return true;
}

// A string of the call as its record keeps it; null, or too long for a
// name, stays empty.
void Note(char (&to)[DEVICE_NAME_SIZE], const char* text)
{
    if (text != nullptr) {
        CopyName(to, text);
    }
}

TestController* ControllerAt(int controller)
{
    return controller >= 0 && controller < control.controllerCount ? &control.controllers[controller] : nullptr;
}

// A mutable copy of a controller with no disks; its index, or -1 when the
// machine is full or a name does not fit.
int AddController(const char* device, const char* dosName, int portCount)
{
    if (control.controllerCount == kMaxControllers || portCount < 0 || portCount > kMaxPorts) {
        return -1;
    }
    const int index = control.controllerCount;
    TestController& added = control.controllers[index];
    if (!CopyName(added.device, device) || (dosName != nullptr && !CopyName(added.dosName, dosName))) {
        return -1;
    }
    control.specs[index] = ControllerSpec{added.device, dosName != nullptr ? added.dosName : nullptr, portCount, added.ports};
    return control.controllerCount++;
}

}  // namespace

const Machine kTestMachine = kBuiltInMachine;
const Machine kEmptyTestMachine = {nullptr, 0};

Machine TestMachine()
{
    return Machine{control.specs, control.controllerCount};
}

void BootMachine(const Machine& spec)
{
    bootThread = std::this_thread::get_id();
    JoinPendingEvent();
    for (const std::string& name : definedNames) {
        __real_DefineDosDeviceA(DDD_REMOVE_DEFINITION, name.c_str(), nullptr);
    }
    for (HANDLE handle : openHandles) {
        __real_CloseHandle(handle);
    }
    definedNames.clear();
    openHandles.clear();
    installedHandlers.clear();
    std::memset(&control, 0, sizeof control);
    control.eventPort = kNoEvent;
    for (int i = 0; i < spec.controllerCount; ++i) {
        const ControllerSpec& controller = spec.controllers[i];
        const int copy = AddController(controller.device, controller.dosName, controller.portCount);
        std::copy(controller.port, controller.port + controller.portCount, control.controllers[copy].ports);
    }
}

int AddScsiPort(int number, int portCount)
{
    char device[DEVICE_NAME_SIZE];
    char dosName[DEVICE_NAME_SIZE];
    std::snprintf(device, sizeof device, SCSI_PORT_DEVICE(%d), number);
    std::snprintf(dosName, sizeof dosName, SCSI_PORT_NAME(%d), number);
    return AddController(device, dosName, portCount);
}

int AddSiliconImage(int model, int portCount)
{
    char device[DEVICE_NAME_SIZE];
    std::snprintf(device, sizeof device, SIL_DEVICE(%d), model);
    return AddController(device, nullptr, portCount);
}

void AttachDisk(int controller, int port, const DiskIdentity& disk)
{
    TestController* attached = ControllerAt(controller);
    if (attached != nullptr && port >= 0 && port < kMaxPorts) {
        attached->disks[port] = disk;
        attached->ports[port] = FakePort{&attached->disks[port], nullptr, 0, 0, 0};
    }
}

void SetPortAnswer(int controller, int port, const unsigned char* data, int count, ULONG returnCode)
{
    TestController* answering = ControllerAt(controller);
    if (answering == nullptr || port < 0 || port >= kMaxPorts || count < 0 || count > ATA_BLOCK_SIZE) {
        return;
    }
    unsigned char* block = answering->blocks[port];
    std::memset(block, 0, ATA_BLOCK_SIZE);
    std::copy(data, data + count, block);
    answering->ports[port] = FakePort{nullptr, block, static_cast<unsigned>(count), returnCode, 0};
}

void InjectFault(Fault fault, DWORD error, int port)
{
    switch (fault) {
    case Fault::Define:
        control.defineFault = error;
        break;
    case Fault::Open:
        control.openFault = error;
        break;
    case Fault::Remove:
        control.removeFault = error;
        break;
    case Fault::PortRequest:
        if (port >= 0 && port < kMaxPorts) {
            control.portFault[port] = error;
        }
        break;
    }
}

void DelayPortRequest(int port, unsigned seconds)
{
    if (port >= 0 && port < kMaxPorts) {
        control.portDelay[port] = seconds;
    }
}

void RaiseControlEventDuring(int port, DWORD event)
{
    control.eventPort = port;
    control.event = event;
}

void RaiseControlEventDuringDefine(DWORD event)
{
    RaiseControlEventDuring(kEventDuringDefine, event);
}

bool RaiseControlEvent(DWORD event)
{
    // Windows calls the handlers on a thread of its own, newest first, until
    // one takes the event.
    bool handled = false;
    std::thread([&] {
        for (auto handler = installedHandlers.rbegin(); !handled && handler != installedHandlers.rend(); ++handler) {
            handled = (*handler)(event) != FALSE;
        }
    }).join();
    return !handled;
}

bool ControlEventEndedProcess()
{
    return control.eventEndedProcess;
}

int CallCount()
{
    return control.callCount;
}

const CallRecord& CallAt(int index)
{
    static const CallRecord none{};
    return index >= 0 && index < control.callCount ? control.calls[index] : none;
}

int DefinitionCount(const char* name)
{
    return static_cast<int>(std::count_if(definedNames.begin(), definedNames.end(), [&](const std::string& defined) {
        return SameDeviceName(defined.c_str(), name) != 0;
    }));
}

int OpenHandleCount()
{
    return static_cast<int>(openHandles.size());
}

}  // namespace emulated

using namespace emulated;

// The POSIX core opens the devices of the tests' machine.
DWORD OpenDevice(const char* name, const char* target, DWORD access, OpenedDevice& device)
{
    return OpenMachineDevice(TestMachine(), name, target, access, device);
}

// NOLINTBEGIN(bugprone-reserved-identifier): the linker's names
extern "C" BOOL __wrap_DefineDosDeviceA(DWORD dwFlags, LPCSTR lpDeviceName, LPCSTR lpTargetPath)
{
    CallRecord record{};
    record.call = (dwFlags & DDD_REMOVE_DEFINITION) != 0 ? Call::Remove : Call::Define;
    record.flags = dwFlags;
    Note(record.name, lpDeviceName);
    Note(record.target, lpTargetPath);
    record.targetNull = lpTargetPath == nullptr;
    const BOOL result = Logged(record, [&] { return __real_DefineDosDeviceA(dwFlags, lpDeviceName, lpTargetPath); });
    if (result && record.call == Call::Define) {
        definedNames.emplace_back(lpDeviceName);
    } else if (result) {
        Release(definedNames, [&](const std::string& name) { return SameDeviceName(name.c_str(), lpDeviceName) != 0; });
    }
    return result;
}

extern "C" HANDLE __wrap_CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
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
    HANDLE opened = INVALID_HANDLE_VALUE;
    if (Logged(record, [&] {
            opened = __real_CreateFileA(lpFileName, dwDesiredAccess, dwShareMode, lpSecurityAttributes,
                                        dwCreationDisposition, dwFlagsAndAttributes, hTemplateFile);
            return opened != INVALID_HANDLE_VALUE;
        })) {
        openHandles.push_back(opened);
    }
    return opened;
}

extern "C" BOOL __wrap_DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
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
    return Logged(record, [&] {
        return __real_DeviceIoControl(hDevice, dwIoControlCode, lpInBuffer, nInBufferSize, lpOutBuffer,
                                      nOutBufferSize, lpBytesReturned, lpOverlapped);
    });
}

extern "C" BOOL __wrap_CloseHandle(HANDLE hObject)
{
    CallRecord record{};
    record.call = Call::Close;
    const BOOL result = Logged(record, [&] { return __real_CloseHandle(hObject); });
    if (result) {
        Release(openHandles, [&](const HANDLE& open) { return open == hObject; });
    }
    return result;
}

// Installs on the machine's console what the tool adds, the only call it makes.
extern "C" BOOL __wrap_SetConsoleCtrlHandler(PHANDLER_ROUTINE HandlerRoutine, BOOL Add)
{
    CallRecord record{};
    record.call = Call::ControlHandler;
    record.flags = static_cast<DWORD>(Add);
    return Logged(record, [&] {
        if (HandlerRoutine == nullptr || !Add) {
            return FailWithError(ERROR_INVALID_PARAMETER);
        }
        installedHandlers.push_back(HandlerRoutine);
        return TRUE;
    });
}

extern "C" void __wrap_InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    if (std::find(readySections.begin(), readySections.end(), lpCriticalSection) == readySections.end()) {
        readySections.push_back(lpCriticalSection);
        __real_InitializeCriticalSection(lpCriticalSection);
    }
}
// NOLINTEND(bugprone-reserved-identifier)
