#pragma once

// The names in a directory, read through getdents64 into a fixed buffer: no
// heap, unlike opendir.
struct DirectoryEntries {
    int fd;
    int filled;
    int next;
    alignas(8) char buffer[4096];
};

// False when `path` is no directory that can be read.
bool OpenDirectoryEntries(DirectoryEntries& entries, const char* path);
// The next name other than "." and "..", or nullptr at the end (or on an error).
const char* NextDirectoryEntry(DirectoryEntries& entries);
void CloseDirectoryEntries(DirectoryEntries& entries);
