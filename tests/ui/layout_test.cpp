// Layout geometry: each small layout is built in a host of the given size and the listed
// controls must land on the listed rectangles.

#include <gtest/gtest.h>

#include <QWidget>

#include <functional>

#include "tests/ui/ui_test_support.h"

namespace {

using uitest::Rect;

const uitest::LayoutCase kCases[] = {
    {"fixed and stretch share a row", L"<HorizontalLayout><Control name='a' width='100'/><Control name='b'/><Control name='c' width='50'/></HorizontalLayout>",
     400, 300, 96, {{L"a", Rect(0, 0, 100, 300)}, {L"b", Rect(100, 0, 350, 300)}, {L"c", Rect(350, 0, 400, 300)}}},
    {"last stretch child takes the rounding", L"<HorizontalLayout><Control name='a'/><Control name='b'/><Control name='c'/></HorizontalLayout>",
     400, 300, 96, {{L"a", Rect(0, 0, 133, 300)}, {L"b", Rect(133, 0, 266, 300)}, {L"c", Rect(266, 0, 400, 300)}}},
    {"inset and child padding", L"<VerticalLayout inset='10,20,30,40' childpadding='5'><Control name='a' height='50'/><Control name='b'/></VerticalLayout>",
     400, 300, 96, {{L"a", Rect(10, 20, 370, 70)}, {L"b", Rect(10, 75, 370, 260)}}},
    {"child padding is an outer margin", L"<HorizontalLayout><Control name='a' width='100' padding='5,6,7,8'/><Control name='b'/></HorizontalLayout>",
     400, 300, 96, {{L"a", Rect(5, 6, 105, 292)}, {L"b", Rect(112, 0, 400, 300)}}},
    {"float at pos", L"<Container><Control name='f' float='true' pos='10,20,60,50'/></Container>", 400, 300, 96, {{L"f", Rect(10, 20, 60, 50)}}},
    {"float anchored to the right edge", L"<Container><Control name='f' float='true' pos='-20,12,-80,52'/></Container>", 400, 300, 96,
     {{L"f", Rect(320, 12, 380, 52)}}},
    {"float with fractions", L"<Container><Control name='f' float='1,0,1,0' pos='-82,4,-2,28'/></Container>", 400, 300, 96,
     {{L"f", Rect(318, 4, 398, 28)}}},
    {"nested layouts", L"<VerticalLayout><HorizontalLayout height='100'><Control name='a' width='40'/><Control name='b'/></HorizontalLayout><Control name='c'/></VerticalLayout>",
     400, 300, 96, {{L"a", Rect(0, 0, 40, 100)}, {L"b", Rect(40, 0, 400, 100)}, {L"c", Rect(0, 100, 400, 300)}}},
    {"every length scaled at 144 DPI", L"<HorizontalLayout inset='10,10,10,10' childpadding='4'><Control name='a' width='100'/><Control name='b'/></HorizontalLayout>",
     600, 450, 144, {{L"a", Rect(15, 15, 165, 435)}, {L"b", Rect(171, 15, 585, 435)}}},
    {"child align centres a row without stretch", L"<HorizontalLayout childalign='center'><Control name='a' width='100'/></HorizontalLayout>", 400, 300, 96,
     {{L"a", Rect(150, 0, 250, 300)}}},
    {"maximum width caps a stretch child", L"<HorizontalLayout><Control name='a' maxwidth='50'/><Control name='b'/></HorizontalLayout>", 400, 300, 96,
     {{L"a", Rect(0, 0, 50, 300)}, {L"b", Rect(50, 0, 400, 300)}}},
    {"hidden children take no space", L"<HorizontalLayout><Control name='a' width='100' visible='false'/><Control name='b'/></HorizontalLayout>", 400, 300, 96,
     {{L"b", Rect(0, 0, 400, 300)}}},
    {"tab layout shows the selected page", L"<TabLayout selectedid='1'><Control name='p0'/><Control name='p1' padding='4,4,4,4'/></TabLayout>", 400, 300, 96,
     {{L"p1", Rect(4, 4, 396, 296)}}},
    {"plain container ignores fixed sizes", L"<Container inset='2,2,2,2'><Control name='a' width='50'/></Container>", 400, 300, 96,
     {{L"a", Rect(2, 2, 398, 298)}}},
};

class LayoutTest : public ::testing::TestWithParam<uitest::LayoutCase> {};

TEST_P(LayoutTest, PlacesControls) { uitest::ExpectLayout(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Table, LayoutTest, ::testing::ValuesIn(kCases));

TEST(LayoutTest, TabLayoutHidesOtherPagesAndReportsTheChange) {
    uitest::Host host(L"<Window><TabLayout name='tabs'><Control name='p0'/><Control name='p1'/><Control name='p2'/></TabLayout></Window>");
    auto* tabs = host.Find<DuiLib::CTabLayoutUI>(L"tabs");
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_TRUE(host.Find(L"p0")->IsVisible());
    EXPECT_FALSE(host.Find(L"p2")->IsVisible());
    tabs->SelectItem(2);
    EXPECT_TRUE(host.Find(L"p2")->IsVisible());
    EXPECT_FALSE(host.Find(L"p0")->IsVisible());
    auto sel = host.rec.Of(L"tabselect");
    ASSERT_EQ(sel.size(), 1u);
    EXPECT_EQ(sel[0].wParam, 2u);
    EXPECT_EQ(sel[0].lParam, 0);
}

TEST(LayoutTest, ATabChangeMovesTheFocusOnlyOutOfThePageThatGoes) {
    uitest::Host host(L"<Window><VerticalLayout><Button name='outside' height='20'/>"
                      L"<TabLayout name='tabs'><Button name='in0' height='20'/><Button name='in1' height='20'/></TabLayout>"
                      L"<Button name='after' height='20'/></VerticalLayout></Window>");
    auto* tabs = host.Find<DuiLib::CTabLayoutUI>(L"tabs");
    host.pm.SetFocus(host.Find(L"outside"));
    tabs->SelectItem(1);
    EXPECT_EQ(host.pm.GetFocus(), host.Find(L"outside")); // a click elsewhere switched the page
    host.pm.SetFocus(host.Find(L"in1"));
    tabs->SelectItem(0);
    EXPECT_NE(host.pm.GetFocus(), host.Find(L"in1")); // the focused page went: focus moves on
    EXPECT_NE(host.pm.GetFocus(), nullptr);
}

TEST(LayoutTest, ScrollingContainerShowsItsBarOnlyWhenContentOverflows) {
    uitest::Host host(L"<Window><VerticalLayout name='v' vscrollbar='true'><Control name='a' height='200'/><Control name='b' height='200'/></VerticalLayout></Window>",
                      200, 300);
    auto* v = host.Find<DuiLib::CVerticalLayoutUI>(L"v");
    ASSERT_NE(v->GetVerticalScrollBar(), nullptr);
    EXPECT_TRUE(v->GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(v->GetScrollRange().cy, 100);
    EXPECT_EQ(host.Find(L"a")->GetPos().right, 200 - 16);
    host.Wheel(host.Center(L"a"), -120);
    EXPECT_GT(v->GetScrollPos().cy, 0);
    EXPECT_EQ(host.Find(L"a")->GetPos().top, -v->GetScrollPos().cy);
    host.widget->resize(200, 500);
    host.Layout();
    EXPECT_FALSE(v->GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(host.Find(L"a")->GetPos(), Rect(0, 0, 200, 200));
}

void Drag(uitest::Host& host, DuiLib::POINT from, DuiLib::POINT to, const std::function<void()>& midway = {}) {
    host.Move(from);
    host.Press(from);
    host.Move(DuiLib::POINT{(from.x + to.x) / 2, (from.y + to.y) / 2});
    host.Move(to);
    if (midway) midway();
    host.Release(to);
    host.Layout();
}

TEST(LayoutTest, SeparatorResizesLiveWithSepimm) {
    uitest::Host host(L"<Window><HorizontalLayout><HorizontalLayout name='side' width='100' minwidth='60' sepwidth='4' sepimm='true'/>"
                      L"<Control name='rest'/></HorizontalLayout></Window>");
    Drag(host, DuiLib::POINT{98, 50}, DuiLib::POINT{148, 50}, [&] {
        host.Layout();
        EXPECT_EQ(host.Find(L"side")->GetWidth(), 150) << "live while dragging";
    });
    EXPECT_EQ(host.Find(L"rest")->GetPos().left, 150);
    Drag(host, DuiLib::POINT{148, 50}, DuiLib::POINT{10, 50});
    EXPECT_EQ(host.Find(L"side")->GetWidth(), 60) << "not below the minimum width";
    host.Click(DuiLib::POINT{30, 50});
    EXPECT_EQ(host.Find(L"side")->GetWidth(), 60) << "a press away from the handle changes nothing";
}

TEST(LayoutTest, SeparatorWithoutSepimmShowsAGhostAndResizesOnRelease) {
    uitest::Host host(L"<Window><VerticalLayout><Control name='top'/><VerticalLayout name='bottom' height='100' sepheight='-6'/>"
                      L"</VerticalLayout></Window>",
                      400, 300);
    ASSERT_EQ(host.Find(L"bottom")->GetPos(), Rect(0, 200, 400, 300));
    Drag(host, DuiLib::POINT{200, 202}, DuiLib::POINT{200, 152}, [&] {
        host.Layout();
        EXPECT_EQ(host.Find(L"bottom")->GetHeight(), 100) << "unchanged until release";
        auto ghosts = host.widget->findChildren<QWidget*>();
        bool shown = false;
        for (QWidget* g : ghosts) shown = shown || (g->isVisible() && g->geometry() == QRect(0, 149, 400, 2));
        EXPECT_TRUE(shown) << "a line where the top edge will go";
    });
    EXPECT_EQ(host.Find(L"bottom")->GetPos(), Rect(0, 150, 400, 300)) << "dragging the top handle up grows it";
    EXPECT_EQ(host.Find(L"top")->GetPos().bottom, 150);
    for (QWidget* g : host.widget->findChildren<QWidget*>()) EXPECT_FALSE(g->isVisible() && g->geometry().height() == 2) << "the ghost is gone";
}

} // namespace
