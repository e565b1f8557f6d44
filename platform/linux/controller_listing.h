#pragma once

#include "controller_list.h"

// The controllers as the sysfs tree at `sys` shows them.
bool ListControllersUnder(const char* sys, ControllerList& list);
