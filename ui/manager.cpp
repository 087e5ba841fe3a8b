#include "ui/manager.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>
#include <QPainter>
#include <QResizeEvent>
#include <QSvgRenderer>
#include <QTimer>
#include <QTimerEvent>
#include <QToolTip>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "platform/debuglog.h"
#include "platform/paths.h"
#include "platform/qt/winmsgpump.h"
#include "ui/accessible.h"
#include "ui/control.h"
#include "ui/host_widget.h"
#include "ui/resource.h"
#include "ui/values.h"

namespace DuiLib {
namespace {

struct ProcessState {
    void* instance = nullptr;
    CDuiString resourcePath;
    int resourceType = UILIB_FILE;
    std::vector<CPaintManagerUI*> managers;
    // Shared fonts as registered; each manager keeps their line heights at its own scale.
    std::map<int, TFontInfo> sharedFonts;
    TFontInfo sharedDefaultFont;
    bool hasSharedDefaultFont = false;
    std::map<std::wstring, std::wstring> sharedDefaults;
    std::map<std::wstring, std::wstring> sharedStyles;
    struct CachedImage {
        QImage image;
        TImageInfo info;
    };
    std::map<std::wstring, std::unique_ptr<CachedImage>> images;
    // Images by the name a control asked for, its mask and the scale: repaints skip the
    // resource lookups. Valid while the look serial stays the same.
    std::map<std::tuple<std::wstring, DWORD, int>, const TImageInfo*> imagesByName;
    unsigned imagesByNameSerial = 0;
    QElapsedTimer clock;
    unsigned lookSerial = 1;
};

ProcessState& Process() {
    static ProcessState state;
    if (!state.clock.isValid()) state.clock.start();
    return state;
}

QString ToQ(const CDuiString& s) { return QString::fromStdWString(s.str()); }

// Timer events of control timers, routed back to the manager.
class TimerHost : public QObject {
public:
    explicit TimerHost(CPaintManagerUI* m) : m_manager(m) {}
    struct Entry {
        CControlUI* control;
        UINT id;
    };
    std::map<int, Entry> timers;

protected:
    void timerEvent(QTimerEvent* e) override {
        auto it = timers.find(e->timerId());
        if (it == timers.end()) return;
        TEventUI ev;
        ev.Type = UIEVENT_TIMER;
        ev.pSender = it->second.control;
        ev.wParam = it->second.id;
        ev.dwTimestamp = m_manager->GetTickCount();
        it->second.control->Event(ev);
    }

private:
    CPaintManagerUI* m_manager;
};

TCHAR VirtualKey(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Down: return VK_DOWN;
    default: break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return TCHAR(0x70 + (key - Qt::Key_F1));
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return TCHAR(key);
    return TCHAR(key & 0xFFFF);
}

WORD KeyState(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    WORD s = 0;
    if (mods & Qt::ShiftModifier) s |= MK_SHIFT;
    if (mods & Qt::ControlModifier) s |= MK_CONTROL;
    if (mods & Qt::AltModifier) s |= MK_ALT;
    if (buttons & Qt::LeftButton) s |= MK_LBUTTON;
    if (buttons & Qt::RightButton) s |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) s |= MK_MBUTTON;
    return s;
}

CControlUI* FindByPoint(CControlUI* c, LPVOID) { return c; }

// The key-press message the windows' pre-filters take (WM_KEYDOWN).
constexpr UINT kWmKeyDown = 0x0100;

// The "cursor" attribute of a control (or its nearest ancestor that has one).
Qt::CursorShape CursorOf(CControlUI* c) {
    static const std::pair<const wchar_t*, Qt::CursorShape> shapes[] = {
        {L"arrow", Qt::ArrowCursor},     {L"ibeam", Qt::IBeamCursor},      {L"wait", Qt::WaitCursor},
        {L"cross", Qt::CrossCursor},     {L"uparrow", Qt::UpArrowCursor},  {L"size", Qt::SizeAllCursor},
        {L"icon", Qt::ArrowCursor},      {L"sizenwse", Qt::SizeFDiagCursor}, {L"sizenesw", Qt::SizeBDiagCursor},
        {L"sizewe", Qt::SizeHorCursor},  {L"sizens", Qt::SizeVerCursor},   {L"sizeall", Qt::SizeAllCursor},
        {L"no", Qt::ForbiddenCursor},    {L"hand", Qt::PointingHandCursor}};
    for (; c; c = c->GetParent()) {
        LPCTSTR name = c->GetCursorName();
        if (!name || !*name) continue;
        for (const auto& [n, shape] : shapes) {
            if (values::EqualNoCase(n, name)) return shape;
        }
    }
    return Qt::ArrowCursor;
}

// Adds a listener once; false for null or one already listed.
template <typename T>
bool AddListener(std::vector<T*>& list, T* p) {
    if (!p || std::find(list.begin(), list.end(), p) != list.end()) return false;
    list.push_back(p);
    return true;
}

template <typename T>
bool RemoveListener(std::vector<T*>& list, T* p) {
    auto it = std::find(list.begin(), list.end(), p);
    if (it == list.end()) return false;
    list.erase(it);
    return true;
}

// Offers a message to each filter in turn (on a copy, so a filter may unregister itself);
// the first that handles it gives the result.
bool RunMessageFilters(const std::vector<IMessageFilterUI*>& filters, UINT uMsg, WPARAM wParam, LPARAM lParam,
                       LRESULT& lRes) {
    for (auto* f : std::vector<IMessageFilterUI*>(filters)) {
        bool handled = false;
        LRESULT r = f->MessageHandler(uMsg, wParam, lParam, handled);
        if (handled) {
            lRes = r;
            return true;
        }
    }
    return false;
}

} // namespace

struct CPaintManagerUI::Impl {
    // What was invalidated since the last paint, as one rectangle of the host.
    QRect pendingPaint;
    std::map<int, TFontInfo> fonts;
    std::map<int, QFont> qfonts;
    TFontInfo defaultFont;
    bool hasDefaultFont = false;
    QFont defaultQFont;
    bool defaultQFontReady = false;
    // This manager's copies of shared fonts (and of the shared default), with the line
    // height at its scale.
    std::map<int, TFontInfo> sharedFontInfo;
    TFontInfo sharedDefaultInfo;
    std::map<std::wstring, std::wstring> defaults;
    std::map<std::wstring, std::wstring> styles;
    std::map<std::wstring, std::wstring> windowCustom;
    std::map<std::wstring, std::vector<CControlUI*>> optionGroups;
    std::map<std::wstring, CControlUI*> names;
    std::vector<INotifyUI*> notifiers;
    std::vector<IMessageFilterUI*> preFilters;
    std::vector<IMessageFilterUI*> filters;
    std::unique_ptr<TimerHost> timers;
    // Pending asynchronous notifications; entries whose sender is destroyed are dropped.
    std::vector<std::shared_ptr<TNotifyUI>> asyncQueue;
    int fontGeneration = 0;
    std::wstring layeredImage;
    BYTE layeredOpacity = 255;
    // The focus ring shows while the keyboard is in use, until the next press of a button.
    bool focusVisible = false;
    // The skin's accent unless the layout says otherwise ("focusringcolor", "focusringsize").
    DWORD focusRingColor = 0xFF19B8FF;
    int focusRingSize = 2;
};

