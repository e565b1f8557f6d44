/* Writes a SCSI port's entry in the registry's device map, as a port driver
 * does at boot:
 *   devicemap_key PORT DRIVER
 * HKLM\HARDWARE is volatile, so the key must be too (Wine's reg.exe cannot
 * create keys there). */
#include <windows.h>

#include <stdio.h>
#include <string.h>

int main(int argc, char* argv[])
{
    char name[64];
    HKEY key;
    LONG result;
    if (argc != 3) {
        printf("usage: devicemap_key PORT DRIVER\n");
        return 2;
    }
    snprintf(name, sizeof name, "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port %s", argv[1]);
    result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, name, 0, NULL, REG_OPTION_VOLATILE, KEY_SET_VALUE, NULL, &key, NULL);
    if (result != ERROR_SUCCESS) {
        printf("RegCreateKeyEx %s failed: %ld\n", name, result);
        return 1;
    }
    result = RegSetValueExA(key, "Driver", 0, REG_SZ, (const BYTE*)argv[2], (DWORD)strlen(argv[2]) + 1);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        printf("RegSetValueEx Driver failed: %ld\n", result);
        return 1;
    }
    return 0;
}
