// The sysfs scan on trees laid out as the QEMU guests' and common
// machines', and on trees made to mislead it.
#include "sysfs_scan.h"
#include "sysfs_tree.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ExpectedController {
    PciAddress address;
    unsigned vendor;
    unsigned deviceId;
};

void ExpectControllers(const char* fixture, std::initializer_list<ExpectedController> expected)
{
    static SysfsScan scan;
    ScanSysfs(Fixture(fixture).c_str(), scan);
    ASSERT_EQ(scan.count, static_cast<int>(expected.size())) << fixture;
    int i = 0;
    for (const ExpectedController& want : expected) {
        const PciFunction& got = scan.controllers[i++].function;
        EXPECT_EQ(got.address.domain, want.address.domain) << fixture << " #" << i - 1;
        EXPECT_EQ(got.address.bus, want.address.bus) << fixture << " #" << i - 1;
        EXPECT_EQ(got.address.device, want.address.device) << fixture << " #" << i - 1;
        EXPECT_EQ(got.address.function, want.address.function) << fixture << " #" << i - 1;
        EXPECT_EQ(got.vendor, want.vendor) << fixture << " #" << i - 1;
        EXPECT_EQ(got.deviceId, want.deviceId) << fixture << " #" << i - 1;
    }
}

// "sgN command H:C:T:L" for each of ports 0 to 3 of the controller at
// `address`, "-" for none.
std::string Ports(const char* fixture, PciAddress address)
{
    static SysfsScan scan;
    ScanSysfs(Fixture(fixture).c_str(), scan);
    const Controller* controller = nullptr;
    for (int i = 0; i < scan.count; ++i) {
        const PciAddress& at = scan.controllers[i].function.address;
        if (at.domain == address.domain && at.bus == address.bus && at.device == address.device &&
            at.function == address.function) {
            controller = &scan.controllers[i];
        }
    }
    std::string ports;
    for (int port = 0; port < 4; ++port) {
        if (!ports.empty()) {
            ports += ", ";
        }
        if (controller != nullptr && controller->ports[port].device.found) {
            const PortDevice& device = controller->ports[port].device;
            EXPECT_EQ(std::string(device.sgName), "sg" + std::to_string(device.minor));
            const ScsiAddress& at = device.scsi;
            ports += std::string(device.sgName) + (device.command == IDENTIFY_DEVICE ? " ECh " : " A1h ") +
                     std::to_string(at.host) + ":" + std::to_string(at.channel) + ":" + std::to_string(at.target) +
                     ":" + std::to_string(at.lun);
        } else {
            ports += "-";
        }
    }
    return ports;
}

constexpr PciAddress kPiix = {0, 0, 1, 1};
constexpr PciAddress kAhci = {0, 0, 5, 0};
constexpr PciAddress kLsi = {0, 0, 6, 0};

// The x86-64 guest: PIIX IDE 00:01.1 (primary master and slave, secondary
// master a DVD drive), AHCI 00:05.0 (disks on ports 0 and 2, six ATA ports),
// LSI 00:06.0 (a disk on SCSI id 3). Host numbers follow the load order
// (ahci first), not the PCI order.
TEST(SysfsScan, X86GuestControllersInPciOrder)
{
    ExpectControllers("x86_64", {{kPiix, 0x8086, 0x7010}, {kAhci, 0x8086, 0x2922}, {kLsi, 0x1000, 0x0012}});
}

TEST(SysfsScan, X86GuestPorts)
{
    // PATA: port 2 is the secondary channel's master, an ATAPI DVD drive.
    EXPECT_EQ(Ports("x86_64", kPiix), "sg2 ECh 6:0:0:0, sg3 ECh 6:0:1:0, sg4 A1h 7:0:0:0, -");
    // AHCI: port p is port_no p+1; ports 1 and 3 are empty.
    EXPECT_EQ(Ports("x86_64", kAhci), "sg0 ECh 0:0:0:0, -, sg1 ECh 2:0:0:0, -");
    // SCSI: port p is target p on channel 0.
    EXPECT_EQ(Ports("x86_64", kLsi), "-, -, -, sg5 ECh 8:0:3:0");
    EXPECT_EQ(Ports("x86_64", {0, 0, 7, 0}), "-, -, -, -");
}

TEST(SysfsScan, Ppc64GuestSiliconImage)
{
    constexpr PciAddress kSil = {0, 0, 2, 0};
    ExpectControllers("ppc64", {{kSil, 0x1095, 0x3112}});
    EXPECT_EQ(Ports("ppc64", kSil), "sg0 ECh 0:0:0:0, sg1 ECh 1:0:0:0, -, -");
}