// ================================================================ CDPI

int CDPI::Scale(int v) const {
    if (m_nScale == 100 || v == 0) return v;
    int r = int(std::lround(double(v) * m_nScale / 100.0));
    if (r == 0) r = v > 0 ? 1 : -1;
    return r;
}
RECT CDPI::Scale(RECT rc) const { return RECT{Scale(rc.left), Scale(rc.top), Scale(rc.right), Scale(rc.bottom)}; }
SIZE CDPI::Scale(SIZE sz) const { return SIZE{Scale(sz.cx), Scale(sz.cy)}; }
POINT CDPI::Scale(POINT pt) const { return POINT{Scale(pt.x), Scale(pt.y)}; }

// ================================================================ process level

CPaintManagerUI::CPaintManagerUI() : d(std::make_unique<Impl>()) {
    d->timers = std::make_unique<TimerHost>(this);
    Process().managers.push_back(this);
}

CPaintManagerUI::~CPaintManagerUI() {
    RemoveAllTimers();
    if (auto* host = dynamic_cast<CUIHostWidget*>(m_pHost)) host->DetachManager();
    m_pHost = nullptr;
    auto& list = Process().managers;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    CControlUI* root = m_pRoot;
    m_pRoot = nullptr;
    m_pFocus = m_pEventHover = m_pEventClick = m_pEventRClick = m_pEventKey = nullptr;
    delete root;
}

void CPaintManagerUI::SetInstance(void* hInst) { Process().instance = hInst; }
void* CPaintManagerUI::GetInstance() { return Process().instance; }

CDuiString CPaintManagerUI::GetInstancePath() {
    std::string folder = orvel::paths::ProgramFolder().string();
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return CDuiString::FromUtf8(folder);
}

void CPaintManagerUI::SetResourcePath(LPCTSTR pStrPath) {
    CDuiString p(pStrPath ? pStrPath : L"");
    p.Replace(L"\\", L"/");
    if (!p.IsEmpty() && p[p.GetLength() - 1] != L'/') p += L'/';
    Process().resourcePath = p;
    LookChanged();
}

const CDuiString& CPaintManagerUI::GetResourcePath() { return Process().resourcePath; }

void CPaintManagerUI::SetResourceType(int nType) {
    if (nType != UILIB_FILE) orvel::debuglog::Write("only plain resource files are supported; resource type kept as files");
    Process().resourceType = UILIB_FILE;
}

int CPaintManagerUI::GetResourceType() { return Process().resourceType; }

void CPaintManagerUI::SetResourceZip(LPCTSTR pstrZip, bool, LPCTSTR) {
    orvel::debuglog::Write("resource archives are not supported: " + CDuiString(pstrZip).ToUtf8());
}

CDuiString CPaintManagerUI::GetResourceFile(LPCTSTR pstrName) {
    if (!pstrName || !*pstrName) return {};
    CDuiString name(pstrName);
    name.Replace(L"\\", L"/");
    if (name[0] == L'/') return name;
    return GetResourcePath() + name;
}

void CPaintManagerUI::InstallMessagePump() {
    // The pump goes with the application object: at process exit the thread's message
    // queue it unhooks from is already gone.
    static orvel::qtglue::WinMsgPump* pump = nullptr;
    if (pump || !QCoreApplication::instance()) return;
    pump = new orvel::qtglue::WinMsgPump;
    QObject::connect(QCoreApplication::instance(), &QObject::destroyed, [] {
        delete pump;
        pump = nullptr;
    });
}

int CPaintManagerUI::MessageLoop() {
    if (!QCoreApplication::instance()) return 0;
    InstallMessagePump();
    return QCoreApplication::exec();
}

bool CPaintManagerUI::IsAcceptedDPI(int iDPI) {
    switch (iDPI) {
    case 48: case 72: case 96: case 120: case 144: case 168: case 192: return true;
    default: return false;
    }
}

bool CPaintManagerUI::SetAllDPI(int iDPI) {
    if (!IsAcceptedDPI(iDPI)) return false;
    for (auto* m : Process().managers) m->SetDPI(iDPI);
    return true;
}

std::vector<CPaintManagerUI*> CPaintManagerUI::GetPaintManagers() { return Process().managers; }

unsigned CPaintManagerUI::GetLookSerial() { return Process().lookSerial; }
void CPaintManagerUI::LookChanged() { ++Process().lookSerial; }

DWORD CPaintManagerUI::GetTickCount() const { return DWORD(Process().clock.elapsed()); }

// ================================================================ window level

void CPaintManagerUI::Init(HWND hWnd, LPCTSTR pstrName) {
    m_hWndPaint = hWnd;
    m_sName = pstrName ? pstrName : L"";
}

void CPaintManagerUI::SetHostWidget(QWidget* pHost) { m_pHost = pHost; }

SIZE CPaintManagerUI::GetClientSize() const {
    if (!m_pHost) return m_dpi.Scale(m_szInitWindowSize);
    const RECT& m = m_rcClientMargin;
    return SIZE{m_pHost->width() - m.left - m.right, m_pHost->height() - m.top - m.bottom};
}

SIZE CPaintManagerUI::GetInitSize() const { return m_dpi.Scale(m_szInitWindowSize); }
void CPaintManagerUI::SetInitSize(int cx, int cy) {
    m_szInitWindowSize = SIZE{cx, cy};
    const RECT& m = m_rcClientMargin;
    if (m_pHost && !m_pHost->parentWidget()) m_pHost->resize(m_dpi.Scale(cx) + m.left + m.right, m_dpi.Scale(cy) + m.top + m.bottom);
}
RECT CPaintManagerUI::GetSizeBox() const { return m_dpi.Scale(m_rcSizeBox); }
RECT CPaintManagerUI::GetCaptionRect() const { return m_dpi.Scale(m_rcCaption); }
SIZE CPaintManagerUI::GetRoundCorner() const { return m_dpi.Scale(m_szRoundCorner); }
SIZE CPaintManagerUI::GetMinInfo() const { return m_dpi.Scale(m_szMinWindow); }
SIZE CPaintManagerUI::GetMaxInfo() const { return m_dpi.Scale(m_szMaxWindow); }

