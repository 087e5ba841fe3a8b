#pragma once
// Packing the LED colour buffer into what a device receives. Pure functions; the sending goes
// through a sink so the command link can be plugged in by the device layer.

#include "lighting/led_buffer.h"

#include <array>
#include <cstdint>
#include <span>

namespace orvel::lighting {

inline constexpr std::size_t kFrameBytes = 512;
using Frame = std::array<uint8_t, kFrameBytes>;

// Where packed frames go: the device's light stream (status 1 on success, as the link answers).
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual int WriteLightStream(std::span<const uint8_t> bytes) = 0;
};

// The shared frame: LED i's three scaled components at 3i .. 3i+2, LED 170 (and any beyond,
// which would not fit) skipped. Returns the number of bytes to send, 3 x LED count capped at 512.
std::size_t PackBaseFrame(const LedBuffer& leds, Frame& frame);

// The shared frame output: nothing without light control; through a dongle only the preview is
// refreshed (nothing is sent). Returns the pause in ms the caller takes after a failed send
// (200), else 0.
int SendBaseFrame(const LedBuffer& leds, bool hostLightControl, bool viaDongle, FrameSink& sink);

// The keyboard frame: for each position p with LED L = ledOfPosition[p] (255 none; an L whose
// bytes would pass the frame's end is none), bytes 3L .. 3L+2 = (c x level) >> 8.
void PackKeyboardFrame(const LedBuffer& leds, std::span<const uint8_t> ledOfPosition, Frame& frame);

// The headset's twelve output reports of 17 bytes: 0xFF, bank, register, 0, then the red, green
// or blue components of LEDs 0..6 (7 bytes) or 7..12 (6 bytes), each limited to 247. The reports
// are built in one reused buffer as the headset has always received them, so byte 10 of a
// six-byte report still holds the previous report's seventh data byte.
inline constexpr std::size_t kHeadsetReportBytes = 17;
using HeadsetReports = std::array<std::array<uint8_t, kHeadsetReportBytes>, 12>;
HeadsetReports PackHeadsetReports(const LedBuffer& leds);

} // namespace orvel::lighting
