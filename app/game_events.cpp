#include "app/game_events.h"

#include "devices/qt/device_page.h"
#include "platform/debuglog.h"

namespace orvel::app {

// A device page as the device game events change: the model's lighting sequence, then the
// page's panels show the new mode. The result is written to the debug log, not shown: the events
// come from a game in the foreground, where a message box would only be in the way.
class CGameEvents::PageLight final : public input::GameLightDevice {
public:
    explicit PageLight(pages::CQuorsineUSBDevice& page) : page_(page) {}
    pages::CQuorsineUSBDevice& Page() const { return page_; }

    profiles::LightRecord CurrentLight() const override { return page_.Model().Core().CurrentLight(); }
    int ModeCount() const override { return page_.Model().Core().Modes().Size(); }
    void ChangeLighting(const profiles::LightRecord& record) override
    {
        const devices::SequenceResult result = page_.Model().ChangeLighting(record);
        page_.ApplyProfile();
        if (result.status != 1)
            debuglog::Writef("game lighting: mode %d not written (status %d)", static_cast<int>(record.selectItem),
                             result.status);
    }

private:
    pages::CQuorsineUSBDevice& page_;
};

ORVEL_BEGIN_PREFIX_ROUTES(CGameEvents)
ORVEL_END_PREFIX_ROUTES()

ORVEL_BEGIN_MESSAGE_ROUTES(CGameEvents)
ORVEL_ON_REGISTERED(L"Game_Start", CGameEvents::OnGameMessage)
ORVEL_ON_REGISTERED(L"Game_End", CGameEvents::OnGameMessage)
ORVEL_ON_REGISTERED(L"Game_Kill", CGameEvents::OnGameMessage)
ORVEL_ON_REGISTERED(L"Game_Death", CGameEvents::OnGameMessage)
ORVEL_END_MESSAGE_ROUTES()

CGameEvents::CGameEvents(HWND window, UINT_PTR timerId, std::function<pages::CQuorsineUSBDevice*()> shownPage)
    : shownPage_(std::move(shownPage)), lighting_(window, timerId)
{
}

CGameEvents::~CGameEvents() = default;

CGameEvents::PageLight* CGameEvents::LightOf(pages::CQuorsineUSBDevice& page)
{
    for (const auto& light : pageLights_) {
        if (&light->Page() == &page)
            return light.get();
    }
    return pageLights_.emplace_back(std::make_unique<PageLight>(page)).get();
}

DuiLib::LRESULT CGameEvents::OnGameMessage(DuiLib::WPARAM w, DuiLib::LPARAM e)
{
    pages::CQuorsineUSBDevice* page = shownPage_();
    lighting_.OnGameMessage(page != nullptr ? LightOf(*page) : nullptr, w, e);
    return 0;
}

void CGameEvents::OnRestoreTimer(UINT_PTR id)
{
    lighting_.OnTimer(id);
}

} // namespace orvel::app
