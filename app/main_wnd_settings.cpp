// The main window's settings window: what it is told (the language list, the products and the
// firmware versions of the connected devices) and where it opens.

#include "app/main_wnd.h"

#include "update/qt/setwnd.h"
#include "update/update_products.h"

namespace orvel::app {

using namespace DuiLib;

void CMainWnd::OpenSettings(bool beside)
{
    if (settingsWindow_ != nullptr) {
        settingsWindow_->ShowWindow(true, true);
        return;
    }
    // The firmware of each product's connected device; a device that is gone reads as absent.
    std::array<update::DeviceVersion, update::kFirmwareProductCount> versions{};
    for (std::size_t p = 0; p < versions.size(); ++p) {
        for (pages::CQuorsineUSBDevice* page : pages_) {
            if (page == nullptr || page->Model().KindRowData().kind != update::kFirmwareProductKinds[p] ||
                !ItemVisible(page->Model().KindRow()))
                continue;
            const devices::DeviceCore& core = page->Model().Core();
            versions[p] = {update::FirmwareVersion(core.DeviceInfo()), core.ViaReceiver()};
        }
    }
    std::vector<CDuiString> languages;
    for (const LanguageEntry& entry : languages_)
        languages.push_back(CDuiString::FromUtf8(entry.text));
    const int languageIndex = std::max(languageIndex_, 0);
    update::CSetWnd window(update::DefaultSetWndSetup(nullptr, m_hWnd, languageIndex, update::PresentProducts(versions)),
                           std::move(languages), dpi_);
    if (window.Create(m_hWnd, L"SetWnd", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, update::CSetWnd::kWidth,
                      update::CSetWnd::kHeight) == nullptr)
        return;
    if (beside)
        window.PlaceBeside(m_hWnd);
    else
        window.CenterWindow();
    settingsWindow_ = &window;
    window.ShowModal();
    settingsWindow_ = nullptr;
}

} // namespace orvel::app
