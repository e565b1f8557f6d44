/* The miniport behind our stand-ins for the storage drivers: the emulated
 * platform's and the Wine stand-in driver's. It checks each miniport
 * request strictly and answers it from a table of ports. Plain C, so that
 * both answer with the same bytes and complain in the same words. */
#ifndef PORTDUMP_FAKE_MINIPORT_H
#define PORTDUMP_FAKE_MINIPORT_H

#include "cmd_ide_request.h"
#include "identify_block.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A port: with a disk it answers the disk's IDENTIFY block; with bytes, the
 * first `count` of them; with neither there is no device on it. */
struct FakePort {
    const struct DiskIdentity* disk;
    const unsigned char* bytes;
    unsigned count; /* at most ATA_BLOCK_SIZE */
    ULONG returnCode;
    /* The answer comes only after this long, as from a slow drive: the Wine
     * stand-in driver waits; the emulated machine answers at once. */
    unsigned delaySeconds;
};

enum FakeOutcome {
    FAKE_ANSWERED,  /* the buffer holds the answer; `information` bytes of it go back */
    FAKE_NO_DEVICE, /* nothing on that port: the request fails as a device error */
    FAKE_REFUSED    /* the output buffer cannot hold an answer: an invalid parameter */
};

struct FakeAnswer {
    enum FakeOutcome outcome;
    unsigned long information;
    unsigned delaySeconds;
};

/* Answers the request in `buffer`, the device control's one buffer of at
 * least CMD_IDE_REQUEST_SIZE bytes (holding `inSize` bytes of input; the
 * caller takes back up to `outSize`). A request the tool could not have sent
 * is answered with a block that says what is wrong ("BAD BYTE AT OFFSET 12"),
 * so it can never pass for a right one. */
struct FakeAnswer FakeMiniportAnswer(const struct FakePort* ports, unsigned portCount, unsigned char* buffer,
                                     unsigned long inSize, unsigned long outSize);

#ifdef __cplusplus
}
#endif

#endif
