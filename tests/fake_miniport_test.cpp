// The request as the tool fills it, and the strict check and answers of the
// fake miniport that both the emulated platform and the Wine stand-in driver
// run: a fault here would let a wrong request pass on both.
#include "cmd_ide_oracle.h"
#include "fake_miniport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string BlockText(const unsigned char* buffer)
{
    return reinterpret_cast<const char*>(buffer + 52);
}

TEST(CmdIdeRequest, FilledAsTheLayoutSaysForEveryPort)
{
    for (unsigned char port = 0; port < 4; ++port) {
        CmdIdeRequest request;
        std::memset(&request, 0x5a, sizeof request);  // no byte may be left over
        CmdIdeFillRequest(&request, port);
        unsigned char expected[564];
        CmdIdeOracle(expected, port);
        EXPECT_EQ(std::memcmp(&request, expected, sizeof expected), 0) << "port " << int(port);

        const CmdIdeCheck check = CmdIdeCheckRequest(expected, 564, 564);
        EXPECT_EQ(check.fault, CMD_IDE_WELL_FORMED) << "port " << int(port);
    }
}

TEST(CmdIdeRequest, CheckNamesEveryWrongByteAtItsOffset)
{
    for (unsigned long offset = 0; offset < 564; ++offset) {
        unsigned char request[564];
        CmdIdeOracle(request, 1);
        request[offset] ^= 0x80;
        const CmdIdeCheck check = CmdIdeCheckRequest(request, 564, 564);
        EXPECT_EQ(check.fault, CMD_IDE_BAD_BYTE) << "offset " << offset;
        // A high byte in the port word makes the port number, at 28, wrong.
        EXPECT_EQ(check.detail, offset == 29 ? 28u : offset);
    }
    unsigned char request[564];
    CmdIdeOracle(request, 4);
    EXPECT_EQ(CmdIdeCheckRequest(request, 564, 564).fault, CMD_IDE_BAD_BYTE) << "only ports 0 to 3";
}

TEST(CmdIdeRequest, CheckNamesAWrongSizeBeforeAnyByte)
{
    unsigned char request[564];
    CmdIdeOracle(request, 0);
    request[4] = 'X';
    const CmdIdeCheck shortInput = CmdIdeCheckRequest(request, 563, 564);
    EXPECT_EQ(shortInput.fault, CMD_IDE_BAD_INPUT_SIZE);
    EXPECT_EQ(shortInput.detail, 563u);
    EXPECT_EQ(CmdIdeCheckRequest(request, 565, 564).detail, 565u);
    const CmdIdeCheck shortOutput = CmdIdeCheckRequest(request, 564, 52);
    EXPECT_EQ(shortOutput.fault, CMD_IDE_BAD_OUTPUT_SIZE);
    EXPECT_EQ(shortOutput.detail, 52u);
}

class FakeMiniportTest : public testing::Test {
protected:
    const DiskIdentity disk_ = {"SERIAL1", "1.0", "MODEL ONE", 1000};
    const unsigned char bytes_[5] = {1, 2, 3, 4, 5};
    const FakePort ports_[3] = {{&disk_, nullptr, 0, 0, 0}, {}, {nullptr, bytes_, 5, 0xC0000001, 2}};
    unsigned char buffer_[564] = {};

    FakeAnswer Ask(unsigned char port, unsigned long inSize = 564, unsigned long outSize = 564)
    {
        CmdIdeOracle(buffer_, port);
        return FakeMiniportAnswer(ports_, 3, buffer_, inSize, outSize);
    }
};

TEST_F(FakeMiniportTest, DiskAnswersItsIdentifyBlock)
{
    const FakeAnswer answer = Ask(0);
    EXPECT_EQ(answer.outcome, FAKE_ANSWERED);
    EXPECT_EQ(answer.information, 564u);
    EXPECT_EQ(answer.delaySeconds, 0u);
    unsigned char block[512];
    BuildIdentifyBlock(&disk_, block);
    EXPECT_EQ(std::memcmp(buffer_ + 52, block, 512), 0);
    EXPECT_EQ(std::memcmp(buffer_ + 20, "\0\0\0\0", 4), 0) << "ReturnCode 0";
}

TEST_F(FakeMiniportTest, SomeBytesComeBackWithTheirReturnCodeAndDelay)
{
    const FakeAnswer answer = Ask(2);
    EXPECT_EQ(answer.outcome, FAKE_ANSWERED);
    EXPECT_EQ(answer.information, 57u) << "the header, the words, the zeros and 5 bytes";
    EXPECT_EQ(answer.delaySeconds, 2u);
    const unsigned char expected[] = {1, 2, 3, 4, 5, 0};
    EXPECT_EQ(std::memcmp(buffer_ + 52, expected, sizeof expected), 0);
    const unsigned char returnCode[] = {0x01, 0x00, 0x00, 0xc0};
    EXPECT_EQ(std::memcmp(buffer_ + 20, returnCode, 4), 0);
}

TEST_F(FakeMiniportTest, EmptyOrMissingPortIsADeviceError)
{
    EXPECT_EQ(Ask(1).outcome, FAKE_NO_DEVICE);
    EXPECT_EQ(Ask(3).outcome, FAKE_NO_DEVICE) << "a controller of three ports";
}

TEST_F(FakeMiniportTest, MalformedRequestIsAnsweredWithWhatIsWrong)
{
    CmdIdeOracle(buffer_, 0);
    buffer_[11] = '_';  // "CMD_IDE_"
    std::memset(buffer_ + 52, 0xee, 512);
    const FakeAnswer answer = FakeMiniportAnswer(ports_, 3, buffer_, 564, 564);
    EXPECT_EQ(answer.outcome, FAKE_ANSWERED);
    EXPECT_EQ(answer.information, 564u);
    EXPECT_EQ(BlockText(buffer_), "BAD BYTE AT OFFSET 11");
    EXPECT_EQ(buffer_[563], 0) << "the rest of the block is cleared";

    Ask(0, 600);
    EXPECT_EQ(BlockText(buffer_), "BAD INPUT SIZE 600");
    Ask(0, 564, 4096);
    EXPECT_EQ(BlockText(buffer_), "BAD OUTPUT SIZE 4096");
}

TEST_F(FakeMiniportTest, OutputTooSmallForAnAnswerIsRefused)
{
    const FakeAnswer answer = Ask(0, 564, 563);
    EXPECT_EQ(answer.outcome, FAKE_REFUSED);
    EXPECT_EQ(answer.information, 0u);
}

}  // namespace
