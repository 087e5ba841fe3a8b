#include "ui/render.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <unordered_map>

#include "ui/manager.h"
#include "ui/qt_color.h"
#include "ui/values.h"

namespace DuiLib {
namespace {

QRect ToQRect(const RECT& rc) { return QRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top); }
QString ToQString(LPCTSTR s) { return s ? QString::fromWCharArray(s) : QString(); }

Qt::PenStyle PenStyle(int nStyle) {
    switch (nStyle) {
    case 1: return Qt::DashLine;
    case 2: return Qt::DotLine;
    case 3: return Qt::DashDotLine;
    case 4: return Qt::DashDotDotLine;
    case 5: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

int TextFlags(UINT uStyle) {
    int f = 0;
    if (uStyle & DT_CENTER) f |= Qt::AlignHCenter;
    else if (uStyle & DT_RIGHT) f |= Qt::AlignRight;
    else f |= Qt::AlignLeft;
    if (uStyle & DT_VCENTER) f |= Qt::AlignVCenter;
    else if (uStyle & DT_BOTTOM) f |= Qt::AlignBottom;
    else f |= Qt::AlignTop;
    if ((uStyle & DT_WORDBREAK) && !(uStyle & DT_SINGLELINE)) f |= Qt::TextWordWrap;
    if (!(uStyle & DT_NOPREFIX)) f |= Qt::TextShowMnemonic;
    return f;
}

// "&#xHHHH" (one to six hex digits, then an optional ';') stands for that code point, as
// icon fonts are used; sequences that name no character stay as written.
QString ExpandCodePoints(QString text) {
    for (qsizetype at = text.indexOf(QLatin1String("&#x")); at >= 0; at = text.indexOf(QLatin1String("&#x"), at)) {
        qsizetype k = at + 3;
        char32_t cp = 0;
        int digits = 0;
        for (; k < text.size() && digits < 6; ++k, ++digits) {
            const char16_t u = text[k].unicode();
            const int d = u >= u'0' && u <= u'9' ? u - u'0' : u >= u'a' && u <= u'f' ? u - u'a' + 10 : u >= u'A' && u <= u'F' ? u - u'A' + 10 : -1;
            if (d < 0) break;
            cp = cp * 16 + char32_t(d);
        }
        if (digits == 0 || cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            at += 3;
            continue;
        }
        if (k < text.size() && text[k] == QLatin1Char(';')) ++k;
        const QString ch = QString::fromUcs4(&cp, 1);
        text.replace(at, k - at, ch);
        at += ch.size();
    }
    return text;
}

} // namespace

// ---------------------------------------------------------------- image strings

void TDrawInfo::Parse(LPCTSTR pStrImage, LPCTSTR pStrModify) {
    auto apply = [this](LPCTSTR text) {
        if (!text || !*text) return;
        std::wstring s(text);
        if (s.find(L'=') == std::wstring::npos) {
            sImageName = s;
            return;
        }
        size_t i = 0;
        while (i < s.size()) {
            while (i < s.size() && s[i] == L' ') ++i;
            size_t k = i;
            while (i < s.size() && s[i] != L'=' && s[i] != L' ') ++i;
            std::wstring key = s.substr(k, i - k);
            if (key.empty() || i >= s.size() || s[i] != L'=') return;
            ++i;
            if (i >= s.size() || s[i] != L'\'') return;
            size_t v = ++i;
            while (i < s.size() && s[i] != L'\'') ++i;
            if (i >= s.size()) return;
            std::wstring value = s.substr(v, i - v);
            ++i;
            LPCTSTR val = value.c_str();
            if (key == L"file" || key == L"res") sImageName = value;
            else if (key == L"restype") sResType = value;
            else if (key == L"dest") { rcDest = values::ParseRect(val); bDest = true; }
            else if (key == L"source") { rcSource = values::ParseRect(val); bSource = true; }
            else if (key == L"corner" || key == L"scale9") rcCorner = values::ParseRect(val);
            else if (key == L"mask") dwMask = values::ParseColor(val);
            else if (key == L"fade") uFade = static_cast<BYTE>(std::clamp(values::ParseInt(val), 0, 255));
            else if (key == L"hole") bHole = values::ParseBool(val);
            else if (key == L"xtiled") bTiledX = values::ParseBool(val);
            else if (key == L"ytiled") bTiledY = values::ParseBool(val);
            else if (key == L"size") { szImage = values::ParseSize(val); bSize = true; }
            else if (key == L"padding") rcPadding = values::ParseRect(val);
            else if (key == L"color") { dwColor = values::ParseColor(val); bColor = true; }
            else if (key == L"align") {
                uAlign = 0;
                if (value.find(L"hcenter") != std::wstring::npos) uAlign |= DT_CENTER;
                else if (value.find(L"right") != std::wstring::npos) uAlign |= DT_RIGHT;
                if (value.find(L"vcenter") != std::wstring::npos) uAlign |= DT_VCENTER;
                else if (value.find(L"bottom") != std::wstring::npos) uAlign |= DT_BOTTOM;
            }
        }
    };
    apply(pStrImage);
    apply(pStrModify);
}

// ---------------------------------------------------------------- shapes

void CRenderEngine::DrawColor(HDC hDC, const RECT& rc, DWORD color) {
    if ((color >> 24) == 0 || IsRectEmpty(rc)) return;
    hDC->fillRect(ToQRect(rc), ToQColor(color));
}

void CRenderEngine::DrawGradient(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical) {
    if (IsRectEmpty(rc)) return;
    QLinearGradient g(rc.left, rc.top, bVertical ? rc.left : rc.right, bVertical ? rc.bottom : rc.top);
    g.setColorAt(0, ToQColor(dwFirst));
    g.setColorAt(1, ToQColor(dwSecond));
    hDC->fillRect(ToQRect(rc), g);
}

void CRenderEngine::DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle) {
    if ((dwPenColor >> 24) == 0 || nSize <= 0) return;
    hDC->save();
    QPen pen(ToQColor(dwPenColor), nSize, PenStyle(nStyle));
    pen.setCapStyle(Qt::FlatCap);
    hDC->setPen(pen);
    hDC->drawLine(QPointF(rc.left, rc.top), QPointF(rc.right, rc.bottom));
    hDC->restore();
}

void CRenderEngine::DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle) {
    if ((dwPenColor >> 24) == 0 || nSize <= 0 || IsRectEmpty(rc)) return;
    hDC->save();
    QPen pen(ToQColor(dwPenColor), nSize, PenStyle(nStyle));
    pen.setJoinStyle(Qt::MiterJoin);
    hDC->setPen(pen);
    hDC->setBrush(Qt::NoBrush);
    double h = nSize / 2.0;
    hDC->drawRect(QRectF(rc.left + h, rc.top + h, rc.right - rc.left - nSize, rc.bottom - rc.top - nSize));
    hDC->restore();
}

