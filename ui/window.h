#pragma once
// Windows: CWindowWnd (a native window served through the window-message layer, drawn by a
// Qt widget), CNotifyPump with its message maps, and WindowImplBase, the base of every
// window built from a layout file.

#include <map>
#include <memory>

#include "ui/core.h"
#include "ui/manager.h"

class QWidget;

namespace DuiLib {

using BOOL = int;
inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
using LONG = long;
using HMENU = void*;

inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_MOVE = 0x0003;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_NCDESTROY = 0x0082;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT IDOK = 1;
inline constexpr UINT IDCANCEL = 2;
inline constexpr int CW_USEDEFAULT = int(0x80000000);
inline constexpr WPARAM WA_INACTIVE = 0, WA_ACTIVE = 1;
inline constexpr WPARAM SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2;

// Window styles that change what the Qt window is.
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr DWORD WS_EX_TOPMOST = 0x00000008;
inline constexpr DWORD UI_WNDSTYLE_FRAME = 0x16CF0000;
inline constexpr DWORD UI_WNDSTYLE_DIALOG = 0x16C80000;
inline constexpr DWORD UI_WNDSTYLE_CHILD = 0x56000000;

class CWindowWnd {
public:
    CWindowWnd();
    virtual ~CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    // The window whose handle this is (null for handles of other kinds).
    static CWindowWnd* FromHandle(HWND hWnd);

    HWND Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT rc, HMENU hMenu = nullptr);
    HWND Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, int x = CW_USEDEFAULT, int y = CW_USEDEFAULT,
                int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT, HMENU hMenu = nullptr);
    void ShowWindow(bool bShow = true, bool bTakeFocus = true);
    // Shows the window modal and runs a nested loop until it is closed; answers Close's code.
    UINT ShowModal();
    // Asks the window to close (WM_CLOSE with the code, handled from the event loop).
    void Close(UINT nRet = IDOK);
    void CenterWindow();
    void SetIcon(UINT nRes);
    LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    void ResizeClient(int cx = -1, int cy = -1);
    bool IsWindowVisible() const;
    bool IsMinimized() const;
    bool IsMaximized() const;
    RECT GetWindowRect() const;
    void MoveWindow(int x, int y, int cx, int cy);
    // The Qt widget of the window (null before Create and after destruction).
    QWidget* GetWidget() const;

protected:
    virtual LPCTSTR GetWindowClassName() const = 0;
    virtual UINT GetClassStyle() const { return 0; }
    // Messages: the default closes on WM_CLOSE, carries out system commands and ends the
    // window on WM_DESTROY.
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone; a window that owns itself deletes itself here.
    virtual void OnFinalMessage(HWND hWnd);
    // The paint manager the window's widget draws with (windows built from layouts give
    // theirs; bare windows get one of their own).
    virtual CPaintManagerUI* GetHostManager();
    void DestroyWindow();
    // A window created with an owner, or running modal: Escape cancels it.
    bool IsDialog() const;

    HWND m_hWnd = nullptr;
    UINT m_nModalResult = 0;

private:
    // Destroys the native window and its widget without the closing messages.
    void ReleaseNative();
    void DestroyOwnedWindows();

    struct Impl;
    std::unique_ptr<Impl> d;
    friend struct WindowGlue;
};

// ---- notification maps

class CNotifyPump;
// A map entry's handler: calls the member function named in the entry on the object whose
// map it is, reached from its pump part with the right pointer adjustment (a pointer to a
// member of the derived class, called through the pump base, is undefined behaviour).
using DUI_PMSG = void (*)(CNotifyPump* pPump, TNotifyUI& msg);

template <typename M>
struct DuiHandlerClass;
template <typename C>
struct DuiHandlerClass<void (C::*)(TNotifyUI&)> {
    using type = C;
};
template <auto F>
void DuiCallHandler(CNotifyPump* pPump, TNotifyUI& msg) {
    using C = typename DuiHandlerClass<decltype(F)>::type;
    (static_cast<C*>(pPump)->*F)(msg);
}

struct DUI_MSGMAP_ENTRY {
    LPCTSTR sMsgType;
    LPCTSTR sCtrlName;
    UINT nSig;
    DUI_PMSG pfn;
};

struct DUI_MSGMAP {
    const DUI_MSGMAP* (*pfnGetBaseMap)();
    const DUI_MSGMAP_ENTRY* lpEntries;
};

enum DuiSig { DuiSig_end = 0, DuiSig_lwl, DuiSig_vn };

