#include "directory_entries.h"

#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The kernel's record; glibc 2.36 has no getdents64 wrapper for all targets.
struct LinuxDirent64 {
    unsigned long long inode;
    long long offset;
    unsigned short length;
    unsigned char type;
    char name[1];
};

}  // namespace

bool OpenDirectoryEntries(DirectoryEntries& entries, const char* path)
{
    entries.fd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    entries.filled = 0;
    entries.next = 0;
    return entries.fd >= 0;
}

const char* NextDirectoryEntry(DirectoryEntries& entries)
{
    for (;;) {
        if (entries.next >= entries.filled) {
            const long read = syscall(SYS_getdents64, entries.fd, entries.buffer, sizeof entries.buffer);
            if (read <= 0) {
                return nullptr;
            }
            entries.filled = static_cast<int>(read);
            entries.next = 0;
        }
        const char* record = entries.buffer + entries.next;
        unsigned short length;
        std::memcpy(&length, record + offsetof(LinuxDirent64, length), sizeof length);
        if (length == 0 || length > entries.filled - entries.next) {
            return nullptr;
        }
        entries.next += length;
        const char* name = record + offsetof(LinuxDirent64, name);
        if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) {
            return name;
        }
    }
}

void CloseDirectoryEntries(DirectoryEntries& entries)
{
    if (entries.fd >= 0) {
        close(entries.fd);
        entries.fd = -1;
    }
}
