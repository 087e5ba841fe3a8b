#include "ui/accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "ui/container.h"
#include "ui/controls.h"
#include "ui/custom_controls.h"
#include "ui/edit.h"
#include "ui/host_widget.h"
#include "ui/html_text.h"
#include "ui/list.h"
#include "ui/manager.h"
#include "ui/menu.h"
#include "ui/menu_controls.h"
#include "ui/resource.h"
#include "ui/treeview.h"
#include "ui/values.h"

namespace DuiLib::a11y {
namespace {

QString ToQ(const CDuiString& s) { return QString::fromStdWString(s.str()); }

template <typename T>
T* As(CControlUI* c, LPCTSTR name) {
    return c ? static_cast<T*>(c->GetInterface(name)) : nullptr;
}

// A combo's drop-down list is an object of its own below the combo, holding the items.
enum class Part { Control, ComboList };
using Key = std::pair<CControlUI*, Part>;

class ControlAccessible;

// Every accessible object made for a control, by control and part. Qt's cache owns them;
// they are taken out of it when their control goes.
std::map<Key, QAccessible::Id>& Objects() {
    static std::map<Key, QAccessible::Id> objects;
    return objects;
}

QAccessibleInterface* ObjectOf(CControlUI* c, Part part);

CListUI* ListOf(CControlUI* c) { return As<CListUI>(c, DUI_CTR_LIST); }

bool InTree(CControlUI* c) { return As<CTreeNodeUI>(c, DUI_CTR_TREENODE) != nullptr; }

// Controls whose text is what the user enters or picks: it is their value, not their name.
bool IsEntry(CControlUI* c) { return As<CEditUI>(c, DUI_CTR_EDIT) || As<CRichEditUI>(c, DUI_CTR_RICHEDIT); }
bool ShowsValue(CControlUI* c) { return IsEntry(c) || As<CComboUI>(c, DUI_CTR_COMBO) || As<CProgressUI>(c, DUI_CTR_PROGRESS); }

// Sub-menu items are kept inside their item until their sub-menu opens: not children.
bool IsShownChild(CControlUI* parent, CControlUI* child) {
    if (!child->IsVisible()) return false;
    if (As<CMenuElementUI>(parent, DUI_CTR_MENUELEMENT) && As<CMenuElementUI>(child, DUI_CTR_MENUELEMENT)) return false;
    return true;
}

// The children assistive technology sees: a list's rows (not its header and body parts), a
// combo's list, the list's items, any other container's shown controls.
std::vector<Key> ChildrenOf(CControlUI* c, Part part) {
    std::vector<Key> out;
    auto* combo = As<CComboUI>(c, DUI_CTR_COMBO);
    if (combo && part == Part::Control) {
        out.emplace_back(c, Part::ComboList);
        return out;
    }
    auto* items = As<IContainerUI>(c, DUI_CTR_ICONTAINER);
    // A tree node's row (folder button, check box, text) is the node itself.
    if (!items || InTree(c)) return out;
    for (int i = 0; i < items->GetCount(); ++i) {
        CControlUI* child = items->GetItemAt(i);
        if (child && (combo || IsShownChild(c, child))) out.emplace_back(child, Part::Control);
    }
    return out;
}

// The control whose children include this one: lists skip their body, combo items belong to
// the combo's list.
Key ParentOf(CControlUI* c, Part part) {
    if (part == Part::ComboList) return {c, Part::Control};
    CControlUI* p = c->GetParent();
    if (!p) return {nullptr, Part::Control};
    if (As<CComboUI>(p, DUI_CTR_COMBO)) return {p, Part::ComboList};
    if (CListUI* list = ListOf(p->GetParent()); list && list->GetList() == p) return {list, Part::Control};
    if (IListItemUI* item = As<IListItemUI>(c, DUI_CTR_LISTITEM)) {
        // A row's owner is its list, wherever the row is kept.
        if (IListOwnerUI* owner = item->GetOwner()) {
            for (CControlUI* up = p; up; up = up->GetParent()) {
                if (As<IListOwnerUI>(up, DUI_CTR_ILISTOWNER) == owner) return {up, Part::Control};
            }
        }
    }
    return {p, Part::Control};
}

bool InGroup(CControlUI* c) {
    auto* option = As<COptionUI>(c, DUI_CTR_OPTION);
    return option && !As<CCheckBoxUI>(c, DUI_CTR_CHECKBOX) && option->GetGroup() && *option->GetGroup();
}

// Tabs are options in a group that show a page of a tab layout.
bool IsTab(CControlUI* c) {
    auto* button = As<CButtonUI>(c, DUI_CTR_BUTTON);
    return button && InGroup(c) && !button->GetBindTabLayoutName().IsEmpty();
}

bool HoldsTabs(CControlUI* c) {
    auto* items = As<IContainerUI>(c, DUI_CTR_ICONTAINER);
    if (!items) return false;
    for (int i = 0; i < items->GetCount(); ++i) {
        if (IsTab(items->GetItemAt(i))) return true;
    }
    return false;
}

QAccessible::Role RoleOf(CControlUI* c, Part part) {
    if (part == Part::ComboList) return QAccessible::List;
    LPCTSTR role = c->GetCustomAttribute(L"accessiblerole");
    if (role && values::EqualNoCase(role, L"tab")) return QAccessible::PageTab;
    if (As<CMenuElementUI>(c, DUI_CTR_MENUELEMENT)) {
        return static_cast<CMenuElementUI*>(c->GetInterface(DUI_CTR_MENUELEMENT))->IsLine() ? QAccessible::Separator : QAccessible::MenuItem;
    }
    if (As<CMenuUI>(c, DUI_CTR_MENU)) return QAccessible::PopupMenu;
    if (InTree(c)) return QAccessible::TreeItem;
    if (As<CTreeViewUI>(c, DUI_CTR_TREEVIEW)) return QAccessible::Tree;
    if (As<IListItemUI>(c, DUI_CTR_LISTITEM)) return QAccessible::ListItem;
    if (ListOf(c)) return QAccessible::List;
    if (As<CComboUI>(c, DUI_CTR_COMBO)) return QAccessible::ComboBox;
    if (As<CEditUI>(c, DUI_CTR_EDIT) || As<CRichEditUI>(c, DUI_CTR_RICHEDIT)) return QAccessible::EditableText;
    if (As<CSliderUI>(c, DUI_CTR_SLIDER)) return QAccessible::Slider;
    if (As<CProgressUI>(c, DUI_CTR_PROGRESS)) return QAccessible::ProgressBar;
    if (As<CCheckBoxUI>(c, DUI_CTR_CHECKBOX)) return QAccessible::CheckBox;
    if (As<COptionUI>(c, DUI_CTR_OPTION)) {
        if (IsTab(c)) return QAccessible::PageTab;
        return InGroup(c) ? QAccessible::RadioButton : QAccessible::CheckBox;
    }
    if (As<CButtonUI>(c, DUI_CTR_BUTTON)) return QAccessible::Button;
    if (As<CLabelUI>(c, DUI_CTR_LABEL)) return QAccessible::StaticText;
    if (As<CTabLayoutUI>(c, DUI_CTR_TABLAYOUT)) return QAccessible::LayeredPane;
    if (As<IContainerUI>(c, DUI_CTR_ICONTAINER)) return HoldsTabs(c) ? QAccessible::PageTabList : QAccessible::Grouping;
    return QAccessible::Graphic;
}

CDuiString Resolved(CControlUI* c, LPCTSTR attribute) {
    LPCTSTR v = c->GetCustomAttribute(attribute);
    if (!v) return {};
    return c->IsResourceText() ? CResourceManager::GetInstance()->GetText(v) : CDuiString(v);
}

// The text of a label as it reads, without mini-HTML tags.
CDuiString ShownText(CControlUI* c) {
    CDuiString text = c->GetText();
    auto* label = As<CLabelUI>(c, DUI_CTR_LABEL);
    if (!label || !label->IsShowHtml() || !c->GetManager() || text.IsEmpty()) return text;
    CDuiString plain;
    for (const THtmlPiece& piece : LayoutHtmlText(c->GetManager(), RECT{0, 0, 1 << 20, 1 << 20}, text, label->GetFont(), DT_SINGLELINE)) plain += piece.sText;
    return plain;
}

CDuiString HexColour(DWORD c) {
    CDuiString s;
    s.Format(L"#%06X", unsigned(c & 0xFFFFFF));
    return s;
}

QAccessibleInterface* HostObjectOf(CControlUI* c) {
    CPaintManagerUI* pm = c->GetManager();
    return pm && pm->GetHostWidget() ? QAccessible::queryAccessibleInterface(pm->GetHostWidget()) : nullptr;
}

// A control's object: it reads everything from the control when asked, so nothing is kept
// in step with the control.
class ControlAccessible : public QAccessibleInterface,
                          public QAccessibleActionInterface,
                          public QAccessibleValueInterface,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface {
public:
    ControlAccessible(CControlUI* c, Part part) : m_c(c), m_part(part) {}
    CControlUI* Control() const { return m_c; }
    Part GetPart() const { return m_part; }

    bool isValid() const override { return m_c != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        QWidget* host = Host();
        return host ? host->window()->windowHandle() : nullptr;
    }

    QAccessibleInterface* parent() const override {
        const Key p = ParentOf(m_c, m_part);
        if (p.first) return ObjectOf(p.first, p.second);
        return HostObjectOf(m_c);
    }
    int childCount() const override { return int(ChildrenOf(m_c, m_part).size()); }
    QAccessibleInterface* child(int index) const override {
        const auto children = ChildrenOf(m_c, m_part);
        if (index < 0 || index >= int(children.size())) return nullptr;
        return ObjectOf(children[size_t(index)].first, children[size_t(index)].second);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* other = dynamic_cast<const ControlAccessible*>(child);
        if (!other) return -1;
        const auto children = ChildrenOf(m_c, m_part);
        auto it = std::find(children.begin(), children.end(), Key{other->m_c, other->m_part});
        return it == children.end() ? -1 : int(it - children.begin());
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < childCount(); ++i) {
            QAccessibleInterface* c = child(i);
            if (c && c->rect().contains(x, y)) return c;
        }
        return nullptr;
    }

