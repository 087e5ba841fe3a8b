#include "ui/window.h"

#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <vector>

#include "platform/debuglog.h"
#include "ui/builder.h"
#include "ui/control.h"
#include "ui/host_widget.h"
#include "ui/values.h"

namespace DuiLib {
namespace {

std::map<HWND, CWindowWnd*>& Windows() {
    static std::map<HWND, CWindowWnd*> windows;
    return windows;
}

} // namespace

// Routes the message layer's calls to the window without exposing IMessageHandler in the
// window's own interface.
struct WindowGlue : orvel::IMessageHandler {
    explicit WindowGlue(CWindowWnd* w) : window(w) {}
    LRESULT HandleMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam) override { return window->HandleMessage(msg, wParam, lParam); }
    static LRESULT Deliver(CWindowWnd* w, UINT msg, WPARAM wParam, LPARAM lParam) { return w->HandleMessage(msg, wParam, lParam); }
    CWindowWnd* window;
};

namespace {

// The nested loop of ShowModal, on its stack: the window's answer is left here when the
// window ends, since a window that owns itself is deleted before the loop returns.
struct ModalLoop {
    QEventLoop loop;
    UINT result = 0;
    bool ended = false;
};

} // namespace

struct CWindowWnd::Impl {
    explicit Impl(CWindowWnd* w) : glue(w) {}
    WindowGlue glue;
    QPointer<CUIHostWidget> widget;
    std::unique_ptr<CPaintManagerUI> ownManager;
    ModalLoop* modal = nullptr;
    bool destroying = false;
    // A close was asked and its message is on its way: the first code asked is the answer.
    bool closePending = false;
    // The window given as parent to Create: this window goes when it goes.
    HWND owner = nullptr;
};

CWindowWnd::CWindowWnd() : d(std::make_unique<Impl>(this)) {}

CWindowWnd::~CWindowWnd() { ReleaseNative(); }

void CWindowWnd::DestroyOwnedWindows() {
    if (!m_hWnd) return;
    std::vector<HWND> owned;
    for (const auto& [hWnd, w] : Windows()) {
        if (w != this && w->d->owner == m_hWnd) owned.push_back(hWnd);
    }
    // Each may take others with it (a menu its sub-menus): look each one up again.
    for (HWND hWnd : owned) {
        if (CWindowWnd* w = FromHandle(hWnd)) w->DestroyWindow();
    }
}

void CWindowWnd::ReleaseNative() {
    DestroyOwnedWindows();
    if (m_hWnd) {
        Windows().erase(m_hWnd);
        orvel::DestroyWindowHandle(m_hWnd);
        m_hWnd = nullptr;
    }
    if (d->widget) {
        d->widget->onCloseRequest = nullptr;
        d->widget->onWindowEvent = nullptr;
        delete d->widget.data();
    }
}

namespace {

// The margin a window's shadow adds around its client area.
RECT ShadowMarginOf(const CUIHostWidget* widget) {
    return widget && widget->Manager() ? widget->Manager()->GetClientMargin() : RECT{};
}

} // namespace

CWindowWnd* CWindowWnd::FromHandle(HWND hWnd) {
    auto it = Windows().find(hWnd);
    return it == Windows().end() ? nullptr : it->second;
}

CPaintManagerUI* CWindowWnd::GetHostManager() {
    if (!d->ownManager) d->ownManager = std::make_unique<CPaintManagerUI>();
    return d->ownManager.get();
}

QWidget* CWindowWnd::GetWidget() const { return d->widget.data(); }

HWND CWindowWnd::Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT rc, HMENU hMenu) {
    return Create(hwndParent, pstrName, dwStyle, dwExStyle, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, hMenu);
}

