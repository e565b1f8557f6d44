#pragma once

#include "kernel32.h"

#include <cstddef>

// The "CMD_IDE " miniport request, sent and answered in the same buffer.
struct CmdIdeRequest {
    SRB_IO_CONTROL Header;
    unsigned short PortNumber;
    unsigned short Parameter;
    unsigned char Reserved[20];
    unsigned char Data[512];
};

static_assert(sizeof(CmdIdeRequest) == 564, "the driver expects exactly 564 bytes");
static_assert(offsetof(SRB_IO_CONTROL, HeaderLength) == 0, "HeaderLength at 0");
static_assert(offsetof(SRB_IO_CONTROL, Signature) == 4, "Signature at 4");
static_assert(offsetof(SRB_IO_CONTROL, Timeout) == 12, "Timeout at 12");
static_assert(offsetof(SRB_IO_CONTROL, ControlCode) == 16, "ControlCode at 16");
static_assert(offsetof(SRB_IO_CONTROL, ReturnCode) == 20, "ReturnCode at 20");
static_assert(offsetof(SRB_IO_CONTROL, Length) == 24, "Length at 24");
static_assert(offsetof(CmdIdeRequest, Header) == 0, "header first");
static_assert(offsetof(CmdIdeRequest, PortNumber) == 28, "PortNumber at 28");
static_assert(offsetof(CmdIdeRequest, Parameter) == 30, "Parameter at 30");
static_assert(offsetof(CmdIdeRequest, Reserved) == 32, "zero bytes at 32");
static_assert(offsetof(CmdIdeRequest, Data) == 52, "Data at 52");

// Asks each of the controller's ports 0 to 3 for its block and dumps every
// answer to stdout; every failure is reported there too.
void QueryController(int controller);
