#pragma once
// Basic types of the toolkit: strings, geometry, events, notifications and the small
// interfaces that windows and panels implement. Free of Qt so every header stays light.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/winmsg.h"

class QPainter;

namespace DuiLib {

using orvel::HWND;
using orvel::LPARAM;
using orvel::LRESULT;
using orvel::UINT;
using orvel::WPARAM;
using TCHAR = wchar_t;
using LPCTSTR = const wchar_t*;
using LPTSTR = wchar_t*;
using LPVOID = void*;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using BYTE = std::uint8_t;
using UINT_PTR = orvel::UINT_PTR;
// Paint operations receive the painter of the frame being drawn.
using HDC = QPainter*;

struct RECT {
    int left = 0, top = 0, right = 0, bottom = 0;
};
struct POINT {
    int x = 0, y = 0;
};
struct SIZE {
    int cx = 0, cy = 0;
};

inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool PtInRect(const RECT& rc, POINT pt) {
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}
inline bool IsRectEmpty(const RECT& rc) { return rc.right <= rc.left || rc.bottom <= rc.top; }
// Intersection of a and b; false (and an empty result) when they do not overlap.
bool IntersectRect(RECT* out, const RECT& a, const RECT& b);

// The toolkit's wide-character string: every user-visible text passes as one.
class CDuiString {
public:
    CDuiString() = default;
    CDuiString(const wchar_t* s) : m_s(s ? s : L"") {}
    CDuiString(const wchar_t* s, int len) : m_s(s ? std::wstring(s, static_cast<size_t>(len)) : std::wstring()) {}
    CDuiString(std::wstring s) : m_s(std::move(s)) {}
    CDuiString(std::wstring_view s) : m_s(s) {}
    CDuiString(wchar_t ch) : m_s(1, ch) {}

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    LPCTSTR GetData() const { return m_s.c_str(); }
    operator LPCTSTR() const { return m_s.c_str(); }
    const std::wstring& str() const { return m_s; }
    std::wstring& str() { return m_s; }
    wchar_t GetAt(int i) const { return m_s[static_cast<size_t>(i)]; }
    wchar_t operator[](int i) const { return GetAt(i); }
    void SetAt(int i, wchar_t ch) { m_s[static_cast<size_t>(i)] = ch; }

    void Append(LPCTSTR s) { m_s += (s ? s : L""); }
    void Assign(LPCTSTR s, int len = -1);
    int Compare(LPCTSTR s) const { return m_s.compare(s ? s : L""); }
    int CompareNoCase(LPCTSTR s) const;
    void MakeUpper();
    void MakeLower();
    CDuiString Left(int len) const;
    CDuiString Mid(int pos, int len = -1) const;
    CDuiString Right(int len) const;
    int Find(wchar_t ch, int start = 0) const;
    int Find(LPCTSTR s, int start = 0) const;
    int ReverseFind(wchar_t ch) const;
    int Replace(LPCTSTR from, LPCTSTR to);
    int Format(LPCTSTR fmt, ...);
    int SmallFormat(LPCTSTR fmt, ...);
    // UTF-8 conversions for the places that talk to files and Qt.
    std::string ToUtf8() const;
    static CDuiString FromUtf8(std::string_view s);

