#pragma once

#include <string>

// The root of the sysfs tree NAME, made on first use in a temporary folder
// and removed at exit; sysfs_tree.cpp says what each holds (an unknown name:
// an empty tree). Its proc/self/uid_map is the initial user namespace's.
std::string Fixture(const char* name);
