#pragma once
// The Qt widget a window's paint manager draws into and takes input from. Internal to the
// toolkit: window classes create it, tests and tools may use it to host a layout directly.

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

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    CPaintManagerUI* m_pManager;
    QPoint m_dragOffset;
    bool m_dragging = false;
};

} // namespace DuiLib
