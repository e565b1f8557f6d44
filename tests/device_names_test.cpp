// The device names read back: only what the formats write, in any case.
#include "device_names.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

TEST(DeviceNames, ReadBackWhatTheFormatsWrite)
{
    for (const int number : {0, 7, 31, 3112, 2147483647}) {
        char port[DEVICE_NAME_SIZE];
        char object[DEVICE_NAME_SIZE];
        char device[DEVICE_NAME_SIZE];
        std::snprintf(port, sizeof port, SCSI_PORT_NAME(%d), number);
        std::snprintf(object, sizeof object, SIL_OBJECT(%d), number);
        std::snprintf(device, sizeof device, SIL_DEVICE(%d), number);
        EXPECT_EQ(ScsiPortNameNumber(port), number) << port;
        EXPECT_EQ(SilObjectModel(object), number) << object;
        EXPECT_EQ(SilDeviceModel(device), number) << device;
    }
    EXPECT_EQ(ScsiPortNameNumber("sCSI12:"), 12);
    EXPECT_EQ(SilDeviceModel("\\device\\scsi\\si31141"), 3114);
    for (const char* name : {"Scsi:", "Scsi01:", "Scsi-1:", "Scsi+1:", "Scsi 1:", "Scsi1", "Scsi1::", "Scsi0x1:",
                             "Scsi2147483648:", "Scsi99999999999:", "Scsi1:x", "Xcsi1:", ""}) {
        EXPECT_EQ(ScsiPortNameNumber(name), -1) << name;
    }
    for (const char* object : {"SI1", "SI", "SI31A21", "SI031121", "SI31122", "I31121"}) {
        EXPECT_EQ(SilObjectModel(object), -1) << object;
    }
    EXPECT_EQ(SilDeviceModel("\\Device\\Scsi\\Other\\SI31121"), -1);
}

TEST(DeviceNames, CaseOfAsciiLettersAside)
{
    EXPECT_TRUE(SameDeviceName("\\Device\\Scsi", "\\DEVICE\\scsi"));
    EXPECT_FALSE(SameDeviceName("Scsi0:", "Scsi0"));
    EXPECT_FALSE(SameDeviceName("Scsi0", "Scsi0:"));
    // Only A-Z and a-z pair up: '@' and '`' lie next to them.
    EXPECT_FALSE(SameDeviceName("@", "`"));
    EXPECT_FALSE(SameDeviceName("[", "{"));
    EXPECT_TRUE(DeviceNameBegins("\\device\\scsi\\SI1", SIL_DIRECTORY "\\"));
    EXPECT_FALSE(DeviceNameBegins("\\Device\\Sc", SIL_DIRECTORY));
}

TEST(DeviceNames, ObjectDirectoryAndAlias)
{
    char directory[DEVICE_NAME_SIZE];
    ASSERT_TRUE(ObjectDirectory("\\Device\\Scsi\\SI31121", directory));
    EXPECT_STREQ(directory, "\\Device\\Scsi");
    EXPECT_FALSE(ObjectDirectory("\\Device", directory));
    EXPECT_FALSE(ObjectDirectory("Device", directory));
    EXPECT_EQ(ServedNumber(3512), 3112);
    EXPECT_EQ(ServedNumber(3112), 3112);
    EXPECT_EQ(AliasNumber(3112), 3512);
    EXPECT_EQ(AliasNumber(3512), -1);
}

}  // namespace
