#pragma once

#include "cmd_ide_request.h"
#include "identify_command.h"
#include "scsi_device_files.h"

// Storage controllers and their ports as sysfs shows them under ROOT (/sys on
// a running system, a tree made by the tests), read in one scan. A
// controller is a PCI function of class 01h (mass storage) with SCSI hosts;
// controllers count from 0 in PCI address order. USB and other buses' hosts
// never count.

struct PciAddress {
    unsigned domain;
    unsigned bus;
    unsigned device;
    unsigned function;
};

struct PciFunction {
    PciAddress address;
    unsigned vendor;  // 0 where sysfs does not say
    unsigned deviceId;
    char driver[64];  // the kernel driver bound to it; "" where sysfs shows none
};

// A SCSI device's place: host, channel, target id, lun.
struct ScsiAddress {
    unsigned host;
    unsigned channel;
    unsigned target;
    unsigned lun;
};

// The SCSI device behind a port: its sg node (a character device of the sg
// major and `minor`), where it sits, the identify it answers, and its
// peripheral device type where sysfs shows it (`typeKnown`).
struct PortDevice {
    bool found;
    char sgName[16];  // "sgN"
    unsigned minor;
    ScsiAddress scsi;
    IdentifyCommand command;
    bool typeKnown;
    unsigned type;
};

// A port's device, and its vendor and model from its INQUIRY data as sysfs
// shows them, without the blanks that pad them ("" where unreadable).
struct Port {
    PortDevice device;
    char vendor[64];
    char model[64];
};

// Port p, for p from 0 to 3: for a libata controller the ATA port
// with port_no p+1, device 0, or where its ports take a master and a slave,
// port_no p/2+1, device p%2, its command by libata's class of the device
// (ata or atapi); otherwise the SCSI device at channel 0, target p, lun 0
// anywhere below the controller's SCSI host, its command by SCSI type
// (disks, optical and RBC devices; CD/DVD). Not found where there is none,
// or none that is asked; the lowest numbered host's where sysfs offers more.
struct Controller {
    PciFunction function;
    Port ports[CMD_IDE_PORT_COUNT];
};

constexpr int kMaxControllers = 64;
constexpr int kMaxHostlessControllers = 128;

struct SysfsScan {
    // The lowest kMaxControllers in PCI address order.
    Controller controllers[kMaxControllers];
    int count;
    // The other PCI functions of class 01h that ROOT/bus/pci/devices shows,
    // those with no SCSI host (NVMe, virtio-blk), which no number reaches:
    // the lowest kMaxHostlessControllers in PCI address order.
    PciFunction hostless[kMaxHostlessControllers];
    int hostlessCount;
    // Whether the sg driver is there (loaded or built in): its class exists.
    bool scsiGeneric;
};

// One pass over ROOT's SCSI hosts and PCI functions, each file read once.
void ScanSysfs(const char* root, SysfsScan& scan);
