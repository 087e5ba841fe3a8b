#include "ui/controls.h"

#include <QPainter>

#include <algorithm>
#include <typeinfo>

#include "ui/accessible.h"
#include "ui/container.h"
#include "ui/manager.h"
#include "ui/values.h"

namespace DuiLib {
namespace {

int ClampInt(int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); }

} // namespace

// ================================================================ CLabelUI

CLabelUI::CLabelUI() = default;

LPCTSTR CLabelUI::GetClass() const { return L"LabelUI"; }
LPVOID CLabelUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_LABEL)) return this;
    return CControlUI::GetInterface(pstrName);
}

void CLabelUI::SetTextStyle(UINT uStyle) { m_uTextStyle = uStyle; Invalidate(); }
void CLabelUI::SetTextColor(DWORD c) { m_dwTextColor = c; Invalidate(); }
void CLabelUI::SetDisabledTextColor(DWORD c) { m_dwDisabledTextColor = c; Invalidate(); }
void CLabelUI::SetFont(int index) { m_iFont = index; Invalidate(); }
RECT CLabelUI::GetTextPadding() const { return ScaleRect(m_rcTextPadding); }
void CLabelUI::SetTextPadding(RECT rc) { m_rcTextPadding = rc; Invalidate(); }
void CLabelUI::SetShowHtml(bool b) { m_bShowHtml = b; Invalidate(); }

SIZE CLabelUI::EstimateSize(SIZE szAvailable) {
    SIZE sz{GetFixedWidth(), GetFixedHeight()};
    if (!m_pManager) return sz;
    RECT pad = GetTextPadding();
    if (sz.cy == 0 && (m_uTextStyle & DT_SINGLELINE)) {
        const TFontInfo* f = m_pManager->GetFontInfo(m_iFont);
        sz.cy = (f ? f->tmHeight : 12) + Scale(8) + pad.top + pad.bottom;
    }
    if (sz.cx == 0 && m_bAutoCalcWidth) {
        int cx = 0;
        if (m_bShowHtml) {
            RECT rc{0, 0, 0, 0};
            CRenderEngine::DrawHtmlText(nullptr, m_pManager, rc, GetText(), 0, m_iFont, m_uTextStyle | DT_CALCRECT);
            cx = rc.right;
        } else {
            cx = CRenderEngine::GetTextSize(m_pManager, GetText(), m_iFont, m_uTextStyle, szAvailable.cx).cx;
        }
        sz.cx = cx + pad.left + pad.right;
    }
    if (sz.cy == 0 && m_bAutoCalcHeight && !(m_uTextStyle & DT_SINGLELINE)) {
        // The height of the text wrapped in the width the control gets.
        const int width = (sz.cx > 0 ? sz.cx : szAvailable.cx) - pad.left - pad.right;
        if (width > 0) {
            RECT rc{0, 0, width, 0};
            if (m_bShowHtml) CRenderEngine::DrawHtmlText(nullptr, m_pManager, rc, GetText(), 0, m_iFont, m_uTextStyle | DT_CALCRECT);
            else rc.bottom = CRenderEngine::GetTextSize(m_pManager, GetText(), m_iFont, m_uTextStyle, width).cy;
            sz.cy = rc.bottom + pad.top + pad.bottom;
        }
    }
    return sz;
}

void CLabelUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    LookChanged();
    using namespace values;
    std::wstring n = values::Lower(pstrName);
    std::wstring v(pstrValue);
    if (n == L"align") {
        m_uTextStyle &= ~(DT_CENTER | DT_RIGHT);
        if (v.find(L"center") != std::wstring::npos) m_uTextStyle |= DT_CENTER;
        else if (v.find(L"right") != std::wstring::npos) m_uTextStyle |= DT_RIGHT;
        Invalidate();
    } else if (n == L"valign") {
        m_uTextStyle &= ~(DT_VCENTER | DT_BOTTOM);
        if (v.find(L"bottom") != std::wstring::npos) m_uTextStyle |= DT_BOTTOM;
        else if (v.find(L"top") == std::wstring::npos) m_uTextStyle |= DT_VCENTER;
        Invalidate();
    } else if (n == L"endellipsis") {
        if (ParseBool(pstrValue)) m_uTextStyle |= DT_END_ELLIPSIS;
        else m_uTextStyle &= ~DT_END_ELLIPSIS;
    } else if (n == L"wordbreak" || n == L"multiline") {
        if (ParseBool(pstrValue)) {
            m_uTextStyle &= ~DT_SINGLELINE;
            m_uTextStyle |= DT_WORDBREAK;
        } else {
            m_uTextStyle &= ~DT_WORDBREAK;
            m_uTextStyle |= DT_SINGLELINE;
        }
    } else if (n == L"noprefix") {
        if (ParseBool(pstrValue)) m_uTextStyle |= DT_NOPREFIX;
        else m_uTextStyle &= ~DT_NOPREFIX;
    } else if (n == L"font") SetFont(ParseInt(pstrValue));
    else if (n == L"textcolor") SetTextColor(ParseColor(pstrValue));
    else if (n == L"disabledtextcolor") SetDisabledTextColor(ParseColor(pstrValue));
    else if (n == L"textpadding") SetTextPadding(ParseRect(pstrValue));
    else if (n == L"showhtml") SetShowHtml(ParseBool(pstrValue));
    else if (n == L"autocalcheight") m_bAutoCalcHeight = ParseBool(pstrValue);
    else if (n == L"autocalcwidth") m_bAutoCalcWidth = ParseBool(pstrValue);
    else CControlUI::SetAttribute(pstrName, pstrValue);
}

