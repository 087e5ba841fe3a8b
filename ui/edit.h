#pragma once
// Text entry: the single-line edit (a Qt line edit lies over it while it has the focus) and
// the multi-line rich edit.

#include <QPointer>

#include "ui/container.h"
#include "ui/controls.h"

class QLineEdit;
class QPlainTextEdit;

namespace DuiLib {

class CEditUI : public CLabelUI {
public:
    CEditUI();
    ~CEditUI() override;
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    void SetEnabled(bool bEnable = true) override;
    void SetText(LPCTSTR pstrText) override;
    void SetMaxChar(UINT uMax);
    UINT GetMaxChar() const { return m_uMaxChar; }
    void SetReadOnly(bool bReadOnly);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetPasswordMode(bool bPasswordMode);
    bool IsPasswordMode() const { return m_bPasswordMode; }
    void SetPasswordChar(TCHAR cPasswordChar) { m_cPasswordChar = cPasswordChar; }
    void SetNumberOnly(bool bNumberOnly);
    bool IsNumberOnly() const { return m_bNumberOnly; }
    // Limits of a number-only edit, applied when it loses the focus.
    void SetMinNumber(int iMin);
    int GetMinNumber() const { return m_iMinNumber; }
    void SetMaxNumber(int iMax);
    int GetMaxNumber() const { return m_iMaxNumber; }
    void SetTipValue(LPCTSTR pStrTipValue) { m_sTipValue = pStrTipValue; Invalidate(); }
    LPCTSTR GetTipValue() const { return m_sTipValue; }
    void SetTipValueColor(DWORD c) { m_dwTipValueColor = c; }
    void SetNativeEditBkColor(DWORD c) { m_dwEditbkColor = c; }
    void SetNativeEditTextColor(DWORD c) { m_dwEditTextColor = c; }
    void SetSel(long nStartChar, long nEndChar);
    void SetSelAll();
    // The Qt editor while the edit has the focus, else null.
    QLineEdit* GetNativeEdit() const;

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetVisible(bool bVisible = true) override;
    void SetInternVisible(bool bVisible = true) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    // Keeps a number-only text inside the limits (as leaving the edit does); answers whether
    // it changed.
    bool ClampNumber();

private:
    void OpenEditor();
    void CloseEditor();
    // Applies the typing rules (digits only, maximum length) to text set from code or typed
    // without the Qt editor.
    CDuiString Filter(const CDuiString& text) const;

    // The editor is a child of the host widget: it goes with the window when the window goes first.
    QPointer<QLineEdit> m_pEdit;
    UINT m_uMaxChar = 255;
    bool m_bReadOnly = false;
    bool m_bPasswordMode = false;
    TCHAR m_cPasswordChar = L'*';
    bool m_bNumberOnly = false;
    bool m_bAutoSelAll = false;
    int m_iMinNumber = 0;
    int m_iMaxNumber = 0;
    bool m_bHasMin = false;
    bool m_bHasMax = false;
    CDuiString m_sTipValue;
    DWORD m_dwTipValueColor = 0xFFBAC0C5;
    DWORD m_dwEditbkColor = 0xFFFFFFFF;
    DWORD m_dwEditTextColor = 0;
    UINT m_uButtonState = 0;
    CDuiString m_sNormalImage, m_sHotImage, m_sFocusedImage, m_sDisabledImage;
};

class CRichEditUI : public CContainerUI {
public:
    CRichEditUI();
    ~CRichEditUI() override;
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    void SetText(LPCTSTR pstrText) override;
    CDuiString GetText() const override;
    void SetTipValue(LPCTSTR pStrTipValue) { m_sTipValue = pStrTipValue; Invalidate(); }
    LPCTSTR GetTipValue() const { return m_sTipValue; }
    void SetTipValueColor(DWORD c) { m_dwTipValueColor = c; Invalidate(); }
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool b) { m_bReadOnly = b; }
    bool IsWantReturn() const { return m_bWantReturn; }
    void SetWantReturn(bool b) { m_bWantReturn = b; }
    void SetFont(int index) { m_iFont = index; Invalidate(); }
    void SetTextColor(DWORD c) { m_dwTextColor = c; Invalidate(); }
    void SetLimitText(int iChars) { m_iLimitText = iChars; }
    QPlainTextEdit* GetNativeEdit() const;
    // Called by the editor: Enter was pressed where it does not add a line.
    void OnReturnKey();

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetVisible(bool bVisible = true) override;
    void SetInternVisible(bool bVisible = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintText(HDC hDC) override;

private:
    void OpenEditor();
    void CloseEditor();

    QPointer<QPlainTextEdit> m_pEdit;
    CDuiString m_sTipValue;
    DWORD m_dwTipValueColor = 0xFFBAC0C5;
    DWORD m_dwTextColor = 0;
    int m_iFont = -1;
    int m_iLimitText = 32767;
    RECT m_rcTextPadding;
    UINT m_uTextStyle = DT_LEFT | DT_TOP | DT_WORDBREAK;
    bool m_bReadOnly = false;
    bool m_bWantReturn = true;
    bool m_bWantTab = true;
    bool m_bMultiLine = true;
};

} // namespace DuiLib
