#include "ui/list.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>

#include "ui/accessible.h"
#include "ui/host_widget.h"
#include "ui/manager.h"
#include "ui/values.h"

namespace DuiLib {
namespace {

IListItemUI* AsItem(CControlUI* c) { return c ? static_cast<IListItemUI*>(c->GetInterface(DUI_CTR_LISTITEM)) : nullptr; }

constexpr UINT kHot = 8;

// Row events shared by label and container rows.
template <typename Row>
bool RowEvent(Row* row, CListRowState& st, TEventUI& event, CPaintManagerUI* manager) {
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
        if (row->IsEnabled()) {
            if (st.m_pOwner) st.m_pOwner->SelectItemByInput(st.m_iIndex, event.wKeyState);
            row->Invalidate();
        }
        return true;
    case UIEVENT_BUTTONUP:
        if (row->IsEnabled()) {
            if (manager) manager->SendNotify(row, DUI_MSGTYPE_ITEMCLICK);
            if (st.m_pOwner) st.m_pOwner->OnItemReleased();
        }
        return true;
    case UIEVENT_DBLCLICK:
        if (row->IsEnabled()) row->Activate();
        return true;
    case UIEVENT_KEYDOWN:
        if (row->IsEnabled() && event.chKey == VK_RETURN) {
            row->Activate();
            if (st.m_pOwner) st.m_pOwner->OnItemReleased();
            return true;
        }
        if (st.m_pOwner) {
            st.m_pOwner->DoEvent(event);
            return true;
        }
        return false;
    case UIEVENT_MOUSEENTER:
        if (row->IsEnabled()) {
            st.m_uButtonState |= kHot;
            row->Invalidate();
        }
        return true;
    case UIEVENT_MOUSELEAVE:
        st.m_uButtonState &= ~kHot;
        row->Invalidate();
        return true;
    case UIEVENT_MOUSEMOVE:
        return true;
    case UIEVENT_SCROLLWHEEL:
        if (st.m_pOwnerControl) {
            st.m_pOwnerControl->DoEvent(event);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void DrawRowBk(HDC hDC, CPaintManagerUI* manager, CControlUI* row, const TListInfoUI* info, const RECT& rc, bool selected, bool hot,
               int index) {
    if (!info) return;
    DWORD color = 0;
    const CDuiString* image = nullptr;
    if (!row->IsEnabled()) {
        color = info->dwDisabledBkColor;
        image = &info->sDisabledImage;
    } else if (selected) {
        color = info->dwSelectedBkColor;
        image = &info->sSelectedImage;
    } else if (hot) {
        color = info->dwHotBkColor;
        image = &info->sHotImage;
    } else {
        color = info->dwBkColor;
        if (info->bAlternateBk && index % 2 == 1) color = 0;
        image = &info->sBkImage;
    }
    CRenderEngine::DrawColor(hDC, rc, color);
    if (image && !image->IsEmpty()) CRenderEngine::DrawImageString(hDC, manager, rc, rc, *image);
    if (info->bShowRowLine && info->dwLineColor) CRenderEngine::DrawColor(hDC, RECT{rc.left, rc.bottom - 1, rc.right, rc.bottom}, info->dwLineColor);
}

// The parts of a row that do not depend on whether it is a plain control or a container.
void BindRowOwner(CListRowState& st, CControlUI* pOwner) {
    st.m_pOwnerControl = pOwner;
    st.m_pOwner = pOwner ? static_cast<IListOwnerUI*>(pOwner->GetInterface(DUI_CTR_ILISTOWNER)) : nullptr;
}

bool SelectRow(CControlUI* row, CListRowState& st, bool bSelect) {
    if (!row->IsEnabled()) return false;
    st.m_bSelected = bSelect;
    row->Invalidate();
    return true;
}

bool ActivateRow(CControlUI* row) {
    if (!row->CControlUI::Activate()) return false;
    if (CPaintManagerUI* manager = row->GetManager()) manager->SendNotify(row, DUI_MSGTYPE_ITEMACTIVATE);
    return true;
}

// A row hidden while selected gives up the selection.
void DropHiddenSelection(CControlUI* row, CListRowState& st) {
    if (!row->IsVisible() && st.m_bSelected) {
        st.m_bSelected = false;
        if (st.m_pOwner) st.m_pOwner->UnSelectItem(st.m_iIndex);
    }
}

// The owner keeps its selection index in step with the row's state.
void ApplySelectedAttribute(IListItemUI* item, CListRowState& st, LPCTSTR pstrValue) {
    bool sel = values::ParseBool(pstrValue);
    if (st.m_pOwner && sel) st.m_pOwner->SelectItem(st.m_iIndex, false, false);
    else item->Select(sel);
}

// The x ranges of the header's shown columns when its left edge is at x.
std::vector<std::pair<int, int>> HeaderColumnRanges(CListHeaderUI* header, int x) {
    std::vector<std::pair<int, int>> out;
    if (!header || !header->IsVisible()) return out;
    x += header->GetInset().left;
    for (int i = 0; i < header->GetCount(); ++i) {
        CControlUI* c = header->GetItemAt(i);
        if (!c->IsVisible() || c->IsFloat()) continue;
        RECT pad = c->GetPadding();
        x += pad.left;
        out.emplace_back(x, x + c->GetWidth());
        x += c->GetWidth() + pad.right + header->GetChildPadding();
    }
    return out;
}

// The width the header's columns take side by side.
int HeaderColumnsWidth(CListHeaderUI* header) {
    const auto columns = HeaderColumnRanges(header, 0);
    return columns.empty() ? 0 : columns.back().second + header->GetInset().right;
}

void DrawRowItemBk(HDC hDC, CControlUI* row, const CListRowState& st, const RECT& rcItem) {
    DrawRowBk(hDC, row->GetManager(), row, st.m_pOwner ? st.m_pOwner->GetListInfo() : nullptr, rcItem, st.m_bSelected,
              (st.m_uButtonState & kHot) != 0, st.m_iIndex);
}

} // namespace

bool TListInfoUI::SetAttribute(const std::wstring& n, LPCTSTR v) {
    using namespace values;
    if (n == L"itemfont") nFont = ParseInt(v);
    else if (n == L"itemalign") {
        uTextStyle &= ~(DT_CENTER | DT_RIGHT);
        std::wstring s(v);
        if (s.find(L"center") != std::wstring::npos) uTextStyle |= DT_CENTER;
        else if (s.find(L"right") != std::wstring::npos) uTextStyle |= DT_RIGHT;
    } else if (n == L"itemvalign") {
        uTextStyle &= ~(DT_VCENTER | DT_BOTTOM);
        std::wstring s(v);
        if (s.find(L"bottom") != std::wstring::npos) uTextStyle |= DT_BOTTOM;
        else if (s.find(L"top") == std::wstring::npos) uTextStyle |= DT_VCENTER;
    } else if (n == L"itemendellipsis") {
        if (ParseBool(v)) uTextStyle |= DT_END_ELLIPSIS;
        else uTextStyle &= ~DT_END_ELLIPSIS;
    } else if (n == L"itemtextpadding") rcTextPadding = ParseRect(v);
    else if (n == L"itemtextcolor") dwTextColor = ParseColor(v);
    else if (n == L"itembkcolor") dwBkColor = ParseColor(v);
    else if (n == L"itembkimage") sBkImage = v;
    else if (n == L"itemaltbk") bAlternateBk = ParseBool(v);
    else if (n == L"itemselectedtextcolor") dwSelectedTextColor = ParseColor(v);
    else if (n == L"itemselectedbkcolor") dwSelectedBkColor = ParseColor(v);
    else if (n == L"itemselectedimage") sSelectedImage = v;
    else if (n == L"itemhottextcolor") dwHotTextColor = ParseColor(v);
    else if (n == L"itemhotbkcolor") dwHotBkColor = ParseColor(v);
    else if (n == L"itemhotimage") sHotImage = v;
    else if (n == L"itemdisabledtextcolor") dwDisabledTextColor = ParseColor(v);
    else if (n == L"itemdisabledbkcolor") dwDisabledBkColor = ParseColor(v);
    else if (n == L"itemdisabledimage") sDisabledImage = v;
    else if (n == L"itemlinecolor") dwLineColor = ParseColor(v);
    else if (n == L"itemshowrowline") bShowRowLine = ParseBool(v);
    else if (n == L"itemshowcolumnline") bShowColumnLine = ParseBool(v);
    else if (n == L"itemshowhtml") bShowHtml = ParseBool(v);
    else if (n == L"multiexpanding") bMultiExpandable = ParseBool(v);
    else return false;
    return true;
}

// ================================================================ CListElementUI

LPCTSTR CListElementUI::GetClass() const { return L"ListElementUI"; }
LPVOID CListElementUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_LISTITEM)) return static_cast<IListItemUI*>(this);
    if (values::EqualNoCase(pstrName, DUI_CTR_LISTELEMENT)) return this;
    return CControlUI::GetInterface(pstrName);
}

