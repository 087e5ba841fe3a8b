#pragma once
// CSetWnd: the settings window (layout "setwnd.xml"), run modally over the main window: the
// language choice and the update list. It binds its controls to SetWndCore and shows what the
// core's workers post (WM_UPDATE_ROW_CHANGED, WM_UPDATE_PAGE_CHANGED); no worker touches a
// control. Every way of closing it ("closebtn", "laterbtn", Escape, the system close) asks the
// core, which refuses while a download is queued or running; the program's own end does not ask.

#include "ui/UIlib.h"
#include "update/setwnd_core.h"

#include <memory>
#include <vector>

namespace orvel::update {

class CUpdateInfoListItemUI;

class CSetWnd : public DuiLib::WindowImplBase {
public:
    static constexpr int kWidth = 630;
    static constexpr int kHeight = 500;

    // setup's settingsWindow is this window, once it exists; languages are the "Language_text"
    // keys of the language list, in its order; dpi is the main window's.
    CSetWnd(SetWndSetup setup, std::vector<DuiLib::CDuiString> languages, int dpi);
    ~CSetWnd() override;

    // Opened beside the main window: 30 left of its right edge and 60 below its top (scaled).
    void PlaceBeside(HWND mainWindow);
    // The program ends: the workers stop and the window closes, downloads or not.
    void EndWithProgram();

    // The update list as the window shows it (for the tests).
    SetWndCore& Core() { return *core_; }
    std::vector<CUpdateInfoListItemUI*> Rows() const { return rows_; }

    void InitWindow() override;
    void Notify(DuiLib::TNotifyUI& msg) override { LoopDispatch(msg); }

    DUI_DECLARE_MESSAGE_MAP()

protected:
    DuiLib::CDuiString GetSkinFile() override { return L"setwnd.xml"; }
    DuiLib::LPCTSTR GetWindowClassName() const override { return L"SetWnd"; }
    DuiLib::LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, DuiLib::BOOL& bHandled) override;
    DuiLib::LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, DuiLib::BOOL& bHandled) override;
    DuiLib::LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, DuiLib::BOOL& bHandled) override;

private:
    void OnCloseButton(DuiLib::TNotifyUI& msg);
    void OnSystemButton(DuiLib::TNotifyUI& msg);
    void OnHideHint(DuiLib::TNotifyUI& msg);
    void OnOffered(DuiLib::TNotifyUI& msg);
    void OnStartUpdate(DuiLib::TNotifyUI& msg);
    void OnBack(DuiLib::TNotifyUI& msg);
    void OnTick(DuiLib::TNotifyUI& msg);
    void OnOpenFolder(DuiLib::TNotifyUI& msg);
    void OnLanguage(DuiLib::TNotifyUI& msg);

    void BuildRows();
    void ShowRow(std::size_t row);
    void ShowPage();
    void ShowLanguages();
    // The row a control of the list belongs to.
    CUpdateInfoListItemUI* RowOf(DuiLib::CControlUI* control) const;

    SetWndSetup setup_;
    std::unique_ptr<SetWndCore> core_;
    std::vector<DuiLib::CDuiString> languages_;
    int dpi_;
    bool ending_ = false;
    std::vector<CUpdateInfoListItemUI*> rows_;
    DuiLib::CListUI* list_ = nullptr;
    DuiLib::CTabLayoutUI* tabs_ = nullptr;
    DuiLib::CControlUI* offerButton_ = nullptr;
    DuiLib::CControlUI* ring_ = nullptr;
    DuiLib::CControlUI* statusImage_ = nullptr;
    DuiLib::CLabelUI* statusText_ = nullptr;
    DuiLib::CComboUI* languageCombo_ = nullptr;
    DuiLib::CControlUI* hint_ = nullptr;
};

} // namespace orvel::update
