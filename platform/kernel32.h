/* The one seam between the tool and the operating system. On Windows this is
 * kernel32 itself; elsewhere the same names, types and values are declared here
 * and served by another platform, so the tool's sources never change. Plain C
 * as well as C++: the request's C unit includes it too. */
#ifndef PORTDUMP_KERNEL32_H
#define PORTDUMP_KERNEL32_H

#ifdef _WIN32

#include <windows.h>
#include <ntddscsi.h>

#else

#include <stdint.h>

typedef int BOOL;
#define FALSE 0
#define TRUE 1
typedef uint32_t DWORD;
typedef uint32_t ULONG;
typedef unsigned char UCHAR;
typedef void* HANDLE;
typedef void* LPVOID;
typedef DWORD* LPDWORD;
typedef const char* LPCSTR;
typedef struct _SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES; /* NOLINT(bugprone-reserved-identifier): Windows' tag */
typedef struct _OVERLAPPED* LPOVERLAPPED;                     /* NOLINT(bugprone-reserved-identifier): Windows' tag */

#define WINAPI
typedef BOOL(WINAPI* PHANDLER_ROUTINE)(DWORD dwCtrlType);
/* Opaque here, and of the size Windows' own has on 64-bit: the platform
 * may keep its lock in it. */
typedef struct _RTL_CRITICAL_SECTION { /* NOLINT(bugprone-reserved-identifier): Windows' tag */
    void* Opaque[5];
} CRITICAL_SECTION, *LPCRITICAL_SECTION;

#define CTRL_C_EVENT 0
#define CTRL_BREAK_EVENT 1
#define CTRL_CLOSE_EVENT 2

#ifdef __cplusplus
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))
#else
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#endif

#define DDD_RAW_TARGET_PATH 0x00000001
#define DDD_REMOVE_DEFINITION 0x00000002

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define OPEN_EXISTING 3

#define IOCTL_SCSI_MINIPORT 0x0004D008

#define ERROR_INVALID_FUNCTION 1
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_TOO_MANY_OPEN_FILES 4
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_INVALID_PARAMETER 87
#define ERROR_SERVICE_NOT_ACTIVE 1062
#define ERROR_IO_DEVICE 1117

typedef struct _SRB_IO_CONTROL { /* NOLINT(bugprone-reserved-identifier): Windows' tag */
    ULONG HeaderLength;
    UCHAR Signature[8];
    ULONG Timeout;
    ULONG ControlCode;
    ULONG ReturnCode;
    ULONG Length;
} SRB_IO_CONTROL, *PSRB_IO_CONTROL;

#ifdef __cplusplus
extern "C" {
#endif
BOOL DefineDosDeviceA(DWORD dwFlags, LPCSTR lpDeviceName, LPCSTR lpTargetPath);
HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
BOOL DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                     LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned,
                     LPOVERLAPPED lpOverlapped);
DWORD GetLastError(void);
BOOL CloseHandle(HANDLE hObject);
BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE HandlerRoutine, BOOL Add);
void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
#ifdef __cplusplus
}
#endif

#endif

#endif