UINT CListElementUI::GetControlFlags() const { return UIFLAG_WANTRETURN; }

void CListElementUI::SetOwner(CControlUI* pOwner) { BindRowOwner(*this, pOwner); }

bool CListElementUI::Select(bool bSelect, bool) { return SelectRow(this, *this, bSelect); }

bool CListElementUI::Activate() { return ActivateRow(this); }

void CListElementUI::SetVisible(bool bVisible) {
    CControlUI::SetVisible(bVisible);
    DropHiddenSelection(this, *this);
}

void CListElementUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pOwner) m_pOwner->DoEvent(event);
        else CControlUI::DoEvent(event);
        return;
    }
    if (RowEvent(this, *this, event, m_pManager)) return;
    CControlUI::DoEvent(event);
}

void CListElementUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    if (values::EqualNoCase(pstrName, L"selected")) ApplySelectedAttribute(this, *this, pstrValue);
    else CControlUI::SetAttribute(pstrName, pstrValue);
}

void CListElementUI::DrawItemBk(HDC hDC, const RECT& rcItem) { DrawRowItemBk(hDC, this, *this, rcItem); }

void CListElementUI::PaintBkColor(HDC hDC) {
    CControlUI::PaintBkColor(hDC);
    DrawItemBk(hDC, m_rcItem);
}

void CListElementUI::PaintStatusImage(HDC) {}

LPCTSTR CListLabelElementUI::GetClass() const { return L"ListLabelElementUI"; }
LPVOID CListLabelElementUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_LISTLABELELEMENT)) return this;
    return CListElementUI::GetInterface(pstrName);
}

SIZE CListLabelElementUI::EstimateSize(SIZE) {
    SIZE sz{GetFixedWidth(), GetFixedHeight()};
    if (sz.cy == 0 && m_pManager) {
        TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
        const TFontInfo* f = m_pManager->GetFontInfo(info ? info->nFont : -1);
        RECT pad = info ? ScaleRect(info->rcTextPadding) : RECT{};
        sz.cy = (f ? f->tmHeight : 12) + Scale(8) + pad.top + pad.bottom;
    }
    return sz;
}

void CListLabelElementUI::PaintText(HDC hDC) {
    TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
    if (!info) return;
    DWORD color = !IsEnabled() ? info->dwDisabledTextColor : m_bSelected ? info->dwSelectedTextColor
                                                         : (m_uButtonState & kHot) ? info->dwHotTextColor : info->dwTextColor;
    RECT pad = ScaleRect(info->rcTextPadding);
    RECT rc{m_rcItem.left + pad.left, m_rcItem.top + pad.top, m_rcItem.right - pad.right, m_rcItem.bottom - pad.bottom};
    if (info->bShowHtml) CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, GetText(), color, info->nFont, info->uTextStyle);
    else CRenderEngine::DrawText(hDC, m_pManager, rc, GetText(), color, info->nFont, info->uTextStyle);
}

LPCTSTR CListTextElementUI::GetClass() const { return L"ListTextElementUI"; }
LPVOID CListTextElementUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_LISTTEXTELEMENT)) return this;
    return CListLabelElementUI::GetInterface(pstrName);
}

LPCTSTR CListTextElementUI::GetText(int iIndex) const {
    if (iIndex < 0 || iIndex >= int(m_texts.size())) return L"";
    return m_texts[size_t(iIndex)];
}

void CListTextElementUI::SetText(int iIndex, LPCTSTR pstrText) {
    if (iIndex < 0) return;
    if (iIndex >= int(m_texts.size())) m_texts.resize(size_t(iIndex) + 1);
    m_texts[size_t(iIndex)] = pstrText ? pstrText : L"";
    if (iIndex == 0) CControlUI::SetText(pstrText);
    Invalidate();
}

void CListTextElementUI::PaintText(HDC hDC) {
    TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
    if (!info || info->nColumns == 0) {
        CListLabelElementUI::PaintText(hDC);
        return;
    }
    DWORD color = !IsEnabled() ? info->dwDisabledTextColor : m_bSelected ? info->dwSelectedTextColor
                                                         : (m_uButtonState & kHot) ? info->dwHotTextColor : info->dwTextColor;
    RECT pad = ScaleRect(info->rcTextPadding);
    for (int i = 0; i < info->nColumns && i < 32; ++i) {
        RECT col = info->rcColumn[i];
        RECT rc{col.left + pad.left, m_rcItem.top + pad.top, col.right - pad.right, m_rcItem.bottom - pad.bottom};
        CDuiString text = i == 0 && m_texts.empty() ? CControlUI::GetText() : CDuiString(GetText(i));
        CRenderEngine::DrawText(hDC, m_pManager, rc, text, color, info->nFont, info->uTextStyle);
    }
}

