#pragma once
// The program's message box as pages, panels and the child windows reach it: they cannot see
// the main window, so the main window hands its box over at start-up. Until then (and in a
// program without one) a message goes to the debug log.

#include "ui/UIlib.h"

#include <functional>
#include <string_view>

namespace orvel::pages {

// Shows text to the user, over the window owner, and returns when the user closed the box.
using MessageBoxShow = std::function<void(HWND owner, const DuiLib::CDuiString& text)>;

void SetMessageBox(MessageBoxShow show);
// The text of a language key in the current language, in the box.
void ShowMessage(HWND owner, std::string_view key);
void ShowMessageText(HWND owner, const DuiLib::CDuiString& text);

} // namespace orvel::pages
