// Which controller a name opens, the Windows errors, and which sg nodes are
// kept open: only character devices of the sg major and the numbers sysfs
// gives, read-only.
#include "capabilities.h"
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

// The controller a name chooses in a tree, or -(error).
int Chosen(const SysfsTree& tree, const char* name, const char* target)
{
    Controller controllers[kMaxControllers];
    const int count = ListControllers(tree.Root().c_str(), controllers);
    int chosen = -1;
    const DWORD error = FindNamedController(controllers, count, name, target, chosen);
    return error != 0 ? -static_cast<int>(error) : chosen;
}

TEST(ControllerOpen, ScsiNamesCountControllers)
{
    SysfsTree x86;
    MakeX86Guest(x86);
    EXPECT_EQ(Chosen(x86, "Scsi0:", nullptr), 0);
    EXPECT_EQ(Chosen(x86, "Scsi2:", nullptr), 2);
    EXPECT_EQ(Chosen(x86, "SCSI1:", nullptr), 1);  // Windows ignores case
    for (const char* name : {"Scsi3:", "Scsi31:", "Scsi-1:", "Scsi:", "Scsi0", "Scsi0:x", "Scsi0000:", "Scsi01:", "Scsi1000:", "Sil0:", ""}) {
        EXPECT_EQ(Chosen(x86, name, nullptr), -ERROR_FILE_NOT_FOUND) << name;
    }
}

