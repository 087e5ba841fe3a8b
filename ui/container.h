#pragma once
// Containers: the plain container (children overlap in its client area), the horizontal,
// vertical and tab layouts, and the scroll bar that scrolling containers create.

#include <vector>

#include "ui/control.h"

class QRubberBand;

namespace DuiLib {

class CScrollBarUI;

// A drag handle of iSize pixels at the far edge of a line layout (the near edge when negative)
// that changes the layout's own width or height: live with bImmediate, else on release with a
// ghost line showing the new edge meanwhile.
struct TLayoutSeparator {
    int iSize = 0;
    bool bImmediate = false;
    bool bDragging = false;
    POINT ptStart{0, 0};
    int iStartLength = 0;
    int iNewLength = 0;
    bool bSizeCursor = false;
    QRubberBand* pGhost = nullptr;
};

// A length in window pixels as the unscaled value fixed sizes are kept in.
int UnscaledLength(const CControlUI* pControl, int iPixels);
// Shows the resize cursor over the control's window while bShow (bShown remembers it, so a
// control's own cursor is only replaced while the pointer is over a handle).
void ShowResizeCursor(CControlUI* pControl, bool& bShown, bool bShow, bool bVertical);

class IContainerUI {
public:
    virtual ~IContainerUI() = default;
    virtual CControlUI* GetItemAt(int iIndex) const = 0;
    virtual int GetItemIndex(CControlUI* pControl) const = 0;
    virtual bool SetItemIndex(CControlUI* pControl, int iNewIndex) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* pControl) = 0;
    virtual bool AddAt(CControlUI* pControl, int iIndex) = 0;
    virtual bool Remove(CControlUI* pControl, bool bDoNotDestroy = false) = 0;
    virtual bool RemoveAt(int iIndex, bool bDoNotDestroy = false) = 0;
    virtual void RemoveAll() = 0;
};

class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI();
    ~CContainerUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    CControlUI* GetItemAt(int iIndex) const override;
    int GetItemIndex(CControlUI* pControl) const override;
    bool SetItemIndex(CControlUI* pControl, int iNewIndex) override;
    int GetCount() const override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl, bool bDoNotDestroy = false) override;
    bool RemoveAt(int iIndex, bool bDoNotDestroy = false) override;
    void RemoveAll() override;
    // Children are deleted with the container unless switched off.
    bool IsAutoDestroy() const { return m_bAutoDestroy; }
    void SetAutoDestroy(bool bAuto) { m_bAutoDestroy = bAuto; }

    void DoEvent(TEventUI& event) override;
    void SetVisible(bool bVisible = true) override;
    void SetInternVisible(bool bVisible = true) override;
    void SetEnabled(bool bEnabled = true) override;
    void SetMouseEnabled(bool bEnable = true) override;

    virtual RECT GetInset() const;
    virtual void SetInset(RECT rcInset);
    virtual int GetChildPadding() const;
    virtual void SetChildPadding(int iPadding);
    virtual UINT GetChildAlign() const { return m_iChildAlign; }
    virtual void SetChildAlign(UINT iAlign);
    virtual UINT GetChildVAlign() const { return m_iChildVAlign; }
    virtual void SetChildVAlign(UINT iVAlign);
    virtual bool IsMouseChildEnabled() const { return m_bMouseChildEnabled; }
    virtual void SetMouseChildEnabled(bool bEnable = true) { m_bMouseChildEnabled = bEnable; }
    // The area children are laid out in: the rectangle minus inset and visible scroll bars.
    RECT GetClientPos() const;

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void Move(SIZE szOffset, bool bNeedInvalidate = true) override;
    bool DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) override;
    CControlUI* FindSubControl(LPCTSTR pstrSubControlName);

    virtual SIZE GetScrollPos() const;
    virtual SIZE GetScrollRange() const;
    virtual void SetScrollPos(SIZE szPos, bool bMsg = true);
    virtual int GetScrollStepSize() const;
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void HomeUp();
    virtual void EndDown();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false);
    virtual CScrollBarUI* GetVerticalScrollBar() const { return m_pVerticalScrollBar; }
    virtual CScrollBarUI* GetHorizontalScrollBar() const { return m_pHorizontalScrollBar; }

