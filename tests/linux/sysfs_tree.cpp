#include "sysfs_tree.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// mkdir -p, below ROOT.
void MakeParents(const std::string& root, const std::string& path)
{
    for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        mkdir((root + "/" + path.substr(0, slash)).c_str(), 0755);
    }
}

int RemoveEntry(const char* path, const struct stat*, int, FTW*)
{
    return std::remove(path);
}

}  // namespace

SysfsTree::SysfsTree()
{
    char pattern[] = "/tmp/portdump-sysfs-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        ADD_FAILURE() << "no temporary folder";
    }
    root_ = pattern;
    // Readable by anyone, as sysfs is: by a child in a user namespace too.
    chmod(pattern, 0755);
}

SysfsTree::~SysfsTree()
{
    nftw(root_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

void SysfsTree::Dir(const std::string& path) const
{
    MakeParents(root_, path + "/");
}

void SysfsTree::File(const std::string& path, const std::string& text) const
{
    MakeParents(root_, path);
    FILE* file = std::fopen((root_ + "/" + path).c_str(), "w");
    ASSERT_NE(file, nullptr) << path;
    std::fputs(text.c_str(), file);
    std::fclose(file);
}

void SysfsTree::Link(const std::string& path, const std::string& target) const
{
    MakeParents(root_, path);
    ASSERT_EQ(symlink(target.c_str(), (root_ + "/" + path).c_str()), 0) << path;
}

void SysfsTree::Pci(const std::string& function, const char* vendor, const char* device, const char* pciClass) const
{
    File("devices/" + function + "/vendor", std::string(vendor) + "\n");
    File("devices/" + function + "/device", std::string(device) + "\n");
    File("devices/" + function + "/class", std::string(pciClass) + "\n");
}

std::string SysfsTree::Host(const std::string& parent, unsigned number) const
{
    const std::string name = "host" + std::to_string(number);
    const std::string host = parent + "/" + name;
    Link("devices/" + host + "/scsi_host/" + name + "/device", root_ + "/devices/" + host);
    Link("class/scsi_host/" + name, root_ + "/devices/" + host + "/scsi_host/" + name);
    return host;
}

std::string SysfsTree::AtaHost(const std::string& function, unsigned id, unsigned portNo, unsigned number,
                               std::initializer_list<const char*> classes) const
{
    const std::string ata = function + "/ata" + std::to_string(id);
    const std::string n = std::to_string(id);
    File("devices/" + ata + "/ata_port/ata" + n + "/port_no", std::to_string(portNo) + "\n");
    unsigned devno = 0;
    for (const char* deviceClass : classes) {
        const std::string dev = "dev" + n + "." + std::to_string(devno++);
        File("devices/" + ata + "/link" + n + "/" + dev + "/ata_device/" + dev + "/class", std::string(deviceClass) + "\n");
    }
    return Host(ata, number);
}

void SysfsTree::ScsiDevice(const std::string& host, const std::string& address, unsigned type, unsigned sg,
                           const std::string& via) const
{
    const std::string target = "target" + address.substr(0, address.rfind(':'));
    const std::string device =
        "devices/" + host + (via.empty() ? "" : "/" + via) + "/" + target + "/" + address;
    const std::string sgName = "sg" + std::to_string(sg);
    File(device + "/type", std::to_string(type) + "\n");
    File(device + "/scsi_generic/" + sgName + "/dev", "21:" + std::to_string(sg) + "\n");
    Link("bus/scsi/devices/" + address, root_ + "/" + device);
    Dir("class/scsi_generic");
}

std::string SysfsTree::Proc(const char* uidMap) const
{
    File("proc/self/uid_map", uidMap);
    return root_ + "/proc";
}

void MakeX86Guest(const SysfsTree& tree)
{
    const std::string piix = "pci0000:00/0000:00:01.1";
    const std::string ahci = "pci0000:00/0000:00:05.0";
    const std::string lsi = "pci0000:00/0000:00:06.0";
    tree.Pci(piix, "0x8086", "0x7010", "0x010180");
    tree.Pci(ahci, "0x8086", "0x2922", "0x010601");
    tree.Pci(lsi, "0x1000", "0x0012", "0x010000");
    const char* sataDisk[] = {"ata", "none", "ata", "none", "none", "none"};
    for (unsigned port = 0; port < 6; ++port) {
        const std::string host = tree.AtaHost(ahci, port + 1, port + 1, port, {sataDisk[port]});
        if (port % 2 == 0 && port < 4) {
            tree.ScsiDevice(host, std::to_string(port) + ":0:0:0", 0, port / 2);
        }
    }
    const std::string primary = tree.AtaHost(piix, 7, 1, 6, {"ata", "ata"});
    tree.ScsiDevice(primary, "6:0:0:0", 0, 2);
    tree.ScsiDevice(primary, "6:0:1:0", 0, 3);
    tree.ScsiDevice(tree.AtaHost(piix, 8, 2, 7, {"atapi", "none"}), "7:0:0:0", 5, 4);
    tree.ScsiDevice(tree.Host(lsi, 8), "8:0:3:0", 0, 5);
}

void MakePpc64Guest(const SysfsTree& tree)
{
    const std::string sil = "pci0000:00/0000:00:02.0";
    tree.Pci(sil, "0x1095", "0x3112", "0x010400");
    tree.ScsiDevice(tree.AtaHost(sil, 1, 1, 0, {"ata"}), "0:0:0:0", 0, 0);
    tree.ScsiDevice(tree.AtaHost(sil, 2, 2, 1, {"ata"}), "1:0:0:0", 0, 1);
}

void MakeSiliconImages(const SysfsTree& tree)
{
    const struct {
        const char* function;
        const char* device;
    } controllers[] = {{"pci0000:00/0000:00:04.0", "0x3112"},
                       {"pci0000:00/0000:00:1c.0/0000:02:00.0", "0x3112"},
                       {"pci0000:00/0000:00:03.0", "0x3512"},
                       {"pci0000:00/0000:00:05.0", "0x3114"}};
    unsigned number = 0;
    for (const auto& controller : controllers) {
        tree.Pci(controller.function, "0x1095", controller.device, "0x018000");
        tree.AtaHost(controller.function, number + 1, 1, number, {"none"});
        ++number;
    }
    tree.Pci("pci0000:00/0000:00:1c.0", "0x8086", "0x2448", "0x060400");
    tree.Pci("pci10000:00/10000:00:00.0", "0x8086", "0x2922", "0x010601");
    tree.AtaHost("pci10000:00/10000:00:00.0", 5, 1, 4, {"none"});
}
