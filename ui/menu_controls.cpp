#include "ui/menu_controls.h"

#include <QPainter>

#include <algorithm>

#include "ui/manager.h"
#include "ui/menu.h"
#include "ui/values.h"

namespace DuiLib {

CMenuUI::CMenuUI() {
    GetListInfo()->dwHotBkColor = 0xFFE6EEF9;
    GetListInfo()->dwSelectedBkColor = 0xFFE6EEF9;
}

LPCTSTR CMenuUI::GetClass() const { return L"MenuUI"; }
LPVOID CMenuUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_MENU)) return this;
    return CListUI::GetInterface(pstrName);
}

SIZE CMenuUI::EstimateSize(SIZE szAvailable) {
    int h = 0, w = 0;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* c = GetItemAt(i);
        if (!c->IsVisible()) continue;
        SIZE s = c->EstimateSize(szAvailable);
        h += s.cy;
        if (auto* item = static_cast<CMenuElementUI*>(c->GetInterface(DUI_CTR_MENUELEMENT))) w = std::max(w, int(item->EstimateWidth()));
        else w = std::max(w, int(s.cx));
    }
    RECT in = GetInset();
    return SIZE{GetFixedWidth() ? GetFixedWidth() : w + in.left + in.right, h + in.top + in.bottom};
}

CMenuElementUI::CMenuElementUI() { m_cxyFixed.cy = 0; }

LPCTSTR CMenuElementUI::GetClass() const { return L"MenuElementUI"; }
LPVOID CMenuElementUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_MENUELEMENT)) return this;
    return CListContainerElementUI::GetInterface(pstrName);
}

bool CMenuElementUI::AddAt(CControlUI* pControl, int iIndex) {
    if (pControl && pControl->GetInterface(DUI_CTR_MENUELEMENT)) pControl->SetVisible(false);
    return CListContainerElementUI::AddAt(pControl, iIndex);
}

int CMenuElementUI::GetSubItemCount() const {
    int n = 0;
    for (auto* c : m_items) {
        if (c->GetInterface(DUI_CTR_MENUELEMENT)) ++n;
    }
    return n;
}

SIZE CMenuElementUI::EstimateSize(SIZE) {
    // Rows take the menu's whole width; only the height is the item's own.
    int h = GetFixedHeight();
    if (h == 0) h = Scale(m_bLine ? 6 : 30);
    return SIZE{GetFixedWidth(), h};
}

int CMenuElementUI::EstimateWidth() {
    if (GetFixedWidth() > 0 || !m_pManager) return GetFixedWidth();
    SIZE t = CRenderEngine::GetTextSize(m_pManager, GetText(), m_iFont, DT_SINGLELINE);
    return t.cx + Scale(60);
}

void CMenuElementUI::DoEvent(TEventUI& event) {
    if (m_bLine && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) return;
    CListContainerElementUI::DoEvent(event);
    if (event.Type == UIEVENT_MOUSEENTER) {
        if (CMenuWnd* wnd = CMenuWnd::FromManager(m_pManager)) wnd->OnItemHover(this);
    }
}

void CMenuElementUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    using namespace values;
    const std::wstring n = Lower(pstrName);
    if (n == L"checkitem") m_bCheckItem = ParseBool(pstrValue);
    else if (n == L"ischeck") m_bChecked = ParseBool(pstrValue);
    else if (n == L"linetype") m_bLine = ParseBool(pstrValue);
    else if (n == L"linecolor") m_dwLineColor = ParseColor(pstrValue);
    else if (n == L"linepadding") m_rcLinePadding = ParseRect(pstrValue);
    else if (n == L"icon") m_sIcon = pstrValue;
    else if (n == L"iconsize") m_szIcon = ParseSize(pstrValue);
    else if (n == L"font") m_iFont = ParseInt(pstrValue);
    else if (n == L"textcolor") m_dwTextColor = ParseColor(pstrValue);
    else if (n == L"expland") m_bExpland = ParseBool(pstrValue);
    else CListContainerElementUI::SetAttribute(pstrName, pstrValue);
}

