#pragma once

// What each POSIX platform puts behind a handle; the core keeps the names,
// the handles, the last error and the console control handlers.
#include "kernel32.h"
#include "opened_device.h"

// Opens the device `name` (the path after \\.\) stands for; `target` is
// the newest definition of that DOS name, or nullptr where the process
// defined none. 0 or the Windows error.
DWORD OpenDevice(const char* name, const char* target, DWORD access, OpenedDevice& device);

// The miniport request on an open device: 0 and the bytes returned, or the
// Windows error.
DWORD ControlDevice(const OpenedDevice& device, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD returned);

void CloseDevice(OpenedDevice& device);
