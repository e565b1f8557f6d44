#pragma once

#include <climits>
#include <cstdio>

constexpr int kPathSize = PATH_MAX;

// Formats a path; false where it would not fit, so a long name is never cut
// into another, existing one.
template <typename... Values>
bool FormatPath(char (&path)[kPathSize], const char* format, Values... values)
{
    const int length = std::snprintf(path, sizeof path, format, values...);
    return length >= 0 && length < kPathSize;
}

// A kernel attribute's first line (sysfs, procfs), without its newline: a
// regular file, not reached through a final link, of at most 63 bytes.
bool ReadAttribute(const char* path, char (&text)[64]);
