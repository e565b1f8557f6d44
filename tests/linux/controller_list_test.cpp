// portdump-list on Linux, on the test-built sysfs trees: the lines a user
// reads, checked against what each tree holds.
#include "controller_list.h"
#include "controller_listing.h"
#include "controller_report.h"
#include "sysfs_tree.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Contents(std::FILE* file)
{
    char text[8192];
    std::rewind(file);
    const std::string contents(text, std::fread(text, 1, sizeof text, file));
    std::fclose(file);
    return contents;
}

// What a user sees: standard output, standard error, and the exit status
// where it is not 0.
std::string List(const std::string& sys)
{
    static ControllerList list;
    list = ControllerList{};
    const bool readable = ListControllersUnder(sys.c_str(), list);
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int status = ReportControllers(readable, list, out, err);
    return Contents(out) + Contents(err) + (status == 0 ? "" : "exit " + std::to_string(status) + "\n");
}

// The x86-64 guest's layout (the DVD drive by the kernel's name of type
// 05h). A model number names the first controller portdump reaches with it:
// the 3512 at 00:03.0 before the 3112s, the 3114; never the Intel AHCI whose
// id reads as a number. Of 70 controllers, only 0 to 31 have numbers.
TEST(LinuxControllerList, NumbersPortdumpTakes)
{
    EXPECT_EQ(List(Fixture("x86_64")), "0  0000:00:01.1  8086:7010  ata_piix\n"
                                           "    port 0  sg2  Direct-Access\n"
                                           "    port 1  sg3  Direct-Access\n"
                                           "    port 2  sg4  CD-ROM\n"
                                           "1  0000:00:05.0  8086:2922  ahci\n"
                                           "    port 0  sg0  Direct-Access\n"
                                           "    port 2  sg1  Direct-Access\n"
                                           "2  0000:00:06.0  1000:0012  sym53c8xx\n"
                                           "    port 3  sg5  Direct-Access\n"
                                           "Not reachable by portdump (no SCSI host): 0000:00:08.0  1b36:0010  nvme\n"
                                           "Not reachable by portdump (no SCSI host): 0000:00:09.0  1af4:1001  "
                                           "virtio-pci\n");
    EXPECT_EQ(List(Fixture("siliconimage")), "0  0000:00:03.0  1095:3512\n"
                                                 "1  0000:00:04.0  1095:3112\n"
                                                 "2  0000:00:05.0  1095:3114\n"
                                                 "3  0000:02:00.0  1095:3112\n"
                                                 "4  10000:00:00.0  8086:2922\n"
                                                 "3112  0000:00:03.0  1095:3512  (also 3512)\n"
                                                 "3114  0000:00:05.0  1095:3114\n"
                                                 "portdump-list: the sg driver is not loaded (modprobe sg), so no "
                                                 "port is shown; the list may be incomplete\n");
    const std::string seventy = List(Fixture("seventy"));
    EXPECT_EQ(seventy.find("\n32  "), std::string::npos) << seventy;
    EXPECT_NE(seventy.find("\n31  0000:20:00.0  1000:0012\n"), std::string::npos) << seventy;
}

// Without the sg driver portdump asks no port: none shown, and why. No
// controller: one line, whether the sg driver is there or not (it makes no
// number), and the controllers with no SCSI host; no sysfs: a failure. The
// hostile tree: unreadable ids as 0000, a driver's name too long or none
// left out, a model too long cut where an attribute's line is, a blank
// vendor empty, escape sequences made harmless.
TEST(LinuxControllerList, WhatSysfsDoesNotShow)
{
    EXPECT_EQ(List(Fixture("without_sg")), "0  0000:00:01.1  8086:7010  ata_piix\n"
                                           "1  0000:00:05.0  8086:2922  ahci\n"
                                           "2  0000:00:06.0  1000:0012  sym53c8xx\n"
                                           "Not reachable by portdump (no SCSI host): 0000:00:08.0  1b36:0010  nvme\n"
                                           "Not reachable by portdump (no SCSI host): 0000:00:09.0  1af4:1001  "
                                           "virtio-pci\n"
                                           "portdump-list: the sg driver is not loaded (modprobe sg), so no port "
                                           "is shown; the list may be incomplete\n");
    EXPECT_EQ(List(Fixture("usb_only")), "No controller found.\n");
    EXPECT_EQ(List(Fixture("nvme_laptop")),
              "No controller found.\nNot reachable by portdump (no SCSI host): 0000:01:00.0  144d:a808  nvme\n");
    const std::string none = Fixture("none");
    EXPECT_EQ(List(none), "portdump-list: cannot read " + none + "/devices: is sysfs mounted?\nexit 1\n");
    EXPECT_EQ(List(Fixture("hostile")), "0  0000:00:02.0  0000:0000\n"
                                            "    port 0  sg13  Direct-Access  " + std::string(63, 'm') + "\n"
                                            "    port 1  sg12  Direct-Access  EVIL  ?[2J?\n"
                                            "1  0000:00:1f.2  0000:0000\n"
                                            "    port 1  sg7  Direct-Access\n"
                                            "Not reachable by portdump (no SCSI host): 0000:00:0b.0  144d:a808\n"
                                            "Not reachable by portdump (no SCSI host): 0000:00:0c.0  1b36:0010  "
                                            "nv?[2Jme\n");
}

}  // namespace
