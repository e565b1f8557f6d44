// The device behind a handle on Linux: a control that takes only the tool's
// request. The names and handles before it are the POSIX core's, tested on
// the emulated platform.
#include "capabilities.h"
#include "cmd_ide_request.h"
#include "controller_open.h"
#include "device.h"
#include "sysfs_tree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(LinuxDevice, ControlTakesOnlyTheToolsRequest)
{
    if (!HasCapability(CAP_SYS_RAWIO)) {
        GTEST_SKIP() << "opening a controller needs CAP_SYS_RAWIO";
    }
    const std::string sys = Fixture("x86_64");
    const std::string proc = sys + "/proc";
    OpenedDevice device;
    ASSERT_EQ(OpenController({sys.c_str(), "/nonexistent", proc.c_str()}, "Scsi1:", nullptr, device), 0u);
    CmdIdeRequest request;
    DWORD returned = 0;
    auto control = [&](DWORD inSize, DWORD outSize) {
        return ControlDevice(device, &request, inSize, &request, outSize, &returned);
    };

    // A well-formed request for a port whose node is missing: the port is
    // silent, the buffer untouched.
    CmdIdeFillRequest(&request, 0);
    CmdIdeRequest sent = request;
    EXPECT_EQ(control(sizeof request, sizeof request), static_cast<DWORD>(ERROR_IO_DEVICE));
    EXPECT_EQ(std::memcmp(&request, &sent, sizeof request), 0);

    EXPECT_EQ(control(sizeof request - 1, sizeof request), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(control(sizeof request, sizeof request + 1), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CmdIdeFillRequest(&request, 4);  // ports are 0 to 3
    EXPECT_EQ(control(sizeof request, sizeof request), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CmdIdeFillRequest(&request, 2);
    request.Data[511] = 1;  // a byte of an earlier answer
    EXPECT_EQ(control(sizeof request, sizeof request), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CmdIdeFillRequest(&request, 2);
    EXPECT_EQ(ControlDevice(device, nullptr, sizeof request, &request, sizeof request, &returned),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CloseDevice(device);
}

}  // namespace
