#include "sim/vhid/vhid_server.h"
#include "tests/hid/raw_vhid_client.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <sys/stat.h>

namespace orvel::vhid {
namespace {

using testing::RawVhidClient;

Hello HeadsetHello()
{
    Hello hello;
    hello.vendorId = 0x0C76;
    hello.productId = 0x1630;
    hello.version = 0x0100;
    hello.product = "test headset";
    hello.interfaceNumber = 3;
    hello.reportDescriptor = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0xC0};
    return hello;
}

class VhidServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        callbacks.onOutput = [this](const std::vector<uint8_t>& r) {
            std::lock_guard lock(mutex);
            outputs.push_back(r);
        };
        callbacks.onSetFeature = [this](const std::vector<uint8_t>& r) {
            std::lock_guard lock(mutex);
            features.push_back(r);
        };
        callbacks.onGetFeature = [](uint8_t id) -> std::optional<std::vector<uint8_t>> {
            if (id == 7) {
                return std::vector<uint8_t> {7, 0xAB, 0xCD};
            }
            return std::nullopt;
        };
    }

    std::vector<std::vector<uint8_t>> Outputs()
    {
        std::lock_guard lock(mutex);
        return outputs;
    }

    testing::TempFolder temp;
    std::filesystem::path folder = temp / "vhid";
    ServerCallbacks callbacks;
    std::mutex mutex;
    std::vector<std::vector<uint8_t>> outputs;
    std::vector<std::vector<uint8_t>> features;
};

TEST_F(VhidServerTest, StartCreatesPrivateFolderAndSocketAndGreetsWithHello)
{
    Server server(folder, "headset.if3", HeadsetHello(), callbacks);
    ASSERT_TRUE(server.Start());
    EXPECT_EQ(server.SocketPath(), folder / "headset.if3.sock");
    EXPECT_TRUE(FolderIsPrivate(folder));

    RawVhidClient client(server.SocketPath());
    ASSERT_TRUE(client.Connected());
    auto hello = client.Receive();
    ASSERT_TRUE(hello);
    EXPECT_EQ(hello->type, kHello);
    auto decoded = DecodeHello(std::string(hello->payload.begin(), hello->payload.end()));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->vendorId, 0x0C76);
    EXPECT_EQ(decoded->productId, 0x1630);
    EXPECT_EQ(decoded->interfaceNumber, 3u);
    EXPECT_EQ(decoded->reportDescriptor, HeadsetHello().reportDescriptor);
}

TEST_F(VhidServerTest, EveryConnectedClientReceivesEachInputReport)
{
    Server server(folder, "dev", HeadsetHello(), callbacks);
    ASSERT_TRUE(server.Start());
    RawVhidClient a(server.SocketPath());
    RawVhidClient b(server.SocketPath());
    ASSERT_TRUE(a.Receive());
    ASSERT_TRUE(b.Receive());
    ASSERT_TRUE(server.WaitForClients(2, 2000));

    const std::vector<uint8_t> report {3, 0x01, 0x04};
    EXPECT_EQ(server.SendInput(report), 2u);
    for (RawVhidClient* client : {&a, &b}) {
        auto message = client->Receive();
        ASSERT_TRUE(message);
        EXPECT_EQ(message->type, kInput);
        EXPECT_EQ(message->payload, report);
    }
}

TEST_F(VhidServerTest, ClientMessagesReachTheDevice)
{
    Server server(folder, "dev", HeadsetHello(), callbacks);
    ASSERT_TRUE(server.Start());
    RawVhidClient client(server.SocketPath());
    ASSERT_TRUE(client.Receive());

    ASSERT_TRUE(client.Send(kOutput, {0xFF, 1, 2, 3}));
    ASSERT_TRUE(client.Send(kSetFeature, {9, 8}));

    struct Case {
        uint8_t id;
        std::vector<uint8_t> answer;
    };
    for (const Case& c : {Case {7, {7, 0xAB, 0xCD}}, Case {5, {}}}) {
        ASSERT_TRUE(client.Send(kGetFeature, {c.id}));
        auto message = client.Receive();
        ASSERT_TRUE(message) << int(c.id);
        EXPECT_EQ(message->type, kFeature);
        EXPECT_EQ(message->payload, c.answer) << int(c.id);
    }
    // The feature answers came after the output and set-feature were handled, in order.
    EXPECT_EQ(Outputs(), (std::vector<std::vector<uint8_t>> {{0xFF, 1, 2, 3}}));
    std::lock_guard lock(mutex);
    EXPECT_EQ(features, (std::vector<std::vector<uint8_t>> {{9, 8}}));
}

TEST_F(VhidServerTest, ProtocolErrorsCloseOnlyThatConnection)
{
    Server server(folder, "dev", HeadsetHello(), callbacks);
    ASSERT_TRUE(server.Start());
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"length 0", {0, 0, 0, 0}},
        {"length above 65536", {0x01, 0x00, 0x01, 0x00, kOutput}},
        {"client sends INPUT", EncodeFrame(kInput, std::vector<uint8_t> {1})},
        {"GET_FEATURE without id", EncodeFrame(kGetFeature, {})},
    };
    RawVhidClient good(server.SocketPath());
    ASSERT_TRUE(good.Receive());
    for (const Case& c : cases) {
        RawVhidClient bad(server.SocketPath());
        ASSERT_TRUE(bad.Receive()) << c.what;
        ASSERT_TRUE(bad.SendBytes(c.bytes)) << c.what;
        EXPECT_TRUE(bad.SeesEndOfStream()) << c.what;
    }
    ASSERT_TRUE(good.Send(kGetFeature, {7}));
    auto answer = good.Receive();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->type, kFeature);
}

