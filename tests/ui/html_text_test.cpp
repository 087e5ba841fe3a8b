// Mini-HTML text: where runs and inline images land, paragraphs, line shifts, vertical places
// in the line, links around images, and broken markup that must draw as text.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/ui/ui_test_support.h"
#include "ui/html_text.h"

namespace {

using namespace DuiLib;

constexpr RECT kArea{10, 20, 410, 320};

class HtmlTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::App();
        m_old = CPaintManagerUI::GetResourcePath();
        CPaintManagerUI::SetResourcePath(CDuiString::FromUtf8(std::string(UI_FIXTURE_DIR) + "/html"));
        m_pm.RemoveAllImages();
    }
    void TearDown() override {
        m_pm.RemoveAllImages();
        CPaintManagerUI::SetResourcePath(m_old);
    }
    std::vector<THtmlPiece> Lay(const wchar_t* text, UINT style = DT_SINGLELINE, RECT rc = kArea) {
        return LayoutHtmlText(&m_pm, rc, text, -1, style);
    }
    // The piece showing this text or image.
    const THtmlPiece& Piece(const std::vector<THtmlPiece>& pieces, const std::wstring& what) {
        for (const auto& p : pieces) {
            if (p.sText == what || p.sImage == what) return p;
        }
        ADD_FAILURE() << "no piece " << QString::fromStdWString(what).toStdString();
        static THtmlPiece none{};
        return none;
    }
    QImage Draw(const wchar_t* text, int w, int h, std::vector<THtmlLink>* links = nullptr, UINT style = DT_SINGLELINE) {
        QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::white);
        QPainter p(&out);
        RECT rc{0, 0, w, h};
        CRenderEngine::DrawHtmlText(&p, &m_pm, rc, text, 0xFF000000, -1, style, links);
        p.end();
        return out.convertToFormat(QImage::Format_ARGB32);
    }

    CDuiString m_old;
    CPaintManagerUI m_pm;
};

TEST_F(HtmlTextTest, InlineImageStandsInTheTextAndMovesItOn) {
    auto pieces = Lay(L"ab{i img/dot.svg}cd");
    ASSERT_EQ(pieces.size(), 3u);
    const auto &ab = pieces[0], &dot = pieces[1], &cd = pieces[2];
    EXPECT_EQ(ab.sText, L"ab");
    EXPECT_EQ(dot.sImage, L"img/dot.svg");
    EXPECT_EQ(dot.rc.left, ab.rc.right);
    EXPECT_EQ(dot.rc.right - dot.rc.left, 10);
    EXPECT_EQ(dot.rc.bottom - dot.rc.top, 10);
    EXPECT_EQ(cd.rc.left, dot.rc.right) << "the text goes on after the image";
    EXPECT_EQ(ab.rc.left, kArea.left);
    EXPECT_EQ(ab.rc.top, cd.rc.top);

    QImage img = Draw(L"ab{i img/dot.svg}cd", 200, 40);
    const QPoint mid((dot.rc.left + dot.rc.right) / 2 - kArea.left, (dot.rc.top + dot.rc.bottom) / 2 - kArea.top);
    EXPECT_EQ(img.pixel(mid), 0xFFFF00FFu) << "the image is drawn at its place";

    m_pm.SetDPI(144);
    auto scaled = Lay(L"{i img/dot.svg}");
    ASSERT_EQ(scaled.size(), 1u);
    EXPECT_EQ(scaled[0].rc.right - scaled[0].rc.left, 15) << "images follow the DPI";
}

