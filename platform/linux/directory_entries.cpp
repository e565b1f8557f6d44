#include "directory_entries.h"

#include <cstring>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// struct linux_dirent64: u64 inode, s64 offset, u16 record length, u8 type,
// then the name.
constexpr int kRecordLengthAt = 16;
constexpr int kNameAt = 19;

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
        std::memcpy(&length, record + kRecordLengthAt, sizeof length);
        if (length == 0 || length > entries.filled - entries.next) {
            return nullptr;
        }
        entries.next += length;
        const char* name = record + kNameAt;
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
