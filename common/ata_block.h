/* The block a port answers: one 512-byte ATA data block, and where IDENTIFY
 * DEVICE and IDENTIFY PACKET DEVICE data keep their strings. Plain C, so that
 * the tool, the decoder, the platforms and the kernel-mode stand-in driver
 * share one statement of it. */
#ifndef PORTDUMP_ATA_BLOCK_H
#define PORTDUMP_ATA_BLOCK_H

#define ATA_BLOCK_SIZE 512

/* Each string's first word and its length in words, two characters a word. */
#define ATA_SERIAL_FIRST_WORD 10
#define ATA_SERIAL_WORDS 10
#define ATA_FIRMWARE_FIRST_WORD 23
#define ATA_FIRMWARE_WORDS 4
#define ATA_MODEL_FIRST_WORD 27
#define ATA_MODEL_WORDS 20

#endif
