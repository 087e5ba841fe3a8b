#include "devices/qt/page_messages.h"

#include "devices/message_text.h"
#include "devices/qt/device_page.h"
#include "platform/debuglog.h"
#include "platform/text.h"

namespace orvel::pages {
namespace {

using namespace DuiLib;

MessageBoxFunction& Box()
{
    static MessageBoxFunction show = nullptr;
    return show;
}

std::wstring LanguageText(const std::string& key)
{
    const std::wstring id = text::FromUtf8(key);
    const CDuiString found = CResourceManager::GetInstance()->GetText(id.c_str());
    return found.IsEmpty() ? id : found.str();
}

int Show(const CQuorsineUSBDevice& page, const std::wstring& text, int buttons)
{
    debuglog::Write(text::ToUtf8(text));
    if (Box() == nullptr)
        return 0;
    const int dpi = page.GetManager() != nullptr ? page.GetManager()->GetDPI() : 96;
    return Box()(page.Setup().ownerWindow, LanguageText("message_title").c_str(), text.c_str(), dpi, false, buttons);
}

} // namespace

void SetPageMessageBox(MessageBoxFunction show)
{
    Box() = show;
}

std::wstring MessageText(const devices::UserMessage& message)
{
    return devices::FormatMessageText(LanguageText(message.key), message);
}

void ShowResult(const CQuorsineUSBDevice& page, const devices::SequenceResult& result)
{
    std::wstring text;
    for (const devices::UserMessage& message : result.messages)
        text += (text.empty() ? L"" : L"\n") + MessageText(message);
    if (!text.empty())
        Show(page, text, 0);
}

void ShowMessage(const CQuorsineUSBDevice& page, const std::string& key)
{
    if (!key.empty())
        Show(page, LanguageText(key), 0);
}

bool AskPage(const CQuorsineUSBDevice& page, const std::string& key)
{
    return Show(page, LanguageText(key), 1) == 1;
}

} // namespace orvel::pages
