// The program's own controls: key selection, image buttons, the recording blink, the ring,
// list rows and registration by class name.

#include <gtest/gtest.h>

#include <QImage>

#include <fstream>

#include "tests/support/temp_folder.h"
#include "tests/ui/ui_test_support.h"

namespace {

using namespace DuiLib;
using uitest::Host;

class CustomTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterCustomControls(); }
};

const wchar_t* kKeys =
    L"<Window><SelectPanel name='panel'><HorizontalLayout height='40' childpadding='20'>"
    L"<DeviceKeyButton name='key_0' width='40'/><DeviceKeyButton name='key_1' width='40'/><DeviceKeyButton name='key_2' width='40'/>"
    L"</HorizontalLayout><Control/></SelectPanel></Window>";

TEST_F(CustomTest, RubberBandSelectsTheKeysItTouchesAndClearsTheRest) {
    Host host(kKeys, 300, 200);
    auto key = [&](int i) { return host.Find<CDeviceKeyButtonUI>((L"key_" + std::to_wstring(i)).c_str()); };
    ASSERT_STREQ(host.Find(L"panel")->GetClass(), L"SelectPanel");
    ASSERT_STREQ(key(0)->GetClass(), L"DeviceKeyButton");
    // From below the row up into the first two keys (bottom-right to top-left).
    host.Press(POINT{90, 150});
    host.Move(POINT{50, 100});
    host.Move(POINT{10, 20});
    EXPECT_EQ(host.Find<CSelectPanelUI>(L"panel")->GetSelectRect(), uitest::Rect(10, 20, 90, 150));
    host.Release(POINT{10, 20});
    EXPECT_TRUE(key(0)->IsSelect());
    EXPECT_TRUE(key(1)->IsSelect());
    EXPECT_FALSE(key(2)->IsSelect());
    ASSERT_EQ(host.rec.Of(L"click_select_end").size(), 1u);
    EXPECT_EQ(host.rec.Of(L"click_select_end")[0].sender, L"panel");
    host.Press(POINT{20, 100});
    host.Move(POINT{250, 150});
    host.Release(POINT{250, 150});
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(key(i)->IsSelect()) << "a band that touches nothing clears key " << i;
    EXPECT_EQ(host.rec.Of(L"click_select_end").size(), 2u);
}

TEST_F(CustomTest, KeyButtonDoubleClickColourAndAttributes) {
    Host host(L"<Window><HorizontalLayout><DeviceKeyButton name='k' width='40' gmnametextcolor='FF112233'/>"
              L"<DeviceKeyButton name='k2' width='40' gmnametextcolor='#FF445566'/><Control/></HorizontalLayout></Window>");
    auto* k = host.Find<CDeviceKeyButtonUI>(L"k");
    EXPECT_EQ(k->GetGmNameTextColor(), 0xFF112233u);
    EXPECT_EQ(host.Find<CDeviceKeyButtonUI>(L"k2")->GetGmNameTextColor(), 0xFF445566u);
    EXPECT_FALSE(k->IsShowLightImage());
    EXPECT_TRUE(k->IsHideKeySetImage());
    host.DoubleClick(host.Center(L"k"));
    ASSERT_EQ(host.rec.Of(L"dbclick").size(), 1u);
    EXPECT_EQ(host.rec.Of(L"dbclick")[0].sender, L"k");
    // Devices pack red | blue << 8 | green << 16.
    k->SetLightColor(0x00332211u, 255);
    // red 0x11, blue 0x22, green 0x33, each shown as component x level / 256
    EXPECT_EQ(k->GetLightColor(), 0xFF103221u);
    k->SetLightColor(0x00332211u, 128);
    EXPECT_EQ(k->GetLightColor(), 0xFF081911u);
}

