#include "fake_miniport.h"

#include <string.h>

/* Writes `text` and `number` in decimal at the start of the block. */
static void Complain(unsigned char* block, const char* text, unsigned long number)
{
    char digits[20];
    int count = 0;
    size_t length = 0;
    while (*text != '\0') {
        block[length++] = (unsigned char)*text++;
    }
    do {
        digits[count++] = (char)('0' + number % 10);
        number /= 10;
    } while (number != 0);
    while (count > 0) {
        block[length++] = (unsigned char)digits[--count];
    }
}

static void SetReturnCode(unsigned char* buffer, ULONG returnCode)
{
    const size_t at = offsetof(SRB_IO_CONTROL, ReturnCode);
    buffer[at] = (unsigned char)returnCode;
    buffer[at + 1] = (unsigned char)(returnCode >> 8);
    buffer[at + 2] = (unsigned char)(returnCode >> 16);
    buffer[at + 3] = (unsigned char)(returnCode >> 24);
}

struct FakeAnswer FakeMiniportAnswer(const struct FakePort* ports, unsigned portCount, unsigned char* buffer,
                                     unsigned long inSize, unsigned long outSize)
{
    static const char* const complaints[] = {"", "BAD INPUT SIZE ", "BAD OUTPUT SIZE ", "BAD BYTE AT OFFSET "};
    struct FakeAnswer answer = {FAKE_ANSWERED, CMD_IDE_REQUEST_SIZE, 0};
    const struct CmdIdeCheck check = CmdIdeCheckRequest(buffer, inSize, outSize);
    unsigned char* block = buffer + CMD_IDE_DATA_OFFSET;
    const struct FakePort* port;

    if (outSize < CMD_IDE_REQUEST_SIZE) {
        answer.outcome = FAKE_REFUSED;
        answer.information = 0;
        return answer;
    }
    if (check.fault != CMD_IDE_WELL_FORMED) {
        memset(block, 0, ATA_BLOCK_SIZE);
        Complain(block, complaints[check.fault], check.detail);
        return answer;
    }
    /* Well formed, so the port number is below CMD_IDE_PORT_COUNT: one byte. */
    port = buffer[offsetof(struct CmdIdeRequest, PortNumber)] < portCount
               ? &ports[buffer[offsetof(struct CmdIdeRequest, PortNumber)]]
               : NULL;
    if (port == NULL || (port->disk == NULL && port->bytes == NULL)) {
        answer.outcome = FAKE_NO_DEVICE;
        answer.information = 0;
        return answer;
    }
    SetReturnCode(buffer, port->returnCode);
    answer.delaySeconds = port->delaySeconds;
    if (port->disk != NULL) {
        BuildIdentifyBlock(port->disk, block);
    } else {
        unsigned i;
        for (i = 0; i < port->count && i < ATA_BLOCK_SIZE; ++i) {
            block[i] = port->bytes[i];
        }
        answer.information = CMD_IDE_DATA_OFFSET + i;
    }
    return answer;
}
