#include "cmd_ide_oracle.h"
#include "controller_query.h"
#include "emulated_machine.h"
#include "expected_messages.h"
#include "stdout_capture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace {

using emulated::Call;
using emulated::CallAt;
using emulated::CallCount;
using emulated::CallRecord;
using emulated::Fault;

const std::string kSeparator = "-----------------------------------------\n";

std::string Query(int controller)
{
    return CaptureStdout([&] { QueryController(controller); });
}

std::vector<CallRecord> Calls()
{
    std::vector<CallRecord> calls;
    for (int i = 0; i < CallCount(); ++i) {
        calls.push_back(CallAt(i));
    }
    return calls;
}

// The port lines in the order they were printed.
std::vector<std::string> PortLines(const std::string& out)
{
    std::vector<std::string> ports;
    for (size_t at = 0; (at = out.find("Port ", at)) != std::string::npos; at = out.find('\n', at)) {
        ports.push_back(out.substr(at, out.find('\n', at) - at));
    }
    return ports;
}

class QueryTest : public testing::Test {
protected:
    void SetUp() override { emulated::BootMachine(emulated::kTestMachine); }
};

TEST_F(QueryTest, EachRequestIsExactlyTheLayout)
{
    Query(0);
    int requests = 0;
    for (const CallRecord& call : Calls()) {
        if (call.call != Call::DeviceControl) {
            continue;
        }
        unsigned char expected[564];
        CmdIdeOracle(expected, static_cast<unsigned char>(requests));
        EXPECT_EQ(std::memcmp(call.request, expected, sizeof expected), 0) << "port " << requests;
        EXPECT_EQ(call.flags, 0x0004D008u);
        EXPECT_EQ(call.inSize, 564u);
        EXPECT_EQ(call.outSize, 564u);
        EXPECT_TRUE(call.sameBuffer);
        EXPECT_TRUE(call.overlappedNull);
        EXPECT_FALSE(call.bytesReturnedNull);
        ++requests;
    }
    EXPECT_EQ(requests, 4);
}

TEST_F(QueryTest, AnswerOfOnePortNeverReachesTheNext)
{
    // Port 0 fills every byte; port 1 writes only 4 bytes of Data.
    const int controller = emulated::AddSiliconImage(4000, 4);
    unsigned char full[512];
    std::memset(full, 0xee, sizeof full);
    emulated::SetPortAnswer(controller, 0, full, 512);
    const unsigned char few[4] = {'a', 'b', 'c', 'd'};
    emulated::SetPortAnswer(controller, 1, few, 4);

    const std::string out = Query(4000);

    const CallRecord& secondRequest = CallAt(4);  // handler, define, open, port 0, port 1
    ASSERT_EQ(secondRequest.call, Call::DeviceControl);
    for (int i = 52; i < 564; ++i) {
        ASSERT_EQ(secondRequest.request[i], 0) << "offset " << i;
    }
    const size_t port1 = out.find("Port 1\n");
    ASSERT_NE(port1, std::string::npos);
    const std::string zeros = "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00  ................\n";
    EXPECT_EQ(out.substr(port1, 7 + 71 * 2),
              "Port 1\n"
              "000: 61 62 63 64 00 00 00 00 00 00 00 00 00 00 00 00  abcd............\n"
              "010: " + zeros);
    EXPECT_EQ(out.substr(out.size() - 71 - kSeparator.size()), "1f0: " + zeros + kSeparator);
}

struct Route {
    int controller;
    const char* defined;  // nullptr: the SCSI port route
    const char* target;
    const char* opened;
    bool opens;
};

void PrintTo(const Route& route, std::ostream* out)
{
    *out << route.controller;
}

class RouteTest : public QueryTest, public testing::WithParamInterface<Route> {};

