// Layouts: setwnd.xml, XML\CustomControlXML\device_Update_list_item.xml

#include "update/qt/setwnd.h"

#include "devices/qt/user_messages.h"
#include "update/qt/update_info_list_item.h"
#include "update/update_messages.h"

#include <filesystem>

namespace orvel::update {

using namespace DuiLib;

namespace {

const wchar_t* MarkImage(PageMark mark)
{
    switch (mark) {
    case PageMark::Offered: return L"common/ctl/update_mark.svg";
    case PageMark::Problem: return L"common/ctl/warn_mark.svg";
    default: return L"common/ctl/ok_mark.svg";
    }
}

} // namespace

DUI_BEGIN_MESSAGE_MAP(CSetWnd, CNotifyPump)
DUI_ON_CLICK_CTRNAME(L"closebtn", CSetWnd::OnCloseButton)
DUI_ON_CLICK_CTRNAME(L"laterbtn", CSetWnd::OnCloseButton)
DUI_ON_CLICK_CTRNAME(L"minbtn", CSetWnd::OnSystemButton)
DUI_ON_CLICK_CTRNAME(L"maxbtn", CSetWnd::OnSystemButton)
DUI_ON_CLICK_CTRNAME(L"restorebtn", CSetWnd::OnSystemButton)
DUI_ON_CLICK_CTRNAME(L"set_in_update_wnd_btn", CSetWnd::OnHideHint)
DUI_ON_CLICK_CTRNAME(L"update_fw_and_ap", CSetWnd::OnOffered)
DUI_ON_CLICK_CTRNAME(L"update_OK_btn", CSetWnd::OnStartUpdate)
DUI_ON_CLICK_CTRNAME(L"update_back_btn", CSetWnd::OnBack)
DUI_ON_CLICK_CTRNAME(L"update_open_folder_btn", CSetWnd::OnOpenFolder)
DUI_ON_SELECTCHANGED_CTRNAME(L"check_name_select", CSetWnd::OnTick)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_ITEMSELECT, L"Language_combox_info", CSetWnd::OnLanguage)
DUI_END_MESSAGE_MAP()

CSetWnd::CSetWnd(SetWndSetup setup, std::vector<CDuiString> languages, int dpi)
    : setup_(std::move(setup)), languages_(std::move(languages)), dpi_(dpi)
{
}

CSetWnd::~CSetWnd() = default;

void CSetWnd::InitWindow()
{
    list_ = static_cast<CListUI*>(m_pm.FindControl(L"update_info_list"));
    tabs_ = static_cast<CTabLayoutUI*>(m_pm.FindControl(L"get_update_tab_layout"));
    offerButton_ = m_pm.FindControl(L"update_fw_and_ap");
    ring_ = m_pm.FindControl(L"update_status_ring");
    statusImage_ = m_pm.FindControl(L"update_status_image");
    statusText_ = static_cast<CLabelUI*>(m_pm.FindControl(L"Update_Status_text"));
    languageCombo_ = static_cast<CComboUI*>(m_pm.FindControl(L"Language_combox_info"));
    hint_ = m_pm.FindControl(L"update_tishi_layout");
    if (!CPaintManagerUI::IsAcceptedDPI(dpi_))
        dpi_ = 96;
    m_pm.SetDPI(dpi_);

    setup_.settingsWindow = m_hWnd;
    core_ = std::make_unique<SetWndCore>(setup_);
    ShowLanguages();
    core_->Open();
    BuildRows();
    ShowPage();
}

void CSetWnd::PlaceBeside(HWND mainWindow)
{
    auto* main = CWindowWnd::FromHandle(mainWindow);
    if (main == nullptr)
        return;
    const RECT beside = main->GetWindowRect();
    const RECT self = GetWindowRect();
    const CDPI* dpi = m_pm.GetDPIObj();
    MoveWindow(beside.right - dpi->Scale(30) - (self.right - self.left), beside.top + dpi->Scale(60),
               self.right - self.left, self.bottom - self.top);
}

void CSetWnd::ShowLanguages()
{
    if (languageCombo_ == nullptr)
        return;
    for (const CDuiString& language : languages_) {
        auto* item = new CListLabelElementUI;
        item->SetResourceText(true);
        item->SetText(language);
        languageCombo_->Add(item);
    }
    languageCombo_->SelectItem(core_->LanguageIndex(), false, false);
}

void CSetWnd::BuildRows()
{
    if (list_ == nullptr)
        return;
    for (std::size_t i = 0; i < core_->Rows().Count(); ++i) {
        CDialogBuilder builder;
        auto* row = dynamic_cast<CUpdateInfoListItemUI*>(builder.Create(CUpdateInfoListItemUI::kLayout, nullptr, this, &m_pm));
        if (row == nullptr)
            continue;
        list_->Add(row);
        row->Bind(i);
        rows_.push_back(row);
        ShowRow(i);
    }
}

void CSetWnd::ShowRow(std::size_t index)
{
    if (index >= rows_.size())
        return;
    const RowView view = core_->Rows().TakeRow(index);
    rows_[index]->Show(view);
    if (view.row.justDownloaded && view.look.hintKey != nullptr) {
        const CDuiString hint = CResourceManager::GetInstance()->GetText(CDuiString::FromUtf8(view.look.hintKey));
        pages::ShowMessageText(m_hWnd, hint + L"\n" + CDuiString::FromUtf8(view.row.info.localFile));
    }
}

