// The kernel32 functions on made trees: names defined in the process,
// the Windows errors, and a device control that takes only the tool's
// request.
#include "capabilities.h"
#include "cmd_ide_request.h"
#include "kernel32.h"
#include "sysfs_tree.h"
#include "system_roots.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class Kernel32 : public ::testing::Test {
protected:
    void UseFixture(const char* name)
    {
        sys = Fixture(name);
        proc = sys + "/proc";
        theSystemRoots = {sys.c_str(), "/nonexistent", proc.c_str()};
    }
    void TearDown() override { theSystemRoots = {"/sys", "/dev", "/proc"}; }
    std::string sys;
    std::string proc;
};

HANDLE Open(const char* path)
{
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       0, nullptr);
}

TEST_F(Kernel32, DefinedNamesLiveFromDefinitionToRemoval)
{
    UseFixture("ppc64");
    EXPECT_EQ(Open("\\\\.\\tempBusSil3112"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    ASSERT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "tempBusSil3112", "\\Device\\Scsi\\SI31121"));
    // Names are compared as Windows does, without regard to case.
    HANDLE device = Open("\\\\.\\TEMPBUSSIL3112");
    if (HasCapability(CAP_SYS_RAWIO)) {
        ASSERT_NE(device, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(CloseHandle(device));
        EXPECT_FALSE(CloseHandle(device));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    } else {
        EXPECT_EQ(device, INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }

    ASSERT_TRUE(DefineDosDeviceA(DDD_REMOVE_DEFINITION, "tempBusSil3112", nullptr));
    EXPECT_EQ(Open("\\\\.\\tempBusSil3112"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(DefineDosDeviceA(DDD_REMOVE_DEFINITION, "tempBusSil3112", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Kernel32, DefinitionsThatMeanNothingHereAreRefused)
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

TEST_F(Kernel32, OpenErrors)
{
    UseFixture("x86_64");
    struct Case {
        const char* path;
        DWORD creation;
        DWORD error;
    } cases[] = {
        {"\\\\.\\Scsi3:", OPEN_EXISTING, ERROR_FILE_NOT_FOUND},  // three controllers: 0 to 2
        {"C:\\Scsi0:", OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
        {"", OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
        {"\\\\.\\Scsi0:", 1 /* CREATE_NEW */, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CreateFileA(c.path, GENERIC_READ, 0, nullptr, c.creation, 0, nullptr), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), c.error) << c.path;
    }
    // No SiliconImage controller at all: the folder is missing.
    ASSERT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "tempBusSil3112", "\\Device\\Scsi\\SI31121"));
    EXPECT_EQ(Open("\\\\.\\tempBusSil3112"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    ASSERT_TRUE(DefineDosDeviceA(DDD_REMOVE_DEFINITION, "tempBusSil3112", "\\Device\\Scsi\\SI31121"));
}

TEST_F(Kernel32, DeviceControlTakesOnlyTheToolsRequest)
{
    if (!HasCapability(CAP_SYS_RAWIO)) {
        GTEST_SKIP() << "opening a controller needs CAP_SYS_RAWIO";
    }
    UseFixture("x86_64");
    HANDLE device = Open("\\\\.\\Scsi1:");
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    CmdIdeRequest request;
    DWORD returned = 0;
    auto control = [&](DWORD code, DWORD inSize, DWORD outSize) {
        return DeviceIoControl(device, code, &request, inSize, &request, outSize, &returned, nullptr);
    };

    // A well-formed request for a port whose node is missing: the port is
    // silent, the buffer untouched.
    CmdIdeFillRequest(&request, 0);
    CmdIdeRequest sent = request;
    EXPECT_FALSE(control(IOCTL_SCSI_MINIPORT, sizeof request, sizeof request));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_DEVICE));
    EXPECT_EQ(std::memcmp(&request, &sent, sizeof request), 0);

    EXPECT_FALSE(control(IOCTL_SCSI_MINIPORT + 4, sizeof request, sizeof request));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    EXPECT_FALSE(control(IOCTL_SCSI_MINIPORT, sizeof request - 1, sizeof request));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(control(IOCTL_SCSI_MINIPORT, sizeof request, sizeof request + 1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CmdIdeFillRequest(&request, 4);  // ports are 0 to 3
    EXPECT_FALSE(control(IOCTL_SCSI_MINIPORT, sizeof request, sizeof request));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CmdIdeFillRequest(&request, 2);
    request.Data[511] = 1;  // a byte of an earlier answer
    EXPECT_FALSE(control(IOCTL_SCSI_MINIPORT, sizeof request, sizeof request));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CmdIdeFillRequest(&request, 2);
    EXPECT_FALSE(DeviceIoControl(device, IOCTL_SCSI_MINIPORT, nullptr, sizeof request, &request, sizeof request,
                                 &returned, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    EXPECT_TRUE(CloseHandle(device));
    EXPECT_FALSE(control(IOCTL_SCSI_MINIPORT, sizeof request, sizeof request));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    for (HANDLE bad : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(6)}) {
        EXPECT_FALSE(DeviceIoControl(bad, IOCTL_SCSI_MINIPORT, &request, sizeof request, &request, sizeof request,
                                     &returned, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
}

}  // namespace
