#pragma once
// A HID port over the real HID layer that records every report written through it as a
// command frame, and can alter answers on their way back (onAnswer), so a test can check
// sequences byte for byte and script devices that report odd values.

#include "devicelink/command_frame.h"
#include "devicelink/hid_adapters.h"

#include <algorithm>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace orvel::testing {

class RecordingPort : public CHidPort {
public:
    int Write(const std::uint8_t* buffer, std::uint32_t length, std::uint32_t& written, std::uint32_t timeoutMs) override
    {
        {
            std::lock_guard lock(mutex_);
            CommandFrame frame{};
            std::copy_n(buffer, std::min<std::size_t>(length, frame.size()), frame.begin());
            frames_.push_back(frame);
        }
        return CHidPort::Write(buffer, length, written, timeoutMs);
    }
    int Read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& read, std::uint32_t timeoutMs) override
    {
        const int result = CHidPort::Read(buffer, length, read, timeoutMs);
        if (result == 1 && onAnswer) {
            onAnswer(buffer, read);
        }
        return result;
    }
    // The frames written since the last call.
    std::vector<CommandFrame> Take()
    {
        std::lock_guard lock(mutex_);
        return std::exchange(frames_, {});
    }
    std::function<void(std::uint8_t*, std::uint32_t)> onAnswer;

private:
    std::mutex mutex_;
    std::vector<CommandFrame> frames_;
};

} // namespace orvel::testing
