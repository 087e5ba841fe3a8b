#pragma once
// CMacroControlUI: the macro panel of the keyboard and mouse pages: the macro list of the
// device's folder, the rows of the chosen macro with their delay edits, row editing, the row
// menu, import and export, and recording through the main window's input hook.
// Layout: XML\CustomControlXML\MacroControl.xml

#include "devices/qt/page_panel.h"
#include "input/macro_editor.h"
#include "input/macro_library.h"
#include "input/macro_panel.h"
#include "ui/UIlib.h"

#include <memory>
#include <optional>

namespace orvel::input {

class CMacroControlUI : public DuiLib::CHorizontalLayoutUI, public pages::CPagePanel {
public:
    DuiLib::LPCTSTR GetClass() const override { return L"MacroControlUI"; }
    DuiLib::LPVOID GetInterface(DuiLib::LPCTSTR pstrName) override;

    void BindPage(pages::CQuorsineUSBDevice& page) override;
    void ShowProfile() override;
    // A list only selects rows it shows: the macro picked while the panel was hidden is
    // highlighted once the panel shows.
    void SetInternVisible(bool visible = true) override;
    void SetVisible(bool visible = true) override;

    // The macro shown, -1 when none is.
    int SelectedMacro() const { return macro_; }
    bool Recording() const { return editor_.Recording(); }
    const MacroEditor& Editor() const { return editor_; }

    // The file dialogs: a file to read or to write, empty when the user cancelled. Tests
    // replace them; the default shows the desktop's file dialog.
    using FileDialog = std::function<std::filesystem::path(bool save)>;
    void SetFileDialog(FileDialog dialog) { dialog_ = std::move(dialog); }

private:
    void SelectShownMacro();
    void OnMacroSelect(DuiLib::TNotifyUI& msg);
    void OnAdd(DuiLib::TNotifyUI& msg);
    void OnDelete(DuiLib::TNotifyUI& msg);
    void OnRename(DuiLib::TNotifyUI& msg);
    void OnSave(DuiLib::TNotifyUI& msg);
    void OnCancel(DuiLib::TNotifyUI& msg);
    void OnImport(DuiLib::TNotifyUI& msg);
    void OnExport(DuiLib::TNotifyUI& msg);
    void OnRowEdit(DuiLib::TNotifyUI& msg);
    void OnMove(DuiLib::TNotifyUI& msg);
    void OnStart(DuiLib::TNotifyUI& msg);
    void OnStop(DuiLib::TNotifyUI& msg);
    void OnRowMenu(DuiLib::TNotifyUI& msg);
    void OnDelayEdit(DuiLib::TNotifyUI& msg);
    DuiLib::LRESULT OnMenuCommand(DuiLib::WPARAM wParam, DuiLib::LPARAM lParam);
    DuiLib::LRESULT OnHookEnded(DuiLib::WPARAM wParam, DuiLib::LPARAM lParam);
    template <Placement placement, bool mouse>
    DuiLib::LRESULT OnRecorded(DuiLib::WPARAM wParam, DuiLib::LPARAM lParam);

    DuiLib::CControlUI* Find(const char* name) const;
    // The macro list read again, and the page's panels told (the key-set panel's macro list).
    void ShowMacros(int select);
    void ShowMacro(int index);
    void ShowRows();
    void ShowMessage(MacroStatus status);
    void SaveRows();
    uint16_t ConstantDelay() const;
    // Recording at placement in mode: the main window's hook, the controls it disables.
    void StartRecording(Placement placement, TimeMode mode, bool stopsAfterFirstEvent);
    // Ends the recording UI and saves; uninstall asks the main window to remove the hook.
    void StopRecording(bool uninstall);
    void ShowRecording(bool recording);
    void EnableMacroControls(bool enabled);

    pages::CQuorsineUSBDevice* page_ = nullptr;
    std::unique_ptr<MacroLibrary> library_;
    MacroEditor editor_;
    int macro_ = -1;
    bool stopAfterFirst_ = false;
    FileDialog dialog_;

    DuiLib::CListUI* names_ = nullptr;
    DuiLib::CListUI* rows_ = nullptr;

    DUI_DECLARE_MESSAGE_MAP()
    ORVEL_DECLARE_ROUTES()
};

} // namespace orvel::input
