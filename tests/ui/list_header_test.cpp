// List header columns from synthetic input: dragging a separator resizes its column live, the
// rows' texts follow the columns, a press elsewhere is a "headerclick", and columns wider than
// the list scroll sideways together with the rows.

#include <gtest/gtest.h>

#include <QImage>

#include "tests/ui/ui_test_support.h"

namespace {

using namespace DuiLib;
using uitest::Host;
using uitest::Rect;

const wchar_t* kList =
    L"<Window><List name='l' bkcolor='#FFFFFFFF' itembkcolor='#FFFFFFFF' itemtextcolor='#FF000000' %s>"
    L"<ListHeader height='24'>"
    L"<ListHeaderItem name='h0' text='Name' width='100' %s/>"
    L"<ListHeaderItem name='h1' text='Value' width='100' minwidth='40'/>"
    L"<ListHeaderItem name='h2' text='Note' width='120'/>"
    L"</ListHeader>"
    L"<ListTextElement name='r0' height='24'/>"
    L"</List></Window>";

std::wstring ListXml(const std::wstring& listAttrs, const std::wstring& firstItemAttrs) {
    std::wstring xml = kList;
    xml.replace(xml.find(L"%s"), 2, listAttrs);
    xml.replace(xml.find(L"%s"), 2, firstItemAttrs);
    return xml;
}

void Drag(Host& host, POINT from, POINT to) {
    host.Move(from);
    host.Press(from);
    host.Move(POINT{(from.x + to.x) / 2, from.y});
    host.Move(to);
    host.Release(to);
    host.Layout();
}

// The leftmost dark pixel of the row between x0 and x1, or -1.
int FirstInk(Host& host, const RECT& row, int x0, int x1) {
    QImage img;
    SIZE size{host.widget->width(), host.widget->height()};
    if (!host.pm.RenderToImage(&img, size)) return -2;
    img = img.convertToFormat(QImage::Format_ARGB32);
    for (int x = x0; x < x1; ++x) {
        for (int y = row.top; y < row.bottom; ++y) {
            if (qGray(img.pixel(x, y)) < 128) return x;
        }
    }
    return -1;
}

TEST(ListHeaderTest, DraggingTheSeparatorResizesTheColumnAndMovesTheTexts) {
    Host host(ListXml(L"", L""), 400, 200);
    auto* list = host.Find<CListUI>(L"l");
    auto* row = host.Find<CListTextElementUI>(L"r0");
    row->SetText(1, L"WWWW");
    host.Layout();
    ASSERT_EQ(host.Find(L"h0")->GetPos(), Rect(0, 0, 100, 24)) << "header items fill the header's height";
    const int before = FirstInk(host, row->GetPos(), 100, 400);
    EXPECT_GE(before, 100);
    EXPECT_LT(before, 110);

    Drag(host, POINT{98, 12}, POINT{148, 12});
    EXPECT_EQ(host.Find(L"h0")->GetPos(), Rect(0, 0, 150, 24));
    EXPECT_EQ(host.Find(L"h1")->GetPos().left, 150);
    EXPECT_EQ(list->GetListInfo()->rcColumn[1].left, 150);
    const int after = FirstInk(host, row->GetPos(), 100, 400);
    EXPECT_EQ(after - before, 50) << "the column's text moved with the separator";
    EXPECT_TRUE(host.rec.Of(L"headerclick").empty()) << "a drag is not a click";

    // The second column stops at its minimum width.
    Drag(host, POINT{248, 12}, POINT{100, 12});
    EXPECT_EQ(host.Find(L"h1")->GetWidth(), 40);
    EXPECT_EQ(list->GetListInfo()->rcColumn[2].left, 190);
}

TEST(ListHeaderTest, PressOutsideTheSeparatorIsAHeaderClick) {
    Host host(ListXml(L"", L"dragable='false'"), 400, 200);
    host.Click(POINT{150, 12});
    auto clicks = host.rec.Of(L"headerclick");
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].sender, L"h1");
    Drag(host, POINT{98, 12}, POINT{148, 12});
    EXPECT_EQ(host.Find(L"h0")->GetWidth(), 100) << "a column that is not dragable keeps its width";
    clicks = host.rec.Of(L"headerclick");
    ASSERT_EQ(clicks.size(), 2u) << "its separator strip is part of the click area";
    EXPECT_EQ(clicks[1].sender, L"h0");
}

TEST(ListHeaderTest, LeftSeparatorGrowsTheColumnWhenDraggedLeft) {
    Host host(L"<Window><List name='l'><ListHeader><ListHeaderItem name='h0' width='100'/>"
              L"<ListHeaderItem name='h1' width='100' sepwidth='-6'/></ListHeader></List></Window>",
              400, 200);
    Drag(host, POINT{102, 12}, POINT{82, 12});
    EXPECT_EQ(host.Find(L"h1")->GetWidth(), 120);
    EXPECT_EQ(host.Find(L"h0")->GetWidth(), 100) << "only the column that owns the separator changes";
}

TEST(ListHeaderTest, DragScalesAt144Dpi) {
    Host host(ListXml(L"", L""), 600, 300, 144);
    ASSERT_EQ(host.Find(L"h0")->GetPos(), Rect(0, 0, 150, 36));
    Drag(host, POINT{148, 18}, POINT{208, 18});
    EXPECT_EQ(host.Find(L"h0")->GetWidth(), 210);
    EXPECT_EQ(host.Find<CListUI>(L"l")->GetListInfo()->rcColumn[1].left, 210);
}

TEST(ListHeaderTest, WideColumnsScrollSidewaysWithTheRows) {
    Host host(ListXml(L"hscrollbar='true'", L"width='300'"), 400, 200);
    auto* list = host.Find<CListUI>(L"l");
    auto* body = list->GetList();
    EXPECT_EQ(body->GetScrollRange().cx, 120) << "300 + 100 + 120 columns in 400";
    EXPECT_EQ(host.Find(L"r0")->GetWidth(), 520);
    body->SetScrollPos(SIZE{60, 0});
    EXPECT_EQ(host.Find(L"h0")->GetPos().left, -60);
    EXPECT_EQ(host.Find(L"r0")->GetPos().left, -60);
    EXPECT_EQ(list->GetListInfo()->rcColumn[1].left, 240);
    host.Layout();
    EXPECT_EQ(host.Find(L"h1")->GetPos().left, 240) << "a new layout keeps the scroll";
}


TEST(ListHeaderTest, ContainerRowsKeepTheirChildrenInTheColumns) {
    Host host(L"<Window><List name='l'><ListHeader><ListHeaderItem name='h0' width='100'/><ListHeaderItem name='h1' width='80'/></ListHeader>"
              L"<ListContainerElement height='24'><Label name='c0' mouse='false'/><Label name='c1' width='10' mouse='false'/></ListContainerElement>"
              L"</List></Window>",
              400, 200);
    EXPECT_EQ(host.Find(L"c0")->GetPos().right, 100);
    EXPECT_EQ(host.Find(L"c1")->GetPos().left, 100);
    EXPECT_EQ(host.Find(L"c1")->GetPos().right, 180);
    Drag(host, POINT{98, 12}, POINT{128, 12});
    EXPECT_EQ(host.Find(L"c0")->GetPos().right, 130);
    EXPECT_EQ(host.Find(L"c1")->GetPos().left, 130);
    EXPECT_EQ(host.Find(L"c1")->GetPos().right, 210);
}

} // namespace
