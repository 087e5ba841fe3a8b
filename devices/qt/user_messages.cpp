#include "devices/qt/user_messages.h"

#include "platform/debuglog.h"

namespace orvel::pages {
namespace {

MessageBoxShow& Box()
{
    static MessageBoxShow box;
    return box;
}

} // namespace

void SetMessageBox(MessageBoxShow show)
{
    Box() = std::move(show);
}

void ShowMessage(HWND owner, std::string_view key)
{
    ShowMessageText(owner, DuiLib::CResourceManager::GetInstance()->GetText(DuiLib::CDuiString::FromUtf8(key)));
}

void ShowMessageText(HWND owner, const DuiLib::CDuiString& text)
{
    if (Box())
        Box()(owner, text);
    else
        debuglog::Write("message: " + text.ToUtf8());
}

} // namespace orvel::pages
