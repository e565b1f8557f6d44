#pragma once

#include "identify_command.h"

// Storage controllers and their ports as sysfs shows them under ROOT (/sys on
// a running system, a tree made by the tests). A controller is a PCI function
// of class 01h (mass storage) with SCSI hosts; controllers count from 0 in
// PCI address order. USB and other buses' hosts never count.

struct PciAddress {
    unsigned domain;
    unsigned bus;
    unsigned device;
    unsigned function;
};

struct Controller {
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
// major and `minor`), where it sits, and the identify it answers.
struct PortDevice {
    char sgName[16];  // "sgN"
    unsigned minor;
    ScsiAddress scsi;
    IdentifyCommand command;
};

// What sysfs says of a port's device, read without asking it: the kernel's
// name of its SCSI type, and its vendor and model from its INQUIRY data,
// without the blanks that pad them.
struct PortDescription {
    char type[64];
    char vendor[64];
    char model[64];
};

constexpr unsigned kScsiGenericMajor = 21;
constexpr int kMaxControllers = 64;

// Fills `controllers` with the lowest kMaxControllers in PCI address order;
// returns their count.
int ListControllers(const char* root, Controller (&controllers)[kMaxControllers]);

// The other PCI functions of class 01h that ROOT/bus/pci/devices shows,
// those with no SCSI host (NVMe, virtio-blk), which no number reaches: the
// lowest `capacity` in PCI address order. Returns their count.
int ListHostlessControllers(const char* root, Controller* controllers, int capacity);

// The device on port `port` of the controller at `address`: for a libata
// controller the ATA port with port_no port+1, device 0, or where its ports
// take a master and a slave, port_no port/2+1, device port%2, its command
// by libata's class of the device (ata or atapi); otherwise the SCSI device
// at channel 0, target `port`, lun 0 anywhere below the controller's SCSI
// host, its command by SCSI type (disks, optical and RBC devices; CD/DVD).
// False when there is none, or none that is asked.
bool FindPortDevice(const char* root, const PciAddress& address, int port, PortDevice& device);

// Describes the device FindPortDevice found; false where sysfs no longer
// shows it.
bool DescribePortDevice(const char* root, const PortDevice& device, PortDescription& description);

// Whether the sg driver is there (loaded or built in): its class exists.
bool ScsiGenericPresent(const char* root);
