#pragma once
// The program's own controls: key buttons and the rubber-band selector, image buttons, the
// recording button, the level trace, the circular progress, a native-window host, two list
// rows and the bar chart. Each answers its own class string, reads its own attributes and
// leaves every other attribute to its base.

#include <vector>

#include "ui/controls.h"
#include "ui/list.h"

namespace DuiLib {

class CDeviceKeyButtonUI : public CButtonUI {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    void SetLightImage(LPCTSTR pstrImage) { m_sLightImage = pstrImage; Invalidate(); }
    LPCTSTR GetLightImage() const { return m_sLightImage; }
    void SetKeySetImage(LPCTSTR pstrImage) { m_sKeySetImage = pstrImage; Invalidate(); }
    LPCTSTR GetKeySetImage() const { return m_sKeySetImage; }
    void SetShowLightImage(bool bShow) { m_bShowLightImage = bShow; Invalidate(); }
    bool IsShowLightImage() const { return m_bShowLightImage; }
    void SetHideKeySetImage(bool bHide) { m_bHideKeySetImage = bHide; Invalidate(); }
    bool IsHideKeySetImage() const { return m_bHideKeySetImage; }
    void SetSelect(bool bSelect) { m_bSelect = bSelect; Invalidate(); }
    bool IsSelect() const { return m_bSelect; }
    // The LED colour as the devices pack it (red | blue << 8 | green << 16) and its level
    // 0..255; shown as a tint while the light is shown.
    void SetLightColor(DWORD dwPackedRBG, BYTE level = 255);
    // The colour shown, as 0xFFRRGGBB.
    DWORD GetLightColor() const { return m_dwLightColor; }
    DWORD GetGmNameTextColor() const { return m_dwGmNameTextColor; }

    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintBorder(HDC hDC) override;
    bool CanCacheLook() const override;

private:
    CDuiString m_sLightImage;
    CDuiString m_sKeySetImage;
    bool m_bShowLightImage = false;
    bool m_bHideKeySetImage = true;
    BYTE m_uLightFade1 = 255;
    BYTE m_uLightFade2 = 200;
    DWORD m_dwTextColor2 = 0xFF000000;
    DWORD m_dwSelectColor = 0xFF0099FF;
    DWORD m_dwLightColor = 0;
    DWORD m_dwGmNameTextColor = 0;
    bool m_bSelect = false;
};

class CSelectPanelUI : public CVerticalLayoutUI {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    // The selection rectangle, ordered (left <= right, top <= bottom).
    RECT GetSelectRect() const;
    bool IsDragging() const { return m_bDragging; }
    void DoEvent(TEventUI& event) override;
    bool DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) override;

private:
    POINT m_ptStart;
    POINT m_ptEnd;
    bool m_bDragging = false;
};

class CHandImgButtonUI : public CButtonUI {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetDeleteLock(bool bLock) { m_bDeleteLock = bLock; Invalidate(); }
    bool IsDeleteLock() const { return m_bDeleteLock; }
    void SetHandImage(LPCTSTR pstrImage) { m_sHandImage = pstrImage; Invalidate(); }
    LPCTSTR GetHandImage() const { return m_sHandImage; }
    // The delete icon's box at the bottom-right corner.
    RECT GetDeleteRect() const;

    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintStatusImage(HDC hDC) override;

private:
    CDuiString m_sHandImage, m_sDeleteNormalImage, m_sDeleteHotImage;
    bool m_bDeleteLock = true;
    bool m_bMouseIn = false;
    bool m_bInDelete = false;
};

class CHandImgSelectButtonUI : public CButtonUI {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetHandImage(LPCTSTR pstrImage);
    // The part of the hand image shown (image pixels).
    RECT GetSourceRect() const { return m_rcSource; }

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintStatusImage(HDC hDC) override;

private:
    void ClampSource();
    CDuiString m_sHandImage;
    RECT m_rcSource;
    POINT m_ptLast;
    bool m_bPanning = false;
};

class CRedioMacroButtonUI : public CButtonUI {
public:
    static constexpr UINT kBlinkTimer = 100;
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    // Switches the recording blink on (timer 100, every 50 ms) or off.
    void SetBlink(bool bBlink);
    bool IsBlink() const { return m_bBlink; }
    int GetFade() const { return m_nFade; }
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

private:
    void ShowFade();
    CDuiString m_sRedioImage;
    bool m_bBlink = false;
    int m_nFade = 255;
    int m_nStep = -20;
};

class CAudioRecordUI : public CLabelUI {
public:
    static constexpr int kSampleCount = 500;
    CAudioRecordUI();
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    // Levels 0..8192, at most 500 kept.
    void SetSamples(const std::vector<int>& samples);
    const std::vector<int>& GetSamples() const { return m_samples; }
    void PaintStatusImage(HDC hDC) override;

private:
    std::vector<int> m_samples;
};

class CCircleProgressUI : public CProgressUI {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    // The ring's sweep in degrees: (value - min) / (max - min) * 360, 0 for an empty range.
    double GetSweepAngle() const;
    void PaintBkColor(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintForeColor(HDC hDC) override;
};

class CWndUI : public CControlUI {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    // Hosts a window of this process (a CWindowWnd's handle); false for unknown handles.
    bool Attach(HWND hWndNew);
    HWND Detach();
    HWND GetHWND() const { return m_hWnd; }
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetVisible(bool bVisible = true) override;
    void SetInternVisible(bool bVisible = true) override;

private:
    void Sync();
    HWND m_hWnd = nullptr;
};

class CComboEditContainerElementUI : public CListContainerElementUI {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void DoInit() override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    bool IsChanged() const { return m_bChanged; }
    void SetChanged(bool bChanged) { m_bChanged = bChanged; }
    CControlUI* GetText1() const { return m_pText1; }
    CControlUI* GetText2() const { return m_pText2; }
    CControlUI* GetDelayEdit() const { return m_pDelayEdit; }

private:
    CControlUI* m_pText1 = nullptr;
    CControlUI* m_pText2 = nullptr;
    CControlUI* m_pDelayEdit = nullptr;
    bool m_bChanged = false;
};

class CCloudShareListItemUI : public CListContainerElementUI {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void DoEvent(TEventUI& event) override;
    void PaintBkColor(HDC hDC) override;
};

class CChartViewUI : public CControlUI {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void AddItem(LPCTSTR pstrName, double value);
    void RemoveAllItems();
    int GetItemCount() const { return int(m_items.size()); }
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintStatusImage(HDC hDC) override;
    // The fore colour fills the bars, not the control.
    void PaintForeColor(HDC) override {}

private:
    struct Item {
        CDuiString name;
        double value;
    };
    std::vector<Item> m_items;
    CDuiString m_sView;
    CDuiString m_sShadowImage;
    int m_nShadowImageHeight = 0;
    CDuiString m_sPillarImage;
    int m_nPillarImageWidth = 0;
    bool m_bShowHtml = false;
    bool m_bShowText = true;
    int m_iFont = -1;
};

// Registers every class above with the control factory under its "C...UI" name.
void RegisterCustomControls();

} // namespace DuiLib
