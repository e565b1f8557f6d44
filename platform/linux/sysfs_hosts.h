#pragma once

#include "attribute_file.h"
#include "directory_entries.h"
#include "number_text.h"
#include "sysfs_scan.h"

#include <cstdlib>

// Where SCSI hosts sit in sysfs: the PCI function above each, and for
// libata's hosts their ATA port.

// The name of a PCI function in sysfs: dddd:bb:dd.f, the domain of 4 to 8
// hex digits.
bool ParsePciAddress(const char* name, const char* end, PciAddress& address);
bool SameAddress(const PciAddress& a, const PciAddress& b);
// PCI address order.
bool Before(const PciAddress& a, const PciAddress& b);

// A SCSI host and where it sits: `path` is its device directory, the PCI
// function's directory is its first `pciLength` characters.
struct ScsiHost {
    unsigned number;
    PciAddress pci;
    const char* path;
    int pciLength;
    bool ata;
    unsigned ataId;  // N of its ataN parent
};

// Works out where a host sits from its resolved device directory, which must
// lie under DEVICES (the resolved ROOT/devices) and end in hostN.
bool PlaceHost(const char* path, const char* devices, unsigned number, ScsiHost& host);

// A PCI function's directory: the first `length` characters of `path`.
struct FunctionDirectory {
    const char* path;
    int length;
};

FunctionDirectory HostFunction(const ScsiHost& host);

// Whether a PCI function is a mass storage controller: a USB host
// controller's usb-storage disks, say, never count.
bool IsStorageController(const FunctionDirectory& function);

// The function's vendor, device id and driver.
void ReadPciFunction(const FunctionDirectory& directory, const PciAddress& address, PciFunction& function);

// The ATA port's port_no, counting from 1 within its controller; 0 if unknown.
unsigned AtaPortNumber(const ScsiHost& host);

// Whether the ATA port can hold a slave: libata then makes its link's
// second device.
bool AtaPortTakesSlave(const ScsiHost& host);

// The command libata's class of the host's device DEVNO calls for: an ATA
// device, zoned (zac) or not, or an ATAPI device of any SCSI type (CD/DVD,
// ZIP, tape, ...). Port multipliers and enclosure bridges are never asked.
bool AtaCommand(const ScsiHost& host, unsigned devno, IdentifyCommand& command);

// Calls visit(host) for every SCSI host of ROOT that sits under a PCI
// function: one pass over ROOT/class/scsi_host.
template <typename Visit>
void ForEachScsiHost(const char* root, Visit visit)
{
    char path[kPathSize];
    char devices[kPathSize];
    char resolved[kPathSize];
    DirectoryEntries entries;
    if (!FormatPath(path, "%s/devices", root) || realpath(path, devices) == nullptr ||
        !FormatPath(path, "%s/class/scsi_host", root) || !OpenDirectoryEntries(entries, path)) {
        return;
    }
    while (const char* name = NextDirectoryEntry(entries)) {
        unsigned number = 0;
        ScsiHost host;
        if (ParseNumbered(name, "host", number) && FormatPath(path, "%s/class/scsi_host/%s/device", root, name) &&
            realpath(path, resolved) != nullptr && PlaceHost(resolved, devices, number, host)) {
            visit(host);
        }
    }
    CloseDirectoryEntries(entries);
}
