#include "services/ReceiptStore.h"

#include "services/DiskFiles.h"

#include <QDir>
#include <QUuid>

ReceiptStore::ReceiptStore(StorePaths paths) : paths_(std::move(paths)) {}

std::optional<QString> ReceiptStore::receiptsDirectory(QString* error) const {
    const std::optional<QString> folder = paths_.receiptsFolder();
    if (!folder) {
        if (error)
            *error = QStringLiteral("нет папки для данных");
        return std::nullopt;
    }
    if (!StorePaths::makeFolder(*folder, error))
        return std::nullopt;
    return folder;
}

std::optional<QString> ReceiptStore::save(const QByteArray& bytes, QString* error) const {
    const std::optional<QString> folder = receiptsDirectory(error);
    if (!folder)
        return std::nullopt;
    const QString name = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".jpg");
    // Synced with its folder: the transaction that names it is saved next.
    if (!disk_files::replace(QDir(*folder).filePath(name), bytes, {}, error))
        return std::nullopt;
    return name;
}

bool ReceiptStore::isBareFileName(const QString& filename) {
    return !filename.isEmpty() && filename != QLatin1String(".") && filename != QLatin1String("..") &&
           !filename.contains(QLatin1Char('/')) && !filename.contains(QChar(0));
}

std::optional<QString> ReceiptStore::receiptPath(const QString& filename) const {
    if (!isBareFileName(filename))
        return std::nullopt;
    const std::optional<QString> folder = receiptsDirectory();
    if (!folder)
        return std::nullopt;
    return QDir(*folder).filePath(filename);
}