TEST(ControllerOpen, SiliconImageTargetsNameTheFirstOfTheirModel)
{
    SysfsTree sil;
    MakeSiliconImages(sil);
    SysfsTree ppc64;
    MakePpc64Guest(ppc64);
    SysfsTree x86;
    MakeX86Guest(x86);
    // 00:03.0 3512, 00:04.0 3112, 00:05.0 3114, 02:00.0 3112.
    EXPECT_EQ(Chosen(sil, "tempBusSil3112", "\\Device\\Scsi\\SI31121"), 0);  // the 3512 first
    EXPECT_EQ(Chosen(sil, "tempBusSil3114", "\\Device\\Scsi\\SI31141"), 2);
    EXPECT_EQ(Chosen(sil, "tempBusSil3512", "\\Device\\Scsi\\SI35121"), 0);
    EXPECT_EQ(Chosen(ppc64, "tempBusSil3112", "\\Device\\Scsi\\SI31121"), 0);
    // With a SiliconImage controller present, another model or a malformed
    // name is a missing object (2); the \Device\Scsi folder exists.
    for (const char* target : {"\\Device\\Scsi\\SI31321", "\\Device\\Scsi\\SI3112", "\\Device\\Scsi\\SI-1001",
                               "\\Device\\Scsi\\SI311221", "\\Device\\Scsi\\SI031121", "\\Device\\Scsi\\SI1", "\\Device\\Scsi\\SI", "\\Device\\Scsi\\Other",
                               "\\Device\\Sil31121"}) {
        EXPECT_EQ(Chosen(sil, "tempBusSil", target), -ERROR_FILE_NOT_FOUND) << target;
    }
    // Without any, the folder is missing too (3); outside it, 2.
    EXPECT_EQ(Chosen(x86, "tempBusSil3112", "\\Device\\Scsi\\SI31121"), -ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(Chosen(x86, "tempBusSil100", "\\Device\\Scsi\\SI1001"), -ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(Chosen(x86, "x", "\\Device\\Other"), -ERROR_FILE_NOT_FOUND);
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
    SysfsTree tree;
    MakeX86Guest(tree);
    const SystemRoots roots = {tree.Root().c_str(), "/nonexistent", tree.Proc().c_str()};
    const int status = InChild([&] {
        if (!DropCapabilities<CAP_SYS_RAWIO>()) {
            return 90;
        }
        OpenedController controller;
        const DWORD missing = OpenController(roots, "Scsi3:", nullptr, controller);
        const DWORD denied = OpenController(roots, "Scsi1:", nullptr, controller);
        return missing == ERROR_FILE_NOT_FOUND && denied == ERROR_ACCESS_DENIED ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
}

// Root of a user namespace has every capability there, but not CAP_SYS_RAWIO
// where SG_IO asks for it.
TEST(ControllerOpen, OutsideTheInitialUserNamespaceTheOpenIsDenied)
{
    if (!HasCapability(CAP_SYS_RAWIO)) {
        GTEST_SKIP() << "needs CAP_SYS_RAWIO";
    }
    SysfsTree tree;
    MakeX86Guest(tree);
    const std::string proc = tree.Proc();
    OpenedController controller;
    ASSERT_EQ(OpenController({tree.Root().c_str(), "/nonexistent", proc.c_str()}, "Scsi1:", nullptr, controller), 0u);
    CloseController(controller);
    for (const char* uidMap : {"         0       1000          1\n", "0 0 4294967294\n", "0 0 4294967295 0\n", ""}) {
        tree.Proc(uidMap);
        EXPECT_EQ(OpenController({tree.Root().c_str(), "/nonexistent", proc.c_str()}, "Scsi1:", nullptr, controller),
                  static_cast<DWORD>(ERROR_ACCESS_DENIED))
            << uidMap;
    }
    const int status = InChild([&] {
        if (unshare(CLONE_NEWUSER) != 0) {
            return 90;
        }
        return OpenController({tree.Root().c_str(), "/nonexistent", "/proc"}, "Scsi1:", nullptr, controller) ==
                       ERROR_ACCESS_DENIED
                   ? 0
                   : 1;
    });
    if (status == 90) {
        GTEST_SKIP() << "user namespaces are not available here";
    }
    EXPECT_EQ(status, 0);
}

TEST(ControllerOpen, WithoutTheSgDriverTheOpenSaysSo)
{
    SysfsTree tree;
    MakeX86Guest(tree);
    ASSERT_EQ(rmdir((tree.Root() + "/class/scsi_generic").c_str()), 0);
    OpenedController controller;
    const SystemRoots roots = {tree.Root().c_str(), "/nonexistent", tree.Proc().c_str()};
    EXPECT_EQ(OpenController(roots, "Scsi1:", nullptr, controller), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
    EXPECT_EQ(OpenController(roots, "Scsi3:", nullptr, controller), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// Controller 00:10.0 with SCSI devices at targets 0 to 3, whose sysfs gives
// sg0 to sg3 as 21:0 to 21:3; their nodes are no sg nodes of those numbers:
// sg0 is the memory device null (1:3), sg1 a block device 21:1, sg2 a
// symbolic link to /dev/null, sg3 the character device 21:4.
class NodeDirectory : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string controller = "pci0000:00/0000:00:10.0";
        tree.Pci(controller, "0x1000", "0x0012", "0x010000");
        const std::string host = tree.Host(controller, 0);
        for (unsigned target = 0; target < 4; ++target) {
            tree.ScsiDevice(host, "0:0:" + std::to_string(target) + ":0", 0, target);
        }
        proc = tree.Proc();
        dev = tree.Root() + "/dev";
        tree.Dir("dev");
        if (mknod((dev + "/sg0").c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0) {
            GTEST_SKIP() << "cannot make device nodes here";
        }
        ASSERT_EQ(mknod((dev + "/sg1").c_str(), S_IFBLK | 0600, makedev(kScsiGenericMajor, 1)), 0);
        ASSERT_EQ(symlink("/dev/null", (dev + "/sg2").c_str()), 0);
        ASSERT_EQ(mknod((dev + "/sg3").c_str(), S_IFCHR | 0600, makedev(kScsiGenericMajor, 4)), 0);
    }
    SystemRoots Roots() const { return {tree.Root().c_str(), dev.c_str(), proc.c_str()}; }
    SysfsTree tree;
    std::string dev;
    std::string proc;
};

TEST_F(NodeDirectory, KeepsNoOtherNodeOpen)
{
    if (!HasCapability(CAP_SYS_RAWIO)) {
        GTEST_SKIP() << "needs CAP_SYS_RAWIO";
    }
    OpenedController controller;
    ASSERT_EQ(OpenController(Roots(), "Scsi0:", nullptr, controller), 0u);
    for (int port = 0; port < CMD_IDE_PORT_COUNT; ++port) {
        EXPECT_EQ(controller.fd[port], -1) << port;
    }
    CloseController(controller);
}

TEST_F(NodeDirectory, ANodeItMayNotOpenDeniesTheWholeController)
{
    // The right number, but no permission to open it.
    ASSERT_EQ(unlink((dev + "/sg3").c_str()), 0);
    ASSERT_EQ(mknod((dev + "/sg3").c_str(), S_IFCHR, makedev(kScsiGenericMajor, 3)), 0);
    const int status = InChild([&] {
        // Root reads any file; without the override the mode counts.
        if (!HasCapability(CAP_SYS_RAWIO) || !DropCapabilities<CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH>()) {
            return 90;
        }
        OpenedController controller;
        return OpenController(Roots(), "Scsi0:", nullptr, controller) == ERROR_ACCESS_DENIED ? 0 : 1;
    });
    if (status == 90) {
        GTEST_SKIP() << "needs CAP_SYS_RAWIO";
    }
    EXPECT_EQ(status, 0);
}

}  // namespace