void CPaintManagerUI::SetWindowAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
    using namespace values;
    std::wstring n(pstrName);
    for (auto& ch : n) ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
    if (n == L"size") {
        SIZE s = ParseSize(pstrValue);
        SetInitSize(s.cx, s.cy);
    } else if (n == L"sizebox") SetSizeBox(ParseRect(pstrValue));
    else if (n == L"caption") SetCaptionRect(ParseRect(pstrValue));
    else if (n == L"roundcorner") {
        SIZE s = ParseSize(pstrValue);
        SetRoundCorner(s.cx, s.cy);
    } else if (n == L"mininfo") {
        SIZE s = ParseSize(pstrValue);
        SetMinInfo(s.cx, s.cy);
    } else if (n == L"maxinfo") {
        SIZE s = ParseSize(pstrValue);
        SetMaxInfo(s.cx, s.cy);
    } else if (n == L"opacity" || n == L"alpha") SetOpacity(BYTE(std::clamp(ParseInt(pstrValue), 0, 255)));
    else if (n == L"layered" || n == L"bktrans") SetLayered(ParseBool(pstrValue));
    else if (n == L"layeredimage") d->layeredImage = pstrValue;
    else if (n == L"layeredopacity") d->layeredOpacity = BYTE(std::clamp(ParseInt(pstrValue), 0, 255));
    else if (TShadowInfo shadow = m_shadow; shadow.SetAttribute(n, pstrValue)) SetShadow(shadow);
    else if (n == L"defaultfontcolor") SetDefaultFontColor(ParseColor(pstrValue));
    else if (n == L"disabledfontcolor") SetDefaultDisabledColor(ParseColor(pstrValue));
    else if (n == L"linkfontcolor") SetDefaultLinkFontColor(ParseColor(pstrValue));
    else if (n == L"linkhoverfontcolor") SetDefaultLinkHoverFontColor(ParseColor(pstrValue));
    else if (n == L"selectedcolor") SetDefaultSelectedBkColor(ParseColor(pstrValue));
    else if (n == L"focusringcolor") d->focusRingColor = ParseColor(pstrValue);
    else if (n == L"focusringsize") d->focusRingSize = std::clamp(ParseInt(pstrValue), 0, 8);
    else d->windowCustom[pstrName] = pstrValue;
}

void CPaintManagerUI::SetLayered(bool bLayered) {
    m_bLayered = bLayered;
    if (auto* host = dynamic_cast<CUIHostWidget*>(m_pHost)) host->UpdateFrame();
}

void CPaintManagerUI::SetShadow(const TShadowInfo& shadow) {
    m_shadow = shadow;
    if (auto* host = dynamic_cast<CUIHostWidget*>(m_pHost)) host->UpdateFrame();
}

LPCTSTR CPaintManagerUI::GetWindowCustomAttribute(LPCTSTR pstrName) const {
    auto it = d->windowCustom.find(pstrName ? pstrName : L"");
    return it == d->windowCustom.end() ? nullptr : it->second.c_str();
}

bool CPaintManagerUI::IsCaptionPoint(POINT pt) const {
    RECT cap = GetCaptionRect();
    if (cap.left == 0 && cap.top == 0 && cap.right == 0 && cap.bottom == 0) return false;
    SIZE client = GetClientSize();
    RECT area{cap.left, cap.top, client.cx - cap.right, cap.bottom < 0 ? client.cy : cap.bottom};
    if (!PtInRect(area, pt)) return false;
    // Only controls that take no clicks let the caption be dragged.
    for (CControlUI* c = FindControl(pt); c; c = c->GetParent()) {
        std::wstring cls = c->GetClass();
        static const wchar_t* still[] = {L"ControlUI", L"LabelUI", L"TextUI", L"ContainerUI", L"VerticalLayoutUI", L"HorizontalLayoutUI",
                                         L"TabLayoutUI"};
        if (std::none_of(std::begin(still), std::end(still), [&](const wchar_t* s) { return cls == s; })) return false;
    }
    return true;
}

// ================================================================ scale

bool CPaintManagerUI::SetDPI(int iDPI) {
    if (!IsAcceptedDPI(iDPI)) return false;
    int oldScale = m_dpi.GetScale();
    m_dpi.SetScale(iDPI);
    int newScale = m_dpi.GetScale();
    ResetDPIAssets();
    if (m_pHost && oldScale != newScale && m_pHost->isWindow() && !m_pHost->isMaximized()) {
        const SIZE client = GetClientSize();
        const RECT& m = m_rcClientMargin;
        m_pHost->resize(client.cx * newScale / oldScale + m.left + m.right, client.cy * newScale / oldScale + m.top + m.bottom);
    }
    // The shadow's margin follows the scale.
    if (auto* host = dynamic_cast<CUIHostWidget*>(m_pHost)) host->UpdateFrame();
    NeedUpdate();
    bool handled = false;
    for (auto* f : std::vector<IMessageFilterUI*>(d->filters)) f->MessageHandler(UIMSG_SET_DPI, WPARAM(iDPI), 0, handled);
    return true;
}

void CPaintManagerUI::ResetDPIAssets() {
    LookChanged();
    ForgetFonts();
}

void CPaintManagerUI::ForgetFonts() {
    d->qfonts.clear();
    d->defaultQFontReady = false;
    for (auto& [id, f] : d->fonts) f.tmHeight = 0;
    d->defaultFont.tmHeight = 0;
    d->sharedFontInfo.clear();
    d->sharedDefaultInfo.tmHeight = 0;
}

void CPaintManagerUI::FontsChanged(bool bShared) {
    LookChanged();
    if (!bShared) {
        ForgetFonts();
        NeedUpdate();
        return;
    }
    // Every open window takes the new fonts and lays itself out again (text heights follow).
    for (auto* m : Process().managers) {
        m->ForgetFonts();
        m->NeedUpdate();
    }
}

void CPaintManagerUI::SetDefaultFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic, bool bShared) {
    TFontInfo f{pStrFontName, nSize > 0 ? nSize : 12, bBold, bUnderline, bItalic, false, 0};
    if (bShared) {
        Process().sharedDefaultFont = f;
        Process().hasSharedDefaultFont = true;
    } else {
        d->defaultFont = f;
        d->hasDefaultFont = true;
    }
    FontsChanged(bShared);
}

void CPaintManagerUI::AddFont(int id, LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic, bool bShared) {
    TFontInfo f{pStrFontName, nSize > 0 ? nSize : 12, bBold, bUnderline, bItalic, false, 0};
    if (bShared) Process().sharedFonts[id] = f;
    else d->fonts[id] = f;
    FontsChanged(bShared);
}

void CPaintManagerUI::RemoveAllFonts(bool bShared) {
    if (bShared) {
        Process().sharedFonts.clear();
        Process().hasSharedDefaultFont = false;
    } else {
        d->fonts.clear();
        d->hasDefaultFont = false;
    }
    FontsChanged(bShared);
}

int CPaintManagerUI::GetNextFontId() const {
    int id = 0;
    while (d->fonts.count(id) || Process().sharedFonts.count(id)) ++id;
    return id;
}

