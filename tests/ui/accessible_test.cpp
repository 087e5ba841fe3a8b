// What assistive technology sees of a window: the tree of a fixture layout (roles, names,
// identifiers, states and values), and the actions and values it can use.

#include <gtest/gtest.h>

#include <QAccessible>

#include <map>

#include "tests/ui/ui_test_support.h"
#include "ui/accessible.h"

namespace {

using namespace DuiLib;
using uitest::Host;

std::wstring FixtureLayout() { return uitest::FixtureText("a11y/window.xml"); }

std::string States(QAccessible::State s) {
    std::string out;
    auto add = [&out](bool on, const char* name) {
        if (!on) return;
        if (!out.empty()) out += ",";
        out += name;
    };
    add(s.focusable, "focusable");
    add(s.focused, "focused");
    add(s.checkable, "checkable");
    add(s.checked, "checked");
    add(s.selected, "selected");
    add(s.disabled, "disabled");
    add(s.invisible, "invisible");
    add(s.expandable, "expandable");
    add(s.expanded, "expanded");
    add(s.editable, "editable");
    return out;
}

struct Node {
    QAccessible::Role role;
    std::string name, description, value, states, parent;
    int depth;
};

// Every object below the window by its control's name (the identifier); objects of no named
// control (a combo's list) take their parent's name with "/list".
void Walk(QAccessibleInterface* iface, const std::string& parent, int depth, std::map<std::string, Node>& out) {
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->parent(), iface) << "parent of child " << i << " of " << parent;
        EXPECT_EQ(iface->indexOfChild(child), i);
        CControlUI* c = a11y::ControlOf(child);
        std::string id = c ? c->GetName().ToUtf8() : parent + "/list";
        QString value = child->text(QAccessible::Value);
        if (QAccessibleValueInterface* v = child->valueInterface()) value = v->currentValue().toString();
        out[id] = Node{child->role(), child->text(QAccessible::Name).toStdString(), child->text(QAccessible::Description).toStdString(),
                       value.toStdString(), States(child->state()), parent, depth};
        Walk(child, id, depth + 1, out);
    }
}

TEST(AccessibleTest, TheTreeOfAWindowFollowsItsLayout) {
    Host host(FixtureLayout(), 480, 480);
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(host.widget.get());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->role(), QAccessible::Window);
    std::map<std::string, Node> tree;
    Walk(window, "window", 0, tree);

    struct Row {
        const char* id;
        QAccessible::Role role;
        const char* name;
        const char* description;
        const char* value;
        const char* states;
        const char* parent;
    };
    const Row expected[] = {
        {"root", QAccessible::Grouping, "root", "", "", "", "window"},
        {"title", QAccessible::StaticText, "Settings", "", "", "", "root"},
        {"buttons", QAccessible::Grouping, "buttons", "", "", "", "root"},
        {"okbtn", QAccessible::Button, "OK", "Keep the changes", "", "focusable", "buttons"},
        {"iconbtn", QAccessible::Button, "Open the skin window", "Open the skin window", "", "focusable", "buttons"},
        {"nobtn", QAccessible::Button, "nobtn", "", "", "focusable", "buttons"},
        {"offbtn", QAccessible::Button, "Off", "", "", "disabled", "buttons"},
        {"mode_a", QAccessible::RadioButton, "Static", "", "", "focusable,checkable,checked", "modes"},
        {"mode_b", QAccessible::RadioButton, "Wave", "", "", "focusable,checkable", "modes"},
        {"sync", QAccessible::CheckBox, "Sync", "", "", "focusable,checkable", "modes"},
        {"bright", QAccessible::Slider, "Brightness", "Brightness", "40", "focusable", "root"},
        {"prog", QAccessible::ProgressBar, "prog", "", "3", "", "root"},
        {"mode_combo", QAccessible::ComboBox, "mode_combo", "", "", "focusable,expandable", "root"},
        {"mode_combo/list", QAccessible::List, "", "", "", "invisible", "mode_combo"},
        {"c1", QAccessible::ListItem, "Green", "", "", "", "mode_combo/list"},
        {"name_edit", QAccessible::EditableText, "Profile name", "Profile name", "Mouse", "focusable,editable", "root"},
        {"dpi_edit", QAccessible::EditableText, "dpi_edit", "", "150", "focusable,editable", "root"},
        {"list", QAccessible::List, "list", "", "", "focusable", "root"},
        {"r1", QAccessible::ListItem, "Two", "", "", "", "list"},
        {"tabs", QAccessible::PageTabList, "tabs", "", "", "", "root"},
        {"tab_0", QAccessible::PageTab, "Keys", "", "", "focusable,selected", "tabs"},
        {"tab_1", QAccessible::PageTab, "Light", "", "", "focusable", "tabs"},
        {"pages", QAccessible::LayeredPane, "pages", "", "", "", "root"},
        {"key_btn", QAccessible::Button, "Assign", "", "", "focusable", "page_keys"},
        {"tree", QAccessible::Tree, "tree", "", "", "focusable", "root"},
        {"n_dev", QAccessible::TreeItem, "Devices", "", "", "expandable,expanded", "tree"},
        {"n_mouse", QAccessible::TreeItem, "Mouse", "", "", "", "tree"},
    };
    for (const Row& r : expected) {
        auto it = tree.find(r.id);
        ASSERT_NE(it, tree.end()) << r.id;
        const Node& n = it->second;
        EXPECT_EQ(n.role, r.role) << r.id;
        EXPECT_EQ(n.name, r.name) << r.id;
        EXPECT_EQ(n.description, r.description) << r.id;
        EXPECT_EQ(n.value, r.value) << r.id;
        EXPECT_EQ(n.states, r.states) << r.id;
        EXPECT_EQ(n.parent, r.parent) << r.id;
    }
    for (const char* hidden : {"hiddenbtn", "page_light", "light_btn"}) EXPECT_EQ(tree.count(hidden), 0u) << hidden << " is not shown";
    EXPECT_EQ(tree.at("list").depth, 1) << "the list's rows are its children, not its body's";

    // Rectangles are on the screen, where the control is drawn.
    QAccessibleInterface* ok = a11y::InterfaceOf(host.Find(L"okbtn"));
    const RECT r = host.Find(L"okbtn")->GetPos();
    EXPECT_EQ(ok->rect(), QRect(host.widget->mapToGlobal(QPoint(r.left, r.top)), QSize(r.right - r.left, r.bottom - r.top)));
    EXPECT_EQ(window->childAt(ok->rect().center().x(), ok->rect().center().y()), a11y::InterfaceOf(host.root));
}

