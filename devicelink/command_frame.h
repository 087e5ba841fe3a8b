#pragma once
// The 64-byte command report: layout, checksum, answer status and the debug dump.

#include <array>
#include <cstdint>
#include <string>

namespace orvel {

inline constexpr std::size_t kFrameSize = 64;
inline constexpr std::size_t kFramePayload = 56;
inline constexpr std::uint8_t kCommandReportId = 0x04;

using CommandFrame = std::array<std::uint8_t, kFrameSize>;

// Status codes of the command senders.
enum LinkStatus : int {
    kLinkOk = 1,
    kLinkNoAnswer = 0,
    kLinkWriteFailed = -1,
    kLinkUnreachable = -101,
    kLinkRejected = -102,
    kLinkBadArgument = -103,
    kLinkInvalidArgument = -201,
};

// Sum of bytes 3..63 as 32-bit unsigned.
std::uint32_t FrameChecksum(const CommandFrame& frame);

// A zeroed frame with the report id, command id, length byte, 16-bit little-endian address,
// the payload copied from byte 8 (at most 56 bytes) and the checksum in bytes 1-2.
CommandFrame MakeFrame(std::uint8_t command, std::uint8_t length, std::uint16_t address,
                       const std::uint8_t* payload = nullptr, std::size_t payloadLength = 0);

// A transaction result turned into a sender status: other than 1 unchanged, else byte 7 of
// the answer decides (0xFF rejected, 0xFE bad argument, anything else accepted).
int AnswerStatus(int transactResult, const CommandFrame& answer);

// The two dump lines of a frame: bytes 0-31 and 32-63 in groups.
std::string DumpLine(const std::uint8_t* bytes32);

} // namespace orvel
