#include "ui/container.h"

#include <QPainter>
#include <QRubberBand>
#include <QWidget>

#include <algorithm>
#include <cwctype>

#include "ui/manager.h"
#include "ui/render.h"
#include "ui/values.h"

namespace DuiLib {

// ================================================================ CContainerUI

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    RemoveAll();
    delete m_pVerticalScrollBar;
    delete m_pHorizontalScrollBar;
}

LPCTSTR CContainerUI::GetClass() const { return L"ContainerUI"; }

LPVOID CContainerUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_ICONTAINER)) return static_cast<IContainerUI*>(this);
    if (values::EqualNoCase(pstrName, DUI_CTR_CONTAINER)) return static_cast<CContainerUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

CControlUI* CContainerUI::GetItemAt(int iIndex) const {
    if (iIndex < 0 || iIndex >= int(m_items.size())) return nullptr;
    return m_items[size_t(iIndex)];
}

int CContainerUI::GetItemIndex(CControlUI* pControl) const {
    auto it = std::find(m_items.begin(), m_items.end(), pControl);
    return it == m_items.end() ? -1 : int(it - m_items.begin());
}

bool CContainerUI::SetItemIndex(CControlUI* pControl, int iNewIndex) {
    int old = GetItemIndex(pControl);
    if (old < 0 || iNewIndex < 0 || iNewIndex >= int(m_items.size())) return false;
    m_items.erase(m_items.begin() + old);
    m_items.insert(m_items.begin() + iNewIndex, pControl);
    NeedUpdate();
    return true;
}

int CContainerUI::GetCount() const { return int(m_items.size()); }

bool CContainerUI::Add(CControlUI* pControl) { return AddAt(pControl, int(m_items.size())); }

bool CContainerUI::AddAt(CControlUI* pControl, int iIndex) {
    if (!pControl || iIndex < 0 || iIndex > int(m_items.size())) return false;
    if (m_pManager) m_pManager->InitControls(pControl, this);
    else pControl->SetManager(nullptr, this, false);
    if (IsVisible()) NeedUpdate();
    else pControl->SetInternVisible(false);
    m_items.insert(m_items.begin() + iIndex, pControl);
    return true;
}

bool CContainerUI::Remove(CControlUI* pControl, bool bDoNotDestroy) {
    int i = GetItemIndex(pControl);
    if (i < 0) return false;
    return RemoveAt(i, bDoNotDestroy);
}

bool CContainerUI::RemoveAt(int iIndex, bool bDoNotDestroy) {
    CControlUI* c = GetItemAt(iIndex);
    if (!c) return false;
    m_items.erase(m_items.begin() + iIndex);
    if (m_pManager) m_pManager->ReapObjects(c);
    if (!bDoNotDestroy && m_bAutoDestroy) delete c;
    NeedUpdate();
    return true;
}

void CContainerUI::RemoveAll() {
    auto items = std::move(m_items);
    m_items.clear();
    for (auto* c : items) {
        if (m_pManager) m_pManager->ReapObjects(c);
        if (m_bAutoDestroy) delete c;
    }
    NeedUpdate();
}

void CContainerUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pParent) m_pParent->DoEvent(event);
        else CControlUI::DoEvent(event);
        return;
    }
    if (event.Type == UIEVENT_SETFOCUS || event.Type == UIEVENT_KILLFOCUS) {
        m_bFocused = event.Type == UIEVENT_SETFOCUS;
        return;
    }
    bool vscroll = m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible() && m_pVerticalScrollBar->IsEnabled();
    bool hscroll = m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible() && m_pHorizontalScrollBar->IsEnabled();
    if (vscroll || hscroll) {
        if (event.Type == UIEVENT_SCROLLWHEEL) {
            bool up = (event.wParam & 0xFFFF) == 0;
            if (vscroll) up ? LineUp() : LineDown();
            else up ? LineLeft() : LineRight();
            return;
        }
        if (event.Type == UIEVENT_KEYDOWN && vscroll) {
            switch (event.chKey) {
            case VK_DOWN: LineDown(); return;
            case VK_UP: LineUp(); return;
            case VK_NEXT: PageDown(); return;
            case VK_PRIOR: PageUp(); return;
            case VK_HOME: HomeUp(); return;
            case VK_END: EndDown(); return;
            default: break;
            }
        }
    }
    CControlUI::DoEvent(event);
}

void CContainerUI::SetVisible(bool bVisible) {
    if (m_bVisible == bVisible) return;
    CControlUI::SetVisible(bVisible);
    for (auto* c : m_items) c->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool bVisible) {
    CControlUI::SetInternVisible(bVisible);
    for (auto* c : m_items) c->SetInternVisible(IsVisible());
}

void CContainerUI::SetEnabled(bool bEnabled) {
    CControlUI::SetEnabled(bEnabled);
    for (auto* c : m_items) c->SetEnabled(bEnabled);
}

void CContainerUI::SetMouseEnabled(bool bEnable) {
    if (m_pVerticalScrollBar) m_pVerticalScrollBar->SetMouseEnabled(bEnable);
    if (m_pHorizontalScrollBar) m_pHorizontalScrollBar->SetMouseEnabled(bEnable);
    CControlUI::SetMouseEnabled(bEnable);
}

RECT CContainerUI::GetInset() const { return ScaleRect(m_rcInset); }
void CContainerUI::SetInset(RECT rc) { m_rcInset = rc; NeedUpdate(); }
int CContainerUI::GetChildPadding() const { return Scale(m_iChildPadding); }
void CContainerUI::SetChildPadding(int i) { m_iChildPadding = i; NeedUpdate(); }
void CContainerUI::SetChildAlign(UINT a) { m_iChildAlign = a; NeedUpdate(); }
void CContainerUI::SetChildVAlign(UINT a) { m_iChildVAlign = a; NeedUpdate(); }

