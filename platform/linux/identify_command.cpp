#include "identify_command.h"

#include <cstring>

namespace {

constexpr unsigned char kAtaPassThrough16 = 0x85;
// PIO data-in (protocol 4, in bits 4:1).
constexpr unsigned char kProtocolPioIn = 4 << 1;
// T_DIR from the device, BYT_BLOK in blocks, T_LENGTH in the sector count.
constexpr unsigned char kTransferInBlocksByCount = 0x08 | 0x04 | 0x02;
constexpr unsigned char kAtaIdentifyDevice = 0xEC;
constexpr unsigned char kAtaIdentifyPacketDevice = 0xA1;

}  // namespace

void PrepareIdentify(IdentifyCommand command, unsigned char (&block)[ATA_BLOCK_SIZE], unsigned timeoutSeconds,
                     IdentifyTransfer& transfer)
{
    std::memset(&transfer, 0, sizeof transfer);
    transfer.cdb[0] = kAtaPassThrough16;
    transfer.cdb[1] = kProtocolPioIn;
    transfer.cdb[2] = kTransferInBlocksByCount;
    transfer.cdb[6] = 1;  // one block
    transfer.cdb[14] = command == IDENTIFY_PACKET_DEVICE ? kAtaIdentifyPacketDevice : kAtaIdentifyDevice;

    sg_io_hdr_t& io = transfer.io;
    io.interface_id = 'S';
    io.dxfer_direction = SG_DXFER_FROM_DEV;
    io.cmd_len = sizeof transfer.cdb;
    io.cmdp = transfer.cdb;
    io.mx_sb_len = sizeof transfer.sense;
    io.sbp = transfer.sense;
    io.dxfer_len = sizeof block;
    io.dxferp = block;
    io.timeout = timeoutSeconds * 1000;
}

bool IdentifySucceeded(const sg_io_hdr_t& io)
{
    return io.status == 0 && io.host_status == 0 && io.driver_status == 0 && io.resid == 0 && io.sb_len_wr == 0;
}