TEST(AccessibleTest, StatesAndNamesFollowTheControls) {
    Host host(FixtureLayout(), 480, 480);
    QAccessibleInterface* a = a11y::InterfaceOf(host.Find(L"mode_a"));
    QAccessibleInterface* b = a11y::InterfaceOf(host.Find(L"mode_b"));
    host.Find<COptionUI>(L"mode_b")->Selected(true);
    EXPECT_FALSE(a->state().checked);
    EXPECT_TRUE(b->state().checked);
    host.Find(L"okbtn")->SetText(L"Apply");
    EXPECT_EQ(a11y::InterfaceOf(host.Find(L"okbtn"))->text(QAccessible::Name), QStringLiteral("Apply"));
    host.Find(L"okbtn")->SetEnabled(false);
    EXPECT_TRUE(a11y::InterfaceOf(host.Find(L"okbtn"))->state().disabled);
    host.Find(L"okbtn")->SetAttribute(L"accessiblename", L"Apply the profile");
    EXPECT_EQ(a11y::InterfaceOf(host.Find(L"okbtn"))->text(QAccessible::Name), QStringLiteral("Apply the profile"));

    // Language texts are read in the current language.
    auto* rm = CResourceManager::GetInstance();
    rm->AddText(L"ok_key", L"Fertig");
    auto* title = host.Find(L"title");
    title->SetResourceText(true);
    title->SetText(L"ok_key");
    EXPECT_EQ(a11y::InterfaceOf(title)->text(QAccessible::Name), QStringLiteral("Fertig"));
    rm->Release();

    auto* combo = host.Find<CComboUI>(L"mode_combo");
    QAccessibleInterface* comboObject = a11y::InterfaceOf(combo);
    combo->SelectItem(2);
    EXPECT_EQ(comboObject->text(QAccessible::Value), QStringLiteral("Blue"));
    EXPECT_TRUE(a11y::InterfaceOf(combo->GetItemAt(2))->state().selected);

    // An object goes with its control.
    auto* list = host.Find<CListUI>(L"list");
    QAccessibleInterface* row = a11y::InterfaceOf(list->GetItemAt(0));
    const QAccessible::Id id = QAccessible::uniqueId(row);
    ASSERT_TRUE(list->RemoveAt(0));
    EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr);
    EXPECT_EQ(a11y::InterfaceOf(list)->childCount(), 2);
}

