#pragma once
// The bytes of one window message between processes. A frame is "OVM1", the body length
// (32-bit little-endian) and the body: fields of {16-bit tag, 32-bit length, value}, all
// little-endian. Unknown tags are skipped, so newer senders can add fields. Every length is
// checked against its limit before anything is allocated; a frame that breaks a rule is
// rejected whole. The answer to a sent message is "OVR1" and the 64-bit result.

#include "platform/winmsg.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orvel::ipc {

inline constexpr std::size_t kFrameHeaderBytes = 8;
inline constexpr std::size_t kReplyBytes = 12;
inline constexpr std::size_t kMaxNameBytes = 255;
// The largest WM_COPYDATA block carried (the biggest the program sends is 2000 bytes).
inline constexpr std::size_t kMaxCopyDataBytes = 64 * 1024;
inline constexpr std::size_t kMaxBodyBytes = kMaxCopyDataBytes + 2 * kMaxNameBytes + 256;

struct CopyData {
    ULONG_PTR dwData = 0;
    std::vector<std::uint8_t> bytes;
};

struct Message {
    bool wantsReply = false; // sent (the peer waits for the result) rather than posted
    std::string name;        // the registered message's name (UTF-8), or empty for WM_COPYDATA
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::optional<CopyData> copyData; // present exactly for WM_COPYDATA
    std::string sender;               // the sending window's endpoint file name, or empty
};

// The frame of a message; empty when the message breaks a limit (name, sender, data size,
// WM_COPYDATA without a block, posted, or a registered message with a block).
std::vector<std::uint8_t> EncodeMessage(const Message& message);

// The body length announced by a frame header, or nothing when the header is not one of ours
// or announces more than kMaxBodyBytes.
std::optional<std::size_t> BodyLength(std::span<const std::uint8_t> header);

// A whole frame (header and body) back into a message; nothing when it breaks a rule.
std::optional<Message> DecodeMessage(std::span<const std::uint8_t> frame);

std::vector<std::uint8_t> EncodeReply(LRESULT result);
std::optional<LRESULT> DecodeReply(std::span<const std::uint8_t> reply);

} // namespace orvel::ipc
