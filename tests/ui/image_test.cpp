// Image description strings drawn from small fixture images, compared pixel by pixel.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <fstream>

#include "tests/support/temp_folder.h"
#include "tests/ui/ui_test_support.h"

namespace {

using namespace DuiLib;

constexpr QRgb R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF, W = 0xFFFFFFFF, K = 0xFF000000;

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::App();
        m_old = CPaintManagerUI::GetResourcePath();
        CPaintManagerUI::SetResourcePath(CDuiString::FromUtf8(m_dir.path().string()));
        // 4 x 4: a one-pixel frame of red corners, green edges, blue centre.
        QImage frame(4, 4, QImage::Format_ARGB32);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                bool edgeX = x == 0 || x == 3, edgeY = y == 0 || y == 3;
                frame.setPixel(x, y, edgeX && edgeY ? R : (edgeX || edgeY) ? G : B);
            }
        frame.save(QString::fromStdString((m_dir / "frame.png").string()));
        QImage stripes(2, 1, QImage::Format_ARGB32);
        stripes.setPixel(0, 0, R);
        stripes.setPixel(1, 0, B);
        stripes.save(QString::fromStdString((m_dir / "stripes.png").string()));
        std::ofstream(m_dir / "dot.svg") << "<svg xmlns='http://www.w3.org/2000/svg' width='8' height='8'><rect width='8' height='8' fill='#00ff00'/></svg>";
        m_pm.RemoveAllImages();
    }
    void TearDown() override {
        m_pm.RemoveAllImages();
        CPaintManagerUI::SetResourcePath(m_old);
    }
    // Draws the description into a transparent w x h image.
    QImage Draw(const wchar_t* image, int w, int h, int dpi = 96) {
        m_pm.SetDPI(dpi);
        QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::transparent);
        QPainter p(&out);
        RECT rc{0, 0, w, h};
        m_drawn = CRenderEngine::DrawImageString(&p, &m_pm, rc, rc, image);
        p.end();
        return out.convertToFormat(QImage::Format_ARGB32);
    }

    orvel::testing::TempFolder m_dir;
    CDuiString m_old;
    CPaintManagerUI m_pm;
    bool m_drawn = false;
};

struct PixelCase {
    const char* title;
    const wchar_t* image;
    int w, h;
    std::vector<std::tuple<int, int, QRgb>> pixels;
};

TEST_F(ImageTest, ModifiersChangeWhatIsDrawn) {
    const PixelCase cases[] = {
        {"plain name stretched 2x", L"frame.png", 8, 8, {{0, 0, R}, {7, 7, R}, {3, 0, G}, {4, 4, B}}},
        {"source picks a part", L"file='frame.png' source='1,1,3,3'", 4, 4, {{0, 0, B}, {3, 3, B}}},
        {"dest places inside the control", L"file='frame.png' dest='2,2,6,6'", 8, 8, {{0, 0, 0}, {2, 2, R}, {5, 5, R}, {6, 6, 0}}},
        {"corner keeps the frame one pixel wide", L"file='frame.png' corner='1,1,1,1'", 10, 10,
         {{0, 0, R}, {9, 9, R}, {5, 0, G}, {0, 5, G}, {1, 1, B}, {8, 8, B}}},
        {"hole leaves the centre empty", L"file='frame.png' corner='1,1,1,1' hole='true'", 10, 10, {{0, 0, R}, {5, 5, 0}, {5, 0, G}}},
        {"mask makes a colour transparent", L"file='frame.png' mask='#FFFF0000'", 4, 4, {{0, 0, 0}, {1, 1, B}, {1, 0, G}}},
        {"xtiled repeats instead of stretching", L"file='stripes.png' xtiled='true'", 6, 1, {{0, 0, R}, {1, 0, B}, {2, 0, R}, {5, 0, B}}},
        {"without xtiled the same image stretches", L"file='stripes.png'", 6, 1, {{0, 0, R}, {1, 0, R}, {5, 0, B}}},
        {"svg files render", L"dot.svg", 8, 8, {{0, 0, G}, {7, 7, G}}},
        {"res is another name for file", L"res='frame.png' source='0,0,1,1'", 2, 2, {{1, 1, R}}},
    };
    for (const auto& c : cases) {
        QImage img = Draw(c.image, c.w, c.h);
        EXPECT_TRUE(m_drawn) << c.title;
        for (const auto& [x, y, rgb] : c.pixels) {
            EXPECT_EQ(img.pixel(x, y), rgb) << c.title << " at " << x << "," << y;
        }
    }
}

