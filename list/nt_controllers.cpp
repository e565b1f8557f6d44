#include "nt_controllers.h"

#include "device_names.h"

#include <climits>
#include <cstdio>
#include <cstring>

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

// ASCII only: the names portdump builds hold nothing else.
char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Object names compare without regard to case, as the object manager
// looks them up.
bool SameObjectName(const char* a, const char* b)
{
    std::size_t i = 0;
    while (AsciiLower(a[i]) == AsciiLower(b[i])) {
        if (a[i++] == '\0') {
            return true;
        }
    }
    return false;
}

// The number portdump reaches the object `name` of \Device\Scsi under, or
// -1: the numbers below 32 name SCSI ports, and the 3512 reaches the 3112's
// object, never one of its own.
int ReachingNumber(const char* name)
{
    const std::size_t prefix = sizeof SIL_OBJECT_PREFIX - 1;
    const std::size_t suffix = sizeof SIL_OBJECT_SUFFIX - 1;
    const std::size_t maxDigits = sizeof "2147483647" - 1;
    const std::size_t length = std::strlen(name);
    if (length <= prefix + suffix || length - prefix - suffix > maxDigits) {
        return -1;
    }
    long long model = 0;
    for (std::size_t i = prefix; i < length - suffix; ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return -1;
        }
        model = model * 10 + (name[i] - '0');
    }
    if (model < SCSI_PORT_NUMBER_LIMIT || model > INT_MAX || model == SIL_ALIAS_MODEL) {
        return -1;
    }
    // Only the very name portdump builds: no leading zero, its own prefix
    // and suffix.
    char built[sizeof SIL_OBJECT(2147483647)];
    std::snprintf(built, sizeof built, SIL_OBJECT(%d), static_cast<int>(model));
    return SameObjectName(built, name) ? static_cast<int>(model) : -1;
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
