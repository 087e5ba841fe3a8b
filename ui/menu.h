#pragma once
// Pop-up menus built from a menu layout ("menu.xml"): the chosen item is reported to the
// main window as WM_MENU_COMMAND with a heap record the receiver deletes. A MenuElement that
// holds MenuElements opens them as a sub-menu: a chain of pop-ups that closes as a whole.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ui/menu_controls.h"
#include "ui/window.h"

class QEvent;
class QObject;

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
    // Resting time of the pointer on an item before its sub-menu opens (or another closes).
    static constexpr int kSubMenuDelayMs = 300;

    // Opens the menu with the corner given by the alignment at the screen point; the window
    // deletes itself when it closes. Null when the layout cannot be built.
    static CMenuWnd* CreateMenu(CMenuElementUI* pOwner, LPCTSTR xml, POINT point, CPaintManagerUI* pMainPaintManager,
                                MenuCheckInfo* pMenuCheckInfo = nullptr, DWORD dwAlignment = eMenuAlignment_Left | eMenuAlignment_Top);
    // The menu window a control of a menu belongs to (null for other windows).
    static CMenuWnd* FromManager(CPaintManagerUI* pManager);

    CMenuUI* GetMenuUI() const { return m_pMenu; }
    CMenuWnd* GetSubMenu() const { return m_pChild; }
    CMenuWnd* GetParentMenu() const { return m_pParent; }
    // The item of the parent menu whose sub-items this menu shows (null for the first menu).
    CMenuElementUI* GetOwner() const { return m_pOwner; }

    // Chooses an item as a click on it does: an item with sub-items opens them, any other
    // enabled item is reported once and closes every level.
    void ChooseItem(CMenuElementUI* pItem);
    // Opens the sub-menu of an item of this menu beside it (closing another one first);
    // bSelectFirst marks its first item as keyboard navigation does. Null when the item has
    // no sub-items or is disabled.
    CMenuWnd* OpenSubMenu(CMenuElementUI* pItem, bool bSelectFirst = false);
    // Closes the open sub-menu (and its own sub-menus); this menu stays open.
    void CloseSubMenu();
    // Keyboard navigation of this level: Up/Down move, Home/End go to the first/last item,
    // Right/Enter open a sub-menu, Enter
    // chooses, Left/Esc close this level (Esc on the first menu closes it). False for other keys.
    bool HandleKey(TCHAR vk);
    // The pointer rests on an item: after kSubMenuDelayMs its sub-menu opens.
    void OnItemHover(CMenuElementUI* pItem);

    void Notify(TNotifyUI& msg) override;

protected:
    CDuiString GetSkinFile() override { return m_sXml; }
    LPCTSTR GetWindowClassName() const override { return L"MenuWnd"; }
    void InitWindow() override;
    void OnFinalMessage(HWND hWnd) override;
    LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

private:
    friend class MenuInputFilter;
    CMenuWnd() = default;
    CMenuWnd* Root();
    CMenuWnd* Deepest();
    // Moves the owner's sub-items into this menu, and back when it closes.
    void BorrowSubItems();
    void ReturnSubItems();
    void PlaceWindow(SIZE size);
    void SelectIndex(int index);
    void MoveSelection(int step);
    void OnHoverElapsed();
    // Input seen before the window's own handling: keys go to the deepest level, the pointer
    // over another level of the chain goes to that level, a press outside closes the chain.
    bool FilterInput(QEvent* e);

    CDuiString m_sXml;
    POINT m_ptBase;
    DWORD m_dwAlignment = 0;
    CPaintManagerUI* m_pMainManager = nullptr;
    MenuCheckInfo* m_pCheckInfo = nullptr;
    CMenuUI* m_pMenu = nullptr;
    bool m_bChosen = false;
    CMenuWnd* m_pParent = nullptr;
    CMenuWnd* m_pChild = nullptr;
    CMenuElementUI* m_pOwner = nullptr;
    // This sub-menu went to the left of its parent; its own sub-menus follow that way.
    bool m_bOpensLeft = false;
    // Borrowed sub-items with their index in the owner.
    std::vector<std::pair<CControlUI*, int>> m_borrowed;
    CMenuElementUI* m_pHoverItem = nullptr;
    unsigned m_hoverGeneration = 0;
    QObject* m_pInputFilter = nullptr;
};

} // namespace DuiLib