TEST_F(HtmlTextTest, ImageListTakesOneFrameOfTheStrip) {
    struct Case {
        const wchar_t* text;
        int width;
        QRgb colour;
    };
    const Case cases[] = {
        {L"{i img/strip.svg 3 0}", 8, 0xFFFF0000}, {L"{i img/strip.svg 3 1}", 8, 0xFF00FF00},
        {L"{i img/strip.svg 3 2}", 8, 0xFF0000FF}, {L"{i img/strip.svg 3 7}", 8, 0xFF0000FF},
        {L"{i img/strip.svg 3}", 8, 0xFFFF0000},   {L"<i img/strip.svg 3 1>", 8, 0xFF00FF00},
        {L"{i img/strip.svg}", 24, 0xFFFF0000},    {L"{i file='img/strip.svg' source='8,0,16,8'}", 8, 0xFF00FF00},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString::fromWCharArray(c.text).toStdString());
        auto pieces = Lay(c.text, DT_SINGLELINE, RECT{0, 0, 100, 20});
        ASSERT_EQ(pieces.size(), 1u);
        EXPECT_EQ(pieces[0].rc.right - pieces[0].rc.left, c.width);
        EXPECT_EQ(pieces[0].rc.bottom - pieces[0].rc.top, 8);
        QImage img = Draw(c.text, 100, 20);
        EXPECT_EQ(img.pixel(pieces[0].rc.left + 4, pieces[0].rc.top + 4), c.colour);
    }
}

TEST_F(HtmlTextTest, ParagraphStartsItsOwnLinesWithTheExtraSpace) {
    auto pieces = Lay(L"one{p 10}two{/p}three");
    const auto &one = Piece(pieces, L"one"), &two = Piece(pieces, L"two"), &three = Piece(pieces, L"three");
    const int h = one.rc.bottom - one.rc.top;
    EXPECT_EQ(two.rc.left, kArea.left) << "a paragraph starts a line";
    EXPECT_EQ(two.rc.top, one.rc.bottom + 10);
    EXPECT_EQ(three.rc.left, kArea.left) << "the end of a paragraph ends its line";
    EXPECT_EQ(three.rc.top, two.rc.bottom + 10);
    EXPECT_EQ(three.rc.top - one.rc.top, 2 * h + 20);

    // Inside a paragraph the text wraps even where the style is one line.
    const int word = Piece(Lay(L"aaaa"), L"aaaa").rc.right - kArea.left;
    auto wrapped = Lay(L"{p 4}aaaa bbbb cccc{/p}", DT_SINGLELINE, RECT{0, 0, word + 4, 200});
    ASSERT_EQ(wrapped.size(), 3u);
    EXPECT_EQ(wrapped[1].rc.left, 0);
    EXPECT_EQ(wrapped[1].rc.top, wrapped[0].rc.bottom + 4);
    EXPECT_EQ(wrapped[2].rc.top, wrapped[1].rc.bottom + 4);
}

TEST_F(HtmlTextTest, SingleLineTextDoesNotWrapButWordBreakDoes) {
    const wchar_t* text = L"alpha beta gamma delta epsilon";
    RECT narrow{0, 0, 60, 300};
    auto single = Lay(text, DT_SINGLELINE, narrow);
    ASSERT_EQ(single.size(), 1u);
    EXPECT_GT(single[0].rc.right, narrow.right) << "one line, cut by the clip";
    auto wrapped = Lay(text, DT_WORDBREAK, narrow);
    EXPECT_GE(wrapped.size(), 4u);
    for (const auto& p : wrapped) EXPECT_EQ(p.rc.left, 0);
}

TEST_F(HtmlTextTest, LineShiftAndIndentMoveTheText) {
    auto shifted = Lay(L"{y 12}abc");
    EXPECT_EQ(Piece(shifted, L"abc").rc.top, kArea.top + 12);
    auto second = Lay(L"ab{n}{y 5}cd");
    const auto &ab = Piece(second, L"ab"), &cd = Piece(second, L"cd");
    EXPECT_EQ(cd.rc.top, ab.rc.bottom + 5);
    auto indented = Lay(L"{x 30}abc");
    EXPECT_EQ(Piece(indented, L"abc").rc.left, kArea.left + 30);
}

