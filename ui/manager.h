#pragma once
// CPaintManagerUI: one per window. Owns the control tree's root, fonts, images, default
// attribute lists and styles, option groups, focus, hover and capture, control timers, the
// window's scale, and delivers events to controls and notifications to notifiers. The
// static part holds the process-wide resource settings.

#include <map>
#include <memory>
#include <vector>

#include "ui/core.h"
#include "ui/render.h"
#include "ui/shadow.h"

class QEvent;
class QFont;
class QImage;
class QPointF;
class QWidget;

namespace DuiLib {

// Resource locations (only plain files are supported on this platform; the others are
// accepted and reported in the debug log).
enum UILIB_RESOURCETYPE { UILIB_FILE = 1, UILIB_ZIP, UILIB_RESOURCE, UILIB_ZIPRESOURCE };

struct TFontInfo {
    CDuiString sFontName;
    int iSize = 12; // character height in pixels at 96 DPI
    bool bBold = false;
    bool bUnderline = false;
    bool bItalic = false;
    bool bStrikeOut = false;
    int tmHeight = 0; // line height at the manager's scale
};

// A window's scale: percent of 96 DPI.
class CDPI {
public:
    int GetDPI() const { return m_nScale * 96 / 100; }
    int GetScale() const { return m_nScale; }
    void SetScale(int dpi) { m_nScale = dpi * 100 / 96; }
    // v scaled and rounded to nearest, never turning a non-zero value into 0.
    int Scale(int v) const;
    RECT Scale(RECT rc) const;
    SIZE Scale(SIZE sz) const;
    POINT Scale(POINT pt) const;

private:
    int m_nScale = 100;
};

class CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // ---- process level
    static void SetInstance(void* hInst);
    static void* GetInstance();
    // The program folder with a trailing separator.
    static CDuiString GetInstancePath();
    static void SetResourcePath(LPCTSTR pStrPath);
    static const CDuiString& GetResourcePath();
    static void SetResourceType(int nType);
    static int GetResourceType();
    static void SetResourceZip(LPCTSTR pstrZip, bool bCachedResourceZip = false, LPCTSTR password = nullptr);
    // The full path of a resource name: backslashes become separators, relative names are
    // taken from the resource path. Empty when the name is empty.
    static CDuiString GetResourceFile(LPCTSTR pstrName);
    // Runs the event loop of the UI thread until WM_QUIT (PostQuitMessage) ends it.
    static int MessageLoop();
    // Lets Qt's event loop serve the window messages of the UI thread (once per process;
    // windows install it when they are created).
    static void InstallMessagePump();
    // Sets the scale of every window; only 48, 72, 96, 120, 144, 168 and 192 are accepted.
    static bool SetAllDPI(int iDPI);
    static bool IsAcceptedDPI(int iDPI);
    // Changes whenever something every control's look may depend on changes (scale, fonts,
    // images, default colours, resource index); cached looks drawn before are stale.
    static unsigned GetLookSerial();
    static void LookChanged();

    // ---- window level
    void Init(HWND hWnd, LPCTSTR pstrName = nullptr);
    HWND GetPaintWindow() const { return m_hWndPaint; }
    LPCTSTR GetName() const { return m_sName; }
    // The Qt widget the manager paints into and takes input from (created by the window).
    void SetHostWidget(QWidget* pHost);
    QWidget* GetHostWidget() const { return m_pHost; }
    POINT GetMousePos() const { return m_ptLastMousePos; }
    SIZE GetClientSize() const;
    SIZE GetInitSize() const;
    void SetInitSize(int cx, int cy);
    RECT GetSizeBox() const;
    void SetSizeBox(const RECT& rc) { m_rcSizeBox = rc; }
    RECT GetCaptionRect() const;
    void SetCaptionRect(const RECT& rc) { m_rcCaption = rc; }
    SIZE GetRoundCorner() const;
    void SetRoundCorner(int cx, int cy) { m_szRoundCorner = SIZE{cx, cy}; }
    SIZE GetMinInfo() const;
    void SetMinInfo(int cx, int cy) { m_szMinWindow = SIZE{cx, cy}; }
    SIZE GetMaxInfo() const;
    void SetMaxInfo(int cx, int cy) { m_szMaxWindow = SIZE{cx, cy}; }
    BYTE GetOpacity() const { return m_nOpacity; }
    void SetOpacity(BYTE nOpacity) { m_nOpacity = nOpacity; }
    // Per-pixel transparency: what the layout leaves clear stays clear ("layered", "bktrans").
    bool IsLayered() const { return m_bLayered; }
    void SetLayered(bool bLayered);
    const TShadowInfo& GetShadow() const { return m_shadow; }
    void SetShadow(const TShadowInfo& shadow);
    // The widget pixels around the client area (the shadow's margin, set by the host widget):
    // client coordinates start at (left, top) of the widget.
    RECT GetClientMargin() const { return m_rcClientMargin; }
    // The host widget's coordinates of a client rectangle: controls are placed in client
    // coordinates, which start inside the shadow margin.
    RECT ClientToHost(const RECT& rc) const {
        const RECT& m = m_rcClientMargin;
        return RECT{rc.left + m.left, rc.top + m.top, rc.right + m.left, rc.bottom + m.top};
    }
    void SetClientMargin(const RECT& rc) { m_rcClientMargin = rc; }
    // Applies one attribute of a layout's Window element.
    void SetWindowAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    LPCTSTR GetWindowCustomAttribute(LPCTSTR pstrName) const;
    // True when the point lies in the caption area over controls that do not take clicks.
    bool IsCaptionPoint(POINT pt) const;

