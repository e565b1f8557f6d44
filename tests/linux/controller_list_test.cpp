// portdump-list on Linux, on the test-built sysfs trees: the lines a user
// reads, checked against what each tree holds.
#include "controller_list.h"
#include "controller_report.h"
#include "sysfs_tree.h"
#include "system_roots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

struct Listing {
    int status;
    std::string out;
    std::string err;
};

std::string Contents(std::FILE* file)
{
    std::string text;
    std::rewind(file);
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        text += static_cast<char>(c);
    }
    std::fclose(file);
    return text;
}

Listing List(const std::string& sys)
{
    theSystemRoots.sys = sys.c_str();
    static ControllerList list;
    list = ControllerList{};
    const bool readable = ListControllers(list);
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int status = ReportControllers(readable, list, out, err);
    theSystemRoots.sys = "/sys";
    return {status, Contents(out), Contents(err)};
}

// The guests' layouts, as their QEMU command lines make them.
TEST(LinuxControllerList, GuestTrees)
{
    const Listing x86 = List(Fixture("x86_64"));
    EXPECT_EQ(x86.status, 0);
    EXPECT_EQ(x86.err, "");
    EXPECT_EQ(x86.out, "0  0000:00:01.1  8086:7010  ata_piix\n"
                       "    port 0  sg2  Direct-Access  ATA  PORTDUMP PIIX MA\n"
                       "    port 1  sg3  Direct-Access  ATA  PORTDUMP PIIX SL\n"
                       "    port 2  sg4  CD-ROM  QEMU  QEMU DVD-ROM\n"
                       "1  0000:00:05.0  8086:2922  ahci\n"
                       "    port 0  sg0  Direct-Access  ATA  PORTDUMP AHCI PO\n"
                       "    port 2  sg1  Direct-Access  ATA  PORTDUMP AHCI PO\n"
                       "2  0000:00:06.0  1000:0012  sym53c8xx\n"
                       "    port 3  sg5  Direct-Access  QEMU  QEMU HARDDISK\n");
    // Both numbers name it; vendor and model unreadable are left out.
    EXPECT_EQ(List(Fixture("ppc64")).out, "0  0000:00:02.0  1095:3112  sata_sil\n"
                                          "    port 0  sg0  Direct-Access\n"
                                          "    port 1  sg1  Direct-Access\n"
                                          "3112  0000:00:02.0  1095:3112  sata_sil  (also 3512)\n"
                                          "    port 0  sg0  Direct-Access\n"
                                          "    port 1  sg1  Direct-Access\n");
}

// A model number names the first controller portdump reaches with it: the
// 3512 at 00:03.0 before the 3112s, the 3114; never the Intel AHCI whose id
// reads as a number, nor a number below 32.
TEST(LinuxControllerList, ModelNumbersAsPortdumpResolvesThem)
{
    EXPECT_EQ(List(Fixture("siliconimage")).out, "0  0000:00:03.0  1095:3512\n"
                                                 "1  0000:00:04.0  1095:3112\n"
                                                 "2  0000:00:05.0  1095:3114\n"
                                                 "3  0000:02:00.0  1095:3112\n"
                                                 "4  10000:00:00.0  8086:2922\n"
                                                 "3112  0000:00:03.0  1095:3512  (also 3512)\n"
                                                 "3114  0000:00:05.0  1095:3114\n");
}

// Of 70 controllers, the numbers portdump can be given: 0 to 31.
TEST(LinuxControllerList, OnlyNumbersPortdumpTakes)
{
    const std::string out = List(Fixture("seventy")).out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 32);
    EXPECT_NE(out.find("\n31  0000:20:00.0  1000:0012\n"), std::string::npos) << out;
}

// Without the sg driver no port has a node: the controllers, and why no
// ports; with no controller, one line that says whether sg is there.
TEST(LinuxControllerList, SgDriverAndNoController)
{
    const Listing withoutSg = List(Fixture("without_sg"));
    EXPECT_EQ(withoutSg.status, 0);
    EXPECT_EQ(withoutSg.out, "0  0000:00:01.1  8086:7010  ata_piix\n"
                             "1  0000:00:05.0  8086:2922  ahci\n"
                             "2  0000:00:06.0  1000:0012  sym53c8xx\n");
    EXPECT_EQ(withoutSg.err, "portdump-list: the sg driver is not loaded (modprobe sg), so no port is shown; "
                             "the list may be incomplete\n");
    EXPECT_EQ(List(Fixture("usb_only")).out, "No controller found; the sg driver is loaded.\n");
    EXPECT_EQ(List(Fixture("usb_only_without_sg")).out, "No controller found; the sg driver is not loaded.\n");
    const std::string none = Fixture("none");
    const Listing unreadable = List(none);
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_EQ(unreadable.out, "");
    EXPECT_EQ(unreadable.err, "portdump-list: cannot read " + none + "/devices: is sysfs mounted?\n");
}

// Unreadable ids as 0000, a driver's name too long left out, a model too
// long cut where an attribute's line is, a blank vendor empty, an escape
// sequence made harmless; each device on one line.
TEST(LinuxControllerList, HostileTree)
{
    const Listing hostile = List(Fixture("hostile"));
    EXPECT_EQ(hostile.status, 0);
    EXPECT_EQ(hostile.out, "0  0000:00:02.0  0000:0000\n"
                           "    port 0  sg13  Direct-Access  " + std::string(63, 'm') + "\n"
                           "    port 1  sg12  Direct-Access  EVIL  ?[2J?\n"
                           "1  0000:00:1f.2  0000:0000\n"
                           "    port 1  sg7  Direct-Access\n");
}

}  // namespace
