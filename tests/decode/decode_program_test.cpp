// portdump-decode as a user runs it: its output, stderr and exit status.
#include "constructed_blocks.h"
#include "program_helpers.h"

#include <gtest/gtest.h>

namespace {

TEST(DecodeProgram, JsonOfARealBlockIsTheDocumentWrittenByHand)
{
    const ProgramRun run = RunProgram(kDecoder, {"--json"}, BlockAsPortdumpOutput("Samsung_SSD_860_EVO_500GB.bin"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, ReadFile(kHere + "/golden/samsung_ssd_860_evo.json"));
}

// The same document the Windows exe must give for this text under Wine.
// A parallel drive's: its modes, hardware reset results and acoustic levels, checked against hdparm -I.
TEST(DecodeProgram, JsonOfAParallelDriveIsTheDocumentCheckedByHand)
{
    const ProgramRun run = RunProgram(kDecoder, {"--json"}, BlockAsPortdumpOutput("Maxtor_96147H8.bin"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, ReadFile(kHere + "/golden/maxtor_96147h8.json"));
}

TEST(DecodeProgram, JsonOfTheWineStandInsOutput)
{
    const ProgramRun run = RunProgram(kDecoder, {"--json"}, ReadFile(WINE_GOLDEN_DIR "/scsi0.out"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, ReadFile(kHere + "/golden/wine_scsi0.json"));
}

TEST(DecodeProgram, TextForAPersonWithSourceAndPort)
{
    const ProgramRun run = RunProgram(kDecoder, {GOLDEN_DIR "/portdump_3512.out"});
    EXPECT_EQ(run.status, 0);
    const std::string heading = "== " GOLDEN_DIR "/portdump_3512.out, port 0 (line 2): IDENTIFY DEVICE, checksum correct\n";
    EXPECT_EQ(run.out.substr(0, heading.size()), heading);
    // 156301488 sectors of 512 bytes.
    EXPECT_NE(run.out.find("\n  Model               PORTDUMP EMULATED SATA 80\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\n  Capacity            80026361856 bytes = 80.0 GB = 74.5 GiB\n"), std::string::npos);
    EXPECT_NE(run.out.find("\n  Sectors             156301488 (48-bit), 156301488 (28-bit)\n"), std::string::npos);

    const ProgramRun smart = RunProgram(kDecoder, {}, BlockAsPortdumpOutput("smart-SAMSUNG_HD501LJ.bin"));
    // Bytes 362 and 363 are zero: no collection yet, no self-test error.
    EXPECT_NE(smart.out.find("SMART data, checksum correct\n"
                             "  Offline collection  0x00: never started\n"
                             "  Self-test           0x00: last self-test completed without error, or none was run\n"
                             "  Temperature         47 degrees Celsius\n"
                             "  Thresholds          not in this block"),
              std::string::npos)
        << smart.out;
    // Attribute 194: current 97, worst 88, raw 2f 00 00 00 00 00 (47 degrees).
    EXPECT_NE(smart.out.find("  194  Temperature                    0x0022      97    88  47\n"), std::string::npos);
}

TEST(DecodeProgram, PacketDeviceAndSsdSmartData)
{
    const ConstructedBlock drive = PacketDeviceBlock();
    const ConstructedBlock ssd = SsdSmartBlock();
    const std::string text = PortText(1, drive.bytes) + PortText(2, ssd.bytes);
    const ProgramRun json = RunProgram(kDecoder, {"--json"}, text);
    EXPECT_EQ(json.status, 0);
    EXPECT_NE(json.out.find("{\"source\": \"-\", \"port\": 1, \"line\": 2, \"kind\": \"identify_packet\", "
                            "\"checksum\": \"correct\", \"identify_packet\": {\"model\": \"PORTDUMP DVD-ROM DRIVE\", "
                            "\"serial\": \"PDCD0001\", \"firmware\": \"1.02\", \"device_type\": \"CD/DVD\", "
                            "\"removable\": true}},\n"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("{\"id\": 225, \"name\": null, \"flags\": 0, \"current\": 200, \"worst\": 200, "
                            "\"raw\": 127906}"),
              std::string::npos);
    EXPECT_NE(json.out.find("\"offline_collection_status\": 130, \"self_test_status\": 0, \"temperature_celsius\": 39, "
                            "\"thresholds_included\": false}}"),
              std::string::npos);

    const ProgramRun run = RunProgram(kDecoder, {}, text);
    EXPECT_EQ(run.out.substr(0, run.out.find("== -, port 2")),
              "== -, port 1 (line 2): IDENTIFY PACKET DEVICE, checksum correct\n"
              "  Model               PORTDUMP DVD-ROM DRIVE\n"
              "  Serial              PDCD0001\n"
              "  Firmware            1.02\n"
              "  Device type         CD/DVD\n"
              "  Removable media     yes\n\n");
    EXPECT_NE(run.out.find("    5  Reallocated sectors            0x0002     255   255  3\n"), std::string::npos)
        << run.out;
}

TEST(DecodeProgram, FailureLinesAreReportedWithTheirMeaning)
{
    const ProgramRun run = RunProgram(kDecoder, {GOLDEN_DIR "/portdump_31.out"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "== " GOLDEN_DIR "/portdump_31.out (line 1): CreateFile(\\\\.\\Scsi31:) failed, error 2\n"
                       "  Meaning             file not found: no controller of that number, or no SiliconImage "
                       "controller (or driver) of that model\n\n");
}

TEST(DecodeProgram, ErrorsNameFileAndLineAndOtherBlocksStillDecode)
{
    std::string damaged = BlockAsPortdumpOutput("Maxtor_96147H8.bin");
    damaged.replace(damaged.find("\n050: ") + 6, 2, "zz");  // line 7
    const TextFile first(damaged, "damaged");
    const TextFile second(BlockAsPortdumpOutput("ST3160023AS.bin"), "whole");

    const ProgramRun run = RunProgram(kDecoder, {"--json", first.path, second.path});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "portdump-decode: " + first.path +
                           ":7: hex pair 1 of the line at offset 050 is not two hex digits\n");
    EXPECT_EQ(run.out.find("Maxtor"), std::string::npos) << "the damaged block is not decoded";
    EXPECT_NE(run.out.find("\"source\": \"" + second.path + "\", \"port\": 0, \"line\": 2, \"kind\": \"identify\""),
              std::string::npos);
    EXPECT_NE(run.out.find("\"errors\": [\n{\"source\": \"" + first.path +
                           "\", \"line\": 7, \"message\": \"hex pair 1 of the line at offset 050 is not two hex "
                           "digits\"}\n]}\n"),
              std::string::npos)
        << run.out;
}

TEST(DecodeProgram, UsageErrorsAndMissingFiles)
{
    ProgramRun run = RunProgram(kDecoder, {"--xml"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.substr(0, 45), "portdump-decode: unknown option --xml\nusage: ");

    run = RunProgram(kDecoder, {"--prometheus", "--json"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.substr(0, 67), "portdump-decode: --json and --prometheus exclude each other\nusage: ");

    run = RunProgram(kDecoder, {"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "portdump-decode " PORTDUMP_VERSION);
    EXPECT_NE(run.out.find("MIT License"), std::string::npos) << run.out;

    run = RunProgram(kDecoder, {"/nonexistent/dump.txt", "-"}, BlockAsPortdumpOutput("ST3160023AS.bin"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "portdump-decode: /nonexistent/dump.txt: cannot open: No such file or directory\n");
    EXPECT_NE(run.out.find("== -, port 0 (line 2): IDENTIFY DEVICE"), std::string::npos) << "stdin as -";

    run = RunProgram(kDecoder, {}, "");
    EXPECT_EQ(run.status, 0) << "no blocks is no error";
    EXPECT_EQ(run.out, "");
}

}  // namespace