TEST_F(HtmlTextTest, VerticalPlaceInTheLine) {
    auto pieces = Lay(L"{i img/tall.svg}low{v center}mid{/v}{v top}high{/v}");
    const auto &tall = Piece(pieces, L"img/tall.svg"), &low = Piece(pieces, L"low"), &mid = Piece(pieces, L"mid"),
               &high = Piece(pieces, L"high");
    EXPECT_EQ(tall.rc.top, kArea.top);
    EXPECT_GT(low.rc.top, tall.rc.top + 20) << "text sits low, on the line where the image stands";
    EXPECT_GE(low.rc.bottom, tall.rc.bottom);
    // The line reaches from the image's top to the bottom of the text hanging below its base line.
    EXPECT_NEAR((mid.rc.top + mid.rc.bottom) / 2.0, (tall.rc.top + low.rc.bottom) / 2.0, 1.0);
    EXPECT_EQ(high.rc.top, tall.rc.top);
    EXPECT_EQ(high.rc.left, mid.rc.right);

    auto centred = Lay(L"abc", DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    const auto& abc = Piece(centred, L"abc");
    EXPECT_NEAR((abc.rc.top + abc.rc.bottom) / 2.0, (kArea.top + kArea.bottom) / 2.0, 1.0);
    EXPECT_NEAR((abc.rc.left + abc.rc.right) / 2.0, (kArea.left + kArea.right) / 2.0, 1.0);
}

TEST_F(HtmlTextTest, LinksKeepTheirNumberAroundImagesAndLines) {
    std::vector<THtmlLink> links;
    Draw(L"{a first}go {i img/dot.svg} on{/a} then {a second}next{/a}", 400, 40, &links);
    ASSERT_EQ(links.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(links[size_t(i)].iLink, 0);
        EXPECT_EQ(links[size_t(i)].sTarget, L"first");
    }
    EXPECT_EQ(links[1].rc.left, links[0].rc.right) << "the image is part of the link";
    EXPECT_EQ(links[3].iLink, 1);
    EXPECT_EQ(links[3].sTarget, L"second");

    // A Text control reports the link's number, also for a click on its image.
    uitest::Host host(L"<Window><Text name='t' text='{a first}go {i img/dot.svg} on{/a} then {a second}next{/a}'/></Window>", 400, 40);
    QImage shown;
    ASSERT_TRUE(host.pm.RenderToImage(&shown, SIZE{400, 40}));
    CControlUI* text = host.Find(L"t");
    ASSERT_NE(text, nullptr);
    auto pieces = LayoutHtmlText(&host.pm, RECT{text->GetPos().left + 2, text->GetPos().top, text->GetPos().right - 2, text->GetPos().bottom},
                                 text->GetText(), -1, DT_WORDBREAK);
    const auto &dot = Piece(pieces, L"img/dot.svg"), &next = Piece(pieces, L"next");
    host.Click(POINT{(dot.rc.left + dot.rc.right) / 2, (dot.rc.top + dot.rc.bottom) / 2});
    host.Click(POINT{(next.rc.left + next.rc.right) / 2, (next.rc.top + next.rc.bottom) / 2});
    auto notes = host.rec.Of(L"link");
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].wParam, 0u);
    EXPECT_EQ(notes[1].wParam, 1u);
}

TEST_F(HtmlTextTest, MeasuringGivesTheSizeTheTextTakes) {
    RECT rc{5, 5, 5, 5};
    QImage none(1, 1, QImage::Format_ARGB32);
    QPainter p(&none);
    CRenderEngine::DrawHtmlText(&p, &m_pm, rc, L"ab{n}{i img/tall.svg}", 0xFF000000, -1, DT_CALCRECT);
    p.end();
    auto pieces = Lay(L"ab{n}{i img/tall.svg}", DT_SINGLELINE, RECT{5, 5, 100005, 100005});
    EXPECT_EQ(rc.right, Piece(pieces, L"ab").rc.right) << "as wide as the widest line";
    EXPECT_EQ(rc.bottom, Piece(pieces, L"img/tall.svg").rc.bottom);
}