    QAccessible::Role role() const override { return RoleOf(m_c, m_part); }

    QString text(QAccessible::Text t) const override {
        if (m_part == Part::ComboList) return {};
        switch (t) {
        case QAccessible::Name: return ToQ(NameOf(m_c));
        case QAccessible::Description: return ToQ(DescriptionOf(m_c));
        case QAccessible::Value: return ValueText();
        default: return {};
        }
    }
    void setText(QAccessible::Text t, const QString& text) override {
        if (t == QAccessible::Value && IsTextEntry()) SetEnteredText(text);
    }

    QRect rect() const override {
        QWidget* host = Host();
        CPaintManagerUI* pm = m_c->GetManager();
        if (!host || !pm) return {};
        RECT rc = m_c->GetPos();
        if (m_part == Part::ComboList) {
            auto* combo = static_cast<CComboUI*>(m_c->GetInterface(DUI_CTR_COMBO));
            if (QWidget* popup = combo->GetDropDownWidget()) return QRect(popup->mapToGlobal(QPoint(0, 0)), popup->size());
            return {};
        }
        const RECT r = pm->ClientToHost(rc);
        return QRect(host->mapToGlobal(QPoint(r.left, r.top)), QSize(rc.right - rc.left, rc.bottom - rc.top));
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        CPaintManagerUI* pm = m_c->GetManager();
        if (m_part == Part::ComboList) {
            s.invisible = !static_cast<CComboUI*>(m_c->GetInterface(DUI_CTR_COMBO))->IsDropped();
            return s;
        }
        s.disabled = !m_c->IsEnabled();
        s.invisible = !m_c->IsVisible();
        s.focusable = IsFocusable(m_c);
        s.focused = pm && pm->GetFocus() == m_c && Host() && Host()->hasFocus();
        if (auto* option = As<COptionUI>(m_c, DUI_CTR_OPTION)) {
            if (IsTab(m_c)) {
                s.selectable = true;
                s.selected = option->IsSelected();
            } else {
                s.checkable = true;
                s.checked = option->IsSelected();
            }
        }
        if (auto* item = As<IListItemUI>(m_c, DUI_CTR_LISTITEM)) {
            s.selectable = true;
            s.selected = item->IsSelected();
            if (auto* node = As<CTreeNodeUI>(m_c, DUI_CTR_TREENODE); node && node->IsHasChild()) {
                s.expandable = true;
                s.expanded = node->IsExpanded();
                s.collapsed = !node->IsExpanded();
            }
        }
        if (auto* menuItem = As<CMenuElementUI>(m_c, DUI_CTR_MENUELEMENT)) {
            if (menuItem->IsCheckItem()) {
                s.checkable = true;
                s.checked = menuItem->GetChecked();
            }
            if (menuItem->HasSubMenu()) {
                s.hasPopup = true;
                s.expandable = true;
                s.expanded = menuItem->GetSubItemCount() == 0;
            }
        }
        if (auto* combo = As<CComboUI>(m_c, DUI_CTR_COMBO)) {
            s.hasPopup = true;
            s.expandable = true;
            s.expanded = combo->IsDropped();
        }
        if (auto* edit = As<CEditUI>(m_c, DUI_CTR_EDIT)) {
            s.editable = !edit->IsReadOnly();
            s.readOnly = edit->IsReadOnly();
            s.passwordEdit = edit->IsPasswordMode();
        }
        if (auto* rich = As<CRichEditUI>(m_c, DUI_CTR_RICHEDIT)) {
            s.editable = !rich->IsReadOnly();
            s.readOnly = rich->IsReadOnly();
            s.multiLine = true;
        }
        if (ListOf(m_c)) s.multiSelectable = ListOf(m_c)->IsMultiSelect();
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (m_part == Part::ComboList) return nullptr;
        switch (t) {
        case QAccessible::ActionInterface: return static_cast<QAccessibleActionInterface*>(this);
        case QAccessible::ValueInterface: return HasNumber() ? static_cast<QAccessibleValueInterface*>(this) : nullptr;
        case QAccessible::TextInterface: return IsTextEntry() ? static_cast<QAccessibleTextInterface*>(this) : nullptr;
        case QAccessible::EditableTextInterface: return IsTextEntry() ? static_cast<QAccessibleEditableTextInterface*>(this) : nullptr;
        default: return nullptr;
        }
    }

