#include "lighting/frame_output.h"

#include "lighting/colour.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace orvel::lighting;

class RecordingSink : public FrameSink {
public:
    int status = 1;
    std::vector<std::vector<uint8_t>> sent;
    int WriteLightStream(std::span<const uint8_t> bytes) override
    {
        sent.emplace_back(bytes.begin(), bytes.end());
        return status;
    }
};

TEST(BaseFrame, ThreeScaledBytesPerLed)
{
    LedBuffer b(3);
    b.SetLedColor(0, PackLed({200, 100, 255}, 128));
    b.SetLedColor(1, PackLed({255, 255, 255}, 255));
    b.SetLedColor(2, PackLed({255, 0, 9}, 0));
    Frame f;
    ASSERT_EQ(PackBaseFrame(b, f), 9u);
    const std::vector<uint8_t> expected = {100, 50, 127, 254, 254, 254, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(f.begin(), f.begin() + 9), expected);
}

TEST(BaseFrame, Led170IsSkippedAndNothingPassesTheFrame)
{
    LedBuffer b(172);
    b.Fill(PackLed({255, 255, 255}, 255));
    Frame f;
    EXPECT_EQ(PackBaseFrame(b, f), kFrameBytes);
    EXPECT_EQ(f[507], 254);
    EXPECT_EQ(f[509], 254);
    EXPECT_EQ(f[510], 0);
    EXPECT_EQ(f[511], 0);
}

TEST(BaseFrame, SendRules)
{
    LedBuffer b(2);
    b.Fill(PackLed({10, 10, 10}, 255));
    struct Case {
        bool control, dongle;
        int status;
        std::size_t sends;
        int pause;
    };
    const Case cases[] = {
        {false, false, 1, 0, 0}, {true, true, 1, 0, 0}, {true, false, 1, 1, 0}, {true, false, -101, 1, 200},
    };
    for (const auto& c : cases) {
        RecordingSink sink;
        sink.status = c.status;
        EXPECT_EQ(SendBaseFrame(b, c.control, c.dongle, sink), c.pause);
        ASSERT_EQ(sink.sent.size(), c.sends);
        if (c.sends) {
            EXPECT_EQ(sink.sent[0], (std::vector<uint8_t>{9, 9, 9, 9, 9, 9}));
        }
    }
}

TEST(KeyboardFrame, PositionsGoToTheirLedsAndUnsafeLedsAreDropped)
{
    LedBuffer b(170);
    b.SetLedColor(0, PackLed({200, 0, 0}, 128));
    b.SetLedColor(1, PackLed({0, 255, 0}, 255));
    b.SetLedColor(2, PackLed({0, 0, 255}, 255));
    b.SetLedColor(3, PackLed({255, 255, 255}, 255));
    std::vector<uint8_t> map(170, 255);
    map[0] = 5;
    map[1] = 0;
    map[2] = 171; // 3 x 171 + 2 passes the frame: no LED
    Frame f;
    PackKeyboardFrame(b, map, f);
    Frame expected{};
    expected[15] = 100;
    expected[1] = 254;
    EXPECT_EQ(f, expected);
}

TEST(HeadsetReports, TwelveReportsCappedAt247WithTheReusedByte)
{
    LedBuffer b(13);
    for (int i = 0; i < 13; ++i) {
        b.SetLedColor(i, PackLed({uint8_t(10 * i), uint8_t(20 + i), 255}, 255));
    }
    const HeadsetReports r = PackHeadsetReports(b);
    using R = std::array<uint8_t, 17>;
    // red of LED i = (10 i x 255) >> 8; green (20 + i) x 255 >> 8; blue 254 capped to 247
    const R expected[12] = {
        {0xFF, 0x22, 0xAA, 0, 0, 9, 19, 29, 39, 49, 59},
        {0xFF, 0x22, 0xAD, 0, 69, 79, 89, 99, 109, 119, 59},
        {0xFF, 0x44, 0xAA, 0, 0, 9, 19, 29, 39, 49, 59},
        {0xFF, 0x44, 0xAD, 0, 69, 79, 89, 99, 109, 119, 59},
        {0xFF, 0x22, 0xAB, 0, 19, 20, 21, 22, 23, 24, 25},
        {0xFF, 0x22, 0xAE, 0, 26, 27, 28, 29, 30, 31, 25},
        {0xFF, 0x44, 0xAB, 0, 19, 20, 21, 22, 23, 24, 25},
        {0xFF, 0x44, 0xAE, 0, 26, 27, 28, 29, 30, 31, 25},
        {0xFF, 0x22, 0xAC, 0, 247, 247, 247, 247, 247, 247, 247},
        {0xFF, 0x22, 0xAF, 0, 247, 247, 247, 247, 247, 247, 247},
        {0xFF, 0x44, 0xAC, 0, 247, 247, 247, 247, 247, 247, 247},
        {0xFF, 0x44, 0xAF, 0, 247, 247, 247, 247, 247, 247, 247},
    };
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(r[i], expected[i]) << "report " << i + 1;
    }
}

} // namespace
