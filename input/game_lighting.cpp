#include "input/game_lighting.h"

#include <algorithm>

namespace orvel::input {

GameLighting::GameLighting(HWND window, UINT_PTR timerId, UINT restoreDelayMs)
    : window_(window), timerId_(timerId), delayMs_(restoreDelayMs)
{
}

GameLighting::~GameLighting()
{
    if (!changed_.empty()) {
        KillTimer(window_, timerId_);
    }
}

bool GameLighting::OnGameMessage(GameLightDevice* shown, WPARAM w, LPARAM e)
{
    if (shown == nullptr || w > 2 || e < 0 || e >= shown->ModeCount()) {
        return false;
    }
    profiles::LightRecord record = shown->CurrentLight();
    const bool pending = std::find(changed_.begin(), changed_.end(), shown) != changed_.end();
    // A second event before the restore must not make the game's own mode the one to return to.
    if (w == 0 && !pending) {
        record.oldLedmode = record.selectItem;
    }
    record.selectItem = static_cast<std::uint8_t>(e);
    shown->ChangeLighting(record);
    if (!pending) {
        changed_.push_back(shown);
    }
    SetTimer(window_, timerId_, delayMs_);
    return true;
}

bool GameLighting::OnTimer(UINT_PTR id)
{
    if (id != timerId_) {
        return false;
    }
    KillTimer(window_, timerId_);
    const std::vector<GameLightDevice*> devices = std::move(changed_);
    changed_.clear();
    for (GameLightDevice* device : devices) {
        profiles::LightRecord record = device->CurrentLight();
        if (record.oldLedmode < device->ModeCount() && record.selectItem != record.oldLedmode) {
            record.selectItem = record.oldLedmode;
            device->ChangeLighting(record);
        }
    }
    return true;
}

void GameLighting::Forget(GameLightDevice* device)
{
    std::erase(changed_, device);
    if (changed_.empty()) {
        KillTimer(window_, timerId_);
    }
}

} // namespace orvel::input
