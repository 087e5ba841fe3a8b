#include "ui/html_text.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <QStringList>

#include <algorithm>

#include "ui/manager.h"
#include "ui/qt_color.h"

namespace DuiLib {
namespace {

// Sizes and distances written in tags are kept within this many pixels.
constexpr int kMaxTagPixels = 4000;


int ArgInt(const QString& s, int lo, int hi, int fallback) {
    bool ok = false;
    const long long v = s.toLongLong(&ok);
    return ok ? int(std::clamp<long long>(v, lo, hi)) : fallback;
}

enum class VAlign { Bottom, Center, Top };

// One parsed part of the text, with the look in force where it stands.
struct Token {
    enum Kind { Text, Image, Break, ParagraphStart, ParagraphEnd, Indent, LineShift } kind = Text;
    QString text;
    QFont font;
    QColor color;
    bool selected = false;
    int link = -1;
    VAlign valign = VAlign::Bottom;
    // Image: what to draw and its size on the screen.
    TDrawInfo image;
    QSize size;
    // Paragraph spacing, indent or line shift in pixels.
    int pixels = 0;
};

// An inline image from "{i name [n [k]]}" or "{i file='...' ...}"; false when it cannot be
// loaded.
bool ParseImage(CPaintManagerUI* pm, const QString& arg, Token& t) {
    if (arg.contains(QLatin1Char('='))) {
        t.image.Parse(arg.toStdWString().c_str());
    } else {
        const QStringList parts = arg.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        t.image.sImageName = parts[0].toStdWString();
        const int frames = parts.size() > 1 ? ArgInt(parts[1], 1, kMaxTagPixels, 1) : 1;
        const int frame = parts.size() > 2 ? ArgInt(parts[2], 0, frames - 1, 0) : 0;
        if (frames > 1) {
            const TImageInfo* info = pm->GetImageEx(t.image.sImageName, nullptr);
            if (!info) return false;
            const double s = info->fSourceScale;
            const int w = int(info->nX / s), h = int(info->nY / s);
            t.image.rcSource = RECT{w * frame / frames, 0, w * (frame + 1) / frames, h};
            t.image.bSource = true;
        }
    }
    t.image.bDest = false;
    t.image.bSize = false;
    if (t.image.sImageName.IsEmpty()) return false;
    const TImageInfo* info = pm->GetImageEx(t.image.sImageName, t.image.sResType, t.image.dwMask);
    if (!info) return false;
    SIZE sz{int(info->nX / info->fSourceScale), int(info->nY / info->fSourceScale)};
    if (t.image.bSource) sz = SIZE{t.image.rcSource.right - t.image.rcSource.left, t.image.rcSource.bottom - t.image.rcSource.top};
    sz = pm->GetDPIObj()->Scale(sz);
    if (sz.cx <= 0 || sz.cy <= 0) return false;
    t.size = QSize(sz.cx, sz.cy);
    return true;
}

// "{f 3}" is a font id; "{f Face Name 14 bold italic underline}" describes a font.
QFont ParseFont(CPaintManagerUI* pm, const QString& arg, const QFont& current) {
    bool isId = false;
    const int id = arg.toInt(&isId);
    if (isId) return pm->GetQFont(id);
    const QStringList parts = arg.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QFont f = current;
    QStringList face;
    bool sized = false;
    for (const QString& p : parts) {
        bool num = false;
        const long long size = p.toLongLong(&num);
        if (num) {
            f.setPixelSize(pm->GetDPIObj()->Scale(int(std::clamp<long long>(size, 1, 400))));
            sized = true;
        } else if (sized && p == QLatin1String("bold")) {
            f.setBold(true);
        } else if (sized && p == QLatin1String("italic")) {
            f.setItalic(true);
        } else if (sized && p == QLatin1String("underline")) {
            f.setUnderline(true);
        } else if (!sized) {
            face << p;
        }
    }
    if (!face.isEmpty()) f.setFamily(face.join(QLatin1Char(' ')));
    return f;
}

struct Parsed {
    std::vector<Token> tokens;
    // Link targets by link number.
    std::vector<CDuiString> targets;
};

Parsed Tokenize(CPaintManagerUI* pm, const QString& src, int iFont) {
    Parsed parsed;
    std::vector<Token>& tokens = parsed.tokens;
    const CDPI* dpi = pm->GetDPIObj();
    std::vector<QFont> fonts{pm->GetQFont(iFont)};
    std::vector<QColor> colors{QColor()};
    std::vector<VAlign> valigns{VAlign::Bottom};
    int selected = 0;
    int link = -1;
    bool raw = false;
    QString text;
    auto look = [&](Token::Kind kind) {
        Token t;
        t.kind = kind;
        t.font = fonts.back();
        t.color = colors.back();
        t.selected = selected > 0;
        t.link = link;
        t.valign = valigns.back();
        return t;
    };
    auto flush = [&] {
        if (text.isEmpty()) return;
        Token t = look(Token::Text);
        t.text = text;
        tokens.push_back(t);
        text.clear();
    };
    const int n = int(src.size());
    int i = 0;
    while (i < n) {
        const QChar ch = src[i];
        if ((ch == QLatin1Char('{') || ch == QLatin1Char('<')) && i + 1 < n) {
            const QChar close = ch == QLatin1Char('{') ? QLatin1Char('}') : QLatin1Char('>');
            const int end = int(src.indexOf(close, i + 1));
            const bool endTag = src[i + 1] == QLatin1Char('/');
            const int at = endTag ? i + 2 : i + 1;
            // A tag's text holds no second opening bracket: "{i a {b}" is text, then a tag.
            bool isTag = end > at && at < n && src[at] >= QLatin1Char('a') && src[at] <= QLatin1Char('z') &&
                         (at + 1 == end || src[at + 1] == QLatin1Char(' ')) && !src.mid(at, end - at).contains(ch);
            if (raw && !(isTag && endTag && src[at] == QLatin1Char('r'))) isTag = false;
            if (isTag) {
                const char letter = char(src[at].unicode());
                const QString arg = src.mid(at + 1, end - at - 1).trimmed();
                flush();
                i = end + 1;
                if (endTag) {
                    switch (letter) {
                    case 'b': case 'i': case 'u': case 'f': if (fonts.size() > 1) fonts.pop_back(); break;
                    case 'c': if (colors.size() > 1) colors.pop_back(); break;
                    case 'v': if (valigns.size() > 1) valigns.pop_back(); break;
                    case 's': if (selected > 0) --selected; break;
                    case 'a': link = -1; break;
                    case 'r': raw = false; break;
                    case 'p': tokens.push_back(look(Token::ParagraphEnd)); break;
                    default: break;
                    }
                    continue;
                }
                switch (letter) {
                case 'b': { QFont f = fonts.back(); f.setBold(true); fonts.push_back(f); break; }
                case 'u': { QFont f = fonts.back(); f.setUnderline(true); fonts.push_back(f); break; }
                case 'i':
                    if (arg.isEmpty()) {
                        QFont f = fonts.back();
                        f.setItalic(true);
                        fonts.push_back(f);
                    } else if (Token t = look(Token::Image); ParseImage(pm, arg, t)) {
                        tokens.push_back(t);
                    }
                    break;
                case 'f': fonts.push_back(ParseFont(pm, arg, fonts.back())); break;
                case 'c': {
                    QString hex = arg.startsWith(QLatin1Char('#')) ? arg.mid(1) : arg;
                    bool ok = false;
                    const uint rgb = hex.toUInt(&ok, 16);
                    colors.push_back(ok && !hex.isEmpty() ? ToOpaqueQColor(rgb) : colors.back());
                    break;
                }
                case 'v':
                    valigns.push_back(arg == QLatin1String("top") ? VAlign::Top
                                      : arg == QLatin1String("center") || arg == QLatin1String("vcenter") ? VAlign::Center
                                                                                                           : VAlign::Bottom);
                    break;
                case 's': ++selected; break;
                case 'a':
                    link = int(parsed.targets.size());
                    parsed.targets.push_back(arg.toStdWString());
                    break;
                case 'r': raw = true; break;
                case 'n': tokens.push_back(look(Token::Break)); break;
                case 'p': {
                    Token t = look(Token::ParagraphStart);
                    t.pixels = dpi->Scale(ArgInt(arg, 0, kMaxTagPixels, 0));
                    tokens.push_back(t);
                    break;
                }
                case 'x':
                case 'y': {
                    Token t = look(letter == 'x' ? Token::Indent : Token::LineShift);
                    t.pixels = dpi->Scale(ArgInt(arg, -kMaxTagPixels, kMaxTagPixels, 0));
                    tokens.push_back(t);
                    break;
                }
                default: break; // tags without meaning are dropped
                }
                continue;
            }
        }
        text += ch;
        ++i;
    }
    flush();
    return parsed;
}

struct Placed {
    const Token* token;
    QString text;
    int x = 0;
    int w = 0;
    int h = 0;
    int ascent = 0;
    int top = 0; // within the line, set when the line is finished
};

struct Line {
    std::vector<Placed> pieces;
    int width = 0;
    int above = 0;
    int below = 0;
    int height = 0;
    // Height of an empty line ended by {n}.
    int emptyHeight = 0;
};

// Sets the line's height and each piece's place in it.
void FinishLine(Line& line) {
    int ascent = 0, descent = 0, other = 0;
    for (const Placed& p : line.pieces) {
        if (p.token->valign == VAlign::Bottom) {
            ascent = std::max(ascent, p.ascent);
            descent = std::max(descent, p.h - p.ascent);
        } else {
            other = std::max(other, p.h);
        }
    }
    line.height = line.pieces.empty() ? line.emptyHeight : std::max(ascent + descent, other);
    const int base = line.height - descent;
    for (Placed& p : line.pieces) {
        switch (p.token->valign) {
        case VAlign::Bottom: p.top = base - p.ascent; break;
        case VAlign::Center: p.top = (line.height - p.h) / 2; break;
        case VAlign::Top: p.top = 0; break;
        }
    }
}

struct Layout {
    std::vector<Line> lines;
    int height = 0;
};

// Cuts a line wider than the room where it leaves the room and ends it with "…".
void Elide(Line& line, int maxw) {
    if (line.width <= maxw) return;
    auto cut = [maxw](Placed& p, const QString& text) {
        const QFontMetrics fm(p.token->font);
        p.text = fm.elidedText(text, Qt::ElideRight, std::max(0, maxw - p.x));
        p.w = fm.horizontalAdvance(p.text);
    };
    for (size_t i = 0; i < line.pieces.size(); ++i) {
        Placed& p = line.pieces[i];
        if (p.x + p.w <= maxw) continue;
        if (p.token->kind == Token::Text) {
            cut(p, p.text);
            line.pieces.resize(p.text.isEmpty() ? i : i + 1);
        } else {
            // An image does not fit: the text before it takes the ellipsis.
            line.pieces.resize(i);
            for (size_t k = i; k-- > 0;) {
                if (line.pieces[k].token->kind != Token::Text) continue;
                cut(line.pieces[k], line.pieces[k].text + QChar(0x2026));
                line.pieces.resize(k + 1);
                break;
            }
        }
        break;
    }
    line.width = line.pieces.empty() ? 0 : line.pieces.back().x + line.pieces.back().w;
}

Layout Arrange(const std::vector<Token>& tokens, int maxw, UINT uStyle, const QFont& baseFont) {
    Layout out;
    out.lines.emplace_back();
    const bool styleWraps = (uStyle & DT_WORDBREAK) && !(uStyle & DT_SINGLELINE);
    bool inParagraph = false;
    int spacing = 0;
    auto newLine = [&] {
        out.lines.emplace_back();
        out.lines.back().below = spacing;
    };
    for (const Token& t : tokens) {
        const bool wrap = styleWraps || inParagraph;
        switch (t.kind) {
        case Token::Break:
            out.lines.back().emptyHeight = QFontMetrics(t.font).height();
            newLine();
            break;
        case Token::ParagraphStart:
            if (!out.lines.back().pieces.empty() || out.lines.back().width > 0) newLine();
            inParagraph = true;
            spacing = t.pixels;
            if (out.lines.size() > 1) out.lines.back().above += spacing;
            out.lines.back().below = spacing;
            break;
        case Token::ParagraphEnd:
            inParagraph = false;
            spacing = 0;
            if (!out.lines.back().pieces.empty()) newLine();
            break;
        case Token::Indent: out.lines.back().width = std::max(0, out.lines.back().width + t.pixels); break;
        case Token::LineShift: out.lines.back().above = std::max(0, out.lines.back().above + t.pixels); break;
        case Token::Image: {
            if (wrap && out.lines.back().width > 0 && out.lines.back().width + t.size.width() > maxw) newLine();
            Line& line = out.lines.back();
            line.pieces.push_back(Placed{&t, QString(), line.width, t.size.width(), t.size.height(), t.size.height()});
            line.width += t.size.width();
            break;
        }
        case Token::Text: {
            const QFontMetrics fm(t.font);
            QString rest = t.text;
            while (!rest.isEmpty()) {
                Line& line = out.lines.back();
                QString part = rest;
                int w = fm.horizontalAdvance(part);
                if (wrap && line.width + w > maxw) {
                    // As many words as fit; a word longer than a whole line stands alone.
                    int cut = -1;
                    for (int k = 1; k <= rest.size(); ++k) {
                        if (k == rest.size() || rest[k] == QLatin1Char(' ')) {
                            if (line.width + fm.horizontalAdvance(rest.left(k)) <= maxw) cut = k;
                            else break;
                        }
                    }
                    if (cut <= 0 && line.width > 0) {
                        newLine();
                        if (rest.startsWith(QLatin1Char(' '))) rest = rest.mid(1);
                        continue;
                    }
                    if (cut > 0) {
                        part = rest.left(cut);
                        w = fm.horizontalAdvance(part);
                    }
                }
                line.pieces.push_back(Placed{&t, part, line.width, w, fm.height(), fm.ascent()});
                line.width += w;
                rest = rest.mid(part.size());
                if (!rest.isEmpty()) {
                    if (rest.startsWith(QLatin1Char(' '))) rest = rest.mid(1);
                    newLine();
                }
            }
            break;
        }
        }
    }
    // A line left empty by a paragraph's end or a wrap at the very end takes no room.
    while (out.lines.size() > 1 && out.lines.back().pieces.empty() && out.lines.back().emptyHeight == 0 && out.lines.back().width == 0)
        out.lines.pop_back();
    const int defaultHeight = QFontMetrics(baseFont).height();
    for (Line& line : out.lines) {
        if (uStyle & DT_END_ELLIPSIS) Elide(line, maxw);
        if (line.pieces.empty() && line.emptyHeight == 0) line.emptyHeight = defaultHeight;
        FinishLine(line);
        out.height += line.above + line.height + line.below;
    }
    out.height -= out.lines.back().below;
    return out;
}

// Pieces placed in rc; calls back for each with its rectangle and line box.
template <typename Fn>
void ForEachPiece(const Layout& layout, const RECT& rc, UINT uStyle, Fn fn) {
    const int maxw = rc.right - rc.left;
    int y = rc.top;
    if (uStyle & DT_VCENTER) y = rc.top + (rc.bottom - rc.top - layout.height) / 2;
    else if (uStyle & DT_BOTTOM) y = rc.bottom - layout.height;
    for (const Line& line : layout.lines) {
        y += line.above;
        int x = rc.left;
        if (uStyle & DT_CENTER) x = rc.left + (maxw - line.width) / 2;
        else if (uStyle & DT_RIGHT) x = rc.right - line.width;
        for (const Placed& p : line.pieces) {
            const RECT box{x + p.x, y + p.top, x + p.x + p.w, y + p.top + p.h};
            const RECT lineBox{x + p.x, y, x + p.x + p.w, y + line.height};
            fn(p, box, lineBox);
        }
        y += line.height + line.below;
    }
}

Layout LayoutFor(CPaintManagerUI* pManager, const RECT& rc, const Parsed& parsed, int iFont, UINT uStyle) {
    const int maxw = rc.right > rc.left ? rc.right - rc.left : 100000;
    return Arrange(parsed.tokens, maxw, uStyle, pManager->GetQFont(iFont));
}

} // namespace

std::vector<THtmlPiece> LayoutHtmlText(CPaintManagerUI* pManager, const RECT& rc, LPCTSTR pstrText, int iFont, UINT uStyle) {
    std::vector<THtmlPiece> out;
    if (!pstrText || !pManager) return out;
    const Parsed parsed = Tokenize(pManager, QString::fromWCharArray(pstrText), iFont);
    const Layout layout = LayoutFor(pManager, rc, parsed, iFont, uStyle);
    ForEachPiece(layout, rc, uStyle, [&](const Placed& p, const RECT& box, const RECT&) {
        THtmlPiece piece;
        piece.rc = box;
        piece.iLink = p.token->link;
        if (p.token->kind == Token::Image) piece.sImage = p.token->image.sImageName;
        else piece.sText = p.text.toStdWString();
        out.push_back(piece);
    });
    return out;
}

void CRenderEngine::DrawHtmlText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor, int iFont,
                                 UINT uStyle, std::vector<THtmlLink>* pLinks, int iHoverLink) {
    if (!pstrText || !*pstrText || !pManager) return;
    const Parsed parsed = Tokenize(pManager, QString::fromWCharArray(pstrText), iFont);
    const Layout layout = LayoutFor(pManager, rc, parsed, iFont, uStyle);
    if (uStyle & DT_CALCRECT) {
        int width = 0;
        for (const Line& line : layout.lines) width = std::max(width, line.width);
        rc.right = rc.left + width;
        rc.bottom = rc.top + layout.height;
        return;
    }
    if (IsRectEmpty(rc)) return;
    const QColor textColor = ToOpaqueQColor(dwTextColor);
    const QColor linkColor = ToOpaqueQColor(pManager->GetDefaultLinkFontColor());
    const QColor hoverColor = ToOpaqueQColor(pManager->GetDefaultLinkHoverFontColor());
    const RECT clip = rc;
    hDC->save();
    hDC->setRenderHint(QPainter::TextAntialiasing);
    hDC->setClipRect(QRect(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top), Qt::IntersectClip);
    ForEachPiece(layout, rc, uStyle, [&](const Placed& p, const RECT& box, const RECT& lineBox) {
        const Token& t = *p.token;
        if (t.selected) {
            hDC->fillRect(QRect(lineBox.left, lineBox.top, lineBox.right - lineBox.left, lineBox.bottom - lineBox.top),
                          ToQColor(pManager->GetDefaultSelectedBkColor()));
        }
        if (t.kind == Token::Image) {
            DrawImageInfo(hDC, pManager, box, clip, t.image);
        } else {
            hDC->setFont(t.font);
            hDC->setPen(t.link >= 0 ? (t.link == iHoverLink ? hoverColor : linkColor) : t.color.isValid() ? t.color : textColor);
            hDC->drawText(QPoint(box.left, box.top + p.ascent), p.text);
        }
        if (pLinks && t.link >= 0) {
            pLinks->push_back(THtmlLink{lineBox, parsed.targets[size_t(t.link)], t.link});
        }
    });
    hDC->restore();
}

} // namespace DuiLib