    // ---- actions
    QStringList actionNames() const override {
        QStringList names;
        if (!m_c->IsEnabled()) return names;
        if (As<CSliderUI>(m_c, DUI_CTR_SLIDER)) names << increaseAction() << decreaseAction();
        else if (As<CComboUI>(m_c, DUI_CTR_COMBO)) names << showMenuAction();
        else if (As<CMenuElementUI>(m_c, DUI_CTR_MENUELEMENT) || As<IListItemUI>(m_c, DUI_CTR_LISTITEM)) names << pressAction();
        else if (As<COptionUI>(m_c, DUI_CTR_OPTION)) names << (InGroup(m_c) ? pressAction() : toggleAction());
        else if (As<CButtonUI>(m_c, DUI_CTR_BUTTON)) names << pressAction();
        if (m_c->IsContextMenuUsed() && !names.contains(showMenuAction())) names << showMenuAction();
        if (IsFocusable(m_c)) names << setFocusAction();
        return names;
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    void doAction(const QString& name) override;

    // ---- value (sliders, progress bars, number-only edits)
    QVariant currentValue() const override {
        if (auto* p = As<CProgressUI>(m_c, DUI_CTR_PROGRESS)) return p->GetValue();
        return m_c->GetText().str().empty() ? 0 : values::ParseInt(m_c->GetText());
    }
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override {
        if (auto* p = As<CProgressUI>(m_c, DUI_CTR_PROGRESS)) return p->GetMaxValue();
        return static_cast<CEditUI*>(m_c->GetInterface(DUI_CTR_EDIT))->GetMaxNumber();
    }
    QVariant minimumValue() const override {
        if (auto* p = As<CProgressUI>(m_c, DUI_CTR_PROGRESS)) return p->GetMinValue();
        return static_cast<CEditUI*>(m_c->GetInterface(DUI_CTR_EDIT))->GetMinNumber();
    }
    QVariant minimumStepSize() const override {
        if (auto* s = As<CSliderUI>(m_c, DUI_CTR_SLIDER)) return std::max(1, s->GetChangeStep());
        return 1;
    }

    // ---- text of edits
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return characterCount(); }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override { return ToQ(m_c->GetText()).mid(start, end - start); }
    int characterCount() const override { return int(ToQ(m_c->GetText()).size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }
    void deleteText(int start, int end) override { SetEnteredText(ToQ(m_c->GetText()).remove(start, end - start)); }
    void insertText(int offset, const QString& text) override { SetEnteredText(ToQ(m_c->GetText()).insert(offset, text)); }
    void replaceText(int start, int end, const QString& text) override {
        SetEnteredText(ToQ(m_c->GetText()).replace(start, end - start, text));
    }

    static bool IsFocusable(CControlUI* c) {
        return c->IsEnabled() && c->IsVisible() && c->IsKeyboardEnabled() && (c->GetControlFlags() & UIFLAG_TABSTOP);
    }

private:
    QWidget* Host() const { return m_c->GetManager() ? m_c->GetManager()->GetHostWidget() : nullptr; }
    bool IsTextEntry() const {
        auto* edit = As<CEditUI>(m_c, DUI_CTR_EDIT);
        return (edit && !edit->IsNumberOnly()) || As<CRichEditUI>(m_c, DUI_CTR_RICHEDIT);
    }
    bool HasNumber() const {
        auto* edit = As<CEditUI>(m_c, DUI_CTR_EDIT);
        return As<CProgressUI>(m_c, DUI_CTR_PROGRESS) || (edit && edit->IsNumberOnly());
    }
    QString ValueText() const {
        if (auto* p = As<CProgressUI>(m_c, DUI_CTR_PROGRESS)) return QString::number(p->GetValue());
        if (auto* edit = As<CEditUI>(m_c, DUI_CTR_EDIT)) return edit->IsPasswordMode() ? QString() : ToQ(m_c->GetText());
        if (As<CRichEditUI>(m_c, DUI_CTR_RICHEDIT) || As<CComboUI>(m_c, DUI_CTR_COMBO)) return ToQ(ShownText(m_c));
        return {};
    }
    // Text set by assistive technology arrives as typed text does: the edit's rules apply
    // and the window hears of it.
    void SetEnteredText(const QString& text);

    CControlUI* m_c;
    Part m_part;
};

void SendNotify(CControlUI* c, LPCTSTR type) {
    if (CPaintManagerUI* pm = c->GetManager()) pm->SendNotify(c, type);
}

void ControlAccessible::doAction(const QString& name) {
    if (!m_c->IsEnabled() || !m_c->IsVisible()) return;
    CControlUI* c = m_c;
    CPaintManagerUI* pm = c->GetManager();
    if (name == setFocusAction()) {
        if (pm) pm->SetFocus(c);
    } else if (name == increaseAction() || name == decreaseAction()) {
        if (auto* slider = As<CSliderUI>(c, DUI_CTR_SLIDER)) {
            const int step = std::max(1, slider->GetChangeStep());
            slider->SetValue(slider->GetValue() + (name == increaseAction() ? step : -step));
            SendNotify(c, DUI_MSGTYPE_VALUECHANGED);
        }
    } else if (name == showMenuAction()) {
        if (auto* combo = As<CComboUI>(c, DUI_CTR_COMBO)) {
            if (!combo->IsDropped()) combo->Activate();
        } else if (c->IsContextMenuUsed() && pm) {
            TEventUI ev;
            ev.Type = UIEVENT_CONTEXTMENU;
            ev.pSender = c;
            ev.ptMouse = POINT{c->GetPos().left, c->GetPos().bottom};
            ev.wParam = WPARAM(pm->GetPaintWindow());
            ev.lParam = LPARAM(c);
            pm->DispatchEvent(ev);
        }
    } else if (name == pressAction() || name == toggleAction()) {
        if (auto* menuItem = As<CMenuElementUI>(c, DUI_CTR_MENUELEMENT)) {
            if (CMenuWnd* menu = CMenuWnd::FromManager(pm)) menu->ChooseItem(menuItem);
        } else if (auto* item = As<IListItemUI>(c, DUI_CTR_LISTITEM)) {
            // As a click on the row: it is selected and activated, and a combo's list closes.
            IListOwnerUI* owner = item->GetOwner();
            if (owner) owner->SelectItem(item->GetIndex(), true);
            c->Activate();
            if (owner) owner->OnItemReleased();
        } else {
            c->Activate();
        }
    }
}

void ControlAccessible::setCurrentValue(const QVariant& value) {
    if (!m_c->IsEnabled()) return;
    if (auto* slider = As<CSliderUI>(m_c, DUI_CTR_SLIDER)) {
        const int before = slider->GetValue();
        slider->SetValue(int(value.toDouble() + (value.toDouble() < 0 ? -0.5 : 0.5)));
        if (slider->GetValue() != before) SendNotify(m_c, DUI_MSGTYPE_VALUECHANGED);
    } else if (auto* edit = As<CEditUI>(m_c, DUI_CTR_EDIT); edit && edit->IsNumberOnly()) {
        SetEnteredText(QString::number(value.toLongLong()));
    }
}

void ControlAccessible::SetEnteredText(const QString& text) {
    if (!m_c->IsEnabled()) return;
    if (auto* edit = As<CEditUI>(m_c, DUI_CTR_EDIT)) {
        if (edit->IsReadOnly()) return;
        edit->SetText(CDuiString(text.toStdWString()));
        // A number-only edit keeps its limits as it does when the user leaves it.
        edit->ClampNumber();
    } else if (auto* rich = As<CRichEditUI>(m_c, DUI_CTR_RICHEDIT)) {
        if (rich->IsReadOnly()) return;
        rich->SetText(CDuiString(text.toStdWString()));
    }
    SendNotify(m_c, DUI_MSGTYPE_TEXTCHANGED);
}

// A window: its root control, the Qt widgets inside it (an open editor, a hosted window),
// then the pop-up menus it opened (Qt leaves pop-ups out of the application's windows).
class WindowAccessible : public QAccessibleWidget {
public:
    explicit WindowAccessible(CUIHostWidget* w) : QAccessibleWidget(w, QAccessible::Window), m_host(w) {}

