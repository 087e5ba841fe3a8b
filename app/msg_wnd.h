#pragma once
// CMsgWnd: the program's message box (layout "XML_MSG"), run modally by CMainWnd::MessageBox.

#include "ui/UIlib.h"

namespace orvel::app {

class CMsgWnd : public DuiLib::WindowImplBase {
public:
    // The texts are set once the layout is built; buttons 1 shows "cancel_btn" too. The dpi is
    // the caller's: one the toolkit does not take is written to the debug log and 96 is used.
    CMsgWnd(DuiLib::CDuiString title, DuiLib::CDuiString text, bool textIsRich, int buttons, int dpi);
    void InitWindow() override;
    void Notify(DuiLib::TNotifyUI& msg) override { LoopDispatch(msg); }

    DUI_DECLARE_MESSAGE_MAP()

protected:
    DuiLib::CDuiString GetSkinFile() override { return L"XML_MSG"; }
    DuiLib::LPCTSTR GetWindowClassName() const override { return L"MsgWnd"; }

private:
    void OnConfirm(DuiLib::TNotifyUI&) { Close(1); }
    void OnCancel(DuiLib::TNotifyUI&) { Close(0); }

    DuiLib::CDuiString title_, text_;
    bool rich_;
    int buttons_;
    int dpi_;
};

} // namespace orvel::app
