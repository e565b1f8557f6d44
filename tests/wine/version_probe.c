/* Prints what Windows reads of an exe's version resource and manifest:
 *   version_probe PROGRAM.exe */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

static void PrintString(void* info, const char* name)
{
    char query[96];
    char* value = NULL;
    UINT length = 0;
    snprintf(query, sizeof query, "\\StringFileInfo\\040904B0\\%s", name);
    if (VerQueryValueA(info, query, (void**)&value, &length) && length > 0) {
        printf("%s=%s\n", name, value);
    } else {
        printf("%s missing\n", name);
    }
}

int main(int argc, char* argv[])
{
    static const char* const names[] = {"ProductName", "FileDescription", "FileVersion", "ProductVersion",
                                        "LegalCopyright", "OriginalFilename"};
    DWORD size;
    void* info;
    VS_FIXEDFILEINFO* fixed = NULL;
    UINT length = 0;
    HMODULE module;
    HRSRC manifest;
    size_t i;

    if (argc != 2) {
        printf("usage: version_probe PROGRAM.exe\n");
        return 2;
    }
    size = GetFileVersionInfoSizeA(argv[1], NULL);
    info = size ? malloc(size) : NULL;
    if (info == NULL || !GetFileVersionInfoA(argv[1], 0, size, info)) {
        printf("no version resource: %lu\n", GetLastError());
        return 1;
    }
    if (VerQueryValueA(info, "\\", (void**)&fixed, &length) && length >= sizeof *fixed) {
        printf("Fixed=%u.%u.%u.%u\n", (unsigned)HIWORD(fixed->dwFileVersionMS),
               (unsigned)LOWORD(fixed->dwFileVersionMS), (unsigned)HIWORD(fixed->dwFileVersionLS),
               (unsigned)LOWORD(fixed->dwFileVersionLS));
    }
    for (i = 0; i < sizeof names / sizeof names[0]; ++i) {
        PrintString(info, names[i]);
    }
    free(info);

    module = LoadLibraryExA(argv[1], NULL, LOAD_LIBRARY_AS_DATAFILE);
    manifest = module ? FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) : NULL;
    if (manifest == NULL) {
        printf("no manifest\n");
        return 1;
    }
    fwrite(LockResource(LoadResource(module, manifest)), 1, SizeofResource(module, manifest), stdout);
    return 0;
}
