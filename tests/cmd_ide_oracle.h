// The "CMD_IDE " request written out by hand from the layout, byte by byte:
// the tests' one independent statement of it.
#pragma once

#include <cstring>

// The request for `port`.
inline void CmdIdeOracle(unsigned char (&request)[564], unsigned char port)
{
    static const unsigned char kHeaderAndWords[32] = {
        28,   0,    0,    0,                       // HeaderLength
        'C',  'M',  'D',  '_', 'I', 'D', 'E', ' ', // Signature
        5,    0,    0,    0,                       // Timeout
        0x08, 0x20, 0x04, 0x00,                    // ControlCode 0x00042008
        0xff, 0xff, 0xff, 0xff,                    // ReturnCode
        0x18, 0x02, 0,    0,                       // Length 536
        0,    0,                                   // PortNumber
        1,    0,                                   // Parameter
    };
    // 20 zero bytes, then 512 bytes of Data, all zero when sent.
    std::memset(request, 0, sizeof request);
    std::memcpy(request, kHeaderAndWords, sizeof kHeaderAndWords);
    request[28] = port;
}
