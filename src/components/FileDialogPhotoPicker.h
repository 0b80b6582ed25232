#pragma once

#include <QString>

#include "platform/PhotoPicker.h"

class QWidget;

// Picks a receipt photo with a file dialog over the window (never blocking).
// Files larger than kMaxBytes are refused rather than read into memory.
class FileDialogPhotoPicker : public PhotoPicker {
public:
    static constexpr qint64 kMaxBytes = 32LL * 1024 * 1024;

    // The window the dialog is shown over; it must outlive every pick. The
    // picker itself may go as soon as pickImage() returns.
    explicit FileDialogPhotoPicker(QWidget* window, QString title = QStringLiteral("Фото чека"),
                                   QString dialogName = QStringLiteral("photoPickerDialog"));

    // The dialog, while open, is a child of the window named by dialogName.
    void pickImage(std::function<void(std::optional<QByteArray> bytes)> done) override;

    // One regular file's bytes, at most kMaxBytes; nullopt otherwise.
    static std::optional<QByteArray> readImageFile(const QString& path);

private:
    QWidget* window_;
    QString title_;
    QString dialogName_;
};
