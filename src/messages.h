// The tool's Japanese messages as Shift-JIS (code page 932) bytes, written out
// unchanged so that a Japanese console shows them as they stand.
#pragma once

#include "dump_format.h"

// 引数にSCSIバス番号(0～) もしくは SiliconImageの型番の数字部分(3512等)を指定してください.
#define USAGE_MESSAGE                                                                         \
    DUMP_USAGE_START "\x82\xc9SCSI\x83\x6f\x83\x58\x94\xd4\x8d\x86(0\x81\x60) "               \
    "\x82\xe0\x82\xb5\x82\xad\x82\xcd SiliconImage\x82\xcc\x8c\x5e\x94\xd4\x82\xcc\x90\x94\x8e" \
    "\x9a\x95\x94\x95\xaa(3512\x93\x99)\x82\xf0\x8e\x77\x92\xe8\x82\xb5\x82\xc4\x82\xad\x82"    \
    "\xbe\x82\xb3\x82\xa2.\n"

// DefineDosDeviceに失敗しました。GetLastError=%d
#define DEFINE_FAILED_FORMAT \
    DUMP_DEFINE_FAILED_START "\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42" DUMP_ERROR_NUMBER "%d\n"

// CreateFile(%s)に失敗しました。GetLastError=%d
#define OPEN_FAILED_FORMAT \
    DUMP_OPEN_FAILED_START "%s)\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42" DUMP_ERROR_NUMBER "%d\n"
