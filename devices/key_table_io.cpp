#include "devices/key_table_io.h"

#include "devicelink/command_frame.h"

namespace orvel::devices {

namespace {

int SetDataSizeStep(CDeviceLink& link, std::size_t bytes)
{
    return link.SetDataSize(static_cast<std::uint16_t>(bytes)) == 1 ? kLinkOk : kLinkInvalidArgument;
}

} // namespace

void RunKeyTableRead(CCommandSequence& sequence, std::array<std::uint8_t, kDeviceInfoSize>& info, KeyImage& table)
{
    sequence.Run([&](CDeviceLink& l) { return l.ReadDeviceInfo(info); });
    sequence.Run([&](CDeviceLink& l) { return SetDataSizeStep(l, std::size_t(info[5]) * 3); });
    sequence.Run([&](CDeviceLink& l) { return l.ReadKeyTable(table); });
}

void RunKeyTableWrite(CCommandSequence& sequence, const KeyImage& image, std::size_t tableBytes, int bank)
{
    sequence.Run([&](CDeviceLink& l) { return SetDataSizeStep(l, tableBytes); });
    sequence.Run([&](CDeviceLink& l) { return l.WriteKeyTable(image, bank); });
}

} // namespace orvel::devices