// ================================================================ CListContainerElementUI

LPCTSTR CListContainerElementUI::GetClass() const { return L"ListContainerElementUI"; }
LPVOID CListContainerElementUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_LISTITEM)) return static_cast<IListItemUI*>(this);
    if (values::EqualNoCase(pstrName, DUI_CTR_LISTCONTAINERELEMENT)) return this;
    return CHorizontalLayoutUI::GetInterface(pstrName);
}

UINT CListContainerElementUI::GetControlFlags() const { return UIFLAG_WANTRETURN; }

void CListContainerElementUI::SetOwner(CControlUI* pOwner) { BindRowOwner(*this, pOwner); }

bool CListContainerElementUI::Select(bool bSelect, bool) { return SelectRow(this, *this, bSelect); }

bool CListContainerElementUI::Activate() { return ActivateRow(this); }

void CListContainerElementUI::SetVisible(bool bVisible) {
    CHorizontalLayoutUI::SetVisible(bVisible);
    DropHiddenSelection(this, *this);
}

void CListContainerElementUI::SetHot(bool bHot) {
    if (bHot) m_uButtonState |= kHot;
    else m_uButtonState &= ~kHot;
    Invalidate();
}

void CListContainerElementUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pOwner) m_pOwner->DoEvent(event);
        else CHorizontalLayoutUI::DoEvent(event);
        return;
    }
    if (event.Type == UIEVENT_TIMER) {
        if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_TIMER, event.wParam, event.lParam);
        return;
    }
    if (event.Type == UIEVENT_CONTEXTMENU) {
        if (IsContextMenuUsed() && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_MENU, event.wParam, event.lParam);
        return;
    }
    if (RowEvent(this, *this, event, m_pManager)) return;
    CHorizontalLayoutUI::DoEvent(event);
}

void CListContainerElementUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    if (values::EqualNoCase(pstrName, L"selected")) ApplySelectedAttribute(this, *this, pstrValue);
    else if (values::EqualNoCase(pstrName, L"expandable")) AddCustomAttribute(pstrName, pstrValue);
    else CHorizontalLayoutUI::SetAttribute(pstrName, pstrValue);
}

void CListContainerElementUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CHorizontalLayoutUI::SetPos(rc, bNeedInvalidate);
    auto* list = m_pOwnerControl ? static_cast<CListUI*>(m_pOwnerControl->GetInterface(DUI_CTR_LIST)) : nullptr;
    if (!list) return;
    const auto columns = HeaderColumnRanges(list->GetHeader(), m_rcItem.left);
    size_t column = 0;
    for (auto* c : m_items) {
        if (column >= columns.size()) break;
        if (!c->IsVisible() || c->IsFloat()) continue;
        RECT r = c->GetPos();
        r.left = columns[column].first;
        r.right = columns[column].second;
        c->SetPos(r, false);
        ++column;
    }
}

void CListContainerElementUI::DrawItemBk(HDC hDC, const RECT& rcItem) { DrawRowItemBk(hDC, this, *this, rcItem); }

void CListContainerElementUI::PaintBkColor(HDC hDC) {
    CHorizontalLayoutUI::PaintBkColor(hDC);
    DrawItemBk(hDC, m_rcItem);
}

void CListContainerElementUI::PaintStatusImage(HDC) {}

// ================================================================ header

CListHeaderItemUI::CListHeaderItemUI() {
    m_uTextStyle = DT_VCENTER | DT_CENTER | DT_SINGLELINE;
    m_rcTextPadding = RECT{2, 0, 2, 0};
}
LPCTSTR CListHeaderItemUI::GetClass() const { return L"ListHeaderItemUI"; }
LPVOID CListHeaderItemUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_LISTHEADERITEM)) return this;
    return CLabelUI::GetInterface(pstrName);
}
UINT CListHeaderItemUI::GetControlFlags() const { return IsEnabled() && m_iSepWidth != 0 ? UIFLAG_SETCURSOR : 0; }

void CListHeaderItemUI::SetDragable(bool bDragable) {
    m_bDragable = bDragable;
    if (!m_bDragable) m_uButtonState &= ~kDragging;
}

SIZE CListHeaderItemUI::EstimateSize(SIZE) { return SIZE{GetFixedWidth(), GetFixedHeight()}; }

void CListHeaderItemUI::SetEnabled(bool bEnable) {
    CLabelUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = 0;
}

RECT CListHeaderItemUI::GetThumbRect() const {
    const int sep = GetSepWidth();
    if (!m_bDragable || sep == 0) return RECT{0, 0, 0, 0};
    if (sep > 0) return RECT{m_rcItem.right - sep, m_rcItem.top, m_rcItem.right, m_rcItem.bottom};
    return RECT{m_rcItem.left, m_rcItem.top, m_rcItem.left - sep, m_rcItem.bottom};
}

bool CListHeaderItemUI::InSeparator(POINT pt) const { return PtInRect(GetThumbRect(), pt); }

void CListHeaderItemUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pParent) m_pParent->DoEvent(event);
        else CLabelUI::DoEvent(event);
        return;
    }
    if (!IsEnabled()) {
        CLabelUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (InSeparator(event.ptMouse)) {
            m_uButtonState |= kDragging;
            m_ptDragStart = event.ptMouse;
            m_cxDragStart = GetWidth();
        } else {
            m_uButtonState |= kPushed;
            if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_HEADERCLICK);
        }
        Invalidate();
        return;
    case UIEVENT_BUTTONUP:
        m_uButtonState &= ~(kDragging | kPushed);
        Invalidate();
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_uButtonState & kDragging) {
            // Left separators grow the column when dragged to the left.
            const int delta = event.ptMouse.x - m_ptDragStart.x;
            int width = m_cxDragStart + (m_iSepWidth >= 0 ? delta : -delta);
            width = std::clamp(width, std::max(GetMinWidth(), std::abs(GetSepWidth())), std::max(GetMaxWidth(), GetMinWidth()));
            SetFixedWidth(UnscaledLength(this, width));
            if (m_pParent) m_pParent->NeedParentUpdate();
        } else {
            ShowResizeCursor(this, m_bSizeCursor, InSeparator(event.ptMouse), false);
        }
        return;
    case UIEVENT_SETCURSOR:
        ShowResizeCursor(this, m_bSizeCursor, InSeparator(event.ptMouse), false);
        return;
    case UIEVENT_MOUSEENTER:
        m_uButtonState |= kHot;
        Invalidate();
        return;
    case UIEVENT_MOUSELEAVE:
        m_uButtonState &= ~kHot;
        ShowResizeCursor(this, m_bSizeCursor, false, false);
        Invalidate();
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CListHeaderItemUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    const std::wstring n = values::Lower(pstrName);
    if (n == L"normalimage") m_sNormalImage = pstrValue;
    else if (n == L"hotimage") m_sHotImage = pstrValue;
    else if (n == L"pushedimage") m_sPushedImage = pstrValue;
    else if (n == L"focusedimage") m_sFocusedImage = pstrValue;
    else if (n == L"sepimage") m_sSepImage = pstrValue;
    else if (n == L"dragable") SetDragable(values::ParseBool(pstrValue));
    else if (n == L"sepwidth") SetSepWidth(values::ParseInt(pstrValue));
    else CLabelUI::SetAttribute(pstrName, pstrValue);
}