HWND CWindowWnd::Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, int x, int y, int cx, int cy, HMENU) {
    if (m_hWnd) return m_hWnd;
    CPaintManagerUI::InstallMessagePump();
    m_hWnd = orvel::CreateWindowHandle(&d->glue, GetWindowClassName(), pstrName ? pstrName : L"");
    if (!m_hWnd) return nullptr;
    Windows()[m_hWnd] = this;
    d->owner = hwndParent;

    CWindowWnd* parent = FromHandle(hwndParent);
    QWidget* parentWidget = parent ? parent->GetWidget() : nullptr;
    Qt::WindowFlags flags;
    if ((dwStyle & WS_CHILD) && parentWidget) flags = Qt::Widget;
    else flags = ((dwExStyle & WS_EX_TOOLWINDOW) ? Qt::Tool : Qt::Window) | Qt::FramelessWindowHint;
    if (dwExStyle & WS_EX_TOPMOST) flags |= Qt::WindowStaysOnTopHint;
    CPaintManagerUI* pm = GetHostManager();
    auto* widget = new CUIHostWidget(pm, parentWidget, flags);
    d->widget = widget;
    widget->setWindowTitle(QString::fromWCharArray(pstrName ? pstrName : L""));
    if (cx != CW_USEDEFAULT && cy != CW_USEDEFAULT && cx > 0 && cy > 0) widget->resize(cx, cy);
    if (x != CW_USEDEFAULT && y != CW_USEDEFAULT) widget->move(x, y);
    widget->onCloseRequest = [this] {
        // The user closed the window (system close): it goes through WM_CLOSE like Close().
        SendMessage(orvel::WM_CLOSE, 0, 0);
        return false;
    };
    widget->onWindowEvent = [this](QEvent* e) {
        switch (e->type()) {
        case QEvent::Show: HandleMessage(orvel::WM_SHOWWINDOW, 1, 0); break;
        case QEvent::Hide: HandleMessage(orvel::WM_SHOWWINDOW, 0, 0); break;
        case QEvent::WindowActivate: HandleMessage(orvel::WM_ACTIVATE, WA_ACTIVE, 0); break;
        case QEvent::WindowDeactivate: HandleMessage(orvel::WM_ACTIVATE, WA_INACTIVE, 0); break;
        default: break;
        }
    };
    QObject::connect(qGuiApp, &QGuiApplication::primaryScreenChanged, widget, [this] {
        if (m_hWnd) HandleMessage(orvel::WM_DISPLAYCHANGE, 0, 0);
    });
    if (QScreen* screen = widget->screen()) {
        QObject::connect(screen, &QScreen::geometryChanged, widget, [this] {
            if (m_hWnd) HandleMessage(orvel::WM_DISPLAYCHANGE, 0, 0);
        });
    }
    // A window that cannot be built answers -1 (its layout is missing or broken): nothing of
    // it stays, and the caller keeps the object to free.
    if (HandleMessage(WM_CREATE, 0, 0) == -1) ReleaseNative();
    if (!m_hWnd) return nullptr;
    if (dwStyle & WS_VISIBLE) ShowWindow(true, true);
    return m_hWnd;
}

void CWindowWnd::ShowWindow(bool bShow, bool bTakeFocus) {
    if (!d->widget) return;
    if (bShow) {
        d->widget->show();
        if (bTakeFocus) {
            d->widget->raise();
            d->widget->activateWindow();
        }
    } else {
        d->widget->hide();
    }
}

UINT CWindowWnd::ShowModal() {
    if (!d->widget || !m_hWnd) return UINT(-1);
    // Modality takes effect when a window is shown: one created visible is shown again.
    if (d->widget->isVisible()) d->widget->hide();
    d->widget->setWindowModality(Qt::ApplicationModal);
    ShowWindow(true, true);
    ModalLoop modal;
    d->modal = &modal;
    modal.loop.exec();
    // A window that owns itself is gone by now: its answer was handed to the loop.
    if (modal.ended) return modal.result;
    d->modal = nullptr;
    return m_nModalResult;
}

