#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cwctype>

#include "ui/builder.h"
#include "ui/custom_controls.h"
#include "ui/manager.h"
#include "ui/values.h"
#include "ui/window.h"

namespace DuiLib {

// ================================================================ CAudioRecordUI

CAudioRecordUI::CAudioRecordUI() : m_samples(kSampleCount, 0) {}

LPCTSTR CAudioRecordUI::GetClass() const { return L"AudioRecord"; }
LPVOID CAudioRecordUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, L"AudioRecord")) return this;
    return CLabelUI::GetInterface(pstrName);
}

void CAudioRecordUI::SetSamples(const std::vector<int>& samples) {
    m_samples.assign(samples.begin(), samples.begin() + std::min<size_t>(samples.size(), kSampleCount));
    for (int& s : m_samples) s = std::clamp(s, 0, 8192);
    Invalidate();
}

void CAudioRecordUI::PaintStatusImage(HDC hDC) {
    const int h = GetHeight();
    for (size_t i = 0; i < m_samples.size(); ++i) {
        int x = m_rcItem.left + int(i) * 2;
        if (x >= m_rcItem.right) break;
        int top = m_rcItem.top + h - m_samples[i] * h / 8192;
        CRenderEngine::DrawColor(hDC, RECT{x, top, x + 1, m_rcItem.bottom - 1}, 0xFF000000);
    }
}

// ================================================================ CCircleProgressUI

LPCTSTR CCircleProgressUI::GetClass() const { return L"CircleProgress"; }
LPVOID CCircleProgressUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, L"CircleProgress")) return this;
    return CProgressUI::GetInterface(pstrName);
}

double CCircleProgressUI::GetSweepAngle() const {
    if (m_nMax <= m_nMin) return 0.0;
    return double(m_nValue - m_nMin) / double(m_nMax - m_nMin) * 360.0;
}

void CCircleProgressUI::PaintBkColor(HDC hDC) { CRenderEngine::DrawEllipse(hDC, m_rcItem, m_dwBackColor); }

void CCircleProgressUI::PaintStatusImage(HDC) {}

void CCircleProgressUI::PaintForeColor(HDC hDC) {
    // From six o'clock, clockwise as the screen shows it.
    CRenderEngine::DrawPie(hDC, m_rcItem, -90.0, -GetSweepAngle(), m_dwForeColor);
    RECT inner{m_rcItem.left + 10, m_rcItem.top + 10, m_rcItem.right - 10, m_rcItem.bottom - 10};
    CRenderEngine::DrawEllipse(hDC, inner, 0xFFFFFFFF);
}

// ================================================================ CWndUI

LPCTSTR CWndUI::GetClass() const { return L"Wnd"; }
LPVOID CWndUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, L"Wnd")) return this;
    return CControlUI::GetInterface(pstrName);
}

bool CWndUI::Attach(HWND hWndNew) {
    if (!CWindowWnd::FromHandle(hWndNew)) return false;
    m_hWnd = hWndNew;
    Sync();
    return true;
}

HWND CWndUI::Detach() {
    HWND h = m_hWnd;
    m_hWnd = nullptr;
    return h;
}

void CWndUI::Sync() {
    CWindowWnd* wnd = CWindowWnd::FromHandle(m_hWnd);
    QWidget* child = wnd ? wnd->GetWidget() : nullptr;
    if (!child) return;
    QWidget* host = m_pManager ? m_pManager->GetHostWidget() : nullptr;
    const RECT place = m_pManager ? m_pManager->ClientToHost(m_rcItem) : m_rcItem;
    QPoint at(place.left, place.top);
    // A separate window sits at the host's screen position plus the control's place.
    if (host && child->parentWidget() != host) at = host->mapToGlobal(at);
    child->setGeometry(at.x(), at.y(), GetWidth(), GetHeight());
    child->setVisible(IsVisible());
}

void CWndUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CControlUI::SetPos(rc, bNeedInvalidate);
    Sync();
}

void CWndUI::SetVisible(bool bVisible) {
    CControlUI::SetVisible(bVisible);
    Sync();
}

void CWndUI::SetInternVisible(bool bVisible) {
    CControlUI::SetInternVisible(bVisible);
    Sync();
}

// ================================================================ CComboEditContainerElementUI

LPCTSTR CComboEditContainerElementUI::GetClass() const { return L"ComboEditContainerElement"; }
LPVOID CComboEditContainerElementUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, L"ComboEditContainerElement")) return this;
    return CListContainerElementUI::GetInterface(pstrName);
}

