#include "sim/devices/command_frame.h"

#include <algorithm>

namespace orvel::sim {

std::uint32_t FrameSum(const Frame& frame)
{
    std::uint32_t sum = 0;
    for (std::size_t i = 3; i < kFrameSize; ++i) {
        sum += frame[i];
    }
    return sum;
}

void StampChecksum(Frame& frame)
{
    const std::uint32_t sum = FrameSum(frame);
    frame[1] = static_cast<std::uint8_t>(sum & 0xFF);
    frame[2] = static_cast<std::uint8_t>((sum >> 8) & 0xFF);
}

bool ChecksumMatches(const Frame& frame)
{
    const std::uint32_t sum = FrameSum(frame);
    return frame[1] == (sum & 0xFF) && frame[2] == ((sum >> 8) & 0xFF);
}

Frame ToFrame(std::span<const std::uint8_t> report)
{
    Frame frame{};
    std::copy_n(report.begin(), std::min(report.size(), kFrameSize), frame.begin());
    return frame;
}

Frame MakeRequest(std::uint8_t command, std::uint8_t length, std::uint16_t address,
                  std::span<const std::uint8_t> payload)
{
    Frame frame{};
    frame[0] = kCommandReportId;
    frame[3] = command;
    frame[4] = length;
    frame[5] = static_cast<std::uint8_t>(address & 0xFF);
    frame[6] = static_cast<std::uint8_t>(address >> 8);
    std::copy_n(payload.begin(), std::min(payload.size(), kMaxPayload), frame.begin() + kPayloadOffset);
    StampChecksum(frame);
    return frame;
}

} // namespace orvel::sim
