#include "devicelink/device_link.h"

#include "platform/debuglog.h"
#include "tests/devicelink/link_fixture.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace orvel::test {
namespace {

struct Frame {
    std::uint8_t command;
    std::uint8_t length;
    std::uint16_t address;
};

struct SenderCase {
    const char* name;
    Path path;
    std::function<int(CDeviceLink&)> send;
    std::vector<Frame> frames;
};

// Payload bytes of the write commands: byte i of the source is i & 0xFF.
std::vector<std::uint8_t> Counting(std::size_t n)
{
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(i);
    return v;
}

std::vector<Frame> Chunks(std::uint8_t command, std::size_t total, std::size_t chunk, std::uint16_t base = 0)
{
    std::vector<Frame> frames;
    for (std::size_t offset = 0; offset < total; offset += chunk)
        frames.push_back({command, static_cast<std::uint8_t>(std::min(chunk, total - offset)),
                          static_cast<std::uint16_t>(base + offset)});
    return frames;
}

std::array<std::uint8_t, 512> table512{};
std::array<std::uint8_t, 34> info{};

TEST_F(LinkFixture, EachSenderFramesItsCommand)
{
    const auto block66 = Counting(66);
    const auto light = Counting(60);
    const auto shoot = Counting(100);
    const auto keys = Counting(512);
    std::array<std::uint8_t, 512> keysArray{};
    std::copy(keys.begin(), keys.end(), keysArray.begin());
    std::vector<std::uint8_t> block(66);
    std::vector<std::uint8_t> small(6);

    const SenderCase cases[] = {
        {"begin", Path::Cable, [](CDeviceLink& l) { return l.BeginConfig(); }, {{0x01, 0, 0}}},
        {"end", Path::Receiver, [](CDeviceLink& l) { return l.EndConfig(); }, {{0x02, 0, 0}}},
        {"host light", Path::Cable, [](CDeviceLink& l) { return l.SetHostLightControl(); }, {{0x1C, 0, 0}}},
        {"device info by cable is one frame", Path::Cable,
         [](CDeviceLink& l) { return l.ReadDeviceInfo(info); }, {{0x03, 34, 0}}},
        {"device info through the receiver is 24 + 10", Path::Receiver,
         [](CDeviceLink& l) { return l.ReadDeviceInfo(info); }, {{0x03, 24, 0}, {0x03, 10, 24}}},
        {"read block at 128", Path::Cable, [&](CDeviceLink& l) { return l.ReadBlock(block, 128); },
         Chunks(0x05, 66, 56, 128)},
        {"write block at 128 through the receiver", Path::Receiver,
         [&](CDeviceLink& l) { return l.WriteBlock(block66, 128); }, Chunks(0x06, 66, 24, 128)},
        {"key table by cable: 10 frames", Path::Cable, [](CDeviceLink& l) { return l.ReadKeyTable(table512); },
         Chunks(0x07, 512, 56)},
        {"key table through the receiver: 22 frames", Path::Receiver,
         [](CDeviceLink& l) { return l.ReadKeyTable(table512); }, Chunks(0x07, 512, 24)},
        {"write key table bank 0", Path::Cable,
         [&](CDeviceLink& l) { return l.WriteKeyTable(keysArray, 0); }, Chunks(0x09, 512, 56)},
        {"extra key table is a third", Path::Cable, [](CDeviceLink& l) { return l.ReadKeyTableExtra(table512); },
         Chunks(0x1B, 170, 56)},
        {"light frame at index x stride", Path::Cable,
         [&](CDeviceLink& l) { return l.WriteLightFrame(light, 3, 45); }, Chunks(0x0B, 60, 56, 135)},
        {"light stream", Path::Receiver, [&](CDeviceLink& l) { return l.WriteLightStream(light); },
         Chunks(0x12, 60, 24)},
        {"macro data", Path::Cable, [&](CDeviceLink& l) { return l.WriteMacroData(shoot); }, Chunks(0x15, 100, 56)},
        {"shoot data by cable", Path::Cable, [&](CDeviceLink& l) { return l.WriteShootData(shoot); },
         Chunks(0x17, 100, 56)},
        {"shoot data through the receiver uses the receiver's chunk", Path::Receiver,
         [&](CDeviceLink& l) { return l.WriteShootData(shoot); }, Chunks(0x17, 100, 24)},
        {"read small", Path::Cable, [&](CDeviceLink& l) { return l.ReadSmall(small, 0x0200); },
         {{0x1A, 6, 0x0200}}},
        {"wireless query through the receiver", Path::Receiver,
         [](CDeviceLink& l) { return l.QueryWirelessLink() ? 1 : 0; }, {{0xAA, 0, 0}}},
    };
    for (const SenderCase& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        receiver->responder = [](const CommandFrame& request) {
            auto answers = EchoDevice(request);
            answers[0][8] = request[3] == 0xAA ? 0xFF : answers[0][8];
            return answers;
        };
        OpenLink(c.path);
        EXPECT_EQ(c.send(*link), 1);
        const auto written = Active(c.path).Written();
        ASSERT_EQ(written.size(), c.frames.size());
        for (std::size_t i = 0; i < written.size(); ++i) {
            SCOPED_TRACE(i);
            const CommandFrame& w = written[i];
            EXPECT_EQ(w[0], 0x04);
            EXPECT_EQ(w[3], c.frames[i].command);
            EXPECT_EQ(w[4], c.frames[i].length);
            EXPECT_EQ(w[5] | (w[6] << 8), c.frames[i].address);
            EXPECT_EQ(w[7], 0);
            EXPECT_TRUE(ChecksumHolds(w));
        }
        const FakePort& other = c.path == Path::Cable ? *receiver : *cable;
        EXPECT_TRUE(other.Written().empty());
    }
}

TEST_F(LinkFixture, WritePayloadsFollowTheirOffsets)
{
    OpenLink(Path::Receiver);
    const auto block = Counting(66);
    ASSERT_EQ(link->WriteBlock(block, 0x80), 1);
    std::vector<std::uint8_t> sent;
    for (const CommandFrame& w : receiver->Written())
        sent.insert(sent.end(), w.begin() + 8, w.begin() + 8 + w[4]);
    EXPECT_EQ(sent, block);
    const CommandFrame last = receiver->Written().back();
    for (int i = 8 + last[4]; i < 64; ++i)
        EXPECT_EQ(last[i], 0) << i;
}

TEST_F(LinkFixture, ReadDataLandsAtItsOffset)
{
    for (Path path : {Path::Cable, Path::Receiver}) {
        OpenLink(path);
        std::array<std::uint8_t, 34> record{};
        ASSERT_EQ(link->ReadDeviceInfo(record), 1);
        for (std::size_t i = 0; i < record.size(); ++i)
            EXPECT_EQ(record[i], i) << i; // the echo device returns address + i
    }
}

TEST_F(LinkFixture, DataSizeLimitsKeyTables)
{
    OpenLink(Path::Cable);
    EXPECT_EQ(link->SetDataSize(513), 0);
    EXPECT_EQ(link->dataSize, 512);
    EXPECT_EQ(link->SetDataSize(0), 1);
    EXPECT_EQ(link->ReadKeyTable(table512), 1);
    EXPECT_EQ(link->WriteKeyTable(table512, 0), 1);
    EXPECT_EQ(link->ReadKeyTableExtra(table512), 1);
    EXPECT_TRUE(cable->Written().empty());
    EXPECT_EQ(link->SetDataSize(33), 1);
    EXPECT_EQ(link->ReadKeyTable(table512), 1);
    EXPECT_EQ(link->ReadKeyTableExtra(table512), 1);
    const auto written = cable->Written();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0][4], 33);
    EXPECT_EQ(written[1][4], 11);
}

