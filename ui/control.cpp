#include "ui/control.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <map>
#include <tuple>

#include "ui/accessible.h"
#include "ui/manager.h"
#include "ui/render.h"
#include "ui/resource.h"
#include "ui/values.h"

namespace DuiLib {

// The control's look drawn at its size, with what it was drawn from.
struct CControlUI::TLookCache {
    QImage image;
    int width = 0;
    int height = 0;
    int pixelRatio = 0;
    unsigned serial = 0;
    CDuiString text;
};

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (m_pManager) m_pManager->ReapObjects(this);
    a11y::Forget(this);
}

LPCTSTR CControlUI::GetClass() const { return L"ControlUI"; }

void CControlUI::SetName(LPCTSTR pstrName) {
    CDuiString old = m_sName;
    m_sName = pstrName;
    if (m_pManager && !old.IsEmpty() && m_pManager->FindControl(old) == this) m_pManager->RenameControl(this, old);
}

LPVOID CControlUI::GetInterface(LPCTSTR pstrName) {
    if (values::EqualNoCase(pstrName, DUI_CTR_CONTROL)) return this;
    return nullptr;
}

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

void CControlUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit) {
    m_pManager = pManager;
    m_pParent = pParent;
    if (bInit && m_pParent) Init();
}

CDuiString CControlUI::GetText() const {
    if (!m_bResourceText) return m_sText;
    return CResourceManager::GetInstance()->GetText(m_sText);
}

void CControlUI::SetText(LPCTSTR pstrText) {
    if (m_sText == pstrText) return;
    const CDuiString old = std::move(m_sText);
    m_sText = pstrText;
    // "{\n}" in layouts stands for a line break.
    m_sText.Replace(L"{\\n}", L"\n");
    Invalidate();
    a11y::TextChanged(this, old);
}

void CControlUI::SetResourceText(bool b) {
    m_bResourceText = b;
    Invalidate();
}

void CControlUI::SetBkColor(DWORD c) { m_dwBackColor = c; Invalidate(); }
void CControlUI::SetBkColor2(DWORD c) { m_dwBackColor2 = c; Invalidate(); }
void CControlUI::SetBkColor3(DWORD c) { m_dwBackColor3 = c; Invalidate(); }
void CControlUI::SetForeColor(DWORD c) { m_dwForeColor = c; Invalidate(); }
void CControlUI::SetBkImage(LPCTSTR s) { if (m_sBkImage == s) return; m_sBkImage = s; Invalidate(); }
void CControlUI::SetForeImage(LPCTSTR s) { if (m_sForeImage == s) return; m_sForeImage = s; Invalidate(); }
void CControlUI::SetBorderColor(DWORD c) { m_dwBorderColor = c; Invalidate(); }
void CControlUI::SetFocusBorderColor(DWORD c) { m_dwFocusBorderColor = c; Invalidate(); }
void CControlUI::SetBorderSize(int n) { m_nBorderSize = n; m_rcBorderSize = RECT{}; Invalidate(); }
void CControlUI::SetBorderSize(RECT rc) { m_rcBorderSize = rc; m_nBorderSize = 0; Invalidate(); }
void CControlUI::SetBorderRound(SIZE cxy) { m_cxyBorderRound = cxy; Invalidate(); }
void CControlUI::SetBorderStyle(int n) { m_nBorderStyle = n; Invalidate(); }

bool CControlUI::DrawImage(HDC hDC, LPCTSTR pStrImage, LPCTSTR pStrModify) {
    return CRenderEngine::DrawImageString(hDC, m_pManager, m_rcItem, m_rcItem, pStrImage, pStrModify);
}

RECT CControlUI::GetRelativePos() const {
    if (!m_pParent) return m_rcItem;
    RECT p = m_pParent->GetPos();
    return RECT{m_rcItem.left - p.left, m_rcItem.top - p.top, m_rcItem.right - p.left, m_rcItem.bottom - p.top};
}

void CControlUI::SetPos(RECT rc, bool bNeedInvalidate) {
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    if (bNeedInvalidate && !(rc == m_rcItem)) Invalidate();
    m_rcItem = rc;
    m_bUpdateNeeded = false;
    if (bNeedInvalidate) Invalidate();
}

