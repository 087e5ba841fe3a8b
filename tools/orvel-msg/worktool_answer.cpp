#include "tools/orvel-msg/worktool_answer.h"

#include "app/window_rules.h"

namespace orvel::msgtool {
namespace {

std::int32_t valueAt(std::span<const std::uint8_t> block, std::size_t index)
{
    const std::size_t at = index * 4;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(block[at]) | static_cast<std::uint32_t>(block[at + 1]) << 8
                                     | static_cast<std::uint32_t>(block[at + 2]) << 16
                                     | static_cast<std::uint32_t>(block[at + 3]) << 24);
}

} // namespace

std::optional<WorkToolAnswer> DecodeWorkToolAnswer(std::uintptr_t dwData, std::span<const std::uint8_t> block,
                                                   std::string& why)
{
    if (dwData != app::kWorkToolDataId) {
        why = "dwData " + std::to_string(dwData) + ", not " + std::to_string(app::kWorkToolDataId);
        return std::nullopt;
    }
    if (block.size() != app::kWorkToolBytes) {
        why = std::to_string(block.size()) + " bytes, not " + std::to_string(app::kWorkToolBytes);
        return std::nullopt;
    }
    WorkToolAnswer answer;
    const std::size_t head = answer.head.size();
    for (std::size_t i = 0; i < head; ++i)
        answer.head[i] = valueAt(block, i);
    const std::int32_t count = valueAt(block, head);
    const std::size_t room = (app::kWorkToolBytes / 4 - head - 1) / 3;
    if (count < 0 || static_cast<std::size_t>(count) > room) {
        why = "a row count of " + std::to_string(count) + ", where at most " + std::to_string(room) + " fit";
        return std::nullopt;
    }
    for (std::size_t row = 0; row < static_cast<std::size_t>(count); ++row) {
        const std::size_t at = head + 1 + 3 * row;
        answer.kinds.push_back({valueAt(block, at), valueAt(block, at + 1), valueAt(block, at + 2)});
    }
    return answer;
}

} // namespace orvel::msgtool
