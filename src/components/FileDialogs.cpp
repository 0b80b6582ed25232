#include "components/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QWidget>

#include "components/Popups.h"

namespace FileDialogs {

namespace {
// Room for the places, the file list's columns and a whole path.
constexpr QSize kDialogSize(kMinimumWidth, kMinimumHeight);
}  // namespace

QString startFolder(QStandardPaths::StandardLocation location) {
    const QString folder = QStandardPaths::writableLocation(location);
    return folder.isEmpty() || !QDir(folder).exists() ? QDir::homePath() : folder;
}

QFileDialog* create(QWidget* window, const QString& title, const QString& path, const QString& filter) {
    auto* dialog = new QFileDialog(window, title, path, filter);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Squeezed to the phone-sized window, the path and the file list's
    // columns were cut: the dialog has a desktop size of its own, centred
    // over the app's window and kept on the screen.
    Popups::keepOwnSize(dialog);
    dialog->resize(kDialogSize.expandedTo(dialog->minimumSizeHint()));
    if (window) {
        const QWidget* top = window->window();
        QRect placed(QPoint(), dialog->size());
        placed.moveCenter(top->geometry().center());
        dialog->move(placed.topLeft());
    }
    return dialog;
}

}  // namespace FileDialogs
