#pragma once

#include "controller_open.h"

// /sys and /dev; the tests point them at captured trees.
extern SystemRoots theSystemRoots;