void CRenderEngine::DrawRoundRect(HDC hDC, const RECT& rc, int nSize, int width, int height, DWORD dwPenColor, int nStyle) {
    if ((dwPenColor >> 24) == 0 || nSize <= 0 || IsRectEmpty(rc)) return;
    hDC->save();
    hDC->setRenderHint(QPainter::Antialiasing);
    hDC->setPen(QPen(ToQColor(dwPenColor), nSize, PenStyle(nStyle)));
    hDC->setBrush(Qt::NoBrush);
    double h = nSize / 2.0;
    hDC->drawRoundedRect(QRectF(rc.left + h, rc.top + h, rc.right - rc.left - nSize, rc.bottom - rc.top - nSize), width / 2.0,
                         height / 2.0);
    hDC->restore();
}

void CRenderEngine::FillRoundRect(HDC hDC, const RECT& rc, int width, int height, DWORD color) {
    if ((color >> 24) == 0 || IsRectEmpty(rc)) return;
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w * h <= 256 * 256) {
        // The antialiased shape is drawn once per size; each colour is then its coverage
        // times the colour, as the painter blends a solid fill, and the last colour is kept.
        struct Entry {
            QImage coverage;
            DWORD color = 0;
            QImage tinted;
        };
        static std::map<std::tuple<int, int, int, int>, Entry> cache;
        auto key = std::make_tuple(w, h, width, height);
        auto it = cache.find(key);
        if (it == cache.end()) {
            if (cache.size() > 256) cache.clear();
            QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
            img.fill(Qt::transparent);
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawRoundedRect(QRect(0, 0, w, h), width / 2.0, height / 2.0);
            p.end();
            it = cache.emplace(key, Entry{std::move(img), 0, QImage()}).first;
        }
        Entry& e = it->second;
        if (e.tinted.isNull() || e.color != color) {
            // The colour where the shape covers, as much as it covers.
            e.tinted = e.coverage.copy();
            QPainter p(&e.tinted);
            p.setCompositionMode(QPainter::CompositionMode_SourceIn);
            p.fillRect(QRect(0, 0, w, h), ToQColor(color));
            p.end();
            e.color = color;
        }
        hDC->drawImage(QPoint(rc.left, rc.top), e.tinted);
        return;
    }
    hDC->save();
    hDC->setRenderHint(QPainter::Antialiasing);
    hDC->setPen(Qt::NoPen);
    hDC->setBrush(ToQColor(color));
    hDC->drawRoundedRect(ToQRect(rc), width / 2.0, height / 2.0);
    hDC->restore();
}

