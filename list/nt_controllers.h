// How a Windows system shows the controllers portdump reaches: a SCSI port by
// its DOS device name, a SiliconImage driver by its device object in
// \Device\Scsi. The Windows platform and the emulated one, which shows its
// machine as Windows would, both list them through these.
#pragma once

#include "controller_list.h"

// SCSI port `port` (0 to 31), the device its DOS name names, and its
// driver's service name ("" where unknown).
void AddScsiPort(ControllerList& list, int port, const char* device, const char* driver);

// An object of \Device\Scsi, by its name there; left out unless portdump
// reaches it, under the number that does.
void AddSiliconImageObject(ControllerList& list, const char* name);
