// The words of a 512-byte ATA data block and the strings in them.
#pragma once

#include "ata_block.h"

#include <cstddef>

// A little-endian 16-bit word of the block, as ATA numbers them.
inline unsigned Word(const unsigned char* block, int index)
{
    const unsigned char* word = block + 2 * static_cast<std::ptrdiff_t>(index);
    return static_cast<unsigned>(word[0] | word[1] << 8);
}

inline bool Bit(unsigned word, int bit)
{
    return ((word >> bit) & 1) != 0;
}

// An ATA string of N - 1 characters from `firstWord` on, two a word, the
// first in the high byte; blanks and NULs around the text are padding.
template <int N>
void AtaString(const unsigned char* block, int firstWord, char (&text)[N])
{
    int length = 0;
    for (int i = 0; i < N - 1; ++i) {
        text[length++] = static_cast<char>(block[2 * firstWord + (i ^ 1)]);
    }
    while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '\0')) {
        --length;
    }
    int start = 0;
    while (start < length && (text[start] == ' ' || text[start] == '\0')) {
        ++start;
    }
    for (int i = start; i < length; ++i) {
        text[i - start] = text[i];
    }
    text[length - start] = '\0';
}

// The model, serial and firmware of IDENTIFY DEVICE and IDENTIFY PACKET
// DEVICE data, in the same words of both.
struct DeviceStrings {
    char model[2 * ATA_MODEL_WORDS + 1];
    char serial[2 * ATA_SERIAL_WORDS + 1];
    char firmware[2 * ATA_FIRMWARE_WORDS + 1];
};

inline void ReadDeviceStrings(const unsigned char* block, DeviceStrings& strings)
{
    AtaString(block, ATA_MODEL_FIRST_WORD, strings.model);
    AtaString(block, ATA_SERIAL_FIRST_WORD, strings.serial);
    AtaString(block, ATA_FIRMWARE_FIRST_WORD, strings.firmware);
}
