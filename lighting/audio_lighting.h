#pragma once
// The main window's side of the music lighting, without a window: it keeps the capture program
// running and connected, takes the blocks it sends, sends it the colour levels, and keeps the
// four colour styles in "AudioFile.json". The main window calls it in this order:
//
//   Start(slot)              at "windowinit": the watchdog thread in its worker slot, the
//                            capture program started, the styles read, the colour sent (it
//                            goes out only when the capture program is connected already)
//   OnConnectTimer()         when the window's timer 1011 fired (100 ms after Start)
//   OnBlock(...)             for every WM_COPYDATA (the window procedure returns 0 for it)
//   OnLevelSlider(c, v)      "R_light_slider", "G_light_slider", "B_light_slider" moved
//   Settings(), OnMusicConfirmed(s)   the music settings window opened and confirmed
//   ResetAudioFile()         a profile reset
//   Shutdown()               at exit, after the worker slots were stopped
//
// Everything but the watchdog runs on the window's thread.

#include "lighting/audio_record_link.h"
#include "lighting/audio_band_input.h"
#include "lighting/audio_styles.h"
#include "lighting/audio_watchdog.h"
#include "lighting/clock.h"
#include "platform/worker.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace orvel::lighting {

class AudioLighting : private AudioWatchdogHost {
public:
    struct Setup {
        UINT commandMessage = 0;   // the registered number of the capture program's commands
        HWND mainWindow = nullptr; // the window the blocks come to (it has an endpoint)
        // Called (once per run at most, on any thread) when the capture program could not be
        // started: the window shows "Record open failed!" on its own thread.
        std::function<void()> startFailed;
        std::filesystem::path program; // the capture program
        AudioFile file;
        std::unique_ptr<Waiter> waiter; // the watchdog's clock
    };

    // The capture program beside this program, the standard AudioFile.json and real time.
    static Setup StandardSetup(UINT commandMessage, HWND mainWindow, std::function<void()> startFailed);

    explicit AudioLighting(Setup setup);
    ~AudioLighting() override;

    void Start(WorkerSlot& slot);
    void OnConnectTimer();
    AudioSpectrumInput::Result OnBlock(const COPYDATASTRUCT& block, AudioInputSink* keyboard);
    void OnLevelSlider(int channel, int value);
    // The text of "R_light_label", "G_light_label" or "B_light_label" for a value: "R %d" ...
    static std::wstring LevelLabel(int channel, int value);

    // A copy for the music settings window, read from the audio root.
    AudioStyleSettings Settings() const { return file_.Settings(); }
    // The window closed with its confirm button: the colour goes out and the file is written.
    bool OnMusicConfirmed(const AudioStyleSettings& settings);
    void ResetAudioFile();
    void Shutdown();

    AudioRecordLink& Link() { return link_; }
    const AudioSpectrumInput& Input() const { return input_; }

private:
    bool CaptureRunning() override;
    bool StartCapture() override;
    bool Connected() override { return link_.Connected(); }
    void Connect() override { link_.Connect(); }
    void StartFailed() override;

    std::function<void()> startFailed_;
    std::filesystem::path program_;
    AudioFile file_;
    std::unique_ptr<Waiter> waiter_;
    AudioRecordLink link_;
    AudioWatchdog watchdog_;
    AudioSpectrumInput input_;
};

} // namespace orvel::lighting
