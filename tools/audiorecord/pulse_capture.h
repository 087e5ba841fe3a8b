#pragma once
// Records what the desktop plays: the monitor of the sound server's default output, through
// the PulseAudio client library (PipeWire's pulse server works the same), as 48 kHz mono
// float samples in 20 ms pieces. It follows a change of the default output, takes up again
// when the output it records goes away or the server restarts (retrying every second), and
// holds no stream while stopped, so it costs nothing then.

#include <pulse/pulseaudio.h>

#include <functional>
#include <span>
#include <string>

namespace orvel::audiorecord {

class PulseCapture {
public:
    // samples: each piece as it comes; newSource: the monitor now recorded (before its first
    // samples). Both are called on the capture thread.
    using Samples = std::function<void(std::span<const float>)>;
    using NewSource = std::function<void(const std::string&)>;

    PulseCapture(Samples samples, NewSource newSource);
    ~PulseCapture();
    PulseCapture(const PulseCapture&) = delete;
    PulseCapture& operator=(const PulseCapture&) = delete;

    // Starts recording (connecting to the server first); false when the client library could
    // not run at all. Recording begins once the server answers.
    bool Start();
    void Stop();
    // The monitor recorded now; empty while none.
    std::string Source();

private:
    // All below run with the main loop locked.
    void Connect();
    void ScheduleReconnect();
    void QueryDefault();
    void Record(const std::string& monitor);
    void ReleaseStream();
    static void OnContextState(pa_context* context, void* self);
    static void OnEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* self);
    static void OnServerInfo(pa_context* context, const pa_server_info* info, void* self);
    static void OnSinkInfo(pa_context* context, const pa_sink_info* info, int eol, void* self);
    static void OnStreamState(pa_stream* stream, void* self);
    static void OnRead(pa_stream* stream, std::size_t bytes, void* self);
    static void OnReconnect(pa_mainloop_api* api, pa_time_event* event, const struct timeval* when, void* self);

    Samples samples_;
    NewSource newSource_;
    pa_threaded_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    pa_time_event* reconnect_ = nullptr;
    bool wanted_ = false;
    bool toldDown_ = false;
    std::string sink_;    // the default output being recorded (or asked about)
    std::string monitor_; // its monitor, while a stream records it
};

} // namespace orvel::audiorecord
