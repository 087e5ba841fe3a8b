#include "lighting/frame_output.h"

#include "lighting/colour.h"

#include <algorithm>

namespace orvel::lighting {

namespace {
constexpr int kSkippedLed = 170;
constexpr uint8_t kNoLed = 255;
constexpr uint8_t kHeadsetCap = 247;

void PutScaled(Frame& frame, std::size_t at, uint32_t entry)
{
    const uint8_t level = LevelOf(entry);
    const Rgb c = ColourOf(entry);
    frame[at] = Scale(c.r, level);
    frame[at + 1] = Scale(c.g, level);
    frame[at + 2] = Scale(c.b, level);
}
} // namespace

std::size_t PackBaseFrame(const LedBuffer& leds, Frame& frame)
{
    frame.fill(0);
    for (int i = 0; i < leds.Count(); ++i) {
        const std::size_t at = 3u * unsigned(i);
        if (i == kSkippedLed || at + 2 >= kFrameBytes) {
            continue;
        }
        PutScaled(frame, at, leds.GetLedColor(i));
    }
    return std::min<std::size_t>(3u * unsigned(leds.Count()), kFrameBytes);
}

int SendBaseFrame(const LedBuffer& leds, bool hostLightControl, bool viaDongle, FrameSink& sink)
{
    if (!hostLightControl || viaDongle) {
        return 0;
    }
    Frame frame;
    const std::size_t n = PackBaseFrame(leds, frame);
    return sink.WriteLightStream(std::span<const uint8_t>(frame.data(), n)) == 1 ? 0 : 200;
}

void PackKeyboardFrame(const LedBuffer& leds, std::span<const uint8_t> ledOfPosition, Frame& frame)
{
    frame.fill(0);
    const int n = std::min<int>(int(ledOfPosition.size()), leds.Count());
    for (int p = 0; p < n; ++p) {
        const uint8_t led = ledOfPosition[p];
        const std::size_t at = 3u * led;
        if (led == kNoLed || at + 2 >= kFrameBytes) {
            continue;
        }
        PutScaled(frame, at, leds.GetLedColor(p));
    }
}

HeadsetReports PackHeadsetReports(const LedBuffer& leds)
{
    struct Report {
        uint8_t bank;
        uint8_t reg;
        int component; // 0 red, 1 green, 2 blue
        int firstLed;
    };
    static constexpr Report kReports[12] = {
        {0x22, 0xAA, 0, 0}, {0x22, 0xAD, 0, 7}, {0x44, 0xAA, 0, 0}, {0x44, 0xAD, 0, 7},
        {0x22, 0xAB, 1, 0}, {0x22, 0xAE, 1, 7}, {0x44, 0xAB, 1, 0}, {0x44, 0xAE, 1, 7},
        {0x22, 0xAC, 2, 0}, {0x22, 0xAF, 2, 7}, {0x44, 0xAC, 2, 0}, {0x44, 0xAF, 2, 7},
    };
    uint8_t sent[13][3];
    for (int i = 0; i < 13; ++i) {
        const uint32_t e = leds.GetLedColor(i);
        const Rgb c = ColourOf(e);
        const uint8_t comps[3] = {c.r, c.g, c.b};
        for (int k = 0; k < 3; ++k) {
            sent[i][k] = std::min(Scale(comps[k], LevelOf(e)), kHeadsetCap);
        }
    }
    HeadsetReports out{};
    std::array<uint8_t, kHeadsetReportBytes> buffer{};
    for (int r = 0; r < 12; ++r) {
        const Report& rep = kReports[r];
        buffer[0] = 0xFF;
        buffer[1] = rep.bank;
        buffer[2] = rep.reg;
        buffer[3] = 0;
        const int count = rep.firstLed == 0 ? 7 : 6;
        for (int j = 0; j < count; ++j) {
            buffer[4 + j] = sent[rep.firstLed + j][rep.component];
        }
        out[r] = buffer;
    }
    return out;
}

} // namespace orvel::lighting