TEST_F(CustomTest, DeleteBoxRespectsTheLock) {
    Host host(L"<Window><HorizontalLayout><HandImgButton name='h' width='100' height='80'/><Control/></HorizontalLayout></Window>", 300, 80);
    auto* h = host.Find<CHandImgButtonUI>(L"h");
    EXPECT_TRUE(h->IsDeleteLock()) << "locked after construction";
    EXPECT_EQ(h->GetDeleteRect(), uitest::Rect(70, 51, 90, 71));
    POINT box{80, 60};
    host.Click(box);
    EXPECT_TRUE(host.rec.Of(L"click_handdelete").empty());
    EXPECT_TRUE(host.rec.Of(L"click").empty()) << "a release on the locked box sends nothing";
    h->SetDeleteLock(false);
    host.Click(box);
    EXPECT_EQ(host.rec.Of(L"click_handdelete").size(), 1u);
    host.Click(POINT{20, 20});
    EXPECT_EQ(host.rec.Of(L"click").size(), 1u);
    EXPECT_FALSE(host.rec.Of(L"msenter").empty());
    host.Move(POINT{250, 40});
    EXPECT_FALSE(host.rec.Of(L"msleave").empty());
}

TEST_F(CustomTest, RecordingBlinkRunsBetween80And255) {
    Host host(L"<Window><RedioMacroButton name='r' redioimage='rec.png'/></Window>");
    auto* r = host.Find<CRedioMacroButtonUI>(L"r");
    r->SetBlink(true);
    std::vector<int> fades{r->GetFade()};
    for (int i = 0; i < 20; ++i) {
        TEventUI ev;
        ev.Type = UIEVENT_TIMER;
        ev.pSender = r;
        ev.wParam = CRedioMacroButtonUI::kBlinkTimer;
        host.pm.DispatchEvent(ev);
        fades.push_back(r->GetFade());
    }
    const std::vector<int> expected{255, 235, 215, 195, 175, 155, 135, 115, 95, 80, 100, 120, 140, 160, 180, 200, 220, 240, 255, 235, 215};
    EXPECT_EQ(fades, expected);
    EXPECT_EQ(r->GetBkImage(), CDuiString(L"res='rec.png' fade='215'"));
    r->SetBlink(false);
    EXPECT_EQ(r->GetBkImage(), CDuiString(L""));
}

TEST_F(CustomTest, CircleProgressDrawsAFullRingAtMaximum) {
    Host host(L"<Window><CircleProgress name='c' bkcolor='#FF000000' forecolor='#FFFF0000' min='0' max='100' value='100'/></Window>", 100, 100);
    auto* c = host.Find<CCircleProgressUI>(L"c");
    EXPECT_DOUBLE_EQ(c->GetSweepAngle(), 360.0);
    QImage img;
    ASSERT_TRUE(host.pm.RenderToImage(&img, SIZE{100, 100}));
    img = img.convertToFormat(QImage::Format_ARGB32);
    for (auto [x, y] : {std::pair{4, 50}, {95, 50}, {50, 4}, {50, 95}, {17, 17}, {83, 83}}) EXPECT_EQ(img.pixel(x, y), 0xFFFF0000u) << x << "," << y;
    EXPECT_EQ(img.pixel(50, 50), 0xFFFFFFFFu) << "the inner disc leaves a ring";
    c->SetValue(50);
    ASSERT_TRUE(host.pm.RenderToImage(&img, SIZE{100, 100}));
    img = img.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.pixel(4, 50), 0xFFFF0000u) << "from six o'clock clockwise, half a ring is the left half";
    EXPECT_EQ(img.pixel(95, 50), 0xFF000000u);
}

TEST_F(CustomTest, CircleProgressCountsFromTheMinimumAndSurvivesAnEmptyRange) {
    Host host(L"<Window><CircleProgress name='c' min='50' max='100' value='75'/></Window>", 50, 50);
    auto* c = host.Find<CCircleProgressUI>(L"c");
    EXPECT_DOUBLE_EQ(c->GetSweepAngle(), 180.0);
    c->SetMaxValue(50);
    EXPECT_DOUBLE_EQ(c->GetSweepAngle(), 0.0);
    QImage img;
    EXPECT_TRUE(host.pm.RenderToImage(&img, SIZE{50, 50}));
}

