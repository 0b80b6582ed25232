#pragma once

#include "services/StorePaths.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Receipt photos kept as files in "<data>/Zanbeck/receipts". A transaction
// stores only the bare file name; nothing here ever deletes or replaces a file.
class ReceiptStore {
public:
    explicit ReceiptStore(StorePaths paths);

    // The receipts folder, created when missing; nullopt (with *error filled)
    // when there is no data folder or the folder cannot be made.
    std::optional<QString> receiptsDirectory(QString* error = nullptr) const;

    // Writes the bytes unchanged and atomically under a new name: the upper-case
    // UUID text followed by ".jpg", whatever the image format. Returns the name,
    // or nullopt (with *error filled) when nothing could be written.
    std::optional<QString> save(const QByteArray& bytes, QString* error = nullptr) const;

    // The full path of a stored receipt name. Only a bare file name resolves:
    // "", ".", "..", or anything holding "/" or a NUL is unavailable (nullopt),
    // as is a missing receipts folder. The stored name itself is never changed.
    std::optional<QString> receiptPath(const QString& filename) const;

    static bool isBareFileName(const QString& filename);

private:
    StorePaths paths_;
};
