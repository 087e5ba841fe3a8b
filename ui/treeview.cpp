#include "ui/treeview.h"

#include <QPainter>

#include <algorithm>

#include "ui/accessible.h"
#include "ui/manager.h"
#include "ui/values.h"

namespace DuiLib {
namespace {

constexpr int kIndent = 16;     // per level, at 96 DPI
constexpr int kNodeHeight = 22; // a node without its own height
constexpr int kPartSize = 16;   // folder button and check box

bool HasStateImages(const CDuiString& normal, const CDuiString& selected) { return !normal.IsEmpty() || !selected.IsEmpty(); }

// The folder button: checked while its node is collapsed. On a node without children it keeps
// its place (so texts line up) but shows nothing and takes no clicks.
class CTreeFolderUI : public CCheckBoxUI {
public:
    explicit CTreeFolderUI(CTreeNodeUI* node) : m_pNode(node) {}
    void Selected(bool bSelected, bool bTriggerEvent = true) override {
        COptionUI::Selected(bSelected, bTriggerEvent);
        if (m_pNode->IsExpanded() == bSelected) m_pNode->Expand(!bSelected);
    }
    CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) override {
        if ((uFlags & UIFIND_HITTEST) && !m_pNode->IsHasChild()) return nullptr;
        return CCheckBoxUI::FindControl(Proc, pData, uFlags);
    }
    bool DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) override {
        return m_pNode->IsHasChild() ? CCheckBoxUI::DoPaint(hDC, rcPaint, pStopControl) : true;
    }
    // Without skin images: a triangle pointing right while collapsed, down while expanded.
    void PaintStatusImage(HDC hDC) override {
        if (HasStateImages(m_sNormalImage, m_sSelectedImage) || !m_sStateImage.IsEmpty()) {
            COptionUI::PaintStatusImage(hDC);
            return;
        }
        const double cx = (m_rcItem.left + m_rcItem.right) / 2.0, cy = (m_rcItem.top + m_rcItem.bottom) / 2.0;
        const double r = std::min(GetWidth(), GetHeight()) * 0.25;
        hDC->save();
        hDC->setRenderHint(QPainter::Antialiasing);
        hDC->setPen(Qt::NoPen);
        hDC->setBrush((m_uButtonState & UISTATE_HOT) ? QColor(0x3A, 0x7B, 0xD5) : QColor(0x70, 0x76, 0x80));
        if (m_bSelected) {
            const QPointF tri[3] = {QPointF(cx - r * 0.6, cy - r), QPointF(cx + r * 0.9, cy), QPointF(cx - r * 0.6, cy + r)};
            hDC->drawPolygon(tri, 3);
        } else {
            const QPointF tri[3] = {QPointF(cx - r, cy - r * 0.6), QPointF(cx + r, cy - r * 0.6), QPointF(cx, cy + r * 0.9)};
            hDC->drawPolygon(tri, 3);
        }
        hDC->restore();
    }
    void PaintText(HDC) override {}

private:
    CTreeNodeUI* m_pNode;
};

// The node's check box: the nodes below follow its state.
class CTreeCheckUI : public CCheckBoxUI {
public:
    explicit CTreeCheckUI(CTreeNodeUI* node) : m_pNode(node) {}
    void Selected(bool bSelected, bool bTriggerEvent = true) override {
        COptionUI::Selected(bSelected, bTriggerEvent);
        for (int i = 0; i < m_pNode->GetCountChild(); ++i) m_pNode->GetChildNode(i)->GetCheckBox()->Selected(bSelected, false);
    }
    void PaintText(HDC) override {}

private:
    CTreeNodeUI* m_pNode;
};

// Sets the control as a part of the node's row: not a tab stop, fixed size when given.
void MakePart(CControlUI* part, int cx, int cy) {
    part->SetKeyboardEnabled(false);
    if (cx > 0) part->SetFixedWidth(cx);
    if (cy > 0) part->SetFixedHeight(cy);
}

} // namespace

// ================================================================ CTreeNodeUI