void CSetWnd::ShowPage()
{
    const PageView page = core_->Rows().TakePage();
    if (ring_ != nullptr)
        ring_->SetVisible(page.look.showRing);
    if (statusImage_ != nullptr) {
        statusImage_->SetVisible(page.look.showImage);
        statusImage_->SetBkImage(MarkImage(page.look.mark));
    }
    if (statusText_ != nullptr) {
        // The date follows the text as it is; the text alone stays a key, so it follows the
        // language by itself.
        const CDuiString key = CDuiString::FromUtf8(page.look.textKey);
        statusText_->SetResourceText(!page.look.appendDate);
        statusText_->SetText(page.look.appendDate
                                 ? CResourceManager::GetInstance()->GetText(key) + CDuiString::FromUtf8(page.lastCheckDate)
                                 : key);
        statusText_->SetToolTip(CDuiString::FromUtf8(page.detail));
    }
    if (offerButton_ != nullptr) {
        offerButton_->SetVisible(page.offerButton);
        offerButton_->SetEnabled(page.offerButton);
    }
}

CUpdateInfoListItemUI* CSetWnd::RowOf(CControlUI* control) const
{
    for (CControlUI* c = control; c != nullptr; c = c->GetParent()) {
        if (auto* row = static_cast<CUpdateInfoListItemUI*>(c->GetInterface(L"UpdateInfoListItem")))
            return row;
    }
    return nullptr;
}

void CSetWnd::OnCloseButton(TNotifyUI&)
{
    Close(IDCANCEL);
}

void CSetWnd::OnSystemButton(TNotifyUI& msg)
{
    WindowImplBase::OnClick(msg);
}

void CSetWnd::OnHideHint(TNotifyUI&)
{
    if (hint_ != nullptr)
        hint_->SetVisible(false);
    const CDPI* dpi = m_pm.GetDPIObj();
    ResizeClient(dpi->Scale(kWidth), dpi->Scale(kHeight));
}

void CSetWnd::OnOffered(TNotifyUI&)
{
    if (tabs_ != nullptr)
        tabs_->SelectItem(1);
}

void CSetWnd::OnBack(TNotifyUI&)
{
    if (tabs_ != nullptr)
        tabs_->SelectItem(0);
}

void CSetWnd::OnStartUpdate(TNotifyUI&)
{
    core_->StartDownloads();
    if (tabs_ != nullptr)
        tabs_->SelectItem(0);
}

void CSetWnd::OnTick(TNotifyUI& msg)
{
    if (CUpdateInfoListItemUI* row = RowOf(msg.pSender))
        core_->SetTicked(row->Row(), row->Ticked());
}

void CSetWnd::OnOpenFolder(TNotifyUI& msg)
{
    CUpdateInfoListItemUI* row = RowOf(msg.pSender);
    if (row == nullptr || core_->OpenDownloadFolder(row->Row()))
        return;
    // No file manager to show it: say where the file is.
    const CDuiString text = CResourceManager::GetInstance()->GetText(L"UpdateOpenFolderFailText");
    const std::filesystem::path file = core_->Rows().Row(row->Row()).info.localFile;
    pages::ShowMessageText(m_hWnd, text + L"\n" + CDuiString::FromUtf8(file.parent_path().string()));
}

void CSetWnd::OnLanguage(TNotifyUI&)
{
    if (languageCombo_ != nullptr && languageCombo_->GetCurSel() >= 0)
        core_->SelectLanguage(languageCombo_->GetCurSel());
}

void CSetWnd::EndWithProgram()
{
    ending_ = true;
    Close(IDCANCEL);
}

LRESULT CSetWnd::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    if (ending_) {
        core_->Stop();
        bHandled = FALSE;
        return 0;
    }
    // Handled means refused: the window stays while a download is queued or running.
    bHandled = core_->RequestClose() ? FALSE : TRUE;
    return 0;
}

LRESULT CSetWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    core_->Stop();
    bHandled = FALSE;
    return 0;
}

LRESULT CSetWnd::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    bHandled = TRUE;
    switch (uMsg) {
    case WM_UPDATE_ROW_CHANGED: ShowRow(static_cast<std::size_t>(wParam)); return 0;
    case WM_UPDATE_PAGE_CHANGED: ShowPage(); return 0;
    case WM_LANGUAGE_CHANGED:
        // The page's date text is made of a translated text; the rest follows by itself.
        ShowPage();
        m_pm.NeedUpdate();
        return 0;
    case WM_DPICHANGED: {
        const int dpi = static_cast<int>(wParam & 0xFFFF);
        if (CPaintManagerUI::IsAcceptedDPI(dpi))
            m_pm.SetDPI(dpi);
        if (const auto* suggested = reinterpret_cast<const RECT*>(lParam))
            MoveWindow(suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top);
        return 0;
    }
    default: break;
    }
    if (uMsg != 0 && uMsg == winmsg::RegisteredMessage(kUpdateStatusMessageName)) {
        core_->OnUpdateStatus(wParam, lParam);
        return 0;
    }
    bHandled = FALSE;
    return 0;
}

} // namespace orvel::update