TEST_F(HtmlTextTest, BrokenMarkupDrawsAsTextWithoutHarm) {
    struct Case {
        const wchar_t* text;
        // The text pieces joined, when the case checks them.
        const wchar_t* shown;
    };
    const Case cases[] = {
        {L"{", L"{"},
        {L"{i", L"{i"},
        {L"{i img/dot.svg", L"{i img/dot.svg"},
        {L"{i missing.png}x", L"x"},
        {L"{i a {b}x{/b}", L"{i a x"},
        {L"{B}x{/B}", L"{B}x{/B}"},
        {L"{ b}x", L"{ b}x"},
        {L"{bb}x", L"{bb}x"},
        {L"{l}x{/l}", L"x"},
        {L"{/}x", L"{/}x"},
        {L"{{{{}}}}", L"{{{{}}}}"},
        {L"{r}{b}x{/b}{/r}", L"{b}x{/b}"},
        {L"</p></p>{/v}{/a}{/s}{/c}{/f}x", L"x"},
        {L"{c}x{c zz}y{/c}", L"xy"},
        {L"{f 9999}x{f }y{f Face}z", L"xyz"},
        {L"{x 999999999999999999999}x", nullptr},
        {L"{y -99999}x{y 99999999999}", nullptr},
        {L"{p 99999999}x{/p}", nullptr},
        {L"{i img/strip.svg 0 0}{i img/strip.svg -5 9}{i img/strip.svg 99999999999 3}", nullptr},
        {L"{f Face 99999999999 bold}x", nullptr},
        {L"{a}x{/a}{a  spaced target }y", L"xy"},
        {L"<b>x</b><c #FF0000>y</c>{n}{n}{p}{/p}{v}", L"xy"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString::fromWCharArray(c.text).toStdString());
        auto pieces = Lay(c.text, DT_WORDBREAK);
        std::wstring shown;
        for (const auto& p : pieces) {
            shown += p.sText.str();
            EXPECT_LE(std::abs(p.rc.left), 100000);
            EXPECT_LE(std::abs(p.rc.top), 100000);
            EXPECT_LE(p.rc.right - p.rc.left, 10000);
        }
        if (c.shown) {
            EXPECT_EQ(shown, c.shown);
        }
        std::vector<THtmlLink> links;
        Draw(c.text, 120, 60, &links, DT_WORDBREAK);
    }
}

// Plain text: "&#xHHHH" draws that code point (icon fonts); anything else stays as written.
TEST_F(HtmlTextTest, PlainTextCodePoints) {
    auto draw = [this](const wchar_t* text) {
        QImage out(160, 30, QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::white);
        QPainter p(&out);
        RECT rc{0, 0, 160, 30};
        CRenderEngine::DrawText(&p, &m_pm, rc, text, 0xFF000000, -1, DT_SINGLELINE | DT_NOPREFIX);
        p.end();
        return out;
    };
    struct Case {
        const wchar_t* text;
        const wchar_t* same;
    };
    const Case cases[] = {
        {L"&#x41;&#x42", L"AB"},  {L"x&#x263A;y", L"x\u263Ay"}, {L"&#x", L"&#x"},      {L"&#xZZ", L"&#xZZ"},
        {L"&#x110000", L"&#x110000"}, {L"&#xD800;", L"&#xD800;"}, {L"&#x0;", L"&#x0;"}, {L"&#x00041;", L"A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString::fromWCharArray(c.text).toStdString());
        EXPECT_EQ(draw(c.text), draw(c.same));
        EXPECT_EQ(CRenderEngine::GetTextSize(&m_pm, c.text, -1, DT_SINGLELINE).cx, CRenderEngine::GetTextSize(&m_pm, c.same, -1, DT_SINGLELINE).cx);
    }
    EXPECT_NE(draw(L"&#x41;"), draw(L"B")) << "the pictures tell texts apart";
}

TEST_F(HtmlTextTest, LinkUnderThePointerTakesTheHoverColour) {
    uitest::Host host(L"<Window><Text name='t' bkcolor='#FFFFFFFF' text='{a go}link{/a} text'/></Window>", 200, 30);
    QImage img;
    ASSERT_TRUE(host.pm.RenderToImage(&img, SIZE{200, 30}));
    auto countHover = [&] {
        host.pm.RenderToImage(&img, SIZE{200, 30});
        int n = 0;
        // The hover colour is a red; the link colour is blue and the text black.
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb c = img.pixel(x, y);
                n += qRed(c) > 120 && qRed(c) > qBlue(c) + 40 && qRed(c) > qGreen(c) + 40;
            }
        return n;
    };
    EXPECT_EQ(countHover(), 0);
    CControlUI* text = host.Find(L"t");
    auto pieces = LayoutHtmlText(&host.pm, RECT{text->GetPos().left + 2, text->GetPos().top, text->GetPos().right - 2, text->GetPos().bottom},
                                 text->GetText(), -1, DT_WORDBREAK);
    const auto& link = Piece(pieces, L"link");
    host.Move(POINT{(link.rc.left + link.rc.right) / 2, (link.rc.top + link.rc.bottom) / 2});
    EXPECT_GT(countHover(), 5);
    host.Move(POINT{190, 25});
    EXPECT_EQ(countHover(), 0) << "off the link it takes the link colour again";
}