bool CLabelUI::CanCacheLook() const {
    // Only the classes whose painting is known here: a subclass may draw from state of its own.
    const std::type_info& type = typeid(*this);
    return !m_bShowHtml && (type == typeid(CLabelUI) || type == typeid(CButtonUI) || type == typeid(COptionUI) || type == typeid(CCheckBoxUI));
}

DWORD CLabelUI::TextColorOr(DWORD color) const {
    if (color != 0) return color;
    return m_pManager ? m_pManager->GetDefaultFontColor() : 0xFF000000;
}

void CLabelUI::DrawLabelText(HDC hDC, const CDuiString& text, DWORD color, int font) {
    if (text.IsEmpty()) return;
    RECT pad = GetTextPadding();
    RECT rc{m_rcItem.left + pad.left, m_rcItem.top + pad.top, m_rcItem.right - pad.right, m_rcItem.bottom - pad.bottom};
    if (m_bShowHtml) {
        m_links.clear();
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, text, color, font, m_uTextStyle, &m_links, m_iHoverLink);
    } else {
        CRenderEngine::DrawText(hDC, m_pManager, rc, text, color, font, m_uTextStyle);
    }
}

void CLabelUI::PaintText(HDC hDC) {
    DWORD color = IsEnabled() ? TextColorOr(m_dwTextColor)
                              : (m_dwDisabledTextColor ? m_dwDisabledTextColor : m_pManager ? m_pManager->GetDefaultDisabledColor() : 0xFFA7A6AA);
    DrawLabelText(hDC, GetText(), color, m_iFont);
}

// ================================================================ CTextUI

CTextUI::CTextUI() {
    m_uTextStyle = DT_WORDBREAK;
    m_rcTextPadding = RECT{2, 0, 2, 0};
    m_bShowHtml = true;
}

LPCTSTR CTextUI::GetClass() const { return L"TextUI"; }
LPVOID CTextUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_TEXT)) return this;
    return CLabelUI::GetInterface(pstrName);
}

UINT CTextUI::GetControlFlags() const { return (IsEnabled() && !m_links.empty()) ? UIFLAG_SETCURSOR : 0; }

int CTextUI::LinkAt(POINT pt) const {
    for (size_t i = 0; i < m_links.size(); ++i) {
        if (PtInRect(m_links[i].rc, pt)) return m_links[i].iLink;
    }
    return -1;
}

void CTextUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pParent) m_pParent->DoEvent(event);
        return;
    }
    if (event.Type == UIEVENT_SETCURSOR) return;
    if (event.Type == UIEVENT_MOUSEMOVE || event.Type == UIEVENT_MOUSELEAVE) {
        const int link = event.Type == UIEVENT_MOUSEMOVE && IsEnabled() ? LinkAt(event.ptMouse) : -1;
        if (link != m_iHoverLink) {
            m_iHoverLink = link;
            Invalidate();
        }
    }
    if (event.Type == UIEVENT_BUTTONUP && IsEnabled()) {
        int link = LinkAt(event.ptMouse);
        if (link >= 0 && m_pManager) {
            m_pManager->SendNotify(this, DUI_MSGTYPE_LINK, WPARAM(link));
            return;
        }
    }
    CLabelUI::DoEvent(event);
}

SIZE CTextUI::EstimateSize(SIZE szAvailable) {
    if (m_bAutoCalcHeight) return CLabelUI::EstimateSize(szAvailable);
    return SIZE{GetFixedWidth(), GetFixedHeight()};
}

void CTextUI::PaintText(HDC hDC) { CLabelUI::PaintText(hDC); }

// ================================================================ CButtonUI

CButtonUI::CButtonUI() { m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER; }

LPCTSTR CButtonUI::GetClass() const { return L"ButtonUI"; }
LPVOID CButtonUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_BUTTON)) return this;
    return CLabelUI::GetInterface(pstrName);
}

UINT CButtonUI::GetControlFlags() const { return (IsKeyboardEnabled() ? UIFLAG_TABSTOP : 0) | (IsEnabled() ? UIFLAG_SETCURSOR : 0); }

bool CButtonUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_pManager) {
        m_pManager->SendNotify(this, DUI_MSGTYPE_CLICK);
        if (!m_sBindTabLayoutName.IsEmpty() && m_iBindTabIndex >= 0) {
            if (auto* tab = static_cast<CTabLayoutUI*>(m_pManager->FindControl(m_sBindTabLayoutName))) {
                if (tab->GetInterface(DUI_CTR_TABLAYOUT)) tab->SelectItem(m_iBindTabIndex);
            }
        }
    }
    return true;
}

