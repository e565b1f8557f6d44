#include "identify_tables.h"

#include <algorithm>

namespace {

constexpr ValidRule kAlways = {kNoWord, ValidWhen::Always, 0};
// Words 82 and 83, and 85 and 86, are valid when word 83 says so; drives
// that leave word 87 zero still fill 85 and 86.
constexpr ValidRule kWords82To86 = {83, ValidWhen::Signature, 0};
constexpr ValidRule kWords84And87 = {84, ValidWhen::Signature, 0};
constexpr ValidRule kWords119And120 = {119, ValidWhen::Signature, 0};
constexpr ValidRule kSataCapabilities = {76, ValidWhen::Filled, 0};
constexpr ValidRule kSataFeatures = {78, ValidWhen::Filled, 0};
constexpr ValidRule kSctCommands = {206, ValidWhen::Filled, 0};
constexpr ValidRule kTrustedComputing = {48, ValidWhen::Signature, 0};
constexpr WordBit kNone = {kNoWord, 0};

}  // namespace

// Its bound, deduced, must match the declared one.
const FeatureRow kFeatureRows[] = {
    {"SMART feature set", "smart", {82, 0}, {85, 0}, kWords82To86},
    {"Security feature set", "security", {82, 1}, {85, 1}, kWords82To86},
    {"volatile write cache", "write_cache", {82, 5}, {85, 5}, kWords82To86},
    {"read look-ahead", "look_ahead", {82, 6}, {85, 6}, kWords82To86},
    {"48-bit Address feature set", "lba48", {83, 10}, {86, 10}, kWords82To86},
    {"Advanced Power Management feature set", "apm", {83, 3}, {86, 3}, kWords82To86},
    // TRIM has no enabled flag of its own: it works whenever supported.
    {"DATA SET MANAGEMENT TRIM", "trim", {169, 0}, {169, 0}, kAlways},
    {"World wide name", "world_wide_name", {84, 8}, {87, 8}, kWords84And87},

    {"Removable Media feature set", "removable_media_feature_set", {82, 2}, {85, 2}, kWords82To86},
    {"Power Management feature set", "power_management", {82, 3}, {85, 3}, kWords82To86},
    {"PACKET feature set", "packet", {82, 4}, {85, 4}, kWords82To86},
    {"release interrupt", "release_interrupt", {82, 7}, {85, 7}, kWords82To86},
    {"SERVICE interrupt", "service_interrupt", {82, 8}, {85, 8}, kWords82To86},
    {"DEVICE RESET command", "device_reset", {82, 9}, {85, 9}, kWords82To86},
    {"Host Protected Area feature set", "host_protected_area", {82, 10}, {85, 10}, kWords82To86},
    {"WRITE VERIFY command", "write_verify", {82, 11}, {85, 11}, kWords82To86},
    {"WRITE BUFFER command", "write_buffer", {82, 12}, {85, 12}, kWords82To86},
    {"READ BUFFER command", "read_buffer", {82, 13}, {85, 13}, kWords82To86},
    {"NOP command", "nop", {82, 14}, {85, 14}, kWords82To86},

    {"DOWNLOAD MICROCODE command", "download_microcode", {83, 0}, {86, 0}, kWords82To86},
    {"READ DMA QUEUED and WRITE DMA QUEUED commands", "dma_queued", {83, 1}, {86, 1}, kWords82To86},
    {"CFA feature set", "cfa", {83, 2}, {86, 2}, kWords82To86},
    {"Removable Media Status Notification feature set", "removable_media_status_notification", {83, 4}, {86, 4},
     kWords82To86},
    {"Power-Up In Standby feature set", "power_up_in_standby", {83, 5}, {86, 5}, kWords82To86},
    {"SET FEATURES subcommand required to spin-up after power-up", "spin_up_by_set_features", {83, 6}, {86, 6},
     kWords82To86},
    {"SET MAX security extension", "set_max_security_extension", {83, 8}, {86, 8}, kWords82To86},
    {"Automatic Acoustic Management feature set", "automatic_acoustic_management", {83, 9}, {86, 9},
     kWords82To86},
    {"Device Configuration Overlay feature set", "device_configuration_overlay", {83, 11}, {86, 11},
     kWords82To86},
    {"FLUSH CACHE command", "flush_cache", {83, 12}, {86, 12}, kWords82To86},
    {"FLUSH CACHE EXT command", "flush_cache_ext", {83, 13}, {86, 13}, kWords82To86},

    {"SMART error logging", "smart_error_logging", {84, 0}, {87, 0}, kWords84And87},
    {"SMART self-test", "smart_self_test", {84, 1}, {87, 1}, kWords84And87},
    {"media serial number", "media_serial_number", {84, 2}, {87, 2}, kWords84And87},
    {"Media Card Pass Through Command feature set", "media_card_pass_through", {84, 3}, {87, 3}, kWords84And87},
    {"Streaming feature set", "streaming", {84, 4}, {87, 4}, kWords84And87},
    {"General Purpose Logging feature set", "general_purpose_logging", {84, 5}, {87, 5}, kWords84And87},
    {"WRITE DMA FUA EXT and WRITE MULTIPLE FUA EXT commands", "write_fua_ext", {84, 6}, {87, 6},
     kWords84And87},
    {"WRITE DMA QUEUED FUA EXT command", "write_dma_queued_fua_ext", {84, 7}, {87, 7}, kWords84And87},
    {"URG bit for READ STREAM DMA EXT and READ STREAM EXT", "read_stream_urg", {84, 9}, {87, 9}, kWords84And87},
    {"URG bit for WRITE STREAM DMA EXT and WRITE STREAM EXT", "write_stream_urg", {84, 10}, {87, 10},
     kWords84And87},
    {"IDLE IMMEDIATE command with UNLOAD feature", "idle_immediate_unload", {84, 13}, {87, 13}, kWords84And87},

    {"Write-Read-Verify feature set", "write_read_verify", {119, 1}, {120, 1}, kWords119And120},
    {"WRITE UNCORRECTABLE EXT command", "write_uncorrectable_ext", {119, 2}, {120, 2}, kWords119And120},
    {"READ LOG DMA EXT and WRITE LOG DMA EXT commands", "log_dma_ext", {119, 3}, {120, 3}, kWords119And120},
    {"DOWNLOAD MICROCODE command with offsets (mode 3)", "download_microcode_offsets", {119, 4}, {120, 4},
     kWords119And120},
    {"Free-fall Control feature set", "free_fall_control", {119, 5}, {120, 5}, kWords119And120},
    {"Sense Data Reporting feature set", "sense_data_reporting", {119, 6}, {120, 6}, kWords119And120},
    {"Extended Power Conditions feature set", "extended_power_conditions", {119, 7}, {120, 7},
     kWords119And120},
    {"Accessible Max Address Configuration feature set", "accessible_max_address_configuration", {119, 8},
     kNone, kWords119And120},
    {"DSN feature set", "dsn", {119, 9}, {120, 9}, kWords119And120},

    {"host-initiated interface power management", "hipm", {76, 9}, kNone, kSataCapabilities},
    {"SATA Phy Event Counters log", "phy_event_counters", {76, 10}, kNone, kSataCapabilities},
    {"unload while NCQ commands are outstanding", "ncq_unload", {76, 11}, kNone, kSataCapabilities},
    {"NCQ priority information", "ncq_priority", {76, 12}, kNone, kSataCapabilities},
    {"Host Automatic Partial to Slumber transitions", "host_automatic_partial_to_slumber", {76, 13}, kNone,
     kSataCapabilities},
    {"Device Automatic Partial to Slumber transitions", "device_automatic_partial_to_slumber", {76, 14}, kNone,
     kSataCapabilities},
    {"READ LOG DMA EXT as equivalent to READ LOG EXT", "read_log_dma_ext_equivalent", {76, 15}, kNone,
     kSataCapabilities},
    {"NCQ Streaming", "ncq_streaming", {77, 4}, kNone, kSataCapabilities},
    {"NCQ Queue Management Command", "ncq_queue_management", {77, 5}, kNone, kSataCapabilities},
    {"RECEIVE FPDMA QUEUED and SEND FPDMA QUEUED commands", "fpdma_queued_send_receive", {77, 6}, kNone,
     kSataCapabilities},

    {"non-zero buffer offsets", "nonzero_buffer_offsets", {78, 1}, {79, 1}, kSataFeatures},
    {"DMA Setup auto-activation", "dma_setup_auto_activation", {78, 2}, {79, 2}, kSataFeatures},
    {"device-initiated interface power management", "dipm", {78, 3}, {79, 3}, kSataFeatures},
    {"in-order data delivery", "in_order_data_delivery", {78, 4}, {79, 4}, kSataFeatures},
    {"Asynchronous Notification", "asynchronous_notification", {78, 5}, {79, 5}, kSataFeatures},
    {"Software Settings Preservation", "software_settings_preservation", {78, 6}, {79, 6}, kSataFeatures},
    {"DEVSLP", "devsleep", {78, 8}, {79, 8}, kSataFeatures},
    {"Hybrid Information", "hybrid_information", {78, 9}, {79, 9}, kSataFeatures},

    {"SCT Command Transport", "sct_command_transport", {206, 0}, kNone, kSctCommands},
    {"SCT Read/Write Long command", "sct_read_write_long", {206, 1}, kNone, kSctCommands},
    {"SCT Write Same command", "sct_write_same", {206, 2}, kNone, kSctCommands},
    {"SCT Error Recovery Control command", "sct_error_recovery_control", {206, 3}, kNone, kSctCommands},
    {"SCT Feature Control command", "sct_feature_control", {206, 4}, kNone, kSctCommands},
    {"SCT Data Tables command", "sct_data_tables", {206, 5}, kNone, kSctCommands},
    {"SCT vendor specific (bit 12)", "sct_vendor_specific_12", {206, 12}, kNone, kSctCommands},
    {"SCT vendor specific (bit 13)", "sct_vendor_specific_13", {206, 13}, kNone, kSctCommands},
    {"SCT vendor specific (bit 14)", "sct_vendor_specific_14", {206, 14}, kNone, kSctCommands},
    {"SCT vendor specific (bit 15)", "sct_vendor_specific_15", {206, 15}, kNone, kSctCommands},

    {"Extended Number of User Addressable Sectors", "extended_user_addressable_sectors", {69, 3}, kNone, kAlways},
    {"device encrypts all user data", "encrypts_all_user_data", {69, 4}, kNone, kAlways},
    {"trimmed LBA ranges return zeroed data", "trimmed_reads_zeroes", {69, 5}, kNone, kAlways},
    {"IEEE 1667", "ieee_1667", {69, 7}, kNone, kAlways},
    {"DOWNLOAD MICROCODE DMA command", "download_microcode_dma", {69, 8}, kNone, kAlways},
    {"SET MAX SET PASSWORD DMA and SET MAX UNLOCK DMA commands", "set_max_password_dma", {69, 9}, kNone, kAlways},
    {"WRITE BUFFER DMA command", "write_buffer_dma", {69, 10}, kNone, kAlways},
    {"READ BUFFER DMA command", "read_buffer_dma", {69, 11}, kNone, kAlways},
    {"LPS Misalignment Reporting", "lps_misalignment_reporting", {69, 13}, kNone, kAlways},
    {"deterministic data in trimmed LBA ranges", "deterministic_read_after_trim", {69, 14}, kNone, kAlways},
    {"Trusted Computing feature set", "trusted_computing", {48, 0}, kNone, kTrustedComputing},
};

