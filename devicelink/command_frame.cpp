#include "devicelink/command_frame.h"

#include <algorithm>
#include <cstdio>

namespace orvel {

std::uint32_t FrameChecksum(const CommandFrame& frame)
{
    std::uint32_t sum = 0;
    for (std::size_t i = 3; i < kFrameSize; ++i)
        sum += frame[i];
    return sum;
}

CommandFrame MakeFrame(std::uint8_t command, std::uint8_t length, std::uint16_t address,
                       const std::uint8_t* payload, std::size_t payloadLength)
{
    CommandFrame frame{};
    frame[0] = kCommandReportId;
    frame[3] = command;
    frame[4] = length;
    frame[5] = static_cast<std::uint8_t>(address & 0xFF);
    frame[6] = static_cast<std::uint8_t>(address >> 8);
    if (payload != nullptr)
        std::copy_n(payload, std::min(payloadLength, kFramePayload), frame.begin() + 8);
    const std::uint32_t sum = FrameChecksum(frame);
    frame[1] = static_cast<std::uint8_t>(sum & 0xFF);
    frame[2] = static_cast<std::uint8_t>((sum >> 8) & 0xFF);
    return frame;
}

int AnswerStatus(int transactResult, const CommandFrame& answer)
{
    if (transactResult != kLinkOk)
        return transactResult;
    if (answer[7] == 0xFF)
        return kLinkRejected;
    if (answer[7] == 0xFE)
        return kLinkBadArgument;
    return kLinkOk;
}

std::string DumpLine(const std::uint8_t* b)
{
    char text[160];
    std::snprintf(text, sizeof text,
                  "%02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x %02x  "
                  "%02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x %02x %02x %02x %02x %02x %02x",
                  b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14],
                  b[15], b[16], b[17], b[18], b[19], b[20], b[21], b[22], b[23], b[24], b[25], b[26], b[27], b[28],
                  b[29], b[30], b[31]);
    return text;
}

} // namespace orvel
