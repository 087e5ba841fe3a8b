#include "tools/audiorecord/record_session.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace orvel;
using namespace orvel::audiorecord;
using namespace orvel::lighting;

struct FakeHost : SessionHost {
    struct Block {
        ULONG_PTR id;
        std::vector<std::int32_t> values;
    };
    void StartCapture() override { calls += "start "; }
    void StopCapture() override { calls += "stop "; }
    ipc::SendStatus SendBlock(const ipc::RemoteWindow& to, ULONG_PTR id, std::span<const std::uint8_t> bytes) override
    {
        EXPECT_EQ(to, kMain);
        Block b{id, std::vector<std::int32_t>(bytes.size() / 4)};
        std::memcpy(b.values.data(), bytes.data(), bytes.size());
        EXPECT_EQ(bytes.size() % 4, 0u);
        blocks.push_back(std::move(b));
        return answer;
    }
    void Exit() override { calls += "exit "; }

    inline static const ipc::RemoteWindow kMain{"/run/main.sock"};
    std::string calls;
    std::vector<Block> blocks;
    ipc::SendStatus answer = ipc::SendStatus::Ok;
};

Spectrum Loud(std::int32_t loudness)
{
    Spectrum s;
    s.values.fill(loudness);
    s.loudness = loudness;
    return s;
}

// The connect commands in the main window's order.
void Connect(RecordSession& session)
{
    for (WPARAM command : {kRegister, kStartSending, kStartCapture}) session.OnCommand(command, 0, FakeHost::kMain);
}

std::vector<std::uint8_t> ColourBlock(std::int32_t r, std::int32_t g, std::int32_t b, std::size_t size = kColourBlockBytes)
{
    std::vector<std::uint8_t> bytes(size, 0);
    const std::int32_t rgb[3] = {r, g, b};
    if (size > 0)
        std::memcpy(bytes.data(), rgb, std::min(sizeof rgb, size));
    return bytes;
}

TEST(RecordSession, SpectraGoOutOnlyWhenRegisteredCapturingAndSending)
{
    struct Case {
        const char* name;
        std::vector<WPARAM> commands;
        bool sends;
        const char* calls;
    } cases[] = {
        {"connect order", {kRegister, kStartSending, kStartCapture}, true, "start "},
        {"capture first", {kRegister, kStartCapture, kStartSending}, true, "start "},
        {"never told to send", {kRegister, kStartCapture}, false, "start "},
        {"no window", {kStartSending, kStartCapture}, false, "start "},
        {"sending stopped", {kRegister, kStartSending, kStartCapture, kStopSending}, false, "start "},
        {"shutdown order", {kRegister, kStartSending, kStartCapture, kStopSending, kStopCapture, kExit}, false,
         "start stop exit "},
        {"capture started twice", {kRegister, kStartCapture, kStartCapture, kStartSending}, true, "start "},
        {"unknown command", {kRegister, kStartSending, kStartCapture, 77}, true, "start "},
    };
    for (const Case& c : cases) {
        FakeHost host;
        RecordSession session(host);
        for (WPARAM command : c.commands) session.OnCommand(command, 0, FakeHost::kMain);
        session.OnSpectrum(Loud(2000));
        EXPECT_EQ(host.calls, c.calls) << c.name;
        ASSERT_EQ(host.blocks.size(), c.sends ? 2u : 0u) << c.name;
        if (!c.sends) continue;
        EXPECT_EQ(host.blocks[0].id, kSpectrumBlock);
        EXPECT_EQ(host.blocks[0].values, std::vector<std::int32_t>(kSpectrumValueCount, 2000));
        EXPECT_EQ(host.blocks[1].id, kColourInputBlock);
        EXPECT_EQ(host.blocks[1].values.size(), kColourInputCount);
    }
}

TEST(RecordSession, ARegisterWithoutASenderIsIgnored)
{
    FakeHost host;
    RecordSession session(host);
    for (WPARAM command : {kRegister, kStartSending, kStartCapture}) session.OnCommand(command, 0, std::nullopt);
    session.OnSpectrum(Loud(2000));
    EXPECT_TRUE(host.blocks.empty());
}

