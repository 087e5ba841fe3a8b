#pragma once
// Serves the window messages of the Qt GUI thread from Qt's event loop: once installed, the
// windows that thread creates get their sent and posted messages and their timers while Qt
// runs, and PostQuitMessage on that thread ends QCoreApplication::exec with its exit code.

#include <memory>

namespace orvel::qtglue {

class WinMsgPump {
public:
    // Installs the pump for the calling thread, which must be the thread of the
    // QCoreApplication (created before). Only one pump per thread.
    WinMsgPump();
    // Uninstalls it; messages then wait for the next pump or loop.
    ~WinMsgPump();
    WinMsgPump(const WinMsgPump&) = delete;
    WinMsgPump& operator=(const WinMsgPump&) = delete;

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace orvel::qtglue
