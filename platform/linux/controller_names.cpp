#include "controller_names.h"

#include "device_names.h"

#include <cstdio>

namespace {

constexpr unsigned kSiliconImage = 0x1095;

// The SiliconImage controller a target names, in `found`; 0 or the error.
DWORD FindSiliconImage(const Controller* controllers, int count, const char* target, int& found)
{
    const int model = SilDeviceModel(target);
    bool any = false;
    for (int i = 0; i < count; ++i) {
        if (controllers[i].function.vendor != kSiliconImage) {
            continue;
        }
        any = true;
        const int own = ModelNumber(controllers[i].function.deviceId);
        if (model >= 0 && own >= 0 && (own == model || ServedNumber(own) == model)) {
            found = i;
            return 0;
        }
    }
    return any ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

}  // namespace

int ModelNumber(unsigned deviceId)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%x", deviceId);
    int model = 0;
    for (const char* digit = digits; *digit != '\0'; ++digit) {
        if (*digit < '0' || *digit > '9') {
            return -1;
        }
        model = model * 10 + (*digit - '0');
    }
    return model;
}

DWORD FindNamedController(const Controller* controllers, int count, const char* name, const char* target, int& chosen)
{
    chosen = -1;
    if (target == nullptr) {
        chosen = ScsiPortNameNumber(name);
    } else if (DeviceNameBegins(target, SIL_DIRECTORY "\\")) {
        if (const DWORD error = FindSiliconImage(controllers, count, target, chosen)) {
            return error;
        }
    }
    return chosen >= 0 && chosen < count ? 0 : ERROR_FILE_NOT_FOUND;
}
