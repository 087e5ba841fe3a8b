#pragma once
// What the settings window does, without its controls: the update list and its page state,
// the check and download workers, the close rule, the language choice. The window (CSetWnd)
// binds its controls to these calls and handles the two messages the workers post
// (WM_UPDATE_ROW_CHANGED, WM_UPDATE_PAGE_CHANGED) by taking the changed state from Rows().
//
// Packages are never run: a downloaded row stays in state 5 with a button that shows the
// download folder and a hint on what to do with the file.

#include "platform/winmsg.h"
#include "platform/worker.h"
#include "update/http_client.h"
#include "update/service_address.h"
#include "update/update_products.h"
#include "update/update_rows.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvel::update {

struct SetWndSetup {
    HWND settingsWindow = nullptr;  // receives the workers' messages
    HWND mainWindow = nullptr;      // receives the language change and the badge message
    int languageIndex = 0;
    std::vector<UpdateProduct> products;  // the present products (current version not 0)
    ServiceAddress address;
    HttpOptions queryOptions;
    HttpOptions downloadOptions;
    std::filesystem::path lastCheckFile;
    std::filesystem::path downloadFolder;
    std::function<std::string()> today;
};

// The program's own files, service address and time-outs.
SetWndSetup DefaultSetWndSetup(HWND settingsWindow, HWND mainWindow, int languageIndex,
                               std::vector<UpdateProduct> products);

class SetWndCore {
public:
    explicit SetWndCore(SetWndSetup setup);
    // Stops the workers.
    ~SetWndCore();
    SetWndCore(const SetWndCore&) = delete;
    SetWndCore& operator=(const SetWndCore&) = delete;

    // "windowinit": one row per product (state 7, current version shown), the stored
    // last-check date, then the check and download workers. With updates off, every row is in
    // state 0 and the page in status 5, and no worker starts.
    void Open();

    UpdateRowModel& Rows();

    // "selectchanged" of a row's "check_name_select". Rows that cannot be ticked stay
    // unticked. Returns whether "update_fw_and_ap" is to be shown and enabled now.
    bool SetTicked(std::size_t row, bool ticked);
    // "update_OK_btn": every ticked row in state 1, 2 or 8 is queued (state 3) and the
    // download worker is released; "update_fw_and_ap" is disabled. The number queued.
    std::size_t StartDownloads();

    // Whether the window may close now: not while a download is queued or running.
    bool CanClose() const;
    // "closebtn", "laterbtn", WM_CLOSE and SC_CLOSE: when the window may close, stops the
    // workers and returns true (the window closes then); else false and nothing changes.
    bool RequestClose();
    // Ends both workers: signals them, breaks off their network transfer and joins each
    // within 500 ms (one that does not end is left to finish alone and logged).
    void Stop();

    // The button of a downloaded row: the download folder in the file manager.
    bool OpenDownloadFolder(std::size_t row);

    // "itemselect" of "Language_combox_info": the index is kept and WM_LANGUAGE_CHANGED with
    // it is sent to the main window.
    void SelectLanguage(int index);
    int LanguageIndex() const { return languageIndex_; }

    // The forwarded update-status notice. This program starts no package, so no row is ever
    // installing; a notice is logged and ignored. Returns whether it changed anything.
    bool OnUpdateStatus(WPARAM wParam, LPARAM lParam);

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
    WorkerSlot checkWorker_;
    WorkerSlot downloadWorker_;
    int languageIndex_;
};

} // namespace orvel::update