TEST(AccessibleTest, ActionsAndValuesWorkTheControls) {
    Host host(FixtureLayout(), 480, 480);
    auto act = [&](const wchar_t* name, const QString& action) {
        QAccessibleInterface* i = a11y::InterfaceOf(host.Find(name));
        ASSERT_TRUE(i->actionInterface()->actionNames().contains(action)) << QString::fromWCharArray(name).toStdString();
        i->actionInterface()->doAction(action);
    };
    act(L"okbtn", QAccessibleActionInterface::pressAction());
    EXPECT_EQ(host.rec.Of(DUI_MSGTYPE_CLICK).back().sender, L"okbtn");
    act(L"sync", QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(host.Find<CCheckBoxUI>(L"sync")->GetCheck());
    act(L"mode_b", QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(host.Find<COptionUI>(L"mode_b")->IsSelected());
    EXPECT_FALSE(host.Find<COptionUI>(L"mode_a")->IsSelected());
    act(L"r2", QAccessibleActionInterface::pressAction());
    EXPECT_EQ(host.Find<CListUI>(L"list")->GetCurSel(), 2);
    EXPECT_EQ(host.rec.Of(DUI_MSGTYPE_ITEMACTIVATE).back().sender, L"r2");
    act(L"tab_1", QAccessibleActionInterface::pressAction());
    EXPECT_EQ(host.Find<CTabLayoutUI>(L"pages")->GetCurSel(), 1);

    // A slider moves by its step, and takes a value set for it within its range.
    auto* slider = host.Find<CSliderUI>(L"bright");
    act(L"bright", QAccessibleActionInterface::increaseAction());
    EXPECT_EQ(slider->GetValue(), 45);
    QAccessibleValueInterface* value = a11y::InterfaceOf(slider)->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 100);
    EXPECT_EQ(value->minimumStepSize().toInt(), 5);
    value->setCurrentValue(72);
    EXPECT_EQ(slider->GetValue(), 72);
    value->setCurrentValue(500);
    EXPECT_EQ(slider->GetValue(), 100);
    EXPECT_EQ(host.rec.Of(DUI_MSGTYPE_VALUECHANGED).size(), 3u) << "the window hears of each change";
    a11y::InterfaceOf(host.Find(L"prog"))->valueInterface()->setCurrentValue(9);
    EXPECT_EQ(host.Find<CProgressUI>(L"prog")->GetValue(), 3) << "a progress bar is only read";

    // Edits take text as typed text: a number-only edit keeps its limits.
    QAccessibleInterface* edit = a11y::InterfaceOf(host.Find(L"name_edit"));
    edit->editableTextInterface()->replaceText(0, edit->textInterface()->characterCount(), QStringLiteral("Desk"));
    EXPECT_EQ(host.Find(L"name_edit")->GetText(), L"Desk");
    EXPECT_EQ(host.rec.Of(DUI_MSGTYPE_TEXTCHANGED).back().sender, L"name_edit");
    a11y::InterfaceOf(host.Find(L"dpi_edit"))->valueInterface()->setCurrentValue(999);
    EXPECT_EQ(host.Find(L"dpi_edit")->GetText(), L"200");

    act(L"mode_combo", QAccessibleActionInterface::showMenuAction());
    auto* combo = host.Find<CComboUI>(L"mode_combo");
    EXPECT_TRUE(combo->IsDropped());
    EXPECT_TRUE(a11y::InterfaceOf(combo)->state().expanded);
    EXPECT_FALSE(a11y::InterfaceOf(combo)->child(0)->state().invisible) << "the list shows while the combo is open";
    combo->CloseDropDown();

    host.Find(L"okbtn")->SetEnabled(false);
    EXPECT_TRUE(a11y::InterfaceOf(host.Find(L"okbtn"))->actionInterface()->actionNames().isEmpty()) << "a disabled control offers nothing";
}

TEST(AccessibleTest, TheProgramsOwnControlsSayWhatTheyAre) {
    RegisterCustomControls();
    Host host(L"<Window><HorizontalLayout><DeviceKeyButton name='key_5' text='A' functionname='Macro 2' width='40'/>"
              L"<RedioMacroButton name='record' tooltip='Record' width='40'/></HorizontalLayout></Window>");
    auto* key = host.Find<CDeviceKeyButtonUI>(L"key_5");
    QAccessibleInterface* k = a11y::InterfaceOf(key);
    EXPECT_EQ(k->text(QAccessible::Name), QStringLiteral("A"));
    EXPECT_EQ(k->text(QAccessible::Description), QStringLiteral("Macro 2"));
    key->SetShowLightImage(true);
    key->SetLightColor(0x0000FF10); // red 0x10, blue 0xFF, green 0, shown at level 255 / 256
    EXPECT_EQ(k->text(QAccessible::Description), QStringLiteral("Macro 2, colour #0F00FE"));
    auto* record = host.Find<CRedioMacroButtonUI>(L"record");
    record->SetBlink(true);
    EXPECT_EQ(a11y::InterfaceOf(record)->text(QAccessible::Description), QStringLiteral("Record, recording"));
    record->SetBlink(false);
}

} // namespace