void CRenderEngine::DrawEllipse(HDC hDC, const RECT& rc, DWORD color) {
    if ((color >> 24) == 0 || IsRectEmpty(rc)) return;
    hDC->save();
    hDC->setRenderHint(QPainter::Antialiasing);
    hDC->setPen(Qt::NoPen);
    hDC->setBrush(ToQColor(color));
    hDC->drawEllipse(ToQRect(rc));
    hDC->restore();
}

void CRenderEngine::DrawPie(HDC hDC, const RECT& rc, double startDegrees, double sweepDegrees, DWORD color) {
    if ((color >> 24) == 0 || IsRectEmpty(rc) || sweepDegrees == 0) return;
    hDC->save();
    hDC->setRenderHint(QPainter::Antialiasing);
    hDC->setPen(Qt::NoPen);
    hDC->setBrush(ToQColor(color));
    if (std::abs(sweepDegrees) >= 360) hDC->drawEllipse(ToQRect(rc));
    else hDC->drawPie(ToQRect(rc), int(std::lround(startDegrees * 16)), int(std::lround(sweepDegrees * 16)));
    hDC->restore();
}

// ---------------------------------------------------------------- text

void CRenderEngine::DrawText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor, int iFont,
                             UINT uStyle) {
    if (!pstrText || !*pstrText || !pManager) return;
    const QFont& font = pManager->GetQFont(iFont);
    QString text = ExpandCodePoints(ToQString(pstrText));
    text.replace(QStringLiteral("{\\n}"), QStringLiteral("\n"));
    int flags = TextFlags(uStyle);
    if (uStyle & DT_SINGLELINE) text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (uStyle & DT_CALCRECT) {
        QFontMetrics fm(font);
        int maxw = rc.right > rc.left ? rc.right - rc.left : 10000;
        QRect br = fm.boundingRect(QRect(0, 0, maxw, 10000), flags, text);
        rc.right = rc.left + br.width();
        rc.bottom = rc.top + br.height();
        return;
    }
    if (IsRectEmpty(rc)) return;
    QRect qr = ToQRect(rc);
    if ((uStyle & DT_END_ELLIPSIS) && !(flags & Qt::TextWordWrap)) {
        QFontMetrics fm(font);
        text = fm.elidedText(text, Qt::ElideRight, qr.width(), flags & Qt::TextShowMnemonic);
    }
    const QColor color = ToOpaqueQColor(dwTextColor);
    // Small texts are laid out once per look and size and then copied: pages repaint the
    // same captions many times a second.
    constexpr int kMaxCachedPixels = 512 * 128;
    if (qr.width() * qr.height() <= kMaxCachedPixels) {
        struct Entry {
            QImage image;
        };
        static std::map<std::tuple<QString, QString, int, int, int, QRgb, qreal>, Entry> cache;
        // Drawn at device pixels, so that text stays sharp on high-density screens.
        const qreal ratio = hDC->device()->devicePixelRatio();
        auto key = std::make_tuple(text, font.key(), qr.width(), qr.height(), flags, color.rgb(), ratio);
        auto it = cache.find(key);
        if (it == cache.end()) {
            if (cache.size() > 4096) cache.clear();
            QImage img(qr.size() * ratio, QImage::Format_ARGB32_Premultiplied);
            img.setDevicePixelRatio(ratio);
            img.fill(Qt::transparent);
            QPainter p(&img);
            p.setRenderHint(QPainter::TextAntialiasing);
            p.setFont(font);
            p.setPen(color);
            p.drawText(QRect(QPoint(0, 0), qr.size()), flags, text);
            p.end();
            it = cache.emplace(key, Entry{std::move(img)}).first;
        }
        hDC->drawImage(qr.topLeft(), it->second.image);
        return;
    }
    hDC->save();
    hDC->setRenderHint(QPainter::TextAntialiasing);
    hDC->setFont(font);
    hDC->setPen(color);
    hDC->setClipRect(qr, Qt::IntersectClip);
    hDC->drawText(qr, flags, text);
    hDC->restore();
}