protected:
    // Places a float child relative to the container's full rectangle.
    void SetFloatPos(int iIndex);
    // Shows or hides the scroll bars for the space the children need; relayouts once when
    // a bar appears or disappears.
    void ProcessScrollBar(RECT rc, int cxRequired, int cyRequired);
    // Places the children in one line: top to bottom when bVertical, else left to right. The
    // content is at least iMinCross wide across the line (more scrolls when a bar is enabled).
    void SetLinearPos(RECT rc, bool bNeedInvalidate, bool bVertical, int iMinCross = 0);

    std::vector<CControlUI*> m_items;
    RECT m_rcInset;
    int m_iChildPadding = 0;
    UINT m_iChildAlign = DT_LEFT;
    UINT m_iChildVAlign = DT_TOP;
    bool m_bAutoDestroy = true;
    bool m_bMouseChildEnabled = true;
    bool m_bShowScrollbar = true;
    bool m_bInScrollRelayout = false;
    int m_nScrollStepSize = 0;
    CScrollBarUI* m_pVerticalScrollBar = nullptr;
    CScrollBarUI* m_pHorizontalScrollBar = nullptr;
};

class CVerticalLayoutUI : public CContainerUI {
public:
    ~CVerticalLayoutUI() override;
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    // "sepheight": a handle at the bottom edge (top when negative) resizes the layout.
    int GetSepHeight() const { return Scale(m_sep.iSize); }
    void SetSepHeight(int iHeight) { m_sep.iSize = iHeight; }
    void SetSepImmMode(bool bImmediately) { m_sep.bImmediate = bImmediately; }
    // The handle in window coordinates (empty without one).
    RECT GetThumbRect() const;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

private:
    TLayoutSeparator m_sep;
};

class CHorizontalLayoutUI : public CContainerUI {
public:
    ~CHorizontalLayoutUI() override;
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    // "sepwidth": a handle at the right edge (left when negative) resizes the layout.
    int GetSepWidth() const { return Scale(m_sep.iSize); }
    void SetSepWidth(int iWidth) { m_sep.iSize = iWidth; }
    void SetSepImmMode(bool bImmediately) { m_sep.bImmediate = bImmediately; }
    RECT GetThumbRect() const;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

private:
    TLayoutSeparator m_sep;
};

class CTabLayoutUI : public CContainerUI {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl, bool bDoNotDestroy = false) override;
    void RemoveAll() override;
    int GetCurSel() const { return m_iCurSel; }
    // Shows page iIndex and hides the others; sends "tabselect" (new, previous) when asked.
    virtual bool SelectItem(int iIndex, bool bTriggerEvent = true);
    virtual bool SelectItem(CControlUI* pControl, bool bTriggerEvent = true);
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

protected:
    int m_iCurSel = -1;
};

class CScrollBarUI : public CControlUI {
public:
    CScrollBarUI();
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    CContainerUI* GetOwner() const { return m_pOwner; }
    void SetOwner(CContainerUI* pOwner) { m_pOwner = pOwner; }
    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool bHorizontal = true);
    int GetScrollRange() const { return m_nRange; }
    void SetScrollRange(int nRange);
    int GetScrollPos() const { return m_nScrollPos; }
    void SetScrollPos(int nPos);
    int GetLineSize() const;
    void SetLineSize(int nSize) { m_nLineSize = nSize; }
    bool GetShowButton1() const { return m_bShowButton1; }
    bool GetShowButton2() const { return m_bShowButton2; }
    RECT GetThumbRect() const { return m_rcThumb; }

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    bool DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) override;

private:
    void PaintPart(HDC hDC, const RECT& rc, const CDuiString* images, int state, DWORD fallback);

    CContainerUI* m_pOwner = nullptr;
    bool m_bHorizontal = false;
    int m_nRange = 100;
    int m_nScrollPos = 0;
    int m_nLineSize = 8;
    bool m_bShowButton1 = true;
    bool m_bShowButton2 = true;
    RECT m_rcButton1;
    RECT m_rcButton2;
    RECT m_rcThumb;
    POINT m_ptLastMouse;
    int m_nLastScrollPos = 0;
    int m_nPushedPart = 0; // 1 button1, 2 button2, 3 thumb, 4 track
    int m_nHotPart = 0;
    // normal, hot, pushed, disabled images of: bk, button1, button2, thumb, rail
    CDuiString m_images[5][4];
};

} // namespace DuiLib
