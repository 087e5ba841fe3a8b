#pragma once
// A window that records the hook's recording messages into a macro editor, as the macro panel
// does, and counts the key-capture messages.

#include "input/hook/hook_messages.h"
#include "input/hook/hook_recording.h"
#include "platform/winmsg.h"

namespace orvel::input::testing {

class RecordingWindow final : public IMessageHandler {
public:
    RecordingWindow() : hwnd_(CreateWindowHandle(this)) {}
    ~RecordingWindow() override { DestroyWindowHandle(hwnd_); }
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;
    HWND Handle() const { return hwnd_; }

    MacroEditor editor;
    std::optional<ScreenRect> stopButton;
    int keyCaptures = 0;

    LRESULT HandleMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (RouteHookMessage(msg).target == HookTarget::KeyCapture) {
            ++keyCaptures;
        }
        RecordHookMessage(editor, msg, wParam, lParam, stopButton);
        return 0;
    }

private:
    HWND hwnd_;
};

} // namespace orvel::input::testing