const ModeList kModeLists[] = {
    {"sdma", 62, 0, 3, 8, 0, kAlways},
    {"mdma", 63, 0, 3, 8, 0, kAlways},
    // Bit 7 of word 88 names no mode the standards define.
    {"udma", 88, 0, 7, 8, 0, {53, ValidWhen::Bit, 2}},
    {"pio", 64, 0, 2, -1, kBasePioModes, {53, ValidWhen::Bit, 1}},
};

namespace {

struct MinorVersion {
    unsigned code;
    const char* name;
};

// The standards' list, ordered by code. 0001h to 0003h (ATA-1) are obsolete
// since ATA/ATAPI-5 and named no more.
constexpr MinorVersion kMinorVersions[] = {
    {0x0004, "ATA-2 published, ANSI X3.279-1996"},
    {0x0005, "ATA-2 X3T10/948D prior to revision 2k"},
    {0x0006, "ATA-3 X3T10/2008D revision 1"},
    {0x0007, "ATA-2 X3T10/948D revision 2k"},
    {0x0008, "ATA-3 X3T10/2008D revision 0"},
    {0x0009, "ATA-2 X3T10/948D revision 3"},
    {0x000A, "ATA-3 published, ANSI X3.298-1997"},
    {0x000B, "ATA-3 X3T10/2008D revision 6"},
    {0x000C, "ATA-3 X3T13/2008D revision 7 and 7a"},
    {0x000D, "ATA/ATAPI-4 X3T13/1153D revision 6"},
    {0x000E, "ATA/ATAPI-4 T13/1153D revision 13"},
    {0x000F, "ATA/ATAPI-4 X3T13/1153D revision 7"},
    {0x0010, "ATA/ATAPI-4 T13/1153D revision 18"},
    {0x0011, "ATA/ATAPI-4 T13/1153D revision 15"},
    {0x0012, "ATA/ATAPI-4 published, ANSI INCITS 317-1998"},
    {0x0013, "ATA/ATAPI-5 T13/1321D revision 3"},
    {0x0014, "ATA/ATAPI-4 T13/1153D revision 14"},
    {0x0015, "ATA/ATAPI-5 T13/1321D revision 1"},
    {0x0016, "ATA/ATAPI-5 published, ANSI INCITS 340-2000"},
    {0x0017, "ATA/ATAPI-4 T13/1153D revision 17"},
    {0x0018, "ATA/ATAPI-6 T13/1410D revision 0"},
    {0x0019, "ATA/ATAPI-6 T13/1410D revision 3a"},
    {0x001A, "ATA/ATAPI-7 T13/1532D revision 1"},
    {0x001B, "ATA/ATAPI-6 T13/1410D revision 2"},
    {0x001C, "ATA/ATAPI-6 T13/1410D revision 1"},
    {0x001D, "ATA/ATAPI-7 published, ANSI INCITS 397-2005"},
    {0x001E, "ATA/ATAPI-7 T13/1532D revision 0"},
    {0x001F, "ACS-3 revision 3b"},
    {0x0021, "ATA/ATAPI-7 T13/1532D revision 4a"},
    {0x0022, "ATA/ATAPI-6 published, ANSI INCITS 361-2002"},
    {0x0027, "ATA8-ACS version 3c"},
    {0x0028, "ATA8-ACS version 6"},
    {0x0029, "ATA8-ACS version 4"},
    {0x0031, "ACS-2 revision 2"},
    {0x0033, "ATA8-ACS version 3e"},
    {0x0039, "ATA8-ACS version 4c"},
    {0x0042, "ATA8-ACS version 3f"},
    {0x0052, "ATA8-ACS version 3b"},
    {0x005E, "ACS-4 revision 5"},
    {0x006D, "ACS-3 revision 5"},
    {0x0082, "ACS-2 published, ANSI INCITS 482-2012"},
    {0x0107, "ATA8-ACS version 2d"},
    {0x010A, "ACS-3 published, ANSI INCITS 522-2014"},
    {0x0110, "ACS-2 revision 3"},
    {0x011B, "ACS-3 revision 4"},
};

}  // namespace

const char* MinorVersionName(unsigned code)
{
    const MinorVersion* end = kMinorVersions + sizeof kMinorVersions / sizeof kMinorVersions[0];
    const MinorVersion* found =
        std::find_if(kMinorVersions, end, [code](const MinorVersion& version) { return version.code == code; });
    return found != end ? found->name : nullptr;
}
