// Sysfs trees laid out as Linux 6.1 lays them out (only the files the
// platform reads), for the guests, common machines, and to mislead.
#include "sysfs_tree.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ftw.h>
#include <map>
#include <memory>
#include <sys/stat.h>

namespace {

using std::string;

int RemoveEntry(const char* path, const struct stat*, int, FTW*)
{
    return std::remove(path);
}

// Paths are below the root; hosts and devices below devices/.
class Tree {
public:
    Tree()
    {
        char pattern[] = "/tmp/portdump-sysfs-XXXXXX";
        EXPECT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        chmod(pattern, 0755);  // readable by a child in a user namespace too
        File("proc/self/uid_map", "         0          0 4294967295");
    }
    ~Tree() { nftw(root.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;

    // A one-line attribute.
    void File(const string& path, const string& text) const
    {
        Parents(path);
        FILE* file = std::fopen((root + "/" + path).c_str(), "w");
        ASSERT_NE(file, nullptr) << path;
        std::fprintf(file, "%s\n", text.c_str());
        std::fclose(file);
    }
    // TARGET is below the root unless it is absolute.
    void Link(const string& path, const string& target) const
    {
        Parents(path);
        const string to = target[0] == '/' ? target : root + "/" + target;
        EXPECT_EQ(symlink(to.c_str(), (root + "/" + path).c_str()), 0) << path;
    }
    void Pci(const string& function, const char* vendor, const char* device, const char* pciClass,
             const string& driver = "") const
    {
        File("devices/" + function + "/vendor", vendor);
        File("devices/" + function + "/device", device);
        File("devices/" + function + "/class", pciClass);
        Link("bus/pci/devices/" + function.substr(function.rfind('/') + 1), "devices/" + function);
        if (!driver.empty()) {
            Link("devices/" + function + "/driver", "bus/pci/drivers/" + driver);
        }
    }
    string Host(const string& parent, unsigned number) const
    {
        const string name = "host" + std::to_string(number);
        const string host = parent + "/" + name;
        Link("devices/" + host + "/scsi_host/" + name + "/device", "devices/" + host);
        Link("class/scsi_host/" + name, "devices/" + host + "/scsi_host/" + name);
        return host;
    }
    // libata's port ataID, its devices of libata's CLASSES, its SCSI host.
    string AtaHost(const string& function, unsigned id, unsigned portNo, unsigned host,
                   std::initializer_list<const char*> classes) const
    {
        const string ata = function + "/ata" + std::to_string(id);
        const string n = std::to_string(id);
        File("devices/" + ata + "/ata_port/ata" + n + "/port_no", std::to_string(portNo));
        unsigned devno = 0;
        for (const char* deviceClass : classes) {
            const string dev = "dev" + n + "." + std::to_string(devno++);
            File("devices/" + ata + "/link" + n + "/" + dev + "/ata_device/" + dev + "/class", string(deviceClass));
        }
        return Host(ata, host);
    }
    // The SCSI device ADDRESS (H:C:T:L) below HOST, further below it through
    // VIA where given, with the node sgSG of 21:SG.
    void Device(const string& host, const string& address, unsigned type, unsigned sg, const string& via = "") const
    {
        const string device = "devices/" + host + (via.empty() ? "" : "/" + via) + "/target" +
                              address.substr(0, address.rfind(':')) + "/" + address;
        File(device + "/type", std::to_string(type));
        File(device + "/scsi_generic/sg" + std::to_string(sg) + "/dev", "21:" + std::to_string(sg));
        Link("bus/scsi/devices/" + address, device);
        Parents("class/scsi_generic/");
    }
    string root;

private:
    void Parents(const string& path) const
    {
        for (std::size_t slash = path.find('/'); slash != string::npos; slash = path.find('/', slash + 1)) {
            mkdir((root + "/" + path.substr(0, slash)).c_str(), 0755);
        }
    }
};

// The x86-64 QEMU guest: PIIX IDE 00:01.1 (primary master and slave,
// secondary master an ATAPI DVD drive), AHCI 00:05.0 (six ATA ports, disks
// on 0 and 2), LSI 00:06.0 (a disk on SCSI id 3); NVMe 00:08.0 and
// virtio-blk 00:09.0, no SCSI host. Host numbers follow the load order
// (ahci first), not the PCI order.
void X86Guest(const Tree& tree)
{
    const string piix = "pci0000:00/0000:00:01.1";
    const string ahci = "pci0000:00/0000:00:05.0";
    tree.Pci(piix, "0x8086", "0x7010", "0x010180", "ata_piix");
    tree.Pci(ahci, "0x8086", "0x2922", "0x010601", "ahci");
    tree.Pci("pci0000:00/0000:00:06.0", "0x1000", "0x0012", "0x010000", "sym53c8xx");
    for (unsigned port = 0; port < 6; ++port) {
        const bool disk = port == 0 || port == 2;
        const string host = tree.AtaHost(ahci, port + 1, port + 1, port, {disk ? "ata" : "none"});
        if (disk) {
            tree.Device(host, std::to_string(port) + ":0:0:0", 0, port / 2);
        }
    }
    const string primary = tree.AtaHost(piix, 7, 1, 6, {"ata", "ata"});
    tree.Device(primary, "6:0:0:0", 0, 2);
    tree.Device(primary, "6:0:1:0", 0, 3);
    tree.Device(tree.AtaHost(piix, 8, 2, 7, {"atapi", "none"}), "7:0:0:0", 5, 4);
    tree.Device(tree.Host("pci0000:00/0000:00:06.0", 8), "8:0:3:0", 0, 5);
    tree.Pci("pci0000:00/0000:00:08.0", "0x1b36", "0x0010", "0x010802", "nvme");
    tree.Pci("pci0000:00/0000:00:09.0", "0x1af4", "0x1001", "0x010000", "virtio-pci");
}

// The ppc64 QEMU guest: a SiliconImage 3112 at 00:02.0 with two disks.
void Ppc64Guest(const Tree& tree)
{
    const string sil = "pci0000:00/0000:00:02.0";
    tree.Pci(sil, "0x1095", "0x3112", "0x010400", "sata_sil");
    tree.Device(tree.AtaHost(sil, 1, 1, 0, {"ata"}), "0:0:0:0", 0, 0);
    tree.Device(tree.AtaHost(sil, 2, 2, 1, {"ata"}), "1:0:0:0", 0, 1);
}

// 00:03.0 3512, 00:04.0 3112, 00:05.0 3114, 02:00.0 3112 behind the bridge
// 00:1c.0, an Intel AHCI in domain 10000; hosts against PCI order.
void SiliconImages(const Tree& tree)
{
    const char* functions[][2] = {{"pci0000:00/0000:00:04.0", "0x3112"},
                                  {"pci0000:00/0000:00:1c.0/0000:02:00.0", "0x3112"},
                                  {"pci0000:00/0000:00:03.0", "0x3512"},
                                  {"pci0000:00/0000:00:05.0", "0x3114"},
                                  {"pci10000:00/10000:00:00.0", "0x2922"}};
    for (unsigned host = 0; host < 5; ++host) {
        tree.Pci(functions[host][0], host < 4 ? "0x1095" : "0x8086", functions[host][1], "0x018000");
        tree.AtaHost(functions[host][0], host + 1, 1, host, {"none"});
    }
    tree.Pci("pci0000:00/0000:00:1c.0", "0x8086", "0x2448", "0x060400");
}

// A laptop: xHCI 00:14.0 with a usb-storage stick and a UAS disk, below the
// AHCI 00:17.0 in PCI order.
void Laptop(const Tree& tree)
{
    const string xhci = "pci0000:00/0000:00:14.0";
    tree.Pci(xhci, "0x8086", "0xa36d", "0x0c0330");
    tree.Pci("pci0000:00/0000:00:17.0", "0x8086", "0xa352", "0x010601");
    tree.Device(tree.Host(xhci + "/usb2/2-1/2-1:1.0", 1), "1:0:0:0", 0, 1);
    tree.Device(tree.Host(xhci + "/usb2/2-2/2-2:1.0", 2), "2:0:0:0", 0, 2);
    tree.Device(tree.AtaHost("pci0000:00/0000:00:17.0", 1, 1, 0, {"ata"}), "0:0:0:0", 0, 0);
}

// An LSI SAS HBA at 01:00.0: SATA disks on end devices at targets 0 and 2,
// the second behind an expander, an enclosure (SES) at target 1, and at
// 00:02.0 another HBA whose host holds a device named 0:0:3:0.
void Sas(const Tree& tree)
{
    const string sas = "pci0000:00/0000:00:01.0/0000:01:00.0";
    tree.Pci(sas, "0x1000", "0x0097", "0x010700");
    tree.Pci("pci0000:00/0000:00:02.0", "0x1000", "0x0097", "0x010700");
    const string host = tree.Host(sas, 0);
    tree.Device(host, "0:0:0:0", 0, 0, "port-0:0/end_device-0:0");
    tree.Device(host, "0:0:1:0", 0x0D, 1, "port-0:1/end_device-0:1");
    tree.Device(host, "0:0:2:0", 0, 2, "port-0:2/expander-0:0/port-0:0:0/end_device-0:0:0");
    tree.Device(tree.Host("pci0000:00/0000:00:02.0", 1), "0:0:3:0", 0, 3);
}

// virtio-scsi 00:07.0: a disk, a changer, a CD-ROM, an optical memory
// device at targets 0 to 3. MegaRAID 00:08.0: a virtual drive on channel
// 2, an RBC device on channel 0 target 1. libata 00:1f.2: an ATAPI tape
// (SCSI type 1), a zoned disk, a port multiplier, an enclosure bridge.
void DeviceTypes(const Tree& tree)
{
    tree.Pci("pci0000:00/0000:00:07.0", "0x1af4", "0x1004", "0x010000");
    const string virtio = tree.Host("pci0000:00/0000:00:07.0/virtio2", 2);
    const unsigned types[] = {0x00, 0x08, 0x05, 0x07};
    for (unsigned target = 0; target < 4; ++target) {
        tree.Device(virtio, "2:0:" + std::to_string(target) + ":0", types[target], target);
    }
    tree.Pci("pci0000:00/0000:00:08.0", "0x1000", "0x005d", "0x010400");
    const string raid = tree.Host("pci0000:00/0000:00:08.0", 3);
    tree.Device(raid, "3:2:0:0", 0x00, 4);
    tree.Device(raid, "3:0:1:0", 0x0E, 5);
    const string ahci = "pci0000:00/0000:00:1f.2";
    tree.Pci(ahci, "0x8086", "0x2922", "0x010601");
    const char* classes[] = {"atapi", "zac", "pmp", "semb"};
    for (unsigned port = 0; port < 4; ++port) {
        tree.Device(tree.AtaHost(ahci, port + 1, port + 1, port + 4, {classes[port]}),
                    std::to_string(port + 4) + ":0:0:0", port == 0 ? 1 : 0, port + 6);
    }
}

// 70 controllers on buses 1 to 70, their hosts numbered against PCI order.
void Seventy(const Tree& tree)
{
    char function[32];
    for (unsigned bus = 1; bus <= 70; ++bus) {
        std::snprintf(function, sizeof function, "pci0000:00/0000:%02x:00.0", bus);
        tree.Pci(function, "0x1000", "0x0012", "0x010000");
        tree.Host(function, 70 - bus);
    }
}

// Only host1 to host7 (under 00:1f.2, no vendor file, a driver's name too
// long) and host12, host13 (under 00:02.0, vendor "0x1095x") count; the
// device 12:0:1:0 has an escape sequence in its model, 13:0:0:0 a model
// too long and a vendor of blanks. Ignored: a symlink loop, host
// numbers too large or not numbers, links out of the tree or to nowhere, a
// device path ending in another host, a host under no PCI function (vio), a
// non-hex PCI name, a function of no class.
void Hostile(const Tree& tree)
{
    const string sata = "pci0000:00/0000:00:1f.2";
    const string scsi = "pci0000:00/0000:00:02.0";
    tree.File("devices/" + sata + "/class", "0x010601");
    tree.File("devices/" + scsi + "/class", "0x010000");
    tree.File("devices/" + scsi + "/vendor", "0x1095x");
    // port_no "x1" and 99999999999999999999 name no port. Port 0: class
    // none; port 1: sg7 among "sgabc" and an sg number too large; port 2: a
    // node of another major; port 3: dev "21" without a minor.
    const char* portNumbers[] = {"x1", "99999999999999999999", "2", "3", "4", "1"};
    const unsigned sgs[] = {1, 2, 7, 5, 6, 8};
    for (unsigned i = 1; i <= 6; ++i) {
        const string n = std::to_string(i);
        tree.Device(tree.AtaHost(sata, i, 1, i, {i == 6 ? "none" : "ata"}), n + ":0:0:0", 0, sgs[i - 1]);
        tree.File("devices/" + sata + "/ata" + n + "/ata_port/ata" + n + "/port_no", string(portNumbers[i - 1]));
    }
    const string sg = "devices/" + sata + "/ata3/host3/target3:0:0/3:0:0:0/scsi_generic/";
    tree.File(sg + "sgabc/dev", "21:9");
    tree.File(sg + "sg99999999999999999999/dev", "21:9");
    tree.File("devices/" + sata + "/ata4/host4/target4:0:0/4:0:0:0/scsi_generic/sg5/dev", "1:3");
    tree.File("devices/" + sata + "/ata5/host5/target5:0:0/5:0:0:0/scsi_generic/sg6/dev", "21");
    tree.Link("devices/" + sata + "/ata7/ata_port/ata7/port_no", "/dev/zero");
    tree.Device(tree.Host(sata + "/ata7", 7), "7:0:0:0", 0, 10);
    // A SCSI host under a child with a 200-character name still belongs to 00:02.0.
    tree.Device(tree.Host(scsi + "/" + string(200, 'a'), 13), "13:0:0:0", 0, 13);
    tree.Device(tree.Host(scsi, 12), "12:0:1:0", 0, 12);
    tree.Link("devices/" + sata + "/driver", "bus/pci/drivers/" + string(70, 'd'));
    tree.File("bus/scsi/devices/12:0:1:0/vendor", "EVIL    ");
    tree.File("bus/scsi/devices/12:0:1:0/model", "\x1b[2J\x7f           ");
    tree.File("bus/scsi/devices/13:0:0:0/vendor", "        ");
    tree.File("bus/scsi/devices/13:0:0:0/model", string(70, 'm'));
    tree.Link("loop/a", "loop/b");
    tree.Link("loop/b", "loop/a");
    tree.Link("class/scsi_host/host0", "loop/a");
    tree.Link("class/scsi_host/host99999999999999999999", "devices/" + scsi + "/host12/scsi_host/host12");
    tree.Link("class/scsi_host/hostX", "devices/" + scsi + "/host12/scsi_host/host12");
    tree.Link("class/scsi_host/host15", "devices/pci0000:00/0000:00:1a.0/host15");
    tree.Link("class/scsi_host/host10", "devices/" + scsi + "/host11/scsi_host/host10");
    tree.Link("devices/" + scsi + "/host11/scsi_host/host10/device", "devices/" + scsi + "/host11");
    tree.Link("outside/0000:00:1b.0/host14/scsi_host/host14/device", "outside/0000:00:1b.0/host14");
    tree.Link("class/scsi_host/host14", "outside/0000:00:1b.0/host14/scsi_host/host14");
    tree.Host("vio/30000002", 8);
    tree.Host("pci0000:00/0000:00:1g.0", 9);
    tree.Host("pci0000:00/0000:00:1d.0", 16);
    // No SCSI host: 00:0a.0 (its class not six hex digits) and a name that is
    // no PCI address are not listed; 00:0b.0 has no driver, 00:0c.0 a
    // driver's name with an escape sequence.
    tree.Pci("pci0000:00/0000:00:0a.0", "0x144d", "0xa808", "0x01080x", "nvme");
    tree.Pci("pci0000:00/0000:00:0b.0", "0x144d", "0xa808", "0x010802");
    tree.Pci("pci0000:00/0000:00:0c.0", "0x1b36", "0x0010", "0x010802", "nv\x1b[2Jme");
    tree.Link("bus/pci/devices/0000:00:0d", "devices/pci0000:00/0000:00:0b.0");
}

// Controller 00:10.0 with disks at targets 0 to 3 (sg0 to sg3).
void Nodes(const Tree& tree)
{
    tree.Pci("pci0000:00/0000:00:10.0", "0x1000", "0x0012", "0x010000");
    const string host = tree.Host("pci0000:00/0000:00:10.0", 0);
    for (unsigned target = 0; target < 4; ++target) {
        tree.Device(host, "0:0:" + std::to_string(target) + ":0", 0, target);
    }
}

// The x86-64 guest with the sg driver unloaded: no scsi_generic class.
void WithoutSg(const Tree& tree)
{
    X86Guest(tree);
    const string sg = tree.root + "/class/scsi_generic";
    EXPECT_EQ(rmdir(sg.c_str()), 0);
}

// A USB stick on an xHCI, and no storage controller.
void UsbOnly(const Tree& tree)
{
    tree.Pci("pci0000:00/0000:00:14.0", "0x8086", "0xa36d", "0x0c0330");
    tree.Device(tree.Host("pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0", 0), "0:0:0:0", 0, 0);
}

// A laptop with only an NVMe SSD, 01:00.0 behind the bridge 00:1d.0, and
// no sg driver.
void NvmeLaptop(const Tree& tree)
{
    tree.Pci("pci0000:00/0000:00:1d.0", "0x8086", "0xa334", "0x060400", "pcieport");
    tree.Pci("pci0000:00/0000:00:1d.0/0000:01:00.0", "0x144d", "0xa808", "0x010802", "nvme");
}

}  // namespace

std::string Fixture(const char* name)
{
    static const std::map<string, void (*)(const Tree&)> makers = {
        {"x86_64", X86Guest}, {"ppc64", Ppc64Guest}, {"siliconimage", SiliconImages}, {"laptop", Laptop},
        {"sas", Sas},         {"device_types", DeviceTypes}, {"seventy", Seventy},   {"hostile", Hostile},
        {"nodes", Nodes},     {"without_sg", WithoutSg},     {"usb_only", UsbOnly},     {"nvme_laptop", NvmeLaptop}};
    static std::map<string, std::unique_ptr<Tree>> trees;
    std::unique_ptr<Tree>& tree = trees[name];
    if (!tree) {
        tree = std::make_unique<Tree>();
        const auto maker = makers.find(name);
        if (maker != makers.end()) {
            maker->second(*tree);
        }
    }
    return tree->root;
}
