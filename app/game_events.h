#pragma once
// The game events ("Game_Start", "Game_End", "Game_Kill", "Game_Death") on the main window: the
// device page shown takes the game's lighting mode for five seconds (input/game_lighting.h has
// the rule), and the page changed gets its mode back whichever page is shown by then.

#include "devices/qt/routed_pump.h"
#include "input/game_lighting.h"

#include <functional>
#include <memory>
#include <vector>

namespace orvel::pages {
class CQuorsineUSBDevice;
}

namespace orvel::app {

class CGameEvents final : public pages::CRoutedPump {
public:
    // The restore runs on timerId of window; shownPage gives the page shown (null when none is).
    CGameEvents(HWND window, UINT_PTR timerId, std::function<pages::CQuorsineUSBDevice*()> shownPage);
    ~CGameEvents() override;

    // The restore timer fired.
    void OnRestoreTimer(UINT_PTR id);
    bool RestorePending() const { return lighting_.RestorePending(); }

private:
    class PageLight;
    DuiLib::LRESULT OnGameMessage(DuiLib::WPARAM w, DuiLib::LPARAM e);
    PageLight* LightOf(pages::CQuorsineUSBDevice& page);

    std::function<pages::CQuorsineUSBDevice*()> shownPage_;
    std::vector<std::unique_ptr<PageLight>> pageLights_;
    input::GameLighting lighting_;

    ORVEL_DECLARE_ROUTES()
};

} // namespace orvel::app
