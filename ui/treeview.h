#pragma once
// The tree view: a list whose rows are tree nodes. Every node is a row of the list (a node's
// children follow it, depth first); a node shows its indentation, a folder button that
// expands or collapses its children, an optional check box and its text.

#include <vector>

#include "ui/list.h"

namespace DuiLib {

inline constexpr LPCTSTR DUI_CTR_TREEVIEW = L"TreeView";
inline constexpr LPCTSTR DUI_CTR_TREENODE = L"TreeNode";
inline constexpr LPCTSTR DUI_MSGTYPE_ITEMEXPAND = L"itemexpand";
inline constexpr LPCTSTR DUI_MSGTYPE_ITEMCOLLAPSE = L"itemcollapse";
inline constexpr LPCTSTR DUI_MSGTYPE_TREEITEMDBCLICK = L"treeitemdbclick";

class CTreeViewUI;

class CTreeNodeUI : public CListContainerElementUI {
public:
    CTreeNodeUI();
    ~CTreeNodeUI() override;
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    // Child nodes go below this node (into its tree view once it has one); any other control
    // joins the node's row after its text. AddAt counts child nodes.
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl, bool bDoNotDestroy = false) override;

    int GetCountChild() const { return int(m_aChildNodes.size()); }
    CTreeNodeUI* GetChildNode(int iIndex) const;
    bool IsHasChild() const { return !m_aChildNodes.empty(); }
    CTreeNodeUI* GetParentNode() const { return m_pParentNode; }
    CTreeViewUI* GetTreeView() const { return m_pTreeView; }
    // 0 for a top node.
    int GetTreeLevel() const;
    // Every node below this one, depth first.
    std::vector<CTreeNodeUI*> GetDescendants() const;

    bool IsExpanded() const override { return m_bExpanded; }
    // Shows or hides the children; sends "itemexpand" / "itemcollapse" when a node with
    // children changes.
    bool Expand(bool bExpand = true) override;

    CDuiString GetText() const override;
    void SetText(LPCTSTR pstrText) override;
    bool IsCheckBoxSelected() const;
    // Checks or clears this node's box and those of every node below it.
    void SetCheckBoxSelected(bool bSelected);

    CHorizontalLayoutUI* GetTreeNodeHoriznotal() const { return m_pHoriz; }
    CLabelUI* GetDottedLine() const { return m_pDottedLine; }
    CCheckBoxUI* GetFolderButton() const { return m_pFolderButton; }
    CCheckBoxUI* GetCheckBox() const { return m_pCheckBox; }
    COptionUI* GetItemButton() const { return m_pItemButton; }
    void SetVisibleFolderBtn(bool bVisible);
    void SetVisibleCheckBtn(bool bVisible);

    bool Select(bool bSelect = true, bool bTriggerEvent = true) override;
    // The node's row fills it; it does not follow list columns.
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    // Picks the text colour for the node's state (own colours, else the tree's, else the list's).
    void UpdateTextColor();

private:
    friend class CTreeViewUI;
    void AttachTree(CTreeViewUI* pTreeView);
    void UpdateIndent();
    // Children are shown while this node is shown and expanded.
    void ShowChildren();
    CTreeNodeUI* LastDescendant();

    CHorizontalLayoutUI* m_pHoriz = nullptr;
    CLabelUI* m_pDottedLine = nullptr;
    CCheckBoxUI* m_pFolderButton = nullptr;
    CCheckBoxUI* m_pCheckBox = nullptr;
    COptionUI* m_pItemButton = nullptr;
    CTreeNodeUI* m_pParentNode = nullptr;
    CTreeViewUI* m_pTreeView = nullptr;
    std::vector<CTreeNodeUI*> m_aChildNodes;
    bool m_bExpanded = true;
    DWORD m_dwItemTextColor = 0, m_dwItemHotTextColor = 0, m_dwSelItemTextColor = 0, m_dwSelItemHotTextColor = 0;
};

class CTreeViewUI : public CListUI {
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    // A node comes with every node below it; indexes are row indexes (all nodes, depth first).
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    // Removing a node removes the nodes below it too.
    bool Remove(CControlUI* pControl, bool bDoNotDestroy = false) override;
    bool RemoveAt(int iIndex, bool bDoNotDestroy = false) override;

    bool IsVisibleFolderBtn() const { return m_bVisibleFolderBtn; }
    void SetVisibleFolderBtn(bool bVisible);
    bool IsVisibleCheckBtn() const { return m_bVisibleCheckBtn; }
    void SetVisibleCheckBtn(bool bVisible);
    DWORD GetSelItemTextColor() const { return m_dwSelItemTextColor; }
    DWORD GetSelItemHotTextColor() const { return m_dwSelItemHotTextColor; }

    // Left collapses the current node (or goes to its parent), Right expands it (or goes to
    // its first child); the other keys move as in a list.
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

private:
    friend class CTreeNodeUI;
    // Puts a node and the nodes below it into the rows from iIndex on.
    bool InsertNodeRows(CTreeNodeUI* pNode, int iIndex);
    void ForEachNode(void (*fn)(CTreeNodeUI*, CTreeViewUI*));

    bool m_bVisibleFolderBtn = true;
    bool m_bVisibleCheckBtn = false;
    int m_iItemMinWidth = 0;
    DWORD m_dwSelItemTextColor = 0, m_dwSelItemHotTextColor = 0;
};

} // namespace DuiLib
