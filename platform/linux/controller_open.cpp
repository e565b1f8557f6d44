#include "controller_open.h"

#include "attribute_file.h"
#include "device_names.h"
#include "number_text.h"
#include "sysfs_map.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/capability.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr unsigned kSiliconImage = 0x1095;
constexpr char kScsiDirectory[] = SIL_DIRECTORY "\\";
constexpr char kSiliconImagePrefix[] = SIL_DIRECTORY "\\" SIL_OBJECT_PREFIX;
// What follows the number in each name.
constexpr const char* kScsiPortSuffix = &SCSI_PORT_NAME()[sizeof SCSI_PORT_NAME_PREFIX - 1];
constexpr const char* kSiliconImageSuffix = SIL_OBJECT_SUFFIX;

// A model's PCI device id: its decimal digits read as hexadecimal, as the
// device object's name gives them.
constexpr unsigned ModelDeviceId(unsigned model)
{
    unsigned id = 0;
    for (unsigned digit = 1; model > 0; model /= 10, digit *= 16) {
        id += model % 10 * digit;
    }
    return id;
}

bool StartsWith(const char* text, const char* prefix)
{
    return strncasecmp(text, prefix, std::strlen(prefix)) == 0;
}

// Whether TEXT ends in SUFFIX after at least one character.
bool EndsWith(const char* text, const char* suffix)
{
    const std::size_t length = std::strlen(text);
    const std::size_t suffixLength = std::strlen(suffix);
    return length > suffixLength && strcasecmp(text + length - suffixLength, suffix) == 0;
}

// N of "ScsiN:", N from 0 to 999; -1 for any other name.
int ScsiPortNumber(const char* name)
{
    if (!StartsWith(name, SCSI_PORT_NAME_PREFIX) || !EndsWith(name, kScsiPortSuffix)) {
        return -1;
    }
    const char* digits = name + sizeof SCSI_PORT_NAME_PREFIX - 1;
    unsigned number = 0;
    if (!ParseName(digits, name + std::strlen(name) - std::strlen(kScsiPortSuffix), 10, 3, number)) {
        return -1;
    }
    return static_cast<int>(number);
}

// m of "\Device\Scsi\SI<m>1" read as 1 to 4 hex digits; -1 for anything else.
int SiliconImageModel(const char* target)
{
    if (!StartsWith(target, kSiliconImagePrefix) || !EndsWith(target, kSiliconImageSuffix)) {
        return -1;
    }
    const char* digits = target + sizeof kSiliconImagePrefix - 1;
    const char* end = target + std::strlen(target) - std::strlen(kSiliconImageSuffix);
    unsigned model = 0;
    if (end <= digits || !ParseName(digits, end, 16, 4, model)) {
        return -1;
    }
    return static_cast<int>(model);
}

