#pragma once

#include "kernel32.h"

// Behind a handle: the machine's controller and the access it was opened for.
struct OpenedDevice {
    int controller;
    DWORD access;
};
