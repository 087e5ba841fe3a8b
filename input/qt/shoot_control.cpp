#include "input/qt/shoot_control.h"

#include "devices/kind_models.h"
#include "devices/qt/device_page.h"
#include "devices/qt/panel_child.h"
#include "platform/text.h"
#include "ui/filedialog.h"

namespace orvel::input {

using namespace DuiLib;

namespace {

constexpr int kGuns = 4;
constexpr int kBullets = 30;

} // namespace

DUI_BEGIN_MESSAGE_MAP(CShootControlUI, DuiLib::CNotifyPump)
DUI_ON_CLICK_CTRNAME(L"bullet_selected_prev", CShootControlUI::OnPrevious)
DUI_ON_CLICK_CTRNAME(L"bullet_selected_next", CShootControlUI::OnNext)
DUI_ON_SELECTCHANGED_CTRNAME(L"bullet_x_check", CShootControlUI::OnDirection)
DUI_ON_SELECTCHANGED_CTRNAME(L"bullet_y_check", CShootControlUI::OnDirection)
DUI_ON_KILLFOCUS_CTRNAME(L"bullet_x_eidt", CShootControlUI::OnEdit)
DUI_ON_KILLFOCUS_CTRNAME(L"bullet_y_eidt", CShootControlUI::OnEdit)
DUI_ON_KILLFOCUS_CTRNAME(L"bullet_delay_eidt", CShootControlUI::OnEdit)
DUI_ON_CLICK_CTRNAME(L"shootdate_reset_btn", CShootControlUI::OnReset)
DUI_ON_CLICK_CTRNAME(L"shootdate_import_btn", CShootControlUI::OnImport)
DUI_ON_CLICK_CTRNAME(L"shootdate_export_btn", CShootControlUI::OnExport)
DUI_ON_CLICK_CTRNAME(L"shootdate_save_btn", CShootControlUI::OnWrite)
DUI_END_MESSAGE_MAP()

ORVEL_BEGIN_PREFIX_ROUTES(CShootControlUI)
ORVEL_ON_PREFIX(DUI_MSGTYPE_SELECTCHANGED, L"shoot_gun_op_", CShootControlUI::OnGun)
ORVEL_ON_PREFIX(DUI_MSGTYPE_SELECTCHANGED, L"bullet_op_", CShootControlUI::OnBullet)
ORVEL_END_PREFIX_ROUTES()

ORVEL_BEGIN_MESSAGE_ROUTES(CShootControlUI)
ORVEL_END_MESSAGE_ROUTES()

LPVOID CShootControlUI::GetInterface(LPCTSTR pstrName)
{
    if (CDuiString(pstrName) == pages::kPagePanelInterface)
        return static_cast<pages::CPagePanel*>(this);
    if (CDuiString(pstrName) == L"ShootControlUI")
        return this;
    return CHorizontalLayoutUI::GetInterface(pstrName);
}

CControlUI* CShootControlUI::Find(const std::wstring& name) const
{
    return pages::PanelChild(*const_cast<CShootControlUI*>(this), name.c_str(), "shoot panel");
}

devices::MouseCore* CShootControlUI::Mouse() const
{
    auto* model = page_ != nullptr ? dynamic_cast<devices::MouseModel*>(&page_->Model()) : nullptr;
    return model != nullptr ? &model->Mouse() : nullptr;
}

void CShootControlUI::BindPage(pages::CQuorsineUSBDevice& page)
{
    page_ = &page;
    const devices::DeviceFolders& folders = page.Model().Core().Folders();
    panel_.SetFolder(folders.profileFolder);
    panel_.SetDefaultFolder(folders.defaultData);
    panel_.Initialise();
    ShowSelection();
    ShowFields(panel_.ShowSelected());
}

void CShootControlUI::RefreshLanguage()
{
    ShowFields(panel_.ShowSelected());
}

BulletFields CShootControlUI::ReadFields() const
{
    BulletFields f;
    if (auto* x = static_cast<COptionUI*>(Find(L"bullet_x_check")))
        f.xChecked = x->IsSelected();
    if (auto* y = static_cast<COptionUI*>(Find(L"bullet_y_check")))
        f.yChecked = y->IsSelected();
    for (auto [name, value] : {std::pair(L"bullet_x_eidt", &f.x), std::pair(L"bullet_y_eidt", &f.y),
                               std::pair(L"bullet_delay_eidt", &f.delay)}) {
        if (CControlUI* edit = Find(name))
            *value = text::ToUtf8(edit->GetText().str());
    }
    return f;
}

void CShootControlUI::ShowFields(const std::optional<BulletFields>& fields)
{
    if (CControlUI* layout = Find(L"bullet_edit_layout"))
        layout->SetEnabled(fields.has_value());
    if (!fields)
        return;
    if (auto* x = static_cast<COptionUI*>(Find(L"bullet_x_check"))) {
        x->Selected(fields->xChecked, false);
        x->SetText(page_->LanguageText(HorizontalLabel(fields->xChecked)).c_str());
    }
    if (auto* y = static_cast<COptionUI*>(Find(L"bullet_y_check"))) {
        y->Selected(fields->yChecked, false);
        y->SetText(page_->LanguageText(VerticalLabel(fields->yChecked)).c_str());
    }
    for (auto [name, value] : {std::pair(L"bullet_x_eidt", &fields->x), std::pair(L"bullet_y_eidt", &fields->y),
                               std::pair(L"bullet_delay_eidt", &fields->delay)}) {
        if (CControlUI* edit = Find(name))
            edit->SetText(text::FromUtf8(*value).c_str());
    }
}

void CShootControlUI::ShowSelection()
{
    for (int n = 0; n < kGuns; ++n) {
        if (auto* option = static_cast<COptionUI*>(Find(L"shoot_gun_op_" + std::to_wstring(n))))
            option->Selected(n == panel_.Gun(), false);
    }
    if (auto* pictures = static_cast<CTabLayoutUI*>(Find(L"shoot_image_display_switch")))
        pictures->SelectItem(panel_.Gun());
    for (int n = 0; n < kBullets; ++n) {
        if (auto* option = static_cast<COptionUI*>(Find(L"bullet_op_" + std::to_wstring(n))))
            option->Selected(n == panel_.Bullet(), false);
    }
    if (CControlUI* label = Find(L"bullet_select_index"))
        label->SetText(text::FromUtf8(panel_.BulletLabel()).c_str());
}

void CShootControlUI::ShowMessage(ShootStatus status)
{
    if (const char* key = ShootMessage(status); key != nullptr && *key != 0 && page_ != nullptr) {
        devices::SequenceResult result;
        result.messages.push_back({key});
        page_->ShowResult(result);
    }
}

std::filesystem::path CShootControlUI::AskFile(bool save) const
{
    if (dialog_)
        return dialog_(save);
    const std::vector<TFileFilter> filters = {{L"Shoot Files(*.shoot)", L"*.shoot;"}};
    const HWND owner = page_->Setup().ownerWindow;
    const CDuiString file = save ? ShowSaveFileDialog(owner, filters, nullptr, L"shoot")
                                 : ShowOpenFileDialog(owner, filters, nullptr, L"shoot");
    return file.IsEmpty() ? std::filesystem::path() : std::filesystem::path(file.ToUtf8());
}

void CShootControlUI::OnGun(TNotifyUI& msg, int n)
{
    if (!static_cast<COptionUI*>(msg.pSender)->IsSelected())
        return;
    const std::optional<BulletFields> fields = panel_.SelectGun(n);
    ShowSelection();
    ShowFields(fields);
}

void CShootControlUI::OnBullet(TNotifyUI& msg, int n)
{
    if (!static_cast<COptionUI*>(msg.pSender)->IsSelected())
        return;
    const std::optional<BulletFields> fields = panel_.SelectBullet(n);
    ShowSelection();
    ShowFields(fields);
}

void CShootControlUI::OnPrevious(TNotifyUI&)
{
    const std::optional<BulletFields> fields = panel_.PreviousBullet();
    ShowSelection();
    ShowFields(fields);
}

void CShootControlUI::OnNext(TNotifyUI&)
{
    const std::optional<BulletFields> fields = panel_.NextBullet();
    ShowSelection();
    ShowFields(fields);
}

void CShootControlUI::OnDirection(TNotifyUI& msg)
{
    // The text says the direction; it is stored with the next edit left.
    auto* option = static_cast<COptionUI*>(msg.pSender);
    const bool horizontal = option->GetName() == L"bullet_x_check";
    const char* key = horizontal ? HorizontalLabel(option->IsSelected()) : VerticalLabel(option->IsSelected());
    option->SetText(page_->LanguageText(key).c_str());
}

void CShootControlUI::OnEdit(TNotifyUI&)
{
    BulletFields fields = ReadFields();
    const ShootStatus status = panel_.Save(fields);
    ShowFields(fields);
    ShowMessage(status);
}

void CShootControlUI::OnReset(TNotifyUI&)
{
    const ShootStatus status = panel_.Reset();
    ShowFields(panel_.ShowSelected());
    ShowMessage(status);
}

void CShootControlUI::OnImport(TNotifyUI&)
{
    const std::filesystem::path file = AskFile(false);
    if (file.empty())
        return;
    const ShootStatus status = panel_.Import(file);
    ShowFields(panel_.ShowSelected());
    ShowMessage(status);
}

void CShootControlUI::OnExport(TNotifyUI&)
{
    const std::filesystem::path file = AskFile(true);
    if (!file.empty())
        ShowMessage(panel_.Export(file));
}

void CShootControlUI::OnWrite(TNotifyUI&)
{
    devices::MouseCore* mouse = Mouse();
    if (mouse == nullptr)
        return;
    const devices::SequenceResult result = page_->Model().Perform([mouse] {
        devices::SequenceResult r;
        const devices::ImageWriteResult write = mouse->WriteShootData();
        r.Take(write.linkStatus == 1 ? 1 : 0);
        return r;
    });
    page_->ShowResult(result);
}

} // namespace orvel::input
