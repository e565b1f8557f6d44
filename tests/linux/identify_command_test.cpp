// The only SCSI commands the platform can make: the two identifies, read in.
#include "identify_command.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// ATA PASS-THROUGH(16) worked out by hand from SAT: 85h; protocol 4 (PIO
// data-in) << 1 = 08h; T_DIR=1 (08h) | BYT_BLOK=1 (04h) | T_LENGTH=2 (sector
// count, 02h) = 0Eh; sector count 1 in byte 6; the ATA command in byte 14.
constexpr unsigned char kIdentifyDeviceCdb[16] = {0x85, 0x08, 0x0e, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0xec, 0};
constexpr unsigned char kIdentifyPacketCdb[16] = {0x85, 0x08, 0x0e, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0xa1, 0};

TEST(IdentifyCommand, EveryRequestIsOneOfTheTwoIdentifiesReadingOneBlock)
{
    // Whatever value reaches the builder, even one outside the enumeration.
    for (int value = -1; value <= 256; ++value) {
        const IdentifyCommand command = static_cast<IdentifyCommand>(value);
        unsigned char block[ATA_BLOCK_SIZE];
        IdentifyTransfer transfer;
        std::memset(&transfer, 0xA5, sizeof transfer);
        PrepareIdentify(command, block, 5, transfer);
        const sg_io_hdr_t& io = transfer.io;
        const unsigned char* expected = value == IDENTIFY_PACKET_DEVICE ? kIdentifyPacketCdb : kIdentifyDeviceCdb;
        EXPECT_EQ(std::memcmp(transfer.cdb, expected, sizeof transfer.cdb), 0) << value;
        EXPECT_EQ(io.interface_id, 'S');
        EXPECT_EQ(io.dxfer_direction, SG_DXFER_FROM_DEV) << value;
        EXPECT_EQ(io.cmdp, transfer.cdb);
        EXPECT_EQ(io.cmd_len, 16);
        EXPECT_EQ(io.dxferp, block);
        EXPECT_EQ(io.dxfer_len, 512u);
        EXPECT_EQ(io.iovec_count, 0);
        EXPECT_EQ(io.flags, 0u);
        EXPECT_EQ(io.sbp, transfer.sense);
        EXPECT_EQ(io.mx_sb_len, sizeof transfer.sense);
        EXPECT_EQ(io.timeout, 5000u);
    }
}

TEST(IdentifyCommand, OnlyAWholeCleanTransferSucceeds)
{
    unsigned char block[ATA_BLOCK_SIZE];
    IdentifyTransfer transfer;
    PrepareIdentify(IDENTIFY_DEVICE, block, 5, transfer);
    sg_io_hdr_t done = transfer.io;
    EXPECT_TRUE(IdentifySucceeded(done));

    // What an ATAPI drive says to 0xEC, and a SCSI disk to the CDB: CHECK
    // CONDITION with sense.
    sg_io_hdr_t refused = done;
    refused.status = 0x02;
    refused.masked_status = 0x01;
    refused.driver_status = 0x08;
    refused.sb_len_wr = 22;
    EXPECT_FALSE(IdentifySucceeded(refused));
    sg_io_hdr_t timedOut = done;
    timedOut.host_status = 0x03;  // DID_TIME_OUT
    EXPECT_FALSE(IdentifySucceeded(timedOut));
    sg_io_hdr_t gone = done;
    gone.host_status = 0x01;  // DID_NO_CONNECT
    EXPECT_FALSE(IdentifySucceeded(gone));
    sg_io_hdr_t shortRead = done;
    shortRead.resid = 2;
    EXPECT_FALSE(IdentifySucceeded(shortRead));
    sg_io_hdr_t senseOnly = done;
    senseOnly.sb_len_wr = 8;
    EXPECT_FALSE(IdentifySucceeded(senseOnly));
}

}  // namespace
