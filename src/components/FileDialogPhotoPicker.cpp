#include "components/FileDialogPhotoPicker.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <memory>

#include "components/FileDialogs.h"

FileDialogPhotoPicker::FileDialogPhotoPicker(QWidget* window, QString title, QString dialogName)
    : window_(window), title_(std::move(title)), dialogName_(std::move(dialogName)) {}

void FileDialogPhotoPicker::pickImage(std::function<void(std::optional<QByteArray>)> done) {
    auto* dialog = FileDialogs::create(
        window_, title_, FileDialogs::startFolder(QStandardPaths::PicturesLocation),
        QStringLiteral("Изображения (*.jpg *.jpeg *.png *.heic *.heif *.webp *.bmp *.gif)"));
    dialog->setObjectName(dialogName_);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Whichever way the dialog ends, `done` runs exactly once.
    auto pending = std::make_shared<std::function<void(std::optional<QByteArray>)>>(std::move(done));
    auto finish = [pending](std::optional<QByteArray> bytes) {
        if (!*pending) return;
        auto callback = std::move(*pending);
        *pending = nullptr;
        callback(std::move(bytes));
    };
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                     [finish](const QString& path) { finish(readImageFile(path)); });
    QObject::connect(dialog, &QDialog::finished, dialog, [finish](int) { finish(std::nullopt); });
    dialog->open();
}

std::optional<QByteArray> FileDialogPhotoPicker::readImageFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxBytes) return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray bytes = file.read(kMaxBytes + 1);
    if (bytes.size() > kMaxBytes || (bytes.isEmpty() && file.error() != QFileDevice::NoError))
        return std::nullopt;
    return bytes;
}
