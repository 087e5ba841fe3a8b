#pragma once
// The drop shadow around a borderless window: computed from a colour, darkness and
// sharpness, or drawn from a nine-slice image. The window widget gets a margin around its
// client area for it; the client area itself is never painted over.

#include "ui/core.h"

class QImage;

namespace DuiLib {

class CDPI;
class CPaintManagerUI;

struct TShadowInfo {
    bool bShow = false;
    // Nine-slice image ("shadowimage" with corners "shadowcorner"); empty: computed shadow.
    CDuiString sImage;
    RECT rcCorner{};
    // How far the shadow's full-dark area reaches beyond the client area (-20..20).
    int nSize = 0;
    // Width of the fade from dark to clear (0..20).
    int nSharpness = 5;
    // Alpha of the dark area (0..255).
    int nDarkness = 150;
    // Offset of the shadow from the client area (-20..20 each).
    SIZE szPosition{};
    // RGB of the shadow.
    DWORD dwColor = 0;

    // Applies a window attribute; false when the name is not a shadow attribute.
    bool SetAttribute(const std::wstring& lowerName, LPCTSTR pstrValue);
};

// How far the shadow reaches beyond each side of the client area, in device pixels at the
// scale given; all zero when the shadow is off.
RECT ShadowMargin(const TShadowInfo& shadow, const CDPI& dpi);

// Paints the shadow into a transparent image of the window's size whose client area (at the
// margin's offset) stays clear.
void PaintShadow(QImage* pWindow, const RECT& rcMargin, CPaintManagerUI* pManager);

} // namespace DuiLib
