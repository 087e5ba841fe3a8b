#pragma once
// A named control inside a page's panel. A control the layout lacks is logged and then left
// alone by the panel: its getters give their neutral values and its setters do nothing.

#include "platform/debuglog.h"
#include "platform/text.h"
#include "ui/UIlib.h"

#include <string>

namespace orvel::pages {

inline DuiLib::CControlUI* PanelChild(DuiLib::CControlUI& panel, const wchar_t* name, const char* panelName)
{
    DuiLib::CPaintManagerUI* manager = panel.GetManager();
    DuiLib::CControlUI* control = manager != nullptr ? manager->FindSubControlByName(&panel, name) : nullptr;
    if (control == nullptr)
        debuglog::Write(std::string(panelName) + ": no control " + text::ToUtf8(name));
    return control;
}

} // namespace orvel::pages
