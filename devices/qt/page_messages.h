#pragma once
// How pages and panels tell the user what happened: the program's message box, with texts from
// the language file.

#include "devices/device_core.h"
#include "ui/UIlib.h"

#include <string>

namespace orvel::pages {

class CQuorsineUSBDevice;

// The program's message box (set once at start-up): 1 for the confirm button, 0 otherwise;
// buttons 1 shows a cancel button too.
using MessageBoxFunction = int (*)(HWND parent, DuiLib::LPCTSTR title, DuiLib::LPCTSTR text, int dpi,
                                   bool textIsRich, int buttons);
void SetPageMessageBox(MessageBoxFunction show);

// The text of a message: its key's language text, formatted with its number.
std::wstring MessageText(const devices::UserMessage& message);
// One box with every message of result, each on its own line; nothing when it has none.
void ShowResult(const CQuorsineUSBDevice& page, const devices::SequenceResult& result);
// One box with the text of a language key.
void ShowMessage(const CQuorsineUSBDevice& page, const std::string& key);
// A question with confirm and cancel buttons; true when the user confirmed.
bool AskPage(const CQuorsineUSBDevice& page, const std::string& key);

} // namespace orvel::pages