void CButtonUI::SetEnabled(bool bEnable) {
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CButtonUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pParent) m_pParent->DoEvent(event);
        else CLabelUI::DoEvent(event);
        return;
    }
    auto rich = [this](LPCTSTR type) {
        LPCTSTR r = GetCustomAttribute(L"richevent");
        if (r && values::ParseBool(r) && m_pManager) m_pManager->SendNotify(this, type);
    };
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        CLabelUI::DoEvent(event);
        Invalidate();
        return;
    case UIEVENT_KEYDOWN:
        if (IsKeyboardEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
            Activate();
            return;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (PtInRect(m_rcItem, event.ptMouse) && IsEnabled()) {
            m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
            Invalidate();
            rich(DUI_MSGTYPE_BUTTONDOWN);
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_uButtonState & UISTATE_CAPTURED) {
            if (PtInRect(m_rcItem, event.ptMouse)) m_uButtonState |= UISTATE_PUSHED;
            else m_uButtonState &= ~UISTATE_PUSHED;
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONUP:
        if (m_uButtonState & UISTATE_CAPTURED) {
            m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
            Invalidate();
            if (PtInRect(m_rcItem, event.ptMouse)) Activate();
        }
        return;
    case UIEVENT_CONTEXTMENU:
        if (IsContextMenuUsed() && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_MENU, event.wParam, event.lParam);
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
            rich(DUI_MSGTYPE_MOUSEENTER);
        }
        return;
    case UIEVENT_MOUSELEAVE:
        m_uButtonState &= ~UISTATE_HOT;
        Invalidate();
        rich(DUI_MSGTYPE_MOUSELEAVE);
        return;
    case UIEVENT_SETCURSOR:
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CButtonUI::SetNormalImage(LPCTSTR s) { m_sNormalImage = s; Invalidate(); }
void CButtonUI::SetHotImage(LPCTSTR s) { m_sHotImage = s; Invalidate(); }
void CButtonUI::SetPushedImage(LPCTSTR s) { m_sPushedImage = s; Invalidate(); }
void CButtonUI::SetFocusedImage(LPCTSTR s) { m_sFocusedImage = s; Invalidate(); }
void CButtonUI::SetDisabledImage(LPCTSTR s) { m_sDisabledImage = s; Invalidate(); }
void CButtonUI::SetHotForeImage(LPCTSTR s) { m_sHotForeImage = s; Invalidate(); }
void CButtonUI::SetHotBkColor(DWORD c) { m_dwHotBkColor = c; Invalidate(); }
void CButtonUI::SetHotTextColor(DWORD c) { m_dwHotTextColor = c; Invalidate(); }
void CButtonUI::SetPushedTextColor(DWORD c) { m_dwPushedTextColor = c; Invalidate(); }
void CButtonUI::SetFocusedTextColor(DWORD c) { m_dwFocusedTextColor = c; Invalidate(); }

SIZE CButtonUI::EstimateSize(SIZE szAvailable) { return CLabelUI::EstimateSize(szAvailable); }

void CButtonUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    LookChanged();
    using namespace values;
    std::wstring n = values::Lower(pstrName);
    if (n == L"normalimage") SetNormalImage(pstrValue);
    else if (n == L"hotimage") SetHotImage(pstrValue);
    else if (n == L"pushedimage") SetPushedImage(pstrValue);
    else if (n == L"focusedimage") SetFocusedImage(pstrValue);
    else if (n == L"disabledimage") SetDisabledImage(pstrValue);
    else if (n == L"hotforeimage") SetHotForeImage(pstrValue);
    else if (n == L"pushedforeimage") m_sPushedForeImage = pstrValue;
    else if (n == L"stateimage") m_sStateImage = pstrValue;
    else if (n == L"statecount") m_nStateCount = ParseInt(pstrValue);
    else if (n == L"hotbkcolor") SetHotBkColor(ParseColor(pstrValue));
    else if (n == L"pushedbkcolor") m_dwPushedBkColor = ParseColor(pstrValue);
    else if (n == L"disabledbkcolor") m_dwDisabledBkColor = ParseColor(pstrValue);
    else if (n == L"hottextcolor") SetHotTextColor(ParseColor(pstrValue));
    else if (n == L"pushedtextcolor") SetPushedTextColor(ParseColor(pstrValue));
    else if (n == L"focusedtextcolor") SetFocusedTextColor(ParseColor(pstrValue));
    else if (n == L"hotbordercolor") m_dwHotBorderColor = ParseColor(pstrValue);
    else if (n == L"pushedbordercolor") m_dwPushedBorderColor = ParseColor(pstrValue);
    else if (n == L"disabledbordercolor") m_dwDisabledBorderColor = ParseColor(pstrValue);
    else if (n == L"hotfont") m_iHotFont = ParseInt(pstrValue);
    else if (n == L"pushedfont") m_iPushedFont = ParseInt(pstrValue);
    else if (n == L"focuedfont" || n == L"focusedfont") m_iFocusedFont = ParseInt(pstrValue);
    else if (n == L"bindtablayoutname") m_sBindTabLayoutName = pstrValue;
    else if (n == L"bindtabindex") m_iBindTabIndex = ParseInt(pstrValue);
    else CLabelUI::SetAttribute(pstrName, pstrValue);
}

