#include "sysfs_map.h"

#include "directory_entries.h"
#include "number_text.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kPathSize = PATH_MAX;
constexpr unsigned kPciVendorNone = 0;

// Formats a path; false where it would not fit, so a long name is never cut
// into another, existing one.
template <typename... Values>
bool Path(char (&path)[kPathSize], const char* format, Values... values)
{
    const int length = std::snprintf(path, sizeof path, format, values...);
    return length >= 0 && length < kPathSize;
}

// A sysfs attribute's first line: a regular file of at most 63 bytes.
bool ReadAttribute(const char* path, char (&text)[64])
{
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat status;
    ssize_t length = -1;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        length = read(fd, text, sizeof text - 1);
    }
    close(fd);
    if (length < 0) {
        return false;
    }
    text[length] = '\0';
    text[std::strcspn(text, "\n")] = '\0';
    return true;
}

bool ParseDecimal(const char* text, unsigned max, unsigned& value)
{
    return ParseNumber(text, text + std::strlen(text), 10, 0, max, value);
}

// "prefix" and a decimal number, as in host3, ata7, sg12.
bool ParseNumbered(const char* name, const char* prefix, unsigned& number)
{
    const std::size_t length = std::strlen(prefix);
    return std::strncmp(name, prefix, length) == 0 && ParseDecimal(name + length, 999999, number);
}

// The name of a PCI function in sysfs: dddd:bb:dd.f, the domain of 4 to 8
// hex digits.
bool ParsePciAddress(const char* name, const char* end, PciAddress& address)
{
    const char* colon = static_cast<const char*>(std::memchr(name, ':', static_cast<std::size_t>(end - name)));
    if (colon == nullptr || end - colon != 8 || colon[3] != ':' || colon[6] != '.') {
        return false;
    }
    return colon - name >= 4 && ParseNumber(name, colon, 16, static_cast<int>(colon - name), 0xFFFFFFFFu, address.domain) &&
           ParseNumber(colon + 1, colon + 3, 16, 2, 0xFF, address.bus) &&
           ParseNumber(colon + 4, colon + 6, 16, 2, 0x1F, address.device) &&
           ParseNumber(colon + 7, colon + 8, 16, 1, 7, address.function);
}

bool SameAddress(const PciAddress& a, const PciAddress& b)
{
    return a.domain == b.domain && a.bus == b.bus && a.device == b.device && a.function == b.function;
}

bool Before(const PciAddress& a, const PciAddress& b)
{
    if (a.domain != b.domain) {
        return a.domain < b.domain;
    }
    if (a.bus != b.bus) {
        return a.bus < b.bus;
    }
    if (a.device != b.device) {
        return a.device < b.device;
    }
    return a.function < b.function;
}

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
bool PlaceHost(const char* path, const char* devices, unsigned number, ScsiHost& host)
{
    const std::size_t devicesLength = std::strlen(devices);
    if (std::strncmp(path, devices, devicesLength) != 0 || path[devicesLength] != '/') {
        return false;
    }
    host.number = number;
    host.path = path;
    host.pciLength = -1;
    host.ata = false;
    const char* previous = nullptr;
    const char* component = path + devicesLength + 1;
    for (;;) {
        const char* end = std::strchr(component, '/');
        if (end == nullptr) {
            end = component + std::strlen(component);
        }
        PciAddress address;
        if (ParsePciAddress(component, end, address)) {
            host.pci = address;
            host.pciLength = static_cast<int>(end - path);
        }
        if (*end == '\0') {
            break;
        }
        previous = component;
        component = end + 1;
    }
    unsigned last = 0;
    if (host.pciLength < 0 || !ParseNumbered(component, "host", last) || last != number) {
        return false;
    }
    // libata's hosts are children of their ataN port.
    if (previous != nullptr && previous - path > host.pciLength) {
        char parent[32];
        const std::size_t length = static_cast<std::size_t>(component - 1 - previous);
        if (length < sizeof parent) {
            std::memcpy(parent, previous, length);
            parent[length] = '\0';
            host.ata = ParseNumbered(parent, "ata", host.ataId);
        }
    }
    return true;
}

// Calls visit(host) for every SCSI host of ROOT that sits under a PCI function.
template <typename Visit>
void ForEachScsiHost(const char* root, Visit visit)
{
    char path[kPathSize];
    char devices[kPathSize];
    char resolved[kPathSize];
    DirectoryEntries entries;
    if (!Path(path, "%s/devices", root) || realpath(path, devices) == nullptr || !Path(path, "%s/class/scsi_host", root) ||
        !OpenDirectoryEntries(entries, path)) {
        return;
    }
    while (const char* name = NextDirectoryEntry(entries)) {
        unsigned number = 0;
        ScsiHost host;
        if (ParseNumbered(name, "host", number) && Path(path, "%s/class/scsi_host/%s/device", root, name) &&
            realpath(path, resolved) != nullptr && PlaceHost(resolved, devices, number, host)) {
            visit(host);
        }
    }
    CloseDirectoryEntries(entries);
}

