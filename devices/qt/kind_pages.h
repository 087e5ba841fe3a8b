#pragma once
// The four device pages. Each binds the key and LED buttons of its own layout; what they do
// beyond the base page comes with each kind's page issue.

#include "devices/qt/device_page.h"

namespace orvel::pages {

// The four kinds. The mouse answers the base's class string.
class CQuorsineMouseDevice : public CQuorsineUSBDevice {
public:
    void InitPage() override;
};

class CQuorsineKeyboardDevice : public CQuorsineUSBDevice {
public:
    DuiLib::LPCTSTR GetClass() const override { return L"QuorsineKeyboardDevice"; }
    DuiLib::LPVOID GetInterface(DuiLib::LPCTSTR pstrName) override;
    void InitPage() override;
};

class CQuorsineMousePadDevice : public CQuorsineUSBDevice {
public:
    DuiLib::LPCTSTR GetClass() const override { return L"QuorsineMousePadDevice"; }
    DuiLib::LPVOID GetInterface(DuiLib::LPCTSTR pstrName) override;
    void InitPage() override;
};

class CQuorsineHS6533Device : public CQuorsineUSBDevice {
public:
    DuiLib::LPCTSTR GetClass() const override { return L"QuorsineHS6533Device"; }
    DuiLib::LPVOID GetInterface(DuiLib::LPCTSTR pstrName) override;
    void InitPage() override;
};

} // namespace orvel::pages
