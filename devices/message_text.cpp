#include "devices/message_text.h"

namespace orvel::devices {

std::wstring FormatMessageText(std::wstring languageText, const UserMessage& message)
{
    if (!message.hasNumber)
        return languageText;
    const std::size_t at = languageText.find(L"%d");
    const std::wstring number = std::to_wstring(message.number);
    if (at == std::wstring::npos)
        return languageText + L" (" + number + L")";
    return languageText.replace(at, 2, number);
}

} // namespace orvel::devices
