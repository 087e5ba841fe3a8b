// Layouts: XML\CustomControlXML\LightControl.xml

#include "lighting/qt/music_lighting.h"

#include "lighting/qt/colour_select_wnd.h"
#include "lighting/qt/music_wnd.h"

namespace orvel::lighting {

using namespace DuiLib;

namespace {

constexpr const wchar_t* kLabels[3] = {L"R_light_label", L"G_light_label", L"B_light_label"};

// The label beside a slider: the nearest one of that name up the slider's containers (every
// page has its own lighting panel).
CControlUI* LabelNear(CControlUI* slider, const wchar_t* name)
{
    CPaintManagerUI* pm = slider->GetManager();
    for (CControlUI* parent = slider->GetParent(); parent != nullptr && pm != nullptr; parent = parent->GetParent()) {
        if (CControlUI* label = pm->FindSubControlByName(parent, name)) return label;
    }
    return nullptr;
}

} // namespace

DUI_BEGIN_MESSAGE_MAP(CMusicLighting, CNotifyPump)
DUI_ON_CLICK_CTRNAME(L"music_setting_btn", CMusicLighting::OnMusicButton)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_VALUECHANGED, L"R_light_slider", CMusicLighting::OnLevelSlider)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_VALUECHANGED, L"G_light_slider", CMusicLighting::OnLevelSlider)
DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_VALUECHANGED, L"B_light_slider", CMusicLighting::OnLevelSlider)
DUI_END_MESSAGE_MAP()

ORVEL_BEGIN_PREFIX_ROUTES(CMusicLighting)
ORVEL_END_PREFIX_ROUTES()

ORVEL_BEGIN_MESSAGE_ROUTES(CMusicLighting)
ORVEL_ON_MESSAGE(WM_COPYDATA, CMusicLighting::OnCopyData)
ORVEL_ON_MESSAGE(WM_AUDIO_RECORD_FAILED, CMusicLighting::OnStartFailed)
ORVEL_ON_MESSAGE(WM_RESET_AUDIO_FILE, CMusicLighting::OnResetAudioFile)
ORVEL_END_MESSAGE_ROUTES()

CMusicLighting::CMusicLighting(Window window, std::unique_ptr<AudioLighting> audio)
    : window_(std::move(window)), audio_(std::move(audio))
{
    if (!audio_) {
        const HWND hwnd = window_.hwnd;
        audio_ = std::make_unique<AudioLighting>(AudioLighting::StandardSetup(
            window_.commandMessage, hwnd, [hwnd] { orvel::PostMessageW(hwnd, WM_AUDIO_RECORD_FAILED, 0, 0); }));
    }
}

CMusicLighting::~CMusicLighting() = default;

void CMusicLighting::OnMusicButton(TNotifyUI&)
{
    OpenMusicWindow();
}

void CMusicLighting::OpenMusicWindow()
{
    if (music_ != nullptr) return;
    MusicWnd window(audio_->Settings(), window_.dpi ? window_.dpi() : 96);
    if (window.Create(window_.hwnd, L"  ", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, MusicWnd::kWidth,
                      MusicWnd::kHeight) == nullptr)
        return;
    window.CenterWindow();
    music_ = &window;
    const UINT result = window.ShowModal();
    music_ = nullptr;
    if (result == 1) audio_->OnMusicConfirmed(window.Settings());
}

void CMusicLighting::OnLevelSlider(TNotifyUI& msg)
{
    const CDuiString name = msg.pSender->GetName();
    const int channel = name == L"R_light_slider" ? 0 : name == L"G_light_slider" ? 1 : 2;
    const int value = static_cast<CSliderUI*>(msg.pSender)->GetValue();
    audio_->OnLevelSlider(channel, value);
    if (CControlUI* label = LabelNear(msg.pSender, kLabels[channel]))
        label->SetText(AudioLighting::LevelLabel(channel, value).c_str());
}

LRESULT CMusicLighting::OnCopyData(WPARAM, LPARAM lParam)
{
    if (const auto* block = reinterpret_cast<const COPYDATASTRUCT*>(lParam))
        audio_->OnBlock(*block, window_.firstKeyboard ? window_.firstKeyboard() : nullptr);
    return 0;
}

LRESULT CMusicLighting::OnStartFailed(WPARAM, LPARAM)
{
    if (window_.showMessage) window_.showMessage(L"Record open failed!");
    return 0;
}

LRESULT CMusicLighting::OnResetAudioFile(WPARAM, LPARAM)
{
    audio_->ResetAudioFile();
    return 0;
}

void CMusicLighting::CloseWindows()
{
    if (music_ != nullptr) music_->Close(0);
    CloseColourPicker();
}

} // namespace orvel::lighting
