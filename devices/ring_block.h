#pragma once
// The 21-byte settings block the mouse pad and the headset keep per profile, and its two forms:
// the program's (byte 1 the mode index, byte 3 the panel speed) and the device's (byte 1 the
// mode code of the kind's mode list, byte 3 4 - speed). Both devices keep profile p's block at
// 30 x p and are read and written there; a read takes 31 bytes and uses the first 21.

#include "devices/mode_list.h"
#include "profiles/records.h"

#include <array>
#include <cstdint>
#include <span>

namespace orvel::devices {

inline constexpr std::size_t kRingBlockSize = 21;
inline constexpr std::size_t kRingReadSize = 31;
inline constexpr std::uint16_t kRingProfileStride = 30;
// Mode indexes above this one are user light effects, sent as the code of mode list entry 0.
inline constexpr int kRingLastBuiltInMode = 8;
inline constexpr int kMaxSpeed = 4;

using RingBlock = std::array<std::uint8_t, kRingBlockSize>;

std::uint16_t RingBlockAddress(int profile);

// Block bytes 1, 2, 3, 5, 6, 7, 8 from the record's mode index, brightness, speed, seven-colour
// flag and colour. Bytes 0, 4 and 9..20 stay as last read.
void TakeLightRecord(RingBlock& block, const profiles::LightRecord& record);

// The block as the device stores it. The code of a mode index the list does not hold is the
// code last read from the device (0 before any read), so the device keeps its mode.
RingBlock ToDeviceImage(const RingBlock& block, const ModeList& modes, std::uint8_t lastReadCode);
// The program's form of a block read from the device: byte 1 the index of the first list entry
// with that code (the code itself when none has it), byte 3 the panel speed.
RingBlock FromDeviceImage(const RingBlock& image, const ModeList& modes);

// The lighting a block holds, in the program's form: what the light thread, the pages and the
// command line show. Byte 4 is not part of it: the pad and headset do not take the direction
// there, it is a byte of their own that the program only carries.
struct RingLight {
    int mode = 0;        // the mode index
    int brightness = 0;
    int speed = 0;       // the panel speed, 0..4
    bool sevenColour = false;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const RingLight&, const RingLight&) = default;
};
RingLight DecodeLight(const RingBlock& block);

struct RingRead {
    int status = 0;  // 1, or the failed command's link status (0 with the link closed)
    int bank = 0;    // the bank read; the block's bank when the read failed
};

// The block of one device: what was last read of it and what the profile put into it.
class RingSettings {
public:
    RingBlock& Block() { return block_; }
    const RingBlock& Block() const { return block_; }

    // The block as the device stores it (ToDeviceImage with the code last read).
    RingBlock DeviceImage(const ModeList& modes) const;
    // A block read of bank: its first 21 bytes become the block, with byte 0 the bank, in the
    // program's form.
    void TakeRead(std::span<const std::uint8_t, kRingReadSize> read, std::uint8_t bank, const ModeList& modes);

private:
    RingBlock block_{};
    std::uint8_t lastReadCode_ = 0;
};

} // namespace orvel::devices
