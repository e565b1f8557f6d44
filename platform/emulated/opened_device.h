#pragma once

#include "kernel32.h"
#include "machine_state.h"

// Behind a handle: the machine's controller and the access it was opened for.
struct OpenedDevice {
    const emulated::ControllerSpec* controller;
    DWORD access;
};