RECT CContainerUI::GetClientPos() const {
    RECT in = GetInset();
    RECT rc{m_rcItem.left + in.left, m_rcItem.top + in.top, m_rcItem.right - in.right, m_rcItem.bottom - in.bottom};
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
    return rc;
}

void CContainerUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CControlUI::SetPos(rc, bNeedInvalidate);
    if (m_items.empty()) return;
    RECT client = GetClientPos();
    for (int i = 0; i < int(m_items.size()); ++i) {
        CControlUI* c = m_items[size_t(i)];
        if (!c->IsVisible()) continue;
        if (c->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        RECT r = client;
        r.right = std::min(r.right, r.left + c->GetMaxWidth());
        r.bottom = std::min(r.bottom, r.top + c->GetMaxHeight());
        r.right = std::max(r.right, r.left + c->GetMinWidth());
        r.bottom = std::max(r.bottom, r.top + c->GetMinHeight());
        c->SetPos(r, false);
    }
}

void CContainerUI::Move(SIZE off, bool bNeedInvalidate) {
    CControlUI::Move(off, bNeedInvalidate);
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) m_pVerticalScrollBar->Move(off, false);
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) m_pHorizontalScrollBar->Move(off, false);
    for (auto* c : m_items) {
        if (c->IsVisible()) c->Move(off, false);
    }
}

void CContainerUI::SetFloatPos(int iIndex) {
    CControlUI* c = GetItemAt(iIndex);
    if (!c || !c->IsFloat()) return;
    const RECT p = m_rcItem;
    const int pw = p.right - p.left, ph = p.bottom - p.top;
    RECT pos = c->GetFloatPos();
    auto pi = c->GetFloatPercent();
    bool fractions = pi.left != 0 || pi.top != 0 || pi.right != 0 || pi.bottom != 0;
    RECT r;
    if (fractions) {
        int w = pos.right - pos.left, h = pos.bottom - pos.top;
        r.left = p.left + int(pw * pi.left) + pos.left;
        r.top = p.top + int(ph * pi.top) + pos.top;
        r.right = p.left + int(pw * pi.right) + pos.left + w;
        r.bottom = p.top + int(ph * pi.bottom) + pos.top + h;
    } else {
        int w = std::abs(pos.right - pos.left), h = std::abs(pos.bottom - pos.top);
        // Negative coordinates count from the right or bottom edge; x is the right number then.
        r.left = pos.left < 0 ? p.right + std::min(pos.left, pos.right) : p.left + pos.left;
        r.top = pos.top < 0 ? p.bottom + std::min(pos.top, pos.bottom) : p.top + pos.top;
        r.right = r.left + w;
        r.bottom = r.top + h;
    }
    c->SetPos(r, false);
}

bool CContainerUI::DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) {
    CControlUI::DoPaint(hDC, rcPaint, pStopControl);
    if (!m_items.empty()) {
        RECT client = GetClientPos();
        RECT inner;
        hDC->save();
        for (auto* c : m_items) {
            if (!c->IsVisible()) continue;
            RECT clip = c->IsFloat() ? m_rcItem : client;
            if (!IntersectRect(&inner, rcPaint, clip)) continue;
            RECT tmp;
            if (!IntersectRect(&tmp, inner, c->GetPos())) continue;
            const RECT& cp = c->GetPos();
            const bool inside = cp.left >= inner.left && cp.top >= inner.top && cp.right <= inner.right && cp.bottom <= inner.bottom;
            bool go;
            if (inside) {
                go = c->Paint(hDC, inner, pStopControl);
            } else {
                hDC->save();
                hDC->setClipRect(QRect(inner.left, inner.top, inner.right - inner.left, inner.bottom - inner.top), Qt::IntersectClip);
                go = c->Paint(hDC, inner, pStopControl);
                hDC->restore();
            }
            if (!go) {
                hDC->restore();
                return false;
            }
        }
        hDC->restore();
    }
    if (m_bShowScrollbar) {
        if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) m_pVerticalScrollBar->Paint(hDC, rcPaint, pStopControl);
        if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) m_pHorizontalScrollBar->Paint(hDC, rcPaint, pStopControl);
    }
    return true;
}

void CContainerUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    using namespace values;
    std::wstring n(pstrName);
    for (auto& ch : n) ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
    std::wstring v(pstrValue);
    if (n == L"inset") SetInset(ParseRect(pstrValue));
    else if (n == L"mousechild") SetMouseChildEnabled(ParseBool(pstrValue));
    else if (n == L"vscrollbar") EnableScrollBar(ParseBool(pstrValue), m_pHorizontalScrollBar != nullptr);
    else if (n == L"hscrollbar") EnableScrollBar(m_pVerticalScrollBar != nullptr, ParseBool(pstrValue));
    else if (n == L"vscrollbarstyle") {
        EnableScrollBar(true, m_pHorizontalScrollBar != nullptr);
        m_pVerticalScrollBar->ApplyAttributeList(pstrValue);
    } else if (n == L"hscrollbarstyle") {
        EnableScrollBar(m_pVerticalScrollBar != nullptr, true);
        m_pHorizontalScrollBar->ApplyAttributeList(pstrValue);
    } else if (n == L"childpadding") SetChildPadding(ParseInt(pstrValue));
    else if (n == L"childalign") {
        if (v == L"center") SetChildAlign(DT_CENTER);
        else if (v == L"right") SetChildAlign(DT_RIGHT);
        else SetChildAlign(DT_LEFT);
    } else if (n == L"childvalign") {
        if (v == L"vcenter" || v == L"center") SetChildVAlign(DT_VCENTER);
        else if (v == L"bottom") SetChildVAlign(DT_BOTTOM);
        else SetChildVAlign(DT_TOP);
    } else if (n == L"scrollstepsize") m_nScrollStepSize = ParseInt(pstrValue);
    else if (n == L"showscrollbar") m_bShowScrollbar = ParseBool(pstrValue);
    else CControlUI::SetAttribute(pstrName, pstrValue);
}

void CContainerUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit) {
    for (auto* c : m_items) c->SetManager(pManager, this, bInit);
    if (m_pVerticalScrollBar) m_pVerticalScrollBar->SetManager(pManager, this, bInit);
    if (m_pHorizontalScrollBar) m_pHorizontalScrollBar->SetManager(pManager, this, bInit);
    CControlUI::SetManager(pManager, pParent, bInit);
}

CControlUI* CContainerUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) {
    if ((uFlags & UIFIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((uFlags & UIFIND_ENABLED) && !IsEnabled()) return nullptr;
    if ((uFlags & UIFIND_HITTEST) != 0) {
        POINT pt = *static_cast<POINT*>(pData);
        if (!PtInRect(m_rcItem, pt)) return nullptr;
        if (!m_bMouseChildEnabled) {
            CControlUI* r = nullptr;
            if (m_pVerticalScrollBar) r = m_pVerticalScrollBar->FindControl(Proc, pData, uFlags);
            if (!r && m_pHorizontalScrollBar) r = m_pHorizontalScrollBar->FindControl(Proc, pData, uFlags);
            if (r) return r;
            return CControlUI::FindControl(Proc, pData, uFlags);
        }
    }
    if (uFlags & UIFIND_ME_FIRST) {
        if (CControlUI* r = CControlUI::FindControl(Proc, pData, uFlags)) return r;
    }
    if (m_pVerticalScrollBar) {
        if (CControlUI* r = m_pVerticalScrollBar->FindControl(Proc, pData, uFlags)) return r;
    }
    if (m_pHorizontalScrollBar) {
        if (CControlUI* r = m_pHorizontalScrollBar->FindControl(Proc, pData, uFlags)) return r;
    }
    if (uFlags & UIFIND_HITTEST) {
        POINT pt = *static_cast<POINT*>(pData);
        RECT client = GetClientPos();
        for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
            CControlUI* c = *it;
            if (!c->IsFloat() && !PtInRect(client, pt)) continue;
            if (CControlUI* r = c->FindControl(Proc, pData, uFlags)) return r;
        }
    } else if (uFlags & UIFIND_TOP_FIRST) {
        for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
            if (CControlUI* r = (*it)->FindControl(Proc, pData, uFlags)) return r;
        }
    } else {
        for (auto* c : m_items) {
            if (CControlUI* r = c->FindControl(Proc, pData, uFlags)) return r;
        }
    }
    if (!(uFlags & UIFIND_ME_FIRST)) return CControlUI::FindControl(Proc, pData, uFlags);
    return nullptr;
}

CControlUI* CContainerUI::FindSubControl(LPCTSTR pstrSubControlName) {
    return m_pManager ? m_pManager->FindSubControlByName(this, pstrSubControlName) : nullptr;
}

SIZE CContainerUI::GetScrollPos() const {
    return SIZE{m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible() ? m_pHorizontalScrollBar->GetScrollPos() : 0,
                m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible() ? m_pVerticalScrollBar->GetScrollPos() : 0};
}

SIZE CContainerUI::GetScrollRange() const {
    return SIZE{m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible() ? m_pHorizontalScrollBar->GetScrollRange() : 0,
                m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible() ? m_pVerticalScrollBar->GetScrollRange() : 0};
}

void CContainerUI::SetScrollPos(SIZE szPos, bool bMsg) {
    SIZE old = GetScrollPos();
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) m_pVerticalScrollBar->SetScrollPos(szPos.cy);
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) m_pHorizontalScrollBar->SetScrollPos(szPos.cx);
    SIZE now = GetScrollPos();
    if (now.cx == old.cx && now.cy == old.cy) return;
    SIZE off{old.cx - now.cx, old.cy - now.cy};
    RECT client = GetClientPos();
    for (auto* c : m_items) {
        if (!c->IsVisible() || c->IsFloat()) continue;
        c->Move(off, false);
    }
    (void)client;
    Invalidate();
    if (bMsg && m_pManager) {
        int step = GetScrollStepSize();
        m_pManager->SendNotify(this, DUI_MSGTYPE_SCROLL, step > 0 ? WPARAM((now.cy + step) / step) : 0, 0);
    }
}

int CContainerUI::GetScrollStepSize() const {
    if (m_nScrollStepSize > 0) return Scale(m_nScrollStepSize);
    int font = 12;
    if (m_pManager) {
        if (const TFontInfo* f = m_pManager->GetDefaultFontInfo()) font = f->tmHeight;
    }
    return font + Scale(8);
}

void CContainerUI::LineUp() { SIZE p = GetScrollPos(); p.cy -= GetScrollStepSize(); SetScrollPos(p); }
void CContainerUI::LineDown() { SIZE p = GetScrollPos(); p.cy += GetScrollStepSize(); SetScrollPos(p); }
void CContainerUI::PageUp() { SIZE p = GetScrollPos(); RECT c = GetClientPos(); p.cy -= c.bottom - c.top; SetScrollPos(p); }
void CContainerUI::PageDown() { SIZE p = GetScrollPos(); RECT c = GetClientPos(); p.cy += c.bottom - c.top; SetScrollPos(p); }
void CContainerUI::HomeUp() { SIZE p = GetScrollPos(); p.cy = 0; SetScrollPos(p); }
void CContainerUI::EndDown() { SIZE p = GetScrollPos(); p.cy = GetScrollRange().cy; SetScrollPos(p); }
void CContainerUI::LineLeft() { SIZE p = GetScrollPos(); p.cx -= Scale(8); SetScrollPos(p); }
void CContainerUI::LineRight() { SIZE p = GetScrollPos(); p.cx += Scale(8); SetScrollPos(p); }

void CContainerUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal) {
    auto make = [this](bool horizontal) {
        auto* bar = new CScrollBarUI;
        bar->SetOwner(this);
        bar->SetHorizontal(horizontal);
        bar->SetManager(m_pManager, nullptr, false);
        if (m_pManager) {
            if (LPCTSTR def = m_pManager->GetDefaultAttributeList(horizontal ? L"HScrollBar" : L"VScrollBar")) bar->ApplyAttributeList(def);
        }
        bar->SetVisible(false);
        return bar;
    };
    if (bEnableVertical && !m_pVerticalScrollBar) m_pVerticalScrollBar = make(false);
    else if (!bEnableVertical && m_pVerticalScrollBar) {
        delete m_pVerticalScrollBar;
        m_pVerticalScrollBar = nullptr;
    }
    if (bEnableHorizontal && !m_pHorizontalScrollBar) m_pHorizontalScrollBar = make(true);
    else if (!bEnableHorizontal && m_pHorizontalScrollBar) {
        delete m_pHorizontalScrollBar;
        m_pHorizontalScrollBar = nullptr;
    }
    NeedUpdate();
}

void CContainerUI::ProcessScrollBar(RECT rc, int cxRequired, int cyRequired) {
    bool relayout = false;
    if (m_pVerticalScrollBar) {
        m_pVerticalScrollBar->SetManager(m_pManager, nullptr, false);
        int height = rc.bottom - rc.top;
        if (cyRequired > height) {
            int range = cyRequired - height;
            if (!m_pVerticalScrollBar->IsVisible()) {
                m_pVerticalScrollBar->SetVisible(true);
                m_pVerticalScrollBar->SetScrollPos(0);
                relayout = true;
            }
            m_pVerticalScrollBar->SetScrollRange(range);
            int w = m_pVerticalScrollBar->GetFixedWidth();
            m_pVerticalScrollBar->SetPos(RECT{rc.right, rc.top, rc.right + w, rc.bottom}, false);
        } else if (m_pVerticalScrollBar->IsVisible()) {
            m_pVerticalScrollBar->SetVisible(false);
            m_pVerticalScrollBar->SetScrollPos(0);
            relayout = true;
        }
    }
    if (m_pHorizontalScrollBar) {
        m_pHorizontalScrollBar->SetManager(m_pManager, nullptr, false);
        int width = rc.right - rc.left;
        if (cxRequired > width) {
            if (!m_pHorizontalScrollBar->IsVisible()) {
                m_pHorizontalScrollBar->SetVisible(true);
                m_pHorizontalScrollBar->SetScrollPos(0);
                relayout = true;
            }
            m_pHorizontalScrollBar->SetScrollRange(cxRequired - width);
            int h = m_pHorizontalScrollBar->GetFixedHeight();
            m_pHorizontalScrollBar->SetPos(RECT{rc.left, rc.bottom, rc.right, rc.bottom + h}, false);
        } else if (m_pHorizontalScrollBar->IsVisible()) {
            m_pHorizontalScrollBar->SetVisible(false);
            m_pHorizontalScrollBar->SetScrollPos(0);
            relayout = true;
        }
    }
    if (relayout && !m_bInScrollRelayout) {
        m_bInScrollRelayout = true;
        SetPos(m_rcItem, false);
        m_bInScrollRelayout = false;
    }
}

// ================================================================ linear layouts

namespace {

// One axis of a linear layout: the main axis is y for a vertical layout, x for a horizontal
// one; the cross axis is the other. Maps sizes, paddings, limits and alignment onto it.
struct LineAxis {
    bool vertical;

    int Main(SIZE s) const { return vertical ? s.cy : s.cx; }
    int Cross(SIZE s) const { return vertical ? s.cx : s.cy; }
    int MainPad(const RECT& p) const { return vertical ? p.top + p.bottom : p.left + p.right; }
    int CrossPad(const RECT& p) const { return vertical ? p.left + p.right : p.top + p.bottom; }
    int MainPadBefore(const RECT& p) const { return vertical ? p.top : p.left; }
    int CrossPadBefore(const RECT& p) const { return vertical ? p.left : p.top; }
    int MainStart(const RECT& r) const { return vertical ? r.top : r.left; }
    int CrossStart(const RECT& r) const { return vertical ? r.left : r.top; }
    int MinMain(CControlUI* c) const { return vertical ? c->GetMinHeight() : c->GetMinWidth(); }
    int MaxMain(CControlUI* c) const { return vertical ? c->GetMaxHeight() : c->GetMaxWidth(); }
    int MinCross(CControlUI* c) const { return vertical ? c->GetMinWidth() : c->GetMinHeight(); }
    int MaxCross(CControlUI* c) const { return vertical ? c->GetMaxWidth() : c->GetMaxHeight(); }
    // Alignment flags: centred or pushed to the far end along each axis.
    UINT CenterFlag(bool mainAxis) const { return vertical == mainAxis ? DT_VCENTER : DT_CENTER; }
    UINT EndFlag(bool mainAxis) const { return vertical == mainAxis ? DT_BOTTOM : DT_RIGHT; }
    SIZE ToSize(int main, int cross) const { return vertical ? SIZE{cross, main} : SIZE{main, cross}; }
    RECT ToRect(int mainPos, int crossPos, int mainLen, int crossLen) const {
        return vertical ? RECT{crossPos, mainPos, crossPos + crossLen, mainPos + mainLen}
                        : RECT{mainPos, crossPos, mainPos + mainLen, crossPos + crossLen};
    }
};

struct AxisChild {
    CControlUI* c;
    int main;      // estimated size along the main axis, 0 = stretch
    int cross;     // estimated size across
    RECT pad;
};

int Clamp(int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); }

} // namespace

