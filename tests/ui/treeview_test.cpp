// Tree view from synthetic input: nested nodes become rows in depth-first order, indented per
// level; the folder button and a double click collapse and expand; the notifications, keys,
// check boxes and adding or removing nodes from code.

#include <gtest/gtest.h>

#include "tests/ui/ui_test_support.h"

namespace {

using namespace DuiLib;
using uitest::Host;

const wchar_t* kTree =
    L"<Window><TreeView name='tv' visiblecheckbtn='true'>"
    L"<TreeNode name='a' text='A'>"
    L"<TreeNode name='a1' text='A1'/>"
    L"<TreeNode name='a2' text='A2'><TreeNode name='a2x' text='A2x'/></TreeNode>"
    L"</TreeNode>"
    L"<TreeNode name='b' text='B'/>"
    L"</TreeView></Window>";

// The names of the rows that are shown, top to bottom.
std::vector<std::wstring> Shown(CTreeViewUI* tv) {
    std::vector<std::wstring> out;
    for (int i = 0; i < tv->GetCount(); ++i) {
        if (tv->GetItemAt(i)->IsVisible()) out.push_back(tv->GetItemAt(i)->GetName().str());
    }
    return out;
}

POINT CenterOf(CControlUI* c) {
    RECT r = c->GetPos();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class TreeViewTest : public ::testing::Test {
protected:
    TreeViewTest() : host(kTree, 300, 300) {}
    CTreeNodeUI* Node(const wchar_t* name) { return host.Find<CTreeNodeUI>(name); }
    CTreeViewUI* Tree() { return host.Find<CTreeViewUI>(L"tv"); }
    Host host;
};

TEST_F(TreeViewTest, NestedNodesAreRowsInDepthFirstOrderIndentedPerLevel) {
    ASSERT_NE(Tree(), nullptr);
    ASSERT_EQ(Tree()->GetCount(), 5);
    const std::vector<std::wstring> order{L"a", L"a1", L"a2", L"a2x", L"b"};
    EXPECT_EQ(Shown(Tree()), order);
    const int levels[] = {0, 1, 1, 2, 0};
    const int textLeft = Node(L"a")->GetItemButton()->GetPos().left;
    for (size_t i = 0; i < order.size(); ++i) {
        CTreeNodeUI* n = Node(order[i].c_str());
        EXPECT_EQ(Tree()->GetItemIndex(n), int(i));
        EXPECT_EQ(n->GetTreeLevel(), levels[i]);
        EXPECT_EQ(n->GetItemButton()->GetPos().left - textLeft, 16 * levels[i]) << "indent of " << i;
        EXPECT_EQ(n->GetHeight(), 22);
    }
    EXPECT_EQ(Node(L"a2x")->GetParentNode(), Node(L"a2"));
    EXPECT_EQ(Node(L"a")->GetText(), L"A");
    EXPECT_EQ(Node(L"b")->GetPos().top, 4 * 22);
}

TEST_F(TreeViewTest, FolderButtonCollapsesAndDoubleClickExpands) {
    host.Click(CenterOf(Node(L"a")->GetFolderButton()));
    EXPECT_FALSE(Node(L"a")->IsExpanded());
    EXPECT_EQ(Shown(Tree()), (std::vector<std::wstring>{L"a", L"b"}));
    host.Layout();
    EXPECT_EQ(Node(L"b")->GetPos().top, Node(L"a")->GetPos().bottom);
    auto collapse = host.rec.Of(L"itemcollapse");
    ASSERT_EQ(collapse.size(), 1u);
    EXPECT_EQ(collapse[0].sender, L"a");
    EXPECT_TRUE(host.rec.Of(L"itemselect").empty()) << "the folder button does not select";

    host.rec.notes.clear();
    host.DoubleClick(CenterOf(Node(L"a")->GetItemButton()));
    EXPECT_TRUE(Node(L"a")->IsExpanded());
    EXPECT_EQ(Shown(Tree()).size(), 5u);
    EXPECT_EQ(host.rec.Of(L"itemexpand").size(), 1u);
    EXPECT_EQ(host.rec.Of(L"treeitemdbclick").size(), 1u);
    ASSERT_EQ(host.rec.Of(L"itemactivate").size(), 1u);
    EXPECT_EQ(host.rec.Of(L"itemactivate")[0].sender, L"a");
    EXPECT_EQ(Tree()->GetCurSel(), 0);

    // A collapsed inner node keeps its children hidden when its parent opens again.
    Node(L"a2")->Expand(false);
    Node(L"a")->Expand(false);
    Node(L"a")->Expand(true);
    EXPECT_EQ(Shown(Tree()), (std::vector<std::wstring>{L"a", L"a1", L"a2", L"b"}));
    EXPECT_FALSE(Node(L"a1")->GetFolderButton()->IsVisible() && Node(L"a1")->IsHasChild());
}

TEST_F(TreeViewTest, ClicksSelectLikeAListAndHiddenSelectionIsDropped) {
    host.Click(CenterOf(Node(L"a2x")->GetItemButton()));
    EXPECT_EQ(Tree()->GetCurSel(), 3);
    auto sel = host.rec.Of(L"itemselect");
    ASSERT_EQ(sel.size(), 1u);
    EXPECT_EQ(sel[0].wParam, 3u);
    ASSERT_EQ(host.rec.Of(L"itemclick").size(), 1u);
    EXPECT_EQ(host.rec.Of(L"itemclick")[0].sender, L"a2x");
    EXPECT_TRUE(Node(L"a2x")->IsSelected());

    // A press on a leaf's folder place selects the leaf; nothing folds.
    host.Click(CenterOf(Node(L"b")->GetFolderButton()));
    EXPECT_EQ(Tree()->GetCurSel(), 4);
    EXPECT_TRUE(host.rec.Of(L"itemcollapse").empty());

    Tree()->SelectItem(3);
    Node(L"a")->Expand(false);
    EXPECT_FALSE(Node(L"a2x")->IsSelected());
    EXPECT_EQ(Tree()->GetCurSel(), -1) << "a node hidden by collapsing gives up the selection";
}

TEST_F(TreeViewTest, LeftAndRightFoldAndWalkTheTree) {
    host.Click(CenterOf(Node(L"a")->GetItemButton()));
    auto key = [&](int k) { host.Key(k); };
    key(Qt::Key_Left);
    EXPECT_FALSE(Node(L"a")->IsExpanded());
    key(Qt::Key_Down);
    EXPECT_EQ(Tree()->GetCurSel(), 4) << "Down skips the hidden children";
    key(Qt::Key_Up);
    key(Qt::Key_Right);
    EXPECT_TRUE(Node(L"a")->IsExpanded());
    key(Qt::Key_Right);
    EXPECT_EQ(Tree()->GetCurSel(), 1) << "into the first child";
    key(Qt::Key_Left);
    EXPECT_EQ(Tree()->GetCurSel(), 0) << "back to the parent";
}

TEST_F(TreeViewTest, CheckingANodeChecksTheNodesBelow) {
    ASSERT_TRUE(Node(L"a")->GetCheckBox()->IsVisible());
    host.Click(CenterOf(Node(L"a")->GetCheckBox()));
    for (const wchar_t* n : {L"a", L"a1", L"a2", L"a2x"}) EXPECT_TRUE(Node(n)->IsCheckBoxSelected()) << QString::fromWCharArray(n).toStdString();
    EXPECT_FALSE(Node(L"b")->IsCheckBoxSelected());
    auto changed = host.rec.Of(L"selectchanged");
    ASSERT_EQ(changed.size(), 1u) << "only the box that was clicked reports";
    EXPECT_EQ(changed[0].wParam, 1u);
    Node(L"a2")->SetCheckBoxSelected(false);
    EXPECT_FALSE(Node(L"a2x")->IsCheckBoxSelected());
    EXPECT_TRUE(Node(L"a1")->IsCheckBoxSelected());
    Tree()->SetVisibleCheckBtn(false);
    EXPECT_FALSE(Node(L"a2x")->GetCheckBox()->IsVisible());
}

TEST_F(TreeViewTest, NodesAddedAndRemovedFromCodeKeepTheRowsInOrder) {
    Tree()->SelectItem(4);
    auto* extra = new CTreeNodeUI;
    extra->SetName(L"a3");
    auto* leaf = new CTreeNodeUI;
    leaf->SetName(L"a3x");
    extra->Add(leaf);
    ASSERT_TRUE(Node(L"a")->Add(extra));
    EXPECT_EQ(Shown(Tree()), (std::vector<std::wstring>{L"a", L"a1", L"a2", L"a2x", L"a3", L"a3x", L"b"}));
    EXPECT_EQ(Tree()->GetCurSel(), 6) << "the selection moved with its row";
    EXPECT_EQ(leaf->GetTreeLevel(), 2);

    ASSERT_TRUE(Tree()->Remove(Node(L"a2")));
    EXPECT_EQ(Shown(Tree()), (std::vector<std::wstring>{L"a", L"a1", L"a3", L"a3x", L"b"}));
    EXPECT_EQ(Node(L"a")->GetCountChild(), 2);
    EXPECT_EQ(Tree()->GetCurSel(), 4);

    auto* top = new CTreeNodeUI;
    top->SetName(L"c");
    ASSERT_TRUE(Tree()->AddAt(top, 2)) << "asked to go between a node and its children";
    EXPECT_EQ(Shown(Tree()), (std::vector<std::wstring>{L"a", L"a1", L"a3", L"a3x", L"c", L"b"}))
        << "it goes after the subtree, before the next top node";
    EXPECT_EQ(top->GetTreeLevel(), 0);

    CTreeNodeUI* kept = Node(L"a3");
    ASSERT_TRUE(Tree()->Remove(kept, true));
    EXPECT_EQ(Shown(Tree()), (std::vector<std::wstring>{L"a", L"a1", L"c", L"b"}));
    EXPECT_EQ(kept->GetCountChild(), 1) << "a kept node keeps its subtree";
    EXPECT_EQ(kept->GetTreeView(), nullptr);
    delete kept;
}

TEST(TreeViewDpiTest, IndentScalesAt144) {
    Host host(kTree, 450, 450, 144);
    auto* a = host.Find<CTreeNodeUI>(L"a");
    auto* a2x = host.Find<CTreeNodeUI>(L"a2x");
    EXPECT_EQ(a2x->GetItemButton()->GetPos().left - a->GetItemButton()->GetPos().left, 48);
    EXPECT_EQ(a->GetHeight(), 33);
}

} // namespace
