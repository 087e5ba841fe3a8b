#pragma once
// Pop-up menus built from a menu layout ("menu.xml"): the chosen item is reported to the
// main window as WM_MENU_COMMAND with a heap record the receiver deletes.

#include <map>
#include <string>

#include "ui/menu_controls.h"
#include "ui/window.h"

namespace DuiLib {

// The main window's menu-command message; wParam is a MenuCmd* (name first) that the
// receiver deletes, lParam the chosen element.
inline constexpr UINT WM_MENU_COMMAND = 1145;

struct MenuCmd {
    CDuiString szName;
    CDuiString szUserData;
    CDuiString szText;
    bool bChecked = false;
};

// Check states of check items, by item name.
using MenuCheckInfo = std::map<std::wstring, bool>;

enum MenuAlignment : DWORD {
    eMenuAlignment_Left = 1 << 1,
    eMenuAlignment_Top = 1 << 2,
    eMenuAlignment_Right = 1 << 3,
    eMenuAlignment_Bottom = 1 << 4,
};

class CMenuWnd : public WindowImplBase {
public:
    // Opens the menu with the corner given by the alignment at the screen point; the window
    // deletes itself when it closes. Null when the layout cannot be built.
    static CMenuWnd* CreateMenu(CMenuElementUI* pOwner, LPCTSTR xml, POINT point, CPaintManagerUI* pMainPaintManager,
                                MenuCheckInfo* pMenuCheckInfo = nullptr, DWORD dwAlignment = eMenuAlignment_Left | eMenuAlignment_Top);
    CMenuUI* GetMenuUI() const { return m_pMenu; }
    // Chooses an item as a click on it does.
    void ChooseItem(CMenuElementUI* pItem);

    void Notify(TNotifyUI& msg) override;

protected:
    CDuiString GetSkinFile() override { return m_sXml; }
    LPCTSTR GetWindowClassName() const override { return L"MenuWnd"; }
    void InitWindow() override;
    void OnFinalMessage(HWND hWnd) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

private:
    CMenuWnd() = default;
    CDuiString m_sXml;
    POINT m_ptBase;
    DWORD m_dwAlignment = 0;
    CPaintManagerUI* m_pMainManager = nullptr;
    MenuCheckInfo* m_pCheckInfo = nullptr;
    CMenuUI* m_pMenu = nullptr;
    bool m_bChosen = false;
};

} // namespace DuiLib