namespace {

QFont MakeQFont(const TFontInfo& f, const CDPI& dpi) {
    QFont font;
    if (!f.sFontName.IsEmpty()) font.setFamilies({ToQ(f.sFontName)});
    font.setPixelSize(std::max(1, dpi.Scale(f.iSize)));
    font.setBold(f.bBold);
    font.setUnderline(f.bUnderline);
    font.setItalic(f.bItalic);
    font.setStrikeOut(f.bStrikeOut);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// The default font of a window that names none.
const TFontInfo kBuiltinDefaultFont{L"", 12, false, false, false, false, 0};

} // namespace

// Where the default font of this manager comes from: its own, its resource parent's, the
// shared one, or the built-in one.
CPaintManagerUI* CPaintManagerUI::DefaultFontSource() {
    if (!d->hasDefaultFont && m_pParentResourcePM) return m_pParentResourcePM->DefaultFontSource();
    return this;
}

const TFontInfo& CPaintManagerUI::DefaultFontOf() const {
    if (d->hasDefaultFont) return d->defaultFont;
    return Process().hasSharedDefaultFont ? Process().sharedDefaultFont : kBuiltinDefaultFont;
}

const TFontInfo* CPaintManagerUI::GetFontInfo(int id) {
    if (auto it = d->fonts.find(id); it != d->fonts.end()) {
        if (it->second.tmHeight == 0) it->second.tmHeight = QFontMetrics(GetQFont(id)).height();
        return &it->second;
    }
    if (auto shared = Process().sharedFonts.find(id); shared != Process().sharedFonts.end()) {
        auto [it, added] = d->sharedFontInfo.try_emplace(id, shared->second);
        if (added || it->second.tmHeight == 0) it->second.tmHeight = QFontMetrics(GetQFont(id)).height();
        return &it->second;
    }
    if (m_pParentResourcePM) return m_pParentResourcePM->GetFontInfo(id);
    return GetDefaultFontInfo();
}

const TFontInfo* CPaintManagerUI::GetDefaultFontInfo() {
    CPaintManagerUI* source = DefaultFontSource();
    if (source != this) return source->GetDefaultFontInfo();
    if (d->hasDefaultFont) {
        if (d->defaultFont.tmHeight == 0) d->defaultFont.tmHeight = QFontMetrics(GetQFont(-1)).height();
        return &d->defaultFont;
    }
    TFontInfo& info = d->sharedDefaultInfo;
    if (info.tmHeight == 0) {
        info = DefaultFontOf();
        info.tmHeight = QFontMetrics(GetQFont(-1)).height();
    }
    return &info;
}

const QFont& CPaintManagerUI::GetQFont(int id) {
    if (id >= 0) {
        if (auto it = d->qfonts.find(id); it != d->qfonts.end()) return it->second;
        const TFontInfo* f = nullptr;
        if (auto it = d->fonts.find(id); it != d->fonts.end()) f = &it->second;
        else if (auto it2 = Process().sharedFonts.find(id); it2 != Process().sharedFonts.end()) f = &it2->second;
        if (f) return d->qfonts.emplace(id, MakeQFont(*f, m_dpi)).first->second;
        if (m_pParentResourcePM) return m_pParentResourcePM->GetQFont(id);
    }
    CPaintManagerUI* source = DefaultFontSource();
    if (source != this) return source->GetQFont(-1);
    if (!d->defaultQFontReady) {
        d->defaultQFont = MakeQFont(DefaultFontOf(), m_dpi);
        d->defaultQFontReady = true;
    }
    return d->defaultQFont;
}

bool CPaintManagerUI::AddFontFile(LPCTSTR pstrFile) {
    QFile file(ToQ(GetResourceFile(pstrFile)));
    if (!file.open(QIODevice::ReadOnly)) return false;
    LookChanged();
    return QFontDatabase::addApplicationFontFromData(file.readAll()) >= 0;
}

// ================================================================ images

const TImageInfo* CPaintManagerUI::GetImage(LPCTSTR bitmap) { return GetImageEx(bitmap); }

const TImageInfo* CPaintManagerUI::GetImageEx(LPCTSTR bitmap, LPCTSTR type, DWORD mask) {
    if (!bitmap || !*bitmap) return nullptr;
    auto& known = Process().imagesByName;
    if (Process().imagesByNameSerial != GetLookSerial()) {
        known.clear();
        Process().imagesByNameSerial = GetLookSerial();
    }
    auto name = std::make_tuple(std::wstring(bitmap), mask, m_dpi.GetScale());
    if (auto it = known.find(name); it != known.end()) return it->second;
    const TImageInfo* info = LoadImage(bitmap, type, mask);
    known.emplace(std::move(name), info);
    return info;
}

const TImageInfo* CPaintManagerUI::LoadImage(LPCTSTR bitmap, LPCTSTR, DWORD mask) {
    CDuiString name(bitmap);
    if (LPCTSTR mapped = CResourceManager::GetInstance()->GetImagePath(bitmap)) name = mapped;
    CDuiString path = GetResourceFile(name);
    const int scale = m_dpi.GetScale();
    std::wstring key = path.str() + L"|" + std::to_wstring(mask) + L"|" + std::to_wstring(scale);
    auto& cache = Process().images;
    if (auto it = cache.find(key); it != cache.end()) return it->second ? &it->second->info : nullptr;

    auto entry = std::make_unique<ProcessState::CachedImage>();
    double sourceScale = 1.0;
    QString file = ToQ(path);
    const bool svg = file.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive);
    if (scale != 100 && !svg) {
        int dot = int(file.lastIndexOf(QLatin1Char('.')));
        int slash = int(file.lastIndexOf(QLatin1Char('/')));
        if (dot > slash) {
            QString variant = file.left(dot) + QStringLiteral("@%1").arg(scale) + file.mid(dot);
            if (QFileInfo::exists(variant) && entry->image.load(variant)) sourceScale = scale / 100.0;
        }
    }
    if (entry->image.isNull()) {
        if (svg) {
            QSvgRenderer renderer(file);
            if (renderer.isValid()) {
                QSize size = renderer.defaultSize() * (scale / 100.0);
                entry->image = QImage(size, QImage::Format_ARGB32_Premultiplied);
                entry->image.fill(Qt::transparent);
                QPainter p(&entry->image);
                renderer.render(&p);
                sourceScale = scale / 100.0;
            }
        } else {
            entry->image.load(file);
        }
    }
    if (entry->image.isNull()) {
        orvel::debuglog::Write("image not loaded: " + path.ToUtf8());
        cache[key] = nullptr;
        return nullptr;
    }
    bool alpha = entry->image.hasAlphaChannel();
    entry->image = entry->image.convertToFormat(QImage::Format_ARGB32);
    if (mask != 0) {
        for (int y = 0; y < entry->image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(entry->image.scanLine(y));
            for (int x = 0; x < entry->image.width(); ++x) {
                if ((line[x] | 0xFF000000u) == (mask | 0xFF000000u)) line[x] = 0;
            }
        }
        alpha = true;
    }
    entry->image = entry->image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    entry->info = TImageInfo{&entry->image, entry->image.width(), entry->image.height(), alpha, mask, sourceScale};
    const TImageInfo* result = &entry->info;
    cache[key] = std::move(entry);
    return result;
}

