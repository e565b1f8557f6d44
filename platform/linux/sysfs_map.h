#pragma once

// Storage controllers and their ports as sysfs shows them under ROOT (/sys on
// a running system, a captured tree in the tests). A controller is a PCI
// function with SCSI hosts; controllers count from 0 in PCI address order.

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
};

// The SCSI device behind a port: its sg node and SCSI peripheral type.
struct PortDevice {
    char sgName[16];  // "sgN"
    unsigned major;
    unsigned minor;
    unsigned scsiType;
};

constexpr unsigned kScsiTypeCdRom = 5;
constexpr int kMaxControllers = 64;

// Fills `controllers` in PCI address order; returns their count.
int ListControllers(const char* root, Controller (&controllers)[kMaxControllers]);

// The device on port `port` of the controller at `address`: for a libata
// controller the ATA port with port_no port+1, device 0, or where its ports
// take a master and a slave, port_no port/2+1, device port%2; otherwise
// target `port` on channel 0 of its SCSI host. False when there is none.
bool FindPortDevice(const char* root, const PciAddress& address, int port, PortDevice& device);
