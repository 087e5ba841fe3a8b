#pragma once
// Lists and combos: the list with its header and scrolling body, the list rows (label, text
// with columns, container), and the combo whose items open in a pop-up.

#include <memory>
#include <vector>

#include "ui/container.h"
#include "ui/controls.h"

class QWidget;

namespace DuiLib {

// The look of the rows, shared by a list or combo and its items.
struct TListInfoUI {
    int nColumns = 0;
    RECT rcColumn[32];
    int nFont = -1;
    UINT uTextStyle = DT_VCENTER | DT_SINGLELINE;
    RECT rcTextPadding;
    DWORD dwTextColor = 0xFF000000;
    DWORD dwBkColor = 0;
    CDuiString sBkImage;
    bool bAlternateBk = false;
    DWORD dwSelectedTextColor = 0xFF000000;
    DWORD dwSelectedBkColor = 0xFFC1E3FF;
    CDuiString sSelectedImage;
    DWORD dwHotTextColor = 0xFF000000;
    DWORD dwHotBkColor = 0xFFE9F5FF;
    CDuiString sHotImage;
    DWORD dwDisabledTextColor = 0xFFCCCCCC;
    DWORD dwDisabledBkColor = 0xFFFFFFFF;
    CDuiString sDisabledImage;
    DWORD dwLineColor = 0;
    bool bShowRowLine = false;
    bool bShowColumnLine = false;
    bool bShowHtml = false;
    bool bMultiExpandable = false;
    // Applies an item-look attribute ("itemfont", "itemselectedbkcolor", ...); false when the
    // name is not one of them.
    bool SetAttribute(const std::wstring& lowerName, LPCTSTR pstrValue);
};

inline constexpr LPCTSTR DUI_MSGTYPE_HEADERCLICK = L"headerclick";

class IListOwnerUI {
public:
    virtual ~IListOwnerUI() = default;
    virtual TListInfoUI* GetListInfo() = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int iIndex, bool bTakeFocus = false, bool bTriggerEvent = true) = 0;
    // A row was pressed with these modifier flags (MK_CONTROL, MK_SHIFT, MK_RBUTTON); owners
    // with several selected rows extend or toggle their selection, the others select it.
    virtual void SelectItemByInput(int iIndex, WORD wKeyState) {
        (void)wKeyState;
        SelectItem(iIndex, true);
    }
    // The row at iIndex gives up its selection (it was hidden).
    virtual void UnSelectItem(int iIndex, bool bOthers = false) {
        if (!bOthers && iIndex == GetCurSel()) SelectItem(-1);
    }
    virtual void DoEvent(TEventUI& event) = 0;
    // A row was released or activated inside the owner's pop-up (combo); lists ignore it.
    virtual void OnItemReleased() {}
};

class IListItemUI {
public:
    virtual ~IListItemUI() = default;
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int iIndex) = 0;
    virtual IListOwnerUI* GetOwner() = 0;
    virtual void SetOwner(CControlUI* pOwner) = 0;
    virtual bool IsSelected() const = 0;
    virtual bool Select(bool bSelect = true, bool bTriggerEvent = true) = 0;
    virtual bool IsExpanded() const = 0;
    virtual bool Expand(bool bExpand = true) = 0;
};

// Row behaviour shared by the label and container rows.
class CListRowState {
public:
    int m_iIndex = -1;
    bool m_bSelected = false;
    UINT m_uButtonState = 0;
    CControlUI* m_pOwnerControl = nullptr;
    IListOwnerUI* m_pOwner = nullptr;
};

