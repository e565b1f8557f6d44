/* The ATA IDENTIFY DEVICE block of an invented disk. Plain C, so that the
 * emulated platform and the Windows test driver answer with the same bytes. */
#ifndef PORTDUMP_IDENTIFY_BLOCK_H
#define PORTDUMP_IDENTIFY_BLOCK_H

#include "ata_block.h"

#ifdef __cplusplus
extern "C" {
#endif

struct DiskIdentity {
    const char* serial;   /* up to 20 characters */
    const char* firmware; /* up to 8 characters */
    const char* model;    /* up to 40 characters */
    unsigned long long sectors;
};

/* Fills `block` with the identity's IDENTIFY DEVICE data: little-endian words,
 * blank-padded ATA strings, LBA and 48-bit support, sector counts, and the
 * integrity word whose checksum makes all 512 bytes sum to 0 modulo 256. */
void BuildIdentifyBlock(const struct DiskIdentity* disk, unsigned char block[ATA_BLOCK_SIZE]);

#ifdef __cplusplus
}
#endif

#endif
