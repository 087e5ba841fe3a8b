#pragma once
// The notification-area icon. Left and right button releases reach the window as its tray
// message with WM_LBUTTONUP / WM_RBUTTONUP in lParam. A desktop without a tray is not an
// error: the icon then simply does not show.

#include <memory>

#include "ui/core.h"

namespace DuiLib {

inline constexpr UINT UIMSG_TRAYICON = orvel::WM_USER + 1;

class CTrayIcon {
public:
    CTrayIcon();
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // uIconIDResource is kept for callers that name a resource; the icon comes from SetIcon
    // or the application's window icon.
    void CreateTrayIcon(HWND hWnd, UINT uIconIDResource, LPCTSTR pstrToolTip = nullptr, UINT uMessage = UIMSG_TRAYICON);
    void DeleteTrayIcon();
    bool SetTooltipText(LPCTSTR pstrTipText);
    CDuiString GetTooltipText() const;
    // An image file (resource path relative or absolute).
    bool SetIcon(LPCTSTR pstrIconFile);
    bool SetHideIcon();
    bool SetShowIcon();
    bool IsVisible() const;
    bool Enabled() const;
    // Whether the desktop shows tray icons at all.
    static bool IsTrayAvailable();
    // Reports a button release as the tray does (used by the Qt signal and by tests).
    void OnActivated(bool bRightButton);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace DuiLib