TEST_F(LinkFixture, InvalidArgumentsSendNothing)
{
    OpenLink(Path::Cable);
    std::vector<std::uint8_t> tooMuch(57);
    std::vector<std::uint8_t> block(16);
    struct Case {
        const char* name;
        std::function<int()> send;
    } const cases[] = {
        {"key table bank 1", [&] { return link->WriteKeyTable(table512, 1); }},
        {"key table bank -1", [&] { return link->WriteKeyTable(table512, -1); }},
        {"small read above one frame", [&] { return link->ReadSmall(tooMuch, 0); }},
        {"block past the 16-bit address space", [&] { return link->WriteBlock(block, 0xFFF8); }},
        {"light frame index past the address space", [&] { return link->WriteLightFrame(block, 0x1000, 0x10); }},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.send(), -201) << c.name;
    EXPECT_TRUE(cable->Written().empty());
}

TEST_F(LinkFixture, QueryWirelessLinkByCableSendsNothing)
{
    OpenLink(Path::Cable);
    EXPECT_TRUE(link->QueryWirelessLink());
    EXPECT_TRUE(cable->Written().empty());
    EXPECT_TRUE(receiver->Written().empty());
}

TEST_F(LinkFixture, QueryWirelessLinkReadsTheAnswer)
{
    struct Case {
        const char* name;
        std::uint8_t byte3;
        std::uint8_t byte7;
        std::uint8_t byte8;
        bool reachable;
    } const cases[] = {
        {"awake", 0xAA, 0x00, 0xFF, true},
        {"asleep", 0xAA, 0x00, 0x00, false},
        {"rejected", 0xAA, 0xFF, 0xFF, false},
        {"bad argument", 0xAA, 0xFE, 0xFF, false},
        {"other command answered", 0x01, 0x00, 0xFF, false},
    };
    OpenLink(Path::Receiver);
    for (const Case& c : cases) {
        receiver->responder = [&](const CommandFrame& request) {
            CommandFrame answer = request;
            answer[3] = c.byte3;
            answer[7] = c.byte7;
            answer[8] = c.byte8;
            return std::vector<CommandFrame>{answer};
        };
        EXPECT_EQ(link->QueryWirelessLink(), c.reachable) << c.name;
    }
}

