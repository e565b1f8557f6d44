// Linux as portdump-list reads it: sysfs only, which any user may read.
// Nothing is opened but sysfs attributes; no device is asked.
#include "controller_list.h"
#include "controller_listing.h"

#include "controller_names.h"
#include "controller_open.h"
#include "device_names.h"
#include "directory_entries.h"
#include "sysfs_scan.h"

#include <climits>
#include <cstdio>

namespace {

// Every number below SCSI_PORT_NUMBER_LIMIT, and a model number for each
// controller at most, fit the list, as do the hostless functions.
static_assert(SCSI_PORT_NUMBER_LIMIT + kMaxControllers <= kMaxListedControllers, "the list holds every number");
static_assert(kMaxHostlessControllers <= kMaxListedControllers, "the list holds every hostless function");

template <std::size_t Size>
void Copy(char (&to)[Size], const char* from)
{
    std::snprintf(to, Size, "%s", from);
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

// The ports whose devices portdump asks and sysfs describes.
void AddPorts(const Controller& controller, ListedController& entry)
{
    for (int port = 0; port < CMD_IDE_PORT_COUNT; ++port) {
        const Port& scanned = controller.ports[port];
        if (!scanned.device.found || !scanned.device.typeKnown) {
            continue;
        }
        ListedPort& listed = entry.ports[entry.portCount++];
        listed.port = port;
        Copy(listed.fields[0], scanned.device.sgName);
        Copy(listed.fields[1], ScsiTypeName(scanned.device.type));
        Copy(listed.fields[2], scanned.vendor);
        Copy(listed.fields[3], scanned.model);
    }
}

// The PCI address, vendor:device and driver (none where sysfs shows none).
void Describe(const PciFunction& function, char (&fields)[kListedFields][kListedFieldSize])
{
    const PciAddress& at = function.address;
    std::snprintf(fields[0], sizeof fields[0], "%04x:%02x:%02x.%x", at.domain, at.bus, at.device, at.function);
    std::snprintf(fields[1], sizeof fields[1], "%04x:%04x", function.vendor, function.deviceId);
    Copy(fields[2], function.driver);
}

// Without the sg driver portdump asks no port, so none is shown.
void AddController(ControllerList& list, int number, const Controller& controller, bool withPorts)
{
    ListedController& entry = list.controllers[list.count++];
    entry = ListedController{};
    entry.number = number;
    Describe(controller.function, entry.fields);
    if (withPorts) {
        AddPorts(controller, entry);
    }
}

// The model number that reaches controller `index` of `controllers`, or -1:
// its device id's model, the alias taken as portdump takes it, and the
// platform's own resolution of that number's names choosing this very
// controller.
int ReachingModel(const Controller* controllers, int count, int index)
{
    const int own = ModelNumber(controllers[index].function.deviceId);
    if (own < 0) {
        return -1;
    }
    const int model = ServedNumber(own);
    char name[sizeof SIL_TEMPORARY_NAME(-2147483648)];
    char target[sizeof SIL_DEVICE(-2147483648)];
    std::snprintf(name, sizeof name, SIL_TEMPORARY_NAME(%d), model);
    std::snprintf(target, sizeof target, SIL_DEVICE(%d), model);
    int chosen = -1;
    return model >= SCSI_PORT_NUMBER_LIMIT && FindNamedController(controllers, count, name, target, chosen) == 0 &&
                   chosen == index
               ? model
               : -1;
}

// Whether the system's devices can be read at all.
bool SysfsReadable(const char* sys, ControllerList& list)
{
    char path[PATH_MAX];
    DirectoryEntries entries;
    if (std::snprintf(path, sizeof path, "%s/devices", sys) >= static_cast<int>(sizeof path) ||
        !OpenDirectoryEntries(entries, path)) {
        std::snprintf(list.problem, sizeof list.problem, "cannot read %s/devices: is sysfs mounted?", sys);
        return false;
    }
    CloseDirectoryEntries(entries);
    return true;
}

}  // namespace

bool ListControllers(ControllerList& list)
{
    return ListControllersUnder(kSystemRoots.sys, list);
}

bool ListControllersUnder(const char* sys, ControllerList& list)
{
    if (!SysfsReadable(sys, list)) {
        return false;
    }
    SysfsScan scan;
    ScanSysfs(sys, scan);
    for (int i = 0; i < scan.count && i < SCSI_PORT_NUMBER_LIMIT; ++i) {
        AddController(list, i, scan.controllers[i], scan.scsiGeneric);
    }
    for (int i = 0; i < scan.count; ++i) {
        const int model = ReachingModel(scan.controllers, scan.count, i);
        if (model >= 0) {
            AddController(list, model, scan.controllers[i], scan.scsiGeneric);
        }
    }
    list.unreachableCount = scan.hostlessCount;
    for (int i = 0; i < scan.hostlessCount; ++i) {
        Describe(scan.hostless[i], list.unreachable[i].fields);
    }
    // Numbers come from SCSI hosts, which the sg driver neither makes nor
    // takes away: it matters only where there are controllers.
    if (!scan.scsiGeneric && scan.count > 0) {
        Copy(list.problem, "the sg driver is not loaded (modprobe sg), so no port is shown");
    }
    return true;
}