CTreeNodeUI::CTreeNodeUI() {
    SetFixedHeight(kNodeHeight);
    m_pHoriz = new CHorizontalLayoutUI;
    m_pHoriz->SetMouseEnabled(false);
    m_pHoriz->SetChildVAlign(DT_VCENTER);
    m_pDottedLine = new CLabelUI;
    MakePart(m_pDottedLine, 0, 0);
    m_pDottedLine->SetMouseEnabled(false);
    m_pDottedLine->SetVisible(false);
    m_pFolderButton = new CTreeFolderUI(this);
    MakePart(m_pFolderButton, kPartSize, kPartSize);
    m_pCheckBox = new CTreeCheckUI(this);
    MakePart(m_pCheckBox, kPartSize + 2, kPartSize);
    m_pCheckBox->SetVisible(false);
    m_pItemButton = new COptionUI;
    MakePart(m_pItemButton, 0, 0);
    m_pItemButton->SetMouseEnabled(false);
    m_pItemButton->SetAttribute(L"align", L"left");
    m_pItemButton->SetAttribute(L"textpadding", L"4,0,0,0");
    for (CControlUI* part : {static_cast<CControlUI*>(m_pDottedLine), static_cast<CControlUI*>(m_pFolderButton),
                             static_cast<CControlUI*>(m_pCheckBox), static_cast<CControlUI*>(m_pItemButton)})
        m_pHoriz->Add(part);
    CListContainerElementUI::AddAt(m_pHoriz, 0);
}

CTreeNodeUI::~CTreeNodeUI() {
    // Nodes that never reached a tree view belong to this node; the others are rows of the
    // tree view, which deletes them.
    for (CTreeNodeUI* child : m_aChildNodes) {
        if (!child->m_pTreeView) delete child;
    }
}

LPCTSTR CTreeNodeUI::GetClass() const { return L"TreeNodeUI"; }
LPVOID CTreeNodeUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_TREENODE)) return this;
    return CListContainerElementUI::GetInterface(pstrName);
}

CTreeNodeUI* CTreeNodeUI::GetChildNode(int iIndex) const {
    return iIndex >= 0 && iIndex < GetCountChild() ? m_aChildNodes[size_t(iIndex)] : nullptr;
}

int CTreeNodeUI::GetTreeLevel() const { return m_pParentNode ? m_pParentNode->GetTreeLevel() + 1 : 0; }

std::vector<CTreeNodeUI*> CTreeNodeUI::GetDescendants() const {
    std::vector<CTreeNodeUI*> out;
    for (CTreeNodeUI* child : m_aChildNodes) {
        out.push_back(child);
        std::vector<CTreeNodeUI*> below = child->GetDescendants();
        out.insert(out.end(), below.begin(), below.end());
    }
    return out;
}

CTreeNodeUI* CTreeNodeUI::LastDescendant() { return m_aChildNodes.empty() ? this : m_aChildNodes.back()->LastDescendant(); }

bool CTreeNodeUI::Add(CControlUI* pControl) {
    if (pControl && pControl->GetInterface(DUI_CTR_TREENODE)) return AddAt(pControl, GetCountChild());
    return pControl && m_pHoriz->Add(pControl);
}

bool CTreeNodeUI::AddAt(CControlUI* pControl, int iIndex) {
    auto* node = pControl ? static_cast<CTreeNodeUI*>(pControl->GetInterface(DUI_CTR_TREENODE)) : nullptr;
    if (!node) return pControl && m_pHoriz->AddAt(pControl, iIndex);
    if (node == this || node->m_pParentNode || node->m_pTreeView) return false;
    iIndex = std::clamp(iIndex, 0, GetCountChild());
    if (m_pTreeView) {
        CTreeNodeUI* before = iIndex == 0 ? this : m_aChildNodes[size_t(iIndex) - 1]->LastDescendant();
        const int row = m_pTreeView->GetItemIndex(before) + 1;
        m_aChildNodes.insert(m_aChildNodes.begin() + iIndex, node);
        node->m_pParentNode = this;
        if (!m_pTreeView->InsertNodeRows(node, row)) {
            m_aChildNodes.erase(m_aChildNodes.begin() + iIndex);
            node->m_pParentNode = nullptr;
            return false;
        }
    } else {
        m_aChildNodes.insert(m_aChildNodes.begin() + iIndex, node);
        node->m_pParentNode = this;
    }
    node->UpdateIndent();
    ShowChildren();
    if (m_pCheckBox->IsSelected()) node->SetCheckBoxSelected(true);
    Invalidate();
    return true;
}

