#pragma once

#include "kernel32.h"

// The process's own DOS device names: POSIX has no such namespace, so a
// name lives from its definition to its removal within the process, as long
// as on Windows for a program that removes what it defines.

// Windows' MAX_PATH: the longest name, its end included, any buffer here holds.
constexpr int kNameSize = 260;

// 0, or the Windows error of the failed definition or removal. A null
// `target` removes the newest definition of `name`.
DWORD DefineDosName(const char* name, const char* target);
DWORD RemoveDosName(const char* name, const char* target);

// Copies the target of the newest definition of `name`; false if none.
bool FindDosName(const char* name, char (&target)[kNameSize]);
