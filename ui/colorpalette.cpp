#include "ui/colorpalette.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <algorithm>

#include "ui/manager.h"
#include "ui/render.h"
#include "ui/values.h"

namespace DuiLib {

struct CColorPaletteUI::Cache {
    QImage field;
    int saturation = -1;
    QSize size;
};

CColorPaletteUI::CColorPaletteUI() : m_pCache(std::make_unique<Cache>()) {}
CColorPaletteUI::~CColorPaletteUI() = default;

LPCTSTR CColorPaletteUI::GetClass() const { return L"ColorPaletteUI"; }
LPVOID CColorPaletteUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_COLORPALETTE)) return this;
    return CControlUI::GetInterface(pstrName);
}

DWORD CColorPaletteUI::GetSelectColor() const {
    QColor c = QColor::fromHsv(m_nHue % 360, m_nSaturation, m_nBrightness);
    return 0xFF000000u | (DWORD(c.red()) << 16) | (DWORD(c.green()) << 8) | DWORD(c.blue());
}

void CColorPaletteUI::SetSelectColor(DWORD dwColor) {
    QColor c(int((dwColor >> 16) & 0xFF), int((dwColor >> 8) & 0xFF), int(dwColor & 0xFF));
    int h = 0, s = 0, v = 0;
    c.getHsv(&h, &s, &v);
    if (h >= 0) m_nHue = h;
    m_nSaturation = s;
    m_nBrightness = v;
    Invalidate();
}

RECT CColorPaletteUI::FieldRect() const {
    return RECT{m_rcItem.left, m_rcItem.top, m_rcItem.right, std::min(m_rcItem.bottom, m_rcItem.top + Scale(m_nPalletHeight))};
}

RECT CColorPaletteUI::BarRect() const {
    RECT f = FieldRect();
    return RECT{m_rcItem.left, f.bottom, m_rcItem.right, std::min(m_rcItem.bottom, f.bottom + Scale(m_nBarHeight))};
}

void CColorPaletteUI::PickAt(POINT pt) {
    if (m_nPicking == 1) {
        RECT f = FieldRect();
        int w = std::max(1, f.right - f.left - 1), h = std::max(1, f.bottom - f.top - 1);
        int x = std::clamp(pt.x - f.left, 0, w), y = std::clamp(pt.y - f.top, 0, h);
        m_nHue = std::min(359, x * 360 / (w + 1));
        m_nBrightness = 255 - y * 255 / h;
    } else if (m_nPicking == 2) {
        RECT b = BarRect();
        int w = std::max(1, b.right - b.left - 1);
        m_nSaturation = std::clamp(pt.x - b.left, 0, w) * 255 / w;
    }
    Invalidate();
}

void CColorPaletteUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
        if (IsEnabled()) {
            m_nPicking = PtInRect(FieldRect(), event.ptMouse) ? 1 : PtInRect(BarRect(), event.ptMouse) ? 2 : 0;
            PickAt(event.ptMouse);
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_nPicking) PickAt(event.ptMouse);
        return;
    case UIEVENT_BUTTONUP:
        if (m_nPicking) {
            PickAt(event.ptMouse);
            m_nPicking = 0;
            if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_COLORCHANGED, WPARAM(GetSelectColor()));
        }
        return;
    case UIEVENT_SETCURSOR:
        return;
    default:
        CControlUI::DoEvent(event);
    }
}

void CColorPaletteUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    if (values::EqualNoCase(pstrName, L"palletheight")) SetPalletHeight(values::ParseInt(pstrValue));
    else if (values::EqualNoCase(pstrName, L"barheight")) SetBarHeight(values::ParseInt(pstrValue));
    else if (values::EqualNoCase(pstrName, L"thumbimage")) SetThumbImage(pstrValue);
    else CControlUI::SetAttribute(pstrName, pstrValue);
}

void CColorPaletteUI::PaintBkImage(HDC hDC) {
    CControlUI::PaintBkImage(hDC);
    RECT f = FieldRect();
    QSize size(f.right - f.left, f.bottom - f.top);
    if (size.width() <= 0 || size.height() <= 0) return;
    if (m_pCache->size != size || m_pCache->saturation != m_nSaturation) {
        QImage img(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            int v = 255 - y * 255 / std::max(1, size.height() - 1);
            for (int x = 0; x < size.width(); ++x) line[x] = QColor::fromHsv(std::min(359, x * 360 / size.width()), m_nSaturation, v).rgb();
        }
        m_pCache->field = img;
        m_pCache->size = size;
        m_pCache->saturation = m_nSaturation;
    }
    hDC->drawImage(QPoint(f.left, f.top), m_pCache->field);
    RECT b = BarRect();
    if (b.bottom > b.top) {
        QLinearGradient g(b.left, 0, b.right, 0);
        g.setColorAt(0, QColor::fromHsv(m_nHue, 0, m_nBrightness));
        g.setColorAt(1, QColor::fromHsv(m_nHue, 255, m_nBrightness));
        hDC->fillRect(QRect(b.left, b.top, b.right - b.left, b.bottom - b.top), g);
    }
    // Markers: the picked point in the field and the saturation on the bar.
    int px = f.left + m_nHue * size.width() / 360;
    int py = f.top + (255 - m_nBrightness) * (size.height() - 1) / 255;
    int r = Scale(5);
    if (!m_strThumbImage.IsEmpty()) {
        CRenderEngine::DrawImageString(hDC, m_pManager, RECT{px - r, py - r, px + r, py + r}, m_rcItem, m_strThumbImage);
    } else {
        hDC->save();
        hDC->setRenderHint(QPainter::Antialiasing);
        hDC->setBrush(Qt::NoBrush);
        hDC->setPen(QPen(Qt::white, 2));
        hDC->drawEllipse(QPoint(px, py), r, r);
        hDC->setPen(QPen(Qt::black, 1));
        hDC->drawEllipse(QPoint(px, py), r + 1, r + 1);
        if (b.bottom > b.top) {
            int sx = b.left + m_nSaturation * (b.right - b.left - 1) / 255;
            hDC->setPen(QPen(Qt::white, 2));
            hDC->drawLine(sx, b.top, sx, b.bottom);
        }
        hDC->restore();
    }
}

} // namespace DuiLib
