#include "ui/host_widget.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QWindow>

#include "ui/manager.h"

namespace DuiLib {

CUIHostWidget::CUIHostWidget(CPaintManagerUI* pManager, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), m_pManager(pManager) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // A window fills its own background, and only where the layout leaves it uncovered.
    setAttribute(Qt::WA_OpaquePaintEvent, isWindow());
    setAttribute(Qt::WA_NoSystemBackground, false);
    m_pManager->SetHostWidget(this);
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

void CUIHostWidget::paintEvent(QPaintEvent* e) {
    if (!m_pManager) return;
    QPainter painter(this);
    const QRect r = e->rect();
    m_pManager->UpdateLayout();
    if (testAttribute(Qt::WA_OpaquePaintEvent) && !testAttribute(Qt::WA_TranslucentBackground) && !m_pManager->IsClientOpaque()) {
        painter.fillRect(r, palette().brush(QPalette::Window));
    }
    m_pManager->Paint(&painter, RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
}

void CUIHostWidget::resizeEvent(QResizeEvent* e) {
    if (m_pManager) {
        m_pManager->HandleQtEvent(e);
        // A layout's "roundcorner" rounds the window itself.
        SIZE round = m_pManager->GetRoundCorner();
        if (isWindow() && (round.cx > 0 || round.cy > 0) && !isMaximized()) {
            QPainterPath path;
            path.addRoundedRect(QRectF(0, 0, width(), height()), round.cx / 2.0, round.cy / 2.0);
            setMask(QRegion(path.toFillPolygon().toPolygon()));
        }
    }
    QWidget::resizeEvent(e);
}

void CUIHostWidget::closeEvent(QCloseEvent* e) {
    if (onCloseRequest && !onCloseRequest()) e->ignore();
    else e->accept();
}

void CUIHostWidget::mousePressEvent(QMouseEvent* e) {
    if (!m_pManager) return;
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::LeftButton && isWindow() && !isMaximized() && windowHandle()) {
        // The layout's "sizebox" borders resize the window.
        RECT box = m_pManager->GetSizeBox();
        Qt::Edges edges;
        if (p.x() < box.left) edges |= Qt::LeftEdge;
        if (p.x() >= width() - box.right) edges |= Qt::RightEdge;
        if (p.y() < box.top) edges |= Qt::TopEdge;
        if (p.y() >= height() - box.bottom) edges |= Qt::BottomEdge;
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
