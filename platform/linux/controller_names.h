#pragma once

#include "kernel32.h"
#include "sysfs_scan.h"

// The model number a PCI device id shows: its hex digits read as decimal,
// as SiliconImage names its controllers (0x3112 is the 3112); -1 where one
// is a letter.
int ModelNumber(unsigned deviceId);

// Which of `controllers` a device name (what follows \\.\) or, where the
// name is defined, its target names, in `chosen`: ScsiN: the N-th controller,
// \Device\Scsi\SI<m>1 the first SiliconImage controller of model m or served
// as m (m=3112 also takes a 3512). Returns 0 or the Windows error: 2 no such
// controller, 3 no SiliconImage controller at all.
DWORD FindNamedController(const Controller* controllers, int count, const char* name, const char* target, int& chosen);
