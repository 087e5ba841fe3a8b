#pragma once
// A scripted HID interface: records every written report and answers through a responder
// that plays the device. Reads never wait: an empty queue is a time-out.

#include "devicelink/command_frame.h"
#include "devicelink/hid_port.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace orvel::test {

// The device's default behaviour: echo bytes 0-6, accept, and return address-derived data.
inline std::vector<CommandFrame> EchoDevice(const CommandFrame& request)
{
    CommandFrame answer{};
    std::copy_n(request.begin(), 7, answer.begin());
    const unsigned address = request[5] | (request[6] << 8);
    for (unsigned i = 0; i < 56; ++i)
        answer[8 + i] = static_cast<std::uint8_t>(address + i);
    return {answer};
}

class FakePort : public IHidPort {
public:
    using Responder = std::function<std::vector<CommandFrame>(const CommandFrame&)>;

    int Open(const std::string& path, bool, bool, bool, bool) override
    {
        std::lock_guard lock(mutex);
        ++opens;
        openedPath = path;
        open = !refuseOpen;
        return open ? 1 : 0;
    }
    void Close() override
    {
        std::lock_guard lock(mutex);
        open = false;
        queue.clear();
        wake.notify_all();
    }
    bool IsOpen() const override
    {
        std::lock_guard lock(mutex);
        return open;
    }
    int Write(const std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesWritten,
              std::uint32_t timeoutMs) override
    {
        std::lock_guard lock(mutex);
        bytesWritten = 0;
        lastWriteTimeout = timeoutMs;
        if (!open || failWrites)
            return 0;
        CommandFrame frame{};
        std::copy_n(buffer, std::min<std::size_t>(length, frame.size()), frame.begin());
        written.push_back(frame);
        const std::vector<CommandFrame> answers = responder(frame);
        for (std::size_t i = 0; i < answers.size(); ++i)
            queue.push_back({answers[i], i < answerLengths.size() ? answerLengths[i] : 64});
        bytesWritten = length;
        return 1;
    }
    int Read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesRead, std::uint32_t timeoutMs) override
    {
        std::unique_lock lock(mutex);
        bytesRead = 0;
        if (timeoutMs != 0)
            lastReadTimeout = timeoutMs;
        if (blockReads && timeoutMs != 0 && open && queue.empty()) {
            // A device that does not answer: the read waits for its time-out or for Close.
            ++readsWaiting;
            wake.notify_all();
            wake.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !open || !queue.empty(); });
            --readsWaiting;
        }
        if (!open || queue.empty())
            return 0;
        const Report answer = queue.front();
        queue.pop_front();
        bytesRead = std::min(length, answer.length);
        std::copy_n(answer.bytes.begin(), bytesRead, buffer);
        return 1;
    }

    std::vector<CommandFrame> Written() const
    {
        std::lock_guard lock(mutex);
        return written;
    }
    void Queue(const CommandFrame& report)
    {
        std::lock_guard lock(mutex);
        queue.push_back({report, 64});
    }

    // Waits until a read blocks in a device that does not answer.
    void AwaitBlockedRead()
    {
        std::unique_lock lock(mutex);
        wake.wait(lock, [this] { return readsWaiting > 0; });
    }

    mutable std::mutex mutex;
    std::condition_variable wake;
    bool blockReads = false;
    int readsWaiting = 0;
    // An input report as it arrives: its first length bytes.
    struct Report {
        CommandFrame bytes;
        std::uint32_t length;
    };

    Responder responder = EchoDevice;
    // How many bytes of each of the responder's answers to one request arrive, in order; an
    // answer beyond the list arrives whole.
    std::vector<std::uint32_t> answerLengths;
    std::vector<CommandFrame> written;
    std::deque<Report> queue;
    std::string openedPath;
    bool open = false;
    bool refuseOpen = false;
    bool failWrites = false;
    int opens = 0;
    std::uint32_t lastWriteTimeout = 0;
    std::uint32_t lastReadTimeout = 0;
};

} // namespace orvel::test
