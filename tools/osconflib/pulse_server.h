#pragma once
// The sound server through the PulseAudio client library (PipeWire's pulse server works the
// same): a threaded main loop of its own, every request waited for until the caller's
// deadline and abandoned after it. A server that fails or does not answer in time is marked
// down: calls fail at once while the library reconnects in the background, so a stopped or
// restarted server never holds a caller, and a restarted one is used again by itself.

#include "tools/osconflib/sound_server.h"

#include <functional>

struct pa_context;
struct pa_threaded_mainloop;
struct pa_time_event;
struct pa_mainloop_api;

namespace orvel::osconf {

// Whether a device whose sound-server properties carry these USB ids ("device.vendor.id",
// "device.product.id", hexadecimal) is the headset (0C76:1630).
bool IsHeadsetDevice(const char* vendorId, const char* productId);

class PulseServer final : public SoundServer {
public:
    PulseServer() = default;
    ~PulseServer() override;
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    std::int32_t Start(Deadline deadline) override;
    void Stop() override;
    std::int32_t ListHeadsetDevices(int flow, std::vector<ServerDevice>& devices, Deadline deadline) override;
    std::int32_t ReadSource(const std::string& name, SourceState& state, Deadline deadline) override;
    std::int32_t SetSourceVolume(const std::string& name, const std::vector<std::uint32_t>& volumes,
                                 Deadline deadline) override;
    std::int32_t SetSourceMute(const std::string& name, bool muted, Deadline deadline) override;

    struct Request;

private:
    // All below run with the main loop locked.
    bool WaitUntil(Deadline deadline, const std::function<bool()>& done);
    bool WaitReady(Deadline deadline);
    // Issues one request on the ready connection and waits for its answer; a request that is
    // not answered by the deadline marks the server down.
    std::int32_t Await(Request& request, Deadline deadline, const std::function<void*(pa_context*)>& issue);
    void Connect();
    void ScheduleReconnect();
    static void OnState(pa_context* context, void* self);
    static void OnReconnect(pa_mainloop_api* api, pa_time_event* event, const struct timeval* when, void* self);

    pa_threaded_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_time_event* reconnect_ = nullptr;
    // A server that is not there is tried again after 200 ms, then ever less often up to every
    // 2 s: without a sound server the library would otherwise make a new client five times a second.
    static constexpr std::uint64_t kFirstReconnectDelayUs = 200'000;
    static constexpr std::uint64_t kLongestReconnectDelayUs = 2'000'000;
    std::uint64_t reconnectDelayUs_ = kFirstReconnectDelayUs;
    bool down_ = false;
    bool stopping_ = false;
};

} // namespace orvel::osconf