class CListElementUI : public CControlUI, public IListItemUI, protected CListRowState {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    int GetIndex() const override { return m_iIndex; }
    void SetIndex(int iIndex) override { m_iIndex = iIndex; }
    IListOwnerUI* GetOwner() override { return m_pOwner; }
    void SetOwner(CControlUI* pOwner) override;
    bool IsSelected() const override { return m_bSelected; }
    bool Select(bool bSelect = true, bool bTriggerEvent = true) override;
    bool IsExpanded() const override { return false; }
    bool Expand(bool) override { return false; }
    bool Activate() override;
    void SetVisible(bool bVisible = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintBkColor(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;

protected:
    void DrawItemBk(HDC hDC, const RECT& rcItem);
};

class CListLabelElementUI : public CListElementUI {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void PaintText(HDC hDC) override;
};

class CListTextElementUI : public CListLabelElementUI {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    // Column texts; column 0 is also the row's text.
    LPCTSTR GetText(int iIndex) const;
    void SetText(int iIndex, LPCTSTR pstrText);
    using CControlUI::GetText;
    using CControlUI::SetText;
    void PaintText(HDC hDC) override;

private:
    std::vector<CDuiString> m_texts;
};

class CListContainerElementUI : public CHorizontalLayoutUI, public IListItemUI, protected CListRowState {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    int GetIndex() const override { return m_iIndex; }
    void SetIndex(int iIndex) override { m_iIndex = iIndex; }
    IListOwnerUI* GetOwner() override { return m_pOwner; }
    void SetOwner(CControlUI* pOwner) override;
    bool IsSelected() const override { return m_bSelected; }
    bool Select(bool bSelect = true, bool bTriggerEvent = true) override;
    bool IsExpanded() const override { return false; }
    bool Expand(bool) override { return false; }
    bool Activate() override;
    void SetVisible(bool bVisible = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    // In a list with a header the children stand in the header's columns, one per column.
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void PaintBkColor(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;
    bool IsHot() const { return (m_uButtonState & 8) != 0; }
    void SetHot(bool bHot);

protected:
    void DrawItemBk(HDC hDC, const RECT& rcItem);
};

// A column of the list header. Dragging its separator (a strip of "sepwidth" pixels at the
// right edge, at the left when negative) changes its width live; a press elsewhere sends
// "headerclick".
class CListHeaderItemUI : public CLabelUI {
public:
    CListHeaderItemUI();
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    bool IsDragable() const { return m_bDragable; }
    void SetDragable(bool bDragable);
    int GetSepWidth() const { return Scale(m_iSepWidth); }
    void SetSepWidth(int iWidth) { m_iSepWidth = iWidth; Invalidate(); }
    // The separator strip in window coordinates (empty when the column cannot be dragged).
    RECT GetThumbRect() const;

    void SetEnabled(bool bEnable = true) override;
    // Fills the header's height unless it has its own; the header takes its height from the
    // texts (TextHeight).
    SIZE EstimateSize(SIZE szAvailable) override;
    int TextHeight(SIZE szAvailable) { return CLabelUI::EstimateSize(szAvailable).cy; }
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintStatusImage(HDC hDC) override;

private:
    bool InSeparator(POINT pt) const;

    enum : UINT { kHot = 1, kPushed = 2, kDragging = 4 };
    UINT m_uButtonState = 0;
    bool m_bDragable = true;
    bool m_bSizeCursor = false;
    int m_iSepWidth = 4;
    POINT m_ptDragStart{0, 0};
    int m_cxDragStart = 0;
    CDuiString m_sNormalImage, m_sHotImage, m_sPushedImage, m_sFocusedImage, m_sSepImage;
};

class CListHeaderUI : public CHorizontalLayoutUI {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    SIZE EstimateSize(SIZE szAvailable) override;
};

class CListUI;

class CListBodyUI : public CVerticalLayoutUI {
public:
    explicit CListBodyUI(CListUI* pOwner) : m_pOwner(pOwner) {}
    void DoEvent(TEventUI& event) override;
    // Rows are at least as wide as the header's columns; the header follows a sideways scroll.
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetScrollPos(SIZE szPos, bool bMsg = true) override;

private:
    CListUI* m_pOwner;
};

class CListUI : public CVerticalLayoutUI, public IListOwnerUI {
public:
    CListUI();
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    CListHeaderUI* GetHeader() const { return m_pHeader; }
    CContainerUI* GetList() const { return m_pList; }
    TListInfoUI* GetListInfo() override { return &m_ListInfo; }
    int GetCurSel() const override { return m_iCurSel; }
    // Selects this row alone: every other selected row is cleared. Sends "itemselect" (new
    // index, previous current index) when the selection changed.
    bool SelectItem(int iIndex, bool bTakeFocus = false, bool bTriggerEvent = true) override;
    void EnsureVisible(int iIndex);

    // Several selected rows ("multiselect"): Ctrl+press toggles a row, Shift+press selects the
    // range from the anchor (the last row pressed without Shift), Shift+arrows extend it.
    bool IsMultiSelect() const { return m_bMultiSel; }
    void SetMultiSelect(bool bMultiSel);
    // Adds a row to the selection (selects it alone when the list is not multi-select).
    bool SelectMultiItem(int iIndex, bool bTakeFocus = false);
    // Selects the rows from the anchor to iIndex and nothing else.
    bool SelectRange(int iIndex, bool bTakeFocus = false);
    // Clears the row's selection, or with bOthers every selection but this row's.
    void UnSelectItem(int iIndex, bool bOthers = false) override;
    void SelectAllItems();
    void UnSelectAllItems();
    int GetSelectItemCount() const { return int(m_aSelItems.size()); }
    // The first selected row after nItem (-1 starts at the top); -1 when there is none.
    int GetNextSelItem(int nItem) const;
    void SelectItemByInput(int iIndex, WORD wKeyState) override;

    // Rows go to the body, header items to the header; indexes count rows only.
    CControlUI* GetItemAt(int iIndex) const override;
    int GetItemIndex(CControlUI* pControl) const override;
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    int GetCount() const override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl, bool bDoNotDestroy = false) override;
    bool RemoveAt(int iIndex, bool bDoNotDestroy = false) override;
    void RemoveAll() override;

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    // Lays the header out again, shifted by the body's sideways scroll, and takes the columns
    // from it.
    void PlaceHeader();

private:
    void Reindex();
    bool CanSelect(int iIndex) const;
    bool IsItemSelected(int iIndex) const;
    bool AddToSelection(int iIndex);
    // The nearest selectable row from iFrom moving by iStep rows (clamped to the ends).
    int StepSelectable(int iFrom, int iStep) const;
    int PageRows() const;
    void MoveByKey(int iTarget, WORD wKeyState);

    CListHeaderUI* m_pHeader = nullptr;
    CListBodyUI* m_pList = nullptr;
    TListInfoUI m_ListInfo;
    int m_iCurSel = -1;
    int m_iAnchor = -1;
    std::vector<int> m_aSelItems; // sorted
    bool m_bMultiSel = false;
    bool m_bScrollSelect = false;
};

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
    CComboUI();
    ~CComboUI() override;
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    CDuiString GetText() const override;
    void SetEnabled(bool bEnable = true) override;
    TListInfoUI* GetListInfo() override { return &m_ListInfo; }
    int GetCurSel() const override { return m_iCurSel; }
    // Sends "itemselect" (new index, previous index) when the selection changes.
    bool SelectItem(int iIndex, bool bTakeFocus = false, bool bTriggerEvent = true) override;
    void OnItemReleased() override;

    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl, bool bDoNotDestroy = false) override;
    bool RemoveAt(int iIndex, bool bDoNotDestroy = false) override;
    void RemoveAll() override;

    // Opens the pop-up list ("predropdown", then "dropdown"); false when it cannot open.
    bool Activate() override;
    bool IsDropped() const;
    void CloseDropDown(bool bRestoreSelection = false);
    SIZE GetDropBoxSize() const;
    void SetDropBoxSize(SIZE szDropBox) { m_szDropBox = szDropBox; }
    RECT GetTextPadding() const { return ScaleRect(m_rcTextPadding); }
    void SetTextPadding(RECT rc) { m_rcTextPadding = rc; Invalidate(); }

    SIZE EstimateSize(SIZE szAvailable) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    bool DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;
    // Items are hit only inside the pop-up.
    CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) override;
    // The pop-up's widget and manager while it is open (null otherwise).
    QWidget* GetDropDownWidget() const;
    CPaintManagerUI* GetDropDownManager() const;

private:
    struct Popup;
    void Reindex();
    std::unique_ptr<Popup> m_pPopup;
    TListInfoUI m_ListInfo;
    int m_iCurSel = -1;
    int m_iOldSel = -1;
    UINT m_uButtonState = 0;
    SIZE m_szDropBox{0, 150};
    CDuiString m_sDropBoxAttributes;
    RECT m_rcTextPadding;
    UINT m_uTextStyle = DT_VCENTER | DT_SINGLELINE;
    int m_iFont = -1;
    DWORD m_dwTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    bool m_bScrollSelect = true;
    CDuiString m_sNormalImage, m_sHotImage, m_sPushedImage, m_sFocusedImage, m_sDisabledImage, m_sArrowImage;
};

} // namespace DuiLib
