/* Loads and unloads the stand-in driver through the service manager:
 *   driver_host load C:\path\stand_in_driver.sys
 *   driver_host unload */
#include <windows.h>

#include <stdio.h>
#include <string.h>

static const char serviceName[] = "portdump_stand_in";

static int Load(SC_HANDLE manager, const char* path)
{
    SC_HANDLE service = CreateServiceA(manager, serviceName, serviceName, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                       SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, path, NULL, NULL, NULL, NULL, NULL);
    int waited;
    if (service == NULL && GetLastError() == ERROR_SERVICE_EXISTS) {
        service = OpenServiceA(manager, serviceName, SERVICE_ALL_ACCESS);
    }
    if (service == NULL) {
        printf("CreateService failed: %lu\n", GetLastError());
        return 1;
    }
    /* Right after the prefix is made the service manager is still starting
     * Wine's own services: the database stays locked (1055), starts time out
     * (1053) or fail, for a minute and more on a loaded host. So every
     * failure is retried, for up to three minutes. */
    for (waited = 0; waited < 360; ++waited) {
        DWORD error;
        if (StartServiceA(service, 0, NULL)) {
            CloseServiceHandle(service);
            return 0;
        }
        error = GetLastError();
        if (error == ERROR_SERVICE_ALREADY_RUNNING) {
            CloseServiceHandle(service);
            return 0;
        }
        if (waited % 20 == 19) {
            fprintf(stderr, "StartService still failing: %lu\n", error);
        }
        Sleep(500);
    }
    printf("StartService failed: %lu\n", GetLastError());
    CloseServiceHandle(service);
    return 1;
}

static int Unload(SC_HANDLE manager)
{
    SERVICE_STATUS status;
    SC_HANDLE service = OpenServiceA(manager, serviceName, SERVICE_ALL_ACCESS);
    if (service == NULL) {
        printf("OpenService failed: %lu\n", GetLastError());
        return 1;
    }
    ControlService(service, SERVICE_CONTROL_STOP, &status);
    if (!DeleteService(service)) {
        printf("DeleteService failed: %lu\n", GetLastError());
        CloseServiceHandle(service);
        return 1;
    }
    CloseServiceHandle(service);
    return 0;
}

int main(int argc, char* argv[])
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    int result = 2;
    if (manager == NULL) {
        printf("OpenSCManager failed: %lu\n", GetLastError());
        return 1;
    }
    if (argc == 3 && strcmp(argv[1], "load") == 0) {
        result = Load(manager, argv[2]);
    } else if (argc == 2 && strcmp(argv[1], "unload") == 0) {
        result = Unload(manager);
    } else {
        printf("usage: driver_host load DRIVER.sys | driver_host unload\n");
    }
    CloseServiceHandle(manager);
    return result;
}