struct AnswerCase {
    const char* name;
    Path path;
    std::function<std::vector<CommandFrame>(const CommandFrame&)> device;
    int status;
};

CommandFrame Answer(const CommandFrame& request, std::uint8_t byte3, std::uint8_t byte7)
{
    CommandFrame answer = request;
    answer[3] = byte3;
    answer[7] = byte7;
    return answer;
}

TEST_F(LinkFixture, AnswersBecomeStatusCodes)
{
    const AnswerCase cases[] = {
        {"accepted", Path::Cable, [](const CommandFrame& r) { return std::vector{Answer(r, r[3], 0)}; }, 1},
        {"rejected", Path::Cable, [](const CommandFrame& r) { return std::vector{Answer(r, r[3], 0xFF)}; }, -102},
        {"bad argument", Path::Cable, [](const CommandFrame& r) { return std::vector{Answer(r, r[3], 0xFE)}; },
         -103},
        {"no answer", Path::Cable, [](const CommandFrame&) { return std::vector<CommandFrame>{}; }, 0},
        {"receiver says unreachable", Path::Receiver,
         [](const CommandFrame& r) { return std::vector{Answer(r, 0xAA, 0)}; }, -101},
        {"0xAA over the cable is just unmatched", Path::Cable,
         [](const CommandFrame& r) { return std::vector{Answer(r, 0xAA, 0)}; }, 0},
        {"matched on the second read", Path::Cable,
         [](const CommandFrame& r) { return std::vector{Answer(r, 0x33, 0), Answer(r, r[3], 0)}; }, 1},
        {"two unmatched answers are no answer", Path::Cable,
         [](const CommandFrame& r) { return std::vector{Answer(r, 0x33, 0), Answer(r, 0x34, 0)}; }, 0},
        {"one unmatched answer then silence", Path::Receiver,
         [](const CommandFrame& r) { return std::vector{Answer(r, 0x33, 0)}; }, 0},
    };
    for (const AnswerCase& c : cases) {
        OpenLink(c.path);
        Active(c.path).responder = c.device;
        EXPECT_EQ(link->SetHostLightControl(), c.status) << c.name;
    }
}

