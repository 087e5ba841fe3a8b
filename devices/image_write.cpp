#include "devices/image_write.h"

#include "devicelink/command_sequence.h"
#include "input/macro_library.h"
#include "input/shoot_data.h"

namespace orvel::devices {

namespace {

ImageWriteResult Send(CDeviceLink& link, const input::ImageResult& built,
                      int (CDeviceLink::*command)(std::span<const std::uint8_t>))
{
    ImageWriteResult result;
    result.image = built.status;
    result.value = built.value;
    if (built.status != input::ImageStatus::Ok || link.linkOpen != 1) {
        return result;
    }
    CCommandSequence sequence(link);
    sequence.Begin();
    sequence.Run([&](CDeviceLink& l) { return (l.*command)(built.bytes); });
    result.linkStatus = sequence.End();
    return result;
}


UserMessage MessageOf(const input::WriteMessage& message)
{
    return {message.messageKey, message.number.value_or(0), message.number.has_value()};
}

} // namespace

ImageWriteResult WriteMacroImage(CDeviceLink& link, const std::filesystem::path& profileFolder,
                                 std::span<const int> macros, int unitsOf128)
{
    input::MacroLibrary library(profileFolder);
    library.Load();
    return Send(link, library.BuildImage(macros, unitsOf128), &CDeviceLink::WriteMacroData);
}

ImageWriteResult WriteShootImage(CDeviceLink& link, const std::filesystem::path& profileFolder)
{
    return Send(link, input::BuildShootImage(profileFolder, kShootCapacity), &CDeviceLink::WriteShootData);
}


void TakeMacroWrite(SequenceResult& result, const ImageWriteResult& write, int unitsOf128)
{
    if (write.image == input::ImageStatus::Ok) {
        result.Take(write.linkStatus);
        return;
    }
    if (write.image == input::ImageStatus::NothingToWrite) {
        return;
    }
    input::ImageResult image;
    image.status = write.image;
    image.value = write.value;
    const UserMessage message = MessageOf(input::DescribeMacroWrite(image, unitsOf128));
    if (!message.key.empty()) {
        result.messages.push_back(message);
    }
}

} // namespace orvel::devices