    // A window opened for another (not a pop-up) is a dialog.
    QAccessible::Role role() const override {
        const bool owned = m_host->isWindow() && m_host->parentWidget() && m_host->windowType() != Qt::Popup;
        return owned ? QAccessible::Dialog : QAccessible::Window;
    }

    int childCount() const override { return int(Children().size()); }
    QAccessibleInterface* child(int index) const override {
        const auto children = Children();
        return index >= 0 && index < int(children.size()) ? children[size_t(index)] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto children = Children();
        auto it = std::find(children.begin(), children.end(), child);
        return it == children.end() ? -1 : int(it - children.begin());
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (QAccessibleInterface* c : Children()) {
            if (c->rect().contains(x, y)) return c;
        }
        return nullptr;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && m_host->windowTitle().isEmpty() && Root()) return ToQ(NameOf(Root()));
        return QAccessibleWidget::text(t);
    }

private:
    CControlUI* Root() const {
        CPaintManagerUI* pm = m_host->Manager();
        CControlUI* root = pm ? pm->GetRoot() : nullptr;
        return root && root->IsVisible() ? root : nullptr;
    }
    std::vector<QAccessibleInterface*> Children() const {
        std::vector<QAccessibleInterface*> out;
        if (CControlUI* root = Root()) out.push_back(ObjectOf(root, Part::Control));
        for (int i = 0; i < QAccessibleWidget::childCount(); ++i) out.push_back(QAccessibleWidget::child(i));
        for (QObject* o : m_host->children()) {
            auto* popup = qobject_cast<QWidget*>(o);
            if (popup && popup->isWindow() && popup->isVisible() && popup->windowType() == Qt::Popup) {
                if (QAccessibleInterface* i = QAccessible::queryAccessibleInterface(popup)) out.push_back(i);
            }
        }
        return out;
    }
    CUIHostWidget* m_host;
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
    if (auto* host = dynamic_cast<CUIHostWidget*>(object)) return new WindowAccessible(host);
    return nullptr;
}

QAccessibleInterface* ObjectOf(CControlUI* c, Part part) {
    if (!c) return nullptr;
    auto& objects = Objects();
    if (auto it = objects.find(Key{c, part}); it != objects.end()) return QAccessible::accessibleInterface(it->second);
    auto* iface = new ControlAccessible(c, part);
    objects[Key{c, part}] = QAccessible::registerAccessibleInterface(iface);
    return iface;
}

// The announcement goes out only when someone listens and the control's object was asked
// for: an object nobody has seen has nothing to update.
template <typename Make>
void Announce(CControlUI* c, Make make) {
    if (!c || !QAccessible::isActive()) return;
    if (QAccessibleInterface* iface = InterfaceOf(c)) {
        auto event = make(iface);
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace

void Install() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(Factory);
}

bool IsActive() { return QAccessible::isActive(); }

QAccessibleInterface* InterfaceOf(CControlUI* pControl) { return ObjectOf(pControl, Part::Control); }

CControlUI* ControlOf(QAccessibleInterface* pInterface) {
    auto* c = dynamic_cast<ControlAccessible*>(pInterface);
    return c && c->GetPart() == Part::Control ? c->Control() : nullptr;
}

std::string ObjectPath(CControlUI* pControl) {
    QAccessibleInterface* iface = InterfaceOf(pControl);
    return iface ? "/org/a11y/atspi/accessible/" + std::to_string(QAccessible::uniqueId(iface)) : std::string();
}

CDuiString NameOf(CControlUI* c) {
    CDuiString name = Resolved(c, L"accessiblename");
    if (name.IsEmpty() && !ShowsValue(c)) name = ShownText(c);
    if (name.IsEmpty()) name = c->GetToolTip();
    if (name.IsEmpty()) name = c->GetName();
    return name;
}

CDuiString DescriptionOf(CControlUI* c) {
    CDuiString description = Resolved(c, L"accessibledescription");
    if (description.IsEmpty()) description = c->GetToolTip();
    // The program's own controls say what they are beyond their text.
    auto add = [&description](const CDuiString& more) {
        if (more.IsEmpty()) return;
        if (!description.IsEmpty()) description += L", ";
        description += more;
    };
    if (auto* key = As<CDeviceKeyButtonUI>(c, L"DeviceKeyButton")) {
        add(Resolved(c, L"functionname"));
        if (key->IsShowLightImage() && key->GetLightColor() != 0) add(CDuiString(L"colour ") + HexColour(key->GetLightColor()));
    }
    if (auto* record = As<CRedioMacroButtonUI>(c, L"RedioMacroButton"); record && record->IsBlink()) add(L"recording");
    return description;
}

void Focused(CControlUI* pControl) {
    Announce(pControl, [](QAccessibleInterface* i) { return QAccessibleEvent(i, QAccessible::Focus); });
}

void StateChanged(CControlUI* pControl) {
    Announce(pControl, [](QAccessibleInterface* i) {
        QAccessible::State changed;
        changed.checked = changed.selected = changed.disabled = changed.invisible = changed.expanded = changed.collapsed = true;
        return QAccessibleStateChangeEvent(i, changed);
    });
}

void ValueChanged(CControlUI* pControl) {
    Announce(pControl, [](QAccessibleInterface* i) {
        auto* value = i->valueInterface();
        return QAccessibleValueChangeEvent(i, value ? value->currentValue() : QVariant(i->text(QAccessible::Value)));
    });
}

void TextChanged(CControlUI* pControl, const CDuiString& sOldText) {
    if (!pControl || !QAccessible::isActive()) return;
    if (IsEntry(pControl)) {
        Announce(pControl, [&](QAccessibleInterface* i) {
            return QAccessibleTextUpdateEvent(i, 0, ToQ(sOldText), ToQ(pControl->GetText()));
        });
    } else if (As<CComboUI>(pControl, DUI_CTR_COMBO)) {
        ValueChanged(pControl);
    } else {
        Announce(pControl, [](QAccessibleInterface* i) { return QAccessibleEvent(i, QAccessible::NameChanged); });
    }
}

void Selected(CControlUI* pItem) {
    Announce(pItem, [](QAccessibleInterface* i) { return QAccessibleEvent(i, QAccessible::Selection); });
}

void MenuShown(CControlUI* pMenu, bool bShown) {
    Announce(pMenu, [bShown](QAccessibleInterface* i) { return QAccessibleEvent(i, bShown ? QAccessible::PopupMenuStart : QAccessible::PopupMenuEnd); });
}

void Forget(CControlUI* pControl) {
    auto& objects = Objects();
    if (objects.empty()) return;
    for (Part part : {Part::Control, Part::ComboList}) {
        auto it = objects.find(Key{pControl, part});
        if (it == objects.end()) continue;
        const QAccessible::Id id = it->second;
        objects.erase(it);
        QAccessible::deleteAccessibleInterface(id);
    }
}

} // namespace DuiLib::a11y
