#include "ui/tray.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

#include "platform/debuglog.h"
#include "ui/manager.h"

namespace DuiLib {

struct CTrayIcon::Impl {
    std::unique_ptr<QSystemTrayIcon> icon;
    HWND hWnd = nullptr;
    UINT message = UIMSG_TRAYICON;
    CDuiString tip;
    bool enabled = false;
};

CTrayIcon::CTrayIcon() : d(std::make_unique<Impl>()) {}
CTrayIcon::~CTrayIcon() { DeleteTrayIcon(); }

bool CTrayIcon::IsTrayAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void CTrayIcon::CreateTrayIcon(HWND hWnd, UINT, LPCTSTR pstrToolTip, UINT uMessage) {
    DeleteTrayIcon();
    d->hWnd = hWnd;
    d->message = uMessage;
    d->tip = pstrToolTip ? pstrToolTip : L"";
    d->enabled = true;
    d->icon = std::make_unique<QSystemTrayIcon>();
    QIcon appIcon = QApplication::windowIcon();
    if (appIcon.isNull()) {
        QPixmap pm(32, 32);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(0x30, 0x90, 0xE0));
        p.setPen(Qt::NoPen);
        p.drawEllipse(2, 2, 28, 28);
        appIcon = QIcon(pm);
    }
    d->icon->setIcon(appIcon);
    d->icon->setToolTip(QString::fromStdWString(d->tip.str()));
    QObject::connect(d->icon.get(), &QSystemTrayIcon::activated, d->icon.get(), [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) OnActivated(false);
        else if (reason == QSystemTrayIcon::Context) OnActivated(true);
    });
    if (!IsTrayAvailable()) orvel::debuglog::Write("no notification area on this desktop; the tray icon is not shown");
    d->icon->show();
}

void CTrayIcon::OnActivated(bool bRightButton) {
    if (!d->enabled || !d->hWnd) return;
    orvel::PostMessageW(d->hWnd, d->message, 0, LPARAM(bRightButton ? WM_RBUTTONUP : WM_LBUTTONUP));
}

void CTrayIcon::DeleteTrayIcon() {
    if (d->icon) d->icon->hide();
    d->icon.reset();
    d->enabled = false;
}

bool CTrayIcon::SetTooltipText(LPCTSTR pstrTipText) {
    d->tip = pstrTipText ? pstrTipText : L"";
    if (!d->icon) return false;
    d->icon->setToolTip(QString::fromStdWString(d->tip.str()));
    return true;
}

CDuiString CTrayIcon::GetTooltipText() const { return d->tip; }

bool CTrayIcon::SetIcon(LPCTSTR pstrIconFile) {
    if (!d->icon) return false;
    QIcon icon(QString::fromStdWString(CPaintManagerUI::GetResourceFile(pstrIconFile).str()));
    if (icon.isNull()) return false;
    d->icon->setIcon(icon);
    return true;
}

bool CTrayIcon::SetHideIcon() {
    if (!d->icon) return false;
    d->icon->hide();
    return true;
}

bool CTrayIcon::SetShowIcon() {
    if (!d->icon) return false;
    d->icon->show();
    return true;
}

bool CTrayIcon::IsVisible() const { return d->icon && d->icon->isVisible(); }
bool CTrayIcon::Enabled() const { return d->enabled; }

} // namespace DuiLib
