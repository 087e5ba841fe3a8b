#pragma once
// The tile layout: children in rows of equal cells, a fixed number of columns or as many
// columns of a given item size as fit the width.

#include "ui/container.h"

namespace DuiLib {

inline constexpr LPCTSTR DUI_CTR_TILELAYOUT = L"TileLayout";

class CTileLayoutUI : public CContainerUI {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    // The size children take when they have no size of their own (0,0 = fill the cell); with
    // no "columns" given it also decides how many columns fit.
    SIZE GetItemSize() const;
    void SetItemSize(SIZE szItem);
    // The columns asked for (0 = derived from the item size, else 1).
    int GetFixedColumns() const { return m_nColumns; }
    void SetFixedColumns(int iColumns);
    // The columns of the last layout.
    int GetColumns() const { return m_nLaidColumns; }

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

private:
    int ColumnsFor(int width) const;

    SIZE m_szItem{0, 0};
    int m_nColumns = 0;
    int m_nLaidColumns = 1;
};

} // namespace DuiLib