void CButtonUI::PaintBkColor(HDC hDC) {
    DWORD color = 0;
    if (!IsEnabled()) color = m_dwDisabledBkColor;
    else if (m_uButtonState & UISTATE_PUSHED) color = m_dwPushedBkColor ? m_dwPushedBkColor : m_dwHotBkColor;
    else if (m_uButtonState & UISTATE_HOT) color = m_dwHotBkColor;
    if (color != 0) CRenderEngine::DrawColor(hDC, m_rcItem, color);
    else CLabelUI::PaintBkColor(hDC);
}

void CButtonUI::PaintText(HDC hDC) {
    CDuiString text = GetText();
    if (text.IsEmpty()) return;
    DWORD color = m_dwTextColor;
    int font = m_iFont;
    if (!IsEnabled()) {
        color = m_dwDisabledTextColor ? m_dwDisabledTextColor : m_pManager ? m_pManager->GetDefaultDisabledColor() : 0;
    } else if ((m_uButtonState & UISTATE_PUSHED) && (m_dwPushedTextColor || m_iPushedFont >= 0)) {
        if (m_dwPushedTextColor) color = m_dwPushedTextColor;
        if (m_iPushedFont >= 0) font = m_iPushedFont;
    } else if ((m_uButtonState & UISTATE_HOT) && (m_dwHotTextColor || m_iHotFont >= 0)) {
        if (m_dwHotTextColor) color = m_dwHotTextColor;
        if (m_iHotFont >= 0) font = m_iHotFont;
    } else if (IsFocused() && (m_dwFocusedTextColor || m_iFocusedFont >= 0)) {
        if (m_dwFocusedTextColor) color = m_dwFocusedTextColor;
        if (m_iFocusedFont >= 0) font = m_iFocusedFont;
    }
    DrawLabelText(hDC, text, TextColorOr(color), font);
}

bool CButtonUI::PaintStateFrame(HDC hDC, const CDuiString& image, int count, int frame) {
    if (image.IsEmpty() || count <= 0 || !m_pManager) return false;
    TDrawInfo info;
    info.Parse(image);
    const TImageInfo* img = m_pManager->GetImageEx(info.sImageName, info.sResType, info.dwMask);
    if (!img) return false;
    int w = int(img->nX / img->fSourceScale) / count;
    int h = int(img->nY / img->fSourceScale);
    frame = std::min(frame, count - 1);
    info.rcSource = RECT{w * frame, 0, w * (frame + 1), h};
    info.bSource = true;
    return CRenderEngine::DrawImageInfo(hDC, m_pManager, m_rcItem, m_rcItem, info);
}

void CButtonUI::PaintStatusImage(HDC hDC) {
    if (!m_sStateImage.IsEmpty() && m_nStateCount > 0) {
        int frame = 0;
        if (!IsEnabled()) frame = 3;
        else if (m_uButtonState & UISTATE_PUSHED) frame = 2;
        else if (m_uButtonState & UISTATE_HOT) frame = 1;
        if (m_nStateCount == 2 && frame > 0) frame = 1;
        if (PaintStateFrame(hDC, m_sStateImage, m_nStateCount, frame)) return;
    }
    if (IsFocused()) m_uButtonState |= UISTATE_FOCUSED;
    else m_uButtonState &= ~UISTATE_FOCUSED;
    if (!IsEnabled()) m_uButtonState |= UISTATE_DISABLED;
    else m_uButtonState &= ~UISTATE_DISABLED;
    const CDuiString* image = &m_sNormalImage;
    if ((m_uButtonState & UISTATE_DISABLED) && !m_sDisabledImage.IsEmpty()) image = &m_sDisabledImage;
    else if ((m_uButtonState & UISTATE_PUSHED) && !m_sPushedImage.IsEmpty()) image = &m_sPushedImage;
    else if ((m_uButtonState & UISTATE_HOT) && !m_sHotImage.IsEmpty()) image = &m_sHotImage;
    else if ((m_uButtonState & UISTATE_FOCUSED) && !m_sFocusedImage.IsEmpty()) image = &m_sFocusedImage;
    if (!image->IsEmpty()) DrawImage(hDC, *image);
}

void CButtonUI::PaintForeImage(HDC hDC) {
    if ((m_uButtonState & UISTATE_PUSHED) && !m_sPushedForeImage.IsEmpty()) DrawImage(hDC, m_sPushedForeImage);
    else if ((m_uButtonState & UISTATE_HOT) && !m_sHotForeImage.IsEmpty()) DrawImage(hDC, m_sHotForeImage);
    else CLabelUI::PaintForeImage(hDC);
}