void CWindowWnd::Close(UINT nRet) {
    // A window's own handling may close it before the toolkit's default handling asks again:
    // the first code stands.
    if (!m_hWnd || !d->widget || d->closePending) return;
    d->closePending = true;
    m_nModalResult = nRet;
    QPointer<CUIHostWidget> widget = d->widget;
    QMetaObject::invokeMethod(
        widget.data(), [this, widget, nRet] {
            if (!widget) return;
            d->closePending = false;
            SendMessage(orvel::WM_CLOSE, nRet, 0);
        },
        Qt::QueuedConnection);
}

void CWindowWnd::CenterWindow() {
    if (!d->widget) return;
    QRect area;
    if (QWidget* owner = d->widget->parentWidget(); owner && d->widget->isWindow()) area = owner->window()->frameGeometry();
    else if (QScreen* s = d->widget->screen()) area = s->availableGeometry();
    if (area.isEmpty()) return;
    // The client area is centred; a shadow's margin lies around it.
    const RECT m = ShadowMarginOf(d->widget);
    const QSize size = d->widget->size() - QSize(m.left + m.right, m.top + m.bottom);
    d->widget->move(area.center().x() - size.width() / 2 - m.left, area.center().y() - size.height() / 2 - m.top);
}

void CWindowWnd::SetIcon(UINT) {}

LRESULT CWindowWnd::SendMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd) return 0;
    return orvel::SendMessageW(m_hWnd, uMsg, wParam, lParam);
}

bool CWindowWnd::PostMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return m_hWnd && orvel::PostMessageW(m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::ResizeClient(int cx, int cy) {
    if (!d->widget) return;
    const RECT m = ShadowMarginOf(d->widget);
    const int mx = m.left + m.right, my = m.top + m.bottom;
    d->widget->resize(cx < 0 ? d->widget->width() : cx + mx, cy < 0 ? d->widget->height() : cy + my);
}

bool CWindowWnd::IsWindowVisible() const { return d->widget && d->widget->isVisible(); }
bool CWindowWnd::IsMinimized() const { return d->widget && d->widget->isMinimized(); }
bool CWindowWnd::IsMaximized() const { return d->widget && d->widget->isMaximized(); }

RECT CWindowWnd::GetWindowRect() const {
    if (!d->widget) return {};
    QRect g = d->widget->geometry();
    if (d->widget->isWindow()) g.moveTopLeft(d->widget->pos());
    // The window is its client area; a shadow's margin does not count.
    const RECT m = ShadowMarginOf(d->widget);
    return RECT{g.left() + m.left, g.top() + m.top, g.right() + 1 - m.right, g.bottom() + 1 - m.bottom};
}

void CWindowWnd::MoveWindow(int x, int y, int cx, int cy) {
    if (!d->widget) return;
    const RECT m = ShadowMarginOf(d->widget);
    d->widget->setGeometry(x - m.left, y - m.top, cx + m.left + m.right, cy + m.top + m.bottom);
}

void CWindowWnd::DestroyWindow() {
    if (!m_hWnd || d->destroying) return;
    d->destroying = true;
    // Windows it owns go first (a menu must not outlive the window its commands go to).
    DestroyOwnedWindows();
    HWND hWnd = m_hWnd;
    orvel::SetWindowClosing(hWnd);
    d->closePending = false;
    HandleMessage(orvel::WM_DESTROY, 0, 0);
    if (d->widget) {
        CUIHostWidget* w = d->widget.data();
        w->onCloseRequest = nullptr;
        w->onWindowEvent = nullptr;
        if (CPaintManagerUI* pm = w->Manager()) pm->SetFocus(nullptr);
        w->hide();
    }
    HandleMessage(WM_NCDESTROY, 0, 0);
    Windows().erase(hWnd);
    orvel::DestroyWindowHandle(hWnd);
    m_hWnd = nullptr;
    if (ModalLoop* modal = d->modal) {
        d->modal = nullptr;
        modal->result = m_nModalResult;
        modal->ended = true;
        modal->loop.quit();
    }
    d->destroying = false;
    OnFinalMessage(hWnd);
}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM) {
    switch (uMsg) {
    case orvel::WM_CLOSE:
        if (wParam) m_nModalResult = UINT(wParam);
        DestroyWindow();
        return 0;
    case orvel::WM_SYSCOMMAND:
        if (!d->widget) return 0;
        switch (wParam & 0xFFF0) {
        case orvel::SC_MINIMIZE: d->widget->showMinimized(); break;
        case orvel::SC_MAXIMIZE: d->widget->showMaximized(); break;
        case orvel::SC_RESTORE: d->widget->showNormal(); break;
        case orvel::SC_CLOSE: SendMessage(orvel::WM_CLOSE, 0, 0); break;
        default: break;
        }
        return 0;
    default:
        return 0;
    }
}