void CComboEditContainerElementUI::DoInit() {
    if (GetCount() == 0 && m_pManager) {
        CDialogBuilder builder;
        if (CControlUI* content = builder.Create(L"XML\\CustomControlXML\\ComboEditElementItem.xml", nullptr, nullptr, m_pManager))
            Add(content);
    }
    if (!m_pManager) return;
    m_pText1 = m_pManager->FindSubControlByName(this, L"text1");
    m_pText2 = m_pManager->FindSubControlByName(this, L"text2");
    m_pDelayEdit = m_pManager->FindSubControlByName(this, L"delay_edit");
    auto watch = [this](TNotifyUI& msg) {
        if (msg.sType == DUI_MSGTYPE_SELECTCHANGED) m_bChanged = true;
        else if (msg.sType == DUI_MSGTYPE_RETURN && msg.pSender == m_pDelayEdit) m_bChanged = true;
    };
    if (m_pDelayEdit) m_pDelayEdit->OnNotify.push_back(watch);
    for (CControlUI* c : {m_pText1, m_pText2}) {
        if (c && c->GetInterface(DUI_CTR_OPTION)) c->OnNotify.push_back(watch);
    }
}

void CComboEditContainerElementUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_KEYDOWN:
        if (IsEnabled() && event.chKey == VK_RETURN) {
            Activate();
            if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_RETURN);
            return;
        }
        break;
    case UIEVENT_BUTTONDOWN:
        if (IsEnabled()) {
            if (event.wKeyState & MK_CONTROL) Select(!IsSelected());
            else if (m_pOwner) m_pOwner->SelectItem(m_iIndex, true);
            else Select(true);
        }
        return;
    case UIEVENT_BUTTONUP:
        if (IsEnabled() && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMCLICK);
        return;
    case UIEVENT_DBLCLICK:
        if (IsEnabled()) Activate();
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) SetHot(true);
        return;
    case UIEVENT_MOUSELEAVE:
        SetHot(false);
        return;
    case UIEVENT_TIMER:
        if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_TIMER, event.wParam, event.lParam);
        return;
    case UIEVENT_CONTEXTMENU:
        if (IsContextMenuUsed() && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_MENU, event.wParam, event.lParam);
        return;
    default:
        break;
    }
    CHorizontalLayoutUI::DoEvent(event);
}

void CComboEditContainerElementUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    if (values::EqualNoCase(pstrName, L"normalimage") || values::EqualNoCase(pstrName, L"hotimage") ||
        values::EqualNoCase(pstrName, L"selectedimage"))
        return;
    CListContainerElementUI::SetAttribute(pstrName, pstrValue);
}

// ================================================================ CCloudShareListItemUI

LPCTSTR CCloudShareListItemUI::GetClass() const { return L"CloudShareListItemUI"; }
LPVOID CCloudShareListItemUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, L"CloudShareListItemUI")) return this;
    return CListContainerElementUI::GetInterface(pstrName);
}

void CCloudShareListItemUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_CONTEXTMENU:
        if (IsContextMenuUsed() && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_MENU, event.wParam, event.lParam);
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) SetHot(true);
        return;
    case UIEVENT_MOUSELEAVE:
        SetHot(false);
        return;
    default:
        CListContainerElementUI::DoEvent(event);
    }
}

void CCloudShareListItemUI::PaintBkColor(HDC hDC) {
    if (IsHot() && !IsSelected()) {
        CHorizontalLayoutUI::PaintBkColor(hDC);
        const TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
        if (info && !info->sHotImage.IsEmpty()) CRenderEngine::DrawImageString(hDC, m_pManager, m_rcItem, m_rcItem, info->sHotImage);
        return;
    }
    CListContainerElementUI::PaintBkColor(hDC);
}

// ================================================================ CChartViewUI

LPCTSTR CChartViewUI::GetClass() const { return L"ChartViewUI"; }
LPVOID CChartViewUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, L"ChartView")) return this;
    return CControlUI::GetInterface(pstrName);
}

void CChartViewUI::AddItem(LPCTSTR pstrName, double value) {
    m_items.push_back(Item{pstrName ? pstrName : L"", value});
    Invalidate();
}

void CChartViewUI::RemoveAllItems() {
    m_items.clear();
    Invalidate();
}

void CChartViewUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    using namespace values;
    std::wstring n(pstrName);
    for (auto& ch : n) ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
    if (n == L"view") m_sView = pstrValue;
    else if (n == L"shadowimage") m_sShadowImage = pstrValue;
    else if (n == L"shadowimageheight") m_nShadowImageHeight = ParseInt(pstrValue);
    else if (n == L"pillarimage") m_sPillarImage = pstrValue;
    else if (n == L"pillarimagewidth") m_nPillarImageWidth = ParseInt(pstrValue);
    else if (n == L"showhtml") m_bShowHtml = ParseBool(pstrValue);
    else if (n == L"showtext") m_bShowText = ParseBool(pstrValue);
    else if (n == L"font") m_iFont = ParseInt(pstrValue);
    else CControlUI::SetAttribute(pstrName, pstrValue);
}

void CChartViewUI::PaintStatusImage(HDC hDC) {
    if (m_items.empty() || !m_pManager) return;
    double top = 0;
    for (const auto& i : m_items) top = std::max(top, i.value);
    if (top <= 0) top = 1;
    const TFontInfo* font = m_pManager->GetFontInfo(m_iFont);
    const int labelH = m_bShowText ? (font ? font->tmHeight : 12) + Scale(4) : 0;
    const int base = m_rcItem.bottom - labelH;
    const int slot = GetWidth() / int(m_items.size());
    const int barW = m_nPillarImageWidth > 0 ? std::min(slot, Scale(m_nPillarImageWidth)) : std::max(1, slot * 3 / 5);
    if (!m_sShadowImage.IsEmpty()) {
        int sh = Scale(m_nShadowImageHeight);
        CRenderEngine::DrawImageString(hDC, m_pManager, RECT{m_rcItem.left, base - sh, m_rcItem.right, base}, m_rcItem, m_sShadowImage);
    }
    for (size_t k = 0; k < m_items.size(); ++k) {
        const Item& item = m_items[k];
        int x = m_rcItem.left + int(k) * slot + (slot - barW) / 2;
        int h = int((base - m_rcItem.top - labelH) * std::max(0.0, item.value) / top);
        RECT bar{x, base - h, x + barW, base};
        if (m_sPillarImage.IsEmpty() || !CRenderEngine::DrawImageString(hDC, m_pManager, bar, m_rcItem, m_sPillarImage))
            CRenderEngine::DrawColor(hDC, bar, m_dwForeColor ? m_dwForeColor : 0xFF3A7BD5);
        if (m_bShowText) {
            RECT label{m_rcItem.left + int(k) * slot, base + Scale(2), m_rcItem.left + int(k + 1) * slot, m_rcItem.bottom};
            if (m_bShowHtml) CRenderEngine::DrawHtmlText(hDC, m_pManager, label, item.name, 0xFF000000, m_iFont, DT_CENTER | DT_SINGLELINE);
            else CRenderEngine::DrawText(hDC, m_pManager, label, item.name, 0xFF000000, m_iFont, DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
            CDuiString v;
            v.Format(L"%g", item.value);
            RECT value{bar.left - Scale(10), bar.top - labelH, bar.right + Scale(10), bar.top};
            CRenderEngine::DrawText(hDC, m_pManager, value, v, 0xFF404040, m_iFont, DT_CENTER | DT_SINGLELINE | DT_BOTTOM);
        }
    }
}

// ================================================================ registration

void RegisterCustomControls() {
    auto* f = CControlFactory::GetInstance();
    f->RegistControl(L"CCircleProgressUI", [] { return static_cast<CControlUI*>(new CCircleProgressUI); });
    f->RegistControl(L"CChartViewUI", [] { return static_cast<CControlUI*>(new CChartViewUI); });
    f->RegistControl(L"CWndUI", [] { return static_cast<CControlUI*>(new CWndUI); });
    f->RegistControl(L"CSelectPanelUI", [] { return static_cast<CControlUI*>(new CSelectPanelUI); });
    f->RegistControl(L"CDeviceKeyButtonUI", [] { return static_cast<CControlUI*>(new CDeviceKeyButtonUI); });
    f->RegistControl(L"CCloudShareListItemUI", [] { return static_cast<CControlUI*>(new CCloudShareListItemUI); });
    f->RegistControl(L"CComboEditContainerElementUI", [] { return static_cast<CControlUI*>(new CComboEditContainerElementUI); });
    f->RegistControl(L"CHandImgButtonUI", [] { return static_cast<CControlUI*>(new CHandImgButtonUI); });
    f->RegistControl(L"CHandImgSelectButtonUI", [] { return static_cast<CControlUI*>(new CHandImgSelectButtonUI); });
    f->RegistControl(L"CRedioMacroButtonUI", [] { return static_cast<CControlUI*>(new CRedioMacroButtonUI); });
    f->RegistControl(L"CAudioRecordUI", [] { return static_cast<CControlUI*>(new CAudioRecordUI); });
}

} // namespace DuiLib
