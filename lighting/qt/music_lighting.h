#pragma once
// The main window's music lighting on the toolkit: it owns the cores of lighting/audio_lighting.h
// and takes, through the routing seam, the main window's controls of it ("music_setting_btn",
// "R_light_slider", "G_light_slider", "B_light_slider", which sit in every page's lighting
// panel) and its messages (WM_COPYDATA from the capture program, a failed start, the audio
// file reset of a profile reset). The main window offers it every notification and message
// before the selected page, and calls Start, OnConnectTimer, CloseWindows and Shutdown.
//
// A panel asks for the reset with SendMessageW(ownerWindow, WM_RESET_AUDIO_FILE, 0, 0).

#include "devices/qt/routed_pump.h"
#include "lighting/audio_lighting.h"
#include "platform/worker.h"
#include "ui/UIlib.h"

#include <functional>
#include <memory>
#include <string>

namespace orvel::lighting {

class MusicWnd;

inline constexpr UINT WM_AUDIO_RECORD_FAILED = 3100; // posted when the capture program could not be started
inline constexpr UINT WM_RESET_AUDIO_FILE = 3101;    // a profile reset: AudioFile.json goes back to its default

class CMusicLighting : public pages::CRoutedPump {
public:
    struct Window {
        HWND hwnd = nullptr;
        UINT commandMessage = 0; // the capture program's registered command message
        // The first keyboard's audio input, or null while no keyboard is there.
        std::function<AudioInputSink*()> firstKeyboard;
        // Shows the program's message box with a text (the main window's CMsgWnd).
        std::function<void(const std::wstring&)> showMessage;
        // The main window's DPI for the music window.
        std::function<int()> dpi;
    };

    explicit CMusicLighting(Window window, std::unique_ptr<AudioLighting> audio = {});
    ~CMusicLighting() override;

    // At "windowinit", with the watchdog's worker slot.
    void Start(WorkerSlot& slot) { audio_->Start(slot); }
    void OnConnectTimer() { audio_->OnConnectTimer(); }
    // OpenMusicWindow: the music settings window, run modally (nothing when it is open already);
    // confirmed, its styles are sent to the capture program and kept in AudioFile.json.
    void OpenMusicWindow();
    // The music window and the colour picker close as cancelled.
    void CloseWindows();
    void Shutdown() { audio_->Shutdown(); }

    AudioLighting& Audio() { return *audio_; }
    bool MusicWindowOpen() const { return music_ != nullptr; }

    DUI_DECLARE_MESSAGE_MAP()
    ORVEL_DECLARE_ROUTES()

private:
    void OnMusicButton(DuiLib::TNotifyUI& msg);
    void OnLevelSlider(DuiLib::TNotifyUI& msg);
    DuiLib::LRESULT OnCopyData(DuiLib::WPARAM wParam, DuiLib::LPARAM lParam);
    DuiLib::LRESULT OnStartFailed(DuiLib::WPARAM wParam, DuiLib::LPARAM lParam);
    DuiLib::LRESULT OnResetAudioFile(DuiLib::WPARAM wParam, DuiLib::LPARAM lParam);

    Window window_;
    std::unique_ptr<AudioLighting> audio_;
    MusicWnd* music_ = nullptr;
};

} // namespace orvel::lighting