void CListHeaderItemUI::PaintStatusImage(HDC hDC) {
    const CDuiString* image = &m_sNormalImage;
    if ((m_uButtonState & kPushed) && !m_sPushedImage.IsEmpty()) image = &m_sPushedImage;
    else if ((m_uButtonState & kHot) && !m_sHotImage.IsEmpty()) image = &m_sHotImage;
    else if (IsFocused() && !m_sFocusedImage.IsEmpty()) image = &m_sFocusedImage;
    if (!image->IsEmpty()) DrawImage(hDC, *image);
    if (m_sSepImage.IsEmpty() || m_iSepWidth == 0) return;
    const int sep = GetSepWidth();
    RECT rc = sep > 0 ? RECT{m_rcItem.right - sep, m_rcItem.top, m_rcItem.right, m_rcItem.bottom}
                      : RECT{m_rcItem.left, m_rcItem.top, m_rcItem.left - sep, m_rcItem.bottom};
    CRenderEngine::DrawImageString(hDC, m_pManager, rc, m_rcItem, m_sSepImage);
}

LPCTSTR CListHeaderUI::GetClass() const { return L"ListHeaderUI"; }
LPVOID CListHeaderUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_LISTHEADER)) return this;
    return CHorizontalLayoutUI::GetInterface(pstrName);
}
SIZE CListHeaderUI::EstimateSize(SIZE) {
    int h = GetFixedHeight();
    if (h == 0) {
        for (int i = 0; i < GetCount(); ++i) {
            CControlUI* c = GetItemAt(i);
            auto* item = static_cast<CListHeaderItemUI*>(c->GetInterface(DUI_CTR_LISTHEADERITEM));
            h = std::max(h, item ? item->TextHeight(SIZE{0, 0}) : c->EstimateSize(SIZE{0, 0}).cy);
        }
        if (h == 0) h = Scale(24);
    }
    return SIZE{0, h};
}

// ================================================================ CListUI

void CListBodyUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_KEYDOWN && m_pOwner) {
        m_pOwner->DoEvent(event);
        return;
    }
    CVerticalLayoutUI::DoEvent(event);
}

void CListBodyUI::SetPos(RECT rc, bool bNeedInvalidate) {
    SetLinearPos(rc, bNeedInvalidate, true, m_pOwner ? HeaderColumnsWidth(m_pOwner->GetHeader()) : 0);
}

void CListBodyUI::SetScrollPos(SIZE szPos, bool bMsg) {
    const int old = GetScrollPos().cx;
    CVerticalLayoutUI::SetScrollPos(szPos, bMsg);
    if (m_pOwner && GetScrollPos().cx != old) m_pOwner->PlaceHeader();
}

CListUI::CListUI() {
    m_pList = new CListBodyUI(this);
    m_pHeader = new CListHeaderUI;
    m_pHeader->SetVisible(false);
    CVerticalLayoutUI::AddAt(m_pHeader, 0);
    CVerticalLayoutUI::AddAt(m_pList, 1);
}

LPCTSTR CListUI::GetClass() const { return L"ListUI"; }
LPVOID CListUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_LIST)) return this;
    if (values::EqualNoCase(pstrName, DUI_CTR_ILIST)) return this;
    if (values::EqualNoCase(pstrName, DUI_CTR_ILISTOWNER)) return static_cast<IListOwnerUI*>(this);
    return CVerticalLayoutUI::GetInterface(pstrName);
}

UINT CListUI::GetControlFlags() const { return UIFLAG_TABSTOP; }

CControlUI* CListUI::GetItemAt(int iIndex) const { return m_pList->GetItemAt(iIndex); }
int CListUI::GetItemIndex(CControlUI* pControl) const {
    if (pControl && pControl->GetInterface(DUI_CTR_LISTHEADER)) return CVerticalLayoutUI::GetItemIndex(pControl);
    if (pControl && pControl->GetInterface(DUI_CTR_LISTHEADERITEM)) return m_pHeader->GetItemIndex(pControl);
    return m_pList->GetItemIndex(pControl);
}
bool CListUI::SetItemIndex(CControlUI* pControl, int iIndex) {
    if (!m_pList->SetItemIndex(pControl, iIndex)) return false;
    Reindex();
    return true;
}
int CListUI::GetCount() const { return m_pList->GetCount(); }

void CListUI::Reindex() {
    for (int i = 0; i < m_pList->GetCount(); ++i) {
        if (IListItemUI* item = AsItem(m_pList->GetItemAt(i))) item->SetIndex(i);
    }
}

bool CListUI::Add(CControlUI* pControl) { return AddAt(pControl, GetCount()); }

bool CListUI::AddAt(CControlUI* pControl, int iIndex) {
    if (!pControl) return false;
    if (pControl->GetInterface(DUI_CTR_LISTHEADER)) {
        if (m_pHeader != pControl) {
            bool visible = static_cast<CListHeaderUI*>(pControl)->GetCount() > 0;
            CVerticalLayoutUI::Remove(m_pHeader);
            m_pHeader = static_cast<CListHeaderUI*>(pControl);
            CVerticalLayoutUI::AddAt(m_pHeader, 0);
            m_pHeader->SetVisible(visible);
        }
        return true;
    }
    if (pControl->GetInterface(DUI_CTR_LISTHEADERITEM)) {
        bool ok = m_pHeader->Add(pControl);
        m_pHeader->SetVisible(true);
        return ok;
    }
    if (IListItemUI* item = AsItem(pControl)) {
        if (!m_pList->AddAt(pControl, std::clamp(iIndex, 0, m_pList->GetCount()))) return false;
        item->SetOwner(this);
        Reindex();
        const int at = GetItemIndex(pControl);
        auto shift = [at](int& i) {
            if (i >= at) ++i;
        };
        shift(m_iCurSel);
        shift(m_iAnchor);
        for (int& i : m_aSelItems) shift(i);
        return true;
    }
    return CVerticalLayoutUI::Add(pControl);
}

bool CListUI::Remove(CControlUI* pControl, bool bDoNotDestroy) {
    int index = m_pList->GetItemIndex(pControl);
    if (index < 0) return CVerticalLayoutUI::Remove(pControl, bDoNotDestroy);
    return RemoveAt(index, bDoNotDestroy);
}

