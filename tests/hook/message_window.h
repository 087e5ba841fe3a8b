#pragma once
// A window that keeps every hook message it is sent, with a copy of the record it carried.

#include "input/hook/hook_records.h"
#include "platform/winmsg.h"

#include <functional>
#include <vector>

namespace orvel::input::testing {

struct ReceivedMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    KBDLLHOOKSTRUCT key;       // for key messages
    MOUSEHOOKSTRUCTEX mouse;   // for mouse messages
};

class MessageWindow final : public IMessageHandler {
public:
    MessageWindow() : hwnd_(CreateWindowHandle(this)) {}
    ~MessageWindow() override { DestroyWindowHandle(hwnd_); }

    HWND Handle() const { return hwnd_; }
    std::vector<ReceivedMessage> received;
    // Called for each message after it was kept (a test may throw from it, or uninstall).
    std::function<void(const ReceivedMessage&)> onMessage;

    LRESULT HandleMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        ReceivedMessage m;
        m.message = msg;
        m.wParam = wParam;
        if (wParam >= WM_KEYDOWN && wParam <= WM_SYSKEYUP) {
            m.key = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        } else {
            m.mouse = *reinterpret_cast<const MOUSEHOOKSTRUCTEX*>(lParam);
        }
        received.push_back(m);
        if (onMessage) {
            onMessage(m);
        }
        return 1;
    }

private:
    HWND hwnd_;
};

} // namespace orvel::input::testing
