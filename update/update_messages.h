#pragma once
// The window messages of the update page: what its workers post to the settings window, and
// what the settings window sends to the main window.

#include "platform/winmsg.h"

#include <string_view>

namespace orvel::update {

// To the main window: the language index in wParam (the language switch).
inline constexpr UINT WM_LANGUAGE_CHANGED = 0x0C11;
// To the main window: the settings button's update badge is cleared.
inline constexpr UINT WM_CLEAR_SET_BADGE = 0x0C16;

// Posted to the settings window by the update workers; the window reads the change back from
// the core (TakeRow / TakePage). One message is pending per row and one for the page at a
// time, however often they change meanwhile.
inline constexpr UINT WM_UPDATE_ROW_CHANGED = 0x0E10;   // wParam: the row index
inline constexpr UINT WM_UPDATE_PAGE_CHANGED = 0x0E11;

// The registered name of the update-status notice that update packages send to the main
// window (wParam 1 finished, 2, 3 failed, 4 progress with the percentage in lParam), which the
// main window forwards to the settings window.
inline constexpr std::wstring_view kUpdateStatusMessageName = L"{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";

} // namespace orvel::update
