#pragma once
// Drawing: colours, gradients, borders, image description strings and text, on the painter
// of the frame being drawn. Lengths given here are already in device pixels.

#include <vector>

#include "ui/core.h"

class QImage;

namespace DuiLib {

// A loaded image as the controls see it.
struct TImageInfo {
    const QImage* pImage = nullptr;
    int nX = 0;
    int nY = 0;
    bool bAlpha = false;
    DWORD dwMask = 0;
    // Ratio of the file's pixels to layout pixels (2 for a "@200" variant).
    double fSourceScale = 1.0;
};

// An image description string taken apart ("file='a.png' source='0,0,8,8' corner=...").
struct TDrawInfo {
    CDuiString sImageName;
    CDuiString sResType;
    RECT rcDest;
    bool bDest = false;
    RECT rcSource;
    bool bSource = false;
    RECT rcCorner;
    DWORD dwMask = 0;
    BYTE uFade = 255;
    bool bHole = false;
    bool bTiledX = false;
    bool bTiledY = false;
    SIZE szImage;
    bool bSize = false;
    UINT uAlign = 0;
    RECT rcPadding;
    DWORD dwColor = 0;
    bool bColor = false;

    // A string without '=' is a plain file name; parsing stops at the first malformed pair.
    void Parse(LPCTSTR pStrImage, LPCTSTR pStrModify = nullptr);
};

// A clickable link area of mini-HTML text, in client coordinates; a link broken over lines
// or around images has several areas with the same number.
struct THtmlLink {
    RECT rc;
    CDuiString sTarget;
    int iLink = 0;
};

class CRenderEngine {
public:
    static void DrawColor(HDC hDC, const RECT& rc, DWORD color);
    static void DrawGradient(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical);
    static void DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle = 0);
    static void DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle = 0);
    static void DrawRoundRect(HDC hDC, const RECT& rc, int nSize, int width, int height, DWORD dwPenColor, int nStyle = 0);
    static void FillRoundRect(HDC hDC, const RECT& rc, int width, int height, DWORD color);
    static void DrawEllipse(HDC hDC, const RECT& rc, DWORD color);
    // A filled pie: start angle and sweep in degrees, counter-clockwise from three o'clock.
    static void DrawPie(HDC hDC, const RECT& rc, double startDegrees, double sweepDegrees, DWORD color);

    // Plain text with DT_ flags; iFont is a font id of the manager (-1: default font).
    static void DrawText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor, int iFont, UINT uStyle);
    // Mini-HTML text (the tags are listed in ui/html_text.h); link areas are reported, the
    // link numbered iHoverLink is drawn in the hover colour. With DT_CALCRECT only the size is
    // computed (hDC may be null): rc gets the width and height the text takes.
    static void DrawHtmlText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor, int iFont,
                             UINT uStyle, std::vector<THtmlLink>* pLinks = nullptr, int iHoverLink = -1);
    static SIZE GetTextSize(CPaintManagerUI* pManager, LPCTSTR pstrText, int iFont, UINT uStyle, int maxWidth = 0);

    // Draws an image description string inside rcItem, clipped to rcPaint. A modifier string
    // overrides keys of the description for this draw. False when the image cannot be loaded.
    static bool DrawImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint, LPCTSTR pStrImage,
                                LPCTSTR pStrModify = nullptr);
    static bool DrawImageInfo(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint, const TDrawInfo& info);
    // The nine-slice draw of an image part: corners 1:1, edges and centre stretched or tiled.
    static void DrawImage(HDC hDC, const TImageInfo& image, const RECT& rcDest, const RECT& rcPaint, const RECT& rcSource,
                          const RECT& rcCorners, BYTE uFade, bool bHole, bool bTiledX, bool bTiledY, double cornerScale = 1.0);
    // Forgets images arranged at a size (called when loaded images are dropped).
    static void ClearArrangedImages();
};

} // namespace DuiLib
