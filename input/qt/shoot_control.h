#pragma once
// CShootControlUI: the shoot data panel of the mouse page: four guns of 30 bullets, the
// selected bullet's move and delay, reset, import, export and the write to the mouse.
// Layout: XML\CustomControlXML\ShootControl.xml

#include "devices/qt/page_panel.h"
#include "input/shoot_panel.h"
#include "ui/UIlib.h"

#include <filesystem>
#include <functional>

namespace orvel::devices {
class MouseCore;
}

namespace orvel::input {

class CShootControlUI : public DuiLib::CHorizontalLayoutUI, public pages::CPagePanel {
public:
    DuiLib::LPCTSTR GetClass() const override { return L"ShootControlUI"; }
    DuiLib::LPVOID GetInterface(DuiLib::LPCTSTR pstrName) override;

    void BindPage(pages::CQuorsineUSBDevice& page) override;
    void RefreshLanguage() override;

    // The file dialogs (a file to read or to write; empty when cancelled). Tests replace them.
    using FileDialog = std::function<std::filesystem::path(bool save)>;
    void SetFileDialog(FileDialog dialog) { dialog_ = std::move(dialog); }

private:
    void OnGun(DuiLib::TNotifyUI& msg, int n);
    void OnBullet(DuiLib::TNotifyUI& msg, int n);
    void OnPrevious(DuiLib::TNotifyUI& msg);
    void OnNext(DuiLib::TNotifyUI& msg);
    void OnDirection(DuiLib::TNotifyUI& msg);
    void OnEdit(DuiLib::TNotifyUI& msg);
    void OnReset(DuiLib::TNotifyUI& msg);
    void OnImport(DuiLib::TNotifyUI& msg);
    void OnExport(DuiLib::TNotifyUI& msg);
    void OnWrite(DuiLib::TNotifyUI& msg);

    DuiLib::CControlUI* Find(const std::wstring& name) const;
    devices::MouseCore* Mouse() const;
    BulletFields ReadFields() const;
    void ShowFields(const std::optional<BulletFields>& fields);
    void ShowSelection();
    void ShowMessage(ShootStatus status);
    std::filesystem::path AskFile(bool save) const;

    pages::CQuorsineUSBDevice* page_ = nullptr;
    ShootPanel panel_;
    FileDialog dialog_;

    DUI_DECLARE_MESSAGE_MAP()
    ORVEL_DECLARE_ROUTES()
};

} // namespace orvel::input