// The SiliconImage controller a target names, in `found`; 0 or the error.
DWORD FindSiliconImage(const Controller* controllers, int count, const char* target, int& found)
{
    const int model = SiliconImageModel(target);
    bool any = false;
    for (int i = 0; i < count; ++i) {
        if (controllers[i].vendor != kSiliconImage) {
            continue;
        }
        any = true;
        const unsigned device = controllers[i].deviceId;
        // The 3112's driver also serves the 3512.
        if (model >= 0 && (device == static_cast<unsigned>(model) ||
                           (static_cast<unsigned>(model) == ModelDeviceId(SIL_ALIAS_SERVED_AS) &&
                            device == ModelDeviceId(SIL_ALIAS_MODEL)))) {
            found = i;
            return 0;
        }
    }
    return any ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

// Whether the process runs in the initial user namespace, which maps every
// id to itself. Elsewhere (unshare -r, rootless containers) a root with all
// capabilities still gets EPERM for ATA PASS-THROUGH. Where /proc does not
// say, the process is taken to be there.
bool InInitialUserNamespace(const char* proc)
{
    char path[PATH_MAX];
    char text[64];
    if (std::snprintf(path, sizeof path, "%s/self/uid_map", proc) >= static_cast<int>(sizeof path) ||
        !ReadAttribute(path, text)) {
        return true;
    }
    unsigned long inside = 0;
    unsigned long outside = 0;
    unsigned long count = 0;
    int end = 0;
    return std::sscanf(text, "%lu %lu %lu%n", &inside, &outside, &count, &end) == 3 && text[end] == '\0' &&
           inside == 0 && outside == 0 && count == 0xFFFFFFFFul;
}

// ATA PASS-THROUGH needs CAP_SYS_RAWIO in the initial user namespace, as
// IOCTL_SCSI_MINIPORT needs an elevated process on Windows.
bool MayPassThrough(const char* proc)
{
    __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    return syscall(SYS_capget, &header, data) == 0 &&
           (data[CAP_SYS_RAWIO / 32].effective >> (CAP_SYS_RAWIO % 32) & 1) != 0 && InInitialUserNamespace(proc);
}

// Whether `status` is the sg node sysfs gives for the port.
bool IsPortNode(const struct stat& status, const PortDevice& device)
{
    return S_ISCHR(status.st_mode) && major(status.st_rdev) == kScsiGenericMajor &&
           minor(status.st_rdev) == device.minor;
}

// Whether the opened node is still the device sysfs showed: between the
// look-up and the open a disk may go and another take its sg number.
bool IsPortDevice(int fd, const PortDevice& device)
{
    sg_scsi_id id = {};
    return ioctl(fd, SG_GET_SCSI_ID, &id) == 0 && static_cast<unsigned>(id.host_no) == device.scsi.host &&
           static_cast<unsigned>(id.channel) == device.scsi.channel &&
           static_cast<unsigned>(id.scsi_id) == device.scsi.target && static_cast<unsigned>(id.lun) == device.scsi.lun;
}

// The port's sg node, read-only: SG_IO needs no more with CAP_SYS_RAWIO.
// Only the character device of the number sysfs gives is opened, looked at
// before and after, never a link nor a block device. Returns the
// descriptor, -1 where there is none, or -2 where opening it is not permitted.
int OpenPort(const SystemRoots& roots, const PciAddress& address, int port, IdentifyCommand& command)
{
    PortDevice device;
    char path[PATH_MAX];
    struct stat status;
    if (!FindPortDevice(roots.sys, address, port, device) ||
        std::snprintf(path, sizeof path, "%s/%s", roots.dev, device.sgName) >= static_cast<int>(sizeof path) ||
        lstat(path, &status) != 0 || !IsPortNode(status, device)) {
        return -1;
    }
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return errno == EACCES || errno == EPERM ? -2 : -1;
    }
    if (fstat(fd, &status) != 0 || !IsPortNode(status, device) || !IsPortDevice(fd, device)) {
        close(fd);
        return -1;
    }
    command = device.command;
    return fd;
}

}  // namespace

DWORD FindNamedController(const Controller* controllers, int count, const char* name, const char* target, int& chosen)
{
    chosen = -1;
    if (target == nullptr) {
        chosen = ScsiPortNumber(name);
    } else if (StartsWith(target, kScsiDirectory)) {
        if (const DWORD error = FindSiliconImage(controllers, count, target, chosen)) {
            return error;
        }
    }
    return chosen >= 0 && chosen < count ? 0 : ERROR_FILE_NOT_FOUND;
}

DWORD OpenController(const SystemRoots& roots, const char* name, const char* target, OpenedController& controller)
{
    Controller controllers[kMaxControllers];
    const int count = ListControllers(roots.sys, controllers);
    int chosen = -1;
    if (const DWORD error = FindNamedController(controllers, count, name, target, chosen)) {
        return error;
    }
    if (!ScsiGenericPresent(roots.sys)) {
        return ERROR_SERVICE_NOT_ACTIVE;
    }
    if (!MayPassThrough(roots.proc)) {
        return ERROR_ACCESS_DENIED;
    }
    for (int port = 0; port < CMD_IDE_PORT_COUNT; ++port) {
        controller.fd[port] = -1;
        controller.command[port] = IDENTIFY_DEVICE;
    }
    for (int port = 0; port < CMD_IDE_PORT_COUNT; ++port) {
        controller.fd[port] = OpenPort(roots, controllers[chosen].address, port, controller.command[port]);
        if (controller.fd[port] == -2) {
            controller.fd[port] = -1;
            CloseController(controller);
            return ERROR_ACCESS_DENIED;
        }
    }
    return 0;
}

void CloseController(OpenedController& controller)
{
    for (int& fd : controller.fd) {
        if (fd >= 0) {
            close(fd);
        }
        fd = -1;
    }
}
