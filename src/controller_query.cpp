#include "controller_query.h"

#include "block_dump.h"
#include "messages.h"

#include <cstdio>
#include <cstring>

void QueryController(int controller)
{
    char dosName[260];
    char path[260];
    bool mappingDefined = false;

    // The 3512 is served by the 3112's driver.
    if (controller == 3512) {
        controller = 3112;
    }
    if (controller < 32) {
        const int length = std::snprintf(dosName, sizeof dosName, "Scsi%d:", controller);
        if (length < 0 || length >= static_cast<int>(sizeof dosName)) {
            return;
        }
    } else {
        char target[260];
        const int nameLength = std::snprintf(dosName, sizeof dosName, "tempBusSil%d", controller);
        const int targetLength = std::snprintf(target, sizeof target, "\\Device\\Scsi\\SI%d1", controller);
        if (nameLength < 0 || nameLength >= static_cast<int>(sizeof dosName) || targetLength < 0 ||
            targetLength >= static_cast<int>(sizeof target)) {
            return;
        }
        if (!DefineDosDeviceA(DDD_RAW_TARGET_PATH, dosName, target)) {
            std::printf(DEFINE_FAILED_FORMAT, static_cast<int>(GetLastError()));
            return;
        }
        mappingDefined = true;
    }

    const int pathLength = std::snprintf(path, sizeof path, "\\\\.\\%s", dosName);
    if (pathLength >= 0 && pathLength < static_cast<int>(sizeof path)) {
        HANDLE device = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        if (device == INVALID_HANDLE_VALUE) {
            std::printf(OPEN_FAILED_FORMAT, path, static_cast<int>(GetLastError()));
        } else {
            for (unsigned short port = 0; port < 4; ++port) {
                // Cleared for every port, so no byte of an earlier answer can
                // reach the driver or the dump.
                CmdIdeRequest request;
                std::memset(&request, 0, sizeof request);
                request.Header.HeaderLength = sizeof request.Header;
                std::memcpy(request.Header.Signature, "CMD_IDE ", sizeof request.Header.Signature);
                request.Header.Timeout = 5;
                request.Header.ControlCode = 0x00042008;
                request.Header.ReturnCode = 0xFFFFFFFF;
                request.Header.Length = sizeof request - sizeof request.Header;
                request.PortNumber = port;
                request.Parameter = 1;

                DWORD returned = 0;
                if (DeviceIoControl(device, IOCTL_SCSI_MINIPORT, &request, sizeof request, &request,
                                    sizeof request, &returned, nullptr)) {
                    std::printf("Port %d\n", port);
                    DumpBlock(request.Data, sizeof request.Data);
                    std::printf("-----------------------------------------\n");
                }
            }
            CloseHandle(device);
        }
    }

    if (mappingDefined) {
        DefineDosDeviceA(DDD_REMOVE_DEFINITION, dosName, nullptr);
    }
}
