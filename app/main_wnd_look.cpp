// The main window's look: the layout scale, the skin (background), the language and the fonts.
// Layouts: XML_MAIN, XML\CustomControlXML\DeviceOption.xml, XML\CustomControlXML\DevicePower.xml,
//          XML\DeviceXml\mousedevice.xml, XML\DeviceXml\keyboarddevice.xml,
//          XML\DeviceXml\mousepaddevice.xml, XML\DeviceXml\hs6533device.xml

#include "app/main_wnd.h"

#include "app/window_rules.h"
#include "update/qt/setwnd.h"
#include "platform/debuglog.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace orvel::app {

using namespace DuiLib;

void CMainWnd::RunLayoutStep(int forcedDpi)
{
    QWidget* widget = GetWidget();
    if (widget == nullptr)
        return;
    const bool shown = IsWindowVisible() && !IsMinimized();
    int dpi = forcedDpi;
    if (dpi == 0) {
        QScreen* screen = widget->screen() != nullptr ? widget->screen() : QGuiApplication::primaryScreen();
        const QRect monitor = screen != nullptr ? screen->geometry() : QRect();
        dpi = ChooseLayoutDpi(monitor.width(), monitor.height());
    }
    if (!CPaintManagerUI::IsAcceptedDPI(dpi)) {
        debuglog::Write("MAIN_WND DPI SET ERROR");
        dpi = 96;
    }
    dpi_ = dpi;
    CPaintManagerUI::SetAllDPI(96);
    ResizeClient(kMainWidth, kMainHeight);
    CPaintManagerUI::SetAllDPI(dpi);
    CenterWindow();
    ShowWindow(shown, false);
}

int CMainWnd::Respond(SkinChangedParam param, SkinObserver*)
{
    if (root_ == nullptr)
        return 0;
    if (param.isColour) {
        root_->SetBkColor(param.colour);
        root_->SetBkImage(L"");
    } else {
        root_->SetBkColor(0);
        root_->SetBkImage(param.image.c_str());
    }
    return 0;
}

void CMainWnd::LoadStartSkin()
{
    if (const auto image = ReadSkinImage(paths::UserDataFolder() / kSkinSettingsFile))
        Respond(*image, nullptr);
}

void CMainWnd::SwitchLanguage(int index)
{
    const LanguageSwitch plan = PlanLanguageSwitch(languages_, languageIndex_, index);
    if (!plan.change)
        return;
    if (plan.rebuildFonts)
        SetFonts(plan.face);
    languageIndex_ = index;
    CResourceManager* resources = CResourceManager::GetInstance();
    resources->SetLanguage(text::FromUtf8(plan.entry.name).c_str());
    // A key the new file lacks shows as the key, not as the old language's text.
    resources->ResetTextMap();
    if (!resources->LoadLanguage(text::FromUtf8(plan.entry.file).c_str()))
        debuglog::Writef("language file %s not loaded", plan.entry.file.c_str());
    resources->ReloadText();
    WriteLanguageId(plan.entry.id);
    for (pages::CQuorsineUSBDevice* page : pages_) {
        if (page != nullptr)
            page->RefreshLanguage();
    }
    CPaintManagerUI::LookChanged();
    if (root_ != nullptr)
        root_->NeedUpdate();
    m_pm.NeedUpdate();
    if (settingsWindow_ != nullptr)
        settingsWindow_->SendMessage(WM_LANGUAGE_CHANGED, static_cast<WPARAM>(index), 0);
}

void CMainWnd::SetFonts(const std::string& face)
{
    fontFace_ = face;
    const CDuiString name = CDuiString::FromUtf8(face);
    for (const FontSpec& font : SharedFonts()) {
        if (font.id < 0)
            m_pm.SetDefaultFont(name, font.size, font.bold, font.underline, false, true);
        else
            m_pm.AddFont(font.id, name, font.size, font.bold, font.underline, false, true);
    }
    for (CPaintManagerUI* manager : CPaintManagerUI::GetPaintManagers())
        manager->ResetDPIAssets();
}

} // namespace orvel::app