// Lays the visible, non-float children one after another along the main axis: fixed sizes
// first, the rest shared among the stretchable ones (the last takes what is left), each
// aligned across by the child alignment and the whole line aligned when nothing stretches.
void CContainerUI::SetLinearPos(RECT rc, bool bNeedInvalidate, bool bVertical, int iMinCross) {
    const LineAxis ax{bVertical};
    CControlUI::SetPos(rc, bNeedInvalidate);
    RECT client = GetClientPos();
    if (m_items.empty()) {
        ProcessScrollBar(client, 0, 0);
        return;
    }
    SIZE availSize{client.right - client.left, client.bottom - client.top};
    CScrollBarUI* crossBar = bVertical ? m_pHorizontalScrollBar : m_pVerticalScrollBar;
    const int availMain = ax.Main(availSize);
    int availCross = ax.Cross(availSize);
    if (crossBar && crossBar->IsVisible()) availCross += crossBar->GetScrollRange();
    const SIZE avail = ax.ToSize(availMain, availCross);
    std::vector<AxisChild> kids;
    int adjustables = 0, fixed = 0, count = 0, crossNeeded = 0;
    for (auto* c : m_items) {
        if (!c->IsVisible() || c->IsFloat()) continue;
        SIZE sz = c->EstimateSize(avail);
        RECT pad = c->GetPadding();
        int main = ax.Main(sz);
        const int cross = ax.Cross(sz);
        if (main == 0) {
            ++adjustables;
        } else {
            main = Clamp(main, ax.MinMain(c), ax.MaxMain(c));
            fixed += main;
        }
        fixed += ax.MainPad(pad);
        crossNeeded = std::max(crossNeeded, (cross > 0 ? cross : 0) + ax.CrossPad(pad));
        kids.push_back(AxisChild{c, main, cross, pad});
        ++count;
    }
    const int gap = GetChildPadding();
    if (count > 1) fixed += gap * (count - 1);
    int expand = adjustables > 0 ? std::max(0, (availMain - fixed) / adjustables) : 0;
    int remaining = std::max(0, availMain - fixed);
    const SIZE scroll = GetScrollPos();
    const UINT mainAlign = bVertical ? m_iChildVAlign : m_iChildAlign;
    const UINT crossAlign = bVertical ? m_iChildAlign : m_iChildVAlign;
    int pos = ax.MainStart(client) - ax.Main(scroll);
    if (adjustables == 0 && fixed < availMain) {
        if (mainAlign & ax.CenterFlag(true)) pos += (availMain - fixed) / 2;
        else if (mainAlign & ax.EndFlag(true)) pos += availMain - fixed;
    }
    int seenAdjustables = 0, mainNeeded = 0;
    for (auto& k : kids) {
        int len = k.main;
        if (len == 0) {
            ++seenAdjustables;
            len = seenAdjustables == adjustables ? remaining : expand;
            len = Clamp(len, ax.MinMain(k.c), ax.MaxMain(k.c));
            remaining = std::max(0, remaining - len);
        }
        const int room = availCross - ax.CrossPad(k.pad);
        int width = k.cross;
        if (width == 0) width = room;
        width = Clamp(width, ax.MinCross(k.c), ax.MaxCross(k.c));
        int across = ax.CrossStart(client) - ax.Cross(scroll) + ax.CrossPadBefore(k.pad);
        if (crossAlign & ax.CenterFlag(false)) across += (room - width) / 2;
        else if (crossAlign & ax.EndFlag(false)) across += room - width;
        k.c->SetPos(ax.ToRect(pos + ax.MainPadBefore(k.pad), across, len, width), false);
        pos += len + ax.MainPad(k.pad) + gap;
        mainNeeded += len + ax.MainPad(k.pad);
    }
    if (count > 1) mainNeeded += gap * (count - 1);
    for (int i = 0; i < int(m_items.size()); ++i) {
        if (m_items[size_t(i)]->IsVisible() && m_items[size_t(i)]->IsFloat()) SetFloatPos(i);
    }
    const SIZE needed = ax.ToSize(mainNeeded, std::max(crossNeeded, iMinCross));
    ProcessScrollBar(client, needed.cx, needed.cy);
}

int UnscaledLength(const CControlUI* pControl, int iPixels) {
    CPaintManagerUI* manager = pControl ? pControl->GetManager() : nullptr;
    const int scale = manager ? manager->GetDPIObj()->GetScale() : 100;
    return (iPixels * 100 + scale / 2) / scale;
}

void ShowResizeCursor(CControlUI* pControl, bool& bShown, bool bShow, bool bVertical) {
    QWidget* host = pControl && pControl->GetManager() ? pControl->GetManager()->GetHostWidget() : nullptr;
    if (!host || bShow == bShown) return;
    bShown = bShow;
    if (bShow) host->setCursor(bVertical ? Qt::SizeVerCursor : Qt::SizeHorCursor);
    else host->unsetCursor();
}

