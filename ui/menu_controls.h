#pragma once
// The controls of a pop-up menu layout: Menu (a list) and MenuElement (a row that may hold
// sub-items, a check mark or a separator line).

#include "ui/list.h"

namespace DuiLib {

class CMenuUI : public CListUI {
public:
    CMenuUI();
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    // Total height of the visible items plus the inset.
    SIZE EstimateSize(SIZE szAvailable) override;
};

class CMenuElementUI : public CListContainerElementUI {
public:
    CMenuElementUI();
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    bool IsCheckItem() const { return m_bCheckItem; }
    bool GetChecked() const { return m_bChecked; }
    void SetChecked(bool bCheck) { m_bChecked = bCheck; Invalidate(); }
    bool IsLine() const { return m_bLine; }
    // Sub-menu items inside this one.
    int GetSubItemCount() const;
    // The item opens a sub-menu (also while its items are shown in the open sub-menu).
    bool HasSubMenu() const { return m_bSubMenuOpen || GetSubItemCount() > 0; }
    void SetSubMenuOpen(bool bOpen) { m_bSubMenuOpen = bOpen; Invalidate(); }
    // Width the item needs for its text, icon and arrow; the menu is as wide as its widest item.
    int EstimateWidth();

    // Sub-menu items are kept but not laid out in the row.
    bool AddAt(CControlUI* pControl, int iIndex) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    bool DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) override;

private:
    // The sub-menu arrow at the right edge.
    void DrawArrow(HDC hDC);

    bool m_bCheckItem = false;
    bool m_bChecked = false;
    bool m_bLine = false;
    bool m_bSubMenuOpen = false;
    bool m_bExpland = false;
    DWORD m_dwLineColor = 0xFFBCBFC4;
    RECT m_rcLinePadding{29, 0, 7, 0};
    CDuiString m_sIcon;
    SIZE m_szIcon{16, 16};
    int m_iFont = -1;
    DWORD m_dwTextColor = 0;
};

} // namespace DuiLib
