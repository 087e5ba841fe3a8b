// The settings window's update core against the local server: the window is a message
// handler that takes what the workers post, as the window's shell does.

#include "tests/support/file_text.h"
#include "tests/update/service_fixture.h"
#include "update/setwnd_core.h"
#include "update/update_files.h"
#include "update/update_messages.h"

#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <map>

namespace orvel::update {
namespace {

using testing::HeldPackage;
using testing::VersionsByAppKey;
using testing::RecordedRequest;
using testing::ScriptedReply;
using Clock = std::chrono::steady_clock;

// Keeps every message; the settings window also takes each changed row and the page.
class Window : public IMessageHandler {
public:
    explicit Window(std::wstring_view name) : hwnd(CreateWindowHandle(this, name)) {}
    ~Window() override { DestroyWindowHandle(hwnd); }

    LRESULT HandleMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        messages.emplace_back(msg, wParam);
        if (core != nullptr && msg == WM_UPDATE_ROW_CHANGED)
            rows[wParam] = core->Rows().TakeRow(wParam);
        if (core != nullptr && msg == WM_UPDATE_PAGE_CHANGED)
            page = core->Rows().TakePage();
        (void)lParam;
        return 0;
    }
    std::size_t Count(UINT msg, WPARAM wParam = ~WPARAM(0)) const
    {
        std::size_t n = 0;
        for (const auto& [m, w] : messages)
            n += m == msg && (wParam == ~WPARAM(0) || w == wParam);
        return n;
    }

    HWND hwnd;
    SetWndCore* core = nullptr;
    std::vector<std::pair<UINT, WPARAM>> messages;
    std::map<std::size_t, RowView> rows;
    PageView page;
};

class SettingsUpdate : public testing::UpdateServiceTest {
protected:
    void SetUp() override
    {
        UpdateServiceTest::SetUp();
        devices_[kProductMouse] = {0x0102, false};
        devices_[kProductKeyboard] = {0x0102, false};
    }

    // Answers by app key: the mouse gets newer firmware, everything else its own version.
    void ServeVersions(std::function<ScriptedReply(const RecordedRequest&)> package = {})
    {
        server_->SetHandler(VersionsByAppKey(server_->Origin(), "0103", {200, {}, "{\"version\":\"1000\"}"}, package));
    }

    void Open(ServiceAddress address)
    {
        SetWndSetup setup;
        setup.settingsWindow = settings_.hwnd;
        setup.mainWindow = main_.hwnd;
        setup.products = PresentProducts(devices_);
        setup.address = std::move(address);
        setup.queryOptions = TestOptions();
        setup.downloadOptions = TestOptions(20000);
        setup.lastCheckFile = env_.path() / "data" / "updatetime.config";
        setup.downloadFolder = env_.path() / "cache" / "UpdateData";
        setup.today = [] { return std::string("2024-3-7"); };
        core_ = std::make_unique<SetWndCore>(std::move(setup));
        settings_.core = core_.get();
        core_->Open();
    }
    void Open() { Open(Address()); }

    // Handles messages until the test holds or 5 s have passed.
    bool PumpUntil(const std::function<bool()>& test)
    {
        const auto until = Clock::now() + std::chrono::seconds(5);
        while (!test()) {
            if (Clock::now() > until)
                return false;
            PumpMessages(10);
        }
        return true;
    }
    bool PageIs(int status) const { return settings_.page.status == status; }
    const UpdateRow& Shown(std::size_t row) { return settings_.rows[row].row; }
    std::filesystem::path DateFile() const { return env_.path() / "data" / "updatetime.config"; }

