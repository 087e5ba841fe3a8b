#pragma once
// The window messages that tie the program to other programs and to its own workers, in one
// place: the six registered messages (their names are the contract with other programs, the
// numbers are this process's), and the private message numbers of
// the main window.

#include "platform/winmsg.h"
#include "update/update_messages.h"

#include "input/hook/hook_messages.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::app {

inline constexpr std::wstring_view kProductName = L"VARNO Orvel 80";
// How other programs find the main window: its class name, and the product name as its title.
inline constexpr std::wstring_view kMainWindowClass = L"MainWnd";

// The names of the six registered messages.
inline constexpr std::wstring_view kInstanceMessageName = kProductName;
using update::kUpdateStatusMessageName;
inline constexpr std::wstring_view kLightOwnerMessageName = L"{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
inline constexpr std::wstring_view kLightControlMessageName = L"{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";
inline constexpr std::wstring_view kWorkToolQueryMessageName = L"{4695579F-999A-41d4-9FAF-EFFCE93EBF18}";
// Ends in EBE19, unlike the other four.
inline constexpr std::wstring_view kAudioRecordMessageName = L"{4695579F-999A-41d4-9FAF-EFFCE93EBE19}";

struct RegisteredMessages {
    UINT instance = 0;      // a second start asks the first to come forward
    UINT updateStatus = 0;  // update progress, forwarded to the settings window
    UINT lightOwner = 0;    // broadcast: this program takes (1, 1) or gives up (1, 0) the lighting
    UINT lightControl = 0;  // another program asks us to take (1, 1) or give up (1, 0) the lighting
    UINT workToolQuery = 0; // answered with the device-kind table to the "WorkTool" window
    UINT audioRecord = 0;   // commands to the audio-capture program
};

// Registers the instance message, then the five GUID messages, in that order. The numbers
// stay the same for the whole process; 0 in a field means its registration failed.
const RegisteredMessages& RegisterProgramMessages();

// The game events, the last four of the hook's names: the ones a game integration sends.
inline constexpr std::span<const std::wstring_view, 4> kGameMessageNames{input::kHookMessageNames.data() + 20, 4};

// The registered messages the main window takes from other programs: a second start, update
// notices, light control, the WorkTool query and the game events. Not the hook messages: their
// lParam points at a record in this process.
std::vector<std::wstring> MessagesFromOtherPrograms();
// The hook and game messages (input/hook/hook_messages.h names them): acted on only while the
// system is awake. Every other message is handled whatever the power state.
bool IsAwakeGated(UINT message);

// Private messages of the main window (WM_USER range).
inline constexpr UINT WM_TRAY_NOTIFY = 1025;         // the tray icon: lParam WM_LBUTTONUP / WM_RBUTTONUP
inline constexpr UINT WM_DPI_NOTICE = 0x04C8;        // written to the debug log only
inline constexpr UINT WM_SHOW_PROGRESS = 3072;       // shows "setting_progress"
using update::WM_LANGUAGE_CHANGED;                  // from the settings window: wParam = language index
inline constexpr UINT WM_OPEN_SETTINGS = 3093;       // opens the settings window
using update::WM_CLEAR_SET_BADGE;                   // takes the update badge off "setbtn"

// System messages the main window takes.
inline constexpr UINT WM_MOUSEHOVER = 0x02A1;
inline constexpr UINT WM_MOUSELEAVE = 0x02A3;
inline constexpr UINT WM_POWERBROADCAST = 0x0218;
inline constexpr WPARAM PBT_APMSUSPEND = 4;
inline constexpr WPARAM PBT_APMRESUMEAUTOMATIC = 18;

} // namespace orvel::app
