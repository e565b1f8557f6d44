// The sysfs mapping on trees captured from the QEMU guests (only the files
// it reads) and on trees made to mislead it.
#include "sysfs_map.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Fixture(const char* name)
{
    return std::string(FIXTURES_DIR) + "/" + name;
}

struct ExpectedController {
    PciAddress address;
    unsigned vendor;
    unsigned deviceId;
};

void ExpectControllers(const char* fixture, std::initializer_list<ExpectedController> expected)
{
    Controller controllers[kMaxControllers];
    const int count = ListControllers(Fixture(fixture).c_str(), controllers);
    ASSERT_EQ(count, static_cast<int>(expected.size())) << fixture;
    int i = 0;
    for (const ExpectedController& want : expected) {
        const Controller& got = controllers[i++];
        EXPECT_EQ(got.address.domain, want.address.domain) << fixture << " #" << i - 1;
        EXPECT_EQ(got.address.bus, want.address.bus) << fixture << " #" << i - 1;
        EXPECT_EQ(got.address.device, want.address.device) << fixture << " #" << i - 1;
        EXPECT_EQ(got.address.function, want.address.function) << fixture << " #" << i - 1;
        EXPECT_EQ(got.vendor, want.vendor) << fixture << " #" << i - 1;
        EXPECT_EQ(got.deviceId, want.deviceId) << fixture << " #" << i - 1;
    }
}

// "sgN type major:minor" for each of ports 0 to 3, "-" for none.
std::string Ports(const char* fixture, PciAddress address)
{
    std::string ports;
    for (int port = 0; port < 4; ++port) {
        PortDevice device;
        if (!ports.empty()) {
            ports += ", ";
        }
        if (FindPortDevice(Fixture(fixture).c_str(), address, port, device)) {
            ports += std::string(device.sgName) + " " + std::to_string(device.scsiType) + " " +
                     std::to_string(device.major) + ":" + std::to_string(device.minor);
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
TEST(SysfsMap, X86GuestControllersInPciOrder)
{
    ExpectControllers("x86_64", {{kPiix, 0x8086, 0x7010}, {kAhci, 0x8086, 0x2922}, {kLsi, 0x1000, 0x0012}});
}

TEST(SysfsMap, X86GuestPorts)
{
    // PATA: port 2 is the secondary channel's master, type 5 (CD/DVD).
    EXPECT_EQ(Ports("x86_64", kPiix), "sg2 0 21:2, sg3 0 21:3, sg4 5 21:4, -");
    // AHCI: port p is port_no p+1; ports 1 and 3 are empty.
    EXPECT_EQ(Ports("x86_64", kAhci), "sg0 0 21:0, -, sg1 0 21:1, -");
    // SCSI: port p is target p on channel 0.
    EXPECT_EQ(Ports("x86_64", kLsi), "-, -, -, sg5 0 21:5");
    EXPECT_EQ(Ports("x86_64", {0, 0, 7, 0}), "-, -, -, -");
}

TEST(SysfsMap, Ppc64GuestSiliconImage)
{
    constexpr PciAddress kSil = {0, 0, 2, 0};
    ExpectControllers("ppc64", {{kSil, 0x1095, 0x3112}});
    EXPECT_EQ(Ports("ppc64", kSil), "sg0 0 21:0, sg1 0 21:1, -, -");
}

TEST(SysfsMap, PciOrderIsNumericAcrossBridgesAndDomains)
{
    // 0000:02:00.0 sits behind the bridge 0000:00:1c.0 and belongs to itself;
    // domain 10000 (five digits) comes last.
    ExpectControllers("siliconimage", {{{0, 0, 3, 0}, 0x1095, 0x3512},
                                       {{0, 0, 4, 0}, 0x1095, 0x3112},
                                       {{0, 0, 5, 0}, 0x1095, 0x3114},
                                       {{0, 2, 0, 0}, 0x1095, 0x3112},
                                       {{0x10000, 0, 0, 0}, 0x8086, 0x2922}});
}

// Each host of the hostile tree is described in the fixture; only host1 to
// host7 (under 00:1f.2, no vendor file) and host12, host13 (under 00:02.0,
// vendor "0x1095x") count. Ignored: a symlink loop, host numbers too large
// or not numbers, links out of the tree or to nowhere, a device path ending
// in another host, a host under no PCI function (vio), a non-hex PCI name.
TEST(SysfsMap, HostileTreeKeepsOnlyWellFormedHosts)
{
    ExpectControllers("hostile", {{{0, 0, 2, 0}, 0, 0}, {{0, 0, 0x1f, 2}, 0, 0}});
}

TEST(SysfsMap, HostileTreePorts)
{
    // port 0: port_no 1 has type 32 (no SCSI type), port_no "x1" is no number;
    // port 1: sg7 among "sgabc" and an sg number too large;
    // port 2: type "0x0"; port 3: dev "21" without a minor. port_no of
    // 99999999999999999999 and a link to /dev/zero name no port.
    EXPECT_EQ(Ports("hostile", {0, 0, 0x1f, 2}), "-, sg7 0 21:7, -, -");
    // A SCSI host under a child with a 200-character name still belongs to
    // 00:02.0: target 0 is host13's, target 1 host12's.
    EXPECT_EQ(Ports("hostile", {0, 0, 2, 0}), "sg13 0 21:13, sg12 0 21:12, -, -");
}

TEST(SysfsMap, NothingWhereTheTreeIsMissingOrTooLong)
{
    Controller controllers[kMaxControllers];
    EXPECT_EQ(ListControllers(Fixture("none").c_str(), controllers), 0);
    // A root that leaves no room for the names below it.
    const std::string longRoot = Fixture("x86_64") + "/" + std::string(4090, 'x');
    EXPECT_EQ(ListControllers(longRoot.c_str(), controllers), 0);
    PortDevice device;
    EXPECT_FALSE(FindPortDevice(longRoot.c_str(), kAhci, 0, device));
    EXPECT_FALSE(FindPortDevice(Fixture("x86_64").c_str(), kAhci, -1, device));
    EXPECT_FALSE(FindPortDevice(Fixture("x86_64").c_str(), kAhci, 16, device));
}

}  // namespace
