#pragma once
// The key-table steps the mouse and keyboard sequences share: the attach read of the
// information record and the key table, and the write of a key image. Both run inside a
// sequence the caller began, so the caller decides what else goes with them.

#include "devicelink/command_sequence.h"
#include "devices/device_core.h"
#include "devices/key_image.h"

#include <array>
#include <cstddef>

namespace orvel::devices {

// Reads the information record, sets the data size to its key count x 3 and reads the key
// table.
void RunKeyTableRead(CCommandSequence& sequence, std::array<std::uint8_t, kDeviceInfoSize>& info, KeyImage& table);

// Sets the data size to tableBytes and writes image as the key table of bank.
void RunKeyTableWrite(CCommandSequence& sequence, const KeyImage& image, std::size_t tableBytes, int bank);

} // namespace orvel::devices
