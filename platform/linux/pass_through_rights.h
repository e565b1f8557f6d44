#pragma once

// Whether the process may send ATA PASS-THROUGH: CAP_SYS_RAWIO in the
// initial user namespace, as IOCTL_SCSI_MINIPORT needs an elevated process
// on Windows. PROC is where the system shows the process (/proc).
bool MayPassThrough(const char* proc);
