#include "app/screenshot.h"

#include "app/main_wnd.h"
#include "devicelink/device_tables.h"
#include "devices/qt/device_option.h"
#include "platform/text.h"
#include "profiles/profilelist.h"
#include "lighting/qt/colour_select_wnd.h"
#include "lighting/qt/music_lighting.h"
#include "platform/winmsg.h"
#include "ui/host_widget.h"

#include <QImage>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace orvel::app {

namespace {

constexpr int kTickMs = 150;
constexpr int kWaitTicks = 15000 / kTickMs;


constexpr int kLayoutTabs = 5;

DuiLib::COptionUI* TabOption(pages::CQuorsineUSBDevice* page, int type)
{
    return static_cast<DuiLib::COptionUI*>(
        page->GetManager()->FindSubControlByName(
            page, DuiLib::CDuiString::FromUtf8(profiles::kProfileTabNames[static_cast<std::size_t>(type - 1)])));
}

} // namespace

ScreenshotRun::ScreenshotRun(CMainWnd& window, std::string folder) : window_(window), folder_(std::move(folder))
{
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    timer_.start(kTickMs);
}

bool ScreenshotRun::DevicesSettled() const
{
    // Every page whose device is attached has been read.
    bool any = false;
    for (int row = 0; row < static_cast<int>(DeviceKindTable.size()); ++row) {
        pages::CQuorsineUSBDevice* page = window_.PageOfKindRow(row);
        if (page == nullptr || !page->Model().LinkOpen())
            continue;
        if (!page->Heartbeat().Ready() || !window_.ItemVisible(row))
            return false;
        any = true;
    }
    return any;
}

void ScreenshotRun::Plan()
{
    const int languages = std::max<int>(1, static_cast<int>(window_.Languages().size()));
    for (int language = 0; language < languages; ++language) {
        for (int dpi : {96, 144}) {
            bool anyPage = false;
            for (int row = 0; row < static_cast<int>(DeviceKindTable.size()); ++row) {
                if (!window_.ItemVisible(row))
                    continue;
                // The tabs the kind shows: the layout shows the first five, the kind hides or
                // shows some.
                const profiles::TabVisibility tabs =
                    profiles::TabVisibilityForKind(DeviceKindTable[static_cast<std::size_t>(row)].kind);
                const auto named = [](const std::vector<std::string>& names, int tab) {
                    return std::find(names.begin(), names.end(), profiles::kProfileTabNames[static_cast<std::size_t>(tab - 1)]) !=
                           names.end();
                };
                for (int tab = 1; tab <= static_cast<int>(profiles::kProfileTabNames.size()); ++tab) {
                    if (named(tabs.shown, tab) || (tab <= kLayoutTabs && !named(tabs.hidden, tab)))
                        shots_.push_back(Shot{language, dpi, row, tab});
                }
                anyPage = true;
            }
            if (!anyPage)
                shots_.push_back(Shot{language, dpi, -1, 1});
        }
    }
}

void ScreenshotRun::Tick()
{
    if (shots_.empty()) {
        if (!DevicesSettled() && ++waitedTicks_ < kWaitTicks)
            return;
        Plan();
    }
    if (next_ >= shots_.size()) {
        timer_.stop();
        TakeDialogs();
        window_.ExitProgram();
        return;
    }
    if (!prepared_) {
        Prepare(shots_[next_]);
        prepared_ = true;
        return;
    }
    Take(shots_[next_]);
    prepared_ = false;
    ++next_;
}

void ScreenshotRun::Prepare(const Shot& shot)
{
    window_.SwitchLanguage(shot.language);
    window_.RunLayoutStep(shot.dpi);
    if (shot.kindRow < 0)
        return;
    window_.SelectKindRow(shot.kindRow);
    pages::CQuorsineUSBDevice* page = window_.PageOfKindRow(shot.kindRow);
    for (int tab = 1; tab <= static_cast<int>(profiles::kProfileTabNames.size()); ++tab) {
        if (DuiLib::COptionUI* option = TabOption(page, tab))
            option->Selected(tab == shot.tab, false);
    }
    page->SetFunctionTab(shot.tab);
    // A tab switch moves the keyboard focus; the picture shows no focus ring.
    window_.GetPaintManager().SetFocus(nullptr);
}

void ScreenshotRun::Take(const Shot& shot)
{
    if (pages::CQuorsineUSBDevice* page = window_.SelectedPage())
        page->RefreshPreview();
    auto* host = dynamic_cast<DuiLib::CUIHostWidget*>(window_.GetWidget());
    if (host == nullptr) {
        ok_ = false;
        return;
    }
    const std::string language = shot.language < static_cast<int>(window_.Languages().size())
                                     ? window_.Languages()[static_cast<std::size_t>(shot.language)].name
                                     : "default";
    const std::string kind = shot.kindRow >= 0 ? std::string(DeviceKindTable[static_cast<std::size_t>(shot.kindRow)].kindName)
                                               : "none";
    Save(host, folder_ + "/main-" + language + "-" + std::to_string(shot.dpi) + "-" + kind + "-tab" +
             std::to_string(shot.tab) + ".png");
}

bool ScreenshotRun::Save(QWidget* widget, const std::string& file)
{
    auto* host = dynamic_cast<DuiLib::CUIHostWidget*>(widget);
    if (host == nullptr || !host->RenderWindow().save(QString::fromStdString(file))) {
        std::fprintf(stderr, "varno-orvel-80: could not write %s\n", file.c_str());
        ok_ = false;
        return false;
    }
    std::printf("%s\n", file.c_str());
    return true;
}

void ScreenshotRun::TakeDialogs()
{
    // Written and closed once the modal window has been laid out and painted.
    auto shootWhenOpen = [this](const wchar_t* windowClass, std::string file) {
        QTimer::singleShot(400, this, [this, windowClass, file] {
            auto* dialog = DuiLib::CWindowWnd::FromHandle(winmsg::FindLocalWindow(windowClass, L""));
            if (dialog == nullptr) {
                std::fprintf(stderr, "varno-orvel-80: %s did not open\n", file.c_str());
                ok_ = false;
                return;
            }
            Save(dialog->GetWidget(), file);
            dialog->Close(0);
        });
    };
    const int languages = std::max<int>(1, static_cast<int>(window_.Languages().size()));
    for (int language = 0; language < languages; ++language) {
        const std::string name = language < static_cast<int>(window_.Languages().size())
                                     ? window_.Languages()[static_cast<std::size_t>(language)].name
                                     : "default";
        for (int dpi : {96, 144}) {
            window_.SwitchLanguage(language);
            window_.RunLayoutStep(dpi);
            const std::string suffix = name + "-" + std::to_string(dpi) + ".png";
            if (lighting::CMusicLighting* music = window_.MusicLighting()) {
                shootWhenOpen(L"MusicWnd", folder_ + "/music-" + suffix);
                music->OpenMusicWindow();
            }
            shootWhenOpen(L"ColorSelectWnd", folder_ + "/pallet-" + suffix);
            lighting::PickColour(window_.GetHWND(), 0xFF3A7BFF, {.dpi = window_.Dpi(), .offerSevenColour = true});
        }
    }
}

} // namespace orvel::app
