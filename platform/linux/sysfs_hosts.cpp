#include "sysfs_hosts.h"

#include "attribute_file.h"
#include "number_text.h"

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr unsigned kPciVendorNone = 0;
constexpr unsigned kPciClassMassStorage = 0x01;

// A hexadecimal attribute of a PCI function, "0x" and DIGITS digits.
bool ReadPciAttribute(const FunctionDirectory& function, const char* attribute, int digits, unsigned& value)
{
    char path[kPathSize];
    char text[64];
    return FormatPath(path, "%.*s/%s", function.length, function.path, attribute) && ReadAttribute(path, text) &&
           std::strncmp(text, "0x", 2) == 0 &&
           ParseNumber(text + 2, text + std::strlen(text), 16, digits, 0xFFFFFF, value);
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
    if (!FormatPath(path, "%.*s/driver", function.length, function.path)) {
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

}  // namespace

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

FunctionDirectory HostFunction(const ScsiHost& host)
{
    return FunctionDirectory{host.path, host.pciLength};
}

bool IsStorageController(const FunctionDirectory& function)
{
    unsigned pciClass = 0;
    return ReadPciAttribute(function, "class", 6, pciClass) && pciClass >> 16 == kPciClassMassStorage;
}

unsigned AtaPortNumber(const ScsiHost& host)
{
    char path[kPathSize];
    char text[64];
    unsigned number = 0;
    if (FormatPath(path, "%.*s/ata%u/ata_port/ata%u/port_no", host.pciLength, host.path, host.ataId, host.ataId) &&
        ReadAttribute(path, text) && ParseDecimal(text, 999, number)) {
        return number;
    }
    return 0;
}

bool AtaPortTakesSlave(const ScsiHost& host)
{
    char path[kPathSize];
    struct stat status;
    return FormatPath(path, "%.*s/ata%u/link%u/dev%u.1", host.pciLength, host.path, host.ataId, host.ataId,
                      host.ataId) &&
           stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

bool AtaCommand(const ScsiHost& host, unsigned devno, IdentifyCommand& command)
{
    char path[kPathSize];
    char text[64];
    if (!FormatPath(path, "%.*s/ata%u/link%u/dev%u.%u/ata_device/dev%u.%u/class", host.pciLength, host.path,
                    host.ataId, host.ataId, host.ataId, devno, host.ataId, devno) ||
        !ReadAttribute(path, text)) {
        return false;
    }
    command = std::strcmp(text, "atapi") == 0 ? IDENTIFY_PACKET_DEVICE : IDENTIFY_DEVICE;
    return command == IDENTIFY_PACKET_DEVICE || std::strcmp(text, "ata") == 0 || std::strcmp(text, "zac") == 0;
}

void ReadPciFunction(const FunctionDirectory& directory, const PciAddress& address, PciFunction& function)
{
    function.address = address;
    function.vendor = ReadPciId(directory, "vendor");
    function.deviceId = ReadPciId(directory, "device");
    ReadDriver(directory, function.driver);
}
