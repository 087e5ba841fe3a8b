#pragma once
// File open and save dialogs with filters written as the windows write them: pairs of a
// description and patterns ("Profile Files(*.json)", "*.json;"), or one string of
// "description|patterns|...||".

#include <vector>

#include "ui/core.h"

namespace DuiLib {

struct TFileFilter {
    CDuiString description;
    CDuiString patterns; // "*.json;" or "*.png;*.jpg"
};

std::vector<TFileFilter> ParseFileFilter(LPCTSTR pstrFilter);
// The filter in the dialog's own form: "Profile Files(*.json) (*.json)" entries joined by ";;".
CDuiString ToDialogFilter(const std::vector<TFileFilter>& filters);

// The chosen file, or empty when cancelled. The file must exist for opening; saving adds
// the default extension when the name has none.
CDuiString ShowOpenFileDialog(HWND hOwner, const std::vector<TFileFilter>& filters, LPCTSTR pstrTitle = nullptr,
                              LPCTSTR pstrDefaultExt = nullptr, LPCTSTR pstrInitialDir = nullptr);
CDuiString ShowSaveFileDialog(HWND hOwner, const std::vector<TFileFilter>& filters, LPCTSTR pstrTitle = nullptr,
                              LPCTSTR pstrDefaultExt = nullptr, LPCTSTR pstrInitialName = nullptr);

} // namespace DuiLib
