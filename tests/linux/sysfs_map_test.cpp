// The sysfs mapping on trees laid out as the QEMU guests' and common
// machines' kernels lay them out (only the files it reads), and on trees made
// to mislead it.
#include "sysfs_map.h"
#include "sysfs_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

namespace {

// "vendor:device@bus:device.function" of each controller, in their order.
std::string Controllers(const SysfsTree& tree)
{
    Controller controllers[kMaxControllers];
    const int count = ListControllers(tree.Root().c_str(), controllers);
    std::string list;
    char text[64];
    for (int i = 0; i < count; ++i) {
        const Controller& c = controllers[i];
        std::snprintf(text, sizeof text, "%s%04x:%04x@%x:%02x:%02x.%x", i > 0 ? ", " : "", c.vendor, c.deviceId,
                      c.address.domain, c.address.bus, c.address.device, c.address.function);
        list += text;
    }
    return list;
}

// "sgN H:C:T:L command" for each of ports 0 to 3, "-" for none.
std::string Ports(const SysfsTree& tree, PciAddress address)
{
    std::string ports;
    for (int port = 0; port < 4; ++port) {
        PortDevice device;
        ports += port > 0 ? ", " : "";
        if (!FindPortDevice(tree.Root().c_str(), address, port, device)) {
            ports += "-";
            continue;
        }
        EXPECT_EQ(std::string(device.sgName), "sg" + std::to_string(device.minor));
        const ScsiAddress& at = device.scsi;
        ports += std::string(device.sgName) + " " + std::to_string(at.host) + ":" + std::to_string(at.channel) + ":" +
                 std::to_string(at.target) + ":" + std::to_string(at.lun) +
                 (device.command == IDENTIFY_PACKET_DEVICE ? " A1h" : " ECh");
    }
    return ports;
}

TEST(SysfsMap, X86GuestControllersAndPorts)
{
    SysfsTree tree;
    MakeX86Guest(tree);
    EXPECT_EQ(Controllers(tree), "8086:7010@0:00:01.1, 8086:2922@0:00:05.0, 1000:0012@0:00:06.0");
    // PATA: master and slave of each channel; the ATAPI DVD drive gets A1h.
    EXPECT_EQ(Ports(tree, {0, 0, 1, 1}), "sg2 6:0:0:0 ECh, sg3 6:0:1:0 ECh, sg4 7:0:0:0 A1h, -");
    // AHCI: port p is port_no p+1; ports 1 and 3 are empty.
    EXPECT_EQ(Ports(tree, {0, 0, 5, 0}), "sg0 0:0:0:0 ECh, -, sg1 2:0:0:0 ECh, -");
    // SCSI: port p is target p on channel 0.
    EXPECT_EQ(Ports(tree, {0, 0, 6, 0}), "-, -, -, sg5 8:0:3:0 ECh");
    EXPECT_EQ(Ports(tree, {0, 0, 7, 0}), "-, -, -, -");
}

TEST(SysfsMap, SiliconImagesInNumericPciOrderAcrossBridgesAndDomains)
{
    SysfsTree ppc64;
    MakePpc64Guest(ppc64);
    EXPECT_EQ(Controllers(ppc64), "1095:3112@0:00:02.0");
    EXPECT_EQ(Ports(ppc64, {0, 0, 2, 0}), "sg0 0:0:0:0 ECh, sg1 1:0:0:0 ECh, -, -");
    // 02:00.0 sits behind the bridge 00:1c.0 (no storage controller itself);
    // domain 10000 (five digits) comes last.
    SysfsTree tree;
    MakeSiliconImages(tree);
    EXPECT_EQ(Controllers(tree), "1095:3512@0:00:03.0, 1095:3112@0:00:04.0, 1095:3114@0:00:05.0, "
                                 "1095:3112@0:02:00.0, 8086:2922@10000:00:00.0");
}

// A laptop: xHCI at 00:14.0 with a usb-storage stick and a UAS disk, below
// the AHCI at 00:17.0 in PCI order. Only the AHCI is a storage controller.
TEST(SysfsMap, UsbHostsNeverCount)
{
    SysfsTree tree;
    const std::string xhci = "pci0000:00/0000:00:14.0";
    const std::string ahci = "pci0000:00/0000:00:17.0";
    tree.Pci(xhci, "0x8086", "0xa36d", "0x0c0330");
    tree.Pci(ahci, "0x8086", "0xa352", "0x010601");
    tree.ScsiDevice(tree.Host(xhci + "/usb2/2-1/2-1:1.0", 2), "2:0:0:0", 0, 1);
    tree.ScsiDevice(tree.Host(xhci + "/usb2/2-2/2-2:1.0", 3), "3:0:0:0", 0, 2);
    tree.ScsiDevice(tree.AtaHost(ahci, 1, 1, 0, {"ata"}), "0:0:0:0", 0, 0);
    EXPECT_EQ(Controllers(tree), "8086:a352@0:00:17.0");
    EXPECT_EQ(Ports(tree, {0, 0, 0x14, 0}), "-, -, -, -");
}

// An LSI SAS HBA: SATA disks on end devices, one behind an expander, an
// enclosure (SES) at target 1, and a target 3 whose bus entry leads out of
// the host.
TEST(SysfsMap, SasTargetsAtAnyDepthBelowTheirHost)
{
    SysfsTree tree;
    const std::string sas = "pci0000:00/0000:00:01.0/0000:01:00.0";
    const std::string other = "pci0000:00/0000:00:02.0";
    tree.Pci(sas, "0x1000", "0x0097", "0x010700");
    tree.Pci(other, "0x1000", "0x0097", "0x010700");
    const std::string host = tree.Host(sas, 0);
    tree.ScsiDevice(host, "0:0:0:0", 0, 0, "port-0:0/end_device-0:0");
    tree.ScsiDevice(host, "0:0:1:0", 0x0D, 1, "port-0:1/end_device-0:1");
    tree.ScsiDevice(host, "0:0:2:0", 0, 2, "port-0:2/expander-0:0/port-0:0:0/end_device-0:0:0");
    tree.ScsiDevice(tree.Host(other, 1), "0:0:3:0", 0, 3);
    EXPECT_EQ(Ports(tree, {0, 1, 0, 0}), "sg0 0:0:0:0 ECh, -, sg2 0:0:2:0 ECh, -");
}

// virtio-scsi (a disk, a changer, a CD-ROM, an optical memory device) and a
// MegaRAID whose virtual drive sits on channel 2 and a JBOD disk on channel 0.
TEST(SysfsMap, OnlyDisksOpticalAndRbcDevicesAreAsked)
{
    SysfsTree tree;
    const std::string virtio = "pci0000:00/0000:00:07.0";
    const std::string megaraid = "pci0000:00/0000:00:08.0";
    tree.Pci(virtio, "0x1af4", "0x1004", "0x010000");
    tree.Pci(megaraid, "0x1000", "0x005d", "0x010400");
    const std::string host = tree.Host(virtio + "/virtio2", 2);
    tree.ScsiDevice(host, "2:0:0:0", 0x00, 0);
    tree.ScsiDevice(host, "2:0:1:0", 0x08, 1);
    tree.ScsiDevice(host, "2:0:2:0", 0x05, 2);
    tree.ScsiDevice(host, "2:0:3:0", 0x07, 3);
    EXPECT_EQ(Ports(tree, {0, 0, 7, 0}), "sg0 2:0:0:0 ECh, -, sg2 2:0:2:0 A1h, sg3 2:0:3:0 ECh");
    const std::string raid = tree.Host(megaraid, 3);
    tree.ScsiDevice(raid, "3:2:0:0", 0x00, 4);
    tree.ScsiDevice(raid, "3:0:1:0", 0x0E, 5);
    EXPECT_EQ(Ports(tree, {0, 0, 8, 0}), "-, sg5 3:0:1:0 ECh, -, -");
}

// libata's class decides, whatever the SCSI type: an ATAPI tape (type 1)
// gets A1h, a zoned ATA disk ECh, a port multiplier and an enclosure bridge
// nothing.
TEST(SysfsMap, LibataDevicesAreAskedByTheirClass)
{
    SysfsTree tree;
    const std::string ahci = "pci0000:00/0000:00:1f.2";
    tree.Pci(ahci, "0x8086", "0x2922", "0x010601");
    tree.ScsiDevice(tree.AtaHost(ahci, 1, 1, 0, {"atapi"}), "0:0:0:0", 1, 0);
    tree.ScsiDevice(tree.AtaHost(ahci, 2, 2, 1, {"zac"}), "1:0:0:0", 0x14, 1);
    tree.ScsiDevice(tree.AtaHost(ahci, 3, 3, 2, {"pmp"}), "2:0:0:0", 0, 2);
    tree.ScsiDevice(tree.AtaHost(ahci, 4, 4, 3, {"semb"}), "3:0:0:0", 0, 3);
    EXPECT_EQ(Ports(tree, {0, 0, 0x1f, 2}), "sg0 0:0:0:0 A1h, sg1 1:0:0:0 ECh, -, -");
}

// 70 controllers, on buses 1 to 70, their hosts numbered against PCI order.
TEST(SysfsMap, TheLowest64InPciOrder)
{
    SysfsTree tree;
    std::string expected;
    char function[64];
    for (unsigned bus = 1; bus <= 70; ++bus) {
        std::snprintf(function, sizeof function, "pci0000:00/0000:%02x:00.0", bus);
        tree.Pci(function, "0x1000", "0x0012", "0x010000");
        tree.Host(function, 70 - bus);
        if (bus <= 64) {
            std::snprintf(function, sizeof function, "%s1000:0012@0:%02x:00.0", bus > 1 ? ", " : "", bus);
            expected += function;
        }
    }
    EXPECT_EQ(Controllers(tree), expected);
}

// Only host1 to host5 (under 00:1f.2, no vendor file) and host12, host13
// (under 00:02.0, vendor "0x1095x") count.
void MakeHostileTree(const SysfsTree& tree)
{
    const std::string& root = tree.Root();
    const std::string sata = "pci0000:00/0000:00:1f.2";
    const std::string scsi = "pci0000:00/0000:00:02.0";
    tree.File("devices/" + sata + "/class", "0x010601\n");
    tree.File("devices/" + scsi + "/class", "0x010000\n");
    tree.File("devices/" + scsi + "/vendor", "0x1095x\n");
    // port 0: port_no 1 has class "none" (and SCSI type 0), port_no "x1" is
    // no number; port 1: sg7 among "sgabc" and an sg number too large;
    // port 2: a node of another major; port 3: dev "21" without a minor.
    // port_no 99999999999999999999 and a link to /dev/zero name no port.
    const char* portNumbers[] = {"x1", "99999999999999999999", "2", "3", "4", "1"};
    for (unsigned i = 1; i <= 6; ++i) {
        const std::string host = tree.AtaHost(sata, i, 1, i, {"ata"});
        tree.File("devices/" + sata + "/ata" + std::to_string(i) + "/ata_port/ata" + std::to_string(i) + "/port_no",
                  std::string(portNumbers[i - 1]) + "\n");
        tree.ScsiDevice(host, std::to_string(i) + ":0:0:0", 0, i + 1);
    }
    tree.File("devices/" + sata + "/ata6/link6/dev6.0/ata_device/dev6.0/class", "none\n");
    const std::string sg = "devices/" + sata + "/ata3/host3/target3:0:0/3:0:0:0/scsi_generic/";
    unlink((root + "/" + sg + "sg4/dev").c_str());
    rmdir((root + "/" + sg + "sg4").c_str());
    tree.File(sg + "sg7/dev", "21:7\n");
    tree.File(sg + "sgabc/dev", "21:9\n");
    tree.File(sg + "sg99999999999999999999/dev", "21:9\n");
    tree.File("devices/" + sata + "/ata4/host4/target4:0:0/4:0:0:0/scsi_generic/sg5/dev", "1:3\n");
    tree.File("devices/" + sata + "/ata5/host5/target5:0:0/5:0:0:0/scsi_generic/sg6/dev", "21\n");
    tree.Link("devices/" + sata + "/ata7/ata_port/ata7/port_no", "/dev/zero");
    tree.ScsiDevice(tree.Host(sata + "/ata7", 7), "7:0:0:0", 0, 8);
    // A SCSI host under a child with a 200-character name still belongs to 00:02.0.
    tree.ScsiDevice(tree.Host(scsi + "/" + std::string(200, 'a'), 13), "13:0:0:0", 0, 13);
    tree.ScsiDevice(tree.Host(scsi, 12), "12:0:1:0", 0, 12);
    // Ignored: a symlink loop, host numbers too large or not numbers, links
    // out of the tree or to nowhere, a device path ending in another host, a
    // host under no PCI function (vio), a non-hex PCI name, a function of no
    // class.
    tree.Link("loop/a", root + "/loop/b");
    tree.Link("loop/b", root + "/loop/a");
    tree.Link("class/scsi_host/host0", root + "/loop/a");
    tree.Link("class/scsi_host/host99999999999999999999", root + "/devices/" + scsi + "/host12/scsi_host/host12");
    tree.Link("class/scsi_host/hostX", root + "/devices/" + scsi + "/host12/scsi_host/host12");
    tree.Link("class/scsi_host/host15", root + "/devices/pci0000:00/0000:00:1a.0/host15");
    tree.Link("class/scsi_host/host10", root + "/devices/" + scsi + "/host11/scsi_host/host10");
    tree.Link("devices/" + scsi + "/host11/scsi_host/host10/device", root + "/devices/" + scsi + "/host11");
    tree.Link("outside/scsi_host/host14/device", root + "/outside/0000:00:1b.0/host14");
    tree.Link("class/scsi_host/host14", root + "/outside/scsi_host/host14");
    tree.Host("vio/30000002", 8);
    tree.Host("pci0000:00/0000:00:1g.0", 9);
    tree.Host("pci0000:00/0000:00:1d.0", 16);
}

TEST(SysfsMap, HostileTreeKeepsOnlyWellFormedHostsAndDevices)
{
    SysfsTree tree;
    MakeHostileTree(tree);
    EXPECT_EQ(Controllers(tree), "0000:0000@0:00:02.0, 0000:0000@0:00:1f.2");
    EXPECT_EQ(Ports(tree, {0, 0, 0x1f, 2}), "-, sg7 3:0:0:0 ECh, -, -");
    // Target 0 is host13's, target 1 host12's.
    EXPECT_EQ(Ports(tree, {0, 0, 2, 0}), "sg13 13:0:0:0 ECh, sg12 12:0:1:0 ECh, -, -");
}

TEST(SysfsMap, NothingWhereTheTreeIsMissingOrTooLong)
{
    SysfsTree tree;
    MakeX86Guest(tree);
    Controller controllers[kMaxControllers];
    EXPECT_EQ(ListControllers((tree.Root() + "/none").c_str(), controllers), 0);
    // A root that leaves no room for the names below it.
    const std::string longRoot = tree.Root() + "/" + std::string(4090, 'x');
    EXPECT_EQ(ListControllers(longRoot.c_str(), controllers), 0);
    PortDevice device;
    EXPECT_FALSE(FindPortDevice(longRoot.c_str(), {0, 0, 5, 0}, 0, device));
    EXPECT_FALSE(FindPortDevice(tree.Root().c_str(), {0, 0, 5, 0}, -1, device));
    EXPECT_FALSE(FindPortDevice(tree.Root().c_str(), {0, 0, 5, 0}, 16, device));
    EXPECT_TRUE(ScsiGenericPresent(tree.Root().c_str()));
    EXPECT_FALSE(ScsiGenericPresent(longRoot.c_str()));
}

}  // namespace