// ================================================================ COptionUI

COptionUI::~COptionUI() {
    if (!m_sGroupName.IsEmpty() && m_pManager) m_pManager->RemoveOptionGroup(m_sGroupName, this);
}

LPCTSTR COptionUI::GetClass() const { return L"OptionUI"; }
LPVOID COptionUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_OPTION)) return this;
    return CButtonUI::GetInterface(pstrName);
}

void COptionUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit) {
    if (m_pManager && m_pManager != pManager && !m_sGroupName.IsEmpty()) m_pManager->RemoveOptionGroup(m_sGroupName, this);
    CButtonUI::SetManager(pManager, pParent, bInit);
    if (m_pManager && !m_sGroupName.IsEmpty()) m_pManager->AddOptionGroup(m_sGroupName, this);
}

void COptionUI::SetGroup(LPCTSTR pStrGroupName) {
    CDuiString name(pStrGroupName ? pStrGroupName : L"");
    if (name == m_sGroupName) return;
    if (m_pManager && !m_sGroupName.IsEmpty()) m_pManager->RemoveOptionGroup(m_sGroupName, this);
    m_sGroupName = name;
    if (m_pManager && !m_sGroupName.IsEmpty()) m_pManager->AddOptionGroup(m_sGroupName, this);
    Selected(m_bSelected, false);
}

void COptionUI::Selected(bool bSelected, bool bTriggerEvent) {
    if (m_bSelected == bSelected) return;
    m_bSelected = bSelected;
    if (m_bSelected) m_uButtonState |= UISTATE_SELECTED;
    else m_uButtonState &= ~UISTATE_SELECTED;
    if (m_pManager) {
        if (!m_sGroupName.IsEmpty() && m_bSelected) {
            if (auto* group = m_pManager->GetOptionGroup(m_sGroupName)) {
                auto members = *group;
                for (auto* c : members) {
                    auto* other = static_cast<COptionUI*>(c);
                    if (other == this) continue;
                    if (!m_sGroupType.IsEmpty() && other->m_sGroupType == m_sGroupType) continue;
                    other->Selected(false, bTriggerEvent);
                }
            }
        }
        if (bTriggerEvent) m_pManager->SendNotify(this, DUI_MSGTYPE_SELECTCHANGED, SelectChangedParam());
    }
    Invalidate();
    a11y::StateChanged(this);
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    if (!m_sGroupName.IsEmpty()) Selected(true);
    else Selected(!m_bSelected);
    return true;
}

void COptionUI::SetEnabled(bool bEnable) {
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = m_bSelected ? UINT(UISTATE_SELECTED) : 0u;
}

void COptionUI::SetSelectedImage(LPCTSTR s) { m_sSelectedImage = s; Invalidate(); }
void COptionUI::SetSelectedHotImage(LPCTSTR s) { m_sSelectedHotImage = s; Invalidate(); }
void COptionUI::SetSelectedTextColor(DWORD c) { m_dwSelectedTextColor = c; Invalidate(); }
void COptionUI::SetSelectedBkColor(DWORD c) { m_dwSelectedBkColor = c; Invalidate(); }

SIZE COptionUI::EstimateSize(SIZE szAvailable) { return CButtonUI::EstimateSize(szAvailable); }

void COptionUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    LookChanged();
    using namespace values;
    std::wstring n = values::Lower(pstrName);
    if (n == L"group") SetGroup(pstrValue);
    else if (n == L"grouptype") m_sGroupType = pstrValue;
    else if (n == L"selected") Selected(ParseBool(pstrValue));
    else if (n == L"selectedimage") SetSelectedImage(pstrValue);
    else if (n == L"selectedhotimage") SetSelectedHotImage(pstrValue);
    else if (n == L"selectedpushedimage") m_sSelectedPushedImage = pstrValue;
    else if (n == L"selectedforeimage") m_sSelectedForeImage = pstrValue;
    else if (n == L"selectedtextcolor") SetSelectedTextColor(ParseColor(pstrValue));
    else if (n == L"selectedbkcolor") SetSelectedBkColor(ParseColor(pstrValue));
    else if (n == L"selectedfont") m_iSelectedFont = ParseInt(pstrValue);
    else CButtonUI::SetAttribute(pstrName, pstrValue);
}

void COptionUI::PaintBkColor(HDC hDC) {
    if (m_bSelected && m_dwSelectedBkColor != 0) CRenderEngine::DrawColor(hDC, m_rcItem, m_dwSelectedBkColor);
    else CButtonUI::PaintBkColor(hDC);
}

void COptionUI::PaintStatusImage(HDC hDC) {
    if (m_bSelected) {
        const CDuiString* image = &m_sSelectedImage;
        if ((m_uButtonState & UISTATE_PUSHED) && !m_sSelectedPushedImage.IsEmpty()) image = &m_sSelectedPushedImage;
        else if ((m_uButtonState & UISTATE_HOT) && !m_sSelectedHotImage.IsEmpty()) image = &m_sSelectedHotImage;
        if (!image->IsEmpty()) {
            DrawImage(hDC, *image);
            return;
        }
    }
    CButtonUI::PaintStatusImage(hDC);
}

