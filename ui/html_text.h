#pragma once
// Mini-HTML text ("showhtml"): tags in {...} or <...> set the look of the text that follows
// and place images, line breaks and paragraphs. The text is laid out into pieces first;
// drawing and the link areas come from the same layout.
//
//   {b} {i} {u} {s}            bold, italic, underline, selected (each closed by {/x})
//   {c #RRGGBB} {f N}          colour, font id N or {f Face 14 bold italic underline}
//   {a target}                 link
//   {i name [n [k]]}           inline image; with n, frame k (0-based) of n equal frames side
//                              by side; {i file='a.png' source='0,0,8,8'} takes an image string
//   {n}                        line break
//   {p N}...{/p}               paragraph: its own lines, N pixels of extra space above it and
//                              below each of its lines; the lines wrap
//   {x N} {y N}                move the pen N pixels right / move the line N pixels down
//   {v top|center|bottom}      vertical place of what follows in its line (default bottom:
//                              text on the line's base line, images standing on it)
//   {r}...{/r}                 raw text, tags inside shown as written
// A tag is the bracket, one lower-case letter, then a blank or the closing bracket; anything
// else is text. Tags with no meaning are dropped.

#include <vector>

#include "ui/render.h"

namespace DuiLib {

// One laid-out piece: a run of text or an inline image, in client coordinates.
struct THtmlPiece {
    RECT rc;
    // The text of a run; empty for an image.
    CDuiString sText;
    // The image name of an inline image.
    CDuiString sImage;
    // Number of the link the piece belongs to, -1 outside links.
    int iLink = -1;
};

// Lays out mini-HTML text inside rc with the DT_ style (alignment, word wrap, single line,
// end ellipsis).
std::vector<THtmlPiece> LayoutHtmlText(CPaintManagerUI* pManager, const RECT& rc, LPCTSTR pstrText, int iFont, UINT uStyle);

} // namespace DuiLib
