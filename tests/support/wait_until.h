#pragma once
// Waiting in tests for something another thread or process does, with a limit.

#include <chrono>
#include <thread>

namespace orvel::testing {

// Whether pred held within limit (looked at every step).
template <typename Pred>
bool WaitUntil(Pred pred, std::chrono::milliseconds limit,
               std::chrono::milliseconds step = std::chrono::milliseconds(5))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(step);
    }
    return true;
}

} // namespace orvel::testing