TEST_P(RouteTest, NamesDefinedOpenedAndRemoved)
{
    const Route route = GetParam();
    const std::string out = Query(route.controller);
    std::vector<CallRecord> calls = Calls();
    ASSERT_FALSE(calls.empty());

    size_t next = 0;
    if (route.defined != nullptr) {
        const CallRecord& handler = calls[next++];
        EXPECT_EQ(handler.call, Call::ControlHandler) << "the name is guarded from a Ctrl+C before it exists";
        EXPECT_EQ(handler.flags, 1u);
        const CallRecord& define = calls[next++];
        EXPECT_EQ(define.call, Call::Define);
        EXPECT_EQ(define.flags, 1u);
        EXPECT_STREQ(define.name, route.defined);
        EXPECT_STREQ(define.target, route.target);
    }
    ASSERT_LT(next, calls.size());
    const CallRecord& open = calls[next++];
    EXPECT_EQ(open.call, Call::Open);
    EXPECT_STREQ(open.name, route.opened);
    EXPECT_EQ(open.flags, 0xC0000000u);
    EXPECT_EQ(open.shareMode, 3u);
    EXPECT_TRUE(open.securityNull);
    EXPECT_EQ(open.creation, 3u);
    EXPECT_EQ(open.attributes, 0u);
    EXPECT_TRUE(open.templateNull);
    EXPECT_EQ(open.result != 0, route.opens);
    if (route.opens) {
        for (int port = 0; port < 4; ++port) {
            ASSERT_LT(next, calls.size());
            EXPECT_EQ(calls[next++].call, Call::DeviceControl);
        }
        ASSERT_LT(next, calls.size());
        EXPECT_EQ(calls[next++].call, Call::Close);
    } else {
        EXPECT_EQ(out, OpenFailed(route.opened, ERROR_FILE_NOT_FOUND));
    }
    if (route.defined != nullptr) {
        ASSERT_LT(next, calls.size());
        const CallRecord& remove = calls[next++];
        EXPECT_EQ(remove.call, Call::Remove);
        EXPECT_EQ(remove.flags, 2u);
        EXPECT_STREQ(remove.name, route.defined);
        EXPECT_TRUE(remove.targetNull);
        EXPECT_EQ(emulated::DefinitionCount(route.defined), 0);
    }
    EXPECT_EQ(next, calls.size());
    EXPECT_EQ(emulated::OpenHandleCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Controllers, RouteTest,
    testing::Values(Route{3512, "tempBusSil3112", "\\Device\\Scsi\\SI31121", "\\\\.\\tempBusSil3112", true},
                    Route{3112, "tempBusSil3112", "\\Device\\Scsi\\SI31121", "\\\\.\\tempBusSil3112", true},
                    Route{3114, "tempBusSil3114", "\\Device\\Scsi\\SI31141", "\\\\.\\tempBusSil3114", true},
                    Route{31, nullptr, nullptr, "\\\\.\\Scsi31:", false},
                    Route{32, "tempBusSil32", "\\Device\\Scsi\\SI321", "\\\\.\\tempBusSil32", false},
                    Route{-1, nullptr, nullptr, "\\\\.\\Scsi-1:", false},
                    Route{0, nullptr, nullptr, "\\\\.\\Scsi0:", true},
                    Route{100, "tempBusSil100", "\\Device\\Scsi\\SI1001", "\\\\.\\tempBusSil100", false},
                    Route{-2147483647 - 1, nullptr, nullptr, "\\\\.\\Scsi-2147483648:", false},
                    Route{2147483647, "tempBusSil2147483647", "\\Device\\Scsi\\SI21474836471",
                          "\\\\.\\tempBusSil2147483647", false}),
    [](const testing::TestParamInfo<Route>& info) {
        const int n = info.param.controller;
        return (n < 0 ? "Minus" : "N") + std::to_string(n < 0 ? -static_cast<long long>(n) : n);
    });

TEST_F(QueryTest, AnsweringPortsInOrderEachWithDumpAndSeparator)
{
    const std::string out = Query(3114);
    EXPECT_EQ(PortLines(out), (std::vector<std::string>{"Port 1", "Port 3"}));
    // Port line, 32 lines of 71 bytes, separator: twice.
    EXPECT_EQ(out.size(), 2 * (7 + 32 * 71 + kSeparator.size()));
    EXPECT_EQ(out.substr(7 + 32 * 71, kSeparator.size()), kSeparator);
}

TEST_F(QueryTest, FailedDefineReportsAndStops)
{
    emulated::InjectFault(Fault::Define, ERROR_ACCESS_DENIED);
    EXPECT_EQ(Query(3512), DefineFailed(ERROR_ACCESS_DENIED));
    std::vector<CallRecord> calls = Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].call, Call::ControlHandler);
    EXPECT_EQ(calls[1].call, Call::Define);
}