void COptionUI::PaintForeImage(HDC hDC) {
    if (m_bSelected && !m_sSelectedForeImage.IsEmpty()) DrawImage(hDC, m_sSelectedForeImage);
    else CButtonUI::PaintForeImage(hDC);
}

void COptionUI::PaintText(HDC hDC) {
    if (m_bSelected && IsEnabled() && (m_dwSelectedTextColor || m_iSelectedFont >= 0)) {
        DrawLabelText(hDC, GetText(), TextColorOr(m_dwSelectedTextColor ? m_dwSelectedTextColor : m_dwTextColor),
                      m_iSelectedFont >= 0 ? m_iSelectedFont : m_iFont);
        return;
    }
    CButtonUI::PaintText(hDC);
}

LPCTSTR CCheckBoxUI::GetClass() const { return L"CheckBoxUI"; }
LPVOID CCheckBoxUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_CHECKBOX)) return this;
    return COptionUI::GetInterface(pstrName);
}

bool CCheckBoxUI::Activate() {
    if (!m_bAutoCheck) return COptionUI::Activate();
    if (!CControlUI::Activate()) return false;
    AutoCheck();
    return true;
}

void CCheckBoxUI::DoEvent(TEventUI& event) {
    if (m_bAutoCheck && IsMouseEnabled() && (event.Type == UIEVENT_BUTTONDOWN || event.Type == UIEVENT_DBLCLICK)) {
        if (PtInRect(m_rcItem, event.ptMouse) && IsEnabled()) AutoCheck();
        return;
    }
    COptionUI::DoEvent(event);
}

void CCheckBoxUI::AutoCheck() {
    Selected(!m_bSelected);
    if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_CHECKCLICK);
    Invalidate();
}

void CCheckBoxUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    if (values::EqualNoCase(pstrName, L"EnableAutoCheck")) SetAutoCheck(values::ParseBool(pstrValue));
    else COptionUI::SetAttribute(pstrName, pstrValue);
}

void CCheckBoxUI::PaintStatusImage(HDC hDC) {
    if (!m_sNormalImage.IsEmpty() || !m_sSelectedImage.IsEmpty() || !m_sStateImage.IsEmpty()) {
        COptionUI::PaintStatusImage(hDC);
        return;
    }
    const int s = Scale(14);
    const int x = m_rcItem.left + Scale(2), y = (m_rcItem.top + m_rcItem.bottom - s) / 2;
    RECT box{x, y, x + s, y + s};
    const bool hot = (m_uButtonState & UISTATE_HOT) != 0;
    if (m_bSelected) CRenderEngine::FillRoundRect(hDC, box, Scale(4), Scale(4), IsEnabled() ? 0xFF3A7BD5 : 0xFFA0A0A0);
    else CRenderEngine::DrawRoundRect(hDC, box, Scale(1), Scale(4), Scale(4), hot ? 0xFF3A7BD5 : 0xFF8F96A3);
    if (m_bSelected) {
        hDC->save();
        hDC->setRenderHint(QPainter::Antialiasing);
        hDC->setPen(QPen(Qt::white, std::max(1.5, Scale(2) * 0.9), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF mark[3] = {QPointF(x + s * 0.22, y + s * 0.52), QPointF(x + s * 0.42, y + s * 0.72), QPointF(x + s * 0.78, y + s * 0.30)};
        hDC->drawPolyline(mark, 3);
        hDC->restore();
    }
}

void CCheckBoxUI::PaintText(HDC hDC) {
    if (!m_sNormalImage.IsEmpty() || !m_sSelectedImage.IsEmpty() || !m_sStateImage.IsEmpty() || m_rcTextPadding.left != 0) {
        COptionUI::PaintText(hDC);
        return;
    }
    // Leave room for the drawn box.
    RECT saved = m_rcTextPadding;
    m_rcTextPadding.left = 22;
    COptionUI::PaintText(hDC);
    m_rcTextPadding = saved;
}

// ================================================================ CProgressUI

CProgressUI::CProgressUI() {
    m_uTextStyle = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
    m_cxyFixed.cy = 12;
}

LPCTSTR CProgressUI::GetClass() const { return L"ProgressUI"; }
LPVOID CProgressUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_PROGRESS)) return this;
    return CLabelUI::GetInterface(pstrName);
}

void CProgressUI::SetHorizontal(bool b) { m_bHorizontal = b; Invalidate(); }
void CProgressUI::SetMinValue(int n) { m_nMin = n; m_nValue = std::max(m_nValue, m_nMin); Invalidate(); }
void CProgressUI::SetMaxValue(int n) { m_nMax = n; m_nValue = std::min(m_nValue, std::max(m_nMax, m_nMin)); Invalidate(); }
void CProgressUI::SetStretchForeImage(bool b) { m_bStretchForeImage = b; Invalidate(); }

