#pragma once
// CControlUI: the base of every control. Holds the attributes shared by all controls,
// the position set by the parent layout, the paint steps and the event entry point.

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "ui/core.h"

namespace DuiLib {

class CControlUI;
using FINDCONTROLPROC = CControlUI* (*)(CControlUI*, LPVOID);

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual CDuiString GetName() const { return m_sName; }
    // Renaming a control of a window keeps FindControl up to date.
    virtual void SetName(LPCTSTR pstrName);
    virtual LPCTSTR GetClass() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual UINT GetControlFlags() const { return 0; }

    virtual bool Activate();
    virtual CPaintManagerUI* GetManager() const { return m_pManager; }
    virtual void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true);
    virtual CControlUI* GetParent() const { return m_pParent; }

    // Text; with resourcetext the text is a language id resolved at every read.
    virtual CDuiString GetText() const;
    virtual void SetText(LPCTSTR pstrText);
    bool IsResourceText() const { return m_bResourceText; }
    void SetResourceText(bool b);

    DWORD GetBkColor() const { return m_dwBackColor; }
    void SetBkColor(DWORD dwBackColor);
    DWORD GetBkColor2() const { return m_dwBackColor2; }
    void SetBkColor2(DWORD c);
    DWORD GetBkColor3() const { return m_dwBackColor3; }
    void SetBkColor3(DWORD c);
    DWORD GetForeColor() const { return m_dwForeColor; }
    void SetForeColor(DWORD c);
    LPCTSTR GetBkImage() const { return m_sBkImage; }
    void SetBkImage(LPCTSTR pStrImage);
    LPCTSTR GetForeImage() const { return m_sForeImage; }
    void SetForeImage(LPCTSTR pStrImage);
    DWORD GetBorderColor() const { return m_dwBorderColor; }
    void SetBorderColor(DWORD c);
    DWORD GetFocusBorderColor() const { return m_dwFocusBorderColor; }
    void SetFocusBorderColor(DWORD c);
    int GetBorderSize() const { return m_nBorderSize; }
    void SetBorderSize(int nSize);
    void SetBorderSize(RECT rc);
    SIZE GetBorderRound() const { return m_cxyBorderRound; }
    void SetBorderRound(SIZE cxy);
    void SetBorderStyle(int nStyle);
    bool DrawImage(HDC hDC, LPCTSTR pStrImage, LPCTSTR pStrModify = nullptr);

    // Position: client coordinates set by the parent layout.
    virtual const RECT& GetPos() const { return m_rcItem; }
    virtual RECT GetRelativePos() const;
    virtual void SetPos(RECT rc, bool bNeedInvalidate = true);
    virtual void Move(SIZE szOffset, bool bNeedInvalidate = true);
    virtual int GetWidth() const { return m_rcItem.right - m_rcItem.left; }
    virtual int GetHeight() const { return m_rcItem.bottom - m_rcItem.top; }
    virtual int GetX() const { return m_rcItem.left; }
    virtual int GetY() const { return m_rcItem.top; }
    // Layout values as written (96 DPI); the Get...() forms below answer them scaled.
    virtual RECT GetPadding() const;
    virtual void SetPadding(RECT rcPadding);
    virtual SIZE GetFixedXY() const;
    virtual void SetFixedXY(SIZE szXY);
    virtual int GetFixedWidth() const;
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const;
    virtual void SetFixedHeight(int cy);
    virtual int GetMinWidth() const;
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const;
    virtual void SetMaxHeight(int cy);
    // Float placement: fractions of the parent (0 for plain float="true").
    struct TPercentInfo {
        double left = 0, top = 0, right = 0, bottom = 0;
    };
    TPercentInfo GetFloatPercent() const { return m_piFloatPercent; }
    // The "pos" rectangle as written: size always; place for float controls (negative
    // coordinates count from the parent's right or bottom edge). GetFloatPos answers it scaled.
    void SetPosAttribute(RECT rc);
    RECT GetFloatPos() const;
    void SetFloatPercent(TPercentInfo piFloatPercent);
    // Answers the layout values scaled by the window's DPI.
    int Scale(int v) const;
    RECT ScaleRect(RECT rc) const;

    virtual CDuiString GetToolTip() const;
    virtual void SetToolTip(LPCTSTR pstrText);
    virtual TCHAR GetShortcut() const { return m_chShortcut; }
    virtual void SetShortcut(TCHAR ch) { m_chShortcut = ch; }
    virtual bool IsContextMenuUsed() const { return m_bMenuUsed; }
    virtual void SetContextMenuUsed(bool bMenuUsed) { m_bMenuUsed = bMenuUsed; }
    virtual const CDuiString& GetUserData() { return m_sUserData; }
    virtual void SetUserData(LPCTSTR pstrText) { m_sUserData = pstrText; }
    virtual UINT_PTR GetTag() const { return m_pTag; }
    virtual void SetTag(UINT_PTR pTag) { m_pTag = pTag; }
    LPCTSTR GetVirtualWnd() const;
    void SetVirtualWnd(LPCTSTR pstrValue);
    LPCTSTR GetCursorName() const { return m_sCursor; }

    virtual bool IsVisible() const { return m_bVisible && m_bInternVisible; }
    virtual void SetVisible(bool bVisible = true);
    virtual void SetInternVisible(bool bVisible = true);
    virtual bool IsEnabled() const { return m_bEnabled; }
    virtual void SetEnabled(bool bEnable = true);
    virtual bool IsMouseEnabled() const { return m_bMouseEnabled; }
    virtual void SetMouseEnabled(bool bEnable = true) { m_bMouseEnabled = bEnable; }
    virtual bool IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
    virtual void SetKeyboardEnabled(bool bEnable = true) { m_bKeyboardEnabled = bEnable; }
    virtual bool IsFocused() const { return m_bFocused; }
    virtual void SetFocus();
    virtual bool IsFloat() const { return m_bFloat; }
    virtual void SetFloat(bool bFloat = true);

    virtual CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags);

    void Invalidate();
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    void NeedUpdate();
    void NeedParentUpdate();
    DWORD GetAdjustColor(DWORD dwColor) const { return dwColor; }

    virtual void Init();
    virtual void DoInit() {}
    virtual void Event(TEventUI& event);
    virtual void DoEvent(TEventUI& event);

    // Custom attributes: unknown names are kept as strings.
    void AddCustomAttribute(LPCTSTR pstrName, LPCTSTR pstrAttr);
    LPCTSTR GetCustomAttribute(LPCTSTR pstrName) const;
    bool RemoveCustomAttribute(LPCTSTR pstrName);
    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    // A list of name="value" pairs, or the name of a registered style.
    void ApplyAttributeList(LPCTSTR pstrList);

    virtual SIZE EstimateSize(SIZE szAvailable);
    // Paints into hDC whatever of the control lies inside rcPaint; false stops painting.
    virtual bool Paint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl = nullptr);
    virtual bool DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl);
    virtual void PaintBkColor(HDC hDC);
    virtual void PaintBkImage(HDC hDC);
    virtual void PaintStatusImage(HDC hDC);
    virtual void PaintForeColor(HDC hDC);
    virtual void PaintForeImage(HDC hDC);
    virtual void PaintText(HDC hDC);
    virtual void PaintBorder(HDC hDC);
    // True for controls whose look depends only on their attributes, state, text and size:
    // they draw it once into an image and copy that until something changes.
    virtual bool CanCacheLook() const { return false; }

    bool SetTimer(UINT nTimerID, UINT nElapse);
    bool KillTimer(UINT nTimerID);
    void KillTimers();

    // Delegates: run before DoEvent / before the window's notifiers. Returning false from an
    // OnEvent delegate stops the event.
    std::vector<std::function<bool(TEventUI&)>> OnEvent;
    std::vector<std::function<void(TNotifyUI&)>> OnNotify;