TEST_F(QueryTest, FailedOpenAfterDefineStillRemovesTheName)
{
    emulated::InjectFault(Fault::Open, ERROR_ACCESS_DENIED);
    EXPECT_EQ(Query(3114), OpenFailed("\\\\.\\tempBusSil3114", ERROR_ACCESS_DENIED));
    std::vector<CallRecord> calls = Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[3].call, Call::Remove);
    EXPECT_EQ(emulated::DefinitionCount("tempBusSil3114"), 0);
}

TEST_F(QueryTest, FailingPortsLeaveNoTraceAndDoNotStopTheOthers)
{
    emulated::InjectFault(Fault::PortRequest, ERROR_IO_DEVICE, 0);
    const std::string out = Query(0);
    EXPECT_EQ(PortLines(out), (std::vector<std::string>{"Port 1"}));
    EXPECT_EQ(out.substr(0, 7), "Port 1\n");
    int requests = 0;
    for (const CallRecord& call : Calls()) {
        requests += call.call == Call::DeviceControl ? 1 : 0;
    }
    EXPECT_EQ(requests, 4);
}

TEST_F(QueryTest, NoPortAnsweringPrintsNothing)
{
    emulated::AddSiliconImage(3132, 2);
    EXPECT_EQ(Query(3132), "");
    EXPECT_EQ(emulated::DefinitionCount("tempBusSil3132"), 0);
}

TEST_F(QueryTest, FailedRemovalIsSilent)
{
    emulated::InjectFault(Fault::Remove, ERROR_ACCESS_DENIED);
    const std::string out = Query(3112);
    EXPECT_EQ(PortLines(out), (std::vector<std::string>{"Port 0"}));
    EXPECT_EQ(out.find("GetLastError"), std::string::npos);
    EXPECT_EQ(Calls().back().call, Call::Remove);
}

TEST_F(QueryTest, NameAlreadyDefinedByOthersIsLeftAsItWas)
{
    // Someone else's definition stays; only the one this run stacked is removed.
    ASSERT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "tempBusSil3114", "\\Device\\Elsewhere"));
    const std::string out = Query(3114);
    EXPECT_EQ(PortLines(out), (std::vector<std::string>{"Port 1", "Port 3"}));
    EXPECT_EQ(emulated::DefinitionCount("tempBusSil3114"), 1);
}

TEST_F(QueryTest, ShortOrFailingAnswerIsStillPrintedWhole)
{
    // Success with 100 of the 512 bytes and a ReturnCode saying failure: the
    // tool reads neither, so the block shows those bytes and zeros after them.
    const int controller = emulated::AddSiliconImage(4000, 1);
    unsigned char few[100];
    std::memset(few, 'Q', sizeof few);
    emulated::SetPortAnswer(controller, 0, few, sizeof few, 0xC0000001);

    const std::string out = Query(4000);

    const std::string q16 = "51 51 51 51 51 51 51 51 51 51 51 51 51 51 51 51  QQQQQQQQQQQQQQQQ\n";
    const std::string zeros = "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00  ................\n";
    std::string expected = "Port 0\n";
    for (int line = 0; line < 32; ++line) {
        char label[8];
        std::snprintf(label, sizeof label, "%03x: ", line * 16);
        expected += label;
        // 100 bytes: six full lines of Q, then 4 Q and 12 zeros.
        expected += line < 6    ? q16
                    : line == 6 ? "51 51 51 51 00 00 00 00 00 00 00 00 00 00 00 00  QQQQ............\n"
                                : zeros;
    }
    EXPECT_EQ(out, expected + kSeparator);
}