void CProgressUI::SetValue(int nValue) {
    nValue = ClampInt(nValue, m_nMin, std::max(m_nMin, m_nMax));
    if (nValue == m_nValue) return;
    m_nValue = nValue;
    if (m_bShowText) {
        CDuiString t;
        int span = m_nMax - m_nMin;
        t.Format(L"%d%%", span > 0 ? (m_nValue - m_nMin) * 100 / span : 0);
        SetText(t);
    }
    Invalidate();
    a11y::ValueChanged(this);
}

void CProgressUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    using namespace values;
    std::wstring n = values::Lower(pstrName);
    if (n == L"hor") SetHorizontal(ParseBool(pstrValue));
    else if (n == L"min") SetMinValue(ParseInt(pstrValue));
    else if (n == L"max") SetMaxValue(ParseInt(pstrValue));
    else if (n == L"value") SetValue(ParseInt(pstrValue));
    else if (n == L"isstretchfore") SetStretchForeImage(ParseBool(pstrValue));
    else if (n == L"showtext") m_bShowText = ParseBool(pstrValue);
    else CLabelUI::SetAttribute(pstrName, pstrValue);
}

RECT CProgressUI::ValueRect() const {
    int span = m_nMax - m_nMin;
    double f = span > 0 ? double(m_nValue - m_nMin) / span : 0.0;
    int w = GetWidth(), h = GetHeight();
    if (m_bHorizontal) return RECT{0, 0, int(w * f + 0.5), h};
    return RECT{0, h - int(h * f + 0.5), w, h};
}

void CProgressUI::PaintForeColor(HDC hDC) {
    if (m_dwForeColor == 0) return;
    RECT v = ValueRect();
    CRenderEngine::DrawColor(hDC, RECT{m_rcItem.left + v.left, m_rcItem.top + v.top, m_rcItem.left + v.right, m_rcItem.top + v.bottom},
                             m_dwForeColor);
}

void CProgressUI::PaintForeImage(HDC) {}

void CProgressUI::PaintStatusImage(HDC hDC) {
    if (m_sForeImage.IsEmpty() || !m_pManager) return;
    RECT v = ValueRect();
    RECT dest{m_rcItem.left + v.left, m_rcItem.top + v.top, m_rcItem.left + v.right, m_rcItem.top + v.bottom};
    if (IsRectEmpty(dest)) return;
    TDrawInfo info;
    info.Parse(m_sForeImage);
    if (!m_bStretchForeImage) {
        // Reveal the matching part of the image rather than squeezing all of it in.
        const TImageInfo* img = m_pManager->GetImageEx(info.sImageName, info.sResType, info.dwMask);
        if (img) {
            int iw = int(img->nX / img->fSourceScale), ih = int(img->nY / img->fSourceScale);
            int w = GetWidth(), h = GetHeight();
            info.rcSource = RECT{w ? v.left * iw / w : 0, h ? v.top * ih / h : 0, w ? v.right * iw / w : iw, h ? v.bottom * ih / h : ih};
            info.bSource = true;
        }
    }
    info.bDest = false;
    CRenderEngine::DrawImageInfo(hDC, m_pManager, dest, m_rcItem, info);
}

// ================================================================ CSliderUI

CSliderUI::CSliderUI() { m_uTextStyle = DT_SINGLELINE | DT_CENTER; }

LPCTSTR CSliderUI::GetClass() const { return L"SliderUI"; }
LPVOID CSliderUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_SLIDER)) return this;
    return CProgressUI::GetInterface(pstrName);
}

UINT CSliderUI::GetControlFlags() const { return IsEnabled() ? UIFLAG_SETCURSOR | (IsKeyboardEnabled() ? UIFLAG_TABSTOP : 0) : 0; }

bool CSliderUI::StepByKey(TCHAR vk) {
    const int span = std::max(m_nMax - m_nMin, 0);
    const int step = std::max(m_nStep, 1), page = std::max(span / 10, 1);
    int target = m_nValue;
    switch (vk) {
    case VK_LEFT:
    case VK_DOWN: target -= step; break;
    case VK_RIGHT:
    case VK_UP: target += step; break;
    case VK_NEXT: target -= page; break;
    case VK_PRIOR: target += page; break;
    case VK_HOME: target = m_nMin; break;
    case VK_END: target = m_nMax; break;
    default: return false;
    }
    const int before = m_nValue;
    CProgressUI::SetValue(target);
    if (m_nValue != before && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_VALUECHANGED);
    return true;
}

void CSliderUI::SetEnabled(bool bEnable) {
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = 0;
}

SIZE CSliderUI::GetThumbSize() const { return SIZE{Scale(m_szThumb.cx), Scale(m_szThumb.cy)}; }

void CSliderUI::SetThumbImage(LPCTSTR s) { m_sThumbImage = s; Invalidate(); }
void CSliderUI::SetThumbHotImage(LPCTSTR s) { m_sThumbHotImage = s; Invalidate(); }
void CSliderUI::SetThumbPushedImage(LPCTSTR s) { m_sThumbPushedImage = s; Invalidate(); }

