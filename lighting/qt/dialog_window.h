#pragma once
// What the music window and the colour picker share as small modal dialogs of the main window.

#include "ui/UIlib.h"

namespace orvel::lighting {

// The DPI an owner gives, as the toolkit takes it ("SET_WND DPI SET ERROR" and 96 for any other).
int DialogDpi(int dpi);
// A system command: the close is the dialog's cancel (0; true, handled), a change of the zoomed
// state swaps the visibility of "maxbtn" and "restorebtn" (false: the window carries it out).
bool DialogSysCommand(DuiLib::WindowImplBase& window, DuiLib::CPaintManagerUI& pm, DuiLib::WPARAM command);
// WM_DPICHANGED: the new DPI, the window moved to the suggested rectangle, laid out again.
void DialogDpiChanged(DuiLib::WindowImplBase& window, DuiLib::CPaintManagerUI& pm, DuiLib::WPARAM wParam,
                      DuiLib::LPARAM lParam);

} // namespace orvel::lighting