void CControlUI::Move(SIZE off, bool bNeedInvalidate) {
    m_rcItem.left += off.cx;
    m_rcItem.right += off.cx;
    m_rcItem.top += off.cy;
    m_rcItem.bottom += off.cy;
    if (bNeedInvalidate) Invalidate();
}

int CControlUI::Scale(int v) const { return m_pManager ? m_pManager->GetDPIObj()->Scale(v) : v; }
RECT CControlUI::ScaleRect(RECT rc) const { return m_pManager ? m_pManager->GetDPIObj()->Scale(rc) : rc; }

RECT CControlUI::GetPadding() const { return ScaleRect(m_rcPadding); }
void CControlUI::SetPadding(RECT rc) { m_rcPadding = rc; NeedParentUpdate(); }
SIZE CControlUI::GetFixedXY() const { return SIZE{Scale(m_cXY.cx), Scale(m_cXY.cy)}; }
void CControlUI::SetFixedXY(SIZE sz) { m_cXY = sz; NeedParentUpdate(); }
int CControlUI::GetFixedWidth() const { return Scale(m_cxyFixed.cx); }
void CControlUI::SetFixedWidth(int cx) { if (cx < 0) return; m_cxyFixed.cx = cx; NeedParentUpdate(); }
int CControlUI::GetFixedHeight() const { return Scale(m_cxyFixed.cy); }
void CControlUI::SetFixedHeight(int cy) { if (cy < 0) return; m_cxyFixed.cy = cy; NeedParentUpdate(); }
int CControlUI::GetMinWidth() const { return Scale(m_cxyMin.cx); }
void CControlUI::SetMinWidth(int cx) { if (cx < 0) return; m_cxyMin.cx = cx; NeedParentUpdate(); }
int CControlUI::GetMaxWidth() const { return m_cxyMax.cx >= 9999 ? m_cxyMax.cx : Scale(m_cxyMax.cx); }
void CControlUI::SetMaxWidth(int cx) { if (cx < 0) return; m_cxyMax.cx = cx; NeedParentUpdate(); }
int CControlUI::GetMinHeight() const { return Scale(m_cxyMin.cy); }
void CControlUI::SetMinHeight(int cy) { if (cy < 0) return; m_cxyMin.cy = cy; NeedParentUpdate(); }
int CControlUI::GetMaxHeight() const { return m_cxyMax.cy >= 9999 ? m_cxyMax.cy : Scale(m_cxyMax.cy); }
void CControlUI::SetMaxHeight(int cy) { if (cy < 0) return; m_cxyMax.cy = cy; NeedParentUpdate(); }
void CControlUI::SetPosAttribute(RECT rc) {
    m_rcPos = rc;
    m_cxyFixed = SIZE{std::abs(rc.right - rc.left), std::abs(rc.bottom - rc.top)};
    m_cXY = SIZE{rc.left, rc.top};
    NeedParentUpdate();
}

RECT CControlUI::GetFloatPos() const { return ScaleRect(m_rcPos); }

void CControlUI::SetFloatPercent(TPercentInfo pi) { m_piFloatPercent = pi; NeedParentUpdate(); }

CDuiString CControlUI::GetToolTip() const {
    CDuiString tip = m_bResourceText ? CResourceManager::GetInstance()->GetText(m_sToolTip) : m_sToolTip;
    tip.Replace(L"<n>", L"\n");
    return tip;
}

void CControlUI::SetToolTip(LPCTSTR pstrText) { m_sToolTip = pstrText; }

LPCTSTR CControlUI::GetVirtualWnd() const {
    if (!m_sVirtualWnd.IsEmpty()) return m_sVirtualWnd;
    return m_pParent ? m_pParent->GetVirtualWnd() : L"";
}

void CControlUI::SetVirtualWnd(LPCTSTR pstrValue) { m_sVirtualWnd = pstrValue; }

void CControlUI::SetVisible(bool bVisible) {
    if (m_bVisible == bVisible) return;
    bool wasVisible = IsVisible();
    m_bVisible = bVisible;
    if (m_bFocused && !bVisible && m_pManager) m_pManager->SetFocus(nullptr);
    if (IsVisible() != wasVisible) {
        NeedParentUpdate();
        a11y::StateChanged(this);
    }
}

