#pragma once
// What the program does on its side of the command reports, reduced to what the emulator
// tests need: chunked transfers at the offsets the program sends.

#include "sim/devices/firmware.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace orvel::sim::testing {

// One exchange straight with the firmware; nullopt when the device gave no answer.
inline std::optional<Frame> Exchange(Firmware& device, Path via, const Frame& request)
{
    return device.HandleCommand(via, request).answer;
}

// The answer's status byte, or -1 when no answer came.
inline int Status(Firmware& device, Path via, const Frame& request)
{
    const auto answer = Exchange(device, via, request);
    return answer ? (*answer)[7] : -1;
}

// The chunk a helper below sends: the one given, or the link's own for 0.
inline std::size_t ChunkOf(const Firmware& device, Path via, std::size_t chunk)
{
    return chunk != 0 ? chunk : LinkChunk(device.Kind(), via);
}

// A chunked read as the program sends it: frames of `chunk` bytes (the link's when 0) at
// base + offset. Empty when a frame was refused.
inline std::vector<std::uint8_t> ReadChunked(Firmware& device, Path via, std::uint8_t command, std::size_t total,
                                             std::uint16_t base = 0, std::size_t chunk = 0)
{
    chunk = ChunkOf(device, via, chunk);
    std::vector<std::uint8_t> data;
    for (std::size_t offset = 0; offset < total; offset += chunk) {
        const auto length = static_cast<std::uint8_t>(std::min(chunk, total - offset));
        const auto answer = Exchange(device, via, MakeRequest(command, length, static_cast<std::uint16_t>(base + offset)));
        if (!answer || (*answer)[3] != command || (*answer)[7] != kStatusOk) {
            return {};
        }
        data.insert(data.end(), answer->begin() + kPayloadOffset, answer->begin() + kPayloadOffset + length);
    }
    return data;
}

// A chunked write (the link's chunk when 0); returns the first status that is not OK, or OK.
inline int WriteChunked(Firmware& device, Path via, std::uint8_t command, const std::vector<std::uint8_t>& data,
                                 std::uint16_t base = 0, std::size_t chunk = 0)
{
    chunk = ChunkOf(device, via, chunk);
    for (std::size_t offset = 0; offset < data.size(); offset += chunk) {
        const std::size_t length = std::min(chunk, data.size() - offset);
        const std::vector<std::uint8_t> part(data.begin() + static_cast<std::ptrdiff_t>(offset),
                                             data.begin() + static_cast<std::ptrdiff_t>(offset + length));
        const int status = Status(device, via, MakeRequest(command, static_cast<std::uint8_t>(length),
                                                                    static_cast<std::uint16_t>(base + offset), part));
        if (status != kStatusOk) {
            return status;
        }
    }
    return kStatusOk;
}

// Begin, the chunked write, End: the status of the first refused frame, else End's status.
inline int WriteSequence(Firmware& device, Path via, std::uint8_t command, const std::vector<std::uint8_t>& data,
                                  std::uint16_t base = 0, std::size_t chunk = 0)
{
    EXPECT_EQ(Status(device, via, MakeRequest(cmd::kBeginConfig)), kStatusOk);
    const int status = WriteChunked(device, via, command, data, base, chunk);
    const int end = Status(device, via, MakeRequest(cmd::kEndConfig));
    return status != kStatusOk ? status : end;
}

} // namespace orvel::sim::testing
