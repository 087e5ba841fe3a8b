#pragma once
// The main window's link with the audio capture program: finding its window, the connect and
// shutdown commands, the colour block and the R, G, B level commands. The window is found
// again whenever a send finds it gone. Any thread may use the link; sends run outside its lock.

#include "lighting/audio_styles.h"
#include "platform/ipc.h"

#include <mutex>
#include <optional>

namespace orvel::lighting {

class AudioRecordLink {
public:
    // commandMessage: the registered number of the capture program's commands in this process;
    // mainWindow: the window the capture program sends its blocks to (it needs an endpoint).
    AudioRecordLink(UINT commandMessage, HWND mainWindow);

    // ConnectAudioRecord: finds the capture program's window and sends register, start
    // sending and start capture. True when it was found and took the commands.
    bool Connect();
    // DisconnectAudioRecord: finds the window afresh and sends stop sending, stop capture and
    // exit.
    void Disconnect();
    bool Connected();

    // SendAudioColour: the selected style's levels, while the window is known.
    void SendColour(const AudioStyleSettings& settings);
    // A level slider of the main window moved: channel 0, 1, 2 for R, G, B.
    void SendLevel(int channel, int value);

private:
    std::optional<ipc::RemoteWindow> Window();
    // Sends the commands in order; a peer that is gone makes the link forget it.
    bool SendCommands(const ipc::RemoteWindow& to, std::initializer_list<std::pair<WPARAM, LPARAM>> commands);
    void Forget(const ipc::RemoteWindow& gone);

    UINT commandMessage_;
    HWND mainWindow_;
    std::mutex lock_;
    std::optional<ipc::RemoteWindow> window_;
};

} // namespace orvel::lighting
