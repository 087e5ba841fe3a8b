#include "ui/filedialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "ui/window.h"

namespace DuiLib {
namespace {

QString Q(const CDuiString& s) { return QString::fromStdWString(s.str()); }

QWidget* OwnerWidget(HWND hOwner) {
    CWindowWnd* w = CWindowWnd::FromHandle(hOwner);
    return w ? w->GetWidget() : nullptr;
}

} // namespace

std::vector<TFileFilter> ParseFileFilter(LPCTSTR pstrFilter) {
    std::vector<TFileFilter> out;
    if (!pstrFilter) return out;
    std::vector<std::wstring> parts;
    std::wstring cur;
    for (const wchar_t* p = pstrFilter; *p; ++p) {
        if (*p == L'|') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += *p;
        }
    }
    parts.push_back(cur);
    auto trim = [](std::wstring s) {
        size_t a = s.find_first_not_of(L' '), b = s.find_last_not_of(L' ');
        return a == std::wstring::npos ? std::wstring() : s.substr(a, b - a + 1);
    };
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::wstring desc = trim(parts[i]), pat = trim(parts[i + 1]);
        if (desc.empty() && pat.empty()) break;
        out.push_back(TFileFilter{desc, pat});
    }
    return out;
}

CDuiString ToDialogFilter(const std::vector<TFileFilter>& filters) {
    QStringList entries;
    for (const auto& f : filters) {
        QStringList patterns = Q(f.patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (auto& p : patterns) p = p.trimmed();
        entries << QStringLiteral("%1 (%2)").arg(Q(f.description).trimmed(), patterns.join(QLatin1Char(' ')));
    }
    return CDuiString(entries.join(QStringLiteral(";;")).toStdWString());
}

CDuiString ShowOpenFileDialog(HWND hOwner, const std::vector<TFileFilter>& filters, LPCTSTR pstrTitle, LPCTSTR, LPCTSTR pstrInitialDir) {
    QString file = QFileDialog::getOpenFileName(OwnerWidget(hOwner), pstrTitle ? QString::fromWCharArray(pstrTitle) : QString(),
                                                pstrInitialDir ? QString::fromWCharArray(pstrInitialDir) : QString(), Q(ToDialogFilter(filters)));
    if (file.isEmpty() || !QFileInfo::exists(file)) return {};
    return CDuiString(file.toStdWString());
}

// The dialog adds the default extension itself, so the file it asks about before overwriting is
// the file that is written.
CDuiString ShowSaveFileDialog(HWND hOwner, const std::vector<TFileFilter>& filters, LPCTSTR pstrTitle, LPCTSTR pstrDefaultExt,
                              LPCTSTR pstrInitialName) {
    QFileDialog dialog(OwnerWidget(hOwner), pstrTitle ? QString::fromWCharArray(pstrTitle) : QString(),
                       pstrInitialName ? QString::fromWCharArray(pstrInitialName) : QString(), Q(ToDialogFilter(filters)));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (pstrDefaultExt && *pstrDefaultExt) dialog.setDefaultSuffix(QString::fromWCharArray(pstrDefaultExt));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return CDuiString(dialog.selectedFiles().first().toStdWString());
}

} // namespace DuiLib
