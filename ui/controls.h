#pragma once
// The basic controls: label and text, button, option and check box, progress and slider.

#include <vector>

#include "ui/control.h"
#include "ui/render.h"

namespace DuiLib {

class CLabelUI : public CControlUI {
public:
    CLabelUI();
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    void SetTextStyle(UINT uStyle);
    UINT GetTextStyle() const { return m_uTextStyle; }
    void SetTextColor(DWORD dwTextColor);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetDisabledTextColor(DWORD dwTextColor);
    DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetFont(int index);
    int GetFont() const { return m_iFont; }
    RECT GetTextPadding() const;
    void SetTextPadding(RECT rc);
    bool IsShowHtml() const { return m_bShowHtml; }
    void SetShowHtml(bool bShowHtml = true);

    SIZE EstimateSize(SIZE szAvailable) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintText(HDC hDC) override;
    bool CanCacheLook() const override;

protected:
    // Draws the text in the colour given, html or plain per the flags.
    void DrawLabelText(HDC hDC, const CDuiString& text, DWORD color, int font);
    DWORD TextColorOr(DWORD color) const;

    DWORD m_dwTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    int m_iFont = -1;
    UINT m_uTextStyle = DT_VCENTER | DT_SINGLELINE;
    RECT m_rcTextPadding;
    bool m_bShowHtml = false;
    bool m_bAutoCalcWidth = false;
    // Without a fixed height, a multi-line text is as high as it wraps.
    bool m_bAutoCalcHeight = false;
    std::vector<THtmlLink> m_links;
    // The link under the pointer, drawn in the hover colour (-1: none).
    int m_iHoverLink = -1;
};

class CTextUI : public CLabelUI {
public:
    CTextUI();
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;
    // The number of the link under a point, or -1.
    int LinkAt(POINT pt) const;
    void DoEvent(TEventUI& event) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void PaintText(HDC hDC) override;
};

class CButtonUI : public CLabelUI {
public:
    // Bits of the button's state.
    enum : UINT { UISTATE_FOCUSED = 1, UISTATE_SELECTED = 2, UISTATE_DISABLED = 4, UISTATE_HOT = 8, UISTATE_PUSHED = 16, UISTATE_CAPTURED = 64 };

    CButtonUI();
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    bool Activate() override;
    void SetEnabled(bool bEnable = true) override;
    void DoEvent(TEventUI& event) override;

    LPCTSTR GetNormalImage() const { return m_sNormalImage; }
    void SetNormalImage(LPCTSTR pStrImage);
    LPCTSTR GetHotImage() const { return m_sHotImage; }
    void SetHotImage(LPCTSTR pStrImage);
    LPCTSTR GetPushedImage() const { return m_sPushedImage; }
    void SetPushedImage(LPCTSTR pStrImage);
    LPCTSTR GetFocusedImage() const { return m_sFocusedImage; }
    void SetFocusedImage(LPCTSTR pStrImage);
    LPCTSTR GetDisabledImage() const { return m_sDisabledImage; }
    void SetDisabledImage(LPCTSTR pStrImage);
    void SetHotForeImage(LPCTSTR pStrImage);
    void SetHotBkColor(DWORD dwColor);
    DWORD GetHotBkColor() const { return m_dwHotBkColor; }
    void SetHotTextColor(DWORD dwColor);
    DWORD GetHotTextColor() const { return m_dwHotTextColor; }
    void SetPushedTextColor(DWORD dwColor);
    DWORD GetPushedTextColor() const { return m_dwPushedTextColor; }
    void SetFocusedTextColor(DWORD dwColor);
    DWORD GetFocusedTextColor() const { return m_dwFocusedTextColor; }
    UINT GetButtonState() const { return m_uButtonState; }
    // The tab layout whose page the button shows ("bindtablayoutname"; empty for none).
    const CDuiString& GetBindTabLayoutName() const { return m_sBindTabLayoutName; }
    void SetButtonState(UINT uState) { m_uButtonState = uState; Invalidate(); }

    SIZE EstimateSize(SIZE szAvailable) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintBkColor(HDC hDC) override;
    void PaintText(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintForeImage(HDC hDC) override;

protected:
    // Draws a frame of the state strip ("stateimage" with "statecount" frames); false without one.
    bool PaintStateFrame(HDC hDC, const CDuiString& image, int count, int frame);

    UINT m_uButtonState = 0;
    CDuiString m_sNormalImage, m_sHotImage, m_sPushedImage, m_sFocusedImage, m_sDisabledImage;
    CDuiString m_sHotForeImage, m_sPushedForeImage, m_sStateImage;
    int m_nStateCount = 0;
    DWORD m_dwHotBkColor = 0, m_dwPushedBkColor = 0, m_dwDisabledBkColor = 0;
    DWORD m_dwHotTextColor = 0, m_dwPushedTextColor = 0, m_dwFocusedTextColor = 0;
    DWORD m_dwHotBorderColor = 0, m_dwPushedBorderColor = 0, m_dwDisabledBorderColor = 0;
    int m_iHotFont = -1, m_iPushedFont = -1, m_iFocusedFont = -1;
    CDuiString m_sBindTabLayoutName;
    int m_iBindTabIndex = -1;
};

class COptionUI : public CButtonUI {
public:
    ~COptionUI() override;
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    bool Activate() override;
    void SetEnabled(bool bEnable = true) override;

