#pragma once
// The devices of one window that same mode spans, and the synchronised lighting they follow.
// Same mode is allowed while two or more of them are connected (their selector items show);
// when it stops being allowed every device leaves the synchronised lighting and its own light
// loop takes over again.

#include "devices/device_model.h"
#include "devices/same_mode.h"
#include "lighting/light_scheduler.h"
#include "lighting/sync_lighting.h"

#include <functional>
#include <vector>

namespace orvel::devices {

class SameModeGroup {
public:
    // Called after same mode changed a device's lighting record: its page shows it.
    using ShowLighting = std::function<void()>;

    SameModeGroup() = default;
    // Leaves the scheduler it joined.
    ~SameModeGroup();
    SameModeGroup(const SameModeGroup&) = delete;
    SameModeGroup& operator=(const SameModeGroup&) = delete;

    // The synchronised lighting runs on the scheduler from now on.
    void Join(lighting::LightScheduler& scheduler);
    // A device of the window, once; it counts as not connected until SetConnected says so.
    void Add(DeviceModel& model, ShowLighting show);
    // Whether a device counts as connected; true when that changed whether same mode is allowed.
    bool SetConnected(const DeviceModel& model, bool connected);
    bool Allowed() const;

    // The source's effect on every connected device (the source included): each one's record,
    // profile and device take it, its light loop follows the synchronised lighting, which renders
    // the common effect, and its page shows it. Nothing happens without Allowed().
    SameModeResult Apply(DeviceModel& source);

    lighting::SyncLighting& Lighting() { return sync_; }

private:
    struct Member {
        DeviceModel* model;
        ShowLighting show;
        bool connected = false;
    };

    std::vector<Member> members_;
    lighting::SyncLighting sync_;
    lighting::LightScheduler* scheduler_ = nullptr;
    lighting::LightScheduler::Id syncId_ = 0;
};

} // namespace orvel::devices