protected:
    // The paint steps, from background to border.
    void PaintLook(HDC hDC);
    // The parts of the look, in their order, without the round corners.
    void PaintLayers(HDC hDC);
    // Marks the cached look stale (Invalidate does it too).
    void LookChanged() { m_bLookDirty = true; }

    CPaintManagerUI* m_pManager = nullptr;
    CControlUI* m_pParent = nullptr;
    CDuiString m_sName;
    CDuiString m_sText;
    CDuiString m_sToolTip;
    CDuiString m_sUserData;
    CDuiString m_sVirtualWnd;
    CDuiString m_sCursor;
    CDuiString m_sBkImage;
    CDuiString m_sForeImage;
    RECT m_rcItem;
    RECT m_rcPadding;
    RECT m_rcPos;
    SIZE m_cXY;
    SIZE m_cxyFixed;
    SIZE m_cxyMin;
    SIZE m_cxyMax{9999, 9999};
    TPercentInfo m_piFloatPercent;
    bool m_bUpdateNeeded = true;
    bool m_bMenuUsed = false;
    bool m_bVisible = true;
    bool m_bInternVisible = true;
    bool m_bEnabled = true;
    bool m_bMouseEnabled = true;
    bool m_bKeyboardEnabled = true;
    bool m_bFocused = false;
    bool m_bFloat = false;
    bool m_bResourceText = false;
    bool m_bSetPos = false;
    TCHAR m_chShortcut = 0;
    UINT_PTR m_pTag = 0;
    DWORD m_dwBackColor = 0;
    DWORD m_dwBackColor2 = 0;
    DWORD m_dwBackColor3 = 0;
    bool m_bGradientHorizontal = false;
    DWORD m_dwForeColor = 0;
    DWORD m_dwBorderColor = 0;
    DWORD m_dwFocusBorderColor = 0;
    int m_nBorderSize = 0;
    int m_nBorderStyle = 0;
    RECT m_rcBorderSize;
    SIZE m_cxyBorderRound;
    std::map<std::wstring, std::wstring> m_mCustomAttrs;

private:
    struct TLookCache;
    bool PaintCachedLook(HDC hDC);
    std::unique_ptr<TLookCache> m_pLookCache;
    bool m_bLookDirty = true;
};

} // namespace DuiLib
