#include "sysfs_map.h"

#include "attribute_file.h"
#include "directory_entries.h"
#include "number_text.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kPathSize = PATH_MAX;
constexpr unsigned kPciVendorNone = 0;
constexpr unsigned kPciClassMassStorage = 0x01;

// Formats a path; false where it would not fit, so a long name is never cut
// into another, existing one.
template <typename... Values>
bool Path(char (&path)[kPathSize], const char* format, Values... values)
{
    const int length = std::snprintf(path, sizeof path, format, values...);
    return length >= 0 && length < kPathSize;
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

// A PCI function's directory: the first `length` characters of `path`.
struct FunctionDirectory {
    const char* path;
    int length;
};

FunctionDirectory HostFunction(const ScsiHost& host)
{
    return FunctionDirectory{host.path, host.pciLength};
}

// A hexadecimal attribute of a PCI function, "0x" and DIGITS digits.
bool ReadPciAttribute(const FunctionDirectory& function, const char* attribute, int digits, unsigned& value)
{
    char path[kPathSize];
    char text[64];
    return Path(path, "%.*s/%s", function.length, function.path, attribute) && ReadAttribute(path, text) &&
           std::strncmp(text, "0x", 2) == 0 &&
           ParseNumber(text + 2, text + std::strlen(text), 16, digits, 0xFFFFFF, value);
}

// Whether a PCI function is a mass storage controller: a USB host
// controller's usb-storage disks, say, never count.
bool IsStorageController(const FunctionDirectory& function)
{
    unsigned pciClass = 0;
    return ReadPciAttribute(function, "class", 6, pciClass) && pciClass >> 16 == kPciClassMassStorage;
}

// Calls visit(host) for every SCSI host of ROOT that sits under a PCI
// function of a storage controller.
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
            realpath(path, resolved) != nullptr && PlaceHost(resolved, devices, number, host) &&
            IsStorageController(HostFunction(host))) {
            visit(host);
        }
    }
    CloseDirectoryEntries(entries);
}

unsigned ReadPciId(const FunctionDirectory& function, const char* attribute)
{
    unsigned value = kPciVendorNone;
    return ReadPciAttribute(function, attribute, 4, value) ? value : kPciVendorNone;
}

// The name of the driver a PCI function's `driver` link names; "" where
// there is none, or one too long to keep.
void ReadDriver(const FunctionDirectory& function, char (&driver)[64])
{
    char path[kPathSize];
    char target[kPathSize];
    driver[0] = '\0';
    if (!Path(path, "%.*s/driver", function.length, function.path)) {
        return;
    }
    const ssize_t length = readlink(path, target, sizeof target - 1);
    if (length <= 0) {
        return;
    }
    target[length] = '\0';
    const char* slash = std::strrchr(target, '/');
    const char* name = slash == nullptr ? target : slash + 1;
    if (std::strlen(name) < sizeof driver) {
        std::memcpy(driver, name, std::strlen(name) + 1);
    }
}

// Puts the function at `address` into `controllers`, which hold `count` in
// PCI address order, each once; past `capacity` the highest gives way.
void KeepInOrder(Controller* controllers, int capacity, int& count, const PciAddress& address,
                 const FunctionDirectory& function)
{
    int at = 0;
    while (at < count && Before(controllers[at].address, address)) {
        ++at;
    }
    if ((at < count && SameAddress(controllers[at].address, address)) || at == capacity) {
        return;
    }
    if (count == capacity) {
        --count;
    }
    std::memmove(&controllers[at + 1], &controllers[at], sizeof(Controller) * static_cast<unsigned>(count - at));
    Controller& controller = controllers[at];
    controller.address = address;
    controller.vendor = ReadPciId(function, "vendor");
    controller.deviceId = ReadPciId(function, "device");
    ReadDriver(function, controller.driver);
    ++count;
}

