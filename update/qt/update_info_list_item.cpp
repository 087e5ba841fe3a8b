// Layouts: XML\CustomControlXML\device_Update_list_item.xml

#include "update/qt/update_info_list_item.h"

#include <string>

namespace orvel::update {

using namespace DuiLib;

namespace {

void ShowControl(CControlUI* control, bool visible)
{
    if (control != nullptr)
        control->SetVisible(visible);
}

void SetColour(CLabelUI* label, std::uint32_t colour)
{
    if (label != nullptr && colour != 0)
        label->SetTextColor(colour);
}

} // namespace

LPVOID CUpdateInfoListItemUI::GetInterface(LPCTSTR pstrName)
{
    if (CDuiString(pstrName) == L"UpdateInfoListItem")
        return this;
    return CListContainerElementUI::GetInterface(pstrName);
}

CControlUI* CUpdateInfoListItemUI::Child(const wchar_t* name) const
{
    return m_pManager != nullptr ? m_pManager->FindSubControlByName(const_cast<CUpdateInfoListItemUI*>(this), name)
                                 : nullptr;
}

void CUpdateInfoListItemUI::Bind(std::size_t row)
{
    row_ = row;
    tick_ = dynamic_cast<COptionUI*>(Child(L"check_name_select"));
    offered_ = dynamic_cast<CLabelUI*>(Child(L"updateRev"));
    current_ = dynamic_cast<CLabelUI*>(Child(L"OldRev"));
    state_ = dynamic_cast<CLabelUI*>(Child(L"update_status_text"));
    progress_ = dynamic_cast<CProgressUI*>(Child(L"update_status_ing"));
    percent_ = dynamic_cast<CLabelUI*>(Child(L"update_progress_value"));
    ok_ = Child(L"update_status_ok");
    folder_ = Child(L"update_open_folder_btn");
}

void CUpdateInfoListItemUI::Show(const RowView& view)
{
    const UpdateRow& row = view.row;
    const RowLook& look = view.look;
    if (tick_ != nullptr) {
        tick_->SetText(CDuiString::FromUtf8(ProductNameKey(row.product)));
        if (tick_->IsSelected() != row.ticked)
            tick_->Selected(row.ticked, false);
        tick_->SetEnabled(look.tickable);
        SetColour(tick_, look.textColor);
        if (look.selectedTextColor != 0)
            tick_->SetSelectedTextColor(look.selectedTextColor);
    }
    if (offered_ != nullptr) {
        offered_->SetText(CDuiString::FromUtf8(row.offeredVersion));
        offered_->SetVisible(!row.offeredVersion.empty());
        SetColour(offered_, look.textColor);
    }
    if (current_ != nullptr) {
        current_->SetText(CDuiString::FromUtf8(row.currentVersion));
        SetColour(current_, look.textColor);
    }
    if (state_ != nullptr) {
        state_->SetText(CDuiString::FromUtf8(look.textKey));
        state_->SetToolTip(CDuiString::FromUtf8(row.failureText));
        SetColour(state_, look.textColor);
    }
    if (progress_ != nullptr)
        progress_->SetValue(row.percent);
    if (percent_ != nullptr)
        percent_->SetText((std::to_wstring(row.percent) + L"%").c_str());
    ShowControl(progress_, look.showProgress);
    ShowControl(percent_, look.showProgress);
    ShowControl(ok_, look.showOk);
    ShowControl(folder_, look.showOpenFolder);
    SetUserData(CDuiString::FromUtf8(row.info.path));
}

bool CUpdateInfoListItemUI::Ticked() const
{
    return tick_ != nullptr && tick_->IsSelected();
}

} // namespace orvel::update
