#pragma once
// The 64-byte command report of mice, keyboards, the mouse pad and the headset, as the
// device sees it: report id 4, checksum in bytes 1-2 (sum of bytes 3..63), command id in
// byte 3, length in byte 4, address in bytes 5-6, status in byte 7, payload from byte 8.

#include <array>
#include <cstdint>
#include <span>

namespace orvel::sim {

inline constexpr std::size_t kFrameSize = 64;
inline constexpr std::size_t kPayloadOffset = 8;
inline constexpr std::size_t kMaxPayload = kFrameSize - kPayloadOffset;
inline constexpr std::uint8_t kCommandReportId = 0x04;

using Frame = std::array<std::uint8_t, kFrameSize>;

namespace cmd {
inline constexpr std::uint8_t kBeginConfig = 0x01;
inline constexpr std::uint8_t kEndConfig = 0x02;
inline constexpr std::uint8_t kReadDeviceInfo = 0x03;
inline constexpr std::uint8_t kReadBlock = 0x05;
inline constexpr std::uint8_t kWriteBlock = 0x06;
inline constexpr std::uint8_t kReadKeyTable = 0x07;
inline constexpr std::uint8_t kWriteKeyTable = 0x09;
inline constexpr std::uint8_t kWriteLightFrame = 0x0B;
inline constexpr std::uint8_t kWriteLightStream = 0x12;
inline constexpr std::uint8_t kWriteMacroData = 0x15;
inline constexpr std::uint8_t kWriteShootData = 0x17;
inline constexpr std::uint8_t kReadSmall = 0x1A;
inline constexpr std::uint8_t kReadKeyTableExtra = 0x1B;
inline constexpr std::uint8_t kSetHostLightControl = 0x1C;
inline constexpr std::uint8_t kQueryWirelessLink = 0xAA;
} // namespace cmd

// Status byte 7 of an answer.
inline constexpr std::uint8_t kStatusOk = 0x00;
inline constexpr std::uint8_t kStatusBadChecksum = 0xFE;
inline constexpr std::uint8_t kStatusRejected = 0xFF;
// Byte 3 of every answer the receiver gives while its device cannot be reached.
inline constexpr std::uint8_t kUnreachable = 0xAA;

// Sum of bytes 3..63 in a 32-bit accumulator (its low 16 bits travel in bytes 1-2).
std::uint32_t FrameSum(const Frame& frame);
// Writes FrameSum into bytes 1-2.
void StampChecksum(Frame& frame);
bool ChecksumMatches(const Frame& frame);

// A report as it came off the wire, zero-filled behind a short one and cut at 64 bytes.
Frame ToFrame(std::span<const std::uint8_t> report);

inline std::uint16_t FrameAddress(const Frame& f) { return static_cast<std::uint16_t>(f[5] | (f[6] << 8)); }

// A request frame as the program builds it (used by tests and the command-line client).
Frame MakeRequest(std::uint8_t command, std::uint8_t length = 0, std::uint16_t address = 0,
                  std::span<const std::uint8_t> payload = {});

} // namespace orvel::sim
