#include "device_names.h"
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
constexpr int kEventDuringDefine = -2;

// The tests' machine: mutable copies of the controllers and their answers.
struct TestController {
    char device[kNameSize];
    char dosName[kNameSize];
    FakePort ports[kMaxPorts];
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

void Record(const CallRecord& record)
{
    // Once the log is full, its last entry holds the newest call.
    if (control.callCount == kMaxCalls) {
        --control.callCount;
    }
    control.calls[control.callCount++] = record;
}

DWORD Before(const CallRecord& record)
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
    Record(record);
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

void After(BOOL result, DWORD error)
{
    CallRecord& record = control.calls[control.callCount - 1];
    record.result = result;
    record.error = result ? 0 : error;
}

TestController* ControllerAt(int controller)
{
    return controller >= 0 && controller < control.controllerCount ? &control.controllers[controller] : nullptr;
}

// A mutable copy of a controller with no disks; its index, or -1 when the
// machine is full or a name does not fit.
int CopyController(const char* device, const char* dosName, int ports)
{
    if (control.controllerCount == kMaxControllers || ports < 0 || ports > kMaxPorts) {
        return -1;
    }
    const int index = control.controllerCount;
    TestController& added = control.controllers[index];
    if (!CopyName(added.device, device) || (dosName != nullptr && !CopyName(added.dosName, dosName))) {
        return -1;
    }
    const char* addedDosName = dosName != nullptr ? added.dosName : nullptr;
    control.specs[index] = ControllerSpec{added.device, addedDosName, ports, added.ports};
    return control.controllerCount++;
}

// At boot the machine gets copies of its controllers, and the tests' control
// starts afresh with it.
const ControllerSpec* CopyMachine(const ControllerSpec* controllers, int count)
{
    bootThread = std::this_thread::get_id();
    JoinPendingEvent();
    std::memset(&control, 0, sizeof control);
    control.eventPort = kNoEvent;
    for (int i = 0; i < count; ++i) {
        const int copy = CopyController(controllers[i].device, controllers[i].dosName, controllers[i].ports);
        std::copy(controllers[i].port, controllers[i].port + controllers[i].ports, control.controllers[copy].ports);
    }
    return control.specs;
}

const CallObserver kObserver = {CopyMachine, Before, After};

int AddController(const char* device, const char* dosName, int ports)
{
    const int index = CopyController(device, dosName, ports);
    if (index < 0) {
        return -1;
    }
    if (dosName != nullptr && !AddDefinition(dosName, device)) {
        --control.controllerCount;
        return -1;
    }
    TheMachine().controllerCount = control.controllerCount;
    return index;
}

}  // namespace

const MachineSpec kTestMachine = {kBuiltInControllers, kBuiltInControllerCount, &kObserver};
const MachineSpec kEmptyTestMachine = {nullptr, 0, &kObserver};

int AddScsiPort(int number, int ports)
{
    char device[kNameSize];
    char dosName[kNameSize];
    std::snprintf(device, sizeof device, SCSI_PORT_DEVICE(%d), number);
    std::snprintf(dosName, sizeof dosName, SCSI_PORT_NAME(%d), number);
    return AddController(device, dosName, ports);
}

int AddSiliconImage(int model, int ports)
{
    char device[kNameSize];
    std::snprintf(device, sizeof device, SIL_DEVICE(%d), model);
    return AddController(device, nullptr, ports);
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
    if (answering == nullptr || port < 0 || port >= kMaxPorts || count < 0 || count > IDENTIFY_BLOCK_SIZE) {
        return;
    }
    unsigned char* block = answering->blocks[port];
    std::memset(block, 0, IDENTIFY_BLOCK_SIZE);
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