bool CListUI::RemoveAt(int iIndex, bool bDoNotDestroy) {
    if (!m_pList->RemoveAt(iIndex, bDoNotDestroy)) return false;
    Reindex();
    auto shift = [iIndex](int& i) {
        if (i == iIndex) i = -1;
        else if (i > iIndex) --i;
    };
    shift(m_iCurSel);
    shift(m_iAnchor);
    for (int& i : m_aSelItems) shift(i);
    m_aSelItems.erase(std::remove(m_aSelItems.begin(), m_aSelItems.end(), -1), m_aSelItems.end());
    return true;
}

void CListUI::RemoveAll() {
    m_iCurSel = -1;
    m_iAnchor = -1;
    m_aSelItems.clear();
    m_pList->RemoveAll();
}

bool CListUI::CanSelect(int iIndex) const {
    CControlUI* c = GetItemAt(iIndex);
    return c && AsItem(c) && c->IsVisible() && c->IsEnabled();
}

bool CListUI::IsItemSelected(int iIndex) const { return std::binary_search(m_aSelItems.begin(), m_aSelItems.end(), iIndex); }

bool CListUI::AddToSelection(int iIndex) {
    if (IsItemSelected(iIndex)) return true;
    if (!CanSelect(iIndex) || !AsItem(GetItemAt(iIndex))->Select(true)) return false;
    m_aSelItems.insert(std::lower_bound(m_aSelItems.begin(), m_aSelItems.end(), iIndex), iIndex);
    return true;
}

void CListUI::UnSelectItem(int iIndex, bool bOthers) {
    const std::vector<int> selected = m_aSelItems;
    for (int i : selected) {
        if ((i == iIndex) == bOthers) continue;
        if (IListItemUI* item = AsItem(GetItemAt(i))) item->Select(false);
        m_aSelItems.erase(std::find(m_aSelItems.begin(), m_aSelItems.end(), i));
    }
    if (!IsItemSelected(m_iCurSel)) m_iCurSel = m_aSelItems.empty() ? -1 : m_aSelItems.front();
}

bool CListUI::SelectItem(int iIndex, bool bTakeFocus, bool bTriggerEvent) {
    if (iIndex == m_iCurSel && m_aSelItems.size() == 1) return true;
    const int old = m_iCurSel;
    UnSelectItem(iIndex, true);
    if (iIndex < 0 || !AddToSelection(iIndex)) {
        UnSelectAllItems();
        return false;
    }
    m_iCurSel = iIndex;
    m_iAnchor = iIndex;
    EnsureVisible(iIndex);
    if (bTakeFocus) GetItemAt(iIndex)->SetFocus();
    a11y::Selected(GetItemAt(iIndex));
    if (bTriggerEvent && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, WPARAM(m_iCurSel), LPARAM(old));
    return true;
}

void CListUI::SetMultiSelect(bool bMultiSel) {
    m_bMultiSel = bMultiSel;
    if (!bMultiSel && m_iCurSel >= 0) UnSelectItem(m_iCurSel, true);
}

bool CListUI::SelectMultiItem(int iIndex, bool bTakeFocus) {
    if (!m_bMultiSel) return SelectItem(iIndex, bTakeFocus);
    const int old = m_iCurSel;
    const bool wasSelected = IsItemSelected(iIndex);
    if (!AddToSelection(iIndex)) return false;
    m_iCurSel = iIndex;
    m_iAnchor = iIndex;
    EnsureVisible(iIndex);
    if (bTakeFocus) GetItemAt(iIndex)->SetFocus();
    if (!wasSelected && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, WPARAM(iIndex), LPARAM(old));
    return true;
}

bool CListUI::SelectRange(int iIndex, bool bTakeFocus) {
    if (!m_bMultiSel || m_iAnchor < 0 || !CanSelect(iIndex)) return SelectItem(iIndex, bTakeFocus);
    const int anchor = m_iAnchor;
    UnSelectAllItems();
    for (int i = std::min(anchor, iIndex); i <= std::max(anchor, iIndex); ++i) AddToSelection(i);
    m_iCurSel = iIndex;
    m_iAnchor = anchor;
    EnsureVisible(iIndex);
    if (bTakeFocus) GetItemAt(iIndex)->SetFocus();
    if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, WPARAM(iIndex), LPARAM(anchor));
    return true;
}

void CListUI::SelectAllItems() {
    if (!m_bMultiSel) return;
    for (int i = 0; i < GetCount(); ++i) AddToSelection(i);
    if (m_iCurSel < 0 && !m_aSelItems.empty()) m_iCurSel = m_aSelItems.front();
}

void CListUI::UnSelectAllItems() {
    UnSelectItem(-1, true);
    m_iCurSel = -1;
}

int CListUI::GetNextSelItem(int nItem) const {
    auto it = std::upper_bound(m_aSelItems.begin(), m_aSelItems.end(), nItem);
    return it == m_aSelItems.end() ? -1 : *it;
}

// Ctrl toggles the row (a cleared row is reported as "itemselect" -1 with the row in lParam),
// Shift selects the range from the anchor; a right press keeps a selection it lands in.
void CListUI::SelectItemByInput(int iIndex, WORD wKeyState) {
    if (!m_bMultiSel) {
        SelectItem(iIndex, true);
        return;
    }
    if ((wKeyState & MK_RBUTTON) && IsItemSelected(iIndex)) {
        m_iCurSel = iIndex;
        return;
    }
    if (wKeyState & MK_SHIFT) {
        SelectRange(iIndex, true);
    } else if (wKeyState & MK_CONTROL) {
        if (!IsItemSelected(iIndex)) {
            SelectMultiItem(iIndex, true);
            return;
        }
        UnSelectItem(iIndex);
        m_iAnchor = iIndex;
        if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, WPARAM(-1), LPARAM(iIndex));
    } else {
        SelectItem(iIndex, true);
    }
}

int CListUI::StepSelectable(int iFrom, int iStep) const {
    const int count = GetCount();
    if (count == 0) return -1;
    const int dir = iStep < 0 ? -1 : 1;
    int target = std::clamp(iFrom + iStep, 0, count - 1);
    for (int i = target; i >= 0 && i < count; i += dir) {
        if (CanSelect(i)) return i;
    }
    // Nothing selectable beyond: the last selectable row in the other direction.
    for (int i = target - dir; i >= 0 && i < count; i -= dir) {
        if (CanSelect(i)) return i;
    }
    return -1;
}

int CListUI::PageRows() const {
    CControlUI* c = GetItemAt(std::max(m_iCurSel, 0));
    const int rowHeight = c ? c->GetHeight() : 0;
    const RECT body = m_pList->GetClientPos();
    return rowHeight > 0 ? std::max(1, (body.bottom - body.top) / rowHeight) : 1;
}