    CDuiString& operator=(LPCTSTR s) { m_s = s ? s : L""; return *this; }
    CDuiString& operator+=(const CDuiString& s) { m_s += s.m_s; return *this; }
    CDuiString& operator+=(LPCTSTR s) { Append(s); return *this; }
    CDuiString& operator+=(wchar_t ch) { m_s += ch; return *this; }
    friend CDuiString operator+(const CDuiString& a, const CDuiString& b) { return CDuiString(a.m_s + b.m_s); }
    friend CDuiString operator+(const CDuiString& a, LPCTSTR b) { return CDuiString(a.m_s + (b ? b : L"")); }
    friend bool operator==(const CDuiString& a, const CDuiString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CDuiString& a, LPCTSTR b) { return a.m_s == (b ? b : L""); }
    friend bool operator<(const CDuiString& a, const CDuiString& b) { return a.m_s < b.m_s; }

private:
    std::wstring m_s;
};

class CControlUI;
class CPaintManagerUI;

// Events delivered to controls (DoEvent). Only the names matter to callers.
enum EVENTTYPE_UI {
    UIEVENT__FIRST = 1,
    UIEVENT__KEYBEGIN,
    UIEVENT_KEYDOWN,
    UIEVENT_KEYUP,
    UIEVENT_CHAR,
    UIEVENT_SYSKEY,
    UIEVENT__KEYEND,
    UIEVENT__MOUSEBEGIN,
    UIEVENT_MOUSEMOVE,
    UIEVENT_MOUSELEAVE,
    UIEVENT_MOUSEENTER,
    UIEVENT_MOUSEHOVER,
    UIEVENT_BUTTONDOWN,
    UIEVENT_BUTTONUP,
    UIEVENT_RBUTTONDOWN,
    UIEVENT_RBUTTONUP,
    UIEVENT_MBUTTONDOWN,
    UIEVENT_MBUTTONUP,
    UIEVENT_DBLCLICK,
    UIEVENT_CONTEXTMENU,
    UIEVENT_SCROLLWHEEL,
    UIEVENT__MOUSEEND,
    UIEVENT_KILLFOCUS,
    UIEVENT_SETFOCUS,
    UIEVENT_WINDOWSIZE,
    UIEVENT_SETCURSOR,
    UIEVENT_TIMER,
    UIEVENT__LAST,
};

// Modifier and button flags of TEventUI::wKeyState (the Windows MK_ values).
inline constexpr WORD MK_LBUTTON = 0x0001;
inline constexpr WORD MK_RBUTTON = 0x0002;
inline constexpr WORD MK_SHIFT = 0x0004;
inline constexpr WORD MK_CONTROL = 0x0008;
inline constexpr WORD MK_MBUTTON = 0x0010;
inline constexpr WORD MK_ALT = 0x0020;

// Virtual-key codes used by the controls.
inline constexpr TCHAR VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
                       VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25,
                       VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_DELETE = 0x2E, VK_F4 = 0x73;

// Mouse messages reported by the tray icon in lParam.
inline constexpr UINT WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202,
                      WM_LBUTTONDBLCLK = 0x0203, WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205;
// Posted to a window after its scale changed.
inline constexpr UINT UIMSG_SET_DPI = orvel::WM_USER + 2;

struct TEventUI {
    int Type = 0;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse;
    TCHAR chKey = 0;
    WORD wKeyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

struct TNotifyUI {
    CDuiString sType;
    CDuiString sVirtualWnd;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

class IMessageFilterUI {
public:
    virtual ~IMessageFilterUI() = default;
    virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;
};

class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    virtual CControlUI* CreateControl(LPCTSTR pstrClass) = 0;
};

class IQueryControlText {
public:
    virtual ~IQueryControlText() = default;
    // A text for a language id that the loaded language files lack; null for none.
    virtual LPCTSTR QueryControlText(LPCTSTR lpstrId, LPCTSTR lpstrType) = 0;
};

// Control flags (GetControlFlags).
inline constexpr UINT UIFLAG_TABSTOP = 0x00000001;
inline constexpr UINT UIFLAG_SETCURSOR = 0x00000002;
inline constexpr UINT UIFLAG_WANTRETURN = 0x00000004;

// FindControl flags.
inline constexpr UINT UIFIND_ALL = 0x00000000;
inline constexpr UINT UIFIND_VISIBLE = 0x00000001;
inline constexpr UINT UIFIND_ENABLED = 0x00000002;
inline constexpr UINT UIFIND_HITTEST = 0x00000004;
inline constexpr UINT UIFIND_UPDATETEST = 0x00000008;
inline constexpr UINT UIFIND_TOP_FIRST = 0x00000010;
inline constexpr UINT UIFIND_ME_FIRST = 0x80000000;

// Text format flags (the DT_ values of Windows).
inline constexpr UINT DT_TOP = 0x0000, DT_LEFT = 0x0000, DT_CENTER = 0x0001, DT_RIGHT = 0x0002,
                      DT_VCENTER = 0x0004, DT_BOTTOM = 0x0008, DT_WORDBREAK = 0x0010,
                      DT_SINGLELINE = 0x0020, DT_NOPREFIX = 0x0800, DT_CALCRECT = 0x0400,
                      DT_END_ELLIPSIS = 0x8000;

// Interface names for GetInterface.
inline constexpr LPCTSTR DUI_CTR_CONTROL = L"Control";
inline constexpr LPCTSTR DUI_CTR_CONTAINER = L"Container";
inline constexpr LPCTSTR DUI_CTR_ICONTAINER = L"IContainer";
inline constexpr LPCTSTR DUI_CTR_LABEL = L"Label";
inline constexpr LPCTSTR DUI_CTR_TEXT = L"Text";
inline constexpr LPCTSTR DUI_CTR_BUTTON = L"Button";
inline constexpr LPCTSTR DUI_CTR_OPTION = L"Option";
inline constexpr LPCTSTR DUI_CTR_CHECKBOX = L"CheckBox";
inline constexpr LPCTSTR DUI_CTR_EDIT = L"Edit";
inline constexpr LPCTSTR DUI_CTR_RICHEDIT = L"RichEdit";
inline constexpr LPCTSTR DUI_CTR_PROGRESS = L"Progress";
inline constexpr LPCTSTR DUI_CTR_SLIDER = L"Slider";
inline constexpr LPCTSTR DUI_CTR_SCROLLBAR = L"ScrollBar";
inline constexpr LPCTSTR DUI_CTR_COMBO = L"Combo";
inline constexpr LPCTSTR DUI_CTR_LIST = L"List";
inline constexpr LPCTSTR DUI_CTR_ILIST = L"IList";
inline constexpr LPCTSTR DUI_CTR_ILISTOWNER = L"IListOwner";
inline constexpr LPCTSTR DUI_CTR_LISTITEM = L"ListItem";
inline constexpr LPCTSTR DUI_CTR_LISTELEMENT = L"ListElement";
inline constexpr LPCTSTR DUI_CTR_LISTLABELELEMENT = L"ListLabelElement";
inline constexpr LPCTSTR DUI_CTR_LISTTEXTELEMENT = L"ListTextElement";
inline constexpr LPCTSTR DUI_CTR_LISTCONTAINERELEMENT = L"ListContainerElement";
inline constexpr LPCTSTR DUI_CTR_LISTHEADER = L"ListHeader";
inline constexpr LPCTSTR DUI_CTR_LISTHEADERITEM = L"ListHeaderItem";
inline constexpr LPCTSTR DUI_CTR_HORIZONTALLAYOUT = L"HorizontalLayout";
inline constexpr LPCTSTR DUI_CTR_VERTICALLAYOUT = L"VerticalLayout";
inline constexpr LPCTSTR DUI_CTR_TABLAYOUT = L"TabLayout";
inline constexpr LPCTSTR DUI_CTR_COLORPALETTE = L"ColorPalette";
inline constexpr LPCTSTR DUI_CTR_MENU = L"Menu";
inline constexpr LPCTSTR DUI_CTR_MENUELEMENT = L"MenuElement";

// Notification type strings.
inline constexpr LPCTSTR DUI_MSGTYPE_WINDOWINIT = L"windowinit";
inline constexpr LPCTSTR DUI_MSGTYPE_WINDOWSIZE = L"windowsize";
inline constexpr LPCTSTR DUI_MSGTYPE_CLICK = L"click";
inline constexpr LPCTSTR DUI_MSGTYPE_SELECTCHANGED = L"selectchanged";
inline constexpr LPCTSTR DUI_MSGTYPE_SETFOCUS = L"setfocus";
inline constexpr LPCTSTR DUI_MSGTYPE_KILLFOCUS = L"killfocus";
inline constexpr LPCTSTR DUI_MSGTYPE_TIMER = L"timer";
inline constexpr LPCTSTR DUI_MSGTYPE_MENU = L"menu";
inline constexpr LPCTSTR DUI_MSGTYPE_LINK = L"link";
inline constexpr LPCTSTR DUI_MSGTYPE_RETURN = L"return";
inline constexpr LPCTSTR DUI_MSGTYPE_TEXTCHANGED = L"textchanged";
inline constexpr LPCTSTR DUI_MSGTYPE_VALUECHANGED = L"valuechanged";
inline constexpr LPCTSTR DUI_MSGTYPE_MOVEVALUECHANGED = L"movevaluechanged";
inline constexpr LPCTSTR DUI_MSGTYPE_SCROLL = L"scroll";
inline constexpr LPCTSTR DUI_MSGTYPE_PREDROPDOWN = L"predropdown";
inline constexpr LPCTSTR DUI_MSGTYPE_DROPDOWN = L"dropdown";
inline constexpr LPCTSTR DUI_MSGTYPE_ITEMSELECT = L"itemselect";
inline constexpr LPCTSTR DUI_MSGTYPE_ITEMCLICK = L"itemclick";
inline constexpr LPCTSTR DUI_MSGTYPE_ITEMACTIVATE = L"itemactivate";
inline constexpr LPCTSTR DUI_MSGTYPE_TABSELECT = L"tabselect";
inline constexpr LPCTSTR DUI_MSGTYPE_COLORCHANGED = L"colorchanged";
inline constexpr LPCTSTR DUI_MSGTYPE_CHECKCLICK = L"checkclick";
inline constexpr LPCTSTR DUI_MSGTYPE_BUTTONDOWN = L"buttondown";
inline constexpr LPCTSTR DUI_MSGTYPE_MOUSEENTER = L"mouseenter";
inline constexpr LPCTSTR DUI_MSGTYPE_MOUSELEAVE = L"mouseleave";
inline constexpr LPCTSTR DUI_MSGTYPE_DBCLICK = L"dbclick";

} // namespace DuiLib
