#include "update/setwnd_core.h"

#include "platform/debuglog.h"
#include "platform/shell.h"
#include "update/package_download.h"
#include "update/update_files.h"
#include "update/update_messages.h"
#include "update/update_query.h"

#include <array>

namespace orvel::update {

namespace {

constexpr DWORD kStopTimeoutMs = 500;
constexpr WorkerStopLines kStopLines{"update: worker ended", "update: worker did not end in time, left to finish"};

} // namespace

struct SetWndCore::Shared {
    explicit Shared(SetWndSetup s)
        : setup(std::move(s)), rows(setup.settingsWindow), queryClient(setup.queryOptions),
          downloadClient(setup.downloadOptions), release(CreateEventW(false, false))
    {
    }

    void Check(const WorkerParam& param);
    void Download(const WorkerParam& param);
    void DownloadRow(std::size_t index);

    SetWndSetup setup;
    UpdateRowModel rows;
    HttpClient queryClient;
    HttpClient downloadClient;
    EventHandle release;
};

SetWndSetup DefaultSetWndSetup(HWND settingsWindow, HWND mainWindow, int languageIndex,
                               std::vector<UpdateProduct> products)
{
    SetWndSetup setup;
    setup.settingsWindow = settingsWindow;
    setup.mainWindow = mainWindow;
    setup.languageIndex = languageIndex;
    setup.products = std::move(products);
    setup.address = ReadServiceAddress();
    setup.queryOptions = QueryOptions();
    setup.downloadOptions = DownloadOptions();
    setup.lastCheckFile = LastCheckFile();
    setup.downloadFolder = UpdateDataFolder();
    setup.today = TodayText;
    return setup;
}

void SetWndCore::Shared::Check(const WorkerParam& param)
{
    rows.SetPage(kPageChecking);
    bool answered = false;
    std::size_t failed = 0;
    for (std::size_t i = 0; i < rows.Count(); ++i) {
        if (WaitStop(param, 0))
            return;
        const UpdateProduct product = rows.Row(i).product;
        UpdateInfo info = QueryProduct(queryClient, setup.address, product);
        if (info.failure == CheckFailure::Unreachable && queryClient.Cancelled())
            return;
        if (info.Answered()) {
            // Only an answer counts as a check: a failed one leaves the stored date alone.
            if (!answered) {
                const std::string today = setup.today();
                if (!WriteLastCheckDate(setup.lastCheckFile, today))
                    OutputDebugStringA("update: " + setup.lastCheckFile.string() + " was not written");
                rows.SetLastCheckDate(today);
            }
            answered = true;
        } else {
            ++failed;
        }
        info.localFile = PackageFile(setup.downloadFolder, product.displayName, info.path).string();
        rows.Change(i, [&info](UpdateRow& row) {
            row.checkFailed = !info.Answered();
            row.failureText = info.failureText;
            row.state = row.checkFailed ? kRowNothing : info.status;
            row.offeredVersion = row.state == kRowNewer ? info.newVersionText : std::string();
            row.info = std::move(info);
        });
    }
    const bool offered = rows.Any([](const UpdateRow& row) { return Tickable(row.state); });
    rows.SetOfferButton(offered);
    if (offered) {
        rows.SetPage(kPageOffered);
    } else if (failed > 0) {
        rows.SetPage(kPageNoAnswer);
    } else {
        rows.SetPage(kPageUpToDate);
        PostMessageW(setup.mainWindow, WM_CLEAR_SET_BADGE, 0, 0);
    }
}

void SetWndCore::Shared::DownloadRow(std::size_t index)
{
    const UpdateRow row = rows.Row(index);
    rows.Change(index, [](UpdateRow& r) {
        r.state = kRowDownloading;
        r.percent = 0;
        r.failureText.clear();
    });
    rows.SetPage(kPageDownloading);
    std::string error;
    DownloadResult result;
    if (!PrepareUpdateDataFolder(setup.downloadFolder, error)) {
        result.failureText = error;
    } else {
        result = DownloadFile(downloadClient, row.info.path, row.info.localFile,
                              [this, index](double total, double received) {
                                  if (total <= 0)
                                      return;
                                  const int percent = static_cast<int>(received * 100 / total);
                                  rows.Change(index, [percent](UpdateRow& r) { r.percent = percent; });
                              },
                              row.info.sha256);
    }
    if (result.cancelled)
        return;
    rows.Change(index, [&result](UpdateRow& r) {
        r.state = result.ok ? kRowDownloaded : kRowFailed;
        r.justDownloaded = result.ok;
        r.failureText = result.failureText;
        if (result.ok)
            r.percent = 100;
    });
}

void SetWndCore::Shared::Download(const WorkerParam& param)
{
    const std::array<EventHandle, 2> events{param.stopEvent, release};
    while (WaitForAnyObject(events, INFINITE) == WAIT_OBJECT_0 + 1) {
        for (;;) {
            const std::size_t next = rows.Find([](const UpdateRow& row) { return row.state == kRowQueued; });
            if (next == rows.Count())
                break;
            DownloadRow(next);
            if (WaitStop(param, 0) || downloadClient.Cancelled())
                return;
        }
        rows.SetOfferButton(rows.Any([](const UpdateRow& row) { return row.ticked && row.state == kRowFailed; }));
        rows.SetPage(kPageOffered);
    }
}

SetWndCore::SetWndCore(SetWndSetup setup)
    : shared_(std::make_shared<Shared>(std::move(setup))), languageIndex_(shared_->setup.languageIndex)
{
}

SetWndCore::~SetWndCore()
{
    Stop();
}

void SetWndCore::Open()
{
    const SetWndSetup& setup = shared_->setup;
    std::vector<UpdateRow> rows;
    for (const UpdateProduct& product : setup.products) {
        UpdateRow row;
        row.product = product;
        row.currentVersion = ShownCurrentVersion(product);
        if (!setup.address.On()) {
            row.state = kRowNothing;
            row.failureText = setup.address.offText;
        }
        rows.push_back(std::move(row));
    }
    shared_->rows.SetRows(std::move(rows));
    shared_->rows.SetLastCheckDate(ReadLastCheckDate(setup.lastCheckFile));
    if (!setup.address.On()) {
        shared_->rows.SetDetail(setup.address.offText);
        shared_->rows.SetPage(kPageUpdatesOff);
        return;
    }
    std::shared_ptr<Shared> shared = shared_;
    checkWorker_.Start(this, [shared](const WorkerParam& param) { shared->Check(param); },
                       [shared] { shared->queryClient.Cancel(); });
    downloadWorker_.Start(this, [shared](const WorkerParam& param) { shared->Download(param); },
                          [shared] { shared->downloadClient.Cancel(); });
}

UpdateRowModel& SetWndCore::Rows()
{
    return shared_->rows;
}

bool SetWndCore::SetTicked(std::size_t row, bool ticked)
{
    UpdateRowModel& rows = shared_->rows;
    rows.Change(row, [ticked](UpdateRow& r) { r.ticked = ticked && Tickable(r.state); });
    const bool any = rows.Any([](const UpdateRow& r) { return r.ticked && Tickable(r.state); });
    rows.SetOfferButton(any);
    return any;
}

std::size_t SetWndCore::StartDownloads()
{
    std::size_t queued = 0;
    shared_->rows.ChangeEach([&queued](UpdateRow& row) {
        if (!row.ticked || !Tickable(row.state))
            return false;
        row.state = kRowQueued;
        ++queued;
        return true;
    });
    shared_->rows.SetOfferButton(false);
    if (queued > 0)
        SetEvent(shared_->release);
    return queued;
}

bool SetWndCore::CanClose() const
{
    return !shared_->rows.Any([](const UpdateRow& row) { return HoldsWindowOpen(row.state); });
}

bool SetWndCore::RequestClose()
{
    if (!CanClose())
        return false;
    Stop();
    return true;
}

void SetWndCore::Stop()
{
    checkWorker_.Stop(kStopTimeoutMs, kStopLines);
    downloadWorker_.Stop(kStopTimeoutMs, kStopLines);
}

bool SetWndCore::OpenDownloadFolder(std::size_t row)
{
    const UpdateRow r = shared_->rows.Row(row);
    if (r.state != kRowDownloaded)
        return false;
    // The desktop's file manager shows the folder; nothing runs the package.
    return shell::SpawnDetached({"xdg-open", std::filesystem::path(r.info.localFile).parent_path().string()});
}

void SetWndCore::SelectLanguage(int index)
{
    languageIndex_ = index;
    SendMessageW(shared_->setup.mainWindow, WM_LANGUAGE_CHANGED, static_cast<WPARAM>(index), 0);
}

bool SetWndCore::OnUpdateStatus(WPARAM wParam, LPARAM lParam)
{
    debuglog::Writef("update: status notice %lu/%ld ignored: no package is being installed",
                     static_cast<unsigned long>(wParam), static_cast<long>(lParam));
    return false;
}

} // namespace orvel::update