    // Fonts, default attribute lists and styles this manager lacks are taken from another
    // (pop-ups use their owner's).
    void SetParentResourcePM(CPaintManagerUI* pParent) { m_pParentResourcePM = pParent; LookChanged(); }
    CPaintManagerUI* GetParentResourcePM() const { return m_pParentResourcePM; }

    // ---- scale
    CDPI* GetDPIObj() { return &m_dpi; }
    const CDPI* GetDPIObj() const { return &m_dpi; }
    // Only the seven accepted values change anything; answers whether it was accepted.
    bool SetDPI(int iDPI);
    int GetDPI() const { return m_dpi.GetDPI(); }
    void ResetDPIAssets();

    // ---- colours
    DWORD GetDefaultDisabledColor() const { return m_dwDefaultDisabledColor; }
    void SetDefaultDisabledColor(DWORD dwColor) { m_dwDefaultDisabledColor = dwColor; LookChanged(); }
    DWORD GetDefaultFontColor() const { return m_dwDefaultFontColor; }
    void SetDefaultFontColor(DWORD dwColor) { m_dwDefaultFontColor = dwColor; LookChanged(); }
    DWORD GetDefaultLinkFontColor() const { return m_dwDefaultLinkFontColor; }
    void SetDefaultLinkFontColor(DWORD dwColor) { m_dwDefaultLinkFontColor = dwColor; LookChanged(); }
    DWORD GetDefaultLinkHoverFontColor() const { return m_dwDefaultLinkHoverFontColor; }
    void SetDefaultLinkHoverFontColor(DWORD dwColor) { m_dwDefaultLinkHoverFontColor = dwColor; LookChanged(); }
    DWORD GetDefaultSelectedBkColor() const { return m_dwDefaultSelectedBkColor; }
    void SetDefaultSelectedBkColor(DWORD dwColor) { m_dwDefaultSelectedBkColor = dwColor; LookChanged(); }