TEST_F(VhidServerTest, StopIsAnUnplug)
{
    Server server(folder, "dev", HeadsetHello(), callbacks);
    ASSERT_TRUE(server.Start());
    RawVhidClient client(server.SocketPath());
    ASSERT_TRUE(client.Receive());
    server.Stop();
    EXPECT_FALSE(std::filesystem::exists(server.SocketPath()));
    EXPECT_TRUE(client.SeesEndOfStream());
    RawVhidClient late(server.SocketPath());
    EXPECT_FALSE(late.Connected());
    server.Stop();
}

TEST_F(VhidServerTest, ADeviceCanUnplugItselfFromACallback)
{
    Server* self = nullptr;
    callbacks.onOutput = [&self](const std::vector<uint8_t>&) { self->Stop(); };
    Server server(folder, "dev", HeadsetHello(), callbacks);
    self = &server;
    ASSERT_TRUE(server.Start());
    RawVhidClient client(server.SocketPath());
    ASSERT_TRUE(client.Receive());
    ASSERT_TRUE(client.Send(kOutput, {0xFF}));
    EXPECT_TRUE(client.SeesEndOfStream());
    EXPECT_FALSE(std::filesystem::exists(server.SocketPath()));
    server.Stop();
    EXPECT_FALSE(server.Running());
}

TEST_F(VhidServerTest, StartReplacesAStaleSocketFile)
{
    // A server that crashed leaves its socket file behind.
    ASSERT_TRUE(EnsureFolder(folder));
    {
        std::FILE* f = std::fopen((folder / "dev.sock").c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    Server second(folder, "dev", HeadsetHello(), callbacks);
    ASSERT_TRUE(second.Start());
    RawVhidClient client(second.SocketPath());
    EXPECT_TRUE(client.Receive());
}

TEST(VhidWireTest, FrameReaderCutsStreamsInAnyChunks)
{
    std::vector<uint8_t> stream;
    for (const auto& [type, payload] : std::vector<std::pair<uint8_t, std::vector<uint8_t>>> {
             {kInput, {4, 1, 2}}, {kFeature, {}}, {kHello, std::vector<uint8_t>(300, 'x')}}) {
        auto frame = EncodeFrame(type, payload);
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    for (size_t chunk : {size_t(1), size_t(3), size_t(7), stream.size()}) {
        FrameReader reader;
        std::vector<Message> got;
        Message m;
        for (size_t i = 0; i < stream.size(); i += chunk) {
            reader.Append(stream.data() + i, std::min(chunk, stream.size() - i));
            while (reader.Next(m) == FrameReader::Result::kMessage) {
                got.push_back(m);
            }
        }
        ASSERT_EQ(got.size(), 3u) << chunk;
        EXPECT_EQ(got[0].payload, (std::vector<uint8_t> {4, 1, 2}));
        EXPECT_TRUE(got[1].payload.empty());
        EXPECT_EQ(got[2].payload.size(), 300u);
        EXPECT_FALSE(reader.Failed());
    }
}

TEST(VhidWireTest, HelloRejectsBadFields)
{
    struct Case {
        const char* json;
        bool valid;
    };
    const std::string tooDeep(2000, '['); // past the reader's nesting limit
    const Case cases[] = {
        {R"({"vendorId":12815,"productId":8732,"version":256,"interface":1,"reportDescriptor":"05010902a101C0"})", true},
        {R"({"vendorId":70000,"productId":1,"version":0,"interface":1,"reportDescriptor":""})", false},
        {R"({"vendorId":-1,"productId":1,"version":0,"interface":1,"reportDescriptor":""})", false},
        {R"({"vendorId":1,"productId":1,"version":0,"interface":1,"reportDescriptor":"abc"})", false},
        {R"({"vendorId":1,"productId":1,"version":0,"interface":1,"reportDescriptor":"zz"})", false},
        {R"({"vendorId":"1","productId":1,"version":0,"interface":1,"reportDescriptor":""})", false},
        {R"({"vendorId":1,"productId":1,"version":0,"interface":1})", false},
        {R"([1,2])", false},
        {"not json", false},
        {tooDeep.c_str(), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeHello(c.json).has_value(), c.valid) << c.json;
    }
    auto hello = DecodeHello(cases[0].json);
    ASSERT_TRUE(hello);
    EXPECT_EQ(hello->reportDescriptor, (std::vector<uint8_t> {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xC0}));
}

TEST(VhidWireTest, OnlyAPrivateFolderIsTrusted)
{
    testing::TempFolder temp;
    const auto folder = temp / "vhid";
    ASSERT_TRUE(EnsureFolder(folder));
    EXPECT_TRUE(FolderIsPrivate(folder));
    ::chmod(folder.c_str(), 0755);
    EXPECT_FALSE(FolderIsPrivate(folder));
    EXPECT_FALSE(FolderIsPrivate(temp / "missing"));
}

} // namespace
} // namespace orvel::vhid
