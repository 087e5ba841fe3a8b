#include "ui/shadow.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "ui/manager.h"
#include "ui/render.h"
#include "ui/values.h"

namespace DuiLib {

bool TShadowInfo::SetAttribute(const std::wstring& n, LPCTSTR v) {
    using namespace values;
    if (n == L"showshadow") bShow = ParseBool(v);
    else if (n == L"shadowimage") sImage = v;
    else if (n == L"shadowcorner") rcCorner = ParseRect(v);
    else if (n == L"shadowsize") nSize = std::clamp(ParseInt(v), -20, 20);
    else if (n == L"shadowsharpness") nSharpness = std::clamp(ParseInt(v), 0, 20);
    else if (n == L"shadowdarkness") nDarkness = std::clamp(ParseInt(v), 0, 255);
    else if (n == L"shadowposition") {
        SIZE s = ParseSize(v);
        szPosition = SIZE{std::clamp(s.cx, -20, 20), std::clamp(s.cy, -20, 20)};
    } else if (n == L"shadowcolor") dwColor = ParseColor(v) & 0x00FFFFFFu;
    else return false;
    return true;
}

namespace {

// The shadow's full-dark rectangle (image: the whole image) relative to the client area's
// top-left corner, and how far it fades beyond that, in device pixels.
struct ShadowShape {
    RECT dark;
    int fade;
};

ShadowShape Shape(const TShadowInfo& s, const CDPI& dpi, SIZE client) {
    RECT grow{s.nSize, s.nSize, s.nSize, s.nSize};
    // An image without a size of its own reaches as far as its corners.
    if (!s.sImage.IsEmpty() && s.nSize <= 0) grow = s.rcCorner;
    grow = dpi.Scale(grow);
    const SIZE off = dpi.Scale(s.szPosition);
    RECT dark{-grow.left + off.cx, -grow.top + off.cy, client.cx + grow.right + off.cx, client.cy + grow.bottom + off.cy};
    return ShadowShape{dark, s.sImage.IsEmpty() ? dpi.Scale(s.nSharpness) : 0};
}

} // namespace

RECT ShadowMargin(const TShadowInfo& s, const CDPI& dpi) {
    if (!s.bShow) return {};
    // The shape for an empty client: its overhang on each side does not depend on the size.
    const ShadowShape shape = Shape(s, dpi, SIZE{0, 0});
    return RECT{std::max(0, shape.fade - shape.dark.left), std::max(0, shape.fade - shape.dark.top), std::max(0, shape.dark.right + shape.fade),
                std::max(0, shape.dark.bottom + shape.fade)};
}

void PaintShadow(QImage* pWindow, const RECT& m, CPaintManagerUI* pManager) {
    if (!pWindow || !pManager) return;
    const TShadowInfo& s = pManager->GetShadow();
    const SIZE client{pWindow->width() - m.left - m.right, pWindow->height() - m.top - m.bottom};
    if (!s.bShow || client.cx <= 0 || client.cy <= 0) return;
    ShadowShape shape = Shape(s, *pManager->GetDPIObj(), client);
    const RECT dark{shape.dark.left + m.left, shape.dark.top + m.top, shape.dark.right + m.left, shape.dark.bottom + m.top};
    const RECT clientRect{m.left, m.top, m.left + client.cx, m.top + client.cy};
    if (!s.sImage.IsEmpty()) {
        // Nine-slice with the shadow's corners; the middle lies under the client anyway.
        TDrawInfo info;
        info.Parse(s.sImage);
        if (!(s.rcCorner == RECT{})) info.rcCorner = s.rcCorner;
        info.bHole = true;
        QPainter p(pWindow);
        CRenderEngine::DrawImageInfo(&p, pManager, dark, RECT{0, 0, pWindow->width(), pWindow->height()}, info);
    } else {
        // Full darkness inside the rectangle, fading with the distance to it.
        const int r = int((s.dwColor >> 16) & 0xFF), g = int((s.dwColor >> 8) & 0xFF), b = int(s.dwColor & 0xFF);
        for (int y = 0; y < pWindow->height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(pWindow->scanLine(y));
            const int dy = std::max({dark.top - y, y - (dark.bottom - 1), 0});
            for (int x = 0; x < pWindow->width(); ++x) {
                const int dx = std::max({dark.left - x, x - (dark.right - 1), 0});
                double t = 0;
                if (dx > 0 || dy > 0) {
                    if (shape.fade <= 0) continue;
                    t = std::hypot(dx, dy) / (shape.fade + 1);
                    if (t >= 1) continue;
                }
                const double k = (1 - t) * (1 - t);
                const int a = int(std::lround(s.nDarkness * k));
                line[x] = qRgba(r * a / 255, g * a / 255, b * a / 255, a);
            }
        }
    }
    // The client area shows the window only (with its round corners, if any).
    QPainter p(pWindow);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    const QRectF area(clientRect.left, clientRect.top, client.cx, client.cy);
    const SIZE round = pManager->GetRoundCorner();
    if (round.cx > 0 || round.cy > 0) {
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(area, round.cx / 2.0, round.cy / 2.0);
        p.fillPath(path, Qt::transparent);
    } else {
        p.fillRect(area, Qt::transparent);
    }
}

} // namespace DuiLib
