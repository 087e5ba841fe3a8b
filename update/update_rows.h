#pragma once
// The update list as data, shared by the settings window and its workers under one lock.
// Every change posts WM_UPDATE_ROW_CHANGED (or WM_UPDATE_PAGE_CHANGED) to the window unless
// one is still pending for that row; the window then takes the row's present state with
// TakeRow, on its own thread, so workers never touch a control.

#include "platform/winmsg.h"
#include "update/update_answer.h"
#include "update/update_look.h"
#include "update/update_products.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace orvel::update {

struct UpdateRow {
    UpdateProduct product;
    UpdateInfo info;               // the last answer, with the package's local file
    int state = kRowUpToDate;
    bool ticked = false;           // "check_name_select"
    bool checkFailed = false;      // no usable answer; failureText says why
    int percent = 0;               // download progress
    std::string offeredVersion;    // "updateRev"; empty when nothing newer is offered
    std::string currentVersion;    // "OldRev"
    std::string failureText;       // why the check or the download failed
    bool justDownloaded = false;   // reached state 5 since the window last took the row

};

struct RowView {
    UpdateRow row;
    RowLook look;
};

struct PageView {
    int status = kPageChecking;
    PageLook look{};
    std::string lastCheckDate;  // follows the text when look.appendDate
    std::string detail;         // why updates are off, for a tooltip
    bool offerButton = false;   // "update_fw_and_ap" shown and enabled
};

class UpdateRowModel {
public:
    explicit UpdateRowModel(HWND window) : window_(window) {}

    void SetRows(std::vector<UpdateRow> rows);
    std::size_t Count() const;
    UpdateRow Row(std::size_t index) const;

    // Changes one row under the lock and tells the window.
    void Change(std::size_t index, const std::function<void(UpdateRow&)>& change);
    // Changes every row for which change returns true; tells the window of each.
    void ChangeEach(const std::function<bool(UpdateRow&)>& change);
    bool Any(const std::function<bool(const UpdateRow&)>& test) const;
    // The first row that passes, or Count().
    std::size_t Find(const std::function<bool(const UpdateRow&)>& test) const;

    void SetPage(int status);
    void SetLastCheckDate(std::string date);
    void SetDetail(std::string detail);
    void SetOfferButton(bool on);
    int Page() const;

    // For the window's thread: the present state; the next change posts again. TakeRow
    // clears justDownloaded.
    RowView TakeRow(std::size_t index);
    PageView TakePage();

private:
    void PostRow(std::size_t index);  // lock held
    void PostPage();                  // lock held

    HWND window_;
    mutable std::mutex mutex_;
    std::vector<UpdateRow> rows_;
    std::vector<bool> rowPending_;
    PageView page_;
    bool pagePending_ = false;
};

} // namespace orvel::update
