#include <QPainter>

#include <algorithm>
#include <typeinfo>

#include "ui/custom_controls.h"
#include "ui/manager.h"
#include "ui/values.h"

namespace DuiLib {
namespace {

CDuiString FadeModifier(int fade) {
    CDuiString modify;
    modify.Format(L"fade='%d'", fade);
    return modify;
}

} // namespace

// ================================================================ CDeviceKeyButtonUI

LPCTSTR CDeviceKeyButtonUI::GetClass() const { return L"DeviceKeyButton"; }
LPVOID CDeviceKeyButtonUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, L"DeviceKeyButton")) return this;
    return CButtonUI::GetInterface(pstrName);
}

void CDeviceKeyButtonUI::SetLightColor(DWORD packed, BYTE level) {
    // Shown as the devices show it: component x level / 256.
    const DWORD r = (packed & 0xFF) * level / 256, b = ((packed >> 8) & 0xFF) * level / 256, g = ((packed >> 16) & 0xFF) * level / 256;
    m_dwLightColor = 0xFF000000u | (r << 16) | (g << 8) | b;
    Invalidate();
}

void CDeviceKeyButtonUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_DBLCLICK && IsEnabled() && PtInRect(m_rcItem, event.ptMouse)) {
        m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
        Invalidate();
        if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_DBCLICK);
        return;
    }
    CButtonUI::DoEvent(event);
}

void CDeviceKeyButtonUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    LookChanged();
    std::wstring n = values::Lower(pstrName);
    if (n == L"lightimage") SetLightImage(pstrValue);
    else if (n == L"keysetimage") SetKeySetImage(pstrValue);
    else if (n == L"gmnametextcolor") m_dwGmNameTextColor = values::ParseColor(pstrValue);
    else CButtonUI::SetAttribute(pstrName, pstrValue);
}

void CDeviceKeyButtonUI::PaintStatusImage(HDC hDC) {
    if (!m_sNormalImage.IsEmpty()) DrawImage(hDC, m_sNormalImage);
    if (m_bShowLightImage) {
        if (m_dwLightColor != 0) {
            // The LED's colour under its light image, so the preview shows the true colour.
            int r = std::min(GetWidth(), GetHeight()) / 6;
            CRenderEngine::FillRoundRect(hDC, RECT{m_rcItem.left + 1, m_rcItem.top + 1, m_rcItem.right - 1, m_rcItem.bottom - 1}, r, r,
                                         (m_dwLightColor & 0x00FFFFFF) | 0xC0000000);
        }
        if (!m_sLightImage.IsEmpty()) {
            DrawImage(hDC, m_sLightImage, FadeModifier(m_uLightFade1));
            DrawImage(hDC, m_sLightImage, FadeModifier(m_uLightFade2));
        }
    }
    if (!m_bHideKeySetImage && !m_sKeySetImage.IsEmpty()) DrawImage(hDC, m_sKeySetImage);
}

bool CDeviceKeyButtonUI::CanCacheLook() const { return !m_bShowHtml && typeid(*this) == typeid(CDeviceKeyButtonUI); }

void CDeviceKeyButtonUI::PaintBorder(HDC hDC) {
    if (m_bSelect) {
        CRenderEngine::DrawRoundRect(hDC, m_rcItem, Scale(2), Scale(6), Scale(6), m_dwSelectColor);
        return;
    }
    CButtonUI::PaintBorder(hDC);
    (void)m_dwTextColor2;
}

// ================================================================ CSelectPanelUI

LPCTSTR CSelectPanelUI::GetClass() const { return L"SelectPanel"; }
LPVOID CSelectPanelUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, L"SelectPanel")) return this;
    return CVerticalLayoutUI::GetInterface(pstrName);
}

RECT CSelectPanelUI::GetSelectRect() const {
    return RECT{std::min(m_ptStart.x, m_ptEnd.x), std::min(m_ptStart.y, m_ptEnd.y), std::max(m_ptStart.x, m_ptEnd.x),
                std::max(m_ptStart.y, m_ptEnd.y)};
}

void CSelectPanelUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
        if (IsEnabled() && PtInRect(m_rcItem, event.ptMouse)) {
            m_ptStart = m_ptEnd = event.ptMouse;
            m_bDragging = true;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_bDragging) {
            m_ptEnd = event.ptMouse;
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONUP: {
        if (!m_bDragging) return;
        m_bDragging = false;
        m_ptEnd = event.ptMouse;
        RECT sel = GetSelectRect();
        // A zero-width band still touches what lies under it.
        sel.right = std::max(sel.right, sel.left + 1);
        sel.bottom = std::max(sel.bottom, sel.top + 1);
        if (m_pManager) {
            for (CControlUI* c : m_pManager->FindSubControlsByClass(this, L"DeviceKeyButton")) {
                auto* key = static_cast<CDeviceKeyButtonUI*>(c->GetInterface(L"DeviceKeyButton"));
                if (!key) continue;
                RECT hit;
                key->SetSelect(c->IsVisible() && IntersectRect(&hit, c->GetPos(), sel));
            }
        }
        NeedUpdate();
        if (m_pManager) m_pManager->SendNotify(this, L"click_select_end");
        return;
    }
    default:
        CVerticalLayoutUI::DoEvent(event);
    }
}

bool CSelectPanelUI::DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) {
    bool go = CVerticalLayoutUI::DoPaint(hDC, rcPaint, pStopControl);
    if (m_bDragging) {
        RECT sel = GetSelectRect();
        CRenderEngine::DrawColor(hDC, sel, 0x300099FF);
        CRenderEngine::DrawRect(hDC, sel, 1, 0xFF0099FF);
    }
    return go;
}

// ================================================================ CHandImgButtonUI

LPCTSTR CHandImgButtonUI::GetClass() const { return L"HandImgButton"; }
LPVOID CHandImgButtonUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, L"HandImgButton")) return this;
    return CButtonUI::GetInterface(pstrName);
}

RECT CHandImgButtonUI::GetDeleteRect() const {
    return RECT{m_rcItem.right - Scale(30), m_rcItem.bottom - Scale(29), m_rcItem.right - Scale(10), m_rcItem.bottom - Scale(9)};
}

void CHandImgButtonUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_MOUSEENTER:
        m_bMouseIn = true;
        m_bInDelete = PtInRect(GetDeleteRect(), event.ptMouse);
        if (m_pManager) m_pManager->SendNotify(this, L"msenter");
        break;
    case UIEVENT_MOUSELEAVE:
        m_bMouseIn = m_bInDelete = false;
        if (m_pManager) m_pManager->SendNotify(this, L"msleave");
        break;
    case UIEVENT_MOUSEMOVE: {
        bool in = PtInRect(GetDeleteRect(), event.ptMouse);
        if (in != m_bInDelete) {
            m_bInDelete = in;
            Invalidate();
        }
        break;
    }
    case UIEVENT_BUTTONUP:
        if (m_uButtonState & UISTATE_CAPTURED) {
            if (PtInRect(GetDeleteRect(), event.ptMouse)) {
                m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
                Invalidate();
                if (!m_bDeleteLock && m_pManager) m_pManager->SendNotify(this, L"click_handdelete");
                return;
            }
        }
        break;
    default:
        break;
    }
    CButtonUI::DoEvent(event);
}

void CHandImgButtonUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    std::wstring n = values::Lower(pstrName);
    if (n == L"handimage") SetHandImage(pstrValue);
    else if (n == L"deletenormalimage") m_sDeleteNormalImage = pstrValue;
    else if (n == L"deletehotimage") m_sDeleteHotImage = pstrValue;
    else CButtonUI::SetAttribute(pstrName, pstrValue);
}

void CHandImgButtonUI::PaintStatusImage(HDC hDC) {
    CButtonUI::PaintStatusImage(hDC);
    if (!m_sHandImage.IsEmpty()) DrawImage(hDC, m_sHandImage);
    if (m_bMouseIn && !m_bDeleteLock) {
        const CDuiString& icon = m_bInDelete && !m_sDeleteHotImage.IsEmpty() ? m_sDeleteHotImage : m_sDeleteNormalImage;
        RECT box = GetDeleteRect();
        if (!icon.IsEmpty()) CRenderEngine::DrawImageString(hDC, m_pManager, box, m_rcItem, icon);
    }
}

// ================================================================ CHandImgSelectButtonUI

LPCTSTR CHandImgSelectButtonUI::GetClass() const { return L"HandImgSelectButton"; }
LPVOID CHandImgSelectButtonUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, L"HandImgSelectButton")) return this;
    return CButtonUI::GetInterface(pstrName);
}

void CHandImgSelectButtonUI::SetHandImage(LPCTSTR pstrImage) {
    m_sHandImage = pstrImage;
    m_rcSource = RECT{0, 0, GetWidth(), GetHeight()};
    ClampSource();
    Invalidate();
}

