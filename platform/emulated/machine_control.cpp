#include "emulated_machine.h"
#include "machine_state.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>

namespace emulated {
namespace {

constexpr int kMaxControllers = 8;
constexpr int kMaxCalls = 64;
constexpr int kNoEvent = -1;

// The tests' machine: mutable copies of the controllers and their answers.
struct TestController {
    char device[kNameSize];
    char dosName[kNameSize];
    PortAnswer ports[kMaxPorts];
    DiskIdentity disks[kMaxPorts];
    unsigned char blocks[kMaxPorts][IDENTIFY_BLOCK_SIZE];
};

struct Control {
    TestController controllers[kMaxControllers];
    ControllerSpec specs[kMaxControllers];
    int controllerCount;
    DWORD defineFault;
    DWORD openFault;
    DWORD removeFault;
    DWORD portFault[kMaxPorts];
    int eventPort;
    DWORD event;
    bool eventEndedProcess;
    CallRecord calls[kMaxCalls];
    int callCount;
};

Control control;

void CopyRecorded(char (&to)[kNameSize], const char* text)
{
    if (text != nullptr) {
        std::snprintf(to, sizeof to, "%s", text);
    }
}

int RequestPort(const CallEvent& event)
{
    unsigned short port = 0;
    if (event.in != nullptr && event.inSize >= sizeof(SRB_IO_CONTROL) + sizeof port) {
        std::memcpy(&port, static_cast<const unsigned char*>(event.in) + sizeof(SRB_IO_CONTROL), sizeof port);
    }
    return port;
}

void Record(const CallEvent& event)
{
    // Once the log is full, its last entry holds the newest call.
    if (control.callCount == kMaxCalls) {
        --control.callCount;
    }
    CallRecord& record = control.calls[control.callCount++];
    std::memset(&record, 0, sizeof record);
    record.call = event.call;
    record.flags = event.flags;
    record.shareMode = event.shareMode;
    record.creation = event.creation;
    record.attributes = event.attributes;
    record.securityNull = event.security == nullptr;
    record.templateNull = event.templateFile == nullptr;
    record.targetNull = event.target == nullptr;
    record.overlappedNull = event.overlapped == nullptr;
    record.bytesReturnedNull = event.bytesReturned == nullptr;
    record.sameBuffer = event.in == event.out;
    CopyRecorded(record.name, event.name);
    CopyRecorded(record.target, event.target);
    record.inSize = event.inSize;
    record.outSize = event.outSize;
    if (event.in != nullptr) {
        std::memcpy(record.request, event.in, std::min<DWORD>(event.inSize, kRequestSize));
    }
}

DWORD Before(const CallEvent& event)
{
    if (event.call == Call::DeviceControl && control.eventPort == RequestPort(event)) {
        control.eventPort = kNoEvent;
        control.eventEndedProcess = RaiseControlEvent(control.event);
    }
    Record(event);
    switch (event.call) {
    case Call::Define:
        return control.defineFault;
    case Call::Remove:
        return control.removeFault;
    case Call::Open:
        return control.openFault;
    case Call::DeviceControl:
        return RequestPort(event) < kMaxPorts ? control.portFault[RequestPort(event)] : 0;
    default:
        return 0;
    }
}

void After(BOOL result, DWORD error)
{
    CallRecord& record = control.calls[control.callCount - 1];
    record.result = result;
    record.error = result ? 0 : error;
}

const CallObserver kObserver = {Before, After};

void StartOver()
{
    std::memset(&control, 0, sizeof control);
    control.eventPort = kNoEvent;
    SetCallObserver(&kObserver);
}

TestController* FindController(int controller)
{
    return controller >= 0 && controller < control.controllerCount ? &control.controllers[controller] : nullptr;
}

int AddController(const char* device, const char* dosName, int ports)
{
    if (control.controllerCount == kMaxControllers || ports < 0 || ports > kMaxPorts) {
        return -1;
    }
    const int index = control.controllerCount;
    TestController& added = control.controllers[index];
    ControllerSpec& spec = control.specs[index];
    if (!CopyName(added.device, device) || (dosName != nullptr && !CopyName(added.dosName, dosName))) {
        return -1;
    }
    spec = ControllerSpec{added.device, dosName != nullptr ? added.dosName : nullptr, ports, added.ports};
    if (dosName != nullptr && !AddDefinition(dosName, device)) {
        return -1;
    }
    ++control.controllerCount;
    TheMachine().controllerCount = control.controllerCount;
    return index;
}

// The built-in machine or an empty one, as the tests' mutable copy.
void Boot(const ControllerSpec* controllers, int count)
{
    StartOver();
    BootMachine(control.specs, 0);
    for (int i = 0; i < count; ++i) {
        const int added = AddController(controllers[i].device, controllers[i].dosName, controllers[i].ports);
        std::copy(controllers[i].port, controllers[i].port + controllers[i].ports, control.controllers[added].ports);
    }
}

}  // namespace

void ResetMachine()
{
    Boot(kBuiltInControllers, kBuiltInControllerCount);
}

void ClearMachine()
{
    Boot(nullptr, 0);
}

int AddScsiPort(int number, int ports)
{
    char device[kNameSize];
    char dosName[kNameSize];
    std::snprintf(device, sizeof device, "\\Device\\ScsiPort%d", number);
    std::snprintf(dosName, sizeof dosName, "Scsi%d:", number);
    return AddController(device, dosName, ports);
}

int AddSiliconImage(int model, int ports)
{
    char device[kNameSize];
    std::snprintf(device, sizeof device, "\\Device\\Scsi\\SI%d1", model);
    return AddController(device, nullptr, ports);
}

void AttachDisk(int controller, int port, const DiskIdentity& disk)
{
    TestController* attached = FindController(controller);
    if (attached != nullptr && port >= 0 && port < kMaxPorts) {
        attached->disks[port] = disk;
        attached->ports[port] = PortAnswer{&attached->disks[port], nullptr, 0, 0};
    }
}

void SetPortAnswer(int controller, int port, const unsigned char* data, int count, ULONG returnCode)
{
    TestController* answering = FindController(controller);
    if (answering == nullptr || port < 0 || port >= kMaxPorts || count < 0 || count > IDENTIFY_BLOCK_SIZE) {
        return;
    }
    unsigned char* block = answering->blocks[port];
    std::memset(block, 0, IDENTIFY_BLOCK_SIZE);
    std::copy(data, data + count, block);
    answering->ports[port] = PortAnswer{nullptr, block, count, returnCode};
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

void RaiseControlEventDuring(int port, DWORD event)
{
    control.eventPort = port;
    control.event = event;
}

bool RaiseControlEvent(DWORD event)
{
    // Windows asks the newest handler first and stops at the first that
    // handles the event; when none does, the process ends.
    bool handled = false;
    std::thread([&] {
        const Machine& machine = TheMachine();
        for (int i = machine.controlHandlerCount - 1; i >= 0 && !handled; --i) {
            handled = machine.controlHandlers[i](event) != 0;
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
    const Machine& machine = TheMachine();
    return static_cast<int>(std::count_if(machine.definitions, machine.definitions + machine.definitionCount,
                                          [&](const Definition& definition) { return SameName(definition.name, name); }));
}

int OpenHandleCount()
{
    const OpenHandle* handles = TheMachine().handles;
    return static_cast<int>(
        std::count_if(handles, handles + kMaxHandles, [](const OpenHandle& handle) { return handle.open; }));
}

}  // namespace emulated
