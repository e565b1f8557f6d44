// Linux as portdump-list reads it: sysfs only, which any user may read.
// Nothing is opened but sysfs attributes; no device is asked.
#include "controller_list.h"
#include "controller_listing.h"

#include "controller_open.h"
#include "device_names.h"
#include "directory_entries.h"
#include "sysfs_map.h"

#include <climits>
#include <cstdio>

namespace {

// Every number below SCSI_PORT_NUMBER_LIMIT, and a model number for each
// controller at most, fit the list.
static_assert(SCSI_PORT_NUMBER_LIMIT + kMaxControllers <= kMaxListedControllers, "the list holds every number");

template <std::size_t Size>
void Copy(char (&to)[Size], const char* from)
{
    std::snprintf(to, Size, "%s", from);
}

// The ports of the controller at `address` whose devices portdump asks, as
// the platform finds them.
void AddPorts(const char* sys, const PciAddress& address, ListedController& entry)
{
    for (int port = 0; port < CMD_IDE_PORT_COUNT; ++port) {
        PortDevice device;
        PortDescription description;
        if (!FindPortDevice(sys, address, port, device) || !DescribePortDevice(sys, device, description)) {
            continue;
        }
        ListedPort& listed = entry.ports[entry.portCount++];
        listed.port = port;
        Copy(listed.fields[0], device.sgName);
        Copy(listed.fields[1], description.type);
        Copy(listed.fields[2], description.vendor);
        Copy(listed.fields[3], description.model);
    }
}

// The PCI address, vendor:device and driver (none where sysfs shows none).
void Describe(const Controller& controller, char (&fields)[kListedFields][kListedFieldSize])
{
    const PciAddress& at = controller.address;
    std::snprintf(fields[0], sizeof fields[0], "%04x:%02x:%02x.%x", at.domain, at.bus, at.device, at.function);
    std::snprintf(fields[1], sizeof fields[1], "%04x:%04x", controller.vendor, controller.deviceId);
    Copy(fields[2], controller.driver);
}

// Without the sg driver portdump asks no port, so none is shown.
void AddController(const char* sys, ControllerList& list, int number, const Controller& controller, bool withPorts)
{
    ListedController& entry = list.controllers[list.count++];
    entry = ListedController{};
    entry.number = number;
    Describe(controller, entry.fields);
    if (withPorts) {
        AddPorts(sys, controller.address, entry);
    }
}

// The storage controllers without a SCSI host, which no number reaches.
void AddUnreachable(const char* sys, ControllerList& list)
{
    Controller hostless[kMaxListedControllers];
    list.unreachableCount = ListHostlessControllers(sys, hostless, kMaxListedControllers);
    for (int i = 0; i < list.unreachableCount; ++i) {
        Describe(hostless[i], list.unreachable[i].fields);
    }
}

// The model number that reaches controller `index` of `controllers`, or -1:
// its device id's hex digits read as decimal, the alias taken as portdump
// takes it, and the platform's own resolution of that number's names
// choosing this very controller.
int ModelNumber(const Controller* controllers, int count, int index)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%x", controllers[index].deviceId);
    int model = 0;
    for (const char* digit = digits; *digit != '\0'; ++digit) {
        if (*digit < '0' || *digit > '9') {
            return -1;
        }
        model = model * 10 + (*digit - '0');
    }
    if (model == SIL_ALIAS_MODEL) {
        model = SIL_ALIAS_SERVED_AS;
    }
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
    const bool sg = ScsiGenericPresent(sys);
    Controller controllers[kMaxControllers];
    const int count = ListControllers(sys, controllers);
    for (int i = 0; i < count && i < SCSI_PORT_NUMBER_LIMIT; ++i) {
        AddController(sys, list, i, controllers[i], sg);
    }
    for (int i = 0; i < count; ++i) {
        const int model = ModelNumber(controllers, count, i);
        if (model >= 0) {
            AddController(sys, list, model, controllers[i], sg);
        }
    }
    AddUnreachable(sys, list);
    // Numbers come from SCSI hosts, which the sg driver neither makes nor
    // takes away: it matters only where there are controllers.
    if (!sg && count > 0) {
        Copy(list.problem, "the sg driver is not loaded (modprobe sg), so no port is shown");
    }
    return true;
}
