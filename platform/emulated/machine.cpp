#include "machine_state.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace emulated {
namespace {

// Zero-initialised storage: no constructor runs before main.
Machine machine;
bool booted = false;

// Invented disks of the built-in machine.
const DiskIdentity kScsi0Port0 = {"EMU0000A1", "1.00", "PORTDUMP EMULATED DISK 500", 976773168ull};
const DiskIdentity kScsi0Port1 = {"EMU0000B2", "1.00", "PORTDUMP EMULATED DISK 250", 488397168ull};
const DiskIdentity kSil3112Port0 = {"SIL3112P0", "2.10", "PORTDUMP EMULATED SATA 80", 156301488ull};
const DiskIdentity kSil3114Port1 = {"SIL3114P1", "3.02", "PORTDUMP EMULATED SATA 1000", 1953525168ull};
const DiskIdentity kSil3114Port3 = {"SIL3114P3", "3.02", "PORTDUMP EMULATED SATA 2000", 3907029168ull};

Port* FindPort(int controller, int port)
{
    if (controller < 0 || controller >= machine.controllerCount || port < 0 || port >= kMaxPorts) {
        return nullptr;
    }
    return &machine.controllers[controller].port[port];
}

int AddController(const char* device, int ports)
{
    if (machine.controllerCount == kMaxControllers || ports < 0 || ports > kMaxPorts) {
        return -1;
    }
    Controller& added = machine.controllers[machine.controllerCount];
    std::memset(&added, 0, sizeof added);
    if (!CopyName(added.device, device)) {
        return -1;
    }
    added.ports = ports;
    return machine.controllerCount++;
}

// The helpers below work on the machine as it stands; the public functions
// boot it first.

int AddScsiPortNow(int number, int ports)
{
    char device[kNameSize];
    char dosName[kNameSize];
    std::snprintf(device, sizeof device, "\\Device\\ScsiPort%d", number);
    std::snprintf(dosName, sizeof dosName, "Scsi%d:", number);
    if (machine.definitionCount == kMaxDefinitions) {
        return -1;
    }
    const int added = AddController(device, ports);
    if (added >= 0) {
        Definition& name = machine.definitions[machine.definitionCount++];
        CopyName(name.name, dosName);
        CopyName(name.target, device);
    }
    return added;
}

int AddSiliconImageNow(int model, int ports)
{
    char device[kNameSize];
    std::snprintf(device, sizeof device, "\\Device\\Scsi\\SI%d1", model);
    return AddController(device, ports);
}

void SetPortAnswerNow(int controller, int port, const unsigned char* data, int count)
{
    Port* answering = FindPort(controller, port);
    if (answering == nullptr || count < 0 || count > IDENTIFY_BLOCK_SIZE) {
        return;
    }
    answering->answers = true;
    answering->count = count;
    std::memset(answering->block, 0, sizeof answering->block);
    if (count > 0) {
        std::memcpy(answering->block, data, static_cast<unsigned>(count));
    }
}

void AttachDiskNow(int controller, int port, const DiskIdentity& disk)
{
    unsigned char block[IDENTIFY_BLOCK_SIZE];
    BuildIdentifyBlock(&disk, block);
    SetPortAnswerNow(controller, port, block, IDENTIFY_BLOCK_SIZE);
}

}  // namespace

Machine& TheMachine()
{
    if (!booted) {
        ResetMachine();
    }
    return machine;
}

bool SameName(const char* a, const char* b)
{
    // Windows object names compare without regard to case.
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) {
            return false;
        }
    }
    return *a == *b;
}

bool CopyName(char (&to)[kNameSize], const char* text)
{
    const int length = std::snprintf(to, sizeof to, "%s", text);
    return length >= 0 && length < kNameSize;
}

void ClearMachine()
{
    std::memset(&machine, 0, sizeof machine);
    booted = true;
}

void ResetMachine()
{
    ClearMachine();
    const int scsi0 = AddScsiPortNow(0, 4);
    AttachDiskNow(scsi0, 0, kScsi0Port0);
    AttachDiskNow(scsi0, 1, kScsi0Port1);
    const int sil3112 = AddSiliconImageNow(3112, 2);
    AttachDiskNow(sil3112, 0, kSil3112Port0);
    const int sil3114 = AddSiliconImageNow(3114, 4);
    AttachDiskNow(sil3114, 1, kSil3114Port1);
    AttachDiskNow(sil3114, 3, kSil3114Port3);
}

int AddScsiPort(int number, int ports)
{
    TheMachine();
    return AddScsiPortNow(number, ports);
}

int AddSiliconImage(int model, int ports)
{
    TheMachine();
    return AddSiliconImageNow(model, ports);
}

void AttachDisk(int controller, int port, const DiskIdentity& disk)
{
    TheMachine();
    AttachDiskNow(controller, port, disk);
}

void SetPortAnswer(int controller, int port, const unsigned char* data, int count)
{
    TheMachine();
    SetPortAnswerNow(controller, port, data, count);
}

void InjectFault(Fault fault, DWORD error, int port)
{
    TheMachine();
    switch (fault) {
    case Fault::Define:
        machine.defineFault = error;
        break;
    case Fault::Open:
        machine.openFault = error;
        break;
    case Fault::Remove:
        machine.removeFault = error;
        break;
    case Fault::PortRequest:
        for (int controller = 0; controller < machine.controllerCount; ++controller) {
            if (Port* failing = FindPort(controller, port)) {
                failing->fault = error;
            }
        }
        break;
    }
}

int CallCount()
{
    return TheMachine().callCount;
}

const CallRecord& CallAt(int index)
{
    static const CallRecord none{};
    if (index < 0 || index >= TheMachine().callCount) {
        return none;
    }
    return machine.calls[index];
}

int DefinitionCount(const char* name)
{
    int count = 0;
    for (int i = 0; i < TheMachine().definitionCount; ++i) {
        count += SameName(machine.definitions[i].name, name) ? 1 : 0;
    }
    return count;
}

int OpenHandleCount()
{
    const OpenHandle* handles = TheMachine().handles;
    return static_cast<int>(
        std::count_if(handles, handles + kMaxHandles, [](const OpenHandle& handle) { return handle.open; }));
}

}  // namespace emulated
