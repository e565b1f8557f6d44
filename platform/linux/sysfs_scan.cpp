#include "sysfs_scan.h"

#include "scsi_device_files.h"
#include "sysfs_hosts.h"

#include <cstring>
#include <sys/stat.h>

namespace {

// Master and slave.
constexpr int kAtaDevices = 2;
// Functions with SCSI hosts that one scan remembers, storage or not, so
// that it reads each one's class once and never lists one as hostless.
constexpr int kMaxHostedFunctions = 256;

// The SCSI device at channel 0, TARGET, lun 0 of the host, at whatever depth
// below the host the SCSI layer put it (SAS ports, end devices, expanders),
// if it is one that is asked.
bool ReadPortDevice(const char* root, const ScsiHost& host, unsigned target, PortDevice& device)
{
    char path[kPathSize];
    char directory[kPathSize];
    const std::size_t hostLength = std::strlen(host.path);
    if (!FormatPath(path, "%s/bus/scsi/devices/%u:0:%u:0", root, host.number, target) ||
        realpath(path, directory) == nullptr || std::strncmp(directory, host.path, hostLength) != 0 ||
        directory[hostLength] != '/') {
        return false;
    }
    device = PortDevice{};
    device.scsi = ScsiAddress{host.number, 0, target, 0};
    if (host.ata) {
        if (!AtaCommand(host, target, device.command)) {
            return false;
        }
        device.typeKnown = ReadScsiType(directory, device.type);
    } else {
        device.typeKnown = ReadScsiType(directory, device.type);
        if (!device.typeKnown || !ScsiTypeCommand(device.type, device.command)) {
            return false;
        }
    }
    device.found = ReadScsiGeneric(directory, device.sgName, device.minor);
    return device.found;
}

// A controller while the scan runs: for each place a port may be, the
// device of the lowest numbered host that offers one there. Which places
// are its ports is known only once all its hosts are seen.
struct FoundController {
    PciFunction function;
    bool ata;          // one of its hosts is libata's
    bool masterSlave;  // one of its ATA ports takes a slave
    PortDevice ataDevices[CMD_IDE_PORT_COUNT][kAtaDevices];  // by port_no - 1 and device
    PortDevice scsiTargets[CMD_IDE_PORT_COUNT];             // by target
};

// A PCI function with a SCSI host, and whether it is a storage controller.
struct HostedFunction {
    PciAddress address;
    bool storage;
};

// What one scan has found so far.
struct Scanning {
    const char* root;
    FoundController found[kMaxControllers];
    int foundCount;
    HostedFunction hosted[kMaxHostedFunctions];
    int hostedCount;
};

PciFunction& FunctionOf(FoundController& controller)
{
    return controller.function;
}

PciFunction& FunctionOf(PciFunction& function)
{
    return function;
}

// Puts the function at `address` into `entries`, which hold `count` in PCI
// address order, each once, reading what it is; past `capacity` the highest
// gives way. Returns its entry, or nullptr where it gave way.
template <typename Entry>
Entry* KeepInOrder(Entry* entries, int capacity, int& count, const PciAddress& address,
                   const FunctionDirectory& directory)
{
    int at = 0;
    while (at < count && Before(FunctionOf(entries[at]).address, address)) {
        ++at;
    }
    if (at < count && SameAddress(FunctionOf(entries[at]).address, address)) {
        return &entries[at];
    }
    if (at == capacity) {
        return nullptr;
    }
    if (count == capacity) {
        --count;
    }
    std::memmove(&entries[at + 1], &entries[at], sizeof(Entry) * static_cast<unsigned>(count - at));
    entries[at] = Entry{};
    ReadPciFunction(directory, address, FunctionOf(entries[at]));
    ++count;
    return &entries[at];
}

const HostedFunction* FindHosted(const Scanning& scanning, const PciAddress& address)
{
    for (int i = 0; i < scanning.hostedCount; ++i) {
        if (SameAddress(scanning.hosted[i].address, address)) {
            return &scanning.hosted[i];
        }
    }
    return nullptr;
}

// The controller a host belongs to, or nullptr where its function is no
// storage controller or gave way to lower ones.
FoundController* HostController(Scanning& scanning, const ScsiHost& host)
{
    if (const HostedFunction* hosted = FindHosted(scanning, host.pci)) {
        if (!hosted->storage) {
            return nullptr;
        }
        for (int i = 0; i < scanning.foundCount; ++i) {
            if (SameAddress(scanning.found[i].function.address, host.pci)) {
                return &scanning.found[i];
            }
        }
        return nullptr;
    }
    const FunctionDirectory directory = HostFunction(host);
    const bool storage = IsStorageController(directory);
    if (scanning.hostedCount < kMaxHostedFunctions) {
        scanning.hosted[scanning.hostedCount++] = HostedFunction{host.pci, storage};
    }
    return storage ? KeepInOrder(scanning.found, kMaxControllers, scanning.foundCount, host.pci, directory) : nullptr;
}

// Keeps the host's device at TARGET in `kept` unless a lower numbered host's
// is there.
void Offer(const char* root, const ScsiHost& host, unsigned target, PortDevice& kept)
{
    PortDevice device;
    if ((!kept.found || host.number < kept.scsi.host) && ReadPortDevice(root, host, target, device)) {
        kept = device;
    }
}

void AddHost(Scanning& scanning, const ScsiHost& host)
{
    FoundController* controller = HostController(scanning, host);
    if (controller == nullptr) {
        return;
    }
    if (!host.ata) {
        for (unsigned target = 0; target < CMD_IDE_PORT_COUNT; ++target) {
            Offer(scanning.root, host, target, controller->scsiTargets[target]);
        }
        return;
    }
    controller->ata = true;
    const bool slave = AtaPortTakesSlave(host);
    controller->masterSlave = controller->masterSlave || slave;
    const unsigned portNumber = AtaPortNumber(host);
    if (portNumber < 1 || portNumber > CMD_IDE_PORT_COUNT) {
        return;
    }
    for (unsigned devno = 0; devno < (slave ? 2u : 1u); ++devno) {
        Offer(scanning.root, host, devno, controller->ataDevices[portNumber - 1][devno]);
    }
}

// The controller's ports, now that all its hosts are seen, with what
// sysfs says of each port's device.
void Finish(const char* root, const FoundController& found, Controller& controller)
{
    controller.function = found.function;
    for (int port = 0; port < CMD_IDE_PORT_COUNT; ++port) {
        Port& chosen = controller.ports[port];
        chosen = Port{};
        chosen.device = found.masterSlave ? found.ataDevices[port / 2][port % 2]
                        : found.ata       ? found.ataDevices[port][0]
                                          : found.scsiTargets[port];
        const ScsiAddress& at = chosen.device.scsi;
        char directory[kPathSize];
        if (chosen.device.found && chosen.device.typeKnown &&
            FormatPath(directory, "%s/bus/scsi/devices/%u:%u:%u:%u", root, at.host, at.channel, at.target, at.lun)) {
            ReadInquiryText(directory, "vendor", chosen.vendor);
            ReadInquiryText(directory, "model", chosen.model);
        }
    }
}

// The storage functions of ROOT/bus/pci/devices that have no SCSI host.
void AddHostless(const Scanning& scanning, SysfsScan& scan)
{
    char path[kPathSize];
    DirectoryEntries entries;
    scan.hostlessCount = 0;
    if (!FormatPath(path, "%s/bus/pci/devices", scanning.root) || !OpenDirectoryEntries(entries, path)) {
        return;
    }
    while (const char* name = NextDirectoryEntry(entries)) {
        PciAddress address;
        if (ParsePciAddress(name, name + std::strlen(name), address) && FindHosted(scanning, address) == nullptr &&
            FormatPath(path, "%s/bus/pci/devices/%s", scanning.root, name)) {
            const FunctionDirectory directory{path, static_cast<int>(std::strlen(path))};
            if (IsStorageController(directory)) {
                KeepInOrder(scan.hostless, kMaxHostlessControllers, scan.hostlessCount, address, directory);
            }
        }
    }
    CloseDirectoryEntries(entries);
}

bool ScsiGenericPresent(const char* root)
{
    char path[kPathSize];
    struct stat status;
    return FormatPath(path, "%s/class/scsi_generic", root) && stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

void ScanSysfs(const char* root, SysfsScan& scan)
{
    Scanning scanning;
    scanning.root = root;
    scanning.foundCount = 0;
    scanning.hostedCount = 0;
    ForEachScsiHost(root, [&](const ScsiHost& host) { AddHost(scanning, host); });
    scan.count = scanning.foundCount;
    for (int i = 0; i < scan.count; ++i) {
        Finish(root, scanning.found[i], scan.controllers[i]);
    }
    AddHostless(scanning, scan);
    scan.scsiGeneric = ScsiGenericPresent(root);
}