void CMenuElementUI::DrawArrow(HDC hDC) {
    const int cy = (m_rcItem.top + m_rcItem.bottom) / 2;
    // The skin's arrow image, "Default name='ExplandIcon'", at its own size by the right edge.
    if (LPCTSTR icon = m_pManager ? m_pManager->GetDefaultAttributeList(L"ExplandIcon") : nullptr; icon && *icon) {
        TDrawInfo info;
        info.Parse(icon);
        if (const TImageInfo* image = m_pManager->GetImageEx(info.sImageName, info.sResType, info.dwMask)) {
            SIZE s{int(image->nX / image->fSourceScale), int(image->nY / image->fSourceScale)};
            if (info.bSource) s = SIZE{info.rcSource.right - info.rcSource.left, info.rcSource.bottom - info.rcSource.top};
            s = SIZE{Scale(s.cx), Scale(s.cy)};
            const int right = m_rcItem.right - Scale(7);
            info.bDest = false;
            CRenderEngine::DrawImageInfo(hDC, m_pManager, RECT{right - s.cx, cy - s.cy / 2, right, cy - s.cy / 2 + s.cy}, m_rcItem, info);
            return;
        }
    }
    const int cx = m_rcItem.right - Scale(12), d = Scale(4);
    hDC->save();
    hDC->setRenderHint(QPainter::Antialiasing);
    hDC->setPen(Qt::NoPen);
    hDC->setBrush(QColor(0x50, 0x50, 0x50));
    const QPointF tri[3] = {QPointF(cx - d / 2.0, cy - d), QPointF(cx - d / 2.0, cy + d), QPointF(cx + d / 2.0, cy)};
    hDC->drawPolygon(tri, 3);
    hDC->restore();
}

bool CMenuElementUI::DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) {
    if (m_bLine) {
        RECT pad = ScaleRect(m_rcLinePadding);
        int y = (m_rcItem.top + m_rcItem.bottom) / 2;
        CRenderEngine::DrawColor(hDC, RECT{m_rcItem.left + pad.left, y, m_rcItem.right - pad.right, y + 1}, m_dwLineColor);
        return true;
    }
    CListContainerElementUI::DoPaint(hDC, rcPaint, pStopControl);
    if (m_items.empty() || GetSubItemCount() == int(m_items.size())) {
        const TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
        DWORD color = m_dwTextColor ? m_dwTextColor : info ? info->dwTextColor : 0xFF000000;
        if (!IsEnabled()) color = info ? info->dwDisabledTextColor : 0xFFA7A6AA;
        RECT rc{m_rcItem.left + Scale(29), m_rcItem.top, m_rcItem.right - Scale(7), m_rcItem.bottom};
        CRenderEngine::DrawText(hDC, m_pManager, rc, GetText(), color, m_iFont, DT_SINGLELINE | DT_VCENTER);
        if (!m_sIcon.IsEmpty()) {
            SIZE s{Scale(std::min(m_szIcon.cx, 26)), Scale(std::min(m_szIcon.cy, 26))};
            int x = m_rcItem.left + (Scale(29) - s.cx) / 2, y = (m_rcItem.top + m_rcItem.bottom - s.cy) / 2;
            CRenderEngine::DrawImageString(hDC, m_pManager, RECT{x, y, x + s.cx, y + s.cy}, m_rcItem, m_sIcon);
        } else if (m_bCheckItem && m_bChecked) {
            int cx = m_rcItem.left + Scale(14), cy = (m_rcItem.top + m_rcItem.bottom) / 2, s = Scale(4);
            hDC->save();
            hDC->setRenderHint(QPainter::Antialiasing);
            hDC->setPen(QPen(QColor(0x30, 0x30, 0x30), Scale(2)));
            hDC->drawLine(cx - s, cy, cx - s / 3, cy + s);
            hDC->drawLine(cx - s / 3, cy + s, cx + s, cy - s);
            hDC->restore();
        }
        if (HasSubMenu() || m_bExpland) DrawArrow(hDC);
    }
    return true;
}

} // namespace DuiLib