    LPCTSTR GetGroup() const { return m_sGroupName; }
    void SetGroup(LPCTSTR pStrGroupName = nullptr);
    bool IsSelected() const { return m_bSelected; }
    // Sets the state; in a group, selecting deselects the others. Sends "selectchanged" for
    // every option whose state changed when bTriggerEvent is set.
    virtual void Selected(bool bSelected, bool bTriggerEvent = true);
    void SetSelectedImage(LPCTSTR pStrImage);
    LPCTSTR GetSelectedImage() const { return m_sSelectedImage; }
    void SetSelectedHotImage(LPCTSTR pStrImage);
    void SetSelectedTextColor(DWORD dwTextColor);
    DWORD GetSelectedTextColor() const { return m_dwSelectedTextColor; }
    void SetSelectedBkColor(DWORD dwBkColor);
    DWORD GetSelectBkColor() const { return m_dwSelectedBkColor; }

    SIZE EstimateSize(SIZE szAvailable) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintBkColor(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintForeImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

protected:
    virtual WPARAM SelectChangedParam() const { return 0; }

    bool m_bSelected = false;
    CDuiString m_sGroupName;
    CDuiString m_sGroupType;
    CDuiString m_sSelectedImage, m_sSelectedHotImage, m_sSelectedPushedImage, m_sSelectedForeImage;
    DWORD m_dwSelectedTextColor = 0;
    DWORD m_dwSelectedBkColor = 0;
    int m_iSelectedFont = -1;
};

class CCheckBoxUI : public COptionUI {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetCheck(bool bCheck, bool bTriggerEvent = true) { Selected(bCheck, bTriggerEvent); }
    bool GetCheck() const { return IsSelected(); }
    // With "EnableAutoCheck" the box toggles as the button goes down (or on Space and Enter)
    // and sends "checkclick" after its "selectchanged", instead of a "click".
    void SetAutoCheck(bool bAutoCheck) { m_bAutoCheck = bAutoCheck; }
    bool IsAutoCheck() const { return m_bAutoCheck; }
    bool Activate() override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    // Without skin images a check box draws its own box and mark at the left.
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

protected:
    WPARAM SelectChangedParam() const override { return m_bSelected ? 1 : 0; }

private:
    void AutoCheck();
    bool m_bAutoCheck = false;
};

class CProgressUI : public CLabelUI {
public:
    CProgressUI();
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool bHorizontal = true);
    int GetMinValue() const { return m_nMin; }
    void SetMinValue(int nMin);
    int GetMaxValue() const { return m_nMax; }
    void SetMaxValue(int nMax);
    int GetValue() const { return m_nValue; }
    virtual void SetValue(int nValue);
    bool IsStretchForeImage() const { return m_bStretchForeImage; }
    void SetStretchForeImage(bool b = true);

    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintForeColor(HDC hDC) override;
    void PaintForeImage(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;

protected:
    // The part of the control that stands for the value (relative to the control).
    RECT ValueRect() const;

    bool m_bHorizontal = true;
    bool m_bStretchForeImage = true;
    bool m_bShowText = false;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nValue = 0;
};

class CSliderUI : public CProgressUI {
public:
    CSliderUI();
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    void SetEnabled(bool bEnable = true) override;
    int GetChangeStep() const { return m_nStep; }
    void SetChangeStep(int step) { m_nStep = step; }
    SIZE GetThumbSize() const;
    void SetThumbSize(SIZE szXY) { m_szThumb = szXY; }
    RECT GetThumbRect() const;
    void SetThumbImage(LPCTSTR pStrImage);
    void SetThumbHotImage(LPCTSTR pStrImage);
    void SetThumbPushedImage(LPCTSTR pStrImage);
    bool IsSendMove() const { return m_bSendMove; }
    void SetCanSendMove(bool bCanSend) { m_bSendMove = bCanSend; }
    // Ignored while the thumb is being dragged.
    void SetValue(int nValue) override;

    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintStatusImage(HDC hDC) override;

private:
    int ValueAt(POINT pt) const;
    // Arrows move by the step, Page Up/Down by a tenth of the range, Home/End to the ends;
    // false for other keys.
    bool StepByKey(TCHAR vk);

    SIZE m_szThumb{10, 10};
    UINT m_uButtonState = 0;
    int m_nStep = 1;
    bool m_bSendMove = false;
    CDuiString m_sThumbImage, m_sThumbHotImage, m_sThumbPushedImage;
};

} // namespace DuiLib
