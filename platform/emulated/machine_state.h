// The emulated machine's state, shared by its kernel32 and its test control.
// Fixed tables only: nothing here allocates.
#pragma once

#include "emulated_machine.h"

namespace emulated {

constexpr int kMaxControllers = 8;
constexpr int kMaxDefinitions = 32;
constexpr int kMaxHandles = 8;
constexpr int kMaxCalls = 64;
constexpr int kNoFault = 0;

struct Port {
    bool answers;
    int count;  // bytes of `block` written into Data
    unsigned char block[IDENTIFY_BLOCK_SIZE];
    DWORD fault;
};

struct Controller {
    char device[kNameSize];  // the NT device object name
    int ports;
    Port port[kMaxPorts];
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
    Controller controllers[kMaxControllers];
    int controllerCount;
    Definition definitions[kMaxDefinitions];
    int definitionCount;
    OpenHandle handles[kMaxHandles];
    DWORD lastError;
    DWORD defineFault;
    DWORD openFault;
    DWORD removeFault;
    CallRecord calls[kMaxCalls];
    int callCount;
};

// The machine, booted as the built-in one on first use.
Machine& TheMachine();

bool SameName(const char* a, const char* b);
// Copies `text` into a name buffer; false when it does not fit.
bool CopyName(char (&to)[kNameSize], const char* text);

}  // namespace emulated
