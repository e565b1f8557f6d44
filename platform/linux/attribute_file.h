#pragma once

// A kernel attribute's first line (sysfs, procfs), without its newline: a
// regular file, not reached through a final link, of at most 63 bytes.
bool ReadAttribute(const char* path, char (&text)[64]);
