#pragma once
// The text a page shows for a message: its language text with the message's number in place of
// the first "%d". Any other "%" of the text is shown as it is.

#include "devices/device_core.h"

#include <string>

namespace orvel::devices {

std::wstring FormatMessageText(std::wstring languageText, const UserMessage& message);

} // namespace orvel::devices