bool CTreeNodeUI::Remove(CControlUI* pControl, bool bDoNotDestroy) {
    auto* node = pControl ? static_cast<CTreeNodeUI*>(pControl->GetInterface(DUI_CTR_TREENODE)) : nullptr;
    if (!node) return m_pHoriz->Remove(pControl, bDoNotDestroy);
    auto it = std::find(m_aChildNodes.begin(), m_aChildNodes.end(), node);
    if (it == m_aChildNodes.end()) return false;
    if (m_pTreeView) return m_pTreeView->Remove(node, bDoNotDestroy);
    m_aChildNodes.erase(it);
    node->m_pParentNode = nullptr;
    node->UpdateIndent();
    if (!bDoNotDestroy) delete node;
    return true;
}

void CTreeNodeUI::AttachTree(CTreeViewUI* pTreeView) {
    m_pTreeView = pTreeView;
    SetVisibleFolderBtn(pTreeView->IsVisibleFolderBtn());
    SetVisibleCheckBtn(pTreeView->IsVisibleCheckBtn());
    if (pTreeView->m_iItemMinWidth > 0) SetMinWidth(pTreeView->m_iItemMinWidth);
    UpdateTextColor();
}

void CTreeNodeUI::UpdateIndent() {
    const int level = GetTreeLevel();
    m_pDottedLine->SetVisible(level > 0);
    if (level > 0) m_pDottedLine->SetFixedWidth(kIndent * level);
    for (CTreeNodeUI* child : m_aChildNodes) child->UpdateIndent();
}

void CTreeNodeUI::ShowChildren() {
    const bool show = m_bExpanded && IsVisible();
    for (CTreeNodeUI* child : m_aChildNodes) {
        child->SetVisible(show);
        child->ShowChildren();
    }
}

bool CTreeNodeUI::Expand(bool bExpand) {
    if (m_bExpanded == bExpand) return true;
    m_bExpanded = bExpand;
    if (m_pFolderButton->IsSelected() == bExpand) m_pFolderButton->Selected(!bExpand, false);
    ShowChildren();
    if (IsHasChild() && m_pManager) m_pManager->SendNotify(this, bExpand ? DUI_MSGTYPE_ITEMEXPAND : DUI_MSGTYPE_ITEMCOLLAPSE);
    a11y::StateChanged(this);
    return true;
}

CDuiString CTreeNodeUI::GetText() const { return m_pItemButton->GetText(); }
void CTreeNodeUI::SetText(LPCTSTR pstrText) { m_pItemButton->SetText(pstrText); }

bool CTreeNodeUI::IsCheckBoxSelected() const { return m_pCheckBox->IsSelected(); }
void CTreeNodeUI::SetCheckBoxSelected(bool bSelected) { m_pCheckBox->Selected(bSelected, false); }

void CTreeNodeUI::SetVisibleFolderBtn(bool bVisible) { m_pFolderButton->SetVisible(bVisible); }
void CTreeNodeUI::SetVisibleCheckBtn(bool bVisible) { m_pCheckBox->SetVisible(bVisible); }

bool CTreeNodeUI::Select(bool bSelect, bool bTriggerEvent) {
    bool ok = CListContainerElementUI::Select(bSelect, bTriggerEvent);
    UpdateTextColor();
    return ok;
}

void CTreeNodeUI::SetPos(RECT rc, bool bNeedInvalidate) { CHorizontalLayoutUI::SetPos(rc, bNeedInvalidate); }

void CTreeNodeUI::UpdateTextColor() {
    const TListInfoUI* info = GetOwner() ? GetOwner()->GetListInfo() : nullptr;
    const bool hot = IsHot();
    auto pick = [](std::initializer_list<DWORD> colors) {
        for (DWORD c : colors) {
            if (c) return c;
        }
        return DWORD(0);
    };
    DWORD treeSel = m_pTreeView ? m_pTreeView->GetSelItemTextColor() : 0;
    DWORD treeSelHot = m_pTreeView ? m_pTreeView->GetSelItemHotTextColor() : 0;
    DWORD color;
    if (IsSelected() && hot) color = pick({m_dwSelItemHotTextColor, treeSelHot, m_dwSelItemTextColor, treeSel, info ? info->dwSelectedTextColor : 0});
    else if (IsSelected()) color = pick({m_dwSelItemTextColor, treeSel, info ? info->dwSelectedTextColor : 0});
    else if (hot) color = pick({m_dwItemHotTextColor, info ? info->dwHotTextColor : 0});
    else color = pick({m_dwItemTextColor, info ? info->dwTextColor : 0});
    m_pItemButton->SetTextColor(color);
}

void CTreeNodeUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_DBLCLICK && IsEnabled() && IsMouseEnabled()) {
        if (IsHasChild()) Expand(!m_bExpanded);
        if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_TREEITEMDBCLICK);
        Activate();
        return;
    }
    CListContainerElementUI::DoEvent(event);
    if (event.Type == UIEVENT_MOUSEENTER || event.Type == UIEVENT_MOUSELEAVE) UpdateTextColor();
}

void CTreeNodeUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    using namespace values;
    const std::wstring n = Lower(pstrName);
    if (n == L"text") SetText(pstrValue);
    else if (n == L"horizattr") m_pHoriz->ApplyAttributeList(pstrValue);
    else if (n == L"dotlineattr") {
        m_pDottedLine->ApplyAttributeList(pstrValue);
        UpdateIndent();
    } else if (n == L"folderattr") m_pFolderButton->ApplyAttributeList(pstrValue);
    else if (n == L"checkboxattr") m_pCheckBox->ApplyAttributeList(pstrValue);
    else if (n == L"itemattr") m_pItemButton->ApplyAttributeList(pstrValue);
    else if (n == L"itemtextcolor") m_dwItemTextColor = ParseColor(pstrValue);
    else if (n == L"itemhottextcolor") m_dwItemHotTextColor = ParseColor(pstrValue);
    else if (n == L"selitemtextcolor") m_dwSelItemTextColor = ParseColor(pstrValue);
    else if (n == L"selitemhottextcolor") m_dwSelItemHotTextColor = ParseColor(pstrValue);
    else {
        CListContainerElementUI::SetAttribute(pstrName, pstrValue);
        return;
    }
    UpdateTextColor();
}

// ================================================================ CTreeViewUI

LPCTSTR CTreeViewUI::GetClass() const { return L"TreeViewUI"; }
LPVOID CTreeViewUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_TREEVIEW)) return this;
    return CListUI::GetInterface(pstrName);
}

bool CTreeViewUI::InsertNodeRows(CTreeNodeUI* pNode, int iIndex) {
    if (!CListUI::AddAt(pNode, iIndex)) return false;
    pNode->AttachTree(this);
    int row = GetItemIndex(pNode);
    for (CTreeNodeUI* d : pNode->GetDescendants()) {
        CListUI::AddAt(d, ++row);
        d->AttachTree(this);
    }
    if (pNode->m_pParentNode) pNode->m_pParentNode->ShowChildren();
    else pNode->ShowChildren();
    return true;
}

bool CTreeViewUI::Add(CControlUI* pControl) { return AddAt(pControl, GetCount()); }

bool CTreeViewUI::AddAt(CControlUI* pControl, int iIndex) {
    auto* node = pControl ? static_cast<CTreeNodeUI*>(pControl->GetInterface(DUI_CTR_TREENODE)) : nullptr;
    if (!node) return CListUI::AddAt(pControl, iIndex);
    if (node->m_pTreeView || node->m_pParentNode) return false;
    // A top node goes before the node at iIndex, never between a node and its children.
    iIndex = std::clamp(iIndex, 0, GetCount());
    while (iIndex < GetCount()) {
        auto* at = static_cast<CTreeNodeUI*>(GetItemAt(iIndex)->GetInterface(DUI_CTR_TREENODE));
        if (!at || !at->m_pParentNode) break;
        ++iIndex;
    }
    node->UpdateIndent();
    return InsertNodeRows(node, iIndex);
}