TEST(RecordSession, ColourInputIsTheLevelsTimesTheLoudnessAndGoesOutWhenItChanges)
{
    EXPECT_EQ(ColourInputOf({9, 0, 9}, 2000), (ColourInput{255, 0, 255, 0, 0, 0}));
    EXPECT_EQ(ColourInputOf({9, 3, 1}, 1000), (ColourInput{127, 42, 14, 0, 0, 0}));
    EXPECT_EQ(ColourInputOf({9, 9, 9}, 0), (ColourInput{}));
    EXPECT_EQ(ColourInputOf({20, -4, 9}, 5000), (ColourInput{255, 0, 255, 0, 0, 0}));

    FakeHost host;
    RecordSession session(host);
    Connect(session);
    session.OnCommand(kSetRed, 9, std::nullopt);
    session.OnCommand(kSetGreen, 0, std::nullopt);
    session.OnCommand(kSetBlue, 3, std::nullopt);
    for (std::int32_t loudness : {2000, 2000, 1000, 0, 0}) session.OnSpectrum(Loud(loudness));
    std::vector<std::vector<std::int32_t>> colours;
    int spectra = 0;
    for (const auto& b : host.blocks) {
        if (b.id == kColourInputBlock) colours.push_back(b.values);
        spectra += b.id == kSpectrumBlock;
    }
    EXPECT_EQ(spectra, 5);
    EXPECT_EQ(colours, (std::vector<std::vector<std::int32_t>>{{255, 0, 85, 0, 0, 0}, {127, 0, 42, 0, 0, 0}, {0, 0, 0, 0, 0, 0}}));
}

TEST(RecordSession, LevelsFromCommandsAndTheColourBlockAreKeptInRange)
{
    FakeHost host;
    RecordSession session(host);
    session.OnCommand(kSetRed, 12, std::nullopt);
    session.OnCommand(kSetGreen, -1, std::nullopt);
    session.OnCommand(kSetBlue, 4, std::nullopt);
    EXPECT_EQ(session.Levels(), (std::array<std::int32_t, 3>{9, 0, 4}));

    EXPECT_TRUE(session.OnColourBlock(ColourBlock(2, 1, 7)));
    EXPECT_EQ(session.Levels(), (std::array<std::int32_t, 3>{2, 1, 7}));
    EXPECT_TRUE(session.OnColourBlock(ColourBlock(-8, 99, 0)));
    EXPECT_EQ(session.Levels(), (std::array<std::int32_t, 3>{0, 9, 0}));
    for (std::size_t size : {0u, 12u, 39u, 41u, 2000u}) {
        EXPECT_FALSE(session.OnColourBlock(ColourBlock(5, 5, 5, size))) << size;
        EXPECT_EQ(session.Levels(), (std::array<std::int32_t, 3>{0, 9, 0})) << size;
    }
}

TEST(RecordSession, TheProgramEndsWhenItsMainWindowIsGone)
{
    FakeHost host;
    RecordSession session(host);
    Connect(session);
    host.answer = ipc::SendStatus::NoPeer;
    session.OnSpectrum(Loud(1000));
    EXPECT_EQ(host.blocks.size(), 1u) << "nothing more after the failed spectrum";
    EXPECT_EQ(host.calls, "start stop exit ");
    EXPECT_FALSE(session.Capturing());
    session.OnSpectrum(Loud(1000));
    session.OnWatch(false, 60000);
    EXPECT_EQ(host.blocks.size(), 1u);
    EXPECT_EQ(host.calls, "start stop exit ") << "it ends once";
}

TEST(RecordSession, ItEndsWhenNoMainWindowIsThereToServe)
{
    struct Case {
        const char* name;
        bool registers;
        bool there;
        std::uint64_t ms;
        bool ends;
    } cases[] = {
        {"registered, window there", true, true, 120000, false},
        {"registered, window gone", true, false, 6000, true},
        {"not registered yet", false, false, RecordSession::kRegisterWithinMs - 1, false},
        {"never registered", false, false, RecordSession::kRegisterWithinMs, true},
    };
    for (const Case& c : cases) {
        FakeHost host;
        RecordSession session(host);
        if (c.registers) session.OnCommand(kRegister, 0, FakeHost::kMain);
        session.OnWatch(c.there, c.ms);
        EXPECT_EQ(host.calls == "exit ", c.ends) << c.name;
    }
}

TEST(RecordSession, ABusyMainWindowOnlyLosesThatBlock)
{
    FakeHost host;
    RecordSession session(host);
    Connect(session);
    host.answer = ipc::SendStatus::TimedOut;
    session.OnSpectrum(Loud(1000));
    EXPECT_TRUE(session.Capturing());
    EXPECT_TRUE(session.Sending());
}

} // namespace
