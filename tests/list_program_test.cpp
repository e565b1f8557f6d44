// The built portdump-list as a user runs it on the emulated machine.
#include "run_program.h"

#include <gtest/gtest.h>

namespace {

const std::string kProgram = PORTDUMP_LIST_PATH;
const std::string kUsage = "usage: portdump-list [--version]\n"
                           "Lists the controllers portdump can be given; each line begins with the number to give it.\n";

TEST(ListProgram, TheBuiltInMachine)
{
    // Its SCSI port 0 and SiliconImage 3112 and 3114; the 3512 is reached
    // through the 3112.
    const ProgramRun run = RunProgram(kProgram, {});
    EXPECT_EQ(run.out, "0  \\\\.\\Scsi0:  \\Device\\ScsiPort0\n"
                       "3112  \\Device\\Scsi\\SI31121  (also 3512)\n"
                       "3114  \\Device\\Scsi\\SI31141\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

TEST(ListProgram, ArgumentsAreAUsageErrorButHelpAndVersion)
{
    for (const auto& arguments : {std::vector<std::string>{"0"}, std::vector<std::string>{"--help", "0"},
                                  std::vector<std::string>{"--version", "0"}}) {
        const ProgramRun run = RunProgram(kProgram, arguments);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, kUsage);
        EXPECT_EQ(run.status, 2);
    }
    for (const char* help : {"--help", "-h", "/?"}) {
        const ProgramRun run = RunProgram(kProgram, {help});
        EXPECT_EQ(run.out, kUsage);
        EXPECT_EQ(run.status, 0);
    }
    const ProgramRun run = RunProgram(kProgram, {"--version"});
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "portdump-list " PORTDUMP_VERSION);
    EXPECT_EQ(run.status, 0);
}

}  // namespace
