#include "machine_state.h"

#include "call_observer.h"
#include "device_names.h"

#include <cctype>
#include <cstring>

namespace emulated {
namespace {

// Zero-initialised storage: no constructor runs before main.
Machine machine;

// Invented disks of the built-in machine.
const DiskIdentity kScsi0Port0 = {"EMU0000A1", "1.00", "PORTDUMP EMULATED DISK 500", 976773168ull};
const DiskIdentity kScsi0Port1 = {"EMU0000B2", "1.00", "PORTDUMP EMULATED DISK 250", 488397168ull};
const DiskIdentity kSil3112Port0 = {"SIL3112P0", "2.10", "PORTDUMP EMULATED SATA 80", 156301488ull};
const DiskIdentity kSil3114Port1 = {"SIL3114P1", "3.02", "PORTDUMP EMULATED SATA 1000", 1953525168ull};
const DiskIdentity kSil3114Port3 = {"SIL3114P3", "3.02", "PORTDUMP EMULATED SATA 2000", 3907029168ull};

const FakePort kScsi0Ports[] = {{&kScsi0Port0, nullptr, 0, 0, 0}, {&kScsi0Port1, nullptr, 0, 0, 0}, {}, {}};
const FakePort kSil3112Ports[] = {{&kSil3112Port0, nullptr, 0, 0, 0}, {}};
const FakePort kSil3114Ports[] = {{}, {&kSil3114Port1, nullptr, 0, 0, 0}, {}, {&kSil3114Port3, nullptr, 0, 0, 0}};

}  // namespace

const ControllerSpec kBuiltInControllers[kBuiltInControllerCount] = {
    {SCSI_PORT_DEVICE(0), SCSI_PORT_NAME(0), 4, kScsi0Ports},
    {SIL_DEVICE(3112), nullptr, 2, kSil3112Ports},
    {SIL_DEVICE(3114), nullptr, 4, kSil3114Ports},
};

Machine& TheMachine()
{
    if (machine.controllers == nullptr) {
        BootMachine(MachineSpec{kBuiltInControllers, kBuiltInControllerCount, nullptr});
    }
    return machine;
}

void BootMachine(const MachineSpec& spec)
{
    machine.observer = spec.observer;
    machine.controllers = spec.observer != nullptr ? spec.observer->atBoot(spec.controllers, spec.controllerCount)
                                                   : spec.controllers;
    machine.controllerCount = spec.controllerCount;
    machine.definitionCount = 0;
    std::memset(machine.handles, 0, sizeof machine.handles);
    machine.controlHandlerCount = 0;
    machine.lastError = 0;
    for (int i = 0; i < machine.controllerCount; ++i) {
        const ControllerSpec& controller = machine.controllers[i];
        if (controller.dosName != nullptr) {
            AddDefinition(controller.dosName, controller.device);
        }
    }
}

bool AddDefinition(const char* name, const char* target)
{
    if (machine.definitionCount == kMaxDefinitions) {
        return false;
    }
    Definition& added = machine.definitions[machine.definitionCount];
    if (!CopyName(added.name, name) || !CopyName(added.target, target)) {
        return false;
    }
    ++machine.definitionCount;
    return true;
}

int FindDefinition(const char* name)
{
    const Machine& booted = TheMachine();
    for (int i = booted.definitionCount - 1; i >= 0; --i) {
        if (SameName(booted.definitions[i].name, name)) {
            return i;
        }
    }
    return -1;
}

bool ParentDirectory(const char* path, char (&directory)[kNameSize])
{
    const char* lastSeparator = std::strrchr(path, '\\');
    if (lastSeparator == nullptr || lastSeparator == path || !CopyName(directory, path)) {
        return false;
    }
    directory[lastSeparator - path] = '\0';
    return true;
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
    const std::size_t length = std::strlen(text);
    if (length >= sizeof to) {
        return false;
    }
    std::memcpy(to, text, length + 1);
    return true;
}

}  // namespace emulated
