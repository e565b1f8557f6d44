// The tool's messages as the tests expect them, written out here on their own
// (Shift-JIS bytes, from the Japanese texts in the comments).
#pragma once

#include <string>

// 引数にSCSIバス番号(0～) もしくは SiliconImageの型番の数字部分(3512等)を指定してください.
const std::string kUsage =
    "\x88\xf8\x90\x94\x82\xc9SCSI\x83\x6f\x83\x58\x94\xd4\x8d\x86(0\x81\x60) \x82\xe0\x82\xb5\x82\xad\x82\xcd "
    "SiliconImage\x82\xcc\x8c\x5e\x94\xd4\x82\xcc\x90\x94\x8e\x9a\x95\x94\x95\xaa(3512\x93\x99)\x82\xf0\x8e\x77"
    "\x92\xe8\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2.\n";

// に失敗しました。
const std::string kFailed = "\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";

inline std::string DefineFailed(int error)
{
    return "DefineDosDevice" + kFailed + "GetLastError=" + std::to_string(error) + "\n";
}

inline std::string OpenFailed(const std::string& path, int error)
{
    return "CreateFile(" + path + ")" + kFailed + "GetLastError=" + std::to_string(error) + "\n";
}
