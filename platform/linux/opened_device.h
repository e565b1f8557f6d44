#pragma once

#include "controller_open.h"

// Behind a handle: a controller, with the sg node of each port.
using OpenedDevice = OpenedController;