namespace {

// The handle: a strip of the separator's thickness at the far edge (near edge when negative).
RECT SeparatorRect(const RECT& rc, int size, bool vertical) {
    if (size == 0) return RECT{0, 0, 0, 0};
    if (vertical) return size > 0 ? RECT{rc.left, rc.bottom - size, rc.right, rc.bottom} : RECT{rc.left, rc.top, rc.right, rc.top - size};
    return size > 0 ? RECT{rc.right - size, rc.top, rc.right, rc.bottom} : RECT{rc.left, rc.top, rc.left - size, rc.bottom};
}

// A line over the window where the dragged edge would go.
void ShowGhost(CControlUI* self, TLayoutSeparator& sep, bool vertical) {
    QWidget* host = self->GetManager() ? self->GetManager()->GetHostWidget() : nullptr;
    if (!host) return;
    if (!sep.pGhost) {
        sep.pGhost = new QRubberBand(QRubberBand::Line, host);
        QObject::connect(sep.pGhost, &QObject::destroyed, [&sep] { sep.pGhost = nullptr; });
    }
    const RECT rc = self->GetManager()->ClientToHost(self->GetPos());
    if (vertical) {
        const int y = sep.iSize > 0 ? rc.top + sep.iNewLength : rc.bottom - sep.iNewLength;
        sep.pGhost->setGeometry(rc.left, y - 1, rc.right - rc.left, 2);
    } else {
        const int x = sep.iSize > 0 ? rc.left + sep.iNewLength : rc.right - sep.iNewLength;
        sep.pGhost->setGeometry(x - 1, rc.top, 2, rc.bottom - rc.top);
    }
    sep.pGhost->show();
}

void ApplyLength(CControlUI* self, bool vertical, int pixels) {
    if (vertical) self->SetFixedHeight(UnscaledLength(self, pixels));
    else self->SetFixedWidth(UnscaledLength(self, pixels));
}

// The separator's share of an event; true when it took the event.
bool SeparatorEvent(CControlUI* self, TLayoutSeparator& sep, bool vertical, TEventUI& event) {
    if (sep.iSize == 0 || !self->IsEnabled()) return false;
    const int size = self->Scale(sep.iSize);
    const RECT& rc = self->GetPos();
    const bool inHandle = PtInRect(SeparatorRect(rc, size, vertical), event.ptMouse);
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
        if (!inHandle) return false;
        sep.bDragging = true;
        sep.ptStart = event.ptMouse;
        sep.iStartLength = vertical ? rc.bottom - rc.top : rc.right - rc.left;
        sep.iNewLength = sep.iStartLength;
        if (!sep.bImmediate) ShowGhost(self, sep, vertical);
        return true;
    case UIEVENT_MOUSEMOVE: {
        if (!sep.bDragging) {
            ShowResizeCursor(self, sep.bSizeCursor, inHandle, vertical);
            return false;
        }
        int delta = vertical ? event.ptMouse.y - sep.ptStart.y : event.ptMouse.x - sep.ptStart.x;
        if (size < 0) delta = -delta;
        const int lo = std::max(vertical ? self->GetMinHeight() : self->GetMinWidth(), std::abs(size));
        const int hi = std::max(vertical ? self->GetMaxHeight() : self->GetMaxWidth(), lo);
        sep.iNewLength = std::clamp(sep.iStartLength + delta, lo, hi);
        if (sep.bImmediate) ApplyLength(self, vertical, sep.iNewLength);
        else ShowGhost(self, sep, vertical);
        return true;
    }
    case UIEVENT_BUTTONUP:
        if (!sep.bDragging) return false;
        sep.bDragging = false;
        if (!sep.bImmediate) {
            delete sep.pGhost;
            ApplyLength(self, vertical, sep.iNewLength);
        }
        return true;
    case UIEVENT_MOUSELEAVE:
        if (!sep.bDragging) ShowResizeCursor(self, sep.bSizeCursor, false, vertical);
        return false;
    default:
        return false;
    }
}

bool SetSeparatorAttribute(TLayoutSeparator& sep, const std::wstring& name, const wchar_t* sizeName, LPCTSTR value) {
    if (name == sizeName) sep.iSize = values::ParseInt(value);
    else if (name == L"sepimm") sep.bImmediate = values::ParseBool(value);
    else return false;
    return true;
}

} // namespace

CVerticalLayoutUI::~CVerticalLayoutUI() { delete m_sep.pGhost; }

RECT CVerticalLayoutUI::GetThumbRect() const { return SeparatorRect(m_rcItem, GetSepHeight(), true); }

void CVerticalLayoutUI::DoEvent(TEventUI& event) {
    if (!SeparatorEvent(this, m_sep, true, event)) CContainerUI::DoEvent(event);
}

void CVerticalLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    if (!SetSeparatorAttribute(m_sep, values::Lower(pstrName), L"sepheight", pstrValue)) CContainerUI::SetAttribute(pstrName, pstrValue);
}

CHorizontalLayoutUI::~CHorizontalLayoutUI() { delete m_sep.pGhost; }

RECT CHorizontalLayoutUI::GetThumbRect() const { return SeparatorRect(m_rcItem, GetSepWidth(), false); }

void CHorizontalLayoutUI::DoEvent(TEventUI& event) {
    if (!SeparatorEvent(this, m_sep, false, event)) CContainerUI::DoEvent(event);
}

void CHorizontalLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    if (!SetSeparatorAttribute(m_sep, values::Lower(pstrName), L"sepwidth", pstrValue)) CContainerUI::SetAttribute(pstrName, pstrValue);
}

LPCTSTR CVerticalLayoutUI::GetClass() const { return L"VerticalLayoutUI"; }
LPVOID CVerticalLayoutUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_VERTICALLAYOUT)) return this;
    return CContainerUI::GetInterface(pstrName);
}

void CVerticalLayoutUI::SetPos(RECT rc, bool bNeedInvalidate) { SetLinearPos(rc, bNeedInvalidate, true); }

LPCTSTR CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayoutUI"; }
LPVOID CHorizontalLayoutUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_HORIZONTALLAYOUT)) return this;
    return CContainerUI::GetInterface(pstrName);
}

void CHorizontalLayoutUI::SetPos(RECT rc, bool bNeedInvalidate) { SetLinearPos(rc, bNeedInvalidate, false); }

// ================================================================ CTabLayoutUI

LPCTSTR CTabLayoutUI::GetClass() const { return L"TabLayoutUI"; }
LPVOID CTabLayoutUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_TABLAYOUT)) return this;
    return CContainerUI::GetInterface(pstrName);
}

bool CTabLayoutUI::Add(CControlUI* pControl) { return AddAt(pControl, GetCount()); }

bool CTabLayoutUI::AddAt(CControlUI* pControl, int iIndex) {
    if (!CContainerUI::AddAt(pControl, iIndex)) return false;
    if (m_iCurSel == -1 && pControl->IsVisible()) {
        m_iCurSel = GetItemIndex(pControl);
    } else {
        if (iIndex <= m_iCurSel && m_iCurSel >= 0 && GetCount() > 1 && GetItemIndex(pControl) <= m_iCurSel) ++m_iCurSel;
        pControl->SetVisible(false);
    }
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* pControl, bool bDoNotDestroy) {
    int index = GetItemIndex(pControl);
    if (!CContainerUI::Remove(pControl, bDoNotDestroy)) return false;
    if (m_iCurSel == index) {
        m_iCurSel = -1;
        if (GetCount() > 0) SelectItem(0, false);
    } else if (m_iCurSel > index) {
        --m_iCurSel;
    }
    return true;
}

