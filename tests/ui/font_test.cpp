// Fonts of every open window: shared fonts and the shared default follow each window's scale,
// a font registered again (as a language change does) reaches every window, and fonts can be
// removed.

#include <gtest/gtest.h>

#include <QFontMetrics>

#include "tests/ui/ui_test_support.h"

namespace {

using namespace DuiLib;
using uitest::Host;

// Leaves the process-wide font table and the scale as it found them.
class FontTest : public ::testing::Test {
protected:
    void TearDown() override {
        CPaintManagerUI::SetAllDPI(96);
        CPaintManagerUI().RemoveAllFonts(true);
    }
};

const wchar_t* kShared = L"<Window><Font id='30' name='Noto Sans' size='14' shared='true'/>"
                         L"<VerticalLayout><Label name='l' font='30' text='Text'/><Control/></VerticalLayout></Window>";

int LineHeight(CPaintManagerUI& pm, int id) { return QFontMetrics(pm.GetQFont(id)).height(); }

TEST_F(FontTest, SharedFontsTakeTheLineHeightOfEachWindowsScale) {
    Host a(kShared), b(L"<Window><Label font='30' text='x'/></Window>");
    const int at96 = a.pm.GetFontInfo(30)->tmHeight;
    EXPECT_EQ(at96, LineHeight(a.pm, 30));
    a.pm.SetDPI(144);
    EXPECT_EQ(a.pm.GetFontInfo(30)->tmHeight, LineHeight(a.pm, 30));
    EXPECT_GT(a.pm.GetFontInfo(30)->tmHeight, at96);
    EXPECT_EQ(b.pm.GetFontInfo(30)->tmHeight, at96) << "the other window keeps its own scale";
    ASSERT_TRUE(CPaintManagerUI::SetAllDPI(144));
    EXPECT_EQ(b.pm.GetFontInfo(30)->tmHeight, LineHeight(b.pm, 30));
    a.Layout();
    EXPECT_EQ(a.Find(L"l")->GetHeight(), a.pm.GetFontInfo(30)->tmHeight + a.pm.GetDPIObj()->Scale(8)) << "labels take their height from it";
}

TEST_F(FontTest, AFontRegisteredAgainReachesEveryOpenWindow) {
    Host a(kShared), b(kShared);
    EXPECT_EQ(b.pm.GetQFont(30).pixelSize(), 14);
    const int before = b.Find(L"l")->GetHeight();
    // A language whose script needs another face registers the shared fonts again.
    a.pm.AddFont(30, L"Noto Sans CJK SC", 22, false, false, false, true);
    EXPECT_EQ(b.pm.GetQFont(30).pixelSize(), 22);
    EXPECT_EQ(b.pm.GetQFont(30).families().value(0), QStringLiteral("Noto Sans CJK SC"));
    EXPECT_TRUE(b.pm.IsUpdateNeeded()) << "the other window lays itself out again";
    b.pm.UpdateLayout();
    EXPECT_GT(b.Find(L"l")->GetHeight(), before);
}

TEST_F(FontTest, ASharedDefaultFontIsTheDefaultOfWindowsWithoutTheirOwn) {
    Host a(L"<Window><Label text='x'/></Window>"), own(L"<Window><Font id='1' name='Noto Sans' size='9' default='true'/><Label text='x'/></Window>");
    a.pm.SetDefaultFont(L"Noto Sans", 18, true, false, false, true);
    Host later(L"<Window><Label text='x'/></Window>");
    for (Host* h : {&a, &later}) {
        EXPECT_EQ(h->pm.GetQFont(-1).pixelSize(), 18);
        EXPECT_TRUE(h->pm.GetQFont(-1).bold());
        EXPECT_EQ(h->pm.GetDefaultFontInfo()->iSize, 18);
        EXPECT_EQ(h->pm.GetFontInfo(77)->iSize, 18) << "unknown ids give the default";
    }
    EXPECT_EQ(own.pm.GetQFont(-1).pixelSize(), 9) << "a window's own default wins";
    a.pm.SetDPI(144);
    EXPECT_EQ(a.pm.GetQFont(-1).pixelSize(), 27);
    EXPECT_EQ(a.pm.GetDefaultFontInfo()->tmHeight, LineHeight(a.pm, -1));
}

TEST_F(FontTest, RemoveAllFontsForgetsOwnOrSharedFonts) {
    Host a(L"<Window><Font id='2' name='Noto Sans' size='20'/><Font id='30' name='Noto Sans' size='14' shared='true'/>"
           L"<Font id='3' name='Noto Sans' size='10' default='true'/><Label text='x'/></Window>");
    Host b(L"<Window><Label text='x'/></Window>");
    a.pm.RemoveAllFonts();
    EXPECT_EQ(a.pm.GetQFont(2).pixelSize(), 12) << "own fonts are gone, the default with them: the built-in one stands in";
    EXPECT_EQ(a.pm.GetQFont(30).pixelSize(), 14) << "shared fonts stay";
    EXPECT_EQ(b.pm.GetQFont(30).pixelSize(), 14);
    a.pm.RemoveAllFonts(true);
    EXPECT_EQ(b.pm.GetFontInfo(30)->iSize, 12) << "gone from every window";
    EXPECT_EQ(b.pm.GetQFont(30).pixelSize(), 12);
}

} // namespace
