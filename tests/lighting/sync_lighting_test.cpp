#include "lighting/sync_lighting.h"

#include "lighting/device_lighting.h"
#include "lighting/tables.h"

#include <gtest/gtest.h>

namespace {

using namespace orvel::lighting;

TEST(SyncTranslation, CommonCodesPerKind)
{
    struct Case {
        DeviceKind kind;
        int mode;
        std::optional<int> code;
    };
    const Case cases[] = {
        {DeviceKind::Keyboard, 5, 0},  {DeviceKind::Keyboard, 6, 1},   {DeviceKind::Keyboard, 23, 2},
        {DeviceKind::Keyboard, 4, 3},  {DeviceKind::Keyboard, 28, 4},  {DeviceKind::Keyboard, 7, std::nullopt},
        {DeviceKind::Mouse, 2, 0},     {DeviceKind::Mouse, 9, 4},      {DeviceKind::Mouse, 8, std::nullopt},
        {DeviceKind::MousePad, 8, 4},  {DeviceKind::Headset, 1, 3},    {DeviceKind::Headset, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CommonCodeOf(c.kind, c.mode), c.code) << int(c.kind) << " " << c.mode;
    }
    // a keyboard in mode 23 sends mice, pads and headsets to their mode 4
    const int code = *CommonCodeOf(DeviceKind::Keyboard, 23);
    for (DeviceKind k : {DeviceKind::Mouse, DeviceKind::MousePad, DeviceKind::Headset}) {
        EXPECT_EQ(ModeIndexOf(k, code), 4);
    }
    EXPECT_EQ(ModeIndexOf(DeviceKind::Mouse, 5), std::nullopt);
    EXPECT_EQ(KindOfNumber(9), DeviceKind::Keyboard);
    EXPECT_EQ(KindOfNumber(6), DeviceKind::Mouse);
    EXPECT_EQ(KindOfNumber(4), DeviceKind::Headset);
    EXPECT_EQ(KindOfNumber(5), std::nullopt);
}

SyncEffect Effect(int code, bool multicolor, bool direction = true)
{
    SyncEffect e;
    e.code = code;
    e.settings.brightness = 4;
    e.settings.speed = 4;
    e.settings.direction = direction;
    e.settings.multicolor = multicolor;
    e.settings.colour = {200, 100, 0};
    return e;
}

TEST(SyncRenderer, FramesOfEachCommonEffect)
{
    struct Case {
        SyncEffect effect;
        std::vector<uint64_t> times;
        std::vector<uint32_t> frames;
    };
    const Case cases[] = {
        {Effect(kSyncStatic, false), {14, 28}, {PackLed({200, 100, 0}, 255), PackLed({200, 100, 0}, 255)}},
        {Effect(kSyncSpectrum, true, false), {14, 28, 42}, {PackLed(kWheel[191], 255), PackLed(kWheel[190], 255), PackLed(kWheel[189], 255)}},
        // seven-colour breathing: the wheel moves by 16 while the phase is below 2
        {Effect(kSyncBreathing, true), {14, 28, 42}, {PackLed(kWheel[16], 0), PackLed(kWheel[16], 1), PackLed(kWheel[16], 2)}},
        {Effect(kSyncBlink, true), {1399, 1400, 2800}, {0, PackLed(kWheel[14], 255), 0}},
        {Effect(kSyncOff, true), {14}, {0}},
    };
    for (const auto& c : cases) {
        SyncRenderer r;
        r.Start(c.effect);
        std::vector<uint32_t> frames;
        for (uint64_t t : c.times) frames.push_back(r.Frame(t));
        EXPECT_EQ(frames, c.frames) << c.effect.code;
    }
}

TEST(SyncLighting, WritesOnlyFollowingDevicesAndIdlesWithoutThem)
{
    MouseLighting mouse;
    RingLighting headset(RingLighting::Kind::Headset);
    SyncLighting sync;
    sync.AddDevice(mouse.Leds(), mouse.Flags());
    sync.AddDevice(headset.Leds(), headset.Flags());
    sync.Start(Effect(kSyncStatic, false));
    LightLoop loop(sync, SyncLighting::kTiming);

    EXPECT_EQ(loop.Pass(0), 1000u); // nobody follows: look again in a second

    mouse.SetLinkOpen(true);
    mouse.SetSync(true);
    headset.SetLinkOpen(true);
    uint64_t t = loop.Pass(1000);
    while (t <= 1014) t = loop.Pass(t);
    EXPECT_EQ(mouse.Leds().GetLedColor(14), PackLed({200, 100, 0}, 255));
    EXPECT_EQ(headset.Leds().GetLedColor(0), 0u);

    // the mouse's own thread skips while it follows
    EXPECT_TRUE(mouse.SyncFlag());
}

} // namespace
