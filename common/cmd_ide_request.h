/* The "CMD_IDE " miniport request: its layout, its values, how the tool fills
 * it for a port and how a driver checks it. Plain C, so that the tool, the
 * emulated and Linux platforms and the Wine stand-in driver share one
 * statement of it. SRB_IO_CONTROL comes from kernel32.h, or from the DDK's
 * ntddscsi.h in a kernel driver (built with PORTDUMP_KERNEL_MODE). */
#ifndef PORTDUMP_CMD_IDE_REQUEST_H
#define PORTDUMP_CMD_IDE_REQUEST_H

#ifdef PORTDUMP_KERNEL_MODE
#include <ntddk.h>
#include <ntddscsi.h>
#else
#include "kernel32.h"
#endif

#include "ata_block.h"

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#define CMD_IDE_STATIC_ASSERT static_assert
#else
#define CMD_IDE_STATIC_ASSERT _Static_assert
#endif

#define CMD_IDE_SIGNATURE "CMD_IDE "
#define CMD_IDE_TIMEOUT_SECONDS 5
#define CMD_IDE_CONTROL_CODE 0x00042008u
#define CMD_IDE_RETURN_CODE_SENT 0xFFFFFFFFu
/* The driver's "read the port's block" operation. */
#define CMD_IDE_PARAMETER 1
#define CMD_IDE_PORT_COUNT 4
#define CMD_IDE_HEADER_SIZE 28
#define CMD_IDE_DATA_OFFSET 52
#define CMD_IDE_REQUEST_SIZE 564
#define CMD_IDE_LENGTH (CMD_IDE_REQUEST_SIZE - CMD_IDE_HEADER_SIZE)

/* Sent and answered in the same buffer. */
struct CmdIdeRequest {
    SRB_IO_CONTROL Header;
    unsigned short PortNumber;
    unsigned short Parameter;
    unsigned char Reserved[20];
    unsigned char Data[ATA_BLOCK_SIZE];
};

CMD_IDE_STATIC_ASSERT(sizeof(struct CmdIdeRequest) == CMD_IDE_REQUEST_SIZE, "the driver expects exactly 564 bytes");
CMD_IDE_STATIC_ASSERT(sizeof(SRB_IO_CONTROL) == CMD_IDE_HEADER_SIZE, "header of 28 bytes");
CMD_IDE_STATIC_ASSERT(offsetof(SRB_IO_CONTROL, HeaderLength) == 0, "HeaderLength at 0");
CMD_IDE_STATIC_ASSERT(offsetof(SRB_IO_CONTROL, Signature) == 4, "Signature at 4");
CMD_IDE_STATIC_ASSERT(offsetof(SRB_IO_CONTROL, Timeout) == 12, "Timeout at 12");
CMD_IDE_STATIC_ASSERT(offsetof(SRB_IO_CONTROL, ControlCode) == 16, "ControlCode at 16");
CMD_IDE_STATIC_ASSERT(offsetof(SRB_IO_CONTROL, ReturnCode) == 20, "ReturnCode at 20");
CMD_IDE_STATIC_ASSERT(offsetof(SRB_IO_CONTROL, Length) == 24, "Length at 24");
CMD_IDE_STATIC_ASSERT(offsetof(struct CmdIdeRequest, PortNumber) == 28, "PortNumber at 28");
CMD_IDE_STATIC_ASSERT(offsetof(struct CmdIdeRequest, Parameter) == 30, "Parameter at 30");
CMD_IDE_STATIC_ASSERT(offsetof(struct CmdIdeRequest, Reserved) == 32, "zero bytes at 32");
CMD_IDE_STATIC_ASSERT(offsetof(struct CmdIdeRequest, Data) == CMD_IDE_DATA_OFFSET, "Data at 52");

/* Clears the whole request, so nothing of an earlier answer is sent again,
 * then writes the header and the port's two words. */
void CmdIdeFillRequest(struct CmdIdeRequest* request, unsigned short port);

enum CmdIdeFault {
    CMD_IDE_WELL_FORMED,
    CMD_IDE_BAD_INPUT_SIZE,  /* detail: the input size */
    CMD_IDE_BAD_OUTPUT_SIZE, /* detail: the output size */
    CMD_IDE_BAD_BYTE         /* detail: the offset of the first wrong byte */
};

struct CmdIdeCheck {
    enum CmdIdeFault fault;
    unsigned long detail;
};

/* Whether `request` (the input buffer of the device control, `inSize` bytes;
 * the output buffer has `outSize`) is exactly what the tool sends for a port
 * from 0 to 3, and if not, the first thing that is wrong. */
struct CmdIdeCheck CmdIdeCheckRequest(const unsigned char* request, unsigned long inSize, unsigned long outSize);

#ifdef __cplusplus
}
#endif

#endif
