#include "input/hook/window_capture.h"

namespace orvel::input {

bool WindowCapture::Start(const CaptureRequest& request, CaptureSink* sink)
{
    std::lock_guard lock(mutex_);
    request_ = request;
    sink_ = sink;
    return true;
}

void WindowCapture::Stop()
{
    std::lock_guard lock(mutex_);
    sink_ = nullptr;
}

void WindowCapture::Feed(const RawKey& key)
{
    std::lock_guard lock(mutex_);
    if (sink_ != nullptr && request_.keys) {
        sink_->OnKey(key);
    }
}

void WindowCapture::Feed(const RawButton& button)
{
    std::lock_guard lock(mutex_);
    if (sink_ != nullptr && request_.buttons) {
        sink_->OnButton(button);
    }
}

} // namespace orvel::input
