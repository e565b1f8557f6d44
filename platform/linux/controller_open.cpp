// Opens the nodes of the controller a name chooses, from one scan of sysfs.
#include "controller_open.h"

#include "attribute_file.h"
#include "controller_names.h"
#include "pass_through_rights.h"
#include "sysfs_scan.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

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
int OpenPort(const char* dev, const PortDevice& device)
{
    char path[kPathSize];
    struct stat status;
    if (!device.found || !FormatPath(path, "%s/%s", dev, device.sgName) || lstat(path, &status) != 0 ||
        !IsPortNode(status, device)) {
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
    return fd;
}

}  // namespace

DWORD OpenController(const SystemRoots& roots, const char* name, const char* target, OpenedDevice& controller)
{
    SysfsScan scan;
    ScanSysfs(roots.sys, scan);
    int chosen = -1;
    if (const DWORD error = FindNamedController(scan.controllers, scan.count, name, target, chosen)) {
        return error;
    }
    if (!scan.scsiGeneric) {
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
        const PortDevice& device = scan.controllers[chosen].ports[port].device;
        controller.fd[port] = OpenPort(roots.dev, device);
        controller.command[port] = device.command;
        if (controller.fd[port] == -2) {
            controller.fd[port] = -1;
            CloseController(controller);
            return ERROR_ACCESS_DENIED;
        }
    }
    return 0;
}

void CloseController(OpenedDevice& controller)
{
    for (int& fd : controller.fd) {
        if (fd >= 0) {
            close(fd);
        }
        fd = -1;
    }
}
