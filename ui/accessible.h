#pragma once
// What assistive technology sees of the toolkit's windows, through Qt's accessibility
// interfaces: one accessible object per visible control, nested as the layout nests them,
// with its role, name, description, states, value, actions and screen rectangle; and the
// announcements of changes. Objects are made only when asked for, and an announcement costs
// one test while no assistive technology listens.
//
// Names: a control's text as the user reads it (language texts resolved), else its tooltip,
// else its control name; "accessiblename" and "accessibledescription" attributes replace
// them. The control name is the object's identifier: Qt's bridge on this platform carries no
// identifier, so ObjectPath gives the path of a control's object on the accessibility bus,
// which a test or a script looks up by control name.

#include <string>

#include "ui/core.h"

class QAccessibleInterface;

namespace DuiLib::a11y {

// Lets Qt ask the toolkit for the accessible objects of its windows (done once per process,
// when the first window is made).
void Install();
// True while an assistive technology listens.
bool IsActive();

// The accessible object of a control (made when first asked for), and the control of one.
QAccessibleInterface* InterfaceOf(CControlUI* pControl);
CControlUI* ControlOf(QAccessibleInterface* pInterface);
// The path of the control's object on the accessibility bus ("/org/a11y/atspi/accessible/N").
std::string ObjectPath(CControlUI* pControl);
// The name and description as assistive technology gets them.
CDuiString NameOf(CControlUI* pControl);
CDuiString DescriptionOf(CControlUI* pControl);

// Announcements of changes.
void Focused(CControlUI* pControl);
// Checked, selected, enabled, shown or expanded changed.
void StateChanged(CControlUI* pControl);
void ValueChanged(CControlUI* pControl);
// The control's text changed from sOldText (a label's name, an edit's or combo's value).
void TextChanged(CControlUI* pControl, const CDuiString& sOldText);
// A row of a list, combo, tree or menu became the selected one.
void Selected(CControlUI* pItem);
// A pop-up menu (its root control) opened or closed.
void MenuShown(CControlUI* pMenu, bool bShown);
// The control is being destroyed: its accessible object goes.
void Forget(CControlUI* pControl);

} // namespace DuiLib::a11y