TEST_F(ImageTest, FadeScalesAlpha) {
    QImage img = Draw(L"file='frame.png' fade='128'", 4, 4);
    EXPECT_NEAR(qAlpha(img.pixel(2, 2)), 128, 2);
    EXPECT_EQ(qBlue(img.pixel(2, 2)) > 200, true);
}

TEST_F(ImageTest, MissingFilesDrawNothing) {
    QImage img = Draw(L"file='nothere.png'", 4, 4);
    EXPECT_FALSE(m_drawn);
    EXPECT_EQ(img.pixel(1, 1), 0u);
}

TEST_F(ImageTest, DestAndCornersFollowTheScale) {
    QImage img = Draw(L"file='frame.png' dest='0,0,4,4' corner='1,1,1,1'", 8, 8, 192);
    EXPECT_EQ(img.pixel(1, 1), R) << "a one-pixel corner is two pixels wide at 200 %";
    EXPECT_EQ(img.pixel(2, 0), G);
    EXPECT_EQ(img.pixel(3, 3), B);
    EXPECT_EQ(img.pixel(7, 7), R);
}

TEST_F(ImageTest, ColoursAndBordersPaint) {
    uitest::Host host(L"<Window><Control name='c' bkcolor='#FF102030' bordercolor='#FFFFFFFF' bordersize='1'/></Window>", 10, 10);
    QImage img;
    ASSERT_TRUE(host.pm.RenderToImage(&img, SIZE{10, 10}));
    img = img.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.pixel(5, 5), 0xFF102030u);
    EXPECT_EQ(img.pixel(0, 0), W);
    EXPECT_EQ(img.pixel(9, 5), W);
    uitest::Host clear(L"<Window><Control bkcolor='#102030'/></Window>", 10, 10);
    ASSERT_TRUE(clear.pm.RenderToImage(&img, SIZE{10, 10}));
    EXPECT_EQ(img.convertToFormat(QImage::Format_ARGB32).pixel(5, 5), 0u) << "six-digit colours have alpha 0 and paint nothing";
    (void)K;
}

// Filled round rectangles are copied from a kept shape in the colour asked for: the same
// pixels as the painter's antialiased fill, for each colour in turn (the last one is kept).
TEST(RoundRectTest, FillMatchesThePaintersAntialiasedFill) {
    uitest::App();
    CPaintManagerUI pm;
    for (DWORD color : {0xC0FF0000u, 0xFF00FF00u, 0x80123456u, 0xC0FF0000u, 0x01FFFFFFu}) {
        SCOPED_TRACE(color);
        QImage ours(48, 44, QImage::Format_ARGB32_Premultiplied), theirs = ours;
        ours.fill(Qt::transparent);
        theirs.fill(Qt::transparent);
        {
            QPainter p(&ours);
            CRenderEngine::FillRoundRect(&p, RECT{0, 0, 48, 44}, 16, 16, color);
        }
        {
            QPainter p(&theirs);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(int((color >> 16) & 0xFF), int((color >> 8) & 0xFF), int(color & 0xFF), int(color >> 24)));
            p.drawRoundedRect(QRect(0, 0, 48, 44), 8, 8);
        }
        EXPECT_TRUE(ours == theirs);
    }
}

} // namespace