TEST_F(LinkFixture, OnlyWholeAnswersAreTaken)
{
    const auto accept = [](const CommandFrame& r) { return std::vector{Answer(r, r[3], 0)}; };
    const auto twice = [](const CommandFrame& r) { return std::vector{Answer(r, r[3], 0), Answer(r, r[3], 0)}; };
    const struct {
        const char* name;
        Path path;
        std::function<std::vector<CommandFrame>(const CommandFrame&)> device;
        std::vector<std::uint32_t> lengths;
        int status;
    } cases[] = {
        {"whole", Path::Cable, accept, {64}, 1},
        {"cut after the command id", Path::Cable, accept, {4}, 0},
        {"one byte short", Path::Receiver, accept, {63}, 0},
        {"short, then whole", Path::Cable, twice, {8, 64}, 1},
        {"a short unreachable answer", Path::Receiver,
         [](const CommandFrame& r) { return std::vector{Answer(r, 0xAA, 0)}; }, {8}, 0},
    };
    for (const auto& c : cases) {
        OpenLink(c.path);
        Active(c.path).responder = c.device;
        Active(c.path).answerLengths = c.lengths;
        EXPECT_EQ(link->SetHostLightControl(), c.status) << c.name;
    }
}

TEST_F(LinkFixture, ChunkedTransferStopsAtTheFailingFrame)
{
    OpenLink(Path::Receiver);
    receiver->responder = [](const CommandFrame& r) {
        const unsigned offset = r[5] | (r[6] << 8);
        return std::vector{Answer(r, r[3], offset == 48 ? 0xFE : 0)};
    };
    EXPECT_EQ(link->ReadKeyTable(table512), -103);
    EXPECT_EQ(receiver->Written().size(), 3u);
}

TEST_F(LinkFixture, FailuresBeforeTheAnswer)
{
    EXPECT_EQ(link->BeginConfig(), 0) << "link not open";
    EXPECT_TRUE(cable->Written().empty());
    OpenLink(Path::Cable);
    cable->failWrites = true;
    EXPECT_EQ(link->BeginConfig(), -1);
    EXPECT_EQ(link->busy, 0);
}

TEST_F(LinkFixture, TimeOutsFollowThePath)
{
    OpenLink(Path::Cable);
    link->BeginConfig();
    EXPECT_EQ(cable->lastWriteTimeout, 1000u);
    EXPECT_EQ(cable->lastReadTimeout, 1000u);
    OpenLink(Path::Receiver);
    link->BeginConfig();
    EXPECT_EQ(receiver->lastWriteTimeout, 5000u);
    EXPECT_EQ(receiver->lastReadTimeout, 5000u);
}

TEST(DeviceLink, StartsClosedOnHidInterfaces)
{
    CDeviceLink link;
    EXPECT_EQ(link.dataSize, 512);
    EXPECT_EQ(link.busy, 0);
    EXPECT_EQ(link.linkOpen, 0);
    EXPECT_EQ(link.viaDongle, 0);
    EXPECT_EQ(link.chunkSize, 24);
    EXPECT_FALSE(link.primaryHid->IsOpen());
    EXPECT_FALSE(link.dongleHid->IsOpen());
    EXPECT_EQ(link.BeginConfig(), 0);
}

TEST_F(LinkFixture, LinkModes)
{
    struct Case {
        int mode;
        int viaDongle;
        int chunk;
    } const cases[] = {{1, 0, 56}, {2, 1, 24}, {0, 0, 56}, {3, 0, 56}, {-2, 0, 56}};
    EXPECT_EQ(link->chunkSize, 24) << "never set: a pad or headset keeps 24";
    for (const Case& c : cases) {
        link->SetLinkMode(c.mode);
        EXPECT_EQ(link->viaDongle, c.viaDongle) << c.mode;
        EXPECT_EQ(link->chunkSize, c.chunk) << c.mode;
    }
}

