#pragma once
// A capture source the test drives: it records what the hook asked of it and reports the
// input the test gives it, from whichever thread the test calls.

#include "input/hook/capture_backend.h"

#include <mutex>
#include <vector>

namespace orvel::input::testing {

class FakeCapture final : public CaptureBackend {
public:
    struct Shared {
        std::recursive_mutex mutex; // the sink may call back (ReleaseKeyboard)
        std::vector<CaptureRequest> starts;
        int stops = 0;
        int releases = 0;
        bool refuseKeys = false;
        CaptureSink* sink = nullptr;
    };

    explicit FakeCapture(Shared& shared) : shared_(shared) {}

    CaptureScope Scope() const override { return CaptureScope::Desktop; }
    bool Start(const CaptureRequest& request, CaptureSink* sink) override
    {
        std::lock_guard lock(shared_.mutex);
        if (request.keys && shared_.refuseKeys) {
            return false;
        }
        shared_.starts.push_back(request);
        shared_.sink = sink;
        return true;
    }
    void Stop() override
    {
        std::lock_guard lock(shared_.mutex);
        ++shared_.stops;
        shared_.sink = nullptr;
    }
    void ReleaseKeyboard() override
    {
        std::lock_guard lock(shared_.mutex);
        ++shared_.releases;
    }

private:
    Shared& shared_;
};

// Reports to the sink of the last start, as the source's thread would.
inline void Report(FakeCapture::Shared& shared, const RawKey& key)
{
    std::lock_guard lock(shared.mutex);
    if (shared.sink != nullptr) {
        shared.sink->OnKey(key);
    }
}
inline void Report(FakeCapture::Shared& shared, const RawButton& button)
{
    std::lock_guard lock(shared.mutex);
    if (shared.sink != nullptr) {
        shared.sink->OnButton(button);
    }
}
inline void ReportLost(FakeCapture::Shared& shared)
{
    std::lock_guard lock(shared.mutex);
    if (shared.sink != nullptr) {
        shared.sink->OnLost();
    }
}

} // namespace orvel::input::testing
