// Tile layout geometry: fixed and derived column counts, gaps, insets, child margins, rows as
// tall as their tallest tile, DPI scaling and the scroll range when the rows overflow.

#include <gtest/gtest.h>

#include "tests/ui/ui_test_support.h"

namespace {

using uitest::Rect;

const uitest::LayoutCase kCases[] = {
    {"fixed columns share the width", L"<TileLayout columns='3'><Control name='a' height='40'/><Control/><Control name='c' height='40'/><Control name='d' height='40'/></TileLayout>",
     400, 300, 96, {{L"a", Rect(0, 0, 133, 40)}, {L"c", Rect(266, 0, 399, 40)}, {L"d", Rect(0, 40, 133, 80)}}},
    {"columns derived from the item size", L"<TileLayout itemsize='100,50'><Control name='a'/><Control/><Control/><Control name='d'/><Control name='e'/></TileLayout>",
     400, 300, 96, {{L"a", Rect(0, 0, 100, 50)}, {L"d", Rect(300, 0, 400, 50)}, {L"e", Rect(0, 50, 100, 100)}}},
    {"gaps and inset: only whole items with their gaps fit",
     L"<TileLayout itemsize='100,50' childpadding='10' inset='5,5,5,5'><Control name='a'/><Control name='b'/><Control/><Control name='d'/></TileLayout>",
     400, 300, 96, {{L"a", Rect(16, 5, 116, 55)}, {L"b", Rect(149, 5, 249, 55)}, {L"d", Rect(16, 65, 116, 115)}}},
    {"child padding is a margin inside the cell; the row counts it", L"<TileLayout columns='2'><Control name='a' height='30' padding='4,4,4,4'/><Control name='b' height='30'/></TileLayout>",
     400, 300, 96, {{L"a", Rect(4, 4, 196, 34)}, {L"b", Rect(200, 4, 400, 34)}}},
    {"a fixed size sits centred in its cell", L"<TileLayout columns='2'><Control name='a' width='50' height='20'/></TileLayout>", 400, 300, 96,
     {{L"a", Rect(75, 0, 125, 20)}}},
    {"a row is as tall as its tallest tile",
     L"<TileLayout columns='2'><Control name='a' height='20'/><Control name='b' height='40'/><Control name='c' height='10'/></TileLayout>", 400, 300, 96,
     {{L"a", Rect(0, 10, 200, 30)}, {L"b", Rect(200, 0, 400, 40)}, {L"c", Rect(0, 40, 200, 50)}}},
    {"hidden tiles take no cell", L"<TileLayout columns='2'><Control height='20' visible='false'/><Control name='b' height='20'/></TileLayout>", 400, 300, 96,
     {{L"b", Rect(0, 0, 200, 20)}}},
    {"tiles without any height are square", L"<TileLayout columns='4'><Control name='a'/></TileLayout>", 400, 300, 96, {{L"a", Rect(0, 0, 100, 100)}}},
    {"item size, gaps and inset scale at 144 DPI",
     L"<TileLayout itemsize='100,50' childpadding='10'><Control name='a'/><Control name='b'/><Control/><Control name='d'/></TileLayout>", 600, 450, 144,
     {{L"a", Rect(20, 0, 170, 75)}, {L"b", Rect(225, 0, 375, 75)}, {L"d", Rect(20, 90, 170, 165)}}},
    {"float tiles keep their own place", L"<TileLayout columns='2'><Control name='f' float='true' pos='10,10,30,30'/><Control name='a' height='20'/></TileLayout>",
     400, 300, 96, {{L"f", Rect(10, 10, 30, 30)}, {L"a", Rect(0, 0, 200, 20)}}},
};

class TileLayoutTest : public ::testing::TestWithParam<uitest::LayoutCase> {};

TEST_P(TileLayoutTest, PlacesTiles) { uitest::ExpectLayout(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Table, TileLayoutTest, ::testing::ValuesIn(kCases));

std::wstring Tiles(int count) {
    std::wstring xml;
    for (int i = 0; i < count; ++i) xml += L"<Control name='t" + std::to_wstring(i) + L"'/>";
    return xml;
}

TEST(TileLayoutTest, OverflowingRowsScrollAndTheBarNarrowsTheColumns) {
    // 13 tiles of 100x100 in 400x300: four rows overflow, the bar takes 16 pixels, three
    // columns of 128 remain and five rows need 500 pixels.
    uitest::Host host(L"<Window><TileLayout name='tl' itemsize='100,100' vscrollbar='true'>" + Tiles(13) + L"</TileLayout></Window>");
    auto* tl = host.Find<DuiLib::CTileLayoutUI>(L"tl");
    ASSERT_NE(tl, nullptr);
    EXPECT_EQ(tl->GetColumns(), 3);
    EXPECT_EQ(tl->GetScrollRange().cy, 200);
    EXPECT_EQ(host.Find(L"t12")->GetPos(), Rect(14, 400, 114, 500));
    tl->SetScrollPos(DuiLib::SIZE{0, 150});
    EXPECT_EQ(host.Find(L"t0")->GetPos(), Rect(14, -150, 114, -50));
    EXPECT_EQ(host.Find(L"t12")->GetPos(), Rect(14, 250, 114, 350));
    host.Wheel(host.Center(L"t4"), 120);
    EXPECT_LT(tl->GetScrollPos().cy, 150) << "the wheel scrolls back up";
}

TEST(TileLayoutTest, FittingRowsNeedNoScrollBar) {
    uitest::Host host(L"<Window><TileLayout name='tl' itemsize='100,100' vscrollbar='true'>" + Tiles(12) + L"</TileLayout></Window>");
    auto* tl = host.Find<DuiLib::CTileLayoutUI>(L"tl");
    EXPECT_EQ(tl->GetColumns(), 4);
    EXPECT_EQ(tl->GetScrollRange().cy, 0);
    EXPECT_FALSE(tl->GetVerticalScrollBar()->IsVisible());
}

TEST(TileLayoutTest, FixedColumnsWiderThanTheViewScrollSideways) {
    uitest::Host host(L"<Window><TileLayout name='tl' columns='5' itemsize='100,30' hscrollbar='true'>" + Tiles(5) + L"</TileLayout></Window>");
    auto* tl = host.Find<DuiLib::CTileLayoutUI>(L"tl");
    EXPECT_EQ(tl->GetColumns(), 5);
    EXPECT_EQ(host.Find(L"t4")->GetPos(), Rect(400, 0, 500, 30));
    EXPECT_EQ(tl->GetScrollRange().cx, 100);
}

} // namespace
