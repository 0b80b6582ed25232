#include "components/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QWidget>

namespace FileDialogs {

namespace {
constexpr int kFieldMinimum = 120;
}  // namespace

QString startFolder(QStandardPaths::StandardLocation location) {
    const QString folder = QStandardPaths::writableLocation(location);
    return folder.isEmpty() || !QDir(folder).exists() ? QDir::homePath() : folder;
}

QFileDialog* create(QWidget* window, const QString& title, const QString& path, const QString& filter) {
    auto* dialog = new QFileDialog(window, title, path, filter);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The places column, the captions, the file types (one filter at a time
    // here), "forward" and the view switches would make it wider than the
    // window; the folder box, "back", "up", "new folder", the file list and
    // the name field remain.
    for (const char* wide : {"sidebar", "lookInLabel", "fileTypeLabel", "fileTypeCombo", "forwardButton",
                             "listModeButton", "detailModeButton"})
        if (auto* part = dialog->findChild<QWidget*>(QString::fromLatin1(wide))) part->hide();
    for (const char* field : {"fileNameEdit", "lookInCombo"})
        if (auto* part = dialog->findChild<QWidget*>(QString::fromLatin1(field)))
            part->setMinimumWidth(kFieldMinimum);
    if (window) dialog->resize(window->window()->size());
    return dialog;
}

}  // namespace FileDialogs
