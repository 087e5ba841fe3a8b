#include "ui/menu.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>

#include "platform/debuglog.h"
#include "ui/accessible.h"

namespace DuiLib {

// Sees a menu window's input before the window does (see CMenuWnd::FilterInput).
class MenuInputFilter : public QObject {
public:
    MenuInputFilter(CMenuWnd* wnd, QObject* parent) : QObject(parent), m_wnd(wnd) {}
    bool eventFilter(QObject*, QEvent* e) override { return m_wnd->FilterInput(e); }

private:
    CMenuWnd* m_wnd;
};

namespace {

CMenuElementUI* AsMenuElement(CControlUI* c) {
    return c ? static_cast<CMenuElementUI*>(c->GetInterface(DUI_CTR_MENUELEMENT)) : nullptr;
}

// Check items take their state from the map by name, at every level.
void ApplyCheckStates(IContainerUI* items, const MenuCheckInfo& checks) {
    for (int i = 0; i < items->GetCount(); ++i) {
        CMenuElementUI* item = AsMenuElement(items->GetItemAt(i));
        if (!item) continue;
        if (item->IsCheckItem()) {
            auto it = checks.find(item->GetName().str());
            if (it != checks.end()) item->SetChecked(it->second);
        }
        if (item->HasSubMenu()) ApplyCheckStates(item, checks);
    }
}

bool Selectable(CControlUI* c) {
    CMenuElementUI* item = AsMenuElement(c);
    return item && item->IsVisible() && item->IsEnabled() && !item->IsLine();
}

TCHAR VirtualKeyOf(int key) {
    switch (key) {
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    default: return 0;
    }
}

QRect ScreenRect(QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

} // namespace

CMenuWnd* CMenuWnd::CreateMenu(CMenuElementUI*, LPCTSTR xml, POINT point, CPaintManagerUI* pMainPaintManager, MenuCheckInfo* pMenuCheckInfo,
                               DWORD dwAlignment) {
    auto* wnd = new CMenuWnd;
    wnd->m_sXml = xml ? xml : L"";
    wnd->m_ptBase = point;
    wnd->m_dwAlignment = dwAlignment;
    wnd->m_pMainManager = pMainPaintManager;
    wnd->m_pCheckInfo = pMenuCheckInfo;
    HWND owner = pMainPaintManager ? pMainPaintManager->GetPaintWindow() : nullptr;
    if (!wnd->Create(owner, L"", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST)) {
        delete wnd;
        return nullptr;
    }
    return wnd;
}

CMenuWnd* CMenuWnd::FromManager(CPaintManagerUI* pManager) {
    if (!pManager) return nullptr;
    return dynamic_cast<CMenuWnd*>(CWindowWnd::FromHandle(pManager->GetPaintWindow()));
}

CMenuWnd* CMenuWnd::Root() {
    CMenuWnd* w = this;
    while (w->m_pParent) w = w->m_pParent;
    return w;
}

CMenuWnd* CMenuWnd::Deepest() {
    CMenuWnd* w = this;
    while (w->m_pChild) w = w->m_pChild;
    return w;
}

void CMenuWnd::InitWindow() {
    CControlUI* root = m_pm.GetRoot();
    m_pMenu = root ? static_cast<CMenuUI*>(root->GetInterface(DUI_CTR_MENU)) : nullptr;
    if (!m_pMenu) m_pMenu = static_cast<CMenuUI*>(m_pm.FindSubControlByClass(root, L"MenuUI"));
    if (m_pMenu && m_pOwner) BorrowSubItems();
    else if (m_pMenu && m_pCheckInfo) ApplyCheckStates(m_pMenu, *m_pCheckInfo);
    QWidget* w = GetWidget();
    if (!w) return;
    SIZE size = m_pm.GetInitSize();
    if (m_pMenu) {
        SIZE est = m_pMenu->EstimateSize(SIZE{0, 0});
        if (size.cx <= 0) size.cx = std::max(est.cx, m_pm.GetDPIObj()->Scale(120));
        size.cy = est.cy;
    }
    w->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    m_pInputFilter = new MenuInputFilter(this, w);
    w->installEventFilter(m_pInputFilter);
    PlaceWindow(size);
    w->show();
    a11y::MenuShown(m_pMenu, true);
    // A sub-menu is a pop-up above its parent: the pop-up chain has the input without
    // activating it.
    if (!m_pParent) w->activateWindow();
}

void CMenuWnd::PlaceWindow(SIZE size) {
    QWidget* w = GetWidget();
    int x = m_ptBase.x, y = m_ptBase.y;
    QRect owner;
    if (m_pOwner && m_pParent && m_pParent->GetWidget()) {
        // Beside the parent menu, the first sub-item level with the owner item.
        QWidget* pw = m_pParent->GetWidget();
        m_pParent->m_pm.UpdateLayout();
        RECT r = m_pOwner->GetPos();
        const RECT m = m_pParent->m_pm.GetClientMargin(); // the parent's shadow around its menu
        owner = QRect(pw->mapToGlobal(QPoint(m.left, m.top + r.top)),
                      QSize(pw->width() - m.left - m.right, r.bottom - r.top));
        x = m_pParent->m_bOpensLeft ? owner.left() - size.cx : owner.right() + 1;
        y = owner.top() - (m_pMenu ? m_pMenu->GetInset().top : 0);
    } else {
        if (m_dwAlignment & eMenuAlignment_Right) x -= size.cx;
        if (m_dwAlignment & eMenuAlignment_Bottom) y -= size.cy;
    }
    QScreen* s = QGuiApplication::screenAt(owner.isValid() ? owner.center() : QPoint(m_ptBase.x, m_ptBase.y));
    if (!s && m_pParent && m_pParent->GetWidget()) s = m_pParent->GetWidget()->screen();
    if (s) {
        // Keep the menu on the screen: a sub-menu opens on the side its parent opened to and
        // changes sides where it would leave the screen; one that would leave it at the bottom
        // moves up.
        QRect a = s->availableGeometry();
        if (owner.isValid()) {
            if (x + size.cx > a.right() + 1) x = owner.left() - size.cx;
            else if (x < a.left()) x = owner.right() + 1;
            m_bOpensLeft = x < owner.left();
        }
        x = std::clamp(x, a.left(), std::max(a.left(), a.right() + 1 - int(size.cx)));
        y = std::clamp(y, a.top(), std::max(a.top(), a.bottom() + 1 - int(size.cy)));
    }
    w->setGeometry(x, y, size.cx, size.cy);
}

void CMenuWnd::BorrowSubItems() {
    m_pMenu->RemoveAll();
    for (int i = 0; i < m_pOwner->GetCount(); ++i) {
        CControlUI* c = m_pOwner->GetItemAt(i);
        if (AsMenuElement(c)) m_borrowed.emplace_back(c, i);
    }
    for (auto it = m_borrowed.rbegin(); it != m_borrowed.rend(); ++it) m_pOwner->RemoveAt(it->second, true);
    for (auto& [c, index] : m_borrowed) {
        m_pMenu->Add(c);
        c->SetVisible(true);
    }
    m_pOwner->SetSubMenuOpen(true);
}

void CMenuWnd::ReturnSubItems() {
    if (!m_pOwner || !m_pMenu) return;
    m_pMenu->SelectItem(-1, false, false);
    for (auto& [c, index] : m_borrowed) {
        m_pMenu->Remove(c, true);
        CMenuElementUI* item = AsMenuElement(c);
        item->SetHot(false);
        item->SetOwner(nullptr);
        m_pOwner->AddAt(c, std::min(index, m_pOwner->GetCount()));
    }
    m_borrowed.clear();
    m_pOwner->SetSubMenuOpen(false);
}

CMenuWnd* CMenuWnd::OpenSubMenu(CMenuElementUI* pItem, bool bSelectFirst) {
    if (!pItem || !m_pMenu || !pItem->IsEnabled() || !pItem->HasSubMenu()) return nullptr;
    if (m_pChild && m_pChild->m_pOwner == pItem) {
        if (bSelectFirst && m_pChild->m_pMenu->GetCurSel() < 0) m_pChild->MoveSelection(1);
        return m_pChild;
    }
    CloseSubMenu();
    SelectIndex(m_pMenu->GetItemIndex(pItem));
    auto* child = new CMenuWnd;
    child->m_sXml = m_sXml;
    child->m_pMainManager = m_pMainManager;
    child->m_pCheckInfo = m_pCheckInfo;
    child->m_pParent = this;
    child->m_pOwner = pItem;
    m_pChild = child;
    if (!child->Create(GetHWND(), L"", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST)) {
        m_pChild = nullptr;
        delete child;
        return nullptr;
    }
    if (bSelectFirst) child->MoveSelection(1);
    return child;
}

void CMenuWnd::CloseSubMenu() {
    if (!m_pChild) return;
    CMenuWnd* child = m_pChild;
    m_pChild = nullptr;
    child->SendMessage(orvel::WM_CLOSE, IDCANCEL, 0);
}

void CMenuWnd::SelectIndex(int index) {
    if (!m_pMenu) return;
    for (int i = 0; i < m_pMenu->GetCount(); ++i) {
        if (i != index) {
            if (CMenuElementUI* item = AsMenuElement(m_pMenu->GetItemAt(i))) item->SetHot(false);
        }
    }
    m_pMenu->SelectItem(index, false, false);
    // The menu has the keyboard, not its items: the item reached is announced as focused.
    a11y::Focused(m_pMenu->GetItemAt(index));
}

void CMenuWnd::MoveSelection(int step) {
    const int n = m_pMenu ? m_pMenu->GetCount() : 0;
    if (n == 0) return;
    int i = m_pMenu->GetCurSel();
    if (i < 0) i = step > 0 ? -1 : n;
    for (int k = 0; k < n; ++k) {
        i = ((i + step) % n + n) % n;
        if (Selectable(m_pMenu->GetItemAt(i))) {
            SelectIndex(i);
            return;
        }
    }
}

bool CMenuWnd::HandleKey(TCHAR vk) {
    if (!m_pMenu) return false;
    CMenuElementUI* cur = AsMenuElement(m_pMenu->GetItemAt(m_pMenu->GetCurSel()));
    switch (vk) {
    case VK_UP: MoveSelection(-1); return true;
    case VK_DOWN: MoveSelection(1); return true;
    case VK_HOME:
    case VK_END:
        SelectIndex(-1);
        MoveSelection(vk == VK_HOME ? 1 : -1);
        return true;
    case VK_RIGHT:
        if (cur) OpenSubMenu(cur, true);
        return true;
    case VK_RETURN:
        if (cur && cur->HasSubMenu()) OpenSubMenu(cur, true);
        else if (cur) ChooseItem(cur);
        return true;
    case VK_LEFT:
    case VK_ESCAPE:
        if (m_pParent) {
            // This level closes once its own input is over; the parent stays open.
            QPointer<QWidget> parentWidget = m_pParent->GetWidget();
            CMenuWnd* parent = m_pParent;
            QMetaObject::invokeMethod(
                parentWidget.data(), [parent, parentWidget] {
                    if (parentWidget) parent->CloseSubMenu();
                },
                Qt::QueuedConnection);
        } else if (vk == VK_ESCAPE) {
            Close(IDCANCEL);
        }
        return true;
    default: return false;
    }
}

void CMenuWnd::OnItemHover(CMenuElementUI* pItem) {
    if (!pItem || !m_pMenu) return;
    // The pointer reached this level: what it passed on the way in the outer levels is void,
    // their items that lead here stay marked.
    for (CMenuWnd* w = this; w->m_pParent; w = w->m_pParent) {
        CMenuWnd* parent = w->m_pParent;
        ++parent->m_hoverGeneration;
        parent->m_pHoverItem = w->m_pOwner;
        parent->SelectIndex(parent->m_pMenu->GetItemIndex(w->m_pOwner));
    }
    if (pItem->IsEnabled()) SelectIndex(m_pMenu->GetItemIndex(pItem));
    m_pHoverItem = pItem;
    const unsigned generation = ++m_hoverGeneration;
    if (m_pChild && m_pChild->m_pOwner == pItem) return;
    QTimer::singleShot(kSubMenuDelayMs, GetWidget(), [this, generation] {
        if (generation == m_hoverGeneration) OnHoverElapsed();
    });
}

void CMenuWnd::OnHoverElapsed() {
    CMenuElementUI* item = m_pHoverItem;
    if (!item || (m_pChild && m_pChild->m_pOwner == item)) return;
    CloseSubMenu();
    if (item->IsEnabled() && item->HasSubMenu()) OpenSubMenu(item, false);
}

void CMenuWnd::ChooseItem(CMenuElementUI* pItem) {
    if (!pItem || pItem->IsLine() || !pItem->IsEnabled()) return;
    if (pItem->HasSubMenu()) {
        OpenSubMenu(pItem, false);
        return;
    }
    CMenuWnd* root = Root();
    if (root->m_bChosen) return;
    root->m_bChosen = true;
    bool checked = pItem->GetChecked();
    if (pItem->IsCheckItem()) {
        checked = !checked;
        pItem->SetChecked(checked);
        if (m_pCheckInfo) (*m_pCheckInfo)[pItem->GetName().str()] = checked;
    }
    auto* cmd = new MenuCmd{pItem->GetName(), pItem->GetUserData(), pItem->GetText(), checked};
    HWND target = m_pMainManager ? m_pMainManager->GetPaintWindow() : nullptr;
    if (!target || !orvel::PostMessageW(target, WM_MENU_COMMAND, WPARAM(cmd), 0)) {
        orvel::debuglog::Write("menu command not delivered: " + cmd->szName.ToUtf8());
        delete cmd;
    }
    root->Close();
}

void CMenuWnd::Notify(TNotifyUI& msg) {
    if (msg.sType == DUI_MSGTYPE_ITEMCLICK || msg.sType == DUI_MSGTYPE_ITEMACTIVATE) {
        if (CMenuElementUI* item = AsMenuElement(msg.pSender)) ChooseItem(item);
        return;
    }
    // Clicks and value changes of other controls inside the menu go to the main window.
    if (m_pMainManager && (msg.sType == DUI_MSGTYPE_CLICK || msg.sType == DUI_MSGTYPE_VALUECHANGED)) m_pMainManager->SendNotify(msg, false);
}

bool CMenuWnd::FilterInput(QEvent* e) {
    switch (e->type()) {
    case QEvent::KeyPress: {
        TCHAR vk = VirtualKeyOf(static_cast<QKeyEvent*>(e)->key());
        return vk && Deepest()->HandleKey(vk);
    }
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        // A pop-up gets the pointer while it is open, also over the other levels.
        auto* me = static_cast<QMouseEvent*>(e);
        const QPoint global = me->globalPosition().toPoint();
        if (GetWidget() && ScreenRect(GetWidget()).contains(global)) return false;
        for (CMenuWnd* w = Deepest(); w; w = w->m_pParent) {
            QWidget* other = w->GetWidget();
            if (w == this || !other || !ScreenRect(other).contains(global)) continue;
            const QPointF local = other->mapFromGlobal(me->globalPosition());
            QCoreApplication::postEvent(other, new QMouseEvent(me->type(), local, me->globalPosition(), me->button(), me->buttons(), me->modifiers()));
            return true;
        }
        if (e->type() == QEvent::MouseButtonPress) {
            Root()->Close(IDCANCEL);
            return true;
        }
        return false;
    }
    default: return false;
    }
}

LRESULT CMenuWnd::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM, BOOL& bHandled) {
    // A pop-up hidden by the system (a click elsewhere) closes the whole menu.
    if (uMsg == orvel::WM_SHOWWINDOW && wParam == 0 && GetHWND()) {
        Root()->Close(IDCANCEL);
        bHandled = TRUE;
        return 0;
    }
    bHandled = FALSE;
    return 0;
}

LRESULT CMenuWnd::OnClose(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    // The system closes pop-ups in the middle of its own event handling (the application lost
    // the focus): the chain closes once that is over. Our own closes carry a code.
    if (wParam == 0) {
        Root()->Close(IDCANCEL);
        bHandled = TRUE;
        return 0;
    }
    bHandled = FALSE;
    return 0;
}

LRESULT CMenuWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    a11y::MenuShown(m_pMenu, false);
    delete m_pInputFilter;
    m_pInputFilter = nullptr;
    CloseSubMenu();
    ReturnSubItems();
    if (m_pParent && m_pParent->m_pChild == this) m_pParent->m_pChild = nullptr;
    bHandled = FALSE;
    return 0;
}

void CMenuWnd::OnFinalMessage(HWND hWnd) {
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

} // namespace DuiLib
