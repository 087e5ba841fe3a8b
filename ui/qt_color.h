#pragma once
// Toolkit colours (0xAARRGGBB) as Qt colours; internal to the toolkit's drawing code.

#include <QColor>

#include "ui/core.h"

namespace DuiLib {

inline QColor ToQColor(DWORD c) { return QColor(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF), int(c >> 24)); }
// Text colours ignore the alpha byte.
inline QColor ToOpaqueQColor(DWORD c) { return QColor(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)); }

} // namespace DuiLib
