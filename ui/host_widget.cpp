#include "ui/host_widget.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QWindow>

#include "ui/accessible.h"
#include "ui/manager.h"
#include "ui/shadow.h"

namespace DuiLib {

CUIHostWidget::CUIHostWidget(CPaintManagerUI* pManager, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), m_pManager(pManager) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // A window fills its own background, and only where the layout leaves it uncovered.
    setAttribute(Qt::WA_OpaquePaintEvent, isWindow());
    setAttribute(Qt::WA_NoSystemBackground, false);
    m_pManager->SetHostWidget(this);
    a11y::Install();
}

CUIHostWidget::~CUIHostWidget() {
    if (m_pManager && m_pManager->GetHostWidget() == this) m_pManager->SetHostWidget(nullptr);
}

bool CUIHostWidget::event(QEvent* e) {
    if (!m_pManager) return QWidget::event(e);
    switch (e->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::WindowStateChange:
        if (onWindowEvent) onWindowEvent(e);
        break;
    case QEvent::ParentChange:
        setAttribute(Qt::WA_OpaquePaintEvent, isWindow());
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Leave:
    case QEvent::MouseButtonDblClick:
        if (m_pManager->HandleQtEvent(e)) return true;
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

QRect CUIHostWidget::ClientRect() const {
    const RECT m = m_pManager ? m_pManager->GetClientMargin() : RECT{};
    return rect().adjusted(m.left, m.top, -m.right, -m.bottom);
}

void CUIHostWidget::UpdateFrame() { ApplyFrame(true); }

void CUIHostWidget::ApplyFrame(bool keepClient) {
    if (!m_pManager || !isWindow()) return;
    const TShadowInfo& shadow = m_pManager->GetShadow();
    if ((m_pManager->IsLayered() || shadow.bShow) && !testAttribute(Qt::WA_TranslucentBackground)) {
        setAttribute(Qt::WA_TranslucentBackground);
    }
    m_shadow = QImage();
    update();
    const RECT want = (isMaximized() || isFullScreen()) ? RECT{} : ShadowMargin(shadow, *m_pManager->GetDPIObj());
    const RECT have = m_pManager->GetClientMargin();
    if (want == have) return;
    const QRect client = ClientRect();
    m_pManager->SetClientMargin(want);
    if (!keepClient) return;
    // The client area keeps its size and its place on the screen.
    if (isVisible()) move(pos() + QPoint(have.left - want.left, have.top - want.top));
    resize(client.width() + want.left + want.right, client.height() + want.top + want.bottom);
}

QImage CUIHostWidget::RenderWindow() {
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

void CUIHostWidget::paintEvent(QPaintEvent* e) {
    if (!m_pManager) return;
    QPainter painter(this);
    m_pManager->UpdateLayout();
    const QRect client = ClientRect();
    if (client != rect()) {
        if (m_shadow.size() != size()) {
            m_shadow = QImage(size(), QImage::Format_ARGB32_Premultiplied);
            m_shadow.fill(Qt::transparent);
            PaintShadow(&m_shadow, m_pManager->GetClientMargin(), m_pManager);
        }
        painter.drawImage(e->rect(), m_shadow, e->rect());
    }
    QRect r = e->rect() & client;
    if (r.isEmpty()) return;
    // A layered window shows what its layout leaves clear; others their background colour.
    if (isWindow() && !m_pManager->IsLayered() && !m_pManager->IsClientOpaque()) painter.fillRect(r, palette().brush(QPalette::Window));
    painter.translate(client.topLeft());
    r.translate(-client.topLeft());
    SIZE round = m_pManager->GetRoundCorner();
    if (testAttribute(Qt::WA_TranslucentBackground) && (round.cx > 0 || round.cy > 0) && !isMaximized()) {
        // A translucent window rounds its corners itself, so that its shadow is not cut off.
        QPainterPath path;
        path.addRoundedRect(QRectF(0, 0, client.width(), client.height()), round.cx / 2.0, round.cy / 2.0);
        painter.setClipPath(path);
    }
    m_pManager->Paint(&painter, RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
}

void CUIHostWidget::resizeEvent(QResizeEvent* e) {
    if (m_pManager) {
        m_pManager->HandleQtEvent(e);
        // A layout's "roundcorner" rounds the window itself.
        SIZE round = m_pManager->GetRoundCorner();
        if (isWindow() && (round.cx > 0 || round.cy > 0) && !isMaximized() && !testAttribute(Qt::WA_TranslucentBackground)) {
            QPainterPath path;
            path.addRoundedRect(QRectF(0, 0, width(), height()), round.cx / 2.0, round.cy / 2.0);
            setMask(QRegion(path.toFillPolygon().toPolygon()));
        }
    }
    QWidget::resizeEvent(e);
}

void CUIHostWidget::changeEvent(QEvent* e) {
    // A maximised window shows no shadow.
    // (The system sizes the window then.)
    if (e->type() == QEvent::WindowStateChange) ApplyFrame(false);
    QWidget::changeEvent(e);
}

void CUIHostWidget::closeEvent(QCloseEvent* e) {
    if (onCloseRequest && !onCloseRequest()) e->ignore();
    else e->accept();
}

void CUIHostWidget::mousePressEvent(QMouseEvent* e) {
    if (!m_pManager) return;
    const QRect client = ClientRect();
    // The shadow takes no clicks.
    if (!client.contains(e->position().toPoint())) return;
    const QPoint p = e->position().toPoint() - client.topLeft();
    if (e->button() == Qt::LeftButton && isWindow() && !isMaximized() && windowHandle()) {
        // The layout's "sizebox" borders resize the window.
        RECT box = m_pManager->GetSizeBox();
        Qt::Edges edges;
        if (p.x() < box.left) edges |= Qt::LeftEdge;
        if (p.x() >= client.width() - box.right) edges |= Qt::RightEdge;
        if (p.y() < box.top) edges |= Qt::TopEdge;
        if (p.y() >= client.height() - box.bottom) edges |= Qt::BottomEdge;
        if (edges && windowHandle()->startSystemResize(edges)) return;
    }
    if (e->button() == Qt::LeftButton && isWindow() && m_pManager->IsCaptionPoint(POINT{p.x(), p.y()})) {
        // Dragging the caption moves the window; the system does it where it can.
        if (windowHandle() && windowHandle()->startSystemMove()) return;
        m_dragging = true;
        m_dragOffset = e->globalPosition().toPoint() - frameGeometry().topLeft();
        return;
    }
    m_pManager->HandleQtEvent(e);
}

void CUIHostWidget::mouseMoveEvent(QMouseEvent* e) {
    if (!m_pManager) return;
    if (m_dragging) {
        move(e->globalPosition().toPoint() - m_dragOffset);
        return;
    }
    m_pManager->HandleQtEvent(e);
}

void CUIHostWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (!m_pManager) return;
    if (m_dragging) {
        m_dragging = false;
        return;
    }
    m_pManager->HandleQtEvent(e);
}

} // namespace DuiLib
