#include "identify_block.h"

#include <stddef.h>

static void PutWord(unsigned char* block, size_t word, unsigned value)
{
    block[2 * word] = (unsigned char)(value & 0xFF);
    block[2 * word + 1] = (unsigned char)((value >> 8) & 0xFF);
}

/* ATA strings hold two characters a word, the first in the high byte. */
static void PutString(unsigned char* block, size_t firstWord, size_t words, const char* text)
{
    size_t i;
    int ended = 0;
    for (i = 0; i < 2 * words; ++i) {
        unsigned char c = ' ';
        if (!ended && text[i] != '\0') {
            c = (unsigned char)text[i];
        } else {
            ended = 1;
        }
        block[2 * firstWord + (i ^ 1)] = c;
    }
}

void BuildIdentifyBlock(const struct DiskIdentity* disk, unsigned char block[ATA_BLOCK_SIZE])
{
    unsigned long long lba28 = disk->sectors < 0x0FFFFFFFull ? disk->sectors : 0x0FFFFFFFull;
    unsigned sum = 0;
    size_t i;

    for (i = 0; i < ATA_BLOCK_SIZE; ++i) {
        block[i] = 0;
    }
    PutWord(block, 0, 0x0040); /* fixed, non-removable device */
    PutString(block, ATA_SERIAL_FIRST_WORD, ATA_SERIAL_WORDS, disk->serial);
    PutString(block, ATA_FIRMWARE_FIRST_WORD, ATA_FIRMWARE_WORDS, disk->firmware);
    PutString(block, ATA_MODEL_FIRST_WORD, ATA_MODEL_WORDS, disk->model);
    PutWord(block, 49, 0x0300); /* LBA and DMA supported */
    PutWord(block, 60, (unsigned)(lba28 & 0xFFFF));
    PutWord(block, 61, (unsigned)(lba28 >> 16));
    PutWord(block, 83, 0x4400); /* 48-bit address feature set supported */
    PutWord(block, 86, 0x0400); /* ... and enabled */
    for (i = 0; i < 4; ++i) {
        PutWord(block, 100 + i, (unsigned)((disk->sectors >> (16 * i)) & 0xFFFF));
    }
    for (i = 0; i < ATA_BLOCK_SIZE - 1; ++i) {
        sum += block[i];
    }
    block[510] = 0xA5;
    sum += 0xA5;
    block[511] = (unsigned char)(0x100 - (sum & 0xFF));
}
