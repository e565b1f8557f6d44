#include "nt_controllers.h"

#include "device_names.h"

#include <cstdio>

namespace {

// The next entry, cleared; nullptr when the list is full, which the list
// then says.
ListedController* NextEntry(ControllerList& list)
{
    if (list.count == kMaxListedControllers) {
        std::snprintf(list.problem, sizeof list.problem, "more than %d controllers; the first %d are shown",
                      kMaxListedControllers, kMaxListedControllers);
        return nullptr;
    }
    ListedController& entry = list.controllers[list.count++];
    entry = ListedController{};
    return &entry;
}

// The number portdump reaches the object `name` of \Device\Scsi under, or
// -1: the numbers below 32 name SCSI ports, and the 3512 reaches the 3112's
// object, never one of its own.
int ReachingNumber(const char* name)
{
    const int model = SilObjectModel(name);
    return model >= SCSI_PORT_NUMBER_LIMIT && ServedNumber(model) == model ? model : -1;
}

}  // namespace

void AddScsiPort(ControllerList& list, int port, const char* device, const char* driver)
{
    ListedController* entry = NextEntry(list);
    if (entry != nullptr) {
        entry->number = port;
        std::snprintf(entry->fields[0], kListedFieldSize, DOS_DEVICE_PATH_PREFIX SCSI_PORT_NAME(%d), port);
        std::snprintf(entry->fields[1], kListedFieldSize, "%s", device);
        std::snprintf(entry->fields[2], kListedFieldSize, "%s", driver);
    }
}

void AddSiliconImageObject(ControllerList& list, const char* name)
{
    const int model = ReachingNumber(name);
    ListedController* entry = model >= 0 ? NextEntry(list) : nullptr;
    if (entry != nullptr) {
        entry->number = model;
        std::snprintf(entry->fields[0], kListedFieldSize, SIL_DIRECTORY "\\%s", name);
    }
}
