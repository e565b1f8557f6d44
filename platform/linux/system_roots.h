#pragma once

#include "controller_open.h"

// /sys, /dev and /proc; the tests point them at trees of their own.
extern SystemRoots theSystemRoots;
