#pragma once

#include "ata_block.h"

#include <scsi/sg.h>

// The only commands this platform ever sends a device: ATA IDENTIFY DEVICE,
// or IDENTIFY PACKET DEVICE for an ATAPI device, wrapped in SCSI ATA
// PASS-THROUGH(16), reading one 512-byte block. Nothing here can write.
enum IdentifyCommand : int {
    IDENTIFY_DEVICE,
    IDENTIFY_PACKET_DEVICE
};

constexpr int kIdentifyCdbSize = 16;

// One SG_IO request and the buffers it points into; it must stay in place
// from preparation to the ioctl.
struct IdentifyTransfer {
    unsigned char cdb[kIdentifyCdbSize];
    unsigned char sense[32];
    sg_io_hdr_t io;
};

// Prepares `transfer` to read `command`'s block into `block`, waiting at
// most `timeoutSeconds`.
void PrepareIdentify(IdentifyCommand command, unsigned char (&block)[ATA_BLOCK_SIZE], unsigned timeoutSeconds,
                     IdentifyTransfer& transfer);

// Whether the finished transfer brought the whole block without an error.
bool IdentifySucceeded(const sg_io_hdr_t& io);