TEST_F(LinkFixture, StaleAnswersAreNotTakenForTheNextOne)
{
    // The stale report is drained into the answer buffer: a short answer behind it must not
    // borrow its command id and data either.
    using Data = std::array<std::uint8_t, 2>;
    const struct {
        const char* name;
        std::vector<std::uint32_t> answerLengths;
        int status;
        Data data;
    } cases[] = {
        {"a whole answer", {}, 1, {0x10, 0x11}},
        {"a short answer", {2}, 0, {}},
    };
    for (const auto& c : cases) {
        OpenLink(Path::Cable);
        CommandFrame late = MakeFrame(0x1A, 2, 0x10);
        late[8] = 0xEE;
        late[9] = 0xEE;
        cable->Queue(late);
        cable->answerLengths = c.answerLengths;
        Data data{};
        EXPECT_EQ(link->ReadSmall(data, 0x10), c.status) << c.name;
        EXPECT_EQ(data, c.data) << c.name;
    }
}

TEST_F(LinkFixture, RequestIsCopiedIntoOneReport)
{
    OpenLink(Path::Cable);
    std::uint8_t answer[64];
    std::uint32_t read = 0;
    const std::vector<std::uint8_t> shortRequest{0x04, 0, 0, 0x01};
    EXPECT_EQ(link->Transact(shortRequest.data(), shortRequest.size(), answer, 64, read), 1);
    EXPECT_EQ(read, 64u);
    std::vector<std::uint8_t> longRequest(80, 0x01);
    EXPECT_EQ(link->Transact(longRequest.data(), longRequest.size(), answer, 64, read), 1);
    const auto written = cable->Written();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0][3], 0x01);
    EXPECT_EQ(written[0][4], 0);
    EXPECT_EQ(written[1][63], 0x01);
}

class LinkDebugLines : public LinkFixture {
protected:
    void SetUp() override
    {
        debuglog::SetSinkForTests([this](std::string_view line) { lines.emplace_back(line); });
    }
    void TearDown() override { debuglog::SetSinkForTests({}); }
    std::vector<std::string> lines;
};

TEST_F(LinkDebugLines, CommandAndAnswerAreDumped)
{
    OpenLink(Path::Cable);
    ASSERT_EQ(link->BeginConfig(), 1);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "命令\n");
    EXPECT_EQ(lines[1], "04 01 00 01   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  "
                        "00 00 00 00 00 00 00 00\n");
    EXPECT_EQ(lines[3], "返回\n");
}

TEST_F(LinkDebugLines, LightStreamIsQuietAndSkipsWhileBusy)
{
    OpenLink(Path::Cable);
    const auto light = Counting(100);
    ASSERT_EQ(link->WriteLightStream(light), 1);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(cable->Written().size(), 2u);

    link->busy = 1;
    ASSERT_EQ(link->WriteLightStream(light), 1);
    EXPECT_EQ(cable->Written().size(), 2u);
    EXPECT_EQ(lines, (std::vector<std::string>{"放弃灯光数据\n", "放弃灯光数据\n"}));
}

// A device that answers late, on its own thread: without ioLock held across a write and its
// answer, one thread reads the other's answer and both fail.
TEST_F(LinkFixture, TwoThreadsNeverTakeEachOthersAnswers)
{
    OpenLink(Path::Cable);
    std::atomic<int> failures{0};
    auto worker = [&](std::function<int()> send) {
        for (int i = 0; i < 200; ++i)
            if (send() != 1)
                ++failures;
    };
    std::array<std::uint8_t, 8> small{};
    std::vector<std::uint8_t> frame(60, 1);
    std::thread a(worker, [&] { return link->ReadSmall(small, 0); });
    std::thread b(worker, [&] { return link->WriteLightFrame(frame, 0, 0); });
    std::thread c(worker, [&] { return link->SetHostLightControl(); });
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(failures, 0);
}

} // namespace
} // namespace orvel::test
