#pragma once
// What the library needs of the desktop's sound server: the headset's devices and its
// microphone's volume and mute. Every call is bounded by the deadline it is given and answers
// an OSCONF_ result code.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace orvel::osconf {

using Clock = std::chrono::steady_clock;
using Deadline = Clock::time_point;

// The sound server's volume of 100 %.
inline constexpr std::uint32_t kNormalVolume = 0x10000U;

// One of the headset's devices as the sound server lists it.
struct ServerDevice {
    std::string name;
};

// The state of one recording device.
struct SourceState {
    std::vector<std::uint32_t> volumes; // per channel, kNormalVolume = 100 %
    bool muted = false;
    std::uint32_t volumeSteps = 0;      // how many volume steps the device has (0: unknown)
    int alsaCard = -1;                  // the sound card behind it, -1 when none is known
};

class SoundServer {
public:
    virtual ~SoundServer() = default;

    // Starts the connection and waits for it until the deadline. OSCONF_OK once the connection
    // is being made, whether or not the server answered yet; later calls reconnect by themselves.
    virtual std::int32_t Start(Deadline deadline) = 0;
    virtual void Stop() = 0;

    // The headset's playback (flow 0) or recording (flow 1) devices.
    virtual std::int32_t ListHeadsetDevices(int flow, std::vector<ServerDevice>& devices, Deadline deadline) = 0;
    virtual std::int32_t ReadSource(const std::string& name, SourceState& state, Deadline deadline) = 0;
    virtual std::int32_t SetSourceVolume(const std::string& name, const std::vector<std::uint32_t>& volumes,
                                         Deadline deadline) = 0;
    virtual std::int32_t SetSourceMute(const std::string& name, bool muted, Deadline deadline) = 0;
};

} // namespace orvel::osconf
