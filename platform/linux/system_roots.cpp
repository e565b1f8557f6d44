#include "system_roots.h"

SystemRoots theSystemRoots = {"/sys", "/dev", "/proc"};
