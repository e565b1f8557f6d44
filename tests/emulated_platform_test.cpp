// The emulated kernel32 must hold the tool to Windows' rules, or the tool's
// tests prove nothing about Windows.
#include "emulated_machine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShareBoth = FILE_SHARE_READ | FILE_SHARE_WRITE;
// Numbers the emulator never gives of itself, for faults: they reach the
// caller as they are.
constexpr DWORD kGeneralFailure = 31;      // ERROR_GEN_FAILURE
constexpr DWORD kPrivilegeNotHeld = 1314;  // ERROR_PRIVILEGE_NOT_HELD

HANDLE Open(const char* path, DWORD access = kReadWrite, DWORD share = kShareBoth)
{
    return CreateFileA(path, access, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

using Request = CmdIdeRequest;

Request CmdIde(unsigned short port)
{
    Request request;
    CmdIdeFillRequest(&request, port);
    return request;
}

// Sends the request; 0 on success, else the error number.
DWORD Send(HANDLE device, Request& request, DWORD inSize = sizeof(Request), DWORD outSize = sizeof(Request),
           DWORD* returned = nullptr)
{
    DWORD count = 0;
    if (DeviceIoControl(device, IOCTL_SCSI_MINIPORT, &request, inSize, &request, outSize, returned ? returned : &count,
                        nullptr)) {
        return 0;
    }
    return GetLastError();
}

class PlatformTest : public testing::Test {
protected:
    void SetUp() override { emulated::BootMachine(emulated::kTestMachine); }
};

TEST_F(PlatformTest, DosNamesStackAndPopNewestFirst)
{
    const char* name = "tempBusSil3114";
    EXPECT_EQ(Open("\\\\.\\tempBusSil3114"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    ASSERT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, name, "\\Device\\Scsi\\SI31141"));
    ASSERT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, name, "\\Device\\Nowhere"));
    EXPECT_EQ(emulated::DefinitionCount(name), 2);
    EXPECT_EQ(Open("\\\\.\\TEMPBUSSIL3114"), INVALID_HANDLE_VALUE) << "the newest definition points nowhere";
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    ASSERT_TRUE(DefineDosDeviceA(DDD_REMOVE_DEFINITION, name, nullptr));
    HANDLE device = Open("\\\\.\\tempBusSil3114");
    ASSERT_NE(device, INVALID_HANDLE_VALUE) << "the older definition shows again";
    EXPECT_TRUE(CloseHandle(device));

    ASSERT_TRUE(DefineDosDeviceA(DDD_REMOVE_DEFINITION, name, nullptr));
    EXPECT_FALSE(DefineDosDeviceA(DDD_REMOVE_DEFINITION, name, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(emulated::DefinitionCount(name), 0);
}

TEST_F(PlatformTest, BadNamesAreRejected)
{
    EXPECT_FALSE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "", "\\Device\\Scsi\\SI31141"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, nullptr, "\\Device\\Scsi\\SI31141"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(DefineDosDeviceA(DDD_REMOVE_DEFINITION, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    const std::string tooLong(300, 'x');
    EXPECT_FALSE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, tooLong.c_str(), "\\Device\\Scsi\\SI31141"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(emulated::DefinitionCount(tooLong.c_str()), 0);
    EXPECT_FALSE(DefineDosDeviceA(0, "tempBusSil9", "\\Device\\Scsi\\SI91")) << "only raw targets";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "tempBusSil9", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    // A target that names no device object may be defined, as on Windows.
    EXPECT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "tempBusSil9", "\\Device\\Scsi\\SI91"));
    EXPECT_EQ(Open("\\\\.\\tempBusSil9"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open("Scsi0:"), INVALID_HANDLE_VALUE) << "a device is opened only through \\\\.\\";
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open(""), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(CreateFileA("\\\\.\\Scsi0:", kReadWrite, kShareBoth, nullptr, 1 /* CREATE_NEW */, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << "only existing devices";
    // A target in an object directory that does not exist.
    EXPECT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "tempBusSil8", "\\Device\\Nowhere\\SI81"));
    EXPECT_EQ(Open("\\\\.\\tempBusSil8"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(PlatformTest, ControlChecksAccessNotTheShareMode)
{
    // Storage port drivers take any share mode, as on Windows.
    HANDLE unshared = Open("\\\\.\\Scsi0:", kReadWrite, 0);
    ASSERT_NE(unshared, INVALID_HANDLE_VALUE);
    CloseHandle(unshared);

    HANDLE readOnly = Open("\\\\.\\Scsi0:", GENERIC_READ);
    ASSERT_NE(readOnly, INVALID_HANDLE_VALUE);
    Request request = CmdIde(0);
    EXPECT_EQ(Send(readOnly, request), ERROR_ACCESS_DENIED);
    CloseHandle(readOnly);

    HANDLE device = Open("\\\\.\\scsi0:");
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Send(device, request), 0u);
    EXPECT_TRUE(CloseHandle(device));
    EXPECT_FALSE(CloseHandle(device));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Send(device, request), ERROR_INVALID_HANDLE) << "a closed handle";
    for (HANDLE bad : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(6)}) {
        EXPECT_EQ(Send(bad, request), ERROR_INVALID_HANDLE);
    }
    EXPECT_EQ(emulated::OpenHandleCount(), 0);
}

TEST_F(PlatformTest, RequestsTheMiniportCannotAnswerFail)
{
    HANDLE device = Open("\\\\.\\Scsi0:");
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    DWORD count = 0;
    Request request = CmdIde(0);
    EXPECT_FALSE(DeviceIoControl(device, 0x0004D004, &request, sizeof request, &request, sizeof request, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_FUNCTION);
    EXPECT_FALSE(DeviceIoControl(device, IOCTL_SCSI_MINIPORT, &request, sizeof request, &request, sizeof request,
                                 nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << "no returned-bytes count without an overlapped structure";

    EXPECT_EQ(Send(device, request, 27, 27), ERROR_INVALID_PARAMETER) << "no buffer can hold the request";
    EXPECT_EQ(Send(device, request, sizeof request, 563), ERROR_INVALID_PARAMETER) << "the answer does not fit the output";
    CloseHandle(device);
}

// A request the tool could not have sent gets a block saying what is wrong,
// the same words the Wine stand-in driver uses, so it never passes for right.
TEST_F(PlatformTest, MalformedRequestIsAnsweredWithWhatIsWrong)
{
    HANDLE device = Open("\\\\.\\Scsi0:");
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    Request request = CmdIde(0);
    request.Header.ControlCode = 0x00042009;
    DWORD returned = 0;
    EXPECT_EQ(Send(device, request, sizeof request, sizeof request, &returned), 0u);
    EXPECT_EQ(returned, 564u);
    EXPECT_STREQ(reinterpret_cast<const char*>(request.Data), "BAD BYTE AT OFFSET 16");

    request = CmdIde(0);
    request.Parameter = 2;
    EXPECT_EQ(Send(device, request), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(request.Data), "BAD BYTE AT OFFSET 30");

    request = CmdIde(0);
    EXPECT_EQ(Send(device, request, sizeof request - 1, sizeof request), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(request.Data), "BAD INPUT SIZE 563");
    CloseHandle(device);
}

TEST_F(PlatformTest, SlowPortAnswersAfterItsDelay)
{
    const DiskIdentity disk = {"SLOW1", "1.0", "SLOW DISK", 1000};
    const FakePort ports[1] = {{&disk, nullptr, 0, 0, 0}};
    const emulated::ControllerSpec controller = {"\\Device\\ScsiPort7", "Scsi7:", 1, ports};
    emulated::BootMachine(emulated::Machine{&controller, 1});
    emulated::DelayPortRequest(0, 1);
    HANDLE device = Open("\\\\.\\Scsi7:");
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    Request request = CmdIde(0);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Send(device, request), 0u);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
    EXPECT_EQ(request.Data[510], 0xa5) << "the IDENTIFY block, signed";
    CloseHandle(device);
}

TEST_F(PlatformTest, PortsAnswerAsTheBuiltInMachineSays)
{
    struct Expected {
        const char* path;
        bool answers[4];
    };
    const Expected machine[] = {
        {"\\\\.\\Scsi0:", {true, true, false, false}},
        {"\\\\.\\tempBusSil3112", {true, false, false, false}},
        {"\\\\.\\tempBusSil3114", {false, true, false, true}},
    };
    ASSERT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "tempBusSil3112", "\\Device\\Scsi\\SI31121"));
    ASSERT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "tempBusSil3114", "\\Device\\Scsi\\SI31141"));
    for (const Expected& controller : machine) {
        HANDLE device = Open(controller.path);
        ASSERT_NE(device, INVALID_HANDLE_VALUE) << controller.path;
        for (unsigned short port = 0; port < 4; ++port) {
            Request request = CmdIde(port);
            DWORD returned = 0;
            const DWORD error = Send(device, request, sizeof request, sizeof request, &returned);
            if (controller.answers[port]) {
                EXPECT_EQ(error, 0u) << controller.path << " port " << port;
                EXPECT_EQ(returned, 564u);
                EXPECT_EQ(request.Header.ReturnCode, 0u);
                EXPECT_EQ(request.Data[510], 0xa5);
            } else {
                EXPECT_EQ(error, ERROR_IO_DEVICE) << controller.path << " port " << port;
            }
        }
        CloseHandle(device);
    }
    for (const char* absent : {"\\\\.\\Scsi1:", "\\\\.\\Scsi31:"}) {
        EXPECT_EQ(Open(absent), INVALID_HANDLE_VALUE);
    }
}

TEST_F(PlatformTest, InjectedFaultsHitTheChosenCall)
{
    emulated::InjectFault(emulated::Fault::PortRequest, kGeneralFailure, 1);
    HANDLE device = Open("\\\\.\\Scsi0:");
    Request request = CmdIde(0);
    EXPECT_EQ(Send(device, request), 0u);
    request = CmdIde(1);
    EXPECT_EQ(Send(device, request), kGeneralFailure);
    CloseHandle(device);

    emulated::InjectFault(emulated::Fault::Open, ERROR_ACCESS_DENIED);
    EXPECT_EQ(Open("\\\\.\\Scsi0:"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

    emulated::InjectFault(emulated::Fault::Define, kPrivilegeNotHeld);
    EXPECT_FALSE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "tempBusSil1", "\\Device\\Scsi\\SI11"));
    EXPECT_EQ(GetLastError(), kPrivilegeNotHeld);
    EXPECT_EQ(emulated::DefinitionCount("tempBusSil1"), 0);

    emulated::InjectFault(emulated::Fault::Define, 0);
    ASSERT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "tempBusSil1", "\\Device\\Scsi\\SI11"));
    emulated::InjectFault(emulated::Fault::Remove, ERROR_ACCESS_DENIED);
    EXPECT_FALSE(DefineDosDeviceA(DDD_REMOVE_DEFINITION, "tempBusSil1", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(emulated::DefinitionCount("tempBusSil1"), 1) << "a failed removal leaves the name";
}

}  // namespace