TEST(SysfsScan, PciOrderIsNumericAcrossBridgesAndDomains)
{
    // 0000:02:00.0 sits behind the bridge 0000:00:1c.0 and belongs to itself;
    // domain 10000 (five digits) comes last.
    ExpectControllers("siliconimage", {{{0, 0, 3, 0}, 0x1095, 0x3512},
                                       {{0, 0, 4, 0}, 0x1095, 0x3112},
                                       {{0, 0, 5, 0}, 0x1095, 0x3114},
                                       {{0, 2, 0, 0}, 0x1095, 0x3112},
                                       {{0x10000, 0, 0, 0}, 0x8086, 0x2922}});
}

// The hostile tree is described where it is made.
TEST(SysfsScan, HostileTreeKeepsOnlyWellFormedHosts)
{
    ExpectControllers("hostile", {{{0, 0, 2, 0}, 0, 0}, {{0, 0, 0x1f, 2}, 0, 0}});
}

TEST(SysfsScan, HostileTreePorts)
{
    EXPECT_EQ(Ports("hostile", {0, 0, 0x1f, 2}), "-, sg7 ECh 3:0:0:0, -, -");
    // Target 0 is host13's, target 1 host12's.
    EXPECT_EQ(Ports("hostile", {0, 0, 2, 0}), "sg13 ECh 13:0:0:0, sg12 ECh 12:0:1:0, -, -");
}

// The xHCI below the AHCI in PCI order is no storage controller.
TEST(SysfsScan, UsbHostsNeverCount)
{
    ExpectControllers("laptop", {{{0, 0, 0x17, 0}, 0x8086, 0xa352}});
    EXPECT_EQ(Ports("laptop", {0, 0, 0x14, 0}), "-, -, -, -");
}

// Through SAS end devices and an expander; an enclosure is not asked, nor a
// device of that name below another host.
TEST(SysfsScan, SasTargetsAtAnyDepthBelowTheirOwnHost)
{
    EXPECT_EQ(Ports("sas", {0, 1, 0, 0}), "sg0 ECh 0:0:0:0, -, sg2 ECh 0:0:2:0, -");
}

// virtio-scsi: a changer is not asked; MegaRAID: not the virtual drive on
// channel 2; libata: the ATAPI tape and the zoned disk are asked.
TEST(SysfsScan, DevicesAreAskedByScsiTypeOrLibataClass)
{
    EXPECT_EQ(Ports("device_types", {0, 0, 7, 0}), "sg0 ECh 2:0:0:0, -, sg2 A1h 2:0:2:0, sg3 ECh 2:0:3:0");
    EXPECT_EQ(Ports("device_types", {0, 0, 8, 0}), "-, sg5 ECh 3:0:1:0, -, -");
    EXPECT_EQ(Ports("device_types", {0, 0, 0x1f, 2}), "sg6 A1h 4:0:0:0, sg7 ECh 5:0:0:0, -, -");
}

TEST(SysfsScan, TheLowest64InPciOrder)
{
    static SysfsScan scan;
    ScanSysfs(Fixture("seventy").c_str(), scan);
    ASSERT_EQ(scan.count, kMaxControllers);
    for (unsigned i = 0; i < kMaxControllers; ++i) {
        EXPECT_EQ(scan.controllers[i].function.address.bus, i + 1);
    }
    // The six that gave way have SCSI hosts all the same.
    EXPECT_EQ(scan.hostlessCount, 0);
}

TEST(SysfsScan, NothingWhereTheTreeIsMissingOrTooLong)
{
    static SysfsScan scan;
    ScanSysfs(Fixture("none").c_str(), scan);
    EXPECT_EQ(scan.count + scan.hostlessCount, 0);
    // A root that leaves no room for the names below it.
    const std::string longRoot = Fixture("x86_64") + "/" + std::string(4090, 'x');
    ScanSysfs(longRoot.c_str(), scan);
    EXPECT_EQ(scan.count + scan.hostlessCount, 0);
    EXPECT_FALSE(scan.scsiGeneric);
    ScanSysfs(Fixture("x86_64").c_str(), scan);
    EXPECT_TRUE(scan.scsiGeneric);
    ScanSysfs(Fixture("without_sg").c_str(), scan);
    EXPECT_FALSE(scan.scsiGeneric);
}

}  // namespace