TEST_F(QueryTest, MissingObjectDirectoryFailsWithPathNotFound)
{
    // A machine without any SiliconImage driver has no \Device\Scsi at all.
    emulated::BootMachine(emulated::kEmptyTestMachine);
    const int scsi = emulated::AddScsiPort(0, 4);
    emulated::AttachDisk(scsi, 0, DiskIdentity{"S", "F", "M", 1000ull});
    EXPECT_EQ(Query(3512), OpenFailed("\\\\.\\tempBusSil3112", ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(emulated::DefinitionCount("tempBusSil3112"), 0);
    EXPECT_EQ(PortLines(Query(0)), (std::vector<std::string>{"Port 0"}));
}

int CountCalls(Call kind)
{
    int count = 0;
    for (const CallRecord& call : Calls()) {
        count += call.call == kind ? 1 : 0;
    }
    return count;
}

class ControlEventTest : public QueryTest, public testing::WithParamInterface<DWORD> {};

TEST_P(ControlEventTest, NameRemovedOnceWhenTheEventComesDuringARequest)
{
    emulated::RaiseControlEventDuring(1, GetParam());
    const std::string out = Query(3114);

    EXPECT_TRUE(emulated::ControlEventEndedProcess()) << "the handler lets Windows end the process";
    EXPECT_EQ(CountCalls(Call::Remove), 1) << "the handler's removal, none at the teardown";
    EXPECT_EQ(emulated::DefinitionCount("tempBusSil3114"), 0);
    // handler, define, open, port 0, then the handler's removal during port 1.
    ASSERT_GE(CallCount(), 5);
    EXPECT_EQ(CallAt(4).call, Call::Remove);
    EXPECT_STREQ(CallAt(4).name, "tempBusSil3114");
    EXPECT_TRUE(CallAt(4).targetNull);
    EXPECT_EQ(CallAt(5).call, Call::DeviceControl);
}

INSTANTIATE_TEST_SUITE_P(Events, ControlEventTest, testing::Values(CTRL_C_EVENT, CTRL_BREAK_EVENT, CTRL_CLOSE_EVENT),
                         [](const testing::TestParamInfo<DWORD>& info) { return "Event" + std::to_string(info.param); });

TEST_F(QueryTest, ControlEventAfterTheTeardownRemovesNothingMore)
{
    Query(3112);
    ASSERT_EQ(CountCalls(Call::Remove), 1);
    EXPECT_TRUE(emulated::RaiseControlEvent(CTRL_CLOSE_EVENT));
    EXPECT_EQ(CountCalls(Call::Remove), 1);
}

TEST_F(QueryTest, NoControlHandlerWithoutATemporaryName)
{
    Query(0);
    EXPECT_EQ(CountCalls(Call::ControlHandler), 0) << "SCSI port route";
}

TEST_F(QueryTest, ControlEventDuringTheDefineRemovesTheNameBeforeTheProcessEnds)
{
    emulated::RaiseControlEventDuringDefine(CTRL_CLOSE_EVENT);
    Query(3114);

    EXPECT_TRUE(emulated::ControlEventEndedProcess());
    // The handler waited for the define, then removed the name before the
    // tool's next call: the open.
    ASSERT_GE(CallCount(), 4);
    EXPECT_EQ(CallAt(1).call, Call::Define);
    EXPECT_EQ(CallAt(2).call, Call::Remove);
    EXPECT_STREQ(CallAt(2).name, "tempBusSil3114");
    EXPECT_EQ(CallAt(3).call, Call::Open);
    EXPECT_EQ(CountCalls(Call::Remove), 1) << "none at the teardown";
    EXPECT_EQ(emulated::DefinitionCount("tempBusSil3114"), 0);
}

}  // namespace