void CSliderUI::SetValue(int nValue) {
    if (m_uButtonState & CButtonUI::UISTATE_CAPTURED) return;
    CProgressUI::SetValue(nValue);
}

RECT CSliderUI::GetThumbRect() const {
    SIZE t = GetThumbSize();
    int span = m_nMax - m_nMin;
    double f = span > 0 ? double(m_nValue - m_nMin) / span : 0.0;
    if (m_bHorizontal) {
        int left = m_rcItem.left + int((GetWidth() - t.cx) * f + 0.5);
        int top = (m_rcItem.top + m_rcItem.bottom - t.cy) / 2;
        return RECT{left, top, left + t.cx, top + t.cy};
    }
    int left = (m_rcItem.left + m_rcItem.right - t.cx) / 2;
    int top = m_rcItem.bottom - t.cy - int((GetHeight() - t.cy) * f + 0.5);
    return RECT{left, top, left + t.cx, top + t.cy};
}

int CSliderUI::ValueAt(POINT pt) const {
    SIZE t = GetThumbSize();
    int span = m_nMax - m_nMin;
    double f;
    if (m_bHorizontal) {
        int track = GetWidth() - t.cx;
        f = track > 0 ? double(pt.x - m_rcItem.left - t.cx / 2) / track : 0.0;
    } else {
        int track = GetHeight() - t.cy;
        f = track > 0 ? double(m_rcItem.bottom - pt.y - t.cy / 2) / track : 0.0;
    }
    f = std::clamp(f, 0.0, 1.0);
    return m_nMin + int(f * span + 0.5);
}

void CSliderUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pParent) m_pParent->DoEvent(event);
        else CProgressUI::DoEvent(event);
        return;
    }
    constexpr UINT captured = CButtonUI::UISTATE_CAPTURED, hot = CButtonUI::UISTATE_HOT;
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (IsEnabled()) {
            CProgressUI::SetValue(ValueAt(event.ptMouse));
            m_uButtonState |= captured;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_uButtonState & captured) {
            int v = ValueAt(event.ptMouse);
            if (v != m_nValue) {
                m_nValue = v;
                Invalidate();
                a11y::ValueChanged(this);
                if (m_bSendMove && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_MOVEVALUECHANGED);
            }
        }
        return;
    case UIEVENT_BUTTONUP:
        if (m_uButtonState & captured) {
            m_uButtonState &= ~captured;
            m_nValue = ValueAt(event.ptMouse);
            Invalidate();
            a11y::ValueChanged(this);
            if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_VALUECHANGED);
        }
        return;
    case UIEVENT_KEYDOWN:
        if (IsEnabled() && IsKeyboardEnabled() && !(m_uButtonState & captured) && StepByKey(event.chKey)) return;
        CProgressUI::DoEvent(event);
        return;
    case UIEVENT_SCROLLWHEEL:
        if (IsEnabled()) {
            bool up = (event.wParam & 0xFFFF) == 0;
            CProgressUI::SetValue(m_nValue + (up ? m_nStep : -m_nStep));
            if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_VALUECHANGED);
        }
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= hot;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        m_uButtonState &= ~hot;
        Invalidate();
        return;
    case UIEVENT_SETCURSOR:
        return;
    default:
        CProgressUI::DoEvent(event);
    }
}

void CSliderUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    using namespace values;
    std::wstring n = values::Lower(pstrName);
    if (n == L"thumbimage") SetThumbImage(pstrValue);
    else if (n == L"thumbhotimage") SetThumbHotImage(pstrValue);
    else if (n == L"thumbpushedimage") SetThumbPushedImage(pstrValue);
    else if (n == L"thumbsize") SetThumbSize(ParseSize(pstrValue));
    else if (n == L"step") SetChangeStep(ParseInt(pstrValue));
    else if (n == L"sendmove") SetCanSendMove(ParseBool(pstrValue));
    else CProgressUI::SetAttribute(pstrName, pstrValue);
}

void CSliderUI::PaintStatusImage(HDC hDC) {
    CProgressUI::PaintStatusImage(hDC);
    RECT thumb = GetThumbRect();
    const CDuiString* image = &m_sThumbImage;
    if ((m_uButtonState & CButtonUI::UISTATE_CAPTURED) && !m_sThumbPushedImage.IsEmpty()) image = &m_sThumbPushedImage;
    else if ((m_uButtonState & CButtonUI::UISTATE_HOT) && !m_sThumbHotImage.IsEmpty()) image = &m_sThumbHotImage;
    if (!image->IsEmpty()) {
        CRenderEngine::DrawImageString(hDC, m_pManager, thumb, m_rcItem, *image);
    } else if (m_dwForeColor != 0 || m_sForeImage.IsEmpty()) {
        // No thumb image: a round knob so the slider stays usable.
        CRenderEngine::DrawEllipse(hDC, thumb, m_dwForeColor ? (m_dwForeColor | 0xFF000000) : 0xFF3A7BD5);
    }
}

} // namespace DuiLib