void CWindowWnd::OnFinalMessage(HWND) {}

bool CWindowWnd::IsDialog() const { return d->owner != nullptr || d->modal != nullptr; }

// ================================================================ CNotifyPump

const DUI_MSGMAP_ENTRY CNotifyPump::_messageEntries[] = {{L"", L"", DuiSig_end, nullptr}};
const DUI_MSGMAP CNotifyPump::messageMap = {&CNotifyPump::_GetBaseMessageMap, &CNotifyPump::_messageEntries[0]};
const DUI_MSGMAP* CNotifyPump::_GetBaseMessageMap() { return nullptr; }
const DUI_MSGMAP* CNotifyPump::GetMessageMap() const { return &CNotifyPump::messageMap; }

bool CNotifyPump::AddVirtualWnd(CDuiString strName, CNotifyPump* pObject) {
    if (!pObject || m_VirtualWndMap.count(strName.str())) return false;
    m_VirtualWndMap[strName.str()] = pObject;
    return true;
}

bool CNotifyPump::RemoveVirtualWnd(CDuiString strName) { return m_VirtualWndMap.erase(strName.str()) > 0; }

void CNotifyPump::NotifyPump(TNotifyUI& msg) {
    if (!msg.sVirtualWnd.IsEmpty()) {
        for (auto& [name, pump] : m_VirtualWndMap) {
            if (values::EqualNoCase(name.c_str(), msg.sVirtualWnd) && pump->LoopDispatch(msg)) return;
        }
    }
    LoopDispatch(msg);
}

bool CNotifyPump::LoopDispatch(TNotifyUI& msg) {
    const CDuiString sender = msg.pSender ? msg.pSender->GetName() : CDuiString();
    for (const DUI_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        const DUI_MSGMAP_ENTRY* byType = nullptr;
        for (const DUI_MSGMAP_ENTRY* e = map->lpEntries; e && e->nSig != DuiSig_end; ++e) {
            if (msg.sType != e->sMsgType) continue;
            if (e->sCtrlName && *e->sCtrlName) {
                if (sender == e->sCtrlName) {
                    e->pfn(this, msg);
                    return true;
                }
            } else {
                byType = e;
            }
        }
        if (byType) {
            byType->pfn(this, msg);
            return true;
        }
    }
    return false;
}

// ================================================================ WindowImplBase

DUI_BEGIN_MESSAGE_MAP(WindowImplBase, CNotifyPump)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, WindowImplBase::OnClick)
DUI_END_MESSAGE_MAP()

WindowImplBase::WindowImplBase() = default;
WindowImplBase::~WindowImplBase() = default;

void WindowImplBase::OnFinalMessage(HWND) {
    m_pm.RemovePreMessageFilter(this);
    m_pm.RemoveNotifier(this);
}

void WindowImplBase::Notify(TNotifyUI& msg) { NotifyPump(msg); }

void WindowImplBase::OnClick(TNotifyUI& msg) {
    CDuiString name = msg.pSender ? msg.pSender->GetName() : CDuiString();
    auto swap = [this](bool maximized) {
        if (CControlUI* max = m_pm.FindControl(L"maxbtn")) max->SetVisible(!maximized);
        if (CControlUI* restore = m_pm.FindControl(L"restorebtn")) restore->SetVisible(maximized);
    };
    if (name == L"closebtn") {
        Close();
    } else if (name == L"minbtn") {
        SendMessage(orvel::WM_SYSCOMMAND, orvel::SC_MINIMIZE, 0);
    } else if (name == L"maxbtn") {
        SendMessage(orvel::WM_SYSCOMMAND, orvel::SC_MAXIMIZE, 0);
        swap(true);
    } else if (name == L"restorebtn") {
        SendMessage(orvel::WM_SYSCOMMAND, orvel::SC_RESTORE, 0);
        swap(false);
    }
}