void CHandImgSelectButtonUI::ClampSource() {
    if (!m_pManager || m_sHandImage.IsEmpty()) return;
    const TImageInfo* img = m_pManager->GetImageEx(m_sHandImage);
    if (!img) return;
    int w = m_rcSource.right - m_rcSource.left, h = m_rcSource.bottom - m_rcSource.top;
    w = std::min(w, img->nX);
    h = std::min(h, img->nY);
    int x = std::clamp(int(m_rcSource.left), 0, img->nX - w), y = std::clamp(int(m_rcSource.top), 0, img->nY - h);
    m_rcSource = RECT{x, y, x + w, y + h};
}

void CHandImgSelectButtonUI::SetPos(RECT rc, bool bNeedInvalidate) {
    bool sizeChanged = rc.right - rc.left != GetWidth() || rc.bottom - rc.top != GetHeight();
    CButtonUI::SetPos(rc, bNeedInvalidate);
    if (sizeChanged) {
        m_rcSource.right = m_rcSource.left + GetWidth();
        m_rcSource.bottom = m_rcSource.top + GetHeight();
        ClampSource();
    }
}

void CHandImgSelectButtonUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_MOUSEENTER:
        if (m_pManager) m_pManager->SendNotify(this, L"msenter");
        break;
    case UIEVENT_MOUSELEAVE:
        if (m_pManager) m_pManager->SendNotify(this, L"msleave");
        break;
    case UIEVENT_BUTTONDOWN:
        m_bPanning = IsEnabled();
        m_ptLast = event.ptMouse;
        break;
    case UIEVENT_MOUSEMOVE:
        if (m_bPanning) {
            int dx = m_ptLast.x - event.ptMouse.x, dy = m_ptLast.y - event.ptMouse.y;
            m_rcSource.left += dx;
            m_rcSource.right += dx;
            m_rcSource.top += dy;
            m_rcSource.bottom += dy;
            ClampSource();
            m_ptLast = event.ptMouse;
            Invalidate();
        }
        break;
    case UIEVENT_BUTTONUP:
        m_bPanning = false;
        break;
    default:
        break;
    }
    CButtonUI::DoEvent(event);
}

void CHandImgSelectButtonUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    std::wstring n = values::Lower(pstrName);
    if (n == L"handimage") SetHandImage(pstrValue);
    else CButtonUI::SetAttribute(pstrName, pstrValue);
}

void CHandImgSelectButtonUI::PaintStatusImage(HDC hDC) {
    CButtonUI::PaintStatusImage(hDC);
    if (m_sHandImage.IsEmpty()) return;
    CDuiString image;
    image.Format(L"file='%ls' ", m_sHandImage.GetData());
    CDuiString source;
    source.Format(L"source='%d,%d,%d,%d'", m_rcSource.left, m_rcSource.top, m_rcSource.right, m_rcSource.bottom);
    DrawImage(hDC, image + source);
}

// ================================================================ CRedioMacroButtonUI

LPCTSTR CRedioMacroButtonUI::GetClass() const { return L"RedioMacroButton"; }
LPVOID CRedioMacroButtonUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, L"RedioMacroButton")) return this;
    return CButtonUI::GetInterface(pstrName);
}

void CRedioMacroButtonUI::ShowFade() {
    if (m_sRedioImage.IsEmpty()) {
        SetBkImage(L"");
        return;
    }
    CDuiString image;
    image.Format(L"res='%ls' ", m_sRedioImage.GetData());
    CDuiString fade;
    fade.Format(L"fade='%d'", m_nFade);
    SetBkImage(image + fade);
}

void CRedioMacroButtonUI::SetBlink(bool bBlink) {
    m_bBlink = bBlink;
    if (bBlink) {
        m_nFade = 255;
        m_nStep = -20;
        ShowFade();
        SetTimer(kBlinkTimer, 50);
    } else {
        KillTimer(kBlinkTimer);
        SetBkImage(L"");
    }
}

void CRedioMacroButtonUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_TIMER && event.wParam == kBlinkTimer) {
        if (!m_bBlink) {
            KillTimer(kBlinkTimer);
            return;
        }
        m_nFade += m_nStep;
        if (m_nFade <= 80) {
            m_nFade = 80;
            m_nStep = 20;
        } else if (m_nFade >= 255) {
            m_nFade = 255;
            m_nStep = -20;
        }
        ShowFade();
        return;
    }
    CButtonUI::DoEvent(event);
}

void CRedioMacroButtonUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    if (values::EqualNoCase(pstrName, L"redioimage")) m_sRedioImage = pstrValue;
    else CButtonUI::SetAttribute(pstrName, pstrValue);
}

} // namespace DuiLib
