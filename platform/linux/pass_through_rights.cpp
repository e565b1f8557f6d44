#include "pass_through_rights.h"

#include "attribute_file.h"

#include <cstdio>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Whether the process runs in the initial user namespace, which maps every
// id to itself. Elsewhere (unshare -r, rootless containers) a root with all
// capabilities still gets EPERM for ATA PASS-THROUGH. Where /proc does not
// say, the process is taken to be there.
bool InInitialUserNamespace(const char* proc)
{
    char path[kPathSize];
    char text[64];
    if (!FormatPath(path, "%s/self/uid_map", proc) || !ReadAttribute(path, text)) {
        return true;
    }
    unsigned long inside = 0;
    unsigned long outside = 0;
    unsigned long count = 0;
    int end = 0;
    return std::sscanf(text, "%lu %lu %lu%n", &inside, &outside, &count, &end) == 3 && text[end] == '\0' &&
           inside == 0 && outside == 0 && count == 0xFFFFFFFFul;
}

}  // namespace

bool MayPassThrough(const char* proc)
{
    __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    return syscall(SYS_capget, &header, data) == 0 &&
           (data[CAP_SYS_RAWIO / 32].effective >> (CAP_SYS_RAWIO % 32) & 1) != 0 && InInitialUserNamespace(proc);
}