bool CTreeViewUI::Remove(CControlUI* pControl, bool bDoNotDestroy) {
    auto* node = pControl ? static_cast<CTreeNodeUI*>(pControl->GetInterface(DUI_CTR_TREENODE)) : nullptr;
    if (!node || node->m_pTreeView != this) return CListUI::Remove(pControl, bDoNotDestroy);
    if (CTreeNodeUI* parent = node->m_pParentNode) {
        parent->m_aChildNodes.erase(std::find(parent->m_aChildNodes.begin(), parent->m_aChildNodes.end(), node));
        node->m_pParentNode = nullptr;
        parent->Invalidate();
    }
    // The rows go bottom up; a kept subtree stays linked to its node, a destroyed one is
    // unlinked first so no node looks at a deleted child.
    std::vector<CTreeNodeUI*> rows = node->GetDescendants();
    rows.insert(rows.begin(), node);
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        CTreeNodeUI* n = *it;
        n->m_pTreeView = nullptr;
        if (!bDoNotDestroy) n->m_aChildNodes.clear();
        CListUI::RemoveAt(GetItemIndex(n), bDoNotDestroy);
    }
    if (bDoNotDestroy) node->UpdateIndent();
    return true;
}

bool CTreeViewUI::RemoveAt(int iIndex, bool bDoNotDestroy) {
    CControlUI* c = GetItemAt(iIndex);
    if (c && c->GetInterface(DUI_CTR_TREENODE)) return Remove(c, bDoNotDestroy);
    return CListUI::RemoveAt(iIndex, bDoNotDestroy);
}

void CTreeViewUI::ForEachNode(void (*fn)(CTreeNodeUI*, CTreeViewUI*)) {
    for (int i = 0; i < GetCount(); ++i) {
        if (auto* node = static_cast<CTreeNodeUI*>(GetItemAt(i)->GetInterface(DUI_CTR_TREENODE))) fn(node, this);
    }
}

void CTreeViewUI::SetVisibleFolderBtn(bool bVisible) {
    m_bVisibleFolderBtn = bVisible;
    ForEachNode([](CTreeNodeUI* n, CTreeViewUI* t) { n->SetVisibleFolderBtn(t->m_bVisibleFolderBtn); });
}

void CTreeViewUI::SetVisibleCheckBtn(bool bVisible) {
    m_bVisibleCheckBtn = bVisible;
    ForEachNode([](CTreeNodeUI* n, CTreeViewUI* t) { n->SetVisibleCheckBtn(t->m_bVisibleCheckBtn); });
}

void CTreeViewUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_KEYDOWN && (event.chKey == VK_LEFT || event.chKey == VK_RIGHT)) {
        CControlUI* cur = GetItemAt(GetCurSel());
        auto* node = cur ? static_cast<CTreeNodeUI*>(cur->GetInterface(DUI_CTR_TREENODE)) : nullptr;
        if (!node) return;
        if (event.chKey == VK_LEFT) {
            if (node->IsHasChild() && node->IsExpanded()) node->Expand(false);
            else if (node->GetParentNode()) SelectItem(GetItemIndex(node->GetParentNode()), true);
        } else if (node->IsHasChild()) {
            if (!node->IsExpanded()) node->Expand(true);
            else SelectItem(GetItemIndex(node->GetChildNode(0)), true);
        }
        return;
    }
    CListUI::DoEvent(event);
}

void CTreeViewUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    using namespace values;
    const std::wstring n = Lower(pstrName);
    if (n == L"visiblefolderbtn") SetVisibleFolderBtn(ParseBool(pstrValue));
    else if (n == L"visiblecheckbtn") SetVisibleCheckBtn(ParseBool(pstrValue));
    else if (n == L"itemminwidth") {
        m_iItemMinWidth = ParseInt(pstrValue);
        ForEachNode([](CTreeNodeUI* node, CTreeViewUI* t) { node->SetMinWidth(t->m_iItemMinWidth); });
    } else {
        if (n == L"selitemtextcolor") m_dwSelItemTextColor = ParseColor(pstrValue);
        else if (n == L"selitemhottextcolor") m_dwSelItemHotTextColor = ParseColor(pstrValue);
        else CListUI::SetAttribute(pstrName, pstrValue);
        ForEachNode([](CTreeNodeUI* node, CTreeViewUI*) { node->UpdateTextColor(); });
    }
}

} // namespace DuiLib
