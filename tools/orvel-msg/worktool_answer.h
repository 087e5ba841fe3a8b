#pragma once
// The block the main window answers a WorkTool query with, decoded: dwData 5 and 1024 bytes of
// 32-bit little-endian values: four fixed values, the number of kind rows, then vendorId,
// productId and kind of each row, the rest zero.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orvel::msgtool {

struct WorkToolKind {
    std::int32_t vendorId = 0;
    std::int32_t productId = 0;
    std::int32_t kind = 0;
};

struct WorkToolAnswer {
    std::array<std::int32_t, 4> head{};
    std::vector<WorkToolKind> kinds;
};

// The answer, or nothing with the reason in why: another dwData or size, or a row count that
// does not fit the block.
std::optional<WorkToolAnswer> DecodeWorkToolAnswer(std::uintptr_t dwData, std::span<const std::uint8_t> block,
                                                   std::string& why);

} // namespace orvel::msgtool
