#pragma once
// How the update list and its page look in each state, as data: the language keys of the
// texts, the text colours and which parts are shown. The settings window only applies these.

#include <cstdint>

namespace orvel::update {

// Row states.
enum RowState : int {
    kRowNothing = 0,      // nothing can be done: the check failed, or updates are off
    kRowNewer = 1,        // a newer version is offered (1 and 2 alike)
    kRowNewer2 = 2,
    kRowQueued = 3,       // ticked, waiting for its download
    kRowDownloading = 4,
    kRowDownloaded = 5,   // the package is in the download folder (final here: nothing runs it)
    kRowInstalling = 6,   // not reached: this program never starts a package
    kRowUpToDate = 7,
    kRowFailed = 8,       // the download failed; may be ticked again
};

// Page states.
enum PageStatus : int {
    kPageChecking = 0,
    kPageOffered = 1,      // updates are offered (or downloaded, waiting to be installed)
    kPageNoAnswer = 2,     // no usable answer came for any product that could be checked
    kPageDownloading = 3,
    kPageUpToDate = 4,     // every product answered and none is newer; the date follows the text
    kPageUpdatesOff = 5,   // this build or the environment has no update service address
};

// A colour of 0 leaves the layout's own colour.
struct RowLook {
    const char* textKey;           // "update_status_text"
    std::uint32_t textColor;       // the row's texts ("check_name_select", "updateRev", "OldRev", state)
    std::uint32_t selectedTextColor;
    bool tickable;                 // "check_name_select" enabled
    bool showProgress;             // "update_status_ing" and "update_progress_value"
    bool showOk;                   // "update_status_ok"
    bool showOpenFolder;           // the button that opens the download folder
    const char* hintKey;           // what to do with the downloaded file; null when none
};

// program: the row is the program's own package rather than a device's firmware.
RowLook LookOfRow(int state, bool checkFailed, bool program);

struct PageLook {
    const char* textKey;   // "Update_Status_text"
    bool showRing;         // "update_status_ring"
    bool showImage;        // "update_status_image"
    bool appendDate;       // the last-check date follows the text, as plain text
};

PageLook LookOfPage(int status);

// Whether the user may tick a row in this state.
bool Tickable(int state);
// Whether the window must stay open: a download is queued or running.
bool HoldsWindowOpen(int state);

} // namespace orvel::update
