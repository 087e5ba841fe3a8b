#pragma once
// The Qt widget a window's paint manager draws into and takes input from. Internal to the
// toolkit: window classes create it, tests and tools may use it to host a layout directly.

#include <QImage>
#include <QWidget>

#include <functional>

namespace DuiLib {

class CPaintManagerUI;

class CUIHostWidget : public QWidget {
public:
    explicit CUIHostWidget(CPaintManagerUI* pManager, QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~CUIHostWidget() override;
    CPaintManagerUI* Manager() const { return m_pManager; }
    // The manager is going away: input and painting stop.
    void DetachManager() { m_pManager = nullptr; }
    // Called when the user asks the window to close; return false to keep it open.
    std::function<bool()> onCloseRequest;
    // Called for show, hide and activation changes (the window turns them into messages).
    std::function<void(QEvent*)> onWindowEvent;
    // Follows the manager's window look: a window with per-pixel transparency or a shadow
    // gets a translucent surface (set it up before the window is first shown), and the
    // shadow a margin around the client area, which keeps its size.
    void UpdateFrame();
    // The window as it is shown, shadow and transparency included, in a new ARGB image.
    QImage RenderWindow();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    // The client area inside the widget.
    QRect ClientRect() const;
    // Sets translucency and the shadow's margin; with keepClient the widget grows or shrinks
    // around the client area.
    void ApplyFrame(bool keepClient);

    CPaintManagerUI* m_pManager;
    // The shadow drawn at the widget's size, made again when the size or the look changes.
    QImage m_shadow;
    QPoint m_dragOffset;
    bool m_dragging = false;
};

} // namespace DuiLib
