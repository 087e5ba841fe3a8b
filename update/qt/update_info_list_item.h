#pragma once
// CUpdateInfoListItemUI: one row of the settings window's update list, built from
// "XML\CustomControlXML\device_Update_list_item.xml": the product's tick, its current and
// offered versions, its state with the state's colours, the download's progress, the ok mark
// and the button that shows the downloaded file's folder. It only shows what the update core
// says of its row.

#include "ui/UIlib.h"
#include "update/update_rows.h"

namespace orvel::update {

class CUpdateInfoListItemUI : public DuiLib::CListContainerElementUI {
public:
    static constexpr const wchar_t* kLayout = L"XML\\CustomControlXML\\device_Update_list_item.xml";
    // For the control factory.
    static DuiLib::CControlUI* Create() { return new CUpdateInfoListItemUI; }

    DuiLib::LPCTSTR GetClass() const override { return L"UpdateInfoListItemUI"; }
    DuiLib::LPVOID GetInterface(DuiLib::LPCTSTR pstrName) override;

    // Looks its controls up (once it is in its window) and remembers its row of the list.
    void Bind(std::size_t row);
    std::size_t Row() const { return row_; }
    // The row's state, as the core's view gives it; the state text in the current language.
    void Show(const RowView& view);
    // Whether the product is ticked, as the user left it.
    bool Ticked() const;
    // Whether control is this row's tick or its folder button.
    bool IsTick(const DuiLib::CControlUI* control) const { return control != nullptr && control == tick_; }
    bool IsFolderButton(const DuiLib::CControlUI* control) const { return control != nullptr && control == folder_; }

private:
    DuiLib::CControlUI* Child(const wchar_t* name) const;

    std::size_t row_ = 0;
    DuiLib::COptionUI* tick_ = nullptr;
    DuiLib::CLabelUI* offered_ = nullptr;
    DuiLib::CLabelUI* current_ = nullptr;
    DuiLib::CLabelUI* state_ = nullptr;
    DuiLib::CProgressUI* progress_ = nullptr;
    DuiLib::CLabelUI* percent_ = nullptr;
    DuiLib::CControlUI* ok_ = nullptr;
    DuiLib::CControlUI* folder_ = nullptr;
};

} // namespace orvel::update
