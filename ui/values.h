#pragma once
// Reading attribute values the way layout files write them: C-like integers that stop at
// the first non-digit, comma-separated rectangles and sizes, hexadecimal colours and
// "true" booleans.

#include <string>
#include <utility>
#include <vector>

#include "ui/core.h"

namespace DuiLib::values {

int ParseInt(LPCTSTR s);
bool ParseBool(LPCTSTR s);
// "#AARRGGBB", "0xAARRGGBB" or bare hexadecimal; six digits leave alpha 0.
DWORD ParseColor(LPCTSTR s);
// Up to n integers separated by one character and optional spaces; missing ones are 0.
std::vector<int> ParseInts(LPCTSTR s, int n);
RECT ParseRect(LPCTSTR s);
SIZE ParseSize(LPCTSTR s);
// name="value" pairs of an attribute-list string (Default, Style, dropbox, ...).
std::vector<std::pair<std::wstring, std::wstring>> ParseAttributeList(LPCTSTR s);
bool EqualNoCase(LPCTSTR a, LPCTSTR b);
// Lower-case copy for case-blind lookups of attribute and tag names; null gives "".
std::wstring Lower(std::wstring s);
std::wstring Lower(LPCTSTR s);

} // namespace DuiLib::values