void CControlUI::SetInternVisible(bool bVisible) {
    m_bInternVisible = bVisible;
    if (!bVisible && m_pManager && m_pManager->GetFocus() == this) m_pManager->SetFocus(nullptr);
}

void CControlUI::SetEnabled(bool bEnable) {
    if (m_bEnabled == bEnable) return;
    m_bEnabled = bEnable;
    Invalidate();
    a11y::StateChanged(this);
}

void CControlUI::SetFocus() {
    if (m_pManager) m_pManager->SetFocus(this);
}

void CControlUI::SetFloat(bool bFloat) {
    if (m_bFloat == bFloat) return;
    m_bFloat = bFloat;
    NeedParentUpdate();
}

CControlUI* CControlUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) {
    if ((uFlags & UIFIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((uFlags & UIFIND_ENABLED) && !IsEnabled()) return nullptr;
    if ((uFlags & UIFIND_HITTEST) && (!m_bMouseEnabled || !PtInRect(m_rcItem, *static_cast<POINT*>(pData)))) return nullptr;
    return Proc(this, pData);
}

void CControlUI::Invalidate() {
    m_bLookDirty = true;
    if (m_pManager && IsVisible()) m_pManager->Invalidate(m_rcItem);
}

void CControlUI::NeedUpdate() {
    if (!IsVisible()) return;
    m_bUpdateNeeded = true;
    Invalidate();
    if (m_pManager) m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
    if (m_pParent) {
        m_pParent->NeedUpdate();
        m_pParent->Invalidate();
    } else {
        NeedUpdate();
    }
    if (m_pManager) m_pManager->NeedUpdate();
}

void CControlUI::Init() { DoInit(); }

void CControlUI::Event(TEventUI& event) {
    for (auto& handler : OnEvent) {
        if (!handler(event)) return;
    }
    DoEvent(event);
}

void CControlUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_SETCURSOR) return;
    if (event.Type == UIEVENT_SETFOCUS) {
        m_bFocused = true;
        Invalidate();
        return;
    }
    if (event.Type == UIEVENT_KILLFOCUS) {
        m_bFocused = false;
        Invalidate();
        return;
    }
    if (event.Type == UIEVENT_TIMER) {
        if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_TIMER, event.wParam, event.lParam);
        return;
    }
    if (event.Type == UIEVENT_CONTEXTMENU && IsContextMenuUsed()) {
        if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_MENU, event.wParam, event.lParam);
        return;
    }
    if (m_pParent) m_pParent->DoEvent(event);
}

void CControlUI::AddCustomAttribute(LPCTSTR pstrName, LPCTSTR pstrAttr) {
    if (!pstrName || !*pstrName || !pstrAttr) return;
    m_mCustomAttrs[pstrName] = pstrAttr;
}

LPCTSTR CControlUI::GetCustomAttribute(LPCTSTR pstrName) const {
    auto it = m_mCustomAttrs.find(pstrName ? pstrName : L"");
    return it == m_mCustomAttrs.end() ? nullptr : it->second.c_str();
}

bool CControlUI::RemoveCustomAttribute(LPCTSTR pstrName) { return m_mCustomAttrs.erase(pstrName ? pstrName : L"") > 0; }

void CControlUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    LookChanged();
    using namespace values;
    std::wstring n(pstrName);
    for (auto& ch : n) ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
    const std::wstring& v = pstrValue;
    if (n == L"pos") {
        SetPosAttribute(ParseRect(pstrValue));
    } else if (n == L"float") {
        if (v.find(L',') != std::wstring::npos) {
            std::vector<double> f;
            for (size_t p = 0; p <= v.size();) {
                size_t e = v.find(L',', p);
                f.push_back(std::wcstod(v.substr(p, e == std::wstring::npos ? std::wstring::npos : e - p).c_str(), nullptr));
                if (e == std::wstring::npos) break;
                p = e + 1;
            }
            f.resize(4, 0.0);
            SetFloatPercent(TPercentInfo{f[0], f[1], f[2], f[3]});
            SetFloat(true);
        } else {
            SetFloat(ParseBool(pstrValue));
        }
    } else if (n == L"padding") SetPadding(ParseRect(pstrValue));
    else if (n == L"bkcolor" || n == L"bkcolor1") SetBkColor(ParseColor(pstrValue));
    else if (n == L"bkcolor2") SetBkColor2(ParseColor(pstrValue));
    else if (n == L"bkcolor3") SetBkColor3(ParseColor(pstrValue));
    else if (n == L"gradient") m_bGradientHorizontal = (v == L"hor");
    else if (n == L"forecolor") SetForeColor(ParseColor(pstrValue));
    else if (n == L"bordercolor") SetBorderColor(ParseColor(pstrValue));
    else if (n == L"focusbordercolor") SetFocusBorderColor(ParseColor(pstrValue));
    else if (n == L"bordersize") {
        if (v.find(L',') != std::wstring::npos) SetBorderSize(ParseRect(pstrValue));
        else SetBorderSize(ParseInt(pstrValue));
    } else if (n == L"leftbordersize") { m_rcBorderSize.left = ParseInt(pstrValue); m_nBorderSize = 0; }
    else if (n == L"topbordersize") { m_rcBorderSize.top = ParseInt(pstrValue); m_nBorderSize = 0; }
    else if (n == L"rightbordersize") { m_rcBorderSize.right = ParseInt(pstrValue); m_nBorderSize = 0; }
    else if (n == L"bottombordersize") { m_rcBorderSize.bottom = ParseInt(pstrValue); m_nBorderSize = 0; }
    else if (n == L"borderstyle") SetBorderStyle(ParseInt(pstrValue));
    else if (n == L"borderround") SetBorderRound(ParseSize(pstrValue));
    else if (n == L"bkimage") SetBkImage(pstrValue);
    else if (n == L"foreimage") SetForeImage(pstrValue);
    else if (n == L"width") SetFixedWidth(ParseInt(pstrValue));
    else if (n == L"height") SetFixedHeight(ParseInt(pstrValue));
    else if (n == L"minwidth") SetMinWidth(ParseInt(pstrValue));
    else if (n == L"minheight") SetMinHeight(ParseInt(pstrValue));
    else if (n == L"maxwidth") SetMaxWidth(ParseInt(pstrValue));
    else if (n == L"maxheight") SetMaxHeight(ParseInt(pstrValue));
    else if (n == L"name") SetName(pstrValue);
    else if (n == L"text") SetText(pstrValue);
    else if (n == L"tooltip") SetToolTip(pstrValue);
    else if (n == L"userdata") SetUserData(pstrValue);
    else if (n == L"tag") SetTag(static_cast<UINT_PTR>(ParseInt(pstrValue)));
    else if (n == L"enabled") SetEnabled(ParseBool(pstrValue));
    else if (n == L"mouse") SetMouseEnabled(ParseBool(pstrValue));
    else if (n == L"keyboard") SetKeyboardEnabled(ParseBool(pstrValue));
    else if (n == L"visible") SetVisible(ParseBool(pstrValue));
    else if (n == L"menu") SetContextMenuUsed(ParseBool(pstrValue));
    else if (n == L"shortcut") SetShortcut(v.empty() ? 0 : v[0]);
    else if (n == L"virtualwnd") SetVirtualWnd(pstrValue);
    else if (n == L"cursor") m_sCursor = pstrValue;
    else if (n == L"resourcetext") SetResourceText(ParseBool(pstrValue));
    else if (n == L"style" || n == L"innerstyle") ApplyAttributeList(pstrValue);
    else if (n == L"colorhsl" || n == L"richevent" || n == L"drag" || n == L"drop") AddCustomAttribute(pstrName, pstrValue);
    else AddCustomAttribute(pstrName, pstrValue);
}

void CControlUI::ApplyAttributeList(LPCTSTR pstrList) {
    if (!pstrList) return;
    if (m_pManager) {
        LPCTSTR style = m_pManager->GetStyle(pstrList);
        if (style) {
            ApplyAttributeList(style);
            return;
        }
    }
    for (const auto& [name, value] : values::ParseAttributeList(pstrList)) SetAttribute(name.c_str(), value.c_str());
}

SIZE CControlUI::EstimateSize(SIZE) { return SIZE{GetFixedWidth(), GetFixedHeight()}; }

bool CControlUI::Paint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) {
    if (pStopControl == this) return false;
    RECT clip;
    if (!IntersectRect(&clip, rcPaint, m_rcItem)) return true;
    return DoPaint(hDC, clip, pStopControl);
}

