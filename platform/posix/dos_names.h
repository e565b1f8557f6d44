#pragma once

#include "device_names.h"
#include "kernel32.h"

// The process's own DOS device names: POSIX has no such namespace, so a
// name lives from its definition to its removal within the process, as long
// as on Windows for a program that removes what it defines.

// 0, or the Windows error of the failed definition or removal. A null
// `target` removes the newest definition of `name`.
DWORD DefineDosName(const char* name, const char* target);
DWORD RemoveDosName(const char* name, const char* target);

// Copies the target of the newest definition of `name`; false if none.
bool FindDosName(const char* name, char (&target)[DEVICE_NAME_SIZE]);