void CPaintManagerUI::RemoveAllImages() {
    LookChanged();
    CRenderEngine::ClearArrangedImages();
    Process().images.clear();
}

// ================================================================ defaults and styles

void CPaintManagerUI::AddDefaultAttributeList(LPCTSTR pStrControlName, LPCTSTR pStrControlAttrList, bool bShared) {
    if (!pStrControlName || !pStrControlAttrList) return;
    (bShared ? Process().sharedDefaults : d->defaults)[pStrControlName] = pStrControlAttrList;
}

LPCTSTR CPaintManagerUI::GetDefaultAttributeList(LPCTSTR pStrControlName) const {
    if (!pStrControlName) return nullptr;
    if (auto it = d->defaults.find(pStrControlName); it != d->defaults.end()) return it->second.c_str();
    if (auto it = Process().sharedDefaults.find(pStrControlName); it != Process().sharedDefaults.end()) return it->second.c_str();
    return m_pParentResourcePM ? m_pParentResourcePM->GetDefaultAttributeList(pStrControlName) : nullptr;
}

void CPaintManagerUI::AddStyle(LPCTSTR pName, LPCTSTR pStyle, bool bShared) {
    if (!pName || !pStyle) return;
    (bShared ? Process().sharedStyles : d->styles)[pName] = pStyle;
}

LPCTSTR CPaintManagerUI::GetStyle(LPCTSTR pName) const {
    if (!pName) return nullptr;
    if (auto it = d->styles.find(pName); it != d->styles.end()) return it->second.c_str();
    if (auto it = Process().sharedStyles.find(pName); it != Process().sharedStyles.end()) return it->second.c_str();
    return m_pParentResourcePM ? m_pParentResourcePM->GetStyle(pName) : nullptr;
}

// ================================================================ controls

bool CPaintManagerUI::AttachDialog(CControlUI* pControl) {
    if (!pControl) return false;
    SetFocus(nullptr);
    m_pEventKey = m_pEventHover = m_pEventClick = m_pEventRClick = nullptr;
    if (m_pRoot && m_pRoot != pControl) {
        CControlUI* old = m_pRoot;
        m_pRoot = nullptr;
        d->names.clear();
        delete old;
    }
    m_pRoot = pControl;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    bool ok = InitControls(pControl);
    pControl->Init();
    Invalidate();
    return ok;
}

bool CPaintManagerUI::InitControls(CControlUI* pControl, CControlUI* pParent) {
    if (!pControl) return false;
    pControl->SetManager(this, pParent ? pParent : pControl->GetParent(), true);
    pControl->FindControl(
        [](CControlUI* c, LPVOID data) -> CControlUI* {
            auto* self = static_cast<CPaintManagerUI*>(data);
            if (!c->GetName().IsEmpty()) self->d->names[c->GetName().str()] = c;
            return nullptr;
        },
        this, UIFIND_ALL);
    return true;
}

void CPaintManagerUI::ReapObjects(CControlUI* pControl) {
    if (!pControl) return;
    if (pControl == m_pEventKey) m_pEventKey = nullptr;
    if (pControl == m_pEventHover) m_pEventHover = nullptr;
    if (pControl == m_pEventClick) m_pEventClick = nullptr;
    if (pControl == m_pEventRClick) m_pEventRClick = nullptr;
    if (pControl == m_pFocus) m_pFocus = nullptr;
    KillTimer(pControl);
    if (!pControl->GetName().IsEmpty()) {
        auto it = d->names.find(pControl->GetName().str());
        if (it != d->names.end() && it->second == pControl) d->names.erase(it);
    }
    for (auto& [group, members] : d->optionGroups) members.erase(std::remove(members.begin(), members.end(), pControl), members.end());
    // The queued copy itself loses its sender: the call that delivers it holds it too.
    for (auto& n : d->asyncQueue) {
        if (n->pSender == pControl) n->pSender = nullptr;
    }
}

