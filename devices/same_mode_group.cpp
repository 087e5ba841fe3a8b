#include "devices/same_mode_group.h"

#include <algorithm>

namespace orvel::devices {

SameModeGroup::~SameModeGroup()
{
    if (scheduler_ != nullptr)
        scheduler_->Remove(syncId_);
}

void SameModeGroup::Join(lighting::LightScheduler& scheduler)
{
    if (scheduler_ != nullptr)
        return;
    scheduler_ = &scheduler;
    syncId_ = scheduler.Add(sync_, lighting::SyncLighting::kTiming);
}

void SameModeGroup::Add(DeviceModel& model, ShowLighting show)
{
    for (const Member& m : members_) {
        if (m.model == &model)
            return;
    }
    members_.push_back({&model, std::move(show)});
    sync_.AddDevice(model.Lighting().Leds(), model.Lighting().Flags());
}

bool SameModeGroup::Allowed() const
{
    return std::count_if(members_.begin(), members_.end(), [](const Member& m) { return m.connected; }) >= 2;
}

bool SameModeGroup::SetConnected(const DeviceModel& model, bool connected)
{
    const bool before = Allowed();
    for (Member& m : members_) {
        if (m.model == &model)
            m.connected = connected;
    }
    const bool after = Allowed();
    if (before && !after) {
        for (Member& m : members_) {
            auto hold = m.model->HoldOutput();
            m.model->Core().SetSyncFlag(false);
            m.model->LightingChanged();
        }
    }
    return before != after;
}

SameModeResult SameModeGroup::Apply(DeviceModel& source)
{
    if (!Allowed())
        return {};
    std::vector<LightOutput::Hold> holds;
    std::vector<DeviceCore*> cores;
    for (Member& m : members_) {
        if (!m.connected)
            continue;
        holds.push_back(m.model->HoldOutput());
        cores.push_back(&m.model->Core());
    }
    const SameModeResult result = SyncSameMode(source.Core(), cores);
    if (!result.applied)
        return result;
    sync_.Start(result.effect);
    for (Member& m : members_) {
        if (m.connected)
            m.model->LightingChanged();
    }
    holds.clear();
    for (Member& m : members_) {
        if (m.connected && m.show)
            m.show();
    }
    return result;
}

} // namespace orvel::devices
