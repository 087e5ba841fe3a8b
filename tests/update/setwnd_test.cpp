// The settings window against the local HTTPS server: its rows and page in each state, the
// download with its refused close, the folder button, and the window as the main window opens
// it (beside it, with the devices' firmware, the language switch, the program's end).

#include "app/program.h"
#include "devices/qt/user_messages.h"
#include "tests/app/window_bench.h"
#include "tests/support/file_text.h"
#include "tests/support/pictures.h"
#include "tests/update/service_fixture.h"
#include "update/qt/setwnd.h"
#include "update/qt/update_info_list_item.h"
#include "update/update_files.h"
#include "update/update_messages.h"

#include <QTimer>

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>
#include <utility>

namespace orvel::update {
namespace {

using namespace DuiLib;
using namespace std::chrono_literals;
using app::testing::SpinUntil;
using testing::HeldPackage;
using testing::VersionsByAppKey;
using testing::RecordedRequest;
using testing::ScriptedReply;

// Stands in for the main window: keeps what the settings window sends it.
class MainStandIn : public IMessageHandler {
public:
    MainStandIn() : hwnd(CreateWindowHandle(this, L"MainWnd")) {}
    ~MainStandIn() override { DestroyWindowHandle(hwnd); }
    LRESULT HandleMessage(HWND, UINT msg, WPARAM wParam, LPARAM) override
    {
        got.emplace_back(msg, wParam);
        return 0;
    }
    std::size_t Count(UINT msg) const
    {
        return static_cast<std::size_t>(std::count_if(got.begin(), got.end(), [msg](const auto& m) { return m.first == msg; }));
    }
    HWND hwnd;
    std::vector<std::pair<UINT, WPARAM>> got;
};

// The languages and DPIs the window is shown in.
constexpr std::pair<const char*, int> kLooks[] = {{"lan_en.xml", 96}, {"lan_cn.xml", 96}, {"lan_en.xml", 144}, {"lan_cn.xml", 144}};

class SettingsWindow : public testing::UpdateServiceTest {
protected:
    void SetUp() override
    {
        UpdateServiceTest::SetUp();
        uitest::App();
        ASSERT_EQ(app::SetUpToolkit((orvel::testing::SourceFolder() / "skin").string() + "/"), "");
        pages::SetMessageBox([this](HWND, const CDuiString& text) { shown.push_back(text.ToUtf8()); });
        devices[kProductMouse] = {0x0102, false};
        devices[kProductKeyboard] = {0x0102, true};
    }
    void TearDown() override
    {
        if (window && window->GetHWND() != nullptr) {
            window->EndWithProgram();
            SpinUntil([&] { return window->GetHWND() == nullptr; }, 2000ms);
        }
        window.reset();
        pages::SetMessageBox(nullptr);
    }

    // The mouse is offered newer firmware (the emulated one has V0105), the keyboard has the
    // newest, the program's check fails.
    void ServeVersions(std::function<ScriptedReply(const RecordedRequest&)> package = {})
    {
        server_->SetHandler(VersionsByAppKey(server_->Origin(), "0106", {500, {}, "down for maintenance"}, package));
    }

    void Open(const char* language, ServiceAddress address)
    {
        CResourceManager::GetInstance()->LoadLanguage(CDuiString::FromUtf8(language));
        SetWndSetup setup;
        setup.mainWindow = main.hwnd;
        // The combo shows the language the texts are in.
        setup.languageIndex = std::string_view(language) == "lan_cn.xml" ? 1 : 0;
        setup.products = PresentProducts(devices);
        setup.address = std::move(address);
        setup.queryOptions = TestOptions();
        setup.downloadOptions = TestOptions(20000);
        setup.lastCheckFile = env_.path() / "data" / "updatetime.config";
        setup.downloadFolder = env_.path() / "cache" / "UpdateData";
        setup.today = [] { return std::string("2024-3-7"); };
        window = std::make_unique<CSetWnd>(std::move(setup), std::vector<CDuiString>{L"English", L"简体中文"}, dpi);
        ASSERT_NE(window->Create(nullptr, L"SetWnd", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, CSetWnd::kWidth,
                                 CSetWnd::kHeight),
                  nullptr);
    }
    void Open(const char* language = "lan_en.xml") { Open(language, Address()); }