SIZE CRenderEngine::GetTextSize(CPaintManagerUI* pManager, LPCTSTR pstrText, int iFont, UINT uStyle, int maxWidth) {
    if (!pManager) return {};
    QFontMetrics fm(pManager->GetQFont(iFont));
    QString text = ExpandCodePoints(ToQString(pstrText));
    QRect br = fm.boundingRect(QRect(0, 0, maxWidth > 0 ? maxWidth : 100000, 100000), TextFlags(uStyle), text);
    return SIZE{br.width(), std::max(br.height(), fm.height())};
}

// ---------------------------------------------------------------- images

namespace {

// Draws the nine-slice (or plain) arrangement of an image part into the painter, with the
// destination's top-left at (dl, dt).
void DrawSlices(QPainter* hDC, const TImageInfo& image, int dl, int dt, int dr, int db, const RECT& rcSource, const RECT& c, bool bHole,
                bool bTiledX, bool bTiledY, double cornerScale) {
    const QImage& img = *image.pImage;
    const int sl = rcSource.left, st = rcSource.top, sr = rcSource.right, sb = rcSource.bottom;
    // Destination corner sizes follow the window scale; source corners are image pixels.
    auto dc = [&](int v) { return int(std::lround(v * cornerScale / image.fSourceScale)); };
    auto part = [&](int x0, int y0, int x1, int y1, int u0, int v0, int u1, int v1, bool tileX, bool tileY) {
        if (x1 <= x0 || y1 <= y0 || u1 <= u0 || v1 <= v0) return;
        QRect target(x0, y0, x1 - x0, y1 - y0);
        QRect source(u0, v0, u1 - u0, v1 - v0);
        if (!tileX && !tileY) {
            hDC->drawImage(target, img, source);
            return;
        }
        int tw = tileX ? int(std::lround((u1 - u0) * cornerScale / image.fSourceScale)) : x1 - x0;
        int th = tileY ? int(std::lround((v1 - v0) * cornerScale / image.fSourceScale)) : y1 - y0;
        tw = std::max(tw, 1);
        th = std::max(th, 1);
        hDC->save();
        hDC->setClipRect(target, Qt::IntersectClip);
        for (int y = y0; y < y1; y += th)
            for (int x = x0; x < x1; x += tw) hDC->drawImage(QRect(x, y, tw, th), img, source);
        hDC->restore();
    };
    if (c.left == 0 && c.top == 0 && c.right == 0 && c.bottom == 0) {
        part(dl, dt, dr, db, sl, st, sr, sb, bTiledX, bTiledY);
        return;
    }
    const int xl = dl + dc(c.left), xr = dr - dc(c.right), yt = dt + dc(c.top), yb = db - dc(c.bottom);
    const int ul = sl + c.left, ur = sr - c.right, vt = st + c.top, vb = sb - c.bottom;
    if (!bHole) part(xl, yt, xr, yb, ul, vt, ur, vb, bTiledX, bTiledY);
    part(dl, dt, xl, yt, sl, st, ul, vt, false, false);
    part(xl, dt, xr, yt, ul, st, ur, vt, bTiledX, false);
    part(xr, dt, dr, yt, ur, st, sr, vt, false, false);
    part(dl, yt, xl, yb, sl, vt, ul, vb, false, bTiledY);
    part(xr, yt, dr, yb, ur, vt, sr, vb, false, bTiledY);
    part(dl, yb, xl, db, sl, vb, ul, sb, false, false);
    part(xl, yb, xr, db, ul, vb, ur, sb, bTiledX, false);
    part(xr, yb, dr, db, ur, vb, sr, sb, false, false);
}

// Images already arranged at a destination size: pages with many equal buttons then pay
// for the slicing and smoothing once, and every repaint is one plain copy per image.
struct ArrangedKey {
    const QImage* image;
    int w, h;
    RECT source, corner;
    bool hole, tx, ty;
    int scale;
    bool operator<(const ArrangedKey& o) const {
        return std::tie(image, w, h, source.left, source.top, source.right, source.bottom, corner.left, corner.top, corner.right,
                        corner.bottom, hole, tx, ty, scale) < std::tie(o.image, o.w, o.h, o.source.left, o.source.top, o.source.right,
                                                                      o.source.bottom, o.corner.left, o.corner.top, o.corner.right,
                                                                      o.corner.bottom, o.hole, o.tx, o.ty, o.scale);
    }
};

std::map<ArrangedKey, QImage>& ArrangedCache() {
    static std::map<ArrangedKey, QImage> cache;
    return cache;
}

} // namespace

