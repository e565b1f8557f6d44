#pragma once

#include <initializer_list>
#include <string>

// A sysfs tree made in a temporary folder from a few calls, removed again at
// the end. Paths are below the tree's root; links point where they are told.
class SysfsTree {
public:
    SysfsTree();
    ~SysfsTree();
    SysfsTree(const SysfsTree&) = delete;
    SysfsTree& operator=(const SysfsTree&) = delete;

    const std::string& Root() const { return root_; }
    void Dir(const std::string& path) const;
    void File(const std::string& path, const std::string& text) const;
    void Link(const std::string& path, const std::string& target) const;

    // A PCI function below devices/, e.g. "pci0000:00/0000:00:05.0", with
    // its vendor, device and class ("0x8086", "0x2922", "0x010601").
    void Pci(const std::string& function, const char* vendor, const char* device, const char* pciClass) const;
    // SCSI host NUMBER in devices/PARENT, as class/scsi_host lists it; its path.
    std::string Host(const std::string& parent, unsigned number) const;
    // libata's port ataID with PORT_NO in the PCI function FUNCTION, its
    // devices of libata's CLASSES (one for SATA, two for PATA), and its SCSI
    // host NUMBER; the host's path.
    std::string AtaHost(const std::string& function, unsigned id, unsigned portNo, unsigned number,
                        std::initializer_list<const char*> classes) const;
    // The SCSI device ADDRESS (H:C:T:L) of TYPE below devices/HOST, or
    // further below it where VIA is given, with the sg node sgSG, 21:SG.
    void ScsiDevice(const std::string& host, const std::string& address, unsigned type, unsigned sg,
                    const std::string& via = "") const;
    // A proc tree whose process's uid_map is UID_MAP (the initial user
    // namespace's by default), below proc/; its path.
    std::string Proc(const char* uidMap = "         0          0 4294967295\n") const;

private:
    std::string root_;
};

// The x86-64 QEMU guest: PIIX IDE 00:01.1 (primary master and slave,
// secondary master an ATAPI DVD drive, sg2 to sg4), AHCI 00:05.0 (six ATA
// ports, disks on ports 0 and 2: sg0, sg1), LSI 00:06.0 (a disk on SCSI id 3:
// sg5). Host numbers follow the load order (ahci first), not the PCI order.
void MakeX86Guest(const SysfsTree& tree);
// The ppc64 QEMU guest: a SiliconImage 3112 at 00:02.0, disks on its two
// ports (sg0, sg1).
void MakePpc64Guest(const SysfsTree& tree);
// SiliconImage controllers without devices: 00:03.0 3512, 00:04.0 3112,
// 00:05.0 3114, 02:00.0 3112 behind the bridge 00:1c.0, and an Intel AHCI
// in domain 10000.
void MakeSiliconImages(const SysfsTree& tree);