    std::array<DeviceVersion, kFirmwareProductCount> devices_{};
    Window settings_{L"SetWnd"};
    Window main_{L"MainWnd"};
    std::unique_ptr<SetWndCore> core_;
};

TEST_F(SettingsUpdate, CheckShowsEachRowsAnswer)
{
    server_->SetHandler([origin = server_->Origin()](const RecordedRequest& request) {
        if (request.body.find("_MS_") != std::string::npos)
            return ScriptedReply{200, {}, "{\"version\":\"0103\",\"path\":\"" + origin + "/files/MS.bin\"}"};
        if (request.body.find("_KB_") != std::string::npos)
            return ScriptedReply{200, {}, "{\"version\":\"0102\"}"};
        return ScriptedReply{500, {}, "down for maintenance"};
    });
    Open();
    ASSERT_EQ(core_->Rows().Count(), 3u);
    ASSERT_TRUE(PumpUntil([&] { return PageIs(kPageOffered); }));

    EXPECT_EQ(Shown(0).product.displayName, "MS");
    EXPECT_EQ(Shown(0).state, kRowNewer);
    EXPECT_EQ(Shown(0).offeredVersion, "V0103");
    EXPECT_EQ(Shown(0).currentVersion, "V0102");
    EXPECT_EQ(Shown(0).info.localFile, (env_.path() / "cache" / "UpdateData" / "MS.bin").string());
    EXPECT_EQ(Shown(1).state, kRowUpToDate);
    EXPECT_EQ(Shown(1).offeredVersion, "");
    EXPECT_EQ(Shown(2).state, kRowNothing);
    EXPECT_TRUE(Shown(2).checkFailed);
    EXPECT_NE(Shown(2).failureText.find("HTTP 500"), std::string::npos);
    EXPECT_EQ(std::string(settings_.rows[2].look.textKey), "UpdateCheckFailText");
    EXPECT_EQ(Shown(2).currentVersion, "V1.0.0.0");
    EXPECT_TRUE(settings_.page.offerButton);
    EXPECT_EQ(ReadLastCheckDate(DateFile()), "2024-3-7");
    EXPECT_EQ(main_.Count(WM_CLEAR_SET_BADGE), 0u);
}

TEST_F(SettingsUpdate, UpToDateClearsTheBadgeAndShowsTheDate)
{
    devices_[kProductMouse] = {0x0103, false};
    ServeVersions();
    Open();
    ASSERT_TRUE(PumpUntil([&] { return PageIs(kPageUpToDate) && main_.Count(WM_CLEAR_SET_BADGE) == 1; }));
    EXPECT_EQ(settings_.page.lastCheckDate, "2024-3-7");
    EXPECT_TRUE(settings_.page.look.appendDate);
    EXPECT_FALSE(settings_.page.offerButton);
}

TEST_F(SettingsUpdate, UnreachedServiceKeepsTheStoredDate)
{
    ASSERT_TRUE(WriteLastCheckDate(DateFile(), "2023-12-1"));
    const ServiceAddress address = Address();
    server_.reset();
    Open(address);
    ASSERT_TRUE(PumpUntil([&] { return PageIs(kPageNoAnswer); }));
    EXPECT_EQ(ReadLastCheckDate(DateFile()), "2023-12-1");
    EXPECT_EQ(settings_.page.lastCheckDate, "2023-12-1");
    for (std::size_t i = 0; i < core_->Rows().Count(); ++i) {
        EXPECT_EQ(Shown(i).state, kRowNothing);
        EXPECT_TRUE(Shown(i).checkFailed);
    }
    EXPECT_EQ(main_.Count(WM_CLEAR_SET_BADGE), 0u);
}

TEST_F(SettingsUpdate, UpdatesOffAsksNothing)
{
    Open(MakeServiceAddress(""));
    ASSERT_TRUE(PumpUntil([&] { return PageIs(kPageUpdatesOff); }));
    EXPECT_FALSE(settings_.page.detail.empty());
    EXPECT_EQ(Shown(0).state, kRowNothing);
    EXPECT_TRUE(server_->Requests().empty());
    EXPECT_TRUE(core_->RequestClose());
}

TEST_F(SettingsUpdate, DownloadRunsToDownloadedAndHoldsTheWindowMeanwhile)
{
    constexpr std::int64_t size = 400000;
    const auto hold = std::make_shared<std::atomic<bool>>(true);
    ServeVersions(HeldPackage(hold, size));
    Open();
    ASSERT_TRUE(PumpUntil([&] { return PageIs(kPageOffered); }));

    EXPECT_FALSE(core_->SetTicked(1, true));  // up to date: cannot be ticked
    EXPECT_FALSE(core_->Rows().Row(1).ticked);
    EXPECT_TRUE(core_->SetTicked(0, true));
    EXPECT_EQ(core_->StartDownloads(), 1u);
    ASSERT_TRUE(PumpUntil([&] { return Shown(0).state == kRowDownloading && PageIs(kPageDownloading); }));
    EXPECT_FALSE(settings_.page.offerButton);
    EXPECT_FALSE(core_->CanClose());
    EXPECT_FALSE(core_->RequestClose());

    hold->store(false);
    ASSERT_TRUE(PumpUntil([&] { return Shown(0).state == kRowDownloaded; }));
    EXPECT_TRUE(Shown(0).justDownloaded);
    EXPECT_EQ(Shown(0).percent, 100);
    EXPECT_TRUE(settings_.rows[0].look.showOpenFolder);
    EXPECT_EQ(testing::FileText(Shown(0).info.localFile), testing::PatternBody(size));
    struct stat folder {};
    ASSERT_EQ(::stat((env_.path() / "cache" / "UpdateData").c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    ASSERT_TRUE(PumpUntil([&] { return PageIs(kPageOffered); }));
    // The hint goes with the first look at the downloaded row only.
    EXPECT_FALSE(core_->Rows().TakeRow(0).row.justDownloaded);

    // The row's button shows the folder in the file manager; here a script stands in for it.
    const std::filesystem::path bin = env_.path() / "bin";
    std::filesystem::create_directories(bin);
    testing::WriteText(bin / "xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > \"" + (env_.path() / "opened").string() + ".tmp\"\n"
                                         "mv \"" + (env_.path() / "opened").string() + ".tmp\" \"" +
                                         (env_.path() / "opened").string() + "\"\n");
    std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
    env_.setEnv("PATH", bin.string() + ":/usr/bin:/bin");
    EXPECT_FALSE(core_->OpenDownloadFolder(1));
    EXPECT_TRUE(core_->OpenDownloadFolder(0));
    ASSERT_TRUE(PumpUntil([&] { return std::filesystem::exists(env_.path() / "opened"); }));
    EXPECT_EQ(testing::FileText(env_.path() / "opened"), (env_.path() / "cache" / "UpdateData").string());
    EXPECT_TRUE(core_->RequestClose());
}

TEST_F(SettingsUpdate, FailedDownloadCanBeTriedAgain)
{
    std::atomic<int> gets{0};
    ServeVersions([&gets](const RecordedRequest& request) {
        if (request.method == "HEAD")
            return ScriptedReply{200, {}, "", 1000};
        return ++gets == 1 ? ScriptedReply{200, {}, "", 1000, -1, 300} : ScriptedReply{200, {}, "", 1000};
    });
    Open();
    ASSERT_TRUE(PumpUntil([&] { return PageIs(kPageOffered); }));
    core_->SetTicked(0, true);
    core_->StartDownloads();
    ASSERT_TRUE(PumpUntil([&] { return Shown(0).state == kRowFailed && settings_.page.offerButton; }));
    EXPECT_FALSE(Shown(0).failureText.empty());
    EXPECT_TRUE(settings_.rows[0].look.tickable);
    EXPECT_FALSE(std::filesystem::exists(core_->Rows().Row(0).info.localFile));
    EXPECT_TRUE(core_->CanClose());

    EXPECT_EQ(core_->StartDownloads(), 1u);
    ASSERT_TRUE(PumpUntil([&] { return Shown(0).state == kRowDownloaded; }));
    EXPECT_EQ(gets.load(), 2);
}

TEST_F(SettingsUpdate, ChangesArePostedOncePerRowUntilTheWindowTakesThem)
{
    ServeVersions([](const RecordedRequest&) { return ScriptedReply{200, {}, "", 4 << 20}; });
    Open();
    ASSERT_TRUE(PumpUntil([&] { return PageIs(kPageOffered); }));
    core_->SetTicked(0, true);
    core_->StartDownloads();
    // Without handling messages, hundreds of progress changes wait as one message.
    const auto until = Clock::now() + std::chrono::seconds(5);
    while (core_->Rows().Row(0).state != kRowDownloaded && Clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(core_->Rows().Row(0).state, kRowDownloaded);
    settings_.messages.clear();
    PumpMessages(0);
    EXPECT_EQ(settings_.Count(WM_UPDATE_ROW_CHANGED, 0), 1u);
    EXPECT_EQ(Shown(0).state, kRowDownloaded);
}

TEST_F(SettingsUpdate, StopEndsARunningDownloadWithoutWaitingForIt)
{
    ServeVersions([](const RecordedRequest& request) {
        return request.method == "HEAD" ? ScriptedReply{200, {}, "", 1 << 20}
                                        : ScriptedReply{200, {}, "", 1 << 20, -1, 100000, 10000};
    });
    Open();
    ASSERT_TRUE(PumpUntil([&] { return PageIs(kPageOffered); }));
    core_->SetTicked(0, true);
    core_->StartDownloads();
    ASSERT_TRUE(PumpUntil([&] { return Shown(0).state == kRowDownloading && Shown(0).percent > 0; }));
    const auto start = Clock::now();
    core_->Stop();
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
    // The worker has ended, not been left running: its temporary file is gone.
    EXPECT_FALSE(std::filesystem::exists(core_->Rows().Row(0).info.localFile));
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(env_.path() / "cache" / "UpdateData"))
        ++files;
    EXPECT_EQ(files, 0u);
}

TEST_F(SettingsUpdate, LanguageChoiceGoesToTheMainWindowAndStrayNoticesAreIgnored)
{
    Open(MakeServiceAddress(""));
    core_->SelectLanguage(3);
    EXPECT_EQ(core_->LanguageIndex(), 3);
    EXPECT_EQ(main_.Count(WM_LANGUAGE_CHANGED, 3), 1u);

    PumpMessages(0);
    const std::vector<UpdateRow> before{core_->Rows().Row(0), core_->Rows().Row(1)};
    for (WPARAM code : {1u, 2u, 3u, 4u})
        EXPECT_FALSE(core_->OnUpdateStatus(code, 50));
    EXPECT_EQ(core_->Rows().Row(0).state, before[0].state);
    EXPECT_EQ(core_->Rows().Row(1).currentVersion, before[1].currentVersion);
}

} // namespace
} // namespace orvel::update