class CNotifyPump {
public:
    virtual ~CNotifyPump() = default;
    // Panels registered under a name get the notifications of controls that carry (or sit
    // below a control that carries) virtualwnd="name" first.
    bool AddVirtualWnd(CDuiString strName, CNotifyPump* pObject);
    bool RemoveVirtualWnd(CDuiString strName);
    void NotifyPump(TNotifyUI& msg);
    bool LoopDispatch(TNotifyUI& msg);

protected:
    static const DUI_MSGMAP_ENTRY _messageEntries[];
    static const DUI_MSGMAP messageMap;
    static const DUI_MSGMAP* _GetBaseMessageMap();
    virtual const DUI_MSGMAP* GetMessageMap() const;

private:
    std::map<std::wstring, CNotifyPump*> m_VirtualWndMap;
};

// Map entries name their handler with its class: DUI_ON_CLICK_CTRNAME(L"okbtn", CMyWnd::OnOk).
#define DUI_DECLARE_MESSAGE_MAP()                                            \
private:                                                                     \
    static const DuiLib::DUI_MSGMAP_ENTRY _messageEntries[];                 \
                                                                             \
protected:                                                                   \
    static const DuiLib::DUI_MSGMAP messageMap;                              \
    static const DuiLib::DUI_MSGMAP* _GetBaseMessageMap();                   \
    virtual const DuiLib::DUI_MSGMAP* GetMessageMap() const;

#define DUI_BEGIN_MESSAGE_MAP(theClass, baseClass)                                                                   \
    const DuiLib::DUI_MSGMAP* theClass::_GetBaseMessageMap() { return &baseClass::messageMap; }                      \
    const DuiLib::DUI_MSGMAP* theClass::GetMessageMap() const { return &theClass::messageMap; }                      \
    const DuiLib::DUI_MSGMAP theClass::messageMap = {&theClass::_GetBaseMessageMap, &theClass::_messageEntries[0]}; \
    const DuiLib::DUI_MSGMAP_ENTRY theClass::_messageEntries[] = {

#define DUI_END_MESSAGE_MAP()                            \
    { L"", L"", DuiLib::DuiSig_end, nullptr }            \
    }                                                    \
    ;

#define DUI_ON_MSGTYPE(msgtype, memberFxn) {msgtype, L"", DuiLib::DuiSig_vn, &DuiLib::DuiCallHandler<&memberFxn>},
#define DUI_ON_MSGTYPE_CTRNAME(msgtype, ctrname, memberFxn) {msgtype, ctrname, DuiLib::DuiSig_vn, &DuiLib::DuiCallHandler<&memberFxn>},
#define DUI_ON_CLICK_CTRNAME(ctrname, memberFxn) DUI_ON_MSGTYPE_CTRNAME(DuiLib::DUI_MSGTYPE_CLICK, ctrname, memberFxn)
#define DUI_ON_SELECTCHANGED_CTRNAME(ctrname, memberFxn) DUI_ON_MSGTYPE_CTRNAME(DuiLib::DUI_MSGTYPE_SELECTCHANGED, ctrname, memberFxn)
#define DUI_ON_KILLFOCUS_CTRNAME(ctrname, memberFxn) DUI_ON_MSGTYPE_CTRNAME(DuiLib::DUI_MSGTYPE_KILLFOCUS, ctrname, memberFxn)
#define DUI_ON_MENU_CTRNAME(ctrname, memberFxn) DUI_ON_MSGTYPE_CTRNAME(DuiLib::DUI_MSGTYPE_MENU, ctrname, memberFxn)
#define DUI_ON_TIMER(memberFxn) DUI_ON_MSGTYPE(DuiLib::DUI_MSGTYPE_TIMER, memberFxn)

// ---- windows built from layouts

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback,
                       public IQueryControlText {
public:
    WindowImplBase();
    ~WindowImplBase() override;
    virtual void InitWindow() {}
    void OnFinalMessage(HWND hWnd) override;
    void Notify(TNotifyUI& msg) override;
    CPaintManagerUI& GetPaintManager() { return m_pm; }

    DUI_DECLARE_MESSAGE_MAP()
    virtual void OnClick(TNotifyUI& msg);

protected:
    virtual CDuiString GetSkinFolder() { return CDuiString(); }
    virtual CDuiString GetSkinFile() = 0;
    LPCTSTR GetWindowClassName() const override = 0;
    // Keys the window sees before its controls: Escape closes a dialog with IDCANCEL.
    virtual LRESULT ResponseDefaultKeyEvent(WPARAM wParam);
    CPaintManagerUI* GetHostManager() override { return &m_pm; }

    CControlUI* CreateControl(LPCTSTR pstrClass) override;
    LPCTSTR QueryControlText(LPCTSTR lpstrId, LPCTSTR lpstrType) override;
    // Pre-filter of the manager: Escape and Enter go to ResponseDefaultKeyEvent.
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

    virtual LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    virtual LONG GetStyle() { return 0; }

    CPaintManagerUI m_pm;
};

} // namespace DuiLib