TEST_F(HtmlTextTest, AutoWidthMeasuresTheShownText) {
    uitest::Host host(L"<Window><HorizontalLayout><Label name='l' autocalcwidth='true' showhtml='true' text='{b}{c #FF0000}ab{/c}{/b}'/>"
                      L"<Control/></HorizontalLayout></Window>",
                      300, 30);
    auto pieces = Lay(L"{b}ab{/b}");
    EXPECT_EQ(host.Find(L"l")->GetWidth(), Piece(pieces, L"ab").rc.right - kArea.left);
}

TEST_F(HtmlTextTest, AutoHeightFollowsTheWrappedText) {
    const std::wstring words = L"one two three four five six seven eight nine ten";
    uitest::Host host(L"<Window><HorizontalLayout><VerticalLayout width='90'>"
                      L"<Label name='plain' wordbreak='true' autocalcheight='true' text='" + words + L"'/>"
                      L"<Text name='html' autocalcheight='true' text='{b}" + words + L"{/b}'/>"
                      L"<Text name='fixed' height='20' autocalcheight='true' text='" + words + L"'/>"
                      L"<Label name='single' autocalcheight='true' text='" + words + L"'/><Control/></VerticalLayout><Control/></HorizontalLayout></Window>",
                      300, 400);
    const int plainH = CRenderEngine::GetTextSize(&host.pm, words.c_str(), -1, DT_WORDBREAK, 90).cy;
    EXPECT_EQ(host.Find(L"plain")->GetHeight(), plainH);
    EXPECT_GT(plainH, 3 * CRenderEngine::GetTextSize(&host.pm, L"one", -1, DT_SINGLELINE).cy) << "the text wraps to several lines";
    RECT rc{0, 0, 90 - 4, 0};
    CRenderEngine::DrawHtmlText(nullptr, &host.pm, rc, (L"{b}" + words + L"{/b}").c_str(), 0, -1, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(host.Find(L"html")->GetHeight(), rc.bottom);
    EXPECT_EQ(host.Find(L"fixed")->GetHeight(), 20) << "a fixed height wins";
    EXPECT_LT(host.Find(L"single")->GetHeight(), plainH) << "single-line text keeps its one line";
}

TEST_F(HtmlTextTest, EndEllipsisCutsTheLineWhereItLeavesTheRoom) {
    const UINT style = DT_SINGLELINE | DT_END_ELLIPSIS;
    const RECT narrow{0, 0, 80, 20};
    auto pieces = Lay(L"{b}bold{/b} and a long tail of words {i img/dot.svg} end", style, narrow);
    ASSERT_FALSE(pieces.empty());
    EXPECT_EQ(pieces.front().sText, L"bold");
    EXPECT_EQ(pieces.back().sText.str().back(), L'\u2026');
    for (const auto& p : pieces) {
        EXPECT_LE(p.rc.right, narrow.right);
        EXPECT_TRUE(p.sImage.IsEmpty()) << "nothing after the cut";
    }

    // An image that does not fit: the text before it ends with the ellipsis.
    const int ab = Piece(Lay(L"abcdef"), L"abcdef").rc.right - kArea.left;
    auto beforeImage = Lay(L"abcdef{i img/dot.svg}", style, RECT{0, 0, ab + 5, 20});
    ASSERT_EQ(beforeImage.size(), 1u);
    EXPECT_EQ(beforeImage[0].sText.str().back(), L'\u2026');
    EXPECT_LE(beforeImage[0].rc.right, ab + 5);

    auto fits = Lay(L"{b}ab{/b}{i img/dot.svg}", style);
    EXPECT_EQ(fits.size(), 2u) << "text that fits stays whole";
    EXPECT_EQ(fits[0].sText, L"ab");
}

} // namespace