    // ---- fonts
    // Shared fonts and the shared default are the process's: a change reaches every open
    // window, which lays itself out again. A window's own default comes before its resource
    // parent's, the shared one and the built-in 12 px one.
    void SetDefaultFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic, bool bShared = false);
    void AddFont(int id, LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic, bool bShared = false);
    // Forgets this window's fonts, or with bShared the shared ones, default font included.
    void RemoveAllFonts(bool bShared = false);
    // The next id no font uses yet (for Font elements without id).
    int GetNextFontId() const;
    const TFontInfo* GetFontInfo(int id);
    const TFontInfo* GetDefaultFontInfo();
    // The Qt font of id at the window's scale (-1 or an unknown id: the default font).
    const QFont& GetQFont(int id);
    // Loads a font file (resource path relative) as a private font; false when it fails.
    static bool AddFontFile(LPCTSTR pstrFile);

    // ---- images
    const TImageInfo* GetImage(LPCTSTR bitmap);
    const TImageInfo* GetImageEx(LPCTSTR bitmap, LPCTSTR type = nullptr, DWORD mask = 0);
    void RemoveAllImages();

    // ---- defaults and styles
    void AddDefaultAttributeList(LPCTSTR pStrControlName, LPCTSTR pStrControlAttrList, bool bShared = false);
    LPCTSTR GetDefaultAttributeList(LPCTSTR pStrControlName) const;
    void AddStyle(LPCTSTR pName, LPCTSTR pStyle, bool bShared = false);
    LPCTSTR GetStyle(LPCTSTR pName) const;

    // ---- controls
    bool AttachDialog(CControlUI* pControl);
    bool InitControls(CControlUI* pControl, CControlUI* pParent = nullptr);
    // Forgets every reference to a control that is being destroyed.
    void ReapObjects(CControlUI* pControl);
    CControlUI* GetRoot() const { return m_pRoot; }
    CControlUI* FindControl(POINT pt) const;
    CControlUI* FindControl(LPCTSTR pstrName) const;
    CControlUI* FindSubControlByPoint(CControlUI* pParent, POINT pt) const;
    CControlUI* FindSubControlByName(CControlUI* pParent, LPCTSTR pstrName) const;
    CControlUI* FindSubControlByClass(CControlUI* pParent, LPCTSTR pstrClass, int iIndex = 0);
    std::vector<CControlUI*> FindSubControlsByClass(CControlUI* pParent, LPCTSTR pstrClass);
    bool AddOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl);
    std::vector<CControlUI*>* GetOptionGroup(LPCTSTR pStrGroupName);
    void RemoveOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl);
    void RemoveAllOptionGroups();
    // Renames a control in the name table.
    void RenameControl(CControlUI* pControl, LPCTSTR pstrOldName);

    // ---- focus, hover, capture
    CControlUI* GetFocus() const { return m_pFocus; }
    void SetFocus(CControlUI* pControl);
    void SetFocusNeeded(CControlUI* pControl);
    // Moves the focus to the next (or previous) enabled, shown control that takes the focus,
    // in reading order through nested layouts.
    bool SetNextTabControl(bool bForward = true);
    // The focus ring: an accent ring outside the focused control while the keyboard is used.
    bool IsFocusRingShown() const;
    void ShowFocusRing(bool bShow);
    CControlUI* GetHoverControl() const { return m_pEventHover; }
    CControlUI* GetPushedControl() const { return m_pEventClick; }

    // ---- control timers (ids are per control)
    bool SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse);
    bool KillTimer(CControlUI* pControl, UINT nTimerID);
    void KillTimer(CControlUI* pControl);
    void RemoveAllTimers();

    // ---- notifications and message filters
    bool AddNotifier(INotifyUI* pControl);
    bool RemoveNotifier(INotifyUI* pControl);
    void SendNotify(TNotifyUI& Msg, bool bAsync = false);
    void SendNotify(CControlUI* pControl, LPCTSTR pstrMessage, WPARAM wParam = 0, LPARAM lParam = 0, bool bAsync = false);
    bool AddPreMessageFilter(IMessageFilterUI* pFilter);
    bool RemovePreMessageFilter(IMessageFilterUI* pFilter);
    bool AddMessageFilter(IMessageFilterUI* pFilter);
    bool RemoveMessageFilter(IMessageFilterUI* pFilter);
    bool PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);

    // ---- painting and layout
    void NeedUpdate() { m_bUpdateNeeded = true; Invalidate(); }
    void Invalidate();
    void Invalidate(const RECT& rcItem);
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    // Lays the tree out for the client size when something asked for it; sends "windowinit"
    // after the first layout.
    void UpdateLayout();
    // Paints the whole tree with the painter (layout first when needed).
    void Paint(HDC hDC, const RECT& rcPaint);
    // True when the laid-out root covers the client area with opaque colour, so nothing
    // needs to be painted under it.
    bool IsClientOpaque() const;
    // Lays out and paints the tree at the given client size into a new image.
    bool RenderToImage(QImage* pImage, SIZE szClient);

    // ---- input from the host widget
    bool HandleQtEvent(QEvent* pEvent);
    // Delivers a synthetic event to a control (focus, hover and capture bookkeeping included
    // for mouse events when bTrack is set).
    void DispatchEvent(TEventUI& event);

    static std::vector<CPaintManagerUI*> GetPaintManagers();
    DWORD GetTickCount() const;

private:
    void InvalidateFocusRing(CControlUI* pControl);
    // Drops the Qt fonts and line heights made at the old scale or from old registrations.
    void ForgetFonts();
    void FontsChanged(bool bShared);
    CPaintManagerUI* DefaultFontSource();
    const TFontInfo& DefaultFontOf() const;
    // A position in the host widget as client coordinates.
    POINT ToClient(const QPointF& widgetPos) const;
    // The image of a name from the process-wide cache, loaded when needed.
    const TImageInfo* LoadImage(LPCTSTR bitmap, LPCTSTR type, DWORD mask);

    struct Impl;
    std::unique_ptr<Impl> d;
    friend struct ManagerEvents;

    CDuiString m_sName;
    HWND m_hWndPaint = nullptr;
    QWidget* m_pHost = nullptr;
    CControlUI* m_pRoot = nullptr;
    CPaintManagerUI* m_pParentResourcePM = nullptr;
    CControlUI* m_pFocus = nullptr;
    CControlUI* m_pEventHover = nullptr;
    CControlUI* m_pEventClick = nullptr;
    CControlUI* m_pEventRClick = nullptr;
    CControlUI* m_pEventKey = nullptr;
    POINT m_ptLastMousePos{-1, -1};
    bool m_bUpdateNeeded = false;
    bool m_bFirstLayout = true;
    bool m_bFocusNeeded = false;
    CDPI m_dpi;
    SIZE m_szInitWindowSize;
    RECT m_rcSizeBox;
    RECT m_rcCaption;
    SIZE m_szRoundCorner;
    SIZE m_szMinWindow;
    SIZE m_szMaxWindow;
    BYTE m_nOpacity = 255;
    bool m_bLayered = false;
    TShadowInfo m_shadow;
    RECT m_rcClientMargin;
    DWORD m_dwDefaultDisabledColor = 0xFFA7A6AA;
    DWORD m_dwDefaultFontColor = 0xFF000000;
    DWORD m_dwDefaultLinkFontColor = 0xFF0000FF;
    DWORD m_dwDefaultLinkHoverFontColor = 0xFFD3215F;
    DWORD m_dwDefaultSelectedBkColor = 0xFFBAE4FF;
};

} // namespace DuiLib