LRESULT WindowImplBase::ResponseDefaultKeyEvent(WPARAM wParam) {
    if (wParam == VK_ESCAPE && IsDialog()) {
        Close(IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

CControlUI* WindowImplBase::CreateControl(LPCTSTR) { return nullptr; }
LPCTSTR WindowImplBase::QueryControlText(LPCTSTR, LPCTSTR) { return nullptr; }

LRESULT WindowImplBase::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM, bool& bHandled) {
    if (uMsg == WM_KEYDOWN && (wParam == VK_ESCAPE || wParam == VK_RETURN)) {
        LRESULT r = ResponseDefaultKeyEvent(wParam);
        bHandled = r != FALSE;
        return r;
    }
    return FALSE;
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    m_pm.Init(m_hWnd);
    m_pm.AddPreMessageFilter(this);
    CDuiString folder = GetSkinFolder();
    if (CPaintManagerUI::GetResourcePath().IsEmpty() && !folder.IsEmpty())
        CPaintManagerUI::SetResourcePath(CPaintManagerUI::GetInstancePath() + folder);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(GetSkinFile(), nullptr, this, &m_pm);
    if (!root) {
        orvel::debuglog::Write("window layout not built: " + GetSkinFile().ToUtf8());
        bHandled = TRUE;
        return -1;
    }
    m_pm.AttachDialog(root);
    m_pm.AddNotifier(this);
    if (QWidget* w = GetWidget(); w && w->isWindow()) {
        SIZE init = m_pm.GetInitSize();
        const RECT m = m_pm.GetClientMargin();
        const int mx = m.left + m.right, my = m.top + m.bottom;
        if (init.cx > 0 && init.cy > 0 && (w->width() <= mx || w->height() <= my || !w->testAttribute(Qt::WA_Resized)))
            w->resize(init.cx + mx, init.cy + my);
        SIZE minSize = m_pm.GetMinInfo(), maxSize = m_pm.GetMaxInfo();
        if (minSize.cx > 0 || minSize.cy > 0) w->setMinimumSize(minSize.cx + mx, minSize.cy + my);
        if (maxSize.cx > 0 || maxSize.cy > 0)
            w->setMaximumSize(maxSize.cx > 0 ? maxSize.cx + mx : QWIDGETSIZE_MAX, maxSize.cy > 0 ? maxSize.cy + my : QWIDGETSIZE_MAX);
        if (m_pm.GetOpacity() < 255) w->setWindowOpacity(m_pm.GetOpacity() / 255.0);
    }
    InitWindow();
    bHandled = TRUE;
    return 0;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    LRESULT lRes = 0;
    BOOL bHandled = TRUE;
    switch (uMsg) {
    case WM_CREATE: lRes = OnCreate(uMsg, wParam, lParam, bHandled); break;
    case orvel::WM_CLOSE: lRes = OnClose(uMsg, wParam, lParam, bHandled); break;
    case orvel::WM_DESTROY: lRes = OnDestroy(uMsg, wParam, lParam, bHandled); break;
    case WM_SIZE: lRes = OnSize(uMsg, wParam, lParam, bHandled); break;
    case orvel::WM_SYSCOMMAND: lRes = OnSysCommand(uMsg, wParam, lParam, bHandled); break;
    case WM_KEYDOWN: lRes = OnKeyDown(uMsg, wParam, lParam, bHandled); break;
    default: bHandled = FALSE; break;
    }
    if (bHandled) return lRes;
    lRes = HandleCustomMessage(uMsg, wParam, lParam, bHandled);
    if (bHandled) return lRes;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

} // namespace DuiLib
