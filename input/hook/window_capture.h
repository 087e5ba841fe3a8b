#pragma once
// The capture source where the desktop cannot be listened to (a Wayland session, no display):
// it reports only what the program's own window feeds in, which is what that window received
// while it had the focus. There is no other program to keep keys from.

#include "input/hook/capture_backend.h"

#include <mutex>

namespace orvel::input {

class WindowCapture final : public CaptureBackend {
public:
    CaptureScope Scope() const override { return CaptureScope::WindowOnly; }
    bool Start(const CaptureRequest& request, CaptureSink* sink) override;
    void Stop() override;
    void ReleaseKeyboard() override {}
    void Feed(const RawKey& key) override;
    void Feed(const RawButton& button) override;

private:
    std::mutex mutex_;
    CaptureRequest request_;
    CaptureSink* sink_ = nullptr;
};

} // namespace orvel::input
