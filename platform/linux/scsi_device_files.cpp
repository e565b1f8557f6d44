#include "scsi_device_files.h"

#include "attribute_file.h"
#include "directory_entries.h"
#include "number_text.h"

#include <cstring>

bool ReadScsiGeneric(const char* directory, char (&name)[16], unsigned& minor)
{
    char path[kPathSize];
    char text[64];
    DirectoryEntries entries;
    if (!FormatPath(path, "%s/scsi_generic", directory) || !OpenDirectoryEntries(entries, path)) {
        return false;
    }
    bool found = false;
    while (const char* entry = NextDirectoryEntry(entries)) {
        unsigned number = 0;
        if (ParseNumbered(entry, "sg", number)) {
            std::snprintf(name, sizeof name, "sg%u", number);
            found = true;
            break;
        }
    }
    CloseDirectoryEntries(entries);
    if (!found || !FormatPath(path, "%s/scsi_generic/%s/dev", directory, name) || !ReadAttribute(path, text)) {
        return false;
    }
    char* colon = std::strchr(text, ':');
    if (colon == nullptr) {
        return false;
    }
    *colon = '\0';
    unsigned major = 0;
    return ParseDecimal(text, 0xFFF, major) && major == kScsiGenericMajor && ParseDecimal(colon + 1, 0xFFFFF, minor);
}

bool ReadScsiType(const char* directory, unsigned& type)
{
    char path[kPathSize];
    char text[64];
    return FormatPath(path, "%s/type", directory) && ReadAttribute(path, text) && ParseDecimal(text, 31, type);
}

bool ScsiTypeCommand(unsigned type, IdentifyCommand& command)
{
    constexpr unsigned kDisk = 0x00;
    constexpr unsigned kCdDvd = 0x05;
    constexpr unsigned kOptical = 0x07;
    constexpr unsigned kReducedBlockCommands = 0x0E;
    command = type == kCdDvd ? IDENTIFY_PACKET_DEVICE : IDENTIFY_DEVICE;
    return type == kDisk || type == kCdDvd || type == kOptical || type == kReducedBlockCommands;
}

void ReadInquiryText(const char* directory, const char* attribute, char (&text)[64])
{
    char path[kPathSize];
    if (!FormatPath(path, "%s/%s", directory, attribute) || !ReadAttribute(path, text)) {
        text[0] = '\0';
    }
    for (std::size_t length = std::strlen(text); length > 0 && text[length - 1] == ' '; --length) {
        text[length - 1] = '\0';
    }
}
