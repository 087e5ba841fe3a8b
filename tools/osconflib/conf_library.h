#pragma once
// The library's exports over a sound server and a sidetone mixer: the headset's devices as the
// library's device lists, and the properties it offers on them. The microphone's volume and
// mute are the recording device's; the monitor ("AA") properties are the sidetone control of
// the headset's sound card and fail where it has none; the equaliser, room, surround, noise
// and voice-effect properties are not offered. "GetSupportFeature" answers no features.
//
// Callable from any thread; each call gives up after OSCONF_CALL_BUDGET_MS.

#include "audio/osconf_api.h"
#include "tools/osconflib/sidetone.h"
#include "tools/osconflib/sound_server.h"

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <vector>

namespace orvel::osconf {

// The text "GetSupportFeature" reads: seven fields, no feature.
inline constexpr const char* kNoFeatures = "0,0,0,0,0,0,0";

class ConfLibrary {
public:
    ConfLibrary(std::unique_ptr<SoundServer> server, std::unique_ptr<SidetoneMixer> sidetone);
    ~ConfLibrary();

    std::int32_t Init();
    std::int32_t UnInit();
    std::int32_t CreateDeviceList();
    std::int32_t GetDeviceCount(std::int32_t flow, std::int32_t* count);
    std::int32_t GetDeviceById(std::int32_t flow, std::int32_t index, OsConfDevice* device);
    std::int32_t PropertyControl(const OsConfDevice& device, const char16_t* name, void** value, void** parameter,
                                 std::int32_t write);

private:
    // A device seen in a list: its number stays the same for the life of the library, so a
    // record given out earlier still names it after the list was taken anew.
    struct KnownDevice {
        std::int32_t id = 0;
        int flow = 0;
        std::string name;
    };

    std::optional<KnownDevice> Find(const OsConfDevice& device) const;
    std::int32_t IdOf(int flow, const std::string& name);
    std::int32_t Recording(const std::string& property, const std::string& source, unsigned char* value,
                           const std::int32_t* channel, bool write, Deadline deadline);
    std::int32_t Monitor(const std::string& property, const std::string& source, unsigned char* value, bool write,
                         Deadline deadline);

    std::unique_ptr<SoundServer> server_;
    std::unique_ptr<SidetoneMixer> sidetone_;
    // Init and UnInit exclude every other call; the device lists have a lock of their own.
    std::shared_mutex running_;
    bool started_ = false;
    mutable std::mutex lists_;
    std::vector<KnownDevice> known_;
    std::array<std::vector<std::int32_t>, 2> listed_;
};

} // namespace orvel::osconf
