#pragma once
// Writing the 0x55AA images (macros, shoot data) to a mouse or keyboard: build the image from
// the profile folder's files, then BeginConfig, the data command and EndConfig as one guarded
// sequence. Nothing is sent when the image cannot be built.

#include "devicelink/device_link.h"
#include "devices/device_core.h"
#include "input/event_image.h"
#include "input/key_text.h"

#include <filesystem>
#include <span>

namespace orvel::devices {

struct ImageWriteResult {
    input::ImageStatus image = input::ImageStatus::Failed;
    std::int64_t value = 0;     // total size (TooBig) or event count (TooManyEvents)
    int linkStatus = 0;         // 1 when the image reached the device; 0 when nothing was sent
    // Keys may be written: the macros they use are on the device (or no macro is listed).
    bool KeysMayFollow() const
    {
        return image == input::ImageStatus::NothingToWrite || (image == input::ImageStatus::Ok && linkStatus == 1);
    }
};

// The macros listed, in this order, for a device with unitsOf128 x 128 bytes of macro memory.
ImageWriteResult WriteMacroImage(CDeviceLink& link, const std::filesystem::path& profileFolder,
                                 std::span<const int> macros, int unitsOf128);

// The four guns' shoot files of the profile folder.
inline constexpr std::size_t kShootCapacity = 16 + 6 * 4 + 4 * 4 * 180;
ImageWriteResult WriteShootImage(CDeviceLink& link, const std::filesystem::path& profileFolder);

// Adds what the page must say about a macro write to result: the image's refusal message, or
// the not-updated message when a built image did not reach the device.
void TakeMacroWrite(SequenceResult& result, const ImageWriteResult& write, int unitsOf128);

} // namespace orvel::devices
