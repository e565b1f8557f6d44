#pragma once

#include "cmd_ide_request.h"
#include "identify_command.h"

// Behind a handle: a controller opened for the tool, the sg node of each
// port that holds a device (-1 where none) and the identify that device
// answers.
struct OpenedDevice {
    int fd[CMD_IDE_PORT_COUNT];
    IdentifyCommand command[CMD_IDE_PORT_COUNT];
};
