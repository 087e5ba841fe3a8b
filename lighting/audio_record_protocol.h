#pragma once
// What the main window and the audio capture program (orvel-audiorecord) agree on: how the
// running capture program is known, the commands it takes with the registered message
// app::kAudioRecordMessageName, and the WM_COPYDATA blocks that go either way.

#include "platform/winmsg.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvel::lighting {

// The named mutex the running capture program holds, and its message window's class and title.
inline constexpr std::string_view kAudioRecordMutex = "VARNO Orvel 80AudioRecord";
inline constexpr std::wstring_view kAudioRecordClass = L"VARNO Orvel 80AudioRecord";
inline constexpr std::wstring_view kAudioRecordTitle = L"VARNO Orvel 80AUDIORECORD";
// The program, beside the main program.
inline constexpr std::string_view kAudioRecordProgram = "orvel-audiorecord";

// Commands (wParam); lParam is 0 but for Register (the main window) and the levels.
enum AudioRecordCommand : WPARAM {
    kRegister = 0,     // the sender is the main window the blocks go to
    kStartCapture = 1,
    kStopSending = 2,
    kStartSending = 3,
    kStopCapture = 4,
    kExit = 5,
    kSetRed = 6, // lParam: the level 0..9
    kSetGreen = 7,
    kSetBlue = 8,
};

// Blocks from the capture program to the main window: dwData and the exact size.
inline constexpr ULONG_PTR kSpectrumBlock = 1;
inline constexpr std::size_t kSpectrumValueCount = 500;
inline constexpr std::size_t kSpectrumBlockBytes = kSpectrumValueCount * sizeof(std::int32_t);
inline constexpr ULONG_PTR kColourInputBlock = 2;
inline constexpr std::size_t kColourInputCount = 6;
inline constexpr std::size_t kColourInputBlockBytes = kColourInputCount * sizeof(std::int32_t);

// The colour block to the capture program: R, G, B levels as 32-bit values, then 28 zero bytes.
inline constexpr ULONG_PTR kColourBlock = 10;
inline constexpr std::size_t kColourBlockBytes = 40;
inline constexpr std::int32_t kLevelTop = 9;

} // namespace orvel::lighting
