// Which controller a name opens, the Windows errors, and which sg nodes are
// kept open: only sg nodes of the numbers sysfs gives, read-only.
#include "capabilities.h"
#include "controller_names.h"
#include "controller_open.h"
#include "sysfs_tree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <sched.h>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

namespace {

// The controller a name chooses in a fixture, or -(error).
int Chosen(const char* fixture, const char* name, const char* target)
{
    static SysfsScan scan;
    ScanSysfs(Fixture(fixture).c_str(), scan);
    int chosen = -1;
    const DWORD error = FindNamedController(scan.controllers, scan.count, name, target, chosen);
    return error != 0 ? -static_cast<int>(error) : chosen;
}

TEST(ControllerOpen, ScsiNamesCountControllers)
{
    EXPECT_EQ(Chosen("x86_64", "Scsi0:", nullptr), 0);
    EXPECT_EQ(Chosen("x86_64", "Scsi2:", nullptr), 2);
    EXPECT_EQ(Chosen("x86_64", "SCSI1:", nullptr), 1);  // Windows ignores case
    for (const char* name : {"Scsi3:", "Scsi31:", "Scsi-1:", "Scsi:", "Scsi0", "Scsi0:x", "Scsi0000:", "Scsi01:", "Scsi1000:", "Sil0:", ""}) {
        EXPECT_EQ(Chosen("x86_64", name, nullptr), -ERROR_FILE_NOT_FOUND) << name;
    }
}

TEST(ControllerOpen, SiliconImageTargetsNameTheFirstOfTheirModel)
{
    // siliconimage: 00:03.0 3512, 00:04.0 3112, 00:05.0 3114, 02:00.0 3112.
    EXPECT_EQ(Chosen("siliconimage", "tempBusSil3112", "\\Device\\Scsi\\SI31121"), 0);  // the 3512 first
    EXPECT_EQ(Chosen("siliconimage", "tempBusSil3114", "\\Device\\Scsi\\SI31141"), 2);
    EXPECT_EQ(Chosen("siliconimage", "tempBusSil3512", "\\Device\\Scsi\\SI35121"), 0);
    EXPECT_EQ(Chosen("ppc64", "tempBusSil3112", "\\Device\\Scsi\\SI31121"), 0);
    // With a SiliconImage controller present, another model or a malformed
    // name is a missing object (2); the \Device\Scsi folder exists.
    for (const char* target : {"\\Device\\Scsi\\SI31321", "\\Device\\Scsi\\SI3112", "\\Device\\Scsi\\SI-1001",
                               "\\Device\\Scsi\\SI311221", "\\Device\\Scsi\\SI031121", "\\Device\\Scsi\\SI1", "\\Device\\Scsi\\SI", "\\Device\\Scsi\\Other",
                               "\\Device\\Sil31121"}) {
        EXPECT_EQ(Chosen("siliconimage", "tempBusSil", target), -ERROR_FILE_NOT_FOUND) << target;
    }
    // Without any, the folder is missing too (3); outside it, 2.
    EXPECT_EQ(Chosen("x86_64", "tempBusSil3112", "\\Device\\Scsi\\SI31121"), -ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(Chosen("x86_64", "tempBusSil100", "\\Device\\Scsi\\SI1001"), -ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(Chosen("x86_64", "x", "\\Device\\Other"), -ERROR_FILE_NOT_FOUND);
}

// Runs `body` in a child process and returns what it exits with.
template <typename Body>
int InChild(Body body)
{
    const pid_t child = fork();
    if (child == 0) {
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST(ControllerOpen, WithoutRawIoTheOpenIsDeniedAfterTheNameIsFound)
{
    const std::string sys = Fixture("x86_64");
    const int status = InChild([&] {
        if (!DropCapabilities<CAP_SYS_RAWIO>()) {
            return 90;
        }
        OpenedDevice controller;
        const SystemRoots roots = {sys.c_str(), "/nonexistent", (sys + "/proc").c_str()};
        const DWORD missing = OpenController(roots, "Scsi3:", nullptr, controller);
        const DWORD denied = OpenController(roots, "Scsi1:", nullptr, controller);
        return missing == ERROR_FILE_NOT_FOUND && denied == ERROR_ACCESS_DENIED ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
}

// A device directory for the "nodes" tree, whose sysfs gives 21:N for sgN:
// sg0 is the memory device null (1:3), sg1 a block device 21:1, sg2 a
// symbolic link to /dev/null, sg3 the character device 21:4.
class NodeDirectory : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/portdump-dev-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dev = pattern;
        if (mknod((dev + "/sg0").c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0) {
            rmdir(dev.c_str());
            dev.clear();
            GTEST_SKIP() << "cannot make device nodes here";
        }
        ASSERT_EQ(mknod((dev + "/sg1").c_str(), S_IFBLK | 0600, makedev(kScsiGenericMajor, 1)), 0);
        ASSERT_EQ(symlink("/dev/null", (dev + "/sg2").c_str()), 0);
        ASSERT_EQ(mknod((dev + "/sg3").c_str(), S_IFCHR | 0600, makedev(kScsiGenericMajor, 4)), 0);
    }
    void TearDown() override
    {
        if (!dev.empty()) {
            for (const char* node : {"/sg0", "/sg1", "/sg2", "/sg3"}) {
                unlink((dev + node).c_str());
            }
            rmdir(dev.c_str());
        }
    }
    std::string dev;
};

TEST_F(NodeDirectory, KeepsNoOtherNodeOpen)
{
    if (!HasCapability(CAP_SYS_RAWIO)) {
        GTEST_SKIP() << "needs CAP_SYS_RAWIO";
    }
    const std::string sys = Fixture("nodes");
    OpenedDevice controller;
    ASSERT_EQ(OpenController({sys.c_str(), dev.c_str(), (sys + "/proc").c_str()}, "Scsi0:", nullptr, controller), 0u);
    for (int fd : controller.fd) {
        EXPECT_EQ(fd, -1);
    }
    CloseController(controller);
}

TEST_F(NodeDirectory, ANodeItMayNotOpenDeniesTheWholeController)
{
    ASSERT_EQ(unlink((dev + "/sg3").c_str()), 0);
    ASSERT_EQ(mknod((dev + "/sg3").c_str(), S_IFCHR, makedev(kScsiGenericMajor, 3)), 0);
    const std::string sys = Fixture("nodes");
    const int status = InChild([&] {
        // Root reads any file; without the override the mode counts.
        if (!HasCapability(CAP_SYS_RAWIO) || !DropCapabilities<CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH>()) {
            return 90;
        }
        OpenedDevice controller;
        const SystemRoots roots = {sys.c_str(), dev.c_str(), (sys + "/proc").c_str()};
        return OpenController(roots, "Scsi0:", nullptr, controller) == ERROR_ACCESS_DENIED ? 0 : 1;
    });
    if (status == 90) {
        GTEST_SKIP() << "needs CAP_SYS_RAWIO";
    }
    EXPECT_EQ(status, 0);
}

// Root of a user namespace has every capability there, but not CAP_SYS_RAWIO
// where SG_IO asks for it. Without the sg driver, the name is still checked first.
TEST(ControllerOpen, UserNamespacesAreDeniedAndAMissingSgDriverIsReported)
{
    const std::string sys = Fixture("x86_64");
    OpenedDevice controller;
    const int status = InChild([&] {
        if (!HasCapability(CAP_SYS_RAWIO) || unshare(CLONE_NEWUSER) != 0) {
            return 90;
        }
        return OpenController({sys.c_str(), "/nonexistent", "/proc"}, "Scsi1:", nullptr, controller) ==
                       ERROR_ACCESS_DENIED
                   ? 0
                   : 1;
    });
    EXPECT_TRUE(status == 0 || status == 90) << status;
    const std::string without = Fixture("without_sg");
    const SystemRoots roots = {without.c_str(), "/nonexistent", (without + "/proc").c_str()};
    EXPECT_EQ(OpenController(roots, "Scsi1:", nullptr, controller), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
    EXPECT_EQ(OpenController(roots, "Scsi3:", nullptr, controller), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
