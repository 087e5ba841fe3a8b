#pragma once
// The frame output of one device, off the UI thread: the device's LED buffer is sent when the
// light loop has rendered a new frame, at most one frame per 5 ms, and the output pauses after a
// failed send for as long as the send asks (200 ms). A frame rendered while another is being
// sent is not lost: the newest buffer goes out next.
//
// The light thread sends a frame it rendered itself while the device answers quickly, which
// spares a hand-off to another thread per frame. A worker sends every other frame: those that
// must wait (for the period, a hold or the pause after a failure) and all frames of a device
// whose last send failed or was slow, so a device that stops answering holds up the other
// devices' animations for one send at most, until it answers quickly again.
//
// The UI thread talks to the same device (reads its tables, changes its mode); while it does,
// it holds the output (Hold), so a send never reads what the UI thread changes and never
// interleaves with its commands.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/worker.h"

namespace orvel::devices {

class LightOutput {
public:
    static constexpr std::chrono::milliseconds kFramePeriod{5};
    // A send that took longer than this moves the device's frames to the worker.
    static constexpr std::chrono::milliseconds kQuickSend{25};
    // Sends the buffer as it is now; returns the pause in ms the output takes after a failure.
    using Send = std::function<int()>;

    explicit LightOutput(Send send);
    ~LightOutput();
    LightOutput(const LightOutput&) = delete;
    LightOutput& operator=(const LightOutput&) = delete;

    void Start();
    // Returns once no frame is being sent; later frames are dropped until Start.
    void Stop();

    // A new frame is in the buffer (any thread): the worker sends it.
    void FrameChanged();
    // The light loop rendered a new frame: sent on the calling thread when the output is free,
    // the period is over and the device's last send was quick; else as FrameChanged.
    void FrameRendered();

    // While a hold lives no frame is sent; taking it waits for a send in flight to finish.
    class Hold {
    public:
        explicit Hold(LightOutput* output);
        ~Hold();
        Hold(Hold&& other) noexcept : output_(other.output_) { other.output_ = nullptr; }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        Hold& operator=(Hold&&) = delete;

    private:
        LightOutput* output_;
    };
    Hold Suspend() { return Hold(this); }

    // Frames sent since the start (for tests and measurements).
    unsigned long Sent() const;

private:
    struct State {
        std::mutex lock;
        std::condition_variable wake; // the sender: a frame, a hold released, the stop
        std::condition_variable idle; // holds waiting for a send in flight
        bool pending = false;
        bool sending = false;
        bool stopping = true; // until Start
        bool answersQuickly = true;
        int holds = 0;
        unsigned long sent = 0;
        std::chrono::steady_clock::time_point nextAllowed{};
    };
    static void Run(const std::shared_ptr<State>& state, const Send& send);
    // Sends one frame with the lock let go in between; the caller has set sending.
    static void SendLocked(State& state, std::unique_lock<std::mutex>& lock, const Send& send);

    Send send_;
    std::shared_ptr<State> state_ = std::make_shared<State>();
    WorkerSlot worker_;
};

} // namespace orvel::devices
