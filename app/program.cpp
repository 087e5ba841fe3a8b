#include "app/program.h"

#include "app/app_messages.h"
#include "app/instance.h"
#include "app/main_wnd.h"
#include "app/screenshot.h"
#include "devices/qt/page_controls.h"
#include "platform/debuglog.h"
#include "platform/paths.h"
#include "ui/xmlfile.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <ctime>
#include <sys/socket.h>
#include <unistd.h>

#include <pugixml.hpp>

#include <cstdio>
#include <filesystem>

namespace orvel::app {

using namespace DuiLib;

namespace {

// The private fonts, in loading order; any that is missing is skipped.
constexpr const char* kPrivateFonts[] = {"Font\\Simplified_Chinese.ttf", "Font\\Zuvevode-Regular.otf",
                                         "Font\\NotoSansThai-Regular.ttf", "Font\\NotoSansCJKtc-Regular.otf"};

// The layouts the program opens (res.xml ids or files of the skin folder).
constexpr const wchar_t* kLayouts[] = {
    L"XML_MAIN",
    L"XML_MSG",
    L"AboutWnd.xml",
    L"menu.xml",
    L"skin.xml",
    L"XML\\CustomControlXML\\DeviceOption.xml",
    L"XML\\CustomControlXML\\DevicePower.xml",
    L"XML\\DeviceXml\\mousedevice.xml",
    L"XML\\DeviceXml\\keyboarddevice.xml",
    L"XML\\DeviceXml\\mousepaddevice.xml",
    L"XML\\DeviceXml\\hs6533device.xml",
};

class PrivateFonts {
public:
    PrivateFonts()
    {
        for (const char* name : kPrivateFonts) {
            QFile file(QString::fromStdString(paths::FromBackslashName(paths::ProgramFolder(), name).string()));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const int id = QFontDatabase::addApplicationFontFromData(file.readAll());
            if (id >= 0)
                ids_.push_back(id);
        }
    }
    // Removed in the reverse order of loading.
    ~PrivateFonts()
    {
        for (auto it = ids_.rbegin(); it != ids_.rend(); ++it)
            QFontDatabase::removeApplicationFont(*it);
    }

private:
    std::vector<int> ids_;
};

// stderr always; a message box too where a real display can show one.
void Complain(const std::string& text)
{
    std::fprintf(stderr, "varno-orvel-80: %s\n", text.c_str());
    const QString platform = QGuiApplication::platformName();
    if (platform != "offscreen" && platform != "minimal")
        QMessageBox::critical(nullptr, "VARNO Orvel 80", QString::fromStdString(text));
}

// SIGINT and SIGTERM end the program as the tray's "exit" does: the handler only writes a byte
// that the UI thread reads.
int gSignalFd[2] = {-1, -1};

void OnStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(gSignalFd[1], &byte, 1);
}

class StopSignals {
public:
    explicit StopSignals(CMainWnd& window)
    {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalFd) != 0)
            return;
        notifier_ = std::make_unique<QSocketNotifier>(gSignalFd[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [&window] {
            char byte = 0;
            [[maybe_unused]] const ssize_t n = ::read(gSignalFd[0], &byte, 1);
            window.ExitProgram();
        });
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        ::sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, nullptr);
        ::sigaction(SIGTERM, &action, nullptr);
    }
    ~StopSignals()
    {
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
        notifier_.reset();
        for (int& fd : gSignalFd) {
            if (fd >= 0)
                ::close(fd);
            fd = -1;
        }
    }

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

// Writes one debug line when the main window is first painted on screen, with the monotonic
// clock's milliseconds, so start-up can be measured from outside (bench/app).
class FirstPaintReport : public QObject {
public:
    explicit FirstPaintReport(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == widget_ && event->type() == QEvent::Paint && widget_->isVisible()) {
            timespec now{};
            ::clock_gettime(CLOCK_MONOTONIC, &now);
            debuglog::Writef("main window painted at %lld ms", static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000);
            widget_->removeEventFilter(this);
        }
        return false;
    }

private:
    QWidget* widget_;
};

