#pragma once
// The 21-byte settings block the mouse pad and the headset keep per profile, and its two forms:
// the program's (byte 1 the mode index, byte 3 the panel speed) and the device's (byte 1 the
// mode code of the kind's mode list, byte 3 4 - speed). Both devices keep profile p's block at
// 30 x p and are read and written there; a read takes 31 bytes and uses the first 21.

#include "devicelink/device_link.h"
#include "devices/mode_list.h"
#include "profiles/records.h"

#include <array>
#include <cstdint>

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

struct RingRead {
    int status = 0;  // 1, or the failed command's link status (0 with the link closed)
    int bank = 0;    // the bank read; the block's bank when the read failed
};

// The block of one device with the commands that move it.
class RingSettings {
public:
    RingBlock& Block() { return block_; }
    const RingBlock& Block() const { return block_; }

    // BeginConfig, WriteBlock of the device image at 30 x profile, EndConfig. Returns the first
    // status other than 1 (0 with the link closed; nothing is sent then).
    int Write(CDeviceLink& link, int profile, const ModeList& modes) const;
    // The active bank (1 byte at address 0), then 31 bytes of its block. A failed read keeps the
    // block as it was.
    RingRead Read(CDeviceLink& link, const ModeList& modes);

private:
    RingBlock block_{};
    std::uint8_t lastReadCode_ = 0;
};

} // namespace orvel::devices
