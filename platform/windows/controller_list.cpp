// Windows as portdump-list reads it, with a user's rights: the DOS device
// names, the registry's SCSI device map and the object directory
// \Device\Scsi. Nothing is defined, opened or asked.
#include "controller_list.h"

#include "device_names.h"
#include "nt_controllers.h"

#include <windows.h>
#include <winternl.h>

#include <cstdio>

namespace {

// ntdll's object directory calls, which have no import library: found at
// run time, as Microsoft documents them.
using OpenDirectoryObject = NTSTATUS(NTAPI*)(PHANDLE DirectoryHandle, ACCESS_MASK DesiredAccess,
                                              POBJECT_ATTRIBUTES ObjectAttributes);
using QueryDirectoryObject = NTSTATUS(NTAPI*)(HANDLE DirectoryHandle, PVOID Buffer, ULONG Length,
                                               BOOLEAN ReturnSingleEntry, BOOLEAN RestartScan, PULONG Context,
                                               PULONG ReturnLength);

constexpr ACCESS_MASK kDirectoryQuery = 0x0001;
constexpr NTSTATUS kNoMoreEntries = static_cast<NTSTATUS>(0x8000001AL);
constexpr NTSTATUS kObjectNameNotFound = static_cast<NTSTATUS>(0xC0000034L);
constexpr NTSTATUS kObjectPathNotFound = static_cast<NTSTATUS>(0xC000003AL);

// One entry of NtQueryDirectoryObject's answer; the names follow it.
struct DirectoryEntry {
    UNICODE_STRING name;
    UNICODE_STRING typeName;
};

// Room for one entry, the empty entry that ends the answer, and the two
// longest names a UNICODE_STRING can hold, each with its NUL.
union DirectoryBuffer {
    DirectoryEntry entry;
    unsigned char bytes[2 * sizeof(DirectoryEntry) + 2 * (65534 + sizeof(WCHAR))];
};

// The service name of the driver of SCSI port `port`, "" where the registry
// has none.
void ReadDriverName(int port, char (&driver)[kListedFieldSize])
{
    driver[0] = '\0';
    char keyName[64];
    std::snprintf(keyName, sizeof keyName, "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port %d", port);
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return;
    }
    DWORD type = 0;
    DWORD size = sizeof driver - 1;
    if (RegQueryValueExA(key, "Driver", nullptr, &type, reinterpret_cast<BYTE*>(driver), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        size = 0;
    }
    // A stored string need not end in a NUL.
    driver[size] = '\0';
    RegCloseKey(key);
}

// Each ScsiN: that is defined. False when the DOS device names cannot be
// read at all; a list too long for the buffer still shows that they can.
bool ListScsiPorts(ControllerList& list)
{
    static char names[65536];
    if (QueryDosDeviceA(nullptr, names, sizeof names) == 0 && GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        std::snprintf(list.problem, sizeof list.problem, "cannot read the DOS device names: error %lu",
                      GetLastError());
        return false;
    }
    for (int port = 0; port < SCSI_PORT_NUMBER_LIMIT; ++port) {
        char name[sizeof SCSI_PORT_NAME(31)];
        std::snprintf(name, sizeof name, SCSI_PORT_NAME(%d), port);
        // The first of the targets is the one an open reaches.
        char target[kListedFieldSize];
        if (QueryDosDeviceA(name, target, sizeof target) == 0) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND) {
                continue;
            }
            std::snprintf(target, sizeof target, "(its target cannot be read: error %lu)", error);
        }
        char driver[kListedFieldSize];
        ReadDriverName(port, driver);
        AddScsiPort(list, port, target, driver);
    }
    return true;
}

// An object name as ASCII; false for any other character, which no name
// that portdump builds holds.
bool AsciiName(const UNICODE_STRING& name, char (&ascii)[kListedFieldSize])
{
    const USHORT length = name.Length / sizeof(WCHAR);
    if (length >= sizeof ascii) {
        return false;
    }
    for (USHORT i = 0; i < length; ++i) {
        if (name.Buffer[i] >= 0x80) {
            return false;
        }
        ascii[i] = static_cast<char>(name.Buffer[i]);
    }
    ascii[length] = '\0';
    return true;
}

// Every object of \Device\Scsi, which exists only where a SiliconImage
// driver made it.
void ListSiliconImageObjects(ControllerList& list)
{
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const auto openDirectory =
        reinterpret_cast<OpenDirectoryObject>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtOpenDirectoryObject")));
    const auto queryDirectory = reinterpret_cast<QueryDirectoryObject>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryDirectoryObject")));
    if (openDirectory == nullptr || queryDirectory == nullptr) {
        std::snprintf(list.problem, sizeof list.problem, "ntdll.dll cannot list %s", SIL_DIRECTORY);
        return;
    }
    static const WCHAR path[] = L"" SIL_DIRECTORY;
    UNICODE_STRING name;
    name.Buffer = const_cast<PWSTR>(path);
    name.Length = sizeof path - sizeof(WCHAR);
    name.MaximumLength = sizeof path;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
    HANDLE directory;
    NTSTATUS status = openDirectory(&directory, kDirectoryQuery, &attributes);
    if (status == kObjectNameNotFound || status == kObjectPathNotFound) {
        return;
    }
    if (!NT_SUCCESS(status)) {
        std::snprintf(list.problem, sizeof list.problem, "cannot open %s: NTSTATUS 0x%08lX", SIL_DIRECTORY,
                      static_cast<unsigned long>(status));
        return;
    }
    static DirectoryBuffer buffer;
    ULONG context = 0;
    for (BOOLEAN restart = TRUE;; restart = FALSE) {
        ULONG returned = 0;
        status = queryDirectory(directory, &buffer, sizeof buffer, TRUE, restart, &context, &returned);
        if (status == kNoMoreEntries) {
            break;
        }
        if (!NT_SUCCESS(status)) {
            std::snprintf(list.problem, sizeof list.problem, "cannot read %s: NTSTATUS 0x%08lX", SIL_DIRECTORY,
                          static_cast<unsigned long>(status));
            break;
        }
        char object[kListedFieldSize];
        if (AsciiName(buffer.entry.name, object)) {
            AddSiliconImageObject(list, object);
        }
    }
    CloseHandle(directory);
}

}  // namespace

bool ListControllers(ControllerList& list)
{
    if (!ListScsiPorts(list)) {
        return false;
    }
    ListSiliconImageObjects(list);
    return true;
}