void CTabLayoutUI::RemoveAll() {
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
}

bool CTabLayoutUI::SelectItem(int iIndex, bool bTriggerEvent) {
    if (iIndex < 0 || iIndex >= GetCount()) return false;
    if (iIndex == m_iCurSel) return true;
    int old = m_iCurSel;
    // Focus moves on only when the page going away held it; a focus elsewhere stays where it is.
    bool focusLeaves = false;
    if (m_pManager && old >= 0 && old < GetCount()) {
        for (CControlUI* c = m_pManager->GetFocus(); c && !focusLeaves; c = c->GetParent()) focusLeaves = c == GetItemAt(old);
    }
    m_iCurSel = iIndex;
    for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetVisible(i == iIndex);
    NeedParentUpdate();
    if (m_pManager) {
        if (focusLeaves) m_pManager->SetNextTabControl();
        if (bTriggerEvent) m_pManager->SendNotify(this, DUI_MSGTYPE_TABSELECT, WPARAM(m_iCurSel), LPARAM(old));
    }
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* pControl, bool bTriggerEvent) { return SelectItem(GetItemIndex(pControl), bTriggerEvent); }

void CTabLayoutUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CControlUI::SetPos(rc, bNeedInvalidate);
    RECT client = GetClientPos();
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* c = GetItemAt(i);
        if (!c->IsVisible()) continue;
        if (c->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        RECT pad = c->GetPadding();
        RECT r{client.left + pad.left, client.top + pad.top, client.right - pad.right, client.bottom - pad.bottom};
        SIZE sz = c->EstimateSize(SIZE{r.right - r.left, r.bottom - r.top});
        if (sz.cx > 0) r.right = r.left + Clamp(sz.cx, c->GetMinWidth(), c->GetMaxWidth());
        if (sz.cy > 0) r.bottom = r.top + Clamp(sz.cy, c->GetMinHeight(), c->GetMaxHeight());
        c->SetPos(r, false);
    }
}

void CTabLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    if (values::EqualNoCase(pstrName, L"selectedid")) SelectItem(values::ParseInt(pstrValue), false);
    else CContainerUI::SetAttribute(pstrName, pstrValue);
}

// ================================================================ CScrollBarUI

CScrollBarUI::CScrollBarUI() {
    m_cxyFixed = SIZE{16, 0};
}

LPCTSTR CScrollBarUI::GetClass() const { return L"ScrollBarUI"; }
LPVOID CScrollBarUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_SCROLLBAR)) return this;
    return CControlUI::GetInterface(pstrName);
}

void CScrollBarUI::SetHorizontal(bool bHorizontal) {
    if (m_bHorizontal == bHorizontal) return;
    m_bHorizontal = bHorizontal;
    if (m_bHorizontal) m_cxyFixed = SIZE{0, m_cxyFixed.cx > 0 ? m_cxyFixed.cx : 16};
    else m_cxyFixed = SIZE{m_cxyFixed.cy > 0 ? m_cxyFixed.cy : 16, 0};
    NeedUpdate();
}

void CScrollBarUI::SetScrollRange(int nRange) {
    m_nRange = std::max(0, nRange);
    m_nScrollPos = Clamp(m_nScrollPos, 0, m_nRange);
    SetPos(m_rcItem, false);
}

void CScrollBarUI::SetScrollPos(int nPos) {
    nPos = Clamp(nPos, 0, m_nRange);
    if (nPos == m_nScrollPos) return;
    m_nScrollPos = nPos;
    SetPos(m_rcItem, false);
    Invalidate();
}

int CScrollBarUI::GetLineSize() const { return Scale(m_nLineSize); }

void CScrollBarUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CControlUI::SetPos(rc, bNeedInvalidate);
    const bool h = m_bHorizontal;
    const int thick = h ? rc.bottom - rc.top : rc.right - rc.left;
    const int b1 = m_bShowButton1 && !m_images[1][0].IsEmpty() ? thick : 0;
    const int b2 = m_bShowButton2 && !m_images[2][0].IsEmpty() ? thick : 0;
    if (h) {
        m_rcButton1 = RECT{rc.left, rc.top, rc.left + b1, rc.bottom};
        m_rcButton2 = RECT{rc.right - b2, rc.top, rc.right, rc.bottom};
    } else {
        m_rcButton1 = RECT{rc.left, rc.top, rc.right, rc.top + b1};
        m_rcButton2 = RECT{rc.left, rc.bottom - b2, rc.right, rc.bottom};
    }
    const int track = (h ? rc.right - rc.left : rc.bottom - rc.top) - b1 - b2;
    if (track <= 0) {
        m_rcThumb = RECT{};
        return;
    }
    const int length = track + m_nRange;
    int thumb = std::max(track * track / std::max(length, 1), thick);
    thumb = std::min(thumb, track);
    const int offset = m_nRange > 0 ? (track - thumb) * m_nScrollPos / m_nRange : 0;
    if (h) m_rcThumb = RECT{rc.left + b1 + offset, rc.top, rc.left + b1 + offset + thumb, rc.bottom};
    else m_rcThumb = RECT{rc.left, rc.top + b1 + offset, rc.right, rc.top + b1 + offset + thumb};
}