void CPaintManagerUI::RenameControl(CControlUI* pControl, LPCTSTR pstrOldName) {
    if (pstrOldName) {
        auto it = d->names.find(pstrOldName);
        if (it != d->names.end() && it->second == pControl) d->names.erase(it);
    }
    if (!pControl->GetName().IsEmpty()) d->names[pControl->GetName().str()] = pControl;
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const {
    if (!m_pRoot) return nullptr;
    return m_pRoot->FindControl(FindByPoint, &pt, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

CControlUI* CPaintManagerUI::FindControl(LPCTSTR pstrName) const {
    if (!pstrName) return nullptr;
    auto it = d->names.find(pstrName);
    return it == d->names.end() ? nullptr : it->second;
}

CControlUI* CPaintManagerUI::FindSubControlByPoint(CControlUI* pParent, POINT pt) const {
    if (!pParent) pParent = m_pRoot;
    if (!pParent) return nullptr;
    return pParent->FindControl(FindByPoint, &pt, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* pParent, LPCTSTR pstrName) const {
    if (!pParent) pParent = m_pRoot;
    if (!pParent || !pstrName) return nullptr;
    std::wstring name(pstrName);
    return pParent->FindControl(
        [](CControlUI* c, LPVOID data) -> CControlUI* {
            return c->GetName().str() == *static_cast<std::wstring*>(data) ? c : nullptr;
        },
        &name, UIFIND_ALL);
}

std::vector<CControlUI*> CPaintManagerUI::FindSubControlsByClass(CControlUI* pParent, LPCTSTR pstrClass) {
    std::vector<CControlUI*> found;
    if (!pParent) pParent = m_pRoot;
    if (!pParent || !pstrClass) return found;
    struct Ctx {
        std::wstring cls;
        std::vector<CControlUI*>* out;
    } ctx{pstrClass, &found};
    pParent->FindControl(
        [](CControlUI* c, LPVOID data) -> CControlUI* {
            auto* x = static_cast<Ctx*>(data);
            if (values::EqualNoCase(c->GetClass(), x->cls.c_str())) x->out->push_back(c);
            return nullptr;
        },
        &ctx, UIFIND_ALL);
    return found;
}

CControlUI* CPaintManagerUI::FindSubControlByClass(CControlUI* pParent, LPCTSTR pstrClass, int iIndex) {
    auto all = FindSubControlsByClass(pParent, pstrClass);
    return iIndex >= 0 && iIndex < int(all.size()) ? all[size_t(iIndex)] : nullptr;
}

bool CPaintManagerUI::AddOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl) {
    if (!pStrGroupName || !*pStrGroupName || !pControl) return false;
    auto& members = d->optionGroups[pStrGroupName];
    if (std::find(members.begin(), members.end(), pControl) != members.end()) return false;
    members.push_back(pControl);
    return true;
}

std::vector<CControlUI*>* CPaintManagerUI::GetOptionGroup(LPCTSTR pStrGroupName) {
    auto it = d->optionGroups.find(pStrGroupName ? pStrGroupName : L"");
    return it == d->optionGroups.end() ? nullptr : &it->second;
}

void CPaintManagerUI::RemoveOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl) {
    auto it = d->optionGroups.find(pStrGroupName ? pStrGroupName : L"");
    if (it == d->optionGroups.end()) return;
    auto& m = it->second;
    m.erase(std::remove(m.begin(), m.end(), pControl), m.end());
    if (m.empty()) d->optionGroups.erase(it);
}

void CPaintManagerUI::RemoveAllOptionGroups() { d->optionGroups.clear(); }

// ================================================================ focus

void CPaintManagerUI::SetFocus(CControlUI* pControl) {
    if (pControl == m_pFocus) return;
    if (pControl && (!pControl->IsVisible() || !pControl->IsEnabled())) return;
    CControlUI* old = m_pFocus;
    InvalidateFocusRing(old);
    InvalidateFocusRing(pControl);
    m_pFocus = nullptr;
    if (old) {
        TEventUI ev;
        ev.Type = UIEVENT_KILLFOCUS;
        ev.pSender = pControl;
        ev.dwTimestamp = GetTickCount();
        old->Event(ev);
        SendNotify(old, DUI_MSGTYPE_KILLFOCUS);
    }
    if (pControl && pControl->GetManager() == this) {
        m_pFocus = pControl;
        if (m_pHost && !m_pHost->hasFocus() && m_pHost->isVisible()) m_pHost->setFocus(Qt::OtherFocusReason);
        TEventUI ev;
        ev.Type = UIEVENT_SETFOCUS;
        ev.pSender = pControl;
        ev.dwTimestamp = GetTickCount();
        m_pFocus->Event(ev);
        if (m_pFocus) {
            a11y::Focused(m_pFocus);
            SendNotify(m_pFocus, DUI_MSGTYPE_SETFOCUS);
        }
    }
}

namespace {

RECT Inflated(const RECT& rc, int by) { return RECT{rc.left - by, rc.top - by, rc.right + by, rc.bottom + by}; }

} // namespace

void CPaintManagerUI::InvalidateFocusRing(CControlUI* pControl) {
    if (d->focusVisible && pControl) Invalidate(Inflated(pControl->GetPos(), m_dpi.Scale(d->focusRingSize)));
}

bool CPaintManagerUI::IsFocusRingShown() const { return d->focusVisible && m_pFocus && m_pFocus->IsVisible() && d->focusRingSize > 0; }

void CPaintManagerUI::ShowFocusRing(bool bShow) {
    if (d->focusVisible == bShow) return;
    InvalidateFocusRing(m_pFocus);
    d->focusVisible = bShow;
    InvalidateFocusRing(m_pFocus);
}

void CPaintManagerUI::SetFocusNeeded(CControlUI* pControl) {
    SetFocus(nullptr);
    m_bFocusNeeded = pControl != nullptr;
    if (pControl) SetFocus(pControl);
}

bool CPaintManagerUI::SetNextTabControl(bool bForward) {
    if (!m_pRoot) return false;
    std::vector<CControlUI*> stops;
    m_pRoot->FindControl(
        [](CControlUI* c, LPVOID data) -> CControlUI* {
            if ((c->GetControlFlags() & UIFLAG_TABSTOP) && c->IsKeyboardEnabled()) static_cast<std::vector<CControlUI*>*>(data)->push_back(c);
            return nullptr;
        },
        &stops, UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
    if (stops.empty()) return false;
    auto it = std::find(stops.begin(), stops.end(), m_pFocus);
    size_t next;
    if (it == stops.end()) next = bForward ? 0 : stops.size() - 1;
    else {
        size_t i = size_t(it - stops.begin());
        next = bForward ? (i + 1) % stops.size() : (i + stops.size() - 1) % stops.size();
    }
    SetFocus(stops[next]);
    return true;
}

// ================================================================ timers

bool CPaintManagerUI::SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse) {
    if (!pControl) return false;
    KillTimer(pControl, nTimerID);
    int id = d->timers->startTimer(int(std::max<UINT>(uElapse, 1)));
    if (id == 0) return false;
    d->timers->timers[id] = TimerHost::Entry{pControl, nTimerID};
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* pControl, UINT nTimerID) {
    for (auto it = d->timers->timers.begin(); it != d->timers->timers.end(); ++it) {
        if (it->second.control == pControl && it->second.id == nTimerID) {
            d->timers->killTimer(it->first);
            d->timers->timers.erase(it);
            return true;
        }
    }
    return false;
}

void CPaintManagerUI::KillTimer(CControlUI* pControl) {
    for (auto it = d->timers->timers.begin(); it != d->timers->timers.end();) {
        if (it->second.control == pControl) {
            d->timers->killTimer(it->first);
            it = d->timers->timers.erase(it);
        } else {
            ++it;
        }
    }
}

void CPaintManagerUI::RemoveAllTimers() {
    for (auto& [id, e] : d->timers->timers) d->timers->killTimer(id);
    d->timers->timers.clear();
}

// ================================================================ notifications

bool CPaintManagerUI::AddNotifier(INotifyUI* p) { return AddListener(d->notifiers, p); }

bool CPaintManagerUI::RemoveNotifier(INotifyUI* p) { return RemoveListener(d->notifiers, p); }

void CPaintManagerUI::SendNotify(TNotifyUI& Msg, bool bAsync) {
    Msg.ptMouse = m_ptLastMousePos;
    Msg.dwTimestamp = GetTickCount();
    if (Msg.pSender && Msg.sVirtualWnd.IsEmpty()) Msg.sVirtualWnd = Msg.pSender->GetVirtualWnd();
    if (bAsync) {
        auto copy = std::make_shared<TNotifyUI>(Msg);
        d->asyncQueue.push_back(copy);
        QTimer::singleShot(0, d->timers.get(), [this, copy] {
            auto& q = d->asyncQueue;
            q.erase(std::remove(q.begin(), q.end(), copy), q.end());
            if (copy->pSender || copy->sType == DUI_MSGTYPE_WINDOWSIZE) SendNotify(*copy, false);
        });
        return;
    }
    if (Msg.pSender) {
        for (auto& handler : Msg.pSender->OnNotify) handler(Msg);
    }
    for (auto* n : std::vector<INotifyUI*>(d->notifiers)) {
        if (std::find(d->notifiers.begin(), d->notifiers.end(), n) == d->notifiers.end()) continue;
        n->Notify(Msg);
    }
}

void CPaintManagerUI::SendNotify(CControlUI* pControl, LPCTSTR pstrMessage, WPARAM wParam, LPARAM lParam, bool bAsync) {
    TNotifyUI msg;
    msg.pSender = pControl;
    msg.sType = pstrMessage;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, bAsync);
}

bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* p) { return AddListener(d->preFilters, p); }
bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* p) { return RemoveListener(d->preFilters, p); }
bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* p) { return AddListener(d->filters, p); }
bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* p) { return RemoveListener(d->filters, p); }