bool CControlUI::DoPaint(HDC hDC, const RECT&, CControlUI*) {
    if (!CanCacheLook() || !PaintCachedLook(hDC)) PaintLook(hDC);
    return true;
}

void CControlUI::PaintLook(HDC hDC) {
    SIZE round{Scale(m_cxyBorderRound.cx), Scale(m_cxyBorderRound.cy)};
    const bool clipRound = round.cx > 0 || round.cy > 0;
    if (clipRound) {
        hDC->save();
        QPainterPath path;
        path.addRoundedRect(QRectF(m_rcItem.left, m_rcItem.top, GetWidth(), GetHeight()), round.cx / 2.0, round.cy / 2.0);
        hDC->setRenderHint(QPainter::Antialiasing);
        hDC->setClipPath(path, Qt::IntersectClip);
    }
    PaintLayers(hDC);
    if (clipRound) hDC->restore();
}

void CControlUI::PaintLayers(HDC hDC) {
    PaintBkColor(hDC);
    PaintBkImage(hDC);
    PaintStatusImage(hDC);
    PaintForeColor(hDC);
    PaintForeImage(hDC);
    PaintText(hDC);
    PaintBorder(hDC);
}

namespace {

// White, with the coverage of a rounded rectangle of w x h logical pixels as its alpha.
const QImage& RoundCoverage(int w, int h, int roundX, int roundY, int pixelRatio) {
    static std::map<std::tuple<int, int, int, int, int>, QImage> shapes;
    const auto key = std::make_tuple(w, h, roundX, roundY, pixelRatio);
    auto it = shapes.find(key);
    if (it != shapes.end()) return it->second;
    if (shapes.size() > 256) shapes.clear();
    QImage shape(w * pixelRatio, h * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    shape.setDevicePixelRatio(pixelRatio);
    shape.fill(Qt::transparent);
    QPainter p(&shape);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, w, h), roundX / 2.0, roundY / 2.0);
    p.fillPath(path, Qt::white);
    p.end();
    return shapes.emplace(key, std::move(shape)).first->second;
}

} // namespace

bool CControlUI::PaintCachedLook(HDC hDC) {
    const int w = GetWidth(), h = GetHeight();
    constexpr int kMaxCachedPixels = 256 * 256;
    if (w <= 0 || h <= 0 || w * h > kMaxCachedPixels || !m_pManager) return false;
    // A copy gives the same pixels only for plain drawing at whole device pixels.
    const QTransform& t = hDC->transform();
    const qreal ratio = hDC->device()->devicePixelRatio();
    if (t.type() > QTransform::TxTranslate || t.dx() != std::round(t.dx()) || t.dy() != std::round(t.dy()) ||
        ratio != std::round(ratio) || hDC->opacity() != 1.0 || hDC->compositionMode() != QPainter::CompositionMode_SourceOver) {
        return false;
    }
    const int pixelRatio = int(ratio);
    const unsigned serial = CPaintManagerUI::GetLookSerial();
    CDuiString text = GetText();
    if (!m_pLookCache) m_pLookCache = std::make_unique<TLookCache>();
    TLookCache& c = *m_pLookCache;
    const bool changed = m_bLookDirty || c.width != w || c.height != h || c.pixelRatio != pixelRatio || c.serial != serial || c.text != text;
    if (changed) {
        c.width = w;
        c.height = h;
        c.pixelRatio = pixelRatio;
        c.serial = serial;
        c.text = std::move(text);
        m_bLookDirty = false;
        // A look painted for the first time is painted directly: one that changes every
        // frame costs no more than without the cache. It is kept when painted again unchanged.
        // A look with round corners is painted on its own image all the same: a clip path
        // on the window's painter costs in proportion to the whole window's height.
        if (m_cxyBorderRound.cx <= 0 && m_cxyBorderRound.cy <= 0) {
            c.image = QImage();
            PaintLook(hDC);
            return true;
        }
    }
    if (c.image.isNull() || changed) {
        if (c.image.width() != w * pixelRatio || c.image.height() != h * pixelRatio) {
            c.image = QImage(w * pixelRatio, h * pixelRatio, QImage::Format_ARGB32_Premultiplied);
            c.image.setDevicePixelRatio(pixelRatio);
        }
        c.image.fill(Qt::transparent);
        QPainter p(&c.image);
        p.translate(-m_rcItem.left, -m_rcItem.top);
        PaintLayers(&p);
        // The corners cut as a clip path would, by the shape's coverage: rasterising the path
        // for every new look cost more than all the rest of it.
        p.resetTransform();
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.drawImage(QPoint(0, 0), RoundCoverage(w, h, Scale(m_cxyBorderRound.cx), Scale(m_cxyBorderRound.cy), pixelRatio));
    }
    hDC->drawImage(QPoint(m_rcItem.left, m_rcItem.top), c.image);
    return true;
}

