// Window shadows and per-pixel transparency, rendered offscreen as the window shows them.

#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>

#include <algorithm>

#include <string>

#include "tests/support/temp_folder.h"
#include "tests/ui/ui_test_support.h"

namespace {

using namespace DuiLib;

constexpr SIZE kClient{100, 80};

std::wstring ShadowLayout(const std::wstring& shadow) {
    return L"<Window size=\"100,80\" showshadow=\"true\" " + shadow +
           L"><VerticalLayout bkcolor=\"#FF336699\"><Button name=\"ok\" height=\"30\" bkcolor=\"#FFEEEEEE\"/></VerticalLayout></Window>";
}

// Gives the host the client size asked for, around which the widget keeps its margin.
void SizeClient(uitest::Host& host, SIZE client) {
    const RECT m = host.pm.GetClientMargin();
    host.widget->resize(client.cx + m.left + m.right, client.cy + m.top + m.bottom);
    host.Layout();
}

struct MarginCase {
    const char* title;
    const wchar_t* attributes;
    RECT margin;
};

TEST(FrameTest, ShadowMarginFollowsSizeSharpnessPositionAndImage) {
    const MarginCase cases[] = {
        {"sharpness only", L"shadowsharpness=\"10\"", RECT{10, 10, 10, 10}},
        {"size and sharpness", L"shadowsize=\"4\" shadowsharpness=\"6\"", RECT{10, 10, 10, 10}},
        {"moved down right", L"shadowsharpness=\"10\" shadowposition=\"3,5\"", RECT{7, 5, 13, 15}},
        {"smaller than the window", L"shadowsize=\"-4\" shadowsharpness=\"6\"", RECT{2, 2, 2, 2}},
        {"image reaching its corners", L"shadowimage=\"none.png\" shadowcorner=\"8,6,8,10\"", RECT{8, 6, 8, 10}},
        {"sizes beyond the limits", L"shadowsize=\"50\" shadowsharpness=\"90\"", RECT{40, 40, 40, 40}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        uitest::Host host(ShadowLayout(c.attributes), kClient.cx, kClient.cy);
        SizeClient(host, kClient);
        EXPECT_EQ(host.pm.GetClientMargin(), c.margin);
        EXPECT_EQ(host.widget->width(), kClient.cx + c.margin.left + c.margin.right);
        EXPECT_EQ(host.pm.GetClientSize().cx, kClient.cx);
        EXPECT_EQ(host.pm.GetClientSize().cy, kClient.cy);
    }
    uitest::Host off(L"<Window size=\"100,80\" shadowsharpness=\"10\"><Control/></Window>", kClient.cx, kClient.cy);
    EXPECT_EQ(off.pm.GetClientMargin(), RECT{});
}

TEST(FrameTest, ShadowDarkensTheMarginAndLeavesTheClientAsItIs) {
    uitest::Host host(ShadowLayout(L"shadowsharpness=\"10\" shadowdarkness=\"200\""), kClient.cx, kClient.cy);
    SizeClient(host, kClient);
    const QImage window = host.widget->RenderWindow();
    ASSERT_EQ(window.size(), QSize(120, 100));
    QImage client;
    ASSERT_TRUE(host.pm.RenderToImage(&client, kClient));
    EXPECT_EQ(window.copy(10, 10, kClient.cx, kClient.cy).convertToFormat(QImage::Format_ARGB32),
              client.convertToFormat(QImage::Format_ARGB32));
    // Beside the middle of the left edge: dark next to the window, clearing outwards.
    const int y = 50;
    int last = 256;
    for (int x = 9; x >= 0; --x) {
        const QRgb p = window.pixel(x, y);
        EXPECT_LT(qAlpha(p), last) << "x " << x;
        EXPECT_EQ(qRed(p), 0) << "a black shadow";
        last = qAlpha(p);
    }
    EXPECT_GT(qAlpha(window.pixel(9, y)), 120);
    EXPECT_EQ(qAlpha(window.pixel(0, 0)), 0) << "the far corner is clear";
    // The shadow's colour.
    uitest::Host red(ShadowLayout(L"shadowsharpness=\"10\" shadowcolor=\"#FF0000\""), kClient.cx, kClient.cy);
    SizeClient(red, kClient);
    const QRgb p = red.widget->RenderWindow().pixel(9, y);
    EXPECT_GT(qRed(p), 0);
    EXPECT_EQ(qGreen(p), 0);
}

TEST(FrameTest, ShadowImageIsDrawnWithItsCorners) {
    orvel::testing::TempFolder dir;
    const CDuiString old = CPaintManagerUI::GetResourcePath();
    CPaintManagerUI::SetResourcePath(CDuiString::FromUtf8(dir.path().string()));
    // 24 x 24, clear at the border and darker towards the middle over 8 pixels.
    QImage image(24, 24, QImage::Format_ARGB32);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) image.setPixel(x, y, qRgba(0, 0, 0, 20 * std::min({x, y, 23 - x, 23 - y, 8})));
    ASSERT_TRUE(image.save(QString::fromStdString((dir / "shadow.png").string())));
    {
        uitest::Host host(ShadowLayout(L"shadowimage=\"shadow.png\" shadowcorner=\"8,8,8,8\""), kClient.cx, kClient.cy);
        SizeClient(host, kClient);
        ASSERT_EQ(host.pm.GetClientMargin(), (RECT{8, 8, 8, 8}));
        const QImage window = host.widget->RenderWindow();
        // The left edge of the image, across the margin beside the window's middle.
        for (int x = 0; x < 8; ++x) EXPECT_NEAR(qAlpha(window.pixel(x, 50)), 20 * x, 2) << "x " << x;
    }
    CPaintManagerUI::SetResourcePath(old);
}

TEST(FrameTest, ControlsKeepClientCoordinatesAndTheShadowTakesNoClicks) {
    uitest::Host host(L"<Window size=\"100,80\" showshadow=\"true\" shadowsharpness=\"10\" shadowposition=\"2,4\">"
                      L"<HorizontalLayout><Button name=\"ok\" width=\"6\" height=\"6\"/>"
                      L"<Edit name=\"e\" width=\"40\" height=\"20\" textpadding=\"2,3,4,5\"/><Control/></HorizontalLayout></Window>",
                      kClient.cx, kClient.cy);
    SizeClient(host, kClient);
    const RECT m = host.pm.GetClientMargin();
    ASSERT_EQ(m, (RECT{8, 6, 12, 14}));
    EXPECT_EQ(host.Find(L"ok")->GetPos(), (RECT{0, 0, 6, 6}));
    // The host widget's events arrive at widget coordinates: (11, 9) is (3, 3) of the client.
    host.Click(POINT{m.left + 3, m.top + 3});
    EXPECT_EQ(host.rec.Of(L"click").size(), 1u);
    host.Click(POINT{3, 3});
    EXPECT_EQ(host.rec.Of(L"click").size(), 1u) << "a click on the shadow reaches nothing";

    // The Qt editor lies over the edit's text area in widget coordinates.
    auto* edit = host.Find<CEditUI>(L"e");
    ASSERT_EQ(edit->GetPos(), (RECT{6, 0, 46, 20}));
    host.Click(POINT{m.left + 26, m.top + 10});
    ASSERT_NE(edit->GetNativeEdit(), nullptr);
    EXPECT_EQ(edit->GetNativeEdit()->geometry(), QRect(m.left + 6 + 2, m.top + 3, 40 - 2 - 4, 20 - 3 - 5));
}

TEST(FrameTest, ShadowMarginFollowsTheScale) {
    uitest::Host host(ShadowLayout(L"shadowsharpness=\"10\""), kClient.cx, kClient.cy);
    SizeClient(host, kClient);
    host.pm.SetDPI(192);
    EXPECT_EQ(host.pm.GetClientMargin(), (RECT{20, 20, 20, 20}));
    EXPECT_EQ(host.pm.GetClientSize().cx, 2 * kClient.cx);
    EXPECT_EQ(host.widget->width(), 2 * kClient.cx + 40);
}

TEST(FrameTest, LayeredWindowKeepsItsAlpha) {
    const std::wstring body = L"><VerticalLayout bkcolor=\"#00000000\"><Control height=\"20\" bkcolor=\"#80FF0000\"/>"
                              L"<Control height=\"20\" bkcolor=\"#FF00FF00\"/></VerticalLayout></Window>";
    for (const wchar_t* attribute : {L"bktrans=\"true\"", L"layered=\"true\""}) {
        uitest::Host layered(L"<Window size=\"100,80\" " + std::wstring(attribute) + body, kClient.cx, kClient.cy);
        const QImage img = layered.widget->RenderWindow();
        EXPECT_EQ(qAlpha(img.pixel(50, 10)), 0x80);
        EXPECT_EQ(qAlpha(img.pixel(50, 30)), 0xFF);
        EXPECT_EQ(qAlpha(img.pixel(50, 60)), 0) << "left clear by the layout";
    }
    // Without it the window is opaque: what the layout leaves clear shows the background.
    uitest::Host plain(L"<Window size=\"100,80\"" + body, kClient.cx, kClient.cy);
    const QImage img = plain.widget->RenderWindow();
    EXPECT_EQ(qAlpha(img.pixel(50, 10)), 0xFF);
    EXPECT_EQ(qAlpha(img.pixel(50, 60)), 0xFF);
}

} // namespace