void CScrollBarUI::DoEvent(TEventUI& event) {
    auto scrollTo = [this](int pos) {
        if (!m_pOwner) {
            SetScrollPos(pos);
            return;
        }
        SIZE p = m_pOwner->GetScrollPos();
        if (m_bHorizontal) p.cx = pos;
        else p.cy = pos;
        m_pOwner->SetScrollPos(p);
    };
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK: {
        if (!IsEnabled()) return;
        m_ptLastMouse = event.ptMouse;
        m_nLastScrollPos = m_nScrollPos;
        if (PtInRect(m_rcThumb, event.ptMouse)) {
            m_nPushedPart = 3;
        } else if (PtInRect(m_rcButton1, event.ptMouse)) {
            m_nPushedPart = 1;
            scrollTo(m_nScrollPos - GetLineSize());
        } else if (PtInRect(m_rcButton2, event.ptMouse)) {
            m_nPushedPart = 2;
            scrollTo(m_nScrollPos + GetLineSize());
        } else {
            m_nPushedPart = 4;
            int page = m_bHorizontal ? GetWidth() : GetHeight();
            bool before = m_bHorizontal ? event.ptMouse.x < m_rcThumb.left : event.ptMouse.y < m_rcThumb.top;
            scrollTo(m_nScrollPos + (before ? -page : page));
        }
        Invalidate();
        return;
    }
    case UIEVENT_BUTTONUP:
        m_nPushedPart = 0;
        Invalidate();
        return;
    case UIEVENT_MOUSEMOVE: {
        int hot = PtInRect(m_rcThumb, event.ptMouse) ? 3 : PtInRect(m_rcButton1, event.ptMouse) ? 1 : PtInRect(m_rcButton2, event.ptMouse) ? 2 : 0;
        if (hot != m_nHotPart) {
            m_nHotPart = hot;
            Invalidate();
        }
        if (m_nPushedPart == 3) {
            int track = (m_bHorizontal ? GetWidth() - (m_rcButton1.right - m_rcButton1.left) - (m_rcButton2.right - m_rcButton2.left)
                                       : GetHeight() - (m_rcButton1.bottom - m_rcButton1.top) - (m_rcButton2.bottom - m_rcButton2.top));
            int thumb = m_bHorizontal ? m_rcThumb.right - m_rcThumb.left : m_rcThumb.bottom - m_rcThumb.top;
            int moved = m_bHorizontal ? event.ptMouse.x - m_ptLastMouse.x : event.ptMouse.y - m_ptLastMouse.y;
            if (track > thumb) scrollTo(m_nLastScrollPos + moved * m_nRange / (track - thumb));
        }
        return;
    }
    case UIEVENT_MOUSELEAVE:
        m_nHotPart = 0;
        Invalidate();
        return;
    case UIEVENT_SCROLLWHEEL:
        if (m_pOwner) m_pOwner->DoEvent(event);
        return;
    case UIEVENT_SETCURSOR:
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        return;
    default:
        if (m_pOwner) m_pOwner->DoEvent(event);
        else CControlUI::DoEvent(event);
    }
}

void CScrollBarUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    using namespace values;
    std::wstring n(pstrName);
    for (auto& ch : n) ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
    static const wchar_t* parts[5] = {L"bk", L"button1", L"button2", L"thumb", L"rail"};
    static const wchar_t* states[4] = {L"normalimage", L"hotimage", L"pushedimage", L"disabledimage"};
    for (int p = 0; p < 5; ++p) {
        for (int s = 0; s < 4; ++s) {
            if (n == std::wstring(parts[p]) + states[s]) {
                m_images[p][s] = pstrValue;
                Invalidate();
                return;
            }
        }
    }
    if (n == L"hor") SetHorizontal(ParseBool(pstrValue));
    else if (n == L"linesize") SetLineSize(ParseInt(pstrValue));
    else if (n == L"range") SetScrollRange(ParseInt(pstrValue));
    else if (n == L"value") SetScrollPos(ParseInt(pstrValue));
    else if (n == L"showbutton1") m_bShowButton1 = ParseBool(pstrValue);
    else if (n == L"showbutton2") m_bShowButton2 = ParseBool(pstrValue);
    else CControlUI::SetAttribute(pstrName, pstrValue);
}

void CScrollBarUI::PaintPart(HDC hDC, const RECT& rc, const CDuiString* images, int state, DWORD fallback) {
    if (IsRectEmpty(rc)) return;
    const CDuiString& img = !images[state].IsEmpty() ? images[state] : images[0];
    if (!img.IsEmpty() && CRenderEngine::DrawImageString(hDC, m_pManager, rc, rc, img)) return;
    if (fallback) {
        RECT r{rc.left + 3, rc.top + 3, rc.right - 3, rc.bottom - 3};
        int radius = std::min(r.right - r.left, r.bottom - r.top);
        CRenderEngine::FillRoundRect(hDC, r, radius, radius, fallback);
    }
}

bool CScrollBarUI::DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) {
    CControlUI::DoPaint(hDC, rcPaint, pStopControl);
    int disabled = IsEnabled() ? -1 : 3;
    auto st = [&](int part) { return disabled >= 0 ? disabled : m_nPushedPart == part ? 2 : m_nHotPart == part ? 1 : 0; };
    PaintPart(hDC, m_rcItem, m_images[0], disabled >= 0 ? 3 : 0, 0);
    if (m_bShowButton1) PaintPart(hDC, m_rcButton1, m_images[1], st(1), 0);
    if (m_bShowButton2) PaintPart(hDC, m_rcButton2, m_images[2], st(2), 0);
    DWORD thumbColor = st(3) == 2 ? 0xFF909090 : st(3) == 1 ? 0xFFA8A8A8 : 0xFFC0C0C0;
    PaintPart(hDC, m_rcThumb, m_images[3], st(3), thumbColor);
    if (!m_images[4][0].IsEmpty()) {
        TDrawInfo info;
        info.Parse(m_images[4][st(3)].IsEmpty() ? m_images[4][0] : m_images[4][st(3)]);
        if (const TImageInfo* img = m_pManager ? m_pManager->GetImageEx(info.sImageName, info.sResType, info.dwMask) : nullptr) {
            int cx = (m_rcThumb.left + m_rcThumb.right - Scale(img->nX)) / 2, cy = (m_rcThumb.top + m_rcThumb.bottom - Scale(img->nY)) / 2;
            RECT rail{cx, cy, cx + Scale(img->nX), cy + Scale(img->nY)};
            CRenderEngine::DrawImageString(hDC, m_pManager, rail, m_rcThumb, m_images[4][0]);
        }
    }
    return true;
}

} // namespace DuiLib