bool CPaintManagerUI::PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
    return RunMessageFilters(d->preFilters, uMsg, wParam, lParam, lRes);
}

bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
    return RunMessageFilters(d->filters, uMsg, wParam, lParam, lRes);
}

// ================================================================ painting

void CPaintManagerUI::Invalidate() {
    if (m_pHost) m_pHost->update();
}

void CPaintManagerUI::Invalidate(const RECT& rc) {
    if (!m_pHost || IsRectEmpty(rc)) return;
    // The window paints everything inside the bounding rectangle of what changed anyway; asked
    // for as one rectangle, the paint is not clipped to a region of many (a keyboard's keys),
    // through which every picture would be blended span by span.
    d->pendingPaint |= QRect(rc.left + m_rcClientMargin.left, rc.top + m_rcClientMargin.top, rc.right - rc.left, rc.bottom - rc.top);
    m_pHost->update(d->pendingPaint);
}

void CPaintManagerUI::UpdateLayout() {
    if (!m_pRoot) return;
    if (!m_bUpdateNeeded && !m_pRoot->IsUpdateNeeded()) return;
    SIZE client = GetClientSize();
    m_bUpdateNeeded = false;
    m_pRoot->SetPos(RECT{0, 0, client.cx, client.cy}, false);
    if (m_bFirstLayout) {
        m_bFirstLayout = false;
        SendNotify(m_pRoot, DUI_MSGTYPE_WINDOWINIT);
        if (m_bUpdateNeeded && m_pRoot) {
            m_bUpdateNeeded = false;
            m_pRoot->SetPos(RECT{0, 0, client.cx, client.cy}, false);
        }
    }
}

void CPaintManagerUI::Paint(HDC hDC, const RECT& rcPaint) {
    d->pendingPaint = QRect();
    UpdateLayout();
    if (!m_pRoot) return;
    hDC->setRenderHint(QPainter::Antialiasing, false);
    if (m_bLayered && !d->layeredImage.empty()) {
        // The layered window's background image, under everything.
        TDrawInfo info;
        info.Parse(d->layeredImage.c_str());
        info.uFade = d->layeredOpacity;
        const SIZE client = GetClientSize();
        CRenderEngine::DrawImageInfo(hDC, this, RECT{0, 0, client.cx, client.cy}, rcPaint, info);
    }
    m_pRoot->Paint(hDC, rcPaint);
    if (IsFocusRingShown()) {
        // Outside the control, so that it covers none of it.
        const int size = m_dpi.Scale(d->focusRingSize);
        const SIZE round = m_pFocus->GetBorderRound();
        const RECT ring = Inflated(m_pFocus->GetPos(), size);
        if (round.cx > 0 || round.cy > 0) CRenderEngine::DrawRoundRect(hDC, ring, size, m_dpi.Scale(round.cx) + 2 * size, m_dpi.Scale(round.cy) + 2 * size, d->focusRingColor);
        else CRenderEngine::DrawRect(hDC, ring, size, d->focusRingColor);
    }
}

bool CPaintManagerUI::IsClientOpaque() const {
    if (!m_pRoot || !m_pRoot->IsVisible()) return false;
    auto opaque = [](DWORD c) { return (c >> 24) == 0xFF; };
    const DWORD bk2 = m_pRoot->GetBkColor2(), bk3 = m_pRoot->GetBkColor3();
    if (!opaque(m_pRoot->GetBkColor()) || (bk2 != 0 && !opaque(bk2)) || (bk2 != 0 && bk3 != 0 && !opaque(bk3))) return false;
    const SIZE round = m_pRoot->GetBorderRound();
    if (round.cx > 0 || round.cy > 0) return false;
    const RECT& rc = m_pRoot->GetPos();
    const SIZE client = GetClientSize();
    return rc.left <= 0 && rc.top <= 0 && rc.right >= client.cx && rc.bottom >= client.cy;
}

bool CPaintManagerUI::RenderToImage(QImage* pImage, SIZE szClient) {
    if (!pImage || !m_pRoot || szClient.cx <= 0 || szClient.cy <= 0) return false;
    *pImage = QImage(szClient.cx, szClient.cy, QImage::Format_ARGB32_Premultiplied);
    pImage->fill(Qt::transparent);
    if (!m_pHost) {
        m_bUpdateNeeded = true;
        m_szInitWindowSize = SIZE{szClient.cx * 100 / m_dpi.GetScale(), szClient.cy * 100 / m_dpi.GetScale()};
    } else if (SIZE now = GetClientSize(); now.cx != szClient.cx || now.cy != szClient.cy) {
        const RECT& m = m_rcClientMargin;
        m_pHost->resize(szClient.cx + m.left + m.right, szClient.cy + m.top + m.bottom);
        m_bUpdateNeeded = true;
    }
    QPainter painter(pImage);
    Paint(&painter, RECT{0, 0, szClient.cx, szClient.cy});
    return true;
}

// ================================================================ input

void CPaintManagerUI::DispatchEvent(TEventUI& event) {
    if (!event.pSender) return;
    event.dwTimestamp = GetTickCount();
    event.pSender->Event(event);
}

struct ManagerEvents {
    static void Send(CPaintManagerUI* m, CControlUI* target, int type, POINT pt, WORD keyState, WPARAM wParam = 0, LPARAM lParam = 0) {
        if (!target) return;
        TEventUI ev;
        ev.Type = type;
        ev.pSender = target;
        ev.ptMouse = pt;
        ev.wKeyState = keyState;
        ev.wParam = wParam;
        ev.lParam = lParam;
        m->DispatchEvent(ev);
    }

    static void Hover(CPaintManagerUI* m, POINT pt, WORD keyState) {
        CControlUI* now = m->FindControl(pt);
        if (now == m->m_pEventHover) return;
        CControlUI* old = m->m_pEventHover;
        m->m_pEventHover = now;
        Send(m, old, UIEVENT_MOUSELEAVE, pt, keyState);
        if (m->m_pEventHover) Send(m, m->m_pEventHover, UIEVENT_MOUSEENTER, pt, keyState);
        if (m->m_pHost) {
            CDuiString tip = m->m_pEventHover ? m->m_pEventHover->GetToolTip() : CDuiString();
            m->m_pHost->setToolTip(ToQ(tip));
            m->m_pHost->setCursor(CursorOf(m->m_pEventHover));
        }
    }
};

