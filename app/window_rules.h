#pragma once
// The main window's rules that need no window: the layout scale chosen from the monitor, the
// block answered to the "WorkTool" window, and the previous / next visible item of the selector.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvel::app {

// 144 on a monitor wider than 1500 and taller than 960 pixels, else 96.
int ChooseLayoutDpi(int monitorWidth, int monitorHeight);

// The main window's size at 96 DPI after the first layout.
inline constexpr int kMainWidth = 1000;
inline constexpr int kMainHeight = 640;

// WM_COPYDATA to "WorkTool": dwData 5, 1024 bytes of 32-bit integers: four fixed values, the
// number of kind rows, then vendorId, productId and kind of each row; the rest zero.
inline constexpr std::uint32_t kWorkToolDataId = 5;
inline constexpr std::size_t kWorkToolBytes = 1024;
inline constexpr std::array<std::int32_t, 4> kWorkToolHead = {2, 3, 0, 2};
inline constexpr const wchar_t* kWorkToolTitle = L"WorkTool";
std::array<std::uint8_t, kWorkToolBytes> BuildWorkToolAnswer();

// The texts of "control_light_status" (set as they are; the language files carry them as ids).
inline constexpr const wchar_t* kLightControlText = L"控制灯光";
inline constexpr const wchar_t* kNoLightControlText = L"不控制灯光";

// The visible item before (step -1) or after (step +1) the current one; -1 when there is none.
int NextVisibleItem(const std::vector<bool>& visible, int current, int step);

} // namespace orvel::app
