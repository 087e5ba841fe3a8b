#pragma once
// CSkinFrame: the skin popup (layout "skin.xml") opened under "skinbtn": shipped images, plain
// colours, a picture of the user's. Each choice goes through the skin subject to the main
// window; shipped images and the reset are kept in main.ini. The popup closes when it loses
// the focus and deletes itself.

#include "app/skin_settings.h"
#include "ui/UIlib.h"

#include <filesystem>
#include <functional>

namespace orvel::app {

class CSkinFrame : public DuiLib::WindowImplBase {
public:
    // anchor: the skin button's screen rectangle; the popup's right edge and top follow it.
    CSkinFrame(SkinObserver& subject, std::filesystem::path settingsFile, DuiLib::RECT anchor);
    void InitWindow() override;
    void Notify(DuiLib::TNotifyUI& msg) override { LoopDispatch(msg); }
    void OnFinalMessage(HWND hWnd) override;

    // The custom picture dialog; tests replace it (empty: cancelled).
    static std::function<DuiLib::CDuiString(HWND)>& ChooseCustomPicture();

    DUI_DECLARE_MESSAGE_MAP()

protected:
    DuiLib::CDuiString GetSkinFile() override { return L"skin.xml"; }
    DuiLib::LPCTSTR GetWindowClassName() const override { return L"UISkinFrame"; }
    DuiLib::LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, DuiLib::BOOL& bHandled) override;

private:
    void OnImage(DuiLib::TNotifyUI& msg);
    void OnColour(DuiLib::TNotifyUI& msg);
    void OnPage(DuiLib::TNotifyUI& msg);
    void OnReset(DuiLib::TNotifyUI& msg);
    void OnCustom(DuiLib::TNotifyUI& msg);

    SkinObserver& subject_;
    std::filesystem::path settingsFile_;
    DuiLib::RECT anchor_;
    bool pickingPicture_ = false;
};

} // namespace orvel::app
