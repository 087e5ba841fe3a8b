// Labels, buttons and key buttons keep their drawn look between paints. Each case paints a
// page twice (the look is kept from the second paint on), changes one thing the look depends
// on, paints twice again and compares with a page that had the change before its first
// paint: a look kept too long shows as a difference.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <functional>
#include <string>

#include "tests/support/temp_folder.h"
#include "tests/ui/ui_test_support.h"
#include "ui/custom_controls.h"
#include "ui/resource.h"

namespace {

using namespace DuiLib;

constexpr SIZE kPage{400, 60};

const wchar_t* const kLayout =
    L"<Window size=\"400,60\"><Font id=\"0\" size=\"12\"/>"
    L"<HorizontalLayout bkcolor=\"#FF202020\">"
    L"<DeviceKeyButton name=\"key\" width=\"60\" normalimage=\"file='key.png' corner='2,2,2,2'\" "
    L"lightimage=\"light.png\" text=\"K\" textcolor=\"#FFFFFFFF\"/>"
    L"<DeviceKeyButton name=\"round\" width=\"40\" borderround=\"16,16\" bkcolor=\"#D9171A21\" text=\"R\"/>"
    L"<Button name=\"btn\" width=\"60\" normalimage=\"blue.png\" hotimage=\"hot.png\" pushedimage=\"pushed.png\" disabledimage=\"grey.png\" "
    L"focusedimage=\"focus.png\" text=\"B\"/>"
    L"<Option name=\"opt\" width=\"60\" normalimage=\"blue.png\" selectedimage=\"cyan.png\" text=\"O\"/>"
    L"<Label name=\"lbl\" width=\"100\" text=\"Label\" font=\"0\"/>"
    L"<Label name=\"res\" width=\"80\" resourcetext=\"true\" text=\"greeting\" textcolor=\"#FFFFFF00\"/>"
    L"</HorizontalLayout></Window>";

void SavePng(const std::filesystem::path& file, int w, int h, QRgb argb) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(argb);
    // A half-transparent frame, so that layers blend.
    for (int x = 0; x < w; ++x) img.setPixel(x, 0, (argb & 0x00FFFFFF) | 0x80000000u);
    ASSERT_TRUE(img.save(QString::fromStdString(file.string())));
}

// Where two pictures differ first, or "" when they are equal.
std::string FirstDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return "sizes differ";
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                char text[96];
                std::snprintf(text, sizeof text, "(%d,%d): %08X vs %08X", x, y, a.pixel(x, y), b.pixel(x, y));
                return text;
            }
        }
    return "";
}

QImage Render(uitest::Host& host) {
    QImage img;
    EXPECT_TRUE(host.pm.RenderToImage(&img, kPage));
    return img;
}

// A page painted twice: the first paint of a look draws it, the second keeps and copies it.
struct TwoPaints {
    QImage drawn, kept;
};
TwoPaints RenderTwice(uitest::Host& host) {
    QImage drawn = Render(host);
    return TwoPaints{drawn, Render(host)};
}

class LookCacheTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterCustomControls(); }
    void SetUp() override {
        uitest::App();
        m_old = CPaintManagerUI::GetResourcePath();
        CPaintManagerUI::SetResourcePath(CDuiString::FromUtf8(m_dir.path().string()));
        SavePng(m_dir / "key.png", 8, 8, 0xFF803030);
        SavePng(m_dir / "hot.png", 8, 8, 0xFF30A030);
        SavePng(m_dir / "light.png", 8, 8, 0x50FFFFFF);
        SavePng(m_dir / "blue.png", 8, 8, 0xFF3030C0);
        SavePng(m_dir / "pushed.png", 8, 8, 0xFFC0C030);
        SavePng(m_dir / "grey.png", 8, 8, 0xFF808080);
        SavePng(m_dir / "focus.png", 8, 8, 0xFFC030C0);
        SavePng(m_dir / "cyan.png", 8, 8, 0xFF30C0C0);
        // A strip of four 8 x 8 frames.
        QImage strip(32, 8, QImage::Format_ARGB32);
        for (int x = 0; x < 32; ++x)
            for (int y = 0; y < 8; ++y) strip.setPixel(x, y, x < 8 ? 0xFFFF8000 : 0xFF0080FF);
        strip.save(QString::fromStdString((m_dir / "strip.png").string()));
        m_images.RemoveAllImages();
        CResourceManager::GetInstance()->AddText(L"greeting", L"Hello");
    }
    void TearDown() override {
        CResourceManager::GetInstance()->ResetTextMap();
        m_images.RemoveAllImages();
        CPaintManagerUI::SetResourcePath(m_old);
    }
    // The page with the key's light shown, as the lighting preview has it.
    static void Prepare(uitest::Host& host) {
        auto* key = host.Find<CDeviceKeyButtonUI>(L"key");
        key->SetShowLightImage(true);
        key->SetLightColor(0x0000FF, 255);
        auto* round = host.Find<CDeviceKeyButtonUI>(L"round");
        round->SetShowLightImage(true);
        round->SetLightColor(0x00FF00, 255);
    }

    orvel::testing::TempFolder m_dir;
    CDuiString m_old;
    CPaintManagerUI m_images; // drops the loaded images, which all windows share
};

struct ChangeCase {
    const char* title;
    std::function<void(uitest::Host&, const std::filesystem::path&)> change;
};

