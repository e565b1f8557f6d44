#pragma once

#include "identify_command.h"

// What sysfs says of one SCSI device, in its device directory, without
// asking the device.

// The sg driver's character device major.
constexpr unsigned kScsiGenericMajor = 21;

// The device's sg node: "sgN" in `name`, and its minor, a number of the sg
// major.
bool ReadScsiGeneric(const char* directory, char (&name)[16], unsigned& minor);

// The device's peripheral device type.
bool ReadScsiType(const char* directory, unsigned& type);

// The command a SCSI peripheral type calls for: disks, optical memory and
// RBC devices may be ATA behind a translating layer, a CD/DVD drive ATAPI.
// False for enclosures, changers, array controllers and the like, which are
// never asked.
bool ScsiTypeCommand(unsigned type, IdentifyCommand& command);

// An INQUIRY string attribute, without the blanks the kernel keeps from its
// fixed-width field; "" where unreadable.
void ReadInquiryText(const char* directory, const char* attribute, char (&text)[64]);
