#include "devicelink/command_sequence.h"

#include "tests/devicelink/link_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace orvel::test {
namespace {

std::vector<std::uint8_t> Commands(const FakePort& port)
{
    std::vector<std::uint8_t> ids;
    for (const CommandFrame& frame : port.Written())
        ids.push_back(frame[3]);
    return ids;
}

// The receiver answers the wireless query with byte 8 = 0xFF while the device is awake.
void Receiver(FakePort& port, std::atomic<bool>& awake, std::uint8_t failCommand = 0)
{
    port.responder = [&awake, failCommand](const CommandFrame& request) {
        CommandFrame answer = request;
        if (request[3] == 0xAA)
            answer[8] = awake ? 0xFF : 0x00;
        else if (!awake)
            answer[3] = 0xAA;
        if (request[3] == failCommand)
            answer[7] = 0xFE;
        return std::vector<CommandFrame>{answer};
    };
}

class SequenceTest : public LinkFixture {
protected:
    int WriteSettings(CCommandSequence& sequence)
    {
        sequence.Begin();
        sequence.Run([this](CDeviceLink& l) { return l.WriteBlock(block, 128); });
        return sequence.End();
    }
    std::vector<std::uint8_t> block = std::vector<std::uint8_t>(20, 7);
    std::atomic<bool> awake{true};
};

TEST_F(SequenceTest, CableSendsTheCommandsAlone)
{
    OpenLink(Path::Cable);
    CCommandSequence sequence(*link);
    EXPECT_EQ(WriteSettings(sequence), 1);
    EXPECT_EQ(Commands(*cable), (std::vector<std::uint8_t>{0x01, 0x06, 0x02}));
}

TEST_F(SequenceTest, ReceiverAsksBeforeEachCommand)
{
    OpenLink(Path::Receiver);
    Receiver(*receiver, awake);
    CCommandSequence sequence(*link);
    EXPECT_EQ(WriteSettings(sequence), 1);
    EXPECT_EQ(Commands(*receiver), (std::vector<std::uint8_t>{0xAA, 0x01, 0xAA, 0x06, 0xAA, 0x02}));
}

TEST_F(SequenceTest, SleepingDeviceAbandonsTheSequence)
{
    OpenLink(Path::Receiver);
    awake = false;
    Receiver(*receiver, awake);
    CCommandSequence sequence(*link);
    EXPECT_EQ(WriteSettings(sequence), 0);
    EXPECT_EQ(Commands(*receiver), (std::vector<std::uint8_t>{0xAA}));
}

TEST_F(SequenceTest, ClosedLinkThroughTheReceiverSendsNothing)
{
    OpenLink(Path::Receiver);
    link->linkOpen = 0;
    CCommandSequence sequence(*link);
    EXPECT_EQ(WriteSettings(sequence), 0);
    EXPECT_TRUE(receiver->Written().empty());
}

TEST_F(SequenceTest, FailedDataCommandStillEndsTheSequence)
{
    OpenLink(Path::Receiver);
    Receiver(*receiver, awake, 0x06);
    {
        CCommandSequence sequence(*link);
        sequence.Begin();
        EXPECT_EQ(sequence.Run([this](CDeviceLink& l) { return l.WriteBlock(block, 0); }), -103);
        EXPECT_EQ(sequence.Run([](CDeviceLink& l) { return l.SetHostLightControl(); }), -103);
        EXPECT_EQ(sequence.End(), -103);
    }
    EXPECT_EQ(Commands(*receiver), (std::vector<std::uint8_t>{0xAA, 0x01, 0xAA, 0x06, 0xAA, 0x02}));
}

TEST_F(SequenceTest, SequenceLeftWithoutEndIsEnded)
{
    OpenLink(Path::Cable);
    {
        CCommandSequence sequence(*link);
        sequence.Begin();
    }
    EXPECT_EQ(Commands(*cable), (std::vector<std::uint8_t>{0x01, 0x02}));
}

TEST_F(SequenceTest, OtherThreadsWaitForTheWholeSequence)
{
    OpenLink(Path::Cable);
    std::thread other;
    {
        CCommandSequence sequence(*link);
        sequence.Begin();
        other = std::thread([this] { link->SetHostLightControl(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        sequence.Run([this](CDeviceLink& l) { return l.WriteBlock(block, 0); });
        sequence.End();
    }
    other.join();
    EXPECT_EQ(Commands(*cable), (std::vector<std::uint8_t>{0x01, 0x06, 0x02, 0x1C}));
}

} // namespace
} // namespace orvel::test