bool HasScsiHost(const char* root, const PciAddress& address)
{
    bool found = false;
    ForEachScsiHost(root, [&](const ScsiHost& host) { found = found || SameAddress(host.pci, address); });
    return found;
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

// The command libata's class of the host's device DEVNO calls for: an ATA
// device, zoned (zac) or not, or an ATAPI device of any SCSI type (CD/DVD,
// ZIP, tape, ...). Port multipliers and enclosure bridges are never asked.
bool AtaCommand(const ScsiHost& host, unsigned devno, IdentifyCommand& command)
{
    char path[kPathSize];
    char text[64];
    if (!Path(path, "%.*s/ata%u/link%u/dev%u.%u/ata_device/dev%u.%u/class", host.pciLength, host.path, host.ataId,
              host.ataId, host.ataId, devno, host.ataId, devno) ||
        !ReadAttribute(path, text)) {
        return false;
    }
    command = std::strcmp(text, "atapi") == 0 ? IDENTIFY_PACKET_DEVICE : IDENTIFY_DEVICE;
    return command == IDENTIFY_PACKET_DEVICE || std::strcmp(text, "ata") == 0 || std::strcmp(text, "zac") == 0;
}

// The command a SCSI peripheral type calls for: disks, optical memory and
// RBC devices may be ATA behind a translating layer, a CD/DVD drive ATAPI.
// Enclosures, changers, array controllers and the like are never asked.
// The peripheral device type of the SCSI device in DIRECTORY.
bool ReadScsiType(const char* directory, unsigned& type)
{
    char path[kPathSize];
    char text[64];
    return Path(path, "%s/type", directory) && ReadAttribute(path, text) && ParseDecimal(text, 31, type);
}

bool ScsiTypeCommand(const char* directory, IdentifyCommand& command)
{
    constexpr unsigned kDisk = 0x00;
    constexpr unsigned kCdDvd = 0x05;
    constexpr unsigned kOptical = 0x07;
    constexpr unsigned kReducedBlockCommands = 0x0E;
    unsigned type = 0;
    if (!ReadScsiType(directory, type)) {
        return false;
    }
    command = type == kCdDvd ? IDENTIFY_PACKET_DEVICE : IDENTIFY_DEVICE;
    return type == kDisk || type == kCdDvd || type == kOptical || type == kReducedBlockCommands;
}

// A type's name as the kernel shows it in /proc/scsi/scsi, without its padding.
const char* ScsiTypeName(unsigned type)
{
    static const char* const names[] = {"Direct-Access",     "Sequential-Access", "Printer",
                                        "Processor",         "WORM",              "CD-ROM",
                                        "Scanner",           "Optical Device",    "Medium Changer",
                                        "Communications",    "ASC IT8",           "ASC IT8",
                                        "RAID",              "Enclosure",         "Direct-Access-RBC",
                                        "Optical card",      "Bridge controller", "Object storage",
                                        "Automation/Drive",  "Security Manager",  "Direct-Access-ZBC"};
    if (type == 0x1E) {
        return "Well-known LUN";
    }
    if (type == 0x1F) {
        return "No Device";
    }
    return type < sizeof names / sizeof names[0] ? names[type] : "Unknown";
}

// An INQUIRY string attribute of the SCSI device in DIRECTORY, without the
// blanks the kernel keeps from its fixed-width field; "" where unreadable.
void ReadInquiryText(const char* directory, const char* attribute, char (&text)[64])
{
    char path[kPathSize];
    if (!Path(path, "%s/%s", directory, attribute) || !ReadAttribute(path, text)) {
        text[0] = '\0';
    }
    for (std::size_t length = std::strlen(text); length > 0 && text[length - 1] == ' '; --length) {
        text[length - 1] = '\0';
    }
}

// The sg node of the SCSI device in DIRECTORY: a number of the sg major.
bool ReadScsiGeneric(const char* directory, PortDevice& device)
{
    char path[kPathSize];
    char text[64];
    DirectoryEntries entries;
    if (!Path(path, "%s/scsi_generic", directory) || !OpenDirectoryEntries(entries, path)) {
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
    unsigned major = 0;
    return ParseDecimal(text, 0xFFF, major) && major == kScsiGenericMajor &&
           ParseDecimal(colon + 1, 0xFFFFF, device.minor);
}

// The SCSI device at channel 0, TARGET, lun 0 of the host, at whatever depth
// below the host the SCSI layer put it (SAS ports, end devices, expanders).
bool ReadPortDevice(const char* root, const ScsiHost& host, unsigned target, PortDevice& device)
{
    char path[kPathSize];
    char directory[kPathSize];
    const std::size_t hostLength = std::strlen(host.path);
    if (!Path(path, "%s/bus/scsi/devices/%u:0:%u:0", root, host.number, target) ||
        realpath(path, directory) == nullptr || std::strncmp(directory, host.path, hostLength) != 0 ||
        directory[hostLength] != '/') {
        return false;
    }
    device.scsi = ScsiAddress{host.number, 0, target, 0};
    const bool asked = host.ata ? AtaCommand(host, target, device.command) : ScsiTypeCommand(directory, device.command);
    return asked && ReadScsiGeneric(directory, device);
}

}  // namespace

int ListControllers(const char* root, Controller (&controllers)[kMaxControllers])
{
    int count = 0;
    ForEachScsiHost(root, [&](const ScsiHost& host) {
        KeepInOrder(controllers, kMaxControllers, count, host.pci, HostFunction(host));
    });
    return count;
}

int ListHostlessControllers(const char* root, Controller* controllers, int capacity)
{
    char path[kPathSize];
    DirectoryEntries entries;
    int count = 0;
    if (!Path(path, "%s/bus/pci/devices", root) || !OpenDirectoryEntries(entries, path)) {
        return 0;
    }
    while (const char* name = NextDirectoryEntry(entries)) {
        PciAddress address;
        if (ParsePciAddress(name, name + std::strlen(name), address) &&
            Path(path, "%s/bus/pci/devices/%s", root, name)) {
            const FunctionDirectory function{path, static_cast<int>(std::strlen(path))};
            if (IsStorageController(function) && !HasScsiHost(root, address)) {
                KeepInOrder(controllers, capacity, count, address, function);
            }
        }
    }
    CloseDirectoryEntries(entries);
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
        PortDevice candidateDevice;
        if (ReadPortDevice(root, host, target, candidateDevice)) {
            found = true;
            number = host.number;
            device = candidateDevice;
        }
    });
    return found;
}

bool DescribePortDevice(const char* root, const PortDevice& device, PortDescription& description)
{
    char directory[kPathSize];
    const ScsiAddress& at = device.scsi;
    unsigned type = 0;
    if (!Path(directory, "%s/bus/scsi/devices/%u:%u:%u:%u", root, at.host, at.channel, at.target, at.lun) ||
        !ReadScsiType(directory, type)) {
        return false;
    }
    std::snprintf(description.type, sizeof description.type, "%s", ScsiTypeName(type));
    ReadInquiryText(directory, "vendor", description.vendor);
    ReadInquiryText(directory, "model", description.model);
    return true;
}

bool ScsiGenericPresent(const char* root)
{
    char path[kPathSize];
    struct stat status;
    return Path(path, "%s/class/scsi_generic", root) && stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}
