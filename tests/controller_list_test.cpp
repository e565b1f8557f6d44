// portdump-list on the emulated machine: which controllers it lists, under
// which number, and what it says when it cannot read them all.
#include "controller_list.h"
#include "controller_report.h"
#include "emulated_machine.h"
#include "nt_controllers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

struct Report {
    std::string out;
    std::string err;
    int status;
};

std::string ReadBack(std::FILE* file)
{
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) {
        text += static_cast<char>(c);
    }
    std::fclose(file);
    return text;
}

Report ReportOf(bool readable, ControllerList& list)
{
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int status = ReportControllers(readable, list, out, err);
    return Report{ReadBack(out), ReadBack(err), status};
}

Report ListMachine()
{
    static ControllerList list;
    list = ControllerList{};
    const bool readable = emulated::ListMachineControllers(emulated::TestMachine(), list);
    return ReportOf(readable, list);
}

TEST(ListedMachine, TheTestMachineAsPortdumpReachesIt)
{
    emulated::BootMachine(emulated::kEmptyTestMachine);
    EXPECT_EQ(ListMachine().out, "No controller found.\n");

    emulated::AddSiliconImage(100, 4);
    emulated::AddScsiPort(31, 4);
    emulated::AddSiliconImage(5, 4);     // portdump 5 opens Scsi5:, never SI51
    emulated::AddSiliconImage(3512, 4);  // portdump 3512 opens the 3112's object
    emulated::AddScsiPort(2, 4);
    emulated::AddSiliconImage(32, 4);
    // Any ScsiN: is what portdump N opens, whatever it names; the newest
    // definition is the one an open reaches. Scsi32: no number reaches.
    ASSERT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "Scsi7:", "\\Device\\Elsewhere"));
    ASSERT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "Scsi2:", "\\Device\\Ide\\IdePort2"));
    ASSERT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "Scsi32:", "\\Device\\ScsiPort32"));

    const Report report = ListMachine();
    EXPECT_EQ(report.out, "2  \\\\.\\Scsi2:  \\Device\\Ide\\IdePort2\n"
                          "7  \\\\.\\Scsi7:  \\Device\\Elsewhere\n"
                          "31  \\\\.\\Scsi31:  \\Device\\ScsiPort31\n"
                          "32  \\Device\\Scsi\\SI321\n"
                          "100  \\Device\\Scsi\\SI1001\n");
    EXPECT_EQ(report.err, "");
    EXPECT_EQ(report.status, 0);
}

TEST(ListedMachine, OnlyTheObjectNamesPortdumpBuilds)
{
    const struct {
        const char* name;
        int number;  // -1: not listed
    } cases[] = {
        {"SI31121", 3112},       {"si31141", 3114},        {"SI21474836471", 2147483647},
        {"SI21474836481", -1},   {"SI999999999991", -1},   {"SI0321", -1},
        {"SI311", -1},           {"SI35121", -1},          {"SI31122", -1},
        {"SI1", -1},             {"SI", -1},               {"SI-1001", -1},
        {"SI+1001", -1},         {"SI 1001", -1},          {"XI31121", -1},
    };
    for (const auto& object : cases) {
        static ControllerList list;
        list = ControllerList{};
        AddSiliconImageObject(list, object.name);
        if (object.number < 0) {
            EXPECT_EQ(list.count, 0) << object.name;
        } else {
            ASSERT_EQ(list.count, 1) << object.name;
            EXPECT_EQ(list.controllers[0].number, object.number) << object.name;
            EXPECT_EQ(std::string(list.controllers[0].fields[0]), std::string("\\Device\\Scsi\\") + object.name);
        }
    }
}

TEST(ListReport, WhatCouldNotBeReadIsSaidOnStandardError)
{
    static ControllerList list;
    list = ControllerList{};
    std::snprintf(list.problem, sizeof list.problem, "cannot read the DOS device names: error 5");
    const Report unreadable = ReportOf(false, list);
    EXPECT_EQ(unreadable.err, "portdump-list: cannot read the DOS device names: error 5\n");
    EXPECT_EQ(unreadable.out, "");
    EXPECT_EQ(unreadable.status, 1);

    // More than the list holds: the first are shown, and the rest said.
    list = ControllerList{};
    for (int i = 0; i <= kMaxListedControllers; ++i) {
        AddScsiPort(list, kMaxListedControllers - i, "\\Device\\X", "");
    }
    const Report report = ReportOf(true, list);
    EXPECT_EQ(report.status, 0);
    EXPECT_EQ(report.out.substr(0, report.out.find('\n') + 1), "1  \\\\.\\Scsi1:  \\Device\\X\n");
    EXPECT_EQ(std::count(report.out.begin(), report.out.end(), '\n'), kMaxListedControllers);
    EXPECT_EQ(report.err, "portdump-list: more than 128 controllers; the first 128 are shown; the list may be "
                          "incomplete\n");
}

TEST(ListReport, ADriverNameCannotBreakTheLine)
{
    static ControllerList list;
    list = ControllerList{};
    AddScsiPort(list, 1, "\\Device\\Ide\\IdePort1", "atapi\nfake\x7f\tline");
    EXPECT_EQ(ReportOf(true, list).out, "1  \\\\.\\Scsi1:  \\Device\\Ide\\IdePort1  atapi?fake??line\n");
}

TEST(ListReport, AFailedWriteIsAFailure)
{
    static ControllerList list;
    list = ControllerList{};
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    std::FILE* err = std::tmpfile();
    EXPECT_EQ(ReportControllers(true, list, full, err), 1);
    std::fclose(full);
    EXPECT_EQ(ReadBack(err), "portdump-list: cannot write the list to standard output\n");
}

}  // namespace
