#include "cmd_ide_request.h"

#include <string.h>

void CmdIdeFillRequest(struct CmdIdeRequest* request, unsigned short port)
{
    memset(request, 0, sizeof *request);
    request->Header.HeaderLength = CMD_IDE_HEADER_SIZE;
    memcpy(request->Header.Signature, CMD_IDE_SIGNATURE, sizeof request->Header.Signature);
    request->Header.Timeout = CMD_IDE_TIMEOUT_SECONDS;
    request->Header.ControlCode = CMD_IDE_CONTROL_CODE;
    request->Header.ReturnCode = CMD_IDE_RETURN_CODE_SENT;
    request->Header.Length = CMD_IDE_LENGTH;
    request->PortNumber = port;
    request->Parameter = CMD_IDE_PARAMETER;
}

struct CmdIdeCheck CmdIdeCheckRequest(const unsigned char* request, unsigned long inSize, unsigned long outSize)
{
    struct CmdIdeCheck check = {CMD_IDE_WELL_FORMED, 0};
    struct CmdIdeRequest expected;
    const unsigned char* expectedBytes = (const unsigned char*)&expected;
    unsigned long i;

    if (inSize != CMD_IDE_REQUEST_SIZE) {
        check.fault = CMD_IDE_BAD_INPUT_SIZE;
        check.detail = inSize;
        return check;
    }
    if (outSize != CMD_IDE_REQUEST_SIZE) {
        check.fault = CMD_IDE_BAD_OUTPUT_SIZE;
        check.detail = outSize;
        return check;
    }
    /* The port's own request, whatever port it names; then the port must be
     * one of the four. */
    CmdIdeFillRequest(&expected, (unsigned short)(request[28] | request[29] << 8));
    for (i = 0; i < CMD_IDE_REQUEST_SIZE; ++i) {
        if (request[i] != expectedBytes[i]) {
            check.fault = CMD_IDE_BAD_BYTE;
            check.detail = i;
            return check;
        }
    }
    if (expected.PortNumber >= CMD_IDE_PORT_COUNT) {
        check.fault = CMD_IDE_BAD_BYTE;
        check.detail = offsetof(struct CmdIdeRequest, PortNumber);
    }
    return check;
}