void CControlUI::PaintBkColor(HDC hDC) {
    if (m_dwBackColor == 0) return;
    bool vertical = !m_bGradientHorizontal;
    if (m_dwBackColor2 != 0) {
        if (m_dwBackColor3 != 0) {
            RECT a = m_rcItem, b = m_rcItem;
            if (vertical) a.bottom = b.top = (m_rcItem.top + m_rcItem.bottom) / 2;
            else a.right = b.left = (m_rcItem.left + m_rcItem.right) / 2;
            CRenderEngine::DrawGradient(hDC, a, GetAdjustColor(m_dwBackColor), GetAdjustColor(m_dwBackColor2), vertical);
            CRenderEngine::DrawGradient(hDC, b, GetAdjustColor(m_dwBackColor2), GetAdjustColor(m_dwBackColor3), vertical);
        } else {
            CRenderEngine::DrawGradient(hDC, m_rcItem, GetAdjustColor(m_dwBackColor), GetAdjustColor(m_dwBackColor2), vertical);
        }
    } else {
        CRenderEngine::DrawColor(hDC, m_rcItem, GetAdjustColor(m_dwBackColor));
    }
}

void CControlUI::PaintBkImage(HDC hDC) {
    if (!m_sBkImage.IsEmpty()) DrawImage(hDC, m_sBkImage);
}

void CControlUI::PaintStatusImage(HDC) {}

void CControlUI::PaintForeColor(HDC hDC) { CRenderEngine::DrawColor(hDC, m_rcItem, GetAdjustColor(m_dwForeColor)); }

void CControlUI::PaintForeImage(HDC hDC) {
    if (!m_sForeImage.IsEmpty()) DrawImage(hDC, m_sForeImage);
}

void CControlUI::PaintText(HDC) {}

void CControlUI::PaintBorder(HDC hDC) {
    DWORD color = (m_bFocused && m_dwFocusBorderColor != 0) ? m_dwFocusBorderColor : m_dwBorderColor;
    if (color == 0) return;
    SIZE round{Scale(m_cxyBorderRound.cx), Scale(m_cxyBorderRound.cy)};
    if (m_nBorderSize > 0) {
        if (round.cx > 0 || round.cy > 0) CRenderEngine::DrawRoundRect(hDC, m_rcItem, Scale(m_nBorderSize), round.cx, round.cy, color, m_nBorderStyle);
        else CRenderEngine::DrawRect(hDC, m_rcItem, Scale(m_nBorderSize), color, m_nBorderStyle);
        return;
    }
    RECT b = ScaleRect(m_rcBorderSize);
    const RECT& r = m_rcItem;
    if (b.left > 0) CRenderEngine::DrawColor(hDC, RECT{r.left, r.top, r.left + b.left, r.bottom}, color);
    if (b.top > 0) CRenderEngine::DrawColor(hDC, RECT{r.left, r.top, r.right, r.top + b.top}, color);
    if (b.right > 0) CRenderEngine::DrawColor(hDC, RECT{r.right - b.right, r.top, r.right, r.bottom}, color);
    if (b.bottom > 0) CRenderEngine::DrawColor(hDC, RECT{r.left, r.bottom - b.bottom, r.right, r.bottom}, color);
}

bool CControlUI::SetTimer(UINT nTimerID, UINT nElapse) { return m_pManager && m_pManager->SetTimer(this, nTimerID, nElapse); }
bool CControlUI::KillTimer(UINT nTimerID) { return m_pManager && m_pManager->KillTimer(this, nTimerID); }
void CControlUI::KillTimers() {
    if (m_pManager) m_pManager->KillTimer(this);
}

} // namespace DuiLib
