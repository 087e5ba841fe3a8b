#pragma once
// The main window's small windows: the message box (CMsgWnd), the about box (CAboutWnd), the
// skin popup (CSkinFrame) and the notification pump registered as the virtual window
// "mainpage" (CMainPage).

#include "app/skin_settings.h"
#include "ui/UIlib.h"

#include <filesystem>
#include <functional>

namespace orvel::app {

class CMsgWnd : public DuiLib::WindowImplBase {
public:
    // The texts are set once the layout is built; buttons 1 shows "cancel_btn" too.
    CMsgWnd(DuiLib::CDuiString title, DuiLib::CDuiString text, bool textIsRich, int buttons, int dpi);
    void InitWindow() override;
    void Notify(DuiLib::TNotifyUI& msg) override;

protected:
    DuiLib::CDuiString GetSkinFile() override { return L"XML_MSG"; }
    DuiLib::LPCTSTR GetWindowClassName() const override { return L"MsgWnd"; }

private:
    DuiLib::CDuiString title_, text_;
    bool rich_;
    int buttons_;
    int dpi_;
};

class CAboutWnd : public DuiLib::WindowImplBase {
public:
    explicit CAboutWnd(DuiLib::CDuiString version) : version_(std::move(version)) {}
    void InitWindow() override;
    void Notify(DuiLib::TNotifyUI& msg) override;

protected:
    DuiLib::CDuiString GetSkinFile() override { return L"AboutWnd.xml"; }
    DuiLib::LPCTSTR GetWindowClassName() const override { return L"AboutWnd"; }
    DuiLib::LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, DuiLib::BOOL& bHandled) override;

private:
    DuiLib::CDuiString version_;
};

// The skin popup under "skinbtn": shipped images, plain colours, a picture of the user's. It
// closes when it loses the focus and deletes itself.
class CSkinFrame : public DuiLib::WindowImplBase {
public:
    // anchor: the skin button's screen rectangle; the popup's right edge and top follow it.
    CSkinFrame(SkinObserver& subject, std::filesystem::path settingsFile, DuiLib::RECT anchor);
    void InitWindow() override;
    void Notify(DuiLib::TNotifyUI& msg) override;
    void OnFinalMessage(HWND hWnd) override;

    // The custom picture dialog; tests replace it (empty: cancelled).
    static std::function<DuiLib::CDuiString(HWND)>& ChooseCustomPicture();

protected:
    DuiLib::CDuiString GetSkinFile() override { return L"skin.xml"; }
    DuiLib::LPCTSTR GetWindowClassName() const override { return L"UISkinFrame"; }
    DuiLib::LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, DuiLib::BOOL& bHandled) override;

private:
    void Apply(const SkinChangedParam& param);
    SkinObserver& subject_;
    std::filesystem::path settingsFile_;
    DuiLib::RECT anchor_;
    bool pickingPicture_ = false;
};

// A pump whose "click", "selectchanged" and "itemclick" handlers do nothing: controls that
// name the virtual window "mainpage" end there.
class CMainPage : public DuiLib::CNotifyPump {
public:
    DUI_DECLARE_MESSAGE_MAP()
    void OnNothing(DuiLib::TNotifyUI&) {}
};

} // namespace orvel::app
