#pragma once
// For the tests of the pages' panels: a page's own controls by name (every page has a lighting
// and a profile panel with the same names) and the command reports an emulator received.

#include "sim/devices/command_frame.h"
#include "sim/devices/describe.h"
#include "tests/app/window_bench.h"

#include <string>
#include <vector>

namespace orvel::app::testing {

constexpr int kMouse = 0, kKeyboard = 1, kPad = 2, kHeadset = 3;

template <typename T = DuiLib::CControlUI>
T* OnPage(WindowBench& bench, int kindRow, const wchar_t* name)
{
    pages::CQuorsineUSBDevice* page = bench.window->PageOfKindRow(kindRow);
    DuiLib::CControlUI* c = page != nullptr ? bench.window->GetPaintManager().FindSubControlByName(page, name) : nullptr;
    EXPECT_NE(c, nullptr) << QString::fromWCharArray(name).toStdString();
    return static_cast<T*>(c);
}

// Picks an item of a combo as the user does: the combo sends "itemselect".
inline void Pick(DuiLib::CControlUI* combo, int index)
{
    ASSERT_NE(combo, nullptr);
    static_cast<DuiLib::CComboUI*>(combo)->SelectItem(index, false, true);
}

// A slider let go at value.
inline void Release(WindowBench& bench, DuiLib::CControlUI* slider, int value)
{
    ASSERT_NE(slider, nullptr);
    static_cast<DuiLib::CSliderUI*>(slider)->SetValue(value);
    bench.Send(slider, DuiLib::DUI_MSGTYPE_VALUECHANGED);
}

// The language text of a key.
inline std::wstring Text(const wchar_t* key)
{
    return DuiLib::CResourceManager::GetInstance()->GetText(key).str();
}

// The command reports the device received since the last call, leaving out the light stream,
// the power polls and the link queries before them.
inline std::vector<sim::Frame> Received(sim::ServedDevice& device)
{
    std::vector<sim::Frame> frames;
    for (const sim::ReceivedFrame& f : device.Device().TakeReceived()) {
        const std::uint8_t command = f.request[3];
        if (command == sim::cmd::kWriteLightStream)
            continue;
        if (command == sim::cmd::kReadSmall && !frames.empty() && frames.back()[3] == sim::cmd::kQueryWirelessLink) {
            frames.pop_back();
            continue;
        }
        if (command != sim::cmd::kReadSmall)
            frames.push_back(f.request);
    }
    return frames;
}

// The frames of one settings write of the block bytes at address 0 through path: BeginConfig,
// the block in chunks of the path, EndConfig; through a receiver each after a link query.
inline std::vector<sim::Frame> SettingsWrite(sim::DeviceKind kind, sim::Path path, std::span<const std::uint8_t> block)
{
    std::vector<sim::Frame> frames;
    auto add = [&](const sim::Frame& f) {
        if (path == sim::Path::Receiver)
            frames.push_back(sim::MakeRequest(sim::cmd::kQueryWirelessLink));
        frames.push_back(f);
    };
    add(sim::MakeRequest(sim::cmd::kBeginConfig));
    const std::size_t chunk = sim::LinkChunk(kind, path);
    for (std::size_t at = 0; at < block.size(); at += chunk) {
        const std::size_t n = std::min(chunk, block.size() - at);
        add(sim::MakeRequest(sim::cmd::kWriteBlock, static_cast<std::uint8_t>(n), static_cast<std::uint16_t>(at),
                             block.subspan(at, n)));
    }
    add(sim::MakeRequest(sim::cmd::kEndConfig));
    return frames;
}

inline std::string FramesText(const std::vector<sim::Frame>& frames)
{
    std::string out;
    for (const sim::Frame& f : frames)
        out += sim::ReceivedFrameText({sim::Path::Cable, f, std::nullopt}) + "\n";
    return out;
}

} // namespace orvel::app::testing