int Usage()
{
    std::fprintf(stderr, "usage: varno-orvel-80 [--screenshot FOLDER]\n");
    return kExitUsage;
}

} // namespace

std::string CheckSkin(const std::string& skinFolder)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_directory(skinFolder, ec))
        return "the skin folder " + skinFolder + " is missing";
    CPaintManagerUI::SetResourcePath(CDuiString::FromUtf8(skinFolder));
    CResourceManager::GetInstance()->Release();
    if (!fs::is_regular_file(fs::path(skinFolder) / "res.xml", ec))
        return "the skin's res.xml is missing (" + skinFolder + "res.xml)";
    if (!CResourceManager::GetInstance()->LoadResource(L"res.xml"))
        return "the skin's res.xml cannot be read (" + skinFolder + "res.xml)";
    for (const wchar_t* layout : kLayouts) {
        const CDuiString name(layout);
        LPCTSTR mapped = CResourceManager::GetInstance()->GetXmlPath(layout);
        const std::string file = CPaintManagerUI::GetResourceFile(mapped != nullptr ? mapped : layout).ToUtf8();
        if (!fs::is_regular_file(file, ec))
            return "the layout " + name.ToUtf8() + " of the skin is missing (" + file + ")";
        pugi::xml_document doc;
        if (!xmlfile::Load(doc, layout, true) || !doc.document_element())
            return "the layout " + name.ToUtf8() + " of the skin is broken (" + file + ")";
    }
    return {};
}

std::string SetUpToolkit(const std::string& skinFolder)
{
    CPaintManagerUI::SetInstance(nullptr);
    CPaintManagerUI::SetResourceType(UILIB_FILE);
    if (std::string problem = CheckSkin(skinFolder); !problem.empty())
        return problem;
    RegisterCustomControls();
    pages::RegisterPageControls();
    return {};
}

int RunProgram(int argc, char** argv)
{
    std::string screenshotFolder;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--screenshot" && i + 1 < argc)
            screenshotFolder = argv[++i];
        else
            return Usage();
    }
    QApplication qt(argc, argv);
    // The window hides to the tray; the program ends from there, not with its last window.
    QApplication::setQuitOnLastWindowClosed(false);
    PrivateFonts fonts;

    const RegisteredMessages& messages = RegisterProgramMessages();
    if (messages.instance == 0) {
        Complain("the program's window messages could not be registered");
        return kExitFailed;
    }
    ipc::NamedMutex instance = TakeInstanceLock();
    if (instance.status() == ipc::NamedMutex::Status::AlreadyExists) {
        BringRunningInstanceForward();
        return kExitOk;
    }
    if (instance.status() == ipc::NamedMutex::Status::Failed)
        std::fprintf(stderr, "varno-orvel-80: warning: %s; another start would not find this one\n",
                     instance.error().c_str());

    if (const std::string problem = SetUpToolkit((paths::ProgramFolder() / "skin").string() + "/"); !problem.empty()) {
        Complain(problem);
        return kExitFailed;
    }

    int code = kExitOk;
    {
        CMainWnd window;
        // Hidden: the window shows itself once the first device scan is done.
        if (window.Create(nullptr, L"VARNO Orvel 80", WS_POPUP, 0, 0, 0, 800, 572) == nullptr ||
            window.GetPaintManager().GetRoot() == nullptr) {
            Complain("the main window could not be built from the skin's XML_MAIN layout");
            return kExitFailed;
        }
        window.SetIcon(107);
        window.CenterWindow();
        // The first layout, done while the window is hidden, reports "windowinit": the window
        // starts its workers and shows itself after the first device scan.
        window.GetPaintManager().NeedUpdate();
        window.GetPaintManager().UpdateLayout();
        StopSignals signals(window);
        FirstPaintReport firstPaint(window.GetWidget());
        std::unique_ptr<ScreenshotRun> screenshots;
        if (!screenshotFolder.empty())
            screenshots = std::make_unique<ScreenshotRun>(window, screenshotFolder);
        CPaintManagerUI::MessageLoop();
        if (screenshots && !screenshots->Succeeded())
            code = kExitFailed;
    }
    CResourceManager::GetInstance()->Release();
    return code;
}

} // namespace orvel::app
