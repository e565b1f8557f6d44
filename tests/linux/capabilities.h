#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Drops the capabilities CAPS from the calling process's effective set; for
// a forked child. False where that failed.
template <int... Caps>
bool DropCapabilities()
{
    __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, data) != 0) {
        return false;
    }
    for (int cap : {Caps...}) {
        data[cap / 32].effective &= ~(1u << (cap % 32));
    }
    return syscall(SYS_capset, &header, data) == 0;
}

inline bool HasCapability(int cap)
{
    __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    return syscall(SYS_capget, &header, data) == 0 && (data[cap / 32].effective >> (cap % 32) & 1) != 0;
}
