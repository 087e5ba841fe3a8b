#pragma once
// Game events ("Game_Start", "Game_End", "Game_Kill", "Game_Death" from any program of the
// user): wParam w and lParam e switch the lighting of the device shown to mode e for five
// seconds. w = 0 also remembers the mode in use as the profile's "OldLedmode"; w = 1 or 2 do
// not, so the restore goes back to whatever "OldLedmode" held. Other values of w, and modes
// outside the device's mode list, change nothing and start no timer.
//
// Five seconds after the last event, every device an event changed goes back to its
// "OldLedmode", whichever page is shown then. A device that gets a second event before its
// restore keeps the mode it had before the first as "OldLedmode".

#include "platform/winmsg.h"
#include "profiles/records.h"

#include <vector>

namespace orvel::input {

// A device whose lighting game events change (the main window adapts a device core to it).
class GameLightDevice {
public:
    virtual ~GameLightDevice() = default;
    virtual profiles::LightRecord CurrentLight() const = 0;
    virtual int ModeCount() const = 0;
    // The lighting-change sequence: leave the synchronised lighting, show the record in the
    // light panel, store it in the profile, save it and write it to the device.
    virtual void ChangeLighting(const profiles::LightRecord& record) = 0;
};

class GameLighting {
public:
    static constexpr UINT kRestoreDelayMs = 5000;

    // The restore runs on timerId of window (the main window passes its WM_TIMER on to OnTimer).
    GameLighting(HWND window, UINT_PTR timerId, UINT restoreDelayMs = kRestoreDelayMs);
    ~GameLighting();
    GameLighting(const GameLighting&) = delete;
    GameLighting& operator=(const GameLighting&) = delete;

    // A game message for the device shown (null when none is). True when it changed the lighting
    // (and the restore timer was started again).
    bool OnGameMessage(GameLightDevice* shown, WPARAM w, LPARAM e);
    // WM_TIMER: true when id was the restore timer (the changed devices are then restored).
    bool OnTimer(UINT_PTR id);
    // A device that goes away is not restored.
    void Forget(GameLightDevice* device);
    bool RestorePending() const { return !changed_.empty(); }

private:
    HWND window_;
    UINT_PTR timerId_;
    UINT delayMs_;
    std::vector<GameLightDevice*> changed_;
};

} // namespace orvel::input