void CRenderEngine::ClearArrangedImages() { ArrangedCache().clear(); }

void CRenderEngine::DrawImage(HDC hDC, const TImageInfo& image, const RECT& rcDest, const RECT& rcPaint, const RECT& rcSource,
                              const RECT& rcCorners, BYTE uFade, bool bHole, bool bTiledX, bool bTiledY, double cornerScale) {
    if (!image.pImage || IsRectEmpty(rcDest) || uFade == 0) return;
    RECT clip;
    if (!IntersectRect(&clip, rcDest, rcPaint)) return;
    const int w = rcDest.right - rcDest.left, h = rcDest.bottom - rcDest.top;
    constexpr int kMaxArrangedPixels = 256 * 256;
    if (w * h <= kMaxArrangedPixels) {
        ArrangedKey key{image.pImage, w, h, rcSource, rcCorners, bHole, bTiledX, bTiledY, int(std::lround(cornerScale * 100))};
        auto& cache = ArrangedCache();
        auto it = cache.find(key);
        if (it == cache.end()) {
            if (cache.size() > 2048) cache.clear();
            QImage arranged(w, h, QImage::Format_ARGB32_Premultiplied);
            arranged.fill(Qt::transparent);
            QPainter p(&arranged);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            DrawSlices(&p, image, 0, 0, w, h, rcSource, rcCorners, bHole, bTiledX, bTiledY, cornerScale);
            p.end();
            it = cache.emplace(key, std::move(arranged)).first;
        }
        // One copy of the part inside the paint rectangle.
        const qreal opacity = hDC->opacity();
        if (uFade != 255) hDC->setOpacity(opacity * uFade / 255.0);
        hDC->drawImage(QPoint(clip.left, clip.top), it->second,
                       QRect(clip.left - rcDest.left, clip.top - rcDest.top, clip.right - clip.left, clip.bottom - clip.top));
        if (uFade != 255) hDC->setOpacity(opacity);
        return;
    }
    const bool plain = rcCorners.left == 0 && rcCorners.top == 0 && rcCorners.right == 0 && rcCorners.bottom == 0 && !bTiledX && !bTiledY;
    if (plain && w == rcSource.right - rcSource.left && h == rcSource.bottom - rcSource.top) {
        // Pixel for pixel (a window's background): only the part inside the paint rectangle is
        // copied. Through a clip, the painter would blend the whole picture span by span.
        const qreal opacity = hDC->opacity();
        if (uFade != 255) hDC->setOpacity(opacity * uFade / 255.0);
        hDC->drawImage(QPoint(clip.left, clip.top), *image.pImage,
                       QRect(rcSource.left + clip.left - rcDest.left, rcSource.top + clip.top - rcDest.top, clip.right - clip.left,
                             clip.bottom - clip.top));
        if (uFade != 255) hDC->setOpacity(opacity);
        return;
    }
    hDC->save();
    hDC->setClipRect(ToQRect(clip), Qt::IntersectClip);
    hDC->setRenderHint(QPainter::SmoothPixmapTransform);
    hDC->setOpacity(hDC->opacity() * uFade / 255.0);
    DrawSlices(hDC, image, rcDest.left, rcDest.top, rcDest.right, rcDest.bottom, rcSource, rcCorners, bHole, bTiledX, bTiledY, cornerScale);
    hDC->restore();
}

