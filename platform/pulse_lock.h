#pragma once
// Holds a PulseAudio threaded main loop's lock for a scope (header only: for the programs and
// libraries that link the sound client library themselves).

#include <pulse/thread-mainloop.h>

namespace orvel::pulse {

class MainloopLock {
public:
    explicit MainloopLock(pa_threaded_mainloop* loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
    ~MainloopLock() { pa_threaded_mainloop_unlock(loop_); }
    MainloopLock(const MainloopLock&) = delete;
    MainloopLock& operator=(const MainloopLock&) = delete;

private:
    pa_threaded_mainloop* loop_;
};

} // namespace orvel::pulse