unsigned ReadPciId(const ScsiHost& host, const char* attribute)
{
    char path[kPathSize];
    char text[64];
    unsigned value = kPciVendorNone;
    if (Path(path, "%.*s/%s", host.pciLength, host.path, attribute) && ReadAttribute(path, text) &&
        std::strncmp(text, "0x", 2) == 0 && ParseNumber(text + 2, text + std::strlen(text), 16, 4, 0xFFFF, value)) {
        return value;
    }
    return kPciVendorNone;
}

// The ATA port's port_no, counting from 1 within its controller; 0 if unknown.
unsigned AtaPortNumber(const ScsiHost& host)
{
    char path[kPathSize];
    char text[64];
    unsigned number = 0;
    if (Path(path, "%.*s/ata%u/ata_port/ata%u/port_no", host.pciLength, host.path, host.ataId, host.ataId) &&
        ReadAttribute(path, text) && ParseDecimal(text, 999, number)) {
        return number;
    }
    return 0;
}

// Whether the ATA port can hold a slave: libata then makes its link's
// second device.
bool AtaPortTakesSlave(const ScsiHost& host)
{
    char path[kPathSize];
    struct stat status;
    return Path(path, "%.*s/ata%u/link%u/dev%u.1", host.pciLength, host.path, host.ataId, host.ataId,
                host.ataId) &&
           stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

// The sg node and type of the SCSI device in DIRECTORY.
bool ReadPortDevice(const char* directory, PortDevice& device)
{
    char path[kPathSize];
    char text[64];
    DirectoryEntries entries;
    if (!Path(path, "%s/type", directory) || !ReadAttribute(path, text) || !ParseDecimal(text, 31, device.scsiType) ||
        !Path(path, "%s/scsi_generic", directory) || !OpenDirectoryEntries(entries, path)) {
        return false;
    }
    bool found = false;
    while (const char* name = NextDirectoryEntry(entries)) {
        unsigned number = 0;
        if (ParseNumbered(name, "sg", number)) {
            std::snprintf(device.sgName, sizeof device.sgName, "sg%u", number);
            found = true;
            break;
        }
    }
    CloseDirectoryEntries(entries);
    if (!found || !Path(path, "%s/scsi_generic/%s/dev", directory, device.sgName) || !ReadAttribute(path, text)) {
        return false;
    }
    char* colon = std::strchr(text, ':');
    if (colon == nullptr) {
        return false;
    }
    *colon = '\0';
    return ParseDecimal(text, 0xFFF, device.major) && ParseDecimal(colon + 1, 0xFFFFF, device.minor);
}

}  // namespace

int ListControllers(const char* root, Controller (&controllers)[kMaxControllers])
{
    int count = 0;
    ForEachScsiHost(root, [&](const ScsiHost& host) {
        int at = 0;
        while (at < count && Before(controllers[at].address, host.pci)) {
            ++at;
        }
        if ((at < count && SameAddress(controllers[at].address, host.pci)) || count == kMaxControllers) {
            return;
        }
        std::memmove(&controllers[at + 1], &controllers[at], sizeof(Controller) * static_cast<unsigned>(count - at));
        controllers[at] = Controller{host.pci, ReadPciId(host, "vendor"), ReadPciId(host, "device")};
        ++count;
    });
    return count;
}

bool FindPortDevice(const char* root, const PciAddress& address, int port, PortDevice& device)
{
    if (port < 0 || port > 15) {
        return false;
    }
    bool ata = false;
    bool masterSlave = false;
    ForEachScsiHost(root, [&](const ScsiHost& host) {
        if (SameAddress(host.pci, address) && host.ata) {
            ata = true;
            masterSlave = masterSlave || AtaPortTakesSlave(host);
        }
    });
    const unsigned channel = static_cast<unsigned>(masterSlave ? port / 2 : port);
    const unsigned target = static_cast<unsigned>(masterSlave ? port % 2 : ata ? 0 : port);

    // The port's host; the lowest numbered where sysfs offers more than one.
    bool found = false;
    unsigned number = 0;
    ForEachScsiHost(root, [&](const ScsiHost& host) {
        if (!SameAddress(host.pci, address) || host.ata != ata || (found && host.number > number) ||
            (ata && AtaPortNumber(host) != channel + 1)) {
            return;
        }
        char candidate[kPathSize];
        PortDevice candidateDevice;
        if (Path(candidate, "%s/target%u:0:%u/%u:0:%u:0", host.path, host.number, target, host.number, target) &&
            ReadPortDevice(candidate, candidateDevice)) {
            found = true;
            number = host.number;
            device = candidateDevice;
        }
    });
    return found;
}