POINT CPaintManagerUI::ToClient(const QPointF& widgetPos) const {
    return POINT{int(widgetPos.x()) - m_rcClientMargin.left, int(widgetPos.y()) - m_rcClientMargin.top};
}

bool CPaintManagerUI::HandleQtEvent(QEvent* e) {
    switch (e->type()) {
    case QEvent::Resize: {
        m_bUpdateNeeded = true;
        if (m_pRoot && !m_bFirstLayout) SendNotify(m_pRoot, DUI_MSGTYPE_WINDOWSIZE, 0, 0, true);
        if (m_pFocus) ManagerEvents::Send(this, m_pFocus, UIEVENT_WINDOWSIZE, m_ptLastMousePos, 0);
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        ShowFocusRing(false);
        auto* me = static_cast<QMouseEvent*>(e);
        POINT pt = ToClient(me->position());
        m_ptLastMousePos = pt;
        WORD ks = KeyState(me->modifiers(), me->buttons());
        CControlUI* c = FindControl(pt);
        if (!c) return true;
        bool dbl = e->type() == QEvent::MouseButtonDblClick;
        if (me->button() == Qt::LeftButton) {
            m_pEventClick = c;
            SetFocus(c);
            if (m_pEventClick) ManagerEvents::Send(this, m_pEventClick, dbl ? UIEVENT_DBLCLICK : UIEVENT_BUTTONDOWN, pt, ks);
        } else if (me->button() == Qt::RightButton) {
            m_pEventRClick = c;
            SetFocus(c);
            if (m_pEventRClick) ManagerEvents::Send(this, m_pEventRClick, UIEVENT_RBUTTONDOWN, pt, ks);
        } else if (me->button() == Qt::MiddleButton) {
            ManagerEvents::Send(this, c, UIEVENT_MBUTTONDOWN, pt, ks);
        }
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(e);
        POINT pt = ToClient(me->position());
        m_ptLastMousePos = pt;
        WORD ks = KeyState(me->modifiers(), me->buttons());
        if (me->button() == Qt::LeftButton) {
            CControlUI* c = m_pEventClick;
            m_pEventClick = nullptr;
            ManagerEvents::Send(this, c, UIEVENT_BUTTONUP, pt, ks);
            ManagerEvents::Hover(this, pt, ks);
        } else if (me->button() == Qt::RightButton) {
            ManagerEvents::Send(this, FindControl(pt), UIEVENT_RBUTTONUP, pt, ks);
            CControlUI* c = m_pEventRClick;
            m_pEventRClick = nullptr;
            if (c) ManagerEvents::Send(this, c, UIEVENT_CONTEXTMENU, pt, ks, WPARAM(m_hWndPaint), LPARAM(c));
        } else if (me->button() == Qt::MiddleButton) {
            ManagerEvents::Send(this, FindControl(pt), UIEVENT_MBUTTONUP, pt, ks);
        }
        return true;
    }
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(e);
        POINT pt = ToClient(me->position());
        m_ptLastMousePos = pt;
        WORD ks = KeyState(me->modifiers(), me->buttons());
        if (m_pEventClick) {
            ManagerEvents::Send(this, m_pEventClick, UIEVENT_MOUSEMOVE, pt, ks, ks);
            return true;
        }
        ManagerEvents::Hover(this, pt, ks);
        if (m_pEventHover) ManagerEvents::Send(this, m_pEventHover, UIEVENT_MOUSEMOVE, pt, ks, ks);
        return true;
    }
    case QEvent::Leave: {
        if (m_pEventClick) return false;
        CControlUI* old = m_pEventHover;
        m_pEventHover = nullptr;
        ManagerEvents::Send(this, old, UIEVENT_MOUSELEAVE, m_ptLastMousePos, 0);
        return false;
    }
    case QEvent::Wheel: {
        auto* we = static_cast<QWheelEvent*>(e);
        POINT pt = ToClient(we->position());
        m_ptLastMousePos = pt;
        int delta = we->angleDelta().y();
        if (delta == 0) return true;
        CControlUI* c = FindControl(pt);
        WPARAM wp = WPARAM(delta > 0 ? 0 : 1) | (WPARAM(std::uint16_t(std::int16_t(delta))) << 16);
        ManagerEvents::Send(this, c, UIEVENT_SCROLLWHEEL, pt, KeyState(we->modifiers(), we->buttons()), wp);
        return true;
    }
    case QEvent::KeyPress: {
        auto* ke = static_cast<QKeyEvent*>(e);
        WORD ks = KeyState(ke->modifiers(), {});
        ShowFocusRing(true);
        // The window's own key handling comes first (Escape cancels a dialog).
        LRESULT filtered = 0;
        if (PreMessageHandler(kWmKeyDown, VirtualKey(ke->key()), 0, filtered)) return true;
        if (ke->key() == Qt::Key_F4 && (ke->modifiers() & Qt::AltModifier)) {
            // The system close, as the title bar's close gives it; posted, since it may end
            // the window (and this manager) at once.
            if (m_hWndPaint) orvel::PostMessageW(m_hWndPaint, orvel::WM_SYSCOMMAND, orvel::SC_CLOSE, 0);
            return true;
        }
        if (ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) {
            if (m_pFocus && (m_pFocus->GetControlFlags() & UIFLAG_WANTRETURN) && ke->key() == Qt::Key_Tab) {
                // controls that want tabs receive them
            } else {
                SetNextTabControl(ke->key() == Qt::Key_Tab && !(ke->modifiers() & Qt::ShiftModifier));
                return true;
            }
        }
        if (!m_pFocus) return false;
        m_pEventKey = m_pFocus;
        TEventUI ev;
        ev.Type = (ke->modifiers() & Qt::AltModifier) ? UIEVENT_SYSKEY : UIEVENT_KEYDOWN;
        ev.pSender = m_pFocus;
        ev.chKey = VirtualKey(ke->key());
        ev.wKeyState = ks;
        ev.ptMouse = m_ptLastMousePos;
        DispatchEvent(ev);
        QString text = ke->text();
        if (m_pFocus && !text.isEmpty() && text[0].isPrint()) {
            TEventUI ch = ev;
            ch.Type = UIEVENT_CHAR;
            ch.pSender = m_pFocus;
            ch.chKey = TCHAR(text[0].unicode());
            DispatchEvent(ch);
        }
        return true;
    }
    case QEvent::KeyRelease: {
        auto* ke = static_cast<QKeyEvent*>(e);
        if (!m_pEventKey) return false;
        CControlUI* c = m_pEventKey;
        m_pEventKey = nullptr;
        TEventUI ev;
        ev.Type = UIEVENT_KEYUP;
        ev.pSender = c;
        ev.chKey = VirtualKey(ke->key());
        ev.wKeyState = KeyState(ke->modifiers(), {});
        DispatchEvent(ev);
        return true;
    }
    default:
        return false;
    }
}

} // namespace DuiLib