bool CRenderEngine::DrawImageInfo(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint, const TDrawInfo& info) {
    if (!pManager) return false;
    const CDPI* dpi = pManager->GetDPIObj();
    RECT rcDest = rcItem;
    if (info.bDest) {
        RECT d = dpi->Scale(info.rcDest);
        rcDest = RECT{rcItem.left + d.left, rcItem.top + d.top, rcItem.left + d.right, rcItem.top + d.bottom};
        rcDest.right = std::min(rcDest.right, rcItem.right);
        rcDest.bottom = std::min(rcDest.bottom, rcItem.bottom);
    }
    if (info.bColor) {
        DrawColor(hDC, rcDest, info.dwColor);
        return true;
    }
    if (info.sImageName.IsEmpty()) return false;
    const TImageInfo* image = pManager->GetImageEx(info.sImageName, info.sResType, info.dwMask);
    if (!image) return false;
    if (info.bSize) {
        SIZE sz = dpi->Scale(info.szImage);
        RECT p = dpi->Scale(info.rcPadding);
        int x = rcItem.left, y = rcItem.top;
        if (info.uAlign & DT_CENTER) x = (rcItem.left + rcItem.right - sz.cx) / 2;
        else if (info.uAlign & DT_RIGHT) x = rcItem.right - sz.cx;
        if (info.uAlign & DT_VCENTER) y = (rcItem.top + rcItem.bottom - sz.cy) / 2;
        else if (info.uAlign & DT_BOTTOM) y = rcItem.bottom - sz.cy;
        x += p.left - p.right;
        y += p.top - p.bottom;
        rcDest = RECT{x, y, x + sz.cx, y + sz.cy};
    }
    const double s = image->fSourceScale;
    RECT rcSource{0, 0, image->nX, image->nY};
    if (info.bSource) {
        rcSource = RECT{int(info.rcSource.left * s), int(info.rcSource.top * s), int(info.rcSource.right * s), int(info.rcSource.bottom * s)};
        rcSource.right = std::min(rcSource.right, image->nX);
        rcSource.bottom = std::min(rcSource.bottom, image->nY);
    }
    RECT corner{int(info.rcCorner.left * s), int(info.rcCorner.top * s), int(info.rcCorner.right * s), int(info.rcCorner.bottom * s)};
    DrawImage(hDC, *image, rcDest, rcPaint, rcSource, corner, info.uFade, info.bHole, info.bTiledX, info.bTiledY,
              dpi->GetScale() / 100.0);
    return true;
}

bool CRenderEngine::DrawImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint, LPCTSTR pStrImage,
                                    LPCTSTR pStrModify) {
    if (!pStrImage || !*pStrImage) return false;
    // Descriptions are taken apart once: pages draw the same ones in every frame.
    static std::unordered_map<std::wstring, TDrawInfo> parsed;
    std::wstring key(pStrImage);
    if (pStrModify && *pStrModify) {
        key += L'\x01';
        key += pStrModify;
    }
    auto it = parsed.find(key);
    if (it == parsed.end()) {
        if (parsed.size() > 4096) parsed.clear();
        TDrawInfo info;
        info.Parse(pStrImage, pStrModify);
        it = parsed.emplace(std::move(key), std::move(info)).first;
    }
    return DrawImageInfo(hDC, pManager, rcItem, rcPaint, it->second);
}

} // namespace DuiLib