    CControlUI* Find(const wchar_t* name) { return window->GetPaintManager().FindControl(name); }
    CControlUI* InRow(std::size_t row, const wchar_t* name)
    {
        return window->GetPaintManager().FindSubControlByName(window->Rows().at(row), name);
    }
    void Click(CControlUI* control) { window->GetPaintManager().SendNotify(control, DUI_MSGTYPE_CLICK); }
    std::string Text(CControlUI* control) { return control->GetText().ToUtf8(); }
    std::string Resolved(const char* key) { return CResourceManager::GetInstance()->GetText(CDuiString::FromUtf8(key)).ToUtf8(); }
    bool PageSays(const char* key) { return Text(Find(L"Update_Status_text")).rfind(Resolved(key), 0) == 0; }
    bool Closed() { return window->GetHWND() == nullptr; }
    // The window as a picture named after its language, DPI and state.
    void Picture(const char* language, const std::string& state)
    {
        orvel::testing::SavePicture(window->GetWidget(), std::string("setwnd-") +
                                                             (std::string_view(language) == "lan_cn.xml" ? "cn-" : "en-") +
                                                             std::to_string(dpi) + "-" + state);
    }

    std::array<DeviceVersion, kFirmwareProductCount> devices{};
    MainStandIn main;
    std::unique_ptr<CSetWnd> window;
    int dpi = 96;
    std::vector<std::string> shown;
};

TEST_F(SettingsWindow, EachRowShowsItsAnswerInItsColours)
{
    struct Row {
        const char* name;
        const char* current;
        const char* offered;
        const char* state;
        DWORD colour;
        bool tickable;
    };
    const Row rows[] = {
        {"update_product_MS", "V0102", "V0106", "NeedUpdateText", 0xFF0099FF, true},
        {"update_product_KB", "V0102", "", "UpdateOkText", 0xFFFFFFFF, false},
        {"update_product_AP", "V1.0.0.0", "", "UpdateCheckFailText", 0xFF666666, false},
    };
    ServeVersions();
    for (const auto& [language, shownDpi] : kLooks) {
        SCOPED_TRACE(std::string(language) + " " + std::to_string(shownDpi));
        dpi = shownDpi;
        Open(language);
        ASSERT_EQ(window->Rows().size(), 3u);
        EXPECT_TRUE(Find(L"update_status_ring")->IsVisible()) << "checking";
        ASSERT_TRUE(SpinUntil([&] {
            return PageSays("HaveUpdateInfoText") && Text(InRow(2, L"update_status_text")) == Resolved("UpdateCheckFailText");
        }));
        EXPECT_FALSE(Find(L"update_status_ring")->IsVisible());
        EXPECT_TRUE(Find(L"update_fw_and_ap")->IsVisible());
        for (std::size_t i = 0; i < std::size(rows); ++i) {
            SCOPED_TRACE(rows[i].name);
            auto* tick = static_cast<COptionUI*>(InRow(i, L"check_name_select"));
            EXPECT_EQ(Text(tick), Resolved(rows[i].name));
            EXPECT_EQ(tick->IsEnabled(), rows[i].tickable);
            EXPECT_EQ(Text(InRow(i, L"OldRev")), rows[i].current);
            EXPECT_EQ(Text(InRow(i, L"updateRev")), rows[i].offered);
            EXPECT_EQ(InRow(i, L"updateRev")->IsVisible(), *rows[i].offered != '\0');
            auto* state = static_cast<CLabelUI*>(InRow(i, L"update_status_text"));
            EXPECT_EQ(Text(state), Resolved(rows[i].state));
            EXPECT_EQ(state->GetTextColor(), rows[i].colour);
            EXPECT_FALSE(InRow(i, L"update_status_ing")->IsVisible());
            EXPECT_FALSE(InRow(i, L"update_open_folder_btn")->IsVisible());
        }
        EXPECT_NE(InRow(2, L"update_status_text")->GetToolTip().ToUtf8().find("HTTP 500"), std::string::npos)
            << "the reason the check failed";
        Picture(language, "offered");
        window->Close();
        ASSERT_TRUE(SpinUntil([&] { return Closed(); }, 1000ms));
    }
}

TEST_F(SettingsWindow, ADownloadHoldsTheWindowOpenUntilItIsDone)
{
    constexpr std::int64_t size = 300000;
    const auto hold = std::make_shared<std::atomic<bool>>(true);
    ServeVersions(HeldPackage(hold, size));
    // A script stands in for the file manager.
    const std::filesystem::path bin = env_.path() / "bin";
    std::filesystem::create_directories(bin);
    const std::filesystem::path opened = env_.path() / "opened";
    testing::WriteText(bin / "xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > \"" + opened.string() + ".tmp\"\nmv \"" +
                                             opened.string() + ".tmp\" \"" + opened.string() + "\"\n");
    std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
    env_.setEnv("PATH", bin.string() + ":/usr/bin:/bin");
    for (const auto& [language, shownDpi] : kLooks) {
        SCOPED_TRACE(std::string(language) + " " + std::to_string(shownDpi));
        dpi = shownDpi;
        *hold = true;
        shown.clear();
        std::filesystem::remove(opened);
        Open(language);
        ASSERT_TRUE(SpinUntil([&] { return PageSays("HaveUpdateInfoText"); }));
        static_cast<COptionUI*>(InRow(0, L"check_name_select"))->Selected(true);
        EXPECT_TRUE(Find(L"update_fw_and_ap")->IsEnabled());
        Click(Find(L"update_fw_and_ap"));
        EXPECT_EQ(static_cast<CTabLayoutUI*>(Find(L"get_update_tab_layout"))->GetCurSel(), 1);
        Picture(language, "confirm");
        Click(Find(L"update_back_btn"));
        EXPECT_EQ(static_cast<CTabLayoutUI*>(Find(L"get_update_tab_layout"))->GetCurSel(), 0) << "back, nothing started";
        EXPECT_EQ(window->Core().Rows().Row(0).state, kRowNewer);
        Click(Find(L"update_fw_and_ap"));
        Click(Find(L"update_OK_btn"));
        EXPECT_EQ(static_cast<CTabLayoutUI*>(Find(L"get_update_tab_layout"))->GetCurSel(), 0);
        ASSERT_TRUE(SpinUntil([&] { return Text(InRow(0, L"update_status_text")) == Resolved("DownloadIngText"); }));
        EXPECT_TRUE(InRow(0, L"update_status_ing")->IsVisible());
        EXPECT_TRUE(PageSays("ISUpdateINGText"));
        EXPECT_FALSE(Find(L"update_fw_and_ap")->IsVisible());
        Picture(language, "downloading");

        // Every way of closing asks, and is refused while the download runs.
        Click(Find(L"closebtn"));
        Click(Find(L"laterbtn"));
        window->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
        window->Close(IDCANCEL);
        uitest::Spin(100);
        EXPECT_FALSE(Closed());

        *hold = false;
        ASSERT_TRUE(SpinUntil([&] { return Text(InRow(0, L"update_status_text")) == Resolved("DownloadOkText"); }));
        EXPECT_TRUE(InRow(0, L"update_status_ok")->IsVisible());
        EXPECT_TRUE(InRow(0, L"update_open_folder_btn")->IsVisible());
        EXPECT_FALSE(InRow(0, L"update_status_ing")->IsVisible());
        const std::string file = (env_.path() / "cache" / "UpdateData" / "MS.bin").string();
        ASSERT_EQ(shown.size(), 1u) << "one hint, once";
        EXPECT_EQ(shown[0], Resolved("UpdateFirmwareDownloadedHint") + "\n" + file);
        Picture(language, "downloaded");

        // The row's button shows the folder in the file manager.
        Click(InRow(0, L"update_open_folder_btn"));
        ASSERT_TRUE(SpinUntil([&] { return std::filesystem::exists(opened); }));
        EXPECT_EQ(testing::FileText(opened), (env_.path() / "cache" / "UpdateData").string());

        // Downloaded is final: the window may close now.
        Click(Find(L"laterbtn"));
        EXPECT_TRUE(SpinUntil([&] { return Closed(); }, 1000ms));
    }
}

TEST_F(SettingsWindow, UpToDateWithTheDateAndTheBadgeClearedInBothLanguages)
{
    devices[kProductMouse] = {0x0103, false};
    server_->SetHandler([](const RecordedRequest& request) {
        return ScriptedReply{200, {}, request.body.find("_MS_") != std::string::npos ? "{\"version\":\"0103\"}"
                                                                                    : "{\"version\":\"0102\"}"};
    });
    for (const char* language : {"lan_en.xml", "lan_cn.xml"}) {
        SCOPED_TRACE(language);
        main.got.clear();
        Open(language);
        ASSERT_TRUE(SpinUntil([&] { return PageSays("UpdateIsLastText"); }));
        EXPECT_EQ(Text(Find(L"Update_Status_text")), Resolved("UpdateIsLastText") + "2024-3-7");
        EXPECT_TRUE(Find(L"update_status_image")->IsVisible());
        EXPECT_EQ(CDuiString(Find(L"update_status_image")->GetBkImage()), L"common/ctl/ok_mark.svg");
        EXPECT_TRUE(SpinUntil([&] { return main.Count(WM_CLEAR_SET_BADGE) == 1; }));
        EXPECT_EQ(ReadLastCheckDate(env_.path() / "data" / "updatetime.config"), "2024-3-7");
        Picture(language, "uptodate");
        window->Close();
        ASSERT_TRUE(SpinUntil([&] { return Closed(); }, 1000ms));
    }
}

TEST_F(SettingsWindow, UnreachedOrSwitchedOffSaysSoAndKeepsTheDate)
{
    struct Case {
        const char* name;
        bool off;
        const char* page;
        const char* row;
    };
    const Case cases[] = {
        {"unreached", false, "NoUpdateInfoText", "UpdateCheckFailText"},
        {"off", true, "UpdateServiceOffText", "LessUpdateText"},
    };
    ASSERT_TRUE(WriteLastCheckDate(env_.path() / "data" / "updatetime.config", "2023-12-1"));
    const ServiceAddress address = Address();
    server_.reset();
    for (const Case& c : cases) {
        for (const char* language : {"lan_en.xml", "lan_cn.xml"}) {
            SCOPED_TRACE(std::string(c.name) + " " + language);
            Open(language, c.off ? MakeServiceAddress("") : address);
            // The page and the rows come in messages of their own.
            ASSERT_TRUE(SpinUntil([&] { return PageSays(c.page) && Text(InRow(0, L"update_status_text")) == Resolved(c.row); }));
            EXPECT_FALSE(static_cast<COptionUI*>(InRow(0, L"check_name_select"))->IsEnabled());
            EXPECT_FALSE(Find(L"update_fw_and_ap")->IsVisible());
            EXPECT_EQ(CDuiString(Find(L"update_status_image")->GetBkImage()), L"common/ctl/warn_mark.svg") << "no ok mark";
            Picture(language, c.name);
            window->Close();
            ASSERT_TRUE(SpinUntil([&] { return Closed(); }, 1000ms));
        }
    }
    EXPECT_EQ(ReadLastCheckDate(env_.path() / "data" / "updatetime.config"), "2023-12-1");
    EXPECT_EQ(main.Count(WM_CLEAR_SET_BADGE), 0u);
}

TEST_F(SettingsWindow, ClosingDuringASlowCheckStopsItAtOnce)
{
    server_->SetHandler([](const RecordedRequest&) { return ScriptedReply{200, {}, "{\"version\":\"1\"}", -1, -1, -1, 0, 8000}; });
    Open();
    ASSERT_TRUE(SpinUntil([&] { return !server_->Requests().empty(); }));
    const auto before = std::chrono::steady_clock::now();
    Click(Find(L"closebtn"));
    ASSERT_TRUE(SpinUntil([&] { return Closed(); }, 2000ms));
    // Well within the workers' join time: the transfer is broken off, not waited for.
    EXPECT_LT(std::chrono::steady_clock::now() - before, 400ms);
    EXPECT_FALSE(std::filesystem::exists(env_.path() / "data" / "updatetime.config"));
}

// The settings window as the program has it: the main window with a mouse attached.
class SettingsFromTheMainWindow : public SettingsWindow {
protected:
    void SetUp() override
    {
        SettingsWindow::SetUp();
        bench = std::make_unique<app::testing::WindowBench>();
        bench->temp.setEnv("ORVEL_UPDATE_URL", server_->Origin() + "/api/");
        bench->temp.setEnv("ORVEL_UPDATE_CA", Certificates().authority.string());
        bench->Serve(sim::DeviceKind::Mouse);
        program = &bench->Start();
        ASSERT_TRUE(SpinUntil([&] { return bench->Ready({0}); }, 8000ms));
        ServeVersions();
    }
    void TearDown() override
    {
        bench.reset();
        SettingsWindow::TearDown();
    }
    // The settings window while it runs modally: what runs inside its loop.
    void WhileOpen(std::function<void(CSetWnd&)> inside)
    {
        QTimer::singleShot(0, [this, inside] {
            ASSERT_TRUE(SpinUntil([&] { return program->SettingsWindow() != nullptr; }));
            CSetWnd& open = *program->SettingsWindow();
            inside(open);
        });
    }

