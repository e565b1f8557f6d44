// The Linux kernel32: the core's names and handles before any controller is
// looked at, and a device control that takes only the tool's request.
#include "capabilities.h"
#include "cmd_ide_request.h"
#include "device.h"
#include "sysfs_tree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(Kernel32, DefinedNamesLiveFromDefinitionToRemoval)
{
    ASSERT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "tempBusSil3112", "\\Device\\Scsi\\SI31121"));
    // Names are compared as Windows does, without regard to case.
    ASSERT_TRUE(DefineDosDeviceA(DDD_REMOVE_DEFINITION, "TEMPBUSSIL3112", nullptr));
    EXPECT_FALSE(DefineDosDeviceA(DDD_REMOVE_DEFINITION, "tempBusSil3112", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(Kernel32, DefinitionsThatMeanNothingHereAreRefused)
{
    EXPECT_FALSE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "", "\\Device\\Scsi\\SI31121"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(DefineDosDeviceA(0, "tempBusSil3112", "\\Device\\Scsi\\SI31121"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "tempBusSil3112", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    const std::string tooLong(260, 'x');
    EXPECT_FALSE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, tooLong.c_str(), "\\Device\\Scsi\\SI31121"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// Whatever this machine's controllers: these fail before any is looked at.
TEST(Kernel32, OpenErrors)
{
    struct Case {
        const char* path;
        DWORD creation;
        DWORD error;
    } cases[] = {
        {"C:\\Scsi0:", OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
        {"", OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
        {"\\\\.\\Scsi0:", 1 /* CREATE_NEW */, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CreateFileA(c.path, GENERIC_READ, 0, nullptr, c.creation, 0, nullptr), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), c.error) << c.path;
    }
    CmdIdeRequest request;
    CmdIdeFillRequest(&request, 0);
    DWORD returned = 0;
    for (HANDLE bad : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(6)}) {
        EXPECT_FALSE(DeviceIoControl(bad, IOCTL_SCSI_MINIPORT, &request, sizeof request, &request, sizeof request,
                                     &returned, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(CloseHandle(bad));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
}

TEST(Kernel32, DeviceControlTakesOnlyTheToolsRequest)
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
