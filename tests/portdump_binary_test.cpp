// The built program as a user runs it: its stdout bytes, stderr and exit status.
#include "run_program.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kProgram = PORTDUMP_PATH;
const std::string kGolden = GOLDEN_DIR;

// 引数にSCSIバス番号(0～) もしくは SiliconImageの型番の数字部分(3512等)を指定してください.
const std::string kUsage =
    "\x88\xf8\x90\x94\x82\xc9SCSI\x83\x6f\x83\x58\x94\xd4\x8d\x86(0\x81\x60) \x82\xe0\x82\xb5\x82\xad\x82\xcd "
    "SiliconImage\x82\xcc\x8c\x5e\x94\xd4\x82\xcc\x90\x94\x8e\x9a\x95\x94\x95\xaa(3512\x93\x99)\x82\xf0\x8e\x77"
    "\x92\xe8\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2.\n";

ProgramRun Portdump(const std::vector<std::string>& arguments)
{
    ProgramRun run = RunProgram(kProgram, arguments);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    return run;
}

TEST(Usage, ExactlyOneArgumentOrTheUsageMessage)
{
    ASSERT_EQ(kUsage.size(), 89u);
    EXPECT_EQ(Portdump({}).out, kUsage);
    EXPECT_EQ(Portdump({"0", "1"}).out, kUsage);
    EXPECT_EQ(Portdump({"3512", "3512", "3512"}).out, kUsage);
    EXPECT_EQ(ReadFile(kGolden + "/portdump_usage.out"), kUsage);
}

class GoldenTest : public testing::TestWithParam<const char*> {};

TEST_P(GoldenTest, OutputIsByteForByteTheGoldenFile)
{
    const std::string expected = ReadFile(kGolden + "/portdump_" + GetParam() + ".out");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Portdump({GetParam()}).out, expected);
}

INSTANTIATE_TEST_SUITE_P(BuiltInMachine, GoldenTest, testing::Values("0", "3512", "3114", "31", "100"));

// How the argument is read, seen through the route it leads to.
TEST(Conversion, DecimalPrefixWithSaturation)
{
    const std::string scsi0 = ReadFile(kGolden + "/portdump_0.out");
    for (const char* zero : {"abc", "0x10", "", "+-7", "- 7", "0"}) {
        EXPECT_EQ(Portdump({zero}).out, scsi0) << '"' << zero << '"';
    }
    const std::string sil3112 = ReadFile(kGolden + "/portdump_3512.out");
    for (const char* alias : {"3112", "+3512", " \t\n\v\f\r3512", "3512abc", "0003112"}) {
        EXPECT_EQ(Portdump({alias}).out, sil3112) << '"' << alias << '"';
    }
    // 12abc gives 12: the open of Scsi12: fails.
    EXPECT_NE(Portdump({"12abc"}).out.find("CreateFile(\\\\.\\Scsi12:)"), std::string::npos);
    EXPECT_NE(Portdump({" -1"}).out.find("CreateFile(\\\\.\\Scsi-1:)"), std::string::npos);
    EXPECT_NE(Portdump({"99999999999999999999"}).out.find("CreateFile(\\\\.\\tempBusSil2147483647)"),
              std::string::npos);
    EXPECT_NE(Portdump({"-99999999999999999999"}).out.find("CreateFile(\\\\.\\Scsi-2147483648:)"),
              std::string::npos);
    EXPECT_NE(Portdump({"4294967296"}).out.find("CreateFile(\\\\.\\tempBusSil2147483647)"), std::string::npos)
        << "2^32 must not wrap to 0";
}

}  // namespace
