#include "controller_query.h"

#include "block_dump.h"
#include "cmd_ide_request.h"
#include "device_names.h"
#include "messages.h"

#include <cstdio>

namespace {

// The longest names any controller number can give fit their buffers, so
// no name is ever cut short.
constexpr int kLongestDosName = sizeof SIL_TEMPORARY_NAME(-2147483648) - 1;
static_assert(sizeof DOS_DEVICE_PATH_PREFIX + kLongestDosName <= DEVICE_NAME_SIZE, "opened path fits");
static_assert(sizeof SIL_DEVICE(-2147483648) <= DEVICE_NAME_SIZE, "target fits");

// The temporary name while it is defined. A Ctrl+C, Ctrl+Break or closed
// console ends the process wherever it is, also while a port keeps it
// waiting in the driver; the control handler then removes the name, on its
// own thread. The lock makes the removal happen once and lets the main
// thread's teardown wait until the handler's removal is done. A critical
// section, not a newer lock, so the tool starts on Windows 2000.
CRITICAL_SECTION temporaryNameLock;
const char* temporaryName = nullptr;

void RemoveTemporaryName()
{
    EnterCriticalSection(&temporaryNameLock);
    if (temporaryName != nullptr) {
        DefineDosDeviceA(DDD_REMOVE_DEFINITION, temporaryName, nullptr);
        temporaryName = nullptr;
    }
    LeaveCriticalSection(&temporaryNameLock);
}

// Lets the process end as Windows ends it, once the name is gone.
BOOL WINAPI RemoveTemporaryNameOnControlEvent(DWORD)
{
    RemoveTemporaryName();
    return FALSE;
}

// Installs the control handler before the name exists. A run comes here
// once, so the lock is initialised once, before any handler can use it, and
// never deleted: the handler stays installed to the end.
void GuardTemporaryNames()
{
    InitializeCriticalSection(&temporaryNameLock);
    SetConsoleCtrlHandler(RemoveTemporaryNameOnControlEvent, TRUE);
}

// Defines the name and hands it to the handler in one step under the lock,
// so that a control event at any instant finds either no name or the name
// it must remove. On failure `error` is the define's error number.
bool DefineTemporaryName(const char* name, const char* target, DWORD* error)
{
    EnterCriticalSection(&temporaryNameLock);
    const bool defined = DefineDosDeviceA(DDD_RAW_TARGET_PATH, name, target) != FALSE;
    if (defined) {
        temporaryName = name;
    } else {
        *error = GetLastError();
    }
    LeaveCriticalSection(&temporaryNameLock);
    return defined;
}

}  // namespace

void QueryController(int number)
{
    char dosName[DEVICE_NAME_SIZE];
    char path[DEVICE_NAME_SIZE];
    bool nameDefined = false;

    number = ServedNumber(number);
    if (number < SCSI_PORT_NUMBER_LIMIT) {
        std::snprintf(dosName, sizeof dosName, SCSI_PORT_NAME(%d), number);
    } else {
        char target[DEVICE_NAME_SIZE];
        std::snprintf(dosName, sizeof dosName, SIL_TEMPORARY_NAME(%d), number);
        std::snprintf(target, sizeof target, SIL_DEVICE(%d), number);
        GuardTemporaryNames();
        DWORD error = 0;
        if (!DefineTemporaryName(dosName, target, &error)) {
            std::printf(DEFINE_FAILED_FORMAT, static_cast<int>(error));
            std::fflush(stdout);
            return;
        }
        nameDefined = true;
    }

    std::snprintf(path, sizeof path, DOS_DEVICE_PATH_PREFIX "%.*s", kLongestDosName, dosName);
    HANDLE device = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        std::printf(OPEN_FAILED_FORMAT, path, static_cast<int>(GetLastError()));
        std::fflush(stdout);
    } else {
        for (unsigned short port = 0; port < CMD_IDE_PORT_COUNT; ++port) {
            // Filled afresh for every port, so no byte of an earlier answer
            // can reach the driver or the dump.
            CmdIdeRequest request;
            CmdIdeFillRequest(&request, port);

            DWORD returned = 0;
            if (DeviceIoControl(device, IOCTL_SCSI_MINIPORT, &request, sizeof request, &request, sizeof request,
                                &returned, nullptr)) {
                std::printf(DUMP_PORT_LINE_FORMAT, port);
                std::fflush(stdout);
                DumpBlock(request.Data, sizeof request.Data);
                std::printf(DUMP_SEPARATOR "\n");
                std::fflush(stdout);
            }
        }
        CloseHandle(device);
    }

    if (nameDefined) {
        RemoveTemporaryName();
    }
}
