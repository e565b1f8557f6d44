// The emulated machine: its controllers, the DOS device namespace, open
// handles and console control handlers. Fixed tables only: nothing here
// allocates, and booting touches only the names it defines.
#pragma once

#include "fake_miniport.h"

namespace emulated {

struct CallObserver;

constexpr int kNameSize = 260;
constexpr int kMaxPorts = 8;
constexpr int kMaxDefinitions = 16;
constexpr int kMaxHandles = 4;
constexpr int kMaxControlHandlers = 4;

struct ControllerSpec {
    const char* device;   // the NT device object name
    const char* dosName;  // the DOS name its driver defines, or nullptr
    int ports;
    const FakePort* port;
};

// One DOS device definition; definitions of one name stack, the newest last.
struct Definition {
    char name[kNameSize];
    char target[kNameSize];
};

struct OpenHandle {
    bool open;
    int controller;
    DWORD access;
};

struct Machine {
    const ControllerSpec* controllers;  // nullptr until booted, even for no controllers
    int controllerCount;
    Definition definitions[kMaxDefinitions];
    int definitionCount;
    OpenHandle handles[kMaxHandles];
    PHANDLER_ROUTINE controlHandlers[kMaxControlHandlers];
    int controlHandlerCount;
    DWORD lastError;
    const CallObserver* observer;  // nullptr in the product
};

// What the machine starts as: its controllers (which must outlive it) and
// who watches its calls.
struct MachineSpec {
    const ControllerSpec* controllers;
    int controllerCount;
    const CallObserver* observer;
};

// SCSI port 0 with disks on ports 0 and 1, SiliconImage 3112 with a disk on
// port 0, SiliconImage 3114 with disks on ports 1 and 3.
constexpr int kBuiltInControllerCount = 3;
extern const ControllerSpec kBuiltInControllers[kBuiltInControllerCount];

// The machine, booted on first use with the built-in controllers and no
// observer, as the product runs it.
Machine& TheMachine();
// Starts the machine afresh: no handles, no handlers, only the controllers'
// own DOS names.
void BootMachine(const MachineSpec& spec);

// Stacks a definition; false when the table is full or a name does not fit.
bool AddDefinition(const char* name, const char* target);
bool SameName(const char* a, const char* b);
// The newest definition of a DOS device name, or -1.
int FindDefinition(const char* name);
// Cuts `path` to the object directory it lies in; false at the root.
bool ParentDirectory(const char* path, char (&directory)[kNameSize]);
// Copies `text` into a name buffer; false when it does not fit.
bool CopyName(char (&to)[kNameSize], const char* text);

}  // namespace emulated