TEST_F(CustomTest, ComboEditRowBuildsItsContentAndReportsItsEvents) {
    orvel::testing::TempFolder dir;
    CDuiString old = CPaintManagerUI::GetResourcePath();
    CPaintManagerUI::SetResourcePath(CDuiString::FromUtf8(dir.path().string()));
    std::filesystem::create_directories(dir / "XML/CustomControlXML");
    std::ofstream(dir / "XML/CustomControlXML/ComboEditElementItem.xml")
        << "<Window><HorizontalLayout><Label name=\"text1\"/><Label name=\"text2\"/><Edit name=\"delay_edit\"/></HorizontalLayout></Window>";
    {
        Host host(L"<Window><List name='l'><ComboEditContainerElement name='row' height='30' normalimage='x.png'/></List></Window>");
        auto* row = host.Find<CComboEditContainerElementUI>(L"row");
        ASSERT_NE(row, nullptr);
        ASSERT_NE(row->GetDelayEdit(), nullptr);
        EXPECT_NE(row->GetText1(), nullptr);
        EXPECT_EQ(row->GetCustomAttribute(L"normalimage"), nullptr) << "the image attributes are dropped";
        host.Press(POINT{row->GetPos().left + 2, row->GetPos().top + 2});
        host.Release(POINT{row->GetPos().left + 2, row->GetPos().top + 2});
        EXPECT_TRUE(row->IsSelected());
        EXPECT_EQ(host.rec.Of(L"itemclick").size(), 1u);
        host.Press(POINT{row->GetPos().left + 2, row->GetPos().top + 2}, Qt::LeftButton, Qt::ControlModifier);
        host.Release(POINT{row->GetPos().left + 2, row->GetPos().top + 2});
        EXPECT_FALSE(row->IsSelected()) << "Ctrl toggles";
        host.pm.SetFocus(row);
        host.Key(Qt::Key_Return, QStringLiteral("\r"));
        EXPECT_EQ(host.rec.Of(L"return").size(), 1u);
        EXPECT_EQ(host.rec.Of(L"itemactivate").size(), 1u);
        EXPECT_FALSE(row->IsChanged());
        host.pm.SendNotify(row->GetDelayEdit(), DUI_MSGTYPE_RETURN);
        EXPECT_TRUE(row->IsChanged());
    }
    CPaintManagerUI::SetResourcePath(old);
}

TEST_F(CustomTest, ChartAndTraceDraw) {
    Host host(L"<Window><VerticalLayout><ChartView name='chart' height='100' forecolor='#FF00FF00' showtext='false'/>"
              L"<AudioRecord name='trace' height='50' bkcolor='#FFFFFFFF'/></VerticalLayout></Window>", 200, 150);
    auto* chart = host.Find<CChartViewUI>(L"chart");
    ASSERT_NE(chart, nullptr);
    chart->AddItem(L"a", 10);
    chart->AddItem(L"b", 5);
    auto* trace = host.Find<CAudioRecordUI>(L"trace");
    trace->SetSamples(std::vector<int>(600, 8192));
    EXPECT_EQ(trace->GetSamples().size(), 500u);
    QImage img;
    ASSERT_TRUE(host.pm.RenderToImage(&img, SIZE{200, 150}));
    img = img.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.pixel(50, 5), 0xFF00FF00u) << "the tallest bar reaches the top";
    EXPECT_EQ(img.pixel(150, 5), 0u) << "half the height leaves the top free";
    EXPECT_EQ(img.pixel(150, 95), 0xFF00FF00u);
    EXPECT_EQ(img.pixel(0, 120), 0xFF000000u) << "a full sample is a line from the top";
    EXPECT_EQ(img.pixel(1, 120), 0xFFFFFFFFu) << "one line every two pixels";
}

} // namespace
