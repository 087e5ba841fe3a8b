#pragma once
// The file dialogs of the program answered as a user does, for the window tests.

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QTimer>

#include <filesystem>
#include <functional>

namespace orvel::app::testing {

// Whether the dialog's file list shows a file of this name (the list fills in the background).
inline bool Lists(QFileDialog* dialog, const QString& name)
{
    for (QListView* view : dialog->findChildren<QListView*>()) {
        const QModelIndex root = view->rootIndex();
        for (int i = 0; i < view->model()->rowCount(root); ++i) {
            if (view->model()->index(i, 0, root).data().toString() == name)
                return true;
        }
    }
    return false;
}

struct DialogAnswer {
    bool dialog = false;
    bool listed = false; // the file was in the dialog's list
    bool asked = false;  // the dialog asked before overwriting
};
// Runs action, answering the file dialog it opens as a user who types file (without its
// extension when typeStem, leaving the dialog to add it) and then answers the overwrite
// question with overwrite.
inline DialogAnswer AnswerFileDialog(const std::function<void()>& action, const std::filesystem::path& file, bool overwrite,
                                     bool typeStem = false)
{
    DialogAnswer seen;
    int looks = 0;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* question = qobject_cast<QMessageBox*>(modal)) {
            seen.asked = true;
            question->button(overwrite ? QMessageBox::Yes : QMessageBox::No)->click();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            if (seen.dialog) {
                dialog->reject(); // still open: the user said no to overwriting
                return;
            }
            const QString name = QString::fromStdString(file.filename().string());
            if (looks == 0)
                dialog->setDirectory(QString::fromStdString(file.parent_path().string()));
            seen.listed = Lists(dialog, name);
            if (!seen.listed && ++looks < 50)
                return;
            seen.dialog = true;
            const std::filesystem::path typed = typeStem ? file.parent_path() / file.stem() : file;
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(typed.string()));
            // Accepted after this tick: the overwrite question runs a loop of its own inside
            // accept, and this timer does not fire again while its own tick is running.
            QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog*>(dialog)->accept(); });
        }
    });
    timer.start();
    action();
    return seen;
}

} // namespace orvel::app::testing
