// The built program as a user runs it: its stdout bytes, stderr and exit status.
#include "expected_messages.h"
#include "kernel32.h"
#include "read_file.h"
#include "run_program.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

const std::string kProgram = PORTDUMP_PATH;
const std::string kGolden = GOLDEN_DIR;

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

// How an argument is read, seen through the route it leads to: a golden file
// of the built-in machine, or the path whose open fails.
struct Argument {
    std::string text;
    std::string golden;   // output of the built-in machine, or empty
    std::string opened;   // the path in the open failure, or empty
};

void PrintTo(const Argument& argument, std::ostream* out)
{
    *out << testing::PrintToString(argument.text);
}

class ArgumentTest : public testing::TestWithParam<Argument> {};

TEST_P(ArgumentTest, ReadAsADecimalNumberWithSaturation)
{
    const Argument& argument = GetParam();
    const std::string expected = argument.golden.empty() ? OpenFailed(argument.opened, ERROR_FILE_NOT_FOUND)
                                                         : ReadFile(kGolden + "/portdump_" + argument.golden + ".out");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Portdump({argument.text}).out, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Conversion, ArgumentTest,
    testing::Values(Argument{"", "0", ""}, Argument{"abc", "0", ""}, Argument{"0x10", "0", ""},
                    Argument{"+-7", "0", ""}, Argument{"- 7", "0", ""}, Argument{"+0", "0", ""},
                    Argument{"\xe3\x81\x82", "0", ""},                    // あ in UTF-8
                    Argument{"\x82\x52\x82\x54\x82\x50\x82\x51", "0", ""},  // ３５１２ in Shift-JIS
                    Argument{"\xef\xbc\x93\xef\xbc\x95\xef\xbc\x91\xef\xbc\x92", "0", ""},  // ３５１２ in UTF-8
                    Argument{"3112", "3512", ""}, Argument{"+3512", "3512", ""}, Argument{"3512 ", "3512", ""},
                    Argument{"3512abc", "3512", ""}, Argument{"0003512", "3512", ""},
                    Argument{" \t\n\v\f\r3512", "3512", ""}, Argument{"\t\n3512", "3512", ""},
                    Argument{"12abc", "", "\\\\.\\Scsi12:"}, Argument{" -1", "", "\\\\.\\Scsi-1:"},
                    Argument{"31", "", "\\\\.\\Scsi31:"}, Argument{"32", "", "\\\\.\\tempBusSil32"},
                    Argument{"2147483647", "", "\\\\.\\tempBusSil2147483647"},
                    Argument{"2147483648", "", "\\\\.\\tempBusSil2147483647"},
                    Argument{"4294967296", "", "\\\\.\\tempBusSil2147483647"},  // 2^32 must not wrap to 0
                    Argument{std::string(10000, '9'), "", "\\\\.\\tempBusSil2147483647"},
                    Argument{"-2147483648", "", "\\\\.\\Scsi-2147483648:"},
                    Argument{"-2147483649", "", "\\\\.\\Scsi-2147483648:"},
                    Argument{"-" + std::string(10000, '9'), "", "\\\\.\\Scsi-2147483648:"}),
    [](const testing::TestParamInfo<Argument>& info) { return "Case" + std::to_string(info.index); });

}  // namespace
