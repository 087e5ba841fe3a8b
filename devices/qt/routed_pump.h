#pragma once
// The one place a device page or a panel says what it handles. The main window routes every
// toolkit notification it does not handle itself, and the window messages meant for the shown
// page, to the selected page; the page hands what it does not take to its panels.
//
// A class lists:
//   - notifications by type and control name: the toolkit's message map
//     (DUI_DECLARE_MESSAGE_MAP / DUI_BEGIN_MESSAGE_MAP ... DUI_ON_CLICK_CTRNAME ...);
//   - notifications of numbered controls ("key_" + n, "DPI_slider_" + n): a prefix table;
//   - window messages by number or by registered name: a message table.
//
//   ORVEL_DECLARE_ROUTES()                                   in the class
//   ORVEL_BEGIN_PREFIX_ROUTES(CMyPage)
//       ORVEL_ON_PREFIX(DUI_MSGTYPE_CLICK, L"key_", CMyPage::OnKey)   // void OnKey(TNotifyUI&, int n)
//   ORVEL_END_PREFIX_ROUTES()
//   ORVEL_BEGIN_MESSAGE_ROUTES(CMyPage)
//       ORVEL_ON_MESSAGE(WM_HOOK_CONTROL, CMyPage::OnHook)            // LRESULT OnHook(WPARAM, LPARAM)
//       ORVEL_ON_REGISTERED(L"Game_Start", CMyPage::OnGame)
//   ORVEL_END_MESSAGE_ROUTES()

#include "ui/window.h"

#include <span>
#include <string_view>
#include <vector>

namespace orvel::pages {

class CRoutedPump;
using PrefixHandler = void (CRoutedPump::*)(DuiLib::TNotifyUI& msg, int number);
using MessageHandler = DuiLib::LRESULT (CRoutedPump::*)(DuiLib::WPARAM wParam, DuiLib::LPARAM lParam);

struct PrefixRoute {
    const wchar_t* type;
    const wchar_t* prefix; // the name is this prefix followed by a decimal number
    PrefixHandler handler;
};

struct MessageRoute {
    DuiLib::UINT message;       // 0 for a registered message
    const wchar_t* registered;  // the registered name, or null
    MessageHandler handler;
};

// The decimal number after prefix in name, or -1 when name is not prefix + digits.
int NumberAfterPrefix(std::wstring_view name, std::wstring_view prefix);

class CRoutedPump : public DuiLib::CNotifyPump {
public:
    // Offers a notification to this class's tables, then to its panels in the order they were
    // added; true when someone took it.
    virtual bool RouteNotify(DuiLib::TNotifyUI& msg);
    // Offers a window message the same way; result is the handler's answer.
    virtual bool RouteMessage(DuiLib::UINT message, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                              DuiLib::LRESULT& result);

    // A panel of this page (it must stay alive while added).
    void AddPanel(CRoutedPump* panel);
    void RemovePanel(CRoutedPump* panel);

protected:
    virtual std::span<const PrefixRoute> GetPrefixRoutes() const { return {}; }
    virtual std::span<const MessageRoute> GetMessageRoutes() const { return {}; }

private:
    bool DispatchPrefix(DuiLib::TNotifyUI& msg);
    bool DispatchMessage(DuiLib::UINT message, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam, DuiLib::LRESULT& result);
    std::vector<CRoutedPump*> panels_;
};

} // namespace orvel::pages

#define ORVEL_DECLARE_ROUTES()                                                         \
protected:                                                                             \
    std::span<const orvel::pages::PrefixRoute> GetPrefixRoutes() const override;       \
    std::span<const orvel::pages::MessageRoute> GetMessageRoutes() const override;

#define ORVEL_BEGIN_PREFIX_ROUTES(theClass)                                            \
    std::span<const orvel::pages::PrefixRoute> theClass::GetPrefixRoutes() const       \
    {                                                                                  \
        static const orvel::pages::PrefixRoute routes[] = {
#define ORVEL_ON_PREFIX(type, prefix, memberFxn) {type, prefix, static_cast<orvel::pages::PrefixHandler>(&memberFxn)},
#define ORVEL_END_PREFIX_ROUTES()                                                      \
    {nullptr, nullptr, nullptr}};                                                      \
    return std::span(routes, std::size(routes) - 1);                                   \
    }

#define ORVEL_BEGIN_MESSAGE_ROUTES(theClass)                                           \
    std::span<const orvel::pages::MessageRoute> theClass::GetMessageRoutes() const     \
    {                                                                                  \
        static const orvel::pages::MessageRoute routes[] = {
#define ORVEL_ON_MESSAGE(message, memberFxn) {message, nullptr, static_cast<orvel::pages::MessageHandler>(&memberFxn)},
#define ORVEL_ON_REGISTERED(name, memberFxn) {0, name, static_cast<orvel::pages::MessageHandler>(&memberFxn)},
#define ORVEL_END_MESSAGE_ROUTES()                                                     \
    {0, nullptr, nullptr}};                                                            \
    return std::span(routes, std::size(routes) - 1);                                   \
    }