const ChangeCase kChanges[] = {
    {"key text", [](uitest::Host& h, auto&) { h.Find(L"key")->SetText(L"Esc"); }},
    {"key image", [](uitest::Host& h, auto&) { h.Find<CButtonUI>(L"key")->SetNormalImage(L"file='blue.png'"); }},
    {"key image by attribute", [](uitest::Host& h, auto&) { h.Find(L"key")->SetAttribute(L"normalimage", L"cyan.png"); }},
    {"key light colour", [](uitest::Host& h, auto&) { h.Find<CDeviceKeyButtonUI>(L"key")->SetLightColor(0xFF0000, 128); }},
    {"key light hidden", [](uitest::Host& h, auto&) { h.Find<CDeviceKeyButtonUI>(L"key")->SetShowLightImage(false); }},
    {"key selected", [](uitest::Host& h, auto&) { h.Find<CDeviceKeyButtonUI>(L"key")->SetSelect(true); }},
    // A look with round corners is drawn on its own image even when it changes every frame.
    {"round key light colour", [](uitest::Host& h, auto&) { h.Find<CDeviceKeyButtonUI>(L"round")->SetLightColor(0xFF0000, 200); }},
    {"round key text", [](uitest::Host& h, auto&) { h.Find(L"round")->SetText(L"Q"); }},
    {"key wider", [](uitest::Host& h, auto&) { h.Find(L"key")->SetFixedWidth(90); }},
    {"button hot under the pointer", [](uitest::Host& h, auto&) { h.Move(h.Center(L"btn")); }},
    {"button pushed", [](uitest::Host& h, auto&) { h.Press(h.Center(L"btn")); }},
    {"button disabled", [](uitest::Host& h, auto&) { h.Find(L"btn")->SetEnabled(false); }},
    {"button focused", [](uitest::Host& h, auto&) { h.Find(L"btn")->SetFocus(); }},
    {"button state strip set by attributes",
     [](uitest::Host& h, auto&) {
         h.Find(L"btn")->SetAttribute(L"stateimage", L"strip.png");
         h.Find(L"btn")->SetAttribute(L"statecount", L"4");
     }},
    {"option selected", [](uitest::Host& h, auto&) { h.Find<COptionUI>(L"opt")->Selected(true); }},
    {"label recoloured while hidden",
     [](uitest::Host& h, auto&) {
         h.Find(L"lbl")->SetVisible(false);
         h.Find(L"lbl")->SetBkColor(0xFF00A0A0);
         h.Find(L"lbl")->SetVisible(true);
     }},
    {"label font", [](uitest::Host& h, auto&) { h.pm.AddFont(0, L"", 20, true, false, false); }},
    {"default text colour", [](uitest::Host& h, auto&) { h.pm.SetDefaultFontColor(0xFFFF4040); }},
    {"language text", [](uitest::Host&, auto&) { CResourceManager::GetInstance()->AddText(L"greeting", L"Goodbye"); }},
    {"window scale", [](uitest::Host& h, auto&) { h.pm.SetDPI(144); }},
    {"image file reloaded",
     [](uitest::Host& h, const std::filesystem::path& dir) {
         SavePng(dir / "key.png", 8, 8, 0xFF20E020);
         h.pm.RemoveAllImages();
     }},
};

TEST_F(LookCacheTest, EveryChangeAfterTheFirstPaintShows) {
    for (const auto& c : kChanges) {
        SCOPED_TRACE(c.title);
        // Files a case rewrites are written back for the next case.
        SavePng(m_dir / "key.png", 8, 8, 0xFF803030);
        m_images.RemoveAllImages();
        CResourceManager::GetInstance()->AddText(L"greeting", L"Hello");

        uitest::Host painted(kLayout, kPage.cx, kPage.cy);
        Prepare(painted);
        const QImage before = RenderTwice(painted).kept;
        c.change(painted, m_dir.path());
        const TwoPaints after = RenderTwice(painted);
        if (FirstDifference(before, after.kept).empty()) {
            ADD_FAILURE() << "the change does not show (stale look, or a case that proves nothing)";
            continue;
        }

        uitest::Host fresh(kLayout, kPage.cx, kPage.cy);
        Prepare(fresh);
        c.change(fresh, m_dir.path());
        const TwoPaints expected = RenderTwice(fresh);
        EXPECT_EQ(FirstDifference(after.drawn, expected.drawn), "") << "first paint after the change";
        EXPECT_EQ(FirstDifference(after.kept, expected.kept), "") << "kept look";
    }
}

// A page painted at one device pixel ratio and then at another gives the picture of a page
// painted at the second one only.
TEST_F(LookCacheTest, FollowsTheDevicePixelRatio) {
    auto paintAt = [](uitest::Host& host, int ratio) {
        QImage img(kPage.cx * ratio, kPage.cy * ratio, QImage::Format_ARGB32_Premultiplied);
        img.setDevicePixelRatio(ratio);
        img.fill(Qt::transparent);
        QPainter p(&img);
        host.pm.Paint(&p, RECT{0, 0, kPage.cx, kPage.cy});
        return img;
    };
    uitest::Host painted(kLayout, kPage.cx, kPage.cy);
    Prepare(painted);
    paintAt(painted, 1);
    paintAt(painted, 1);
    paintAt(painted, 2);
    const QImage twice = paintAt(painted, 2);
    uitest::Host fresh(kLayout, kPage.cx, kPage.cy);
    Prepare(fresh);
    paintAt(fresh, 2);
    EXPECT_EQ(FirstDifference(twice, paintAt(fresh, 2)), "");
    // The look is drawn at device pixels, not copied up from one drawn at layout pixels.
    const QImage coarse = paintAt(fresh, 1).scaled(twice.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    EXPECT_NE(FirstDifference(twice, coarse), "");
}

} // namespace