void CListUI::MoveByKey(int iTarget, WORD wKeyState) {
    if (iTarget < 0) return;
    if (m_bMultiSel && (wKeyState & MK_SHIFT)) SelectRange(iTarget, true);
    else SelectItem(iTarget, true);
}

void CListUI::EnsureVisible(int iIndex) {
    CControlUI* c = GetItemAt(iIndex);
    if (!c || !m_pList->GetVerticalScrollBar() || !m_pList->GetVerticalScrollBar()->IsVisible()) return;
    RECT body = m_pList->GetClientPos();
    RECT item = c->GetPos();
    SIZE pos = m_pList->GetScrollPos();
    if (item.top < body.top) pos.cy -= body.top - item.top;
    else if (item.bottom > body.bottom) pos.cy += item.bottom - body.bottom;
    else return;
    m_pList->SetScrollPos(pos);
}

void CListUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CVerticalLayoutUI::SetPos(rc, bNeedInvalidate);
    PlaceHeader();
}

// The header's columns move with the body's sideways scroll; the rows' texts follow them.
void CListUI::PlaceHeader() {
    m_ListInfo.nColumns = 0;
    if (!m_pHeader || !m_pHeader->IsVisible()) return;
    m_pHeader->SetPos(m_pHeader->GetPos(), false);
    const SIZE offset{-m_pList->GetScrollPos().cx, 0};
    for (int i = 0; i < m_pHeader->GetCount(); ++i) {
        CControlUI* h = m_pHeader->GetItemAt(i);
        if (!h->IsVisible()) continue;
        if (offset.cx != 0) h->Move(offset, false);
        if (m_ListInfo.nColumns < 32) m_ListInfo.rcColumn[m_ListInfo.nColumns++] = h->GetPos();
    }
    m_pHeader->Invalidate();
}

void CListUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_KEYDOWN) {
        const int count = GetCount();
        switch (event.chKey) {
        case VK_UP: MoveByKey(StepSelectable(m_iCurSel, -1), event.wKeyState); return;
        case VK_DOWN: MoveByKey(StepSelectable(m_iCurSel, 1), event.wKeyState); return;
        case VK_PRIOR: MoveByKey(StepSelectable(m_iCurSel, -PageRows()), event.wKeyState); return;
        case VK_NEXT: MoveByKey(StepSelectable(m_iCurSel, PageRows()), event.wKeyState); return;
        case VK_HOME: MoveByKey(StepSelectable(-1, 1), event.wKeyState); return;
        case VK_END: MoveByKey(StepSelectable(count, -1), event.wKeyState); return;
        case VK_RETURN:
            if (CControlUI* c = GetItemAt(m_iCurSel)) c->Activate();
            return;
        default: break;
        }
    }
    if (event.Type == UIEVENT_SCROLLWHEEL) {
        if (m_bScrollSelect) {
            bool up = (event.wParam & 0xFFFF) == 0;
            SelectItem(std::clamp(m_iCurSel + (up ? -1 : 1), 0, GetCount() - 1), true);
            return;
        }
        m_pList->DoEvent(event);
        return;
    }
    CVerticalLayoutUI::DoEvent(event);
}

void CListUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    std::wstring n = values::Lower(pstrName);
    if (m_ListInfo.SetAttribute(n, pstrValue)) {
        Invalidate();
        return;
    }
    if (n == L"header") m_pHeader->SetVisible(std::wstring(pstrValue) != L"hidden" && m_pHeader->GetCount() > 0);
    else if (n == L"headerbkimage") m_pHeader->SetBkImage(pstrValue);
    else if (n == L"scrollselect") m_bScrollSelect = values::ParseBool(pstrValue);
    else if (n == L"vscrollbar" || n == L"hscrollbar" || n == L"vscrollbarstyle" || n == L"hscrollbarstyle" || n == L"scrollstepsize" ||
             n == L"showscrollbar")
        m_pList->SetAttribute(pstrName, pstrValue);
    else if (n == L"multiselect") SetMultiSelect(values::ParseBool(pstrValue));
    else if (n == L"itemrselected") AddCustomAttribute(pstrName, pstrValue);
    else CVerticalLayoutUI::SetAttribute(pstrName, pstrValue);
}

// ================================================================ CComboUI

struct CComboUI::Popup {
    std::unique_ptr<CPaintManagerUI> manager;
    CUIHostWidget* widget = nullptr;
    CVerticalLayoutUI* layout = nullptr;
};

CComboUI::CComboUI() { m_rcTextPadding = RECT{4, 0, 4, 0}; }

CComboUI::~CComboUI() { CloseDropDown(); }

LPCTSTR CComboUI::GetClass() const { return L"ComboUI"; }
LPVOID CComboUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_COMBO)) return this;
    if (values::EqualNoCase(pstrName, DUI_CTR_ILISTOWNER)) return static_cast<IListOwnerUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CComboUI::GetControlFlags() const { return UIFLAG_TABSTOP | UIFLAG_SETCURSOR; }

CDuiString CComboUI::GetText() const {
    CControlUI* c = GetItemAt(m_iCurSel);
    return c ? c->GetText() : CControlUI::GetText();
}

void CComboUI::SetEnabled(bool bEnable) {
    CContainerUI::SetEnabled(bEnable);
    if (!IsEnabled()) {
        m_uButtonState = 0;
        CloseDropDown();
    }
}

void CComboUI::Reindex() {
    for (int i = 0; i < GetCount(); ++i) {
        if (IListItemUI* item = AsItem(GetItemAt(i))) item->SetIndex(i);
    }
}

bool CComboUI::SelectItem(int iIndex, bool bTakeFocus, bool bTriggerEvent) {
    if (iIndex == m_iCurSel) return true;
    int old = m_iCurSel;
    if (IListItemUI* prev = AsItem(GetItemAt(m_iCurSel))) prev->Select(false);
    if (iIndex < 0 || iIndex >= GetCount()) {
        m_iCurSel = -1;
        Invalidate();
        return false;
    }
    CControlUI* c = GetItemAt(iIndex);
    IListItemUI* item = AsItem(c);
    if (!item || !c->IsEnabled()) {
        m_iCurSel = old;
        if (IListItemUI* prev = AsItem(GetItemAt(old))) prev->Select(true);
        return false;
    }
    m_iCurSel = iIndex;
    item->Select(true);
    if (bTakeFocus && m_pPopup) c->SetFocus();
    Invalidate();
    a11y::Selected(c);
    a11y::ValueChanged(this);
    if (bTriggerEvent && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, WPARAM(m_iCurSel), LPARAM(old));
    return true;
}

void CComboUI::OnItemReleased() {
    if (m_pPopup) CloseDropDown();
}

