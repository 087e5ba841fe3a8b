#pragma once
// CAboutWnd: the about box (layout "AboutWnd.xml") with the program's version text.

#include "ui/UIlib.h"

namespace orvel::app {

class CAboutWnd : public DuiLib::WindowImplBase {
public:
    explicit CAboutWnd(DuiLib::CDuiString version) : version_(std::move(version)) {}
    void InitWindow() override;
    void Notify(DuiLib::TNotifyUI& msg) override { LoopDispatch(msg); }

    DUI_DECLARE_MESSAGE_MAP()

protected:
    DuiLib::CDuiString GetSkinFile() override { return L"AboutWnd.xml"; }
    DuiLib::LPCTSTR GetWindowClassName() const override { return L"AboutWnd"; }
    DuiLib::LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, DuiLib::BOOL& bHandled) override;

private:
    void OnCloseButton(DuiLib::TNotifyUI&) { Close(0); }
    // "minbtn", "maxbtn", "restorebtn": system commands; max and restore swap.
    void OnSystemButton(DuiLib::TNotifyUI& msg) { WindowImplBase::OnClick(msg); }
    // "homepage_btn" and "menubtn" do nothing.
    void OnNothing(DuiLib::TNotifyUI&) {}

    DuiLib::CDuiString version_;
};

} // namespace orvel::app
