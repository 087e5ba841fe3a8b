#include "update/update_look.h"

namespace orvel::update {

namespace {

constexpr std::uint32_t kActive = 0xFF0099FF;
constexpr std::uint32_t kActiveSelected = 0xFF0078C8;
constexpr std::uint32_t kDoneText = 0xFFFFFFFF;
constexpr std::uint32_t kDoneSelected = 0xFF666666;
constexpr std::uint32_t kGrey = 0xFF666666;

} // namespace

bool Tickable(int state)
{
    return state == kRowNewer || state == kRowNewer2 || state == kRowFailed;
}

bool HoldsWindowOpen(int state)
{
    return state == kRowQueued || state == kRowDownloading || state == kRowInstalling;
}

RowLook LookOfRow(int state, bool checkFailed, bool program)
{
    RowLook look{"LessUpdateText", kGrey, kGrey, false, false, false, false, nullptr};
    switch (state) {
    case kRowNewer:
    case kRowNewer2:
        look.textKey = "NeedUpdateText";
        break;
    case kRowQueued:
        look.textKey = "DownloadWaitText";
        break;
    case kRowDownloading:
        look.textKey = "DownloadIngText";
        look.showProgress = true;
        break;
    case kRowDownloaded:
        look.textKey = "DownloadOkText";
        look.showOk = true;
        look.showOpenFolder = true;
        look.hintKey = program ? "UpdateAppDownloadedHint" : "UpdateFirmwareDownloadedHint";
        break;
    case kRowInstalling:
        look.textKey = "UpdateIngText";
        look.showProgress = true;
        break;
    case kRowUpToDate:
        look.textKey = "UpdateOkText";
        look.textColor = kDoneText;
        look.selectedTextColor = kDoneSelected;
        return look;
    case kRowFailed:
        look.textKey = "UpdateFailText";
        break;
    default:
        if (checkFailed)
            look.textKey = "UpdateCheckFailText";
        return look;
    }
    look.textColor = kActive;
    look.selectedTextColor = kActiveSelected;
    look.tickable = Tickable(state);
    return look;
}

PageLook LookOfPage(int status)
{
    switch (status) {
    case kPageChecking:
        return {"GetUpdateInfoText", true, false, false};
    case kPageOffered:
        return {"HaveUpdateInfoText", false, true, false};
    case kPageNoAnswer:
        return {"NoUpdateInfoText", false, true, false};
    case kPageDownloading:
        return {"ISUpdateINGText", false, true, false};
    case kPageUpToDate:
        return {"UpdateIsLastText", false, true, true};
    default:
        return {"UpdateServiceOffText", false, true, false};
    }
}

} // namespace orvel::update