bool CComboUI::SetItemIndex(CControlUI* pControl, int iIndex) {
    if (!CContainerUI::SetItemIndex(pControl, iIndex)) return false;
    Reindex();
    return true;
}

bool CComboUI::Add(CControlUI* pControl) { return AddAt(pControl, GetCount()); }

bool CComboUI::AddAt(CControlUI* pControl, int iIndex) {
    if (!CContainerUI::AddAt(pControl, iIndex)) return false;
    if (IListItemUI* item = AsItem(pControl)) item->SetOwner(this);
    Reindex();
    if (m_iCurSel >= iIndex && m_iCurSel >= 0 && GetItemIndex(pControl) <= m_iCurSel) ++m_iCurSel;
    return true;
}

bool CComboUI::Remove(CControlUI* pControl, bool bDoNotDestroy) {
    int i = GetItemIndex(pControl);
    if (i < 0) return false;
    return RemoveAt(i, bDoNotDestroy);
}

bool CComboUI::RemoveAt(int iIndex, bool bDoNotDestroy) {
    CloseDropDown();
    if (!CContainerUI::RemoveAt(iIndex, bDoNotDestroy)) return false;
    Reindex();
    if (iIndex == m_iCurSel) m_iCurSel = -1;
    else if (iIndex < m_iCurSel) --m_iCurSel;
    return true;
}

void CComboUI::RemoveAll() {
    CloseDropDown();
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
}

bool CComboUI::IsDropped() const { return m_pPopup != nullptr; }

SIZE CComboUI::GetDropBoxSize() const { return SIZE{Scale(m_szDropBox.cx), Scale(m_szDropBox.cy)}; }

bool CComboUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_pPopup) return true;
    if (!m_pManager || !m_pManager->GetHostWidget()) return false;
    m_pManager->SendNotify(this, DUI_MSGTYPE_PREDROPDOWN);
    m_iOldSel = m_iCurSel;
    m_pPopup = std::make_unique<Popup>();
    m_pPopup->manager = std::make_unique<CPaintManagerUI>();
    CPaintManagerUI* pm = m_pPopup->manager.get();
    pm->SetParentResourcePM(m_pManager);
    pm->GetDPIObj()->SetScale(m_pManager->GetDPI());
    m_pPopup->widget = new CUIHostWidget(pm, nullptr, Qt::Popup | Qt::FramelessWindowHint);
    auto* layout = new CVerticalLayoutUI;
    layout->SetAutoDestroy(false);
    layout->SetBkColor(0xFFFFFFFF);
    layout->SetBorderColor(0xFFC6C7D2);
    layout->SetBorderSize(1);
    layout->SetInset(RECT{1, 1, 1, 1});
    layout->SetManager(pm, nullptr, false);
    if (LPCTSTR def = m_pManager->GetDefaultAttributeList(L"VScrollBar")) pm->AddDefaultAttributeList(L"VScrollBar", def);
    layout->EnableScrollBar(true, false);
    if (!m_sDropBoxAttributes.IsEmpty()) layout->ApplyAttributeList(m_sDropBoxAttributes);
    m_pPopup->layout = layout;
    int height = layout->GetInset().top + layout->GetInset().bottom;
    for (auto* item : m_items) {
        layout->Add(item);
        height += item->EstimateSize(SIZE{GetWidth(), 0}).cy;
    }
    pm->AttachDialog(layout);
    SIZE box = GetDropBoxSize();
    int width = box.cx > 0 ? box.cx : GetWidth();
    if (box.cy > 0) height = std::min(height, box.cy);
    QWidget* host = m_pManager->GetHostWidget();
    const RECT place = m_pManager->ClientToHost(m_rcItem);
    QPoint below = host->mapToGlobal(QPoint(place.left, place.bottom));
    m_pPopup->widget->resize(width, std::max(height, 1));
    m_pPopup->widget->move(below);
    m_pPopup->widget->onWindowEvent = [this](QEvent* e) {
        if (e->type() == QEvent::Hide && m_pPopup) {
            // The pop-up closed itself (click outside): tidy up once its event is over.
            QWidget* w = m_pPopup->widget;
            QMetaObject::invokeMethod(w, [this] { CloseDropDown(); }, Qt::QueuedConnection);
        }
    };
    m_pPopup->widget->show();
    pm->UpdateLayout();
    if (CControlUI* sel = GetItemAt(m_iCurSel)) pm->SetFocus(sel);
    m_uButtonState &= ~(CButtonUI::UISTATE_PUSHED | CButtonUI::UISTATE_CAPTURED);
    Invalidate();
    a11y::StateChanged(this);
    m_pManager->SendNotify(this, DUI_MSGTYPE_DROPDOWN);
    return true;
}

void CComboUI::CloseDropDown(bool bRestoreSelection) {
    if (!m_pPopup) return;
    std::unique_ptr<Popup> popup = std::move(m_pPopup);
    popup->widget->onWindowEvent = nullptr;
    popup->layout->RemoveAll();
    for (auto* item : m_items) {
        item->SetManager(m_pManager, this, false);
        if (IListItemUI* li = AsItem(item)) {
            li->SetOwner(this);
        }
    }
    // A pick closes the pop-up while its manager still handles the pick's event: the widget
    // and the manager go once control is back in the event loop, unlinked from each other now.
    CUIHostWidget* widget = popup->widget;
    widget->hide();
    widget->DetachManager();
    CPaintManagerUI* manager = popup->manager.release();
    manager->SetHostWidget(nullptr);
    QObject::connect(widget, &QObject::destroyed, [manager] { delete manager; });
    widget->deleteLater();
    if (bRestoreSelection && m_iOldSel != m_iCurSel) SelectItem(m_iOldSel, false, true);
    Invalidate();
    a11y::StateChanged(this);
}

SIZE CComboUI::EstimateSize(SIZE) {
    SIZE sz{GetFixedWidth(), GetFixedHeight()};
    if (sz.cy == 0 && m_pManager) {
        const TFontInfo* f = m_pManager->GetFontInfo(m_iFont);
        sz.cy = (f ? f->tmHeight : 12) + Scale(12);
    }
    return sz;
}

void CComboUI::SetPos(RECT rc, bool bNeedInvalidate) { CControlUI::SetPos(rc, bNeedInvalidate); }

void CComboUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pParent) m_pParent->DoEvent(event);
        else CContainerUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        m_bFocused = event.Type == UIEVENT_SETFOCUS;
        Invalidate();
        return;
    case UIEVENT_BUTTONDOWN:
        if (IsEnabled()) {
            if (m_pPopup) CloseDropDown();
            else Activate();
            m_uButtonState |= CButtonUI::UISTATE_PUSHED | CButtonUI::UISTATE_CAPTURED;
        }
        return;
    case UIEVENT_BUTTONUP:
        m_uButtonState &= ~(CButtonUI::UISTATE_PUSHED | CButtonUI::UISTATE_CAPTURED);
        Invalidate();
        return;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_SETCURSOR:
        return;
    case UIEVENT_KEYDOWN:
        switch (event.chKey) {
        case VK_F4: Activate(); return;
        case VK_ESCAPE: CloseDropDown(true); return;
        case VK_RETURN: CloseDropDown(); return;
        case VK_UP: SelectItem(std::max(0, m_iCurSel - 1), true); return;
        case VK_DOWN: SelectItem(std::min(GetCount() - 1, m_iCurSel + 1), true); return;
        case VK_PRIOR: case VK_HOME: SelectItem(0, true); return;
        case VK_NEXT: case VK_END: SelectItem(GetCount() - 1, true); return;
        default: break;
        }
        break;
    case UIEVENT_SCROLLWHEEL:
        if (m_bScrollSelect && !m_pPopup) {
            bool up = (event.wParam & 0xFFFF) == 0;
            SelectItem(std::clamp(m_iCurSel + (up ? -1 : 1), 0, GetCount() - 1));
            return;
        }
        break;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= CButtonUI::UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        m_uButtonState &= ~CButtonUI::UISTATE_HOT;
        Invalidate();
        return;
    default:
        break;
    }
    CControlUI::DoEvent(event);
}

void CComboUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    using namespace values;
    std::wstring n = values::Lower(pstrName);
    if (m_ListInfo.SetAttribute(n, pstrValue)) return;
    if (n == L"normalimage") m_sNormalImage = pstrValue;
    else if (n == L"hotimage") m_sHotImage = pstrValue;
    else if (n == L"pushedimage") m_sPushedImage = pstrValue;
    else if (n == L"focusedimage") m_sFocusedImage = pstrValue;
    else if (n == L"disabledimage") m_sDisabledImage = pstrValue;
    else if (n == L"arrowimage") m_sArrowImage = pstrValue;
    else if (n == L"textpadding") SetTextPadding(ParseRect(pstrValue));
    else if (n == L"dropboxsize") SetDropBoxSize(ParseSize(pstrValue));
    else if (n == L"dropbox") m_sDropBoxAttributes = pstrValue;
    else if (n == L"scrollselect") m_bScrollSelect = ParseBool(pstrValue);
    else if (n == L"font") m_iFont = ParseInt(pstrValue);
    else if (n == L"textcolor") m_dwTextColor = ParseColor(pstrValue);
    else if (n == L"disabledtextcolor") m_dwDisabledTextColor = ParseColor(pstrValue);
    else if (n == L"align") {
        m_uTextStyle &= ~(DT_CENTER | DT_RIGHT);
        std::wstring v(pstrValue);
        if (v.find(L"center") != std::wstring::npos) m_uTextStyle |= DT_CENTER;
        else if (v.find(L"right") != std::wstring::npos) m_uTextStyle |= DT_RIGHT;
    } else if (n == L"endellipsis") {
        if (ParseBool(pstrValue)) m_uTextStyle |= DT_END_ELLIPSIS;
        else m_uTextStyle &= ~DT_END_ELLIPSIS;
    } else if (n == L"selectedid" || n == L"cursel") SelectItem(ParseInt(pstrValue), false, false);
    else if (n == L"dropboxinset" || n == L"showshadow" || n == L"valign" || n == L"showhtml" || n == L"wordbreak") AddCustomAttribute(pstrName, pstrValue);
    else CContainerUI::SetAttribute(pstrName, pstrValue);
}

CControlUI* CComboUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) {
    if (uFlags & UIFIND_HITTEST) return CControlUI::FindControl(Proc, pData, uFlags);
    return CContainerUI::FindControl(Proc, pData, uFlags);
}

QWidget* CComboUI::GetDropDownWidget() const { return m_pPopup ? m_pPopup->widget : nullptr; }
CPaintManagerUI* CComboUI::GetDropDownManager() const { return m_pPopup ? m_pPopup->manager.get() : nullptr; }

bool CComboUI::DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) { return CControlUI::DoPaint(hDC, rcPaint, pStopControl); }

void CComboUI::PaintStatusImage(HDC hDC) {
    const CDuiString* image = &m_sNormalImage;
    if (!IsEnabled() && !m_sDisabledImage.IsEmpty()) image = &m_sDisabledImage;
    else if ((m_uButtonState & CButtonUI::UISTATE_PUSHED) && !m_sPushedImage.IsEmpty()) image = &m_sPushedImage;
    else if ((m_uButtonState & CButtonUI::UISTATE_HOT) && !m_sHotImage.IsEmpty()) image = &m_sHotImage;
    else if (IsFocused() && !m_sFocusedImage.IsEmpty()) image = &m_sFocusedImage;
    if (!image->IsEmpty()) {
        DrawImage(hDC, *image);
    } else if (m_dwBackColor == 0 && m_sBkImage.IsEmpty()) {
        // No skin images: a plain field with a drop arrow, so the control stays recognisable.
        CRenderEngine::DrawColor(hDC, m_rcItem, 0xFFFFFFFF);
        CRenderEngine::DrawRect(hDC, m_rcItem, 1, (m_uButtonState & CButtonUI::UISTATE_HOT) ? 0xFF3A7BD5 : 0xFFC6C7D2);
        int s = Scale(4), cx = m_rcItem.right - Scale(10), cy = (m_rcItem.top + m_rcItem.bottom) / 2;
        hDC->save();
        hDC->setRenderHint(QPainter::Antialiasing);
        hDC->setPen(Qt::NoPen);
        hDC->setBrush(QColor(0x60, 0x60, 0x60));
        const QPointF tri[3] = {QPointF(cx - s, cy - s / 2.0), QPointF(cx + s, cy - s / 2.0), QPointF(cx, cy + s / 2.0)};
        hDC->drawPolygon(tri, 3);
        hDC->restore();
    }
    if (!m_sArrowImage.IsEmpty()) DrawImage(hDC, m_sArrowImage);
}

void CComboUI::PaintText(HDC hDC) {
    CDuiString text = GetText();
    if (text.IsEmpty()) return;
    RECT pad = GetTextPadding();
    RECT rc{m_rcItem.left + pad.left, m_rcItem.top + pad.top, m_rcItem.right - pad.right, m_rcItem.bottom - pad.bottom};
    DWORD color = IsEnabled() ? (m_dwTextColor ? m_dwTextColor : m_pManager ? m_pManager->GetDefaultFontColor() : 0xFF000000)
                              : (m_dwDisabledTextColor ? m_dwDisabledTextColor : 0xFFA7A6AA);
    CRenderEngine::DrawText(hDC, m_pManager, rc, text, color, m_iFont, m_uTextStyle);
}

} // namespace DuiLib