    std::unique_ptr<app::testing::WindowBench> bench;
    app::CMainWnd* program = nullptr;
};

TEST_F(SettingsFromTheMainWindow, OpensBesideWithTheMouseAndSwitchesTheWholeProgramsLanguage)
{
    const int before = program->LanguageIndex();
    const int other = before == 0 ? 1 : 0;
    bool checked = false;
    WhileOpen([&](CSetWnd& open) {
        const RECT beside = program->GetWindowRect();
        const RECT self = open.GetWindowRect();
        EXPECT_EQ(self.right, beside.right - open.GetPaintManager().GetDPIObj()->Scale(30));
        EXPECT_EQ(self.top, beside.top + open.GetPaintManager().GetDPIObj()->Scale(60));
        ASSERT_TRUE(SpinUntil([&] { return open.Core().Rows().Page() != kPageChecking; }));
        ASSERT_GE(open.Core().Rows().Count(), 2u);
        EXPECT_EQ(open.Core().Rows().Row(0).product.displayName, "MS");
        EXPECT_EQ(open.Core().Rows().Row(0).state, kRowNewer) << "the mouse's firmware was asked about";

        CControlUI* later = open.GetPaintManager().FindControl(L"laterbtn");
        const std::string laterBefore = Text(later);
        auto* combo = static_cast<CComboUI*>(open.GetPaintManager().FindControl(L"Language_combox_info"));
        EXPECT_EQ(combo->GetCurSel(), before);
        combo->SelectItem(other);
        EXPECT_EQ(program->LanguageIndex(), other) << "the main window switched";
        EXPECT_NE(Text(later), laterBefore) << "and the settings window with it";
        EXPECT_EQ(Text(later), Resolved("set_later_btn"));
        checked = true;
        // The system close is the window's own close: the program goes on.
        open.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    bench->Send(bench->Find(L"setbtn"), DUI_MSGTYPE_CLICK);
    EXPECT_TRUE(checked);
    EXPECT_EQ(program->SettingsWindow(), nullptr);
    EXPECT_EQ(program->LanguageIndex(), other);

    // The program went on: asked by message, the window opens again, centred over the main one.
    bool again = false;
    WhileOpen([&](CSetWnd& open) {
        const RECT main = program->GetWindowRect();
        const RECT self = open.GetWindowRect();
        EXPECT_NEAR((self.left + self.right) / 2, (main.left + main.right) / 2, 1);
        EXPECT_NEAR((self.top + self.bottom) / 2, (main.top + main.bottom) / 2, 1);
        again = true;
        open.Close();
    });
    program->SendMessage(app::WM_OPEN_SETTINGS, 0, 0);
    EXPECT_TRUE(again);
}

TEST_F(SettingsFromTheMainWindow, TheProgramsEndClosesItEvenWhileItDownloads)
{
    const auto hold = std::make_shared<std::atomic<bool>>(true);
    ServeVersions(HeldPackage(hold, 100000));
    WhileOpen([&](CSetWnd& open) {
        ASSERT_TRUE(SpinUntil([&] { return open.Core().Rows().Page() == kPageOffered; }));
        open.Core().SetTicked(0, true);
        open.Core().StartDownloads();
        ASSERT_TRUE(SpinUntil([&] { return open.Core().Rows().Row(0).state == kRowDownloading; }));
        open.Close();
        uitest::Spin(50);
        EXPECT_NE(program->SettingsWindow(), nullptr) << "a close is refused while it downloads";
        program->ExitProgram();
    });
    // The tray menu's entry opens it too.
    auto* command = new MenuCmd;
    command->szName = L"setwnd_menu";
    const auto before = std::chrono::steady_clock::now();
    program->SendMessage(WM_MENU_COMMAND, reinterpret_cast<WPARAM>(command), 0);
    EXPECT_TRUE(SpinUntil([&] { return program->GetHWND() == nullptr; }, 3000ms));
    EXPECT_LT(std::chrono::steady_clock::now() - before, 3000ms);
    *hold = false;
}

} // namespace
} // namespace orvel::update
