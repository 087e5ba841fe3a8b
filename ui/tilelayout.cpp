#include "ui/tilelayout.h"

#include <algorithm>
#include <vector>

#include "ui/values.h"

namespace DuiLib {

LPCTSTR CTileLayoutUI::GetClass() const { return L"TileLayoutUI"; }
LPVOID CTileLayoutUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_TILELAYOUT)) return this;
    return CContainerUI::GetInterface(pstrName);
}

SIZE CTileLayoutUI::GetItemSize() const { return SIZE{Scale(m_szItem.cx), Scale(m_szItem.cy)}; }
void CTileLayoutUI::SetItemSize(SIZE szItem) {
    m_szItem = SIZE{std::max(0, szItem.cx), std::max(0, szItem.cy)};
    NeedUpdate();
}

void CTileLayoutUI::SetFixedColumns(int iColumns) {
    m_nColumns = std::max(0, iColumns);
    NeedUpdate();
}

// Explicit columns win; else as many item-sized columns as fit with the gaps between them.
int CTileLayoutUI::ColumnsFor(int width) const {
    if (m_nColumns > 0) return m_nColumns;
    const int itemWidth = GetItemSize().cx;
    if (itemWidth <= 0) return 1;
    const int gap = GetChildPadding();
    return std::max(1, (width + gap) / (itemWidth + gap));
}

// Rows of equal cells, the gap between columns and between rows; a row is as tall as its
// tallest child (the item height for children without one, a square cell when neither is
// known). Each child sits centred in its cell at its own size, the item size, or the cell.
void CTileLayoutUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CControlUI::SetPos(rc, bNeedInvalidate);
    const RECT client = GetClientPos();
    std::vector<CControlUI*> tiles;
    for (int i = 0; i < int(m_items.size()); ++i) {
        CControlUI* c = m_items[size_t(i)];
        if (!c->IsVisible()) continue;
        if (c->IsFloat()) SetFloatPos(i);
        else tiles.push_back(c);
    }
    const int width = client.right - client.left;
    const int gap = GetChildPadding();
    const SIZE item = GetItemSize();
    const int columns = ColumnsFor(width);
    m_nLaidColumns = columns;
    const int cellWidth = std::max({0, (width - gap * (columns - 1)) / columns, item.cx});
    const SIZE scroll = GetScrollPos();
    const SIZE avail{cellWidth, client.bottom - client.top};

    auto estimate = [&](CControlUI* c) {
        SIZE sz = c->EstimateSize(avail);
        if (sz.cx <= 0) sz.cx = item.cx;
        if (sz.cy <= 0) sz.cy = item.cy;
        return sz;
    };

    int y = client.top - scroll.cy;
    for (size_t first = 0; first < tiles.size(); first += size_t(columns)) {
        const size_t end = std::min(tiles.size(), first + size_t(columns));
        int rowHeight = 0;
        for (size_t i = first; i < end; ++i) {
            RECT pad = tiles[i]->GetPadding();
            int cy = std::clamp(estimate(tiles[i]).cy, tiles[i]->GetMinHeight(), tiles[i]->GetMaxHeight());
            if (cy > 0) rowHeight = std::max(rowHeight, cy + pad.top + pad.bottom);
        }
        if (rowHeight == 0) rowHeight = cellWidth;
        int x = client.left - scroll.cx;
        for (size_t i = first; i < end; ++i) {
            CControlUI* c = tiles[i];
            RECT pad = c->GetPadding();
            RECT cell{x + pad.left, y + pad.top, x + cellWidth - pad.right, y + rowHeight - pad.bottom};
            SIZE sz = estimate(c);
            if (sz.cx <= 0) sz.cx = cell.right - cell.left;
            if (sz.cy <= 0) sz.cy = cell.bottom - cell.top;
            sz.cx = std::clamp(sz.cx, c->GetMinWidth(), c->GetMaxWidth());
            sz.cy = std::clamp(sz.cy, c->GetMinHeight(), c->GetMaxHeight());
            const int left = (cell.left + cell.right - sz.cx) / 2;
            const int top = (cell.top + cell.bottom - sz.cy) / 2;
            c->SetPos(RECT{left, top, left + sz.cx, top + sz.cy}, false);
            x += cellWidth + gap;
        }
        y += rowHeight + gap;
    }
    const int heightNeeded = tiles.empty() ? 0 : y + scroll.cy - client.top - gap;
    const int columnsUsed = std::min(columns, int(tiles.size()));
    const int widthNeeded = columnsUsed > 0 ? columnsUsed * cellWidth + gap * (columnsUsed - 1) : 0;
    ProcessScrollBar(client, widthNeeded, heightNeeded);
}

void CTileLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    if (values::EqualNoCase(pstrName, L"columns")) SetFixedColumns(values::ParseInt(pstrValue));
    else if (values::EqualNoCase(pstrName, L"itemsize")) SetItemSize(values::ParseSize(pstrValue));
    else CContainerUI::SetAttribute(pstrName, pstrValue);
}

} // namespace DuiLib
