#include "devices/qt/routed_pump.h"

#include "ui/control.h"

#include <algorithm>
#include <cwctype>

namespace orvel::pages {

int NumberAfterPrefix(std::wstring_view name, std::wstring_view prefix)
{
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
        return -1;
    const std::wstring_view digits = name.substr(prefix.size());
    if (digits.size() > 6)
        return -1;
    int n = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9')
            return -1;
        n = n * 10 + (c - L'0');
    }
    return n;
}

bool CRoutedPump::RouteNotify(DuiLib::TNotifyUI& msg)
{
    if (LoopDispatch(msg) || DispatchPrefix(msg))
        return true;
    for (CRoutedPump* panel : std::vector<CRoutedPump*>(panels_)) {
        if (panel->RouteNotify(msg))
            return true;
    }
    return false;
}

bool CRoutedPump::RouteMessage(DuiLib::UINT message, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                               DuiLib::LRESULT& result)
{
    if (DispatchMessage(message, wParam, lParam, result))
        return true;
    for (CRoutedPump* panel : std::vector<CRoutedPump*>(panels_)) {
        if (panel->RouteMessage(message, wParam, lParam, result))
            return true;
    }
    return false;
}

void CRoutedPump::AddPanel(CRoutedPump* panel)
{
    if (panel != nullptr && std::find(panels_.begin(), panels_.end(), panel) == panels_.end())
        panels_.push_back(panel);
}

void CRoutedPump::RemovePanel(CRoutedPump* panel)
{
    panels_.erase(std::remove(panels_.begin(), panels_.end(), panel), panels_.end());
}

bool CRoutedPump::DispatchPrefix(DuiLib::TNotifyUI& msg)
{
    if (msg.pSender == nullptr)
        return false;
    const DuiLib::CDuiString name = msg.pSender->GetName();
    for (const PrefixRoute& route : GetPrefixRoutes()) {
        if (msg.sType != route.type)
            continue;
        const int n = NumberAfterPrefix(name.str(), route.prefix);
        if (n >= 0) {
            (this->*route.handler)(msg, n);
            return true;
        }
    }
    return false;
}

bool CRoutedPump::DispatchMessage(DuiLib::UINT message, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                                  DuiLib::LRESULT& result)
{
    for (const MessageRoute& route : GetMessageRoutes()) {
        const DuiLib::UINT number = route.registered ? winmsg::RegisteredMessage(route.registered) : route.message;
        if (number != 0 && number == message) {
            result = (this->*route.handler)(wParam, lParam);
            return true;
        }
    }
    return false;
}

} // namespace orvel::pages
