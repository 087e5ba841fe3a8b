// List selection from synthetic input: single-select lists keep one row whatever the
// modifiers; multi-select lists toggle with Ctrl, take ranges with Shift and move with the
// arrows, reporting each change as "itemselect".

#include <gtest/gtest.h>

#include "tests/ui/ui_test_support.h"

namespace {

using namespace DuiLib;
using uitest::Host;

std::wstring Rows(int count, const wchar_t* extra = L"") {
    std::wstring xml;
    for (int i = 0; i < count; ++i) {
        xml += L"<ListLabelElement name='r" + std::to_wstring(i) + L"' text='row " + std::to_wstring(i) + L"'";
        if (i == 1) xml += extra;
        xml += L"/>";
    }
    return xml;
}

std::vector<int> Selection(const CListUI* list) {
    std::vector<int> out;
    for (int i = list->GetNextSelItem(-1); i >= 0; i = list->GetNextSelItem(i)) out.push_back(i);
    EXPECT_EQ(int(out.size()), list->GetSelectItemCount());
    return out;
}

void Key(Host& host, int key, Qt::KeyboardModifiers mods = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(host.widget.get(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(host.widget.get(), &release);
}

void ClickRow(Host& host, int row, Qt::KeyboardModifiers mods = {}, Qt::MouseButton button = Qt::LeftButton) {
    POINT pt = host.Center((L"r" + std::to_wstring(row)).c_str());
    host.Move(pt);
    host.Press(pt, button, mods);
    host.Release(pt, button);
}

struct Step {
    const char* title;
    int row;            // row clicked, or -1 for a key
    int key;            // Qt key when row is -1
    Qt::KeyboardModifiers mods;
    std::vector<int> selected;
    WPARAM wParam;      // the last "itemselect"
    LPARAM lParam;
};

TEST(ListSelectTest, MultiSelectFollowsCtrlShiftAndArrows) {
    const Step steps[] = {
        {"click selects one row", 1, 0, {}, {1}, 1, -1},
        {"Ctrl+click adds a row", 3, 0, Qt::ControlModifier, {1, 3}, 3, 1},
        {"Ctrl+click on a selected row clears it", 1, 0, Qt::ControlModifier, {3}, WPARAM(-1), 1},
        {"plain click selects one row again", 2, 0, {}, {2}, 2, 3},
        {"Shift+click selects the range from the anchor", 4, 0, Qt::ShiftModifier, {2, 3, 4}, 4, 2},
        {"Shift+click the other way keeps the anchor", 0, 0, Qt::ShiftModifier, {0, 1, 2}, 0, 2},
        {"Down moves a single selection", -1, Qt::Key_Down, {}, {1}, 1, 0},
        {"Shift+Down extends from the anchor", -1, Qt::Key_Down, Qt::ShiftModifier, {1, 2}, 2, 1},
        {"Shift+Down again", -1, Qt::Key_Down, Qt::ShiftModifier, {1, 2, 3}, 3, 1},
        {"Up drops the range", -1, Qt::Key_Up, {}, {2}, 2, 3},
        {"Shift+End selects to the last row", -1, Qt::Key_End, Qt::ShiftModifier, {2, 3, 4, 5}, 5, 2},
        {"Home selects the first row alone", -1, Qt::Key_Home, {}, {0}, 0, 5},
    };
    Host host(L"<Window><List name='l' multiselect='true'>" + Rows(6) + L"</List></Window>");
    auto* list = host.Find<CListUI>(L"l");
    ASSERT_TRUE(list->IsMultiSelect());
    for (const Step& s : steps) {
        host.rec.notes.clear();
        if (s.row >= 0) ClickRow(host, s.row, s.mods);
        else Key(host, s.key, s.mods);
        EXPECT_EQ(Selection(list), s.selected) << s.title;
        for (int i = 0; i < list->GetCount(); ++i) {
            bool inSet = std::find(s.selected.begin(), s.selected.end(), i) != s.selected.end();
            EXPECT_EQ(static_cast<IListItemUI*>(list->GetItemAt(i)->GetInterface(DUI_CTR_LISTITEM))->IsSelected(), inSet)
                << s.title << ": row " << i;
        }
        auto sel = host.rec.Of(L"itemselect");
        ASSERT_FALSE(sel.empty()) << s.title;
        EXPECT_EQ(sel.back().wParam, s.wParam) << s.title;
        EXPECT_EQ(sel.back().lParam, s.lParam) << s.title;
    }
}

TEST(ListSelectTest, SingleSelectIgnoresModifiers) {
    Host host(L"<Window><List name='l'>" + Rows(5) + L"</List></Window>");
    auto* list = host.Find<CListUI>(L"l");
    ClickRow(host, 1);
    ClickRow(host, 3, Qt::ControlModifier);
    EXPECT_EQ(Selection(list), std::vector<int>{3});
    ClickRow(host, 0, Qt::ShiftModifier);
    EXPECT_EQ(Selection(list), std::vector<int>{0});
    Key(host, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Selection(list), std::vector<int>{1});
    EXPECT_EQ(list->GetCurSel(), 1);
    auto sel = host.rec.Of(L"itemselect");
    ASSERT_EQ(sel.size(), 4u);
    EXPECT_EQ(sel[1].wParam, 3u);
    EXPECT_EQ(sel[1].lParam, 1) << "previous index, as before";
    list->SelectMultiItem(4);
    EXPECT_EQ(Selection(list), std::vector<int>{4}) << "adding to a single-select list replaces";
}

TEST(ListSelectTest, ArrowsSkipHiddenAndDisabledRows) {
    Host host(L"<Window><List name='l'><ListLabelElement name='r0' text='a'/><ListLabelElement name='r1' visible='false'/>"
              L"<ListLabelElement name='r2' enabled='false'/><ListLabelElement name='r3' text='d'/></List></Window>");
    auto* list = host.Find<CListUI>(L"l");
    ClickRow(host, 0);
    Key(host, Qt::Key_Down);
    EXPECT_EQ(list->GetCurSel(), 3);
    Key(host, Qt::Key_Down);
    EXPECT_EQ(list->GetCurSel(), 3) << "stays on the last selectable row";
    Key(host, Qt::Key_Up);
    EXPECT_EQ(list->GetCurSel(), 0);
}

TEST(ListSelectTest, RightClickKeepsTheSelectionItLandsIn) {
    Host host(L"<Window><List name='l' multiselect='true'>" + Rows(4) + L"</List></Window>");
    auto* list = host.Find<CListUI>(L"l");
    ClickRow(host, 0);
    ClickRow(host, 2, Qt::ShiftModifier);
    ClickRow(host, 1, {}, Qt::RightButton);
    EXPECT_EQ(Selection(list), (std::vector<int>{0, 1, 2}));
    ClickRow(host, 3, {}, Qt::RightButton);
    EXPECT_EQ(Selection(list), std::vector<int>{3});
}

TEST(ListSelectTest, SelectionFollowsInsertedRemovedAndHiddenRows) {
    Host host(L"<Window><List name='l' multiselect='true'>" + Rows(5) + L"</List></Window>");
    auto* list = host.Find<CListUI>(L"l");
    list->SelectItem(1);
    list->SelectMultiItem(3);
    list->SelectMultiItem(4);
    EXPECT_EQ(Selection(list), (std::vector<int>{1, 3, 4}));
    list->RemoveAt(0);
    EXPECT_EQ(Selection(list), (std::vector<int>{0, 2, 3}));
    auto* row = new CListLabelElementUI;
    list->AddAt(row, 1);
    EXPECT_EQ(Selection(list), (std::vector<int>{0, 3, 4}));
    list->GetItemAt(3)->SetVisible(false);
    EXPECT_EQ(Selection(list), (std::vector<int>{0, 4})) << "a hidden row gives up its selection";
    list->UnSelectItem(4, true);
    EXPECT_EQ(Selection(list), std::vector<int>{4});
    list->SelectAllItems();
    EXPECT_EQ(Selection(list), (std::vector<int>{0, 1, 2, 4})) << "all but the hidden row";
    list->UnSelectAllItems();
    EXPECT_TRUE(Selection(list).empty());
    EXPECT_EQ(list->GetCurSel(), -1);
}

} // namespace
