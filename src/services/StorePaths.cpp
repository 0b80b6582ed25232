#include "services/StorePaths.h"

#include "services/DiskFiles.h"

#include <QDir>
#include <QStandardPaths>
#include <QStringView>

namespace {
const QString kAppFolder = QStringLiteral("Zanbeck");

bool keepsScalar(char32_t scalar) {
    if (scalar == U'-')
        return true;
    switch (QChar::category(scalar)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
        return true;
    default:
        return false;
    }
}
}  // namespace

StorePaths::StorePaths(std::optional<QString> dataFolder) {
    if (dataFolder && !dataFolder->isEmpty() && QDir::isAbsolutePath(*dataFolder))
        root_ = QDir::cleanPath(*dataFolder + QLatin1Char('/') + kAppFolder);
}

StorePaths StorePaths::system() {
    const QString location = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return StorePaths(location.isEmpty() ? std::nullopt : std::optional<QString>(location));
}

std::optional<QString> StorePaths::zanbeckFolder() const { return root_; }

std::optional<QString> StorePaths::legacyFile() const {
    if (!root_)
        return std::nullopt;
    return *root_ + QStringLiteral("/money_data.json");
}

std::optional<QString> StorePaths::accountsFolder() const {
    if (!root_)
        return std::nullopt;
    return *root_ + QStringLiteral("/accounts");
}

std::optional<QString> StorePaths::anonymousFile() const {
    if (!root_)
        return std::nullopt;
    return *root_ + QStringLiteral("/accounts/anonymous.json");
}

std::optional<QString> StorePaths::accountFile(const QString& userId) const {
    if (!root_)
        return std::nullopt;
    return *root_ + QStringLiteral("/accounts/") + sanitisedId(userId) + QStringLiteral(".json");
}

std::optional<QString> StorePaths::receiptsFolder() const {
    if (!root_)
        return std::nullopt;
    return *root_ + QStringLiteral("/receipts");
}

QString StorePaths::sanitisedId(const QString& userId) {
    QString out;
    out.reserve(userId.size());
    // A lone surrogate is not a scalar value; toUcs4 turns it into U+FFFD,
    // which is not kept, so it becomes "_" like any other symbol.
    for (char32_t scalar : userId.toUcs4()) {
        if (keepsScalar(scalar))
            out.append(QString::fromUcs4(&scalar, 1));
        else
            out.append(QLatin1Char('_'));
    }
    return out;
}

bool StorePaths::makeFolder(const QString& path, QString* error) {
    return disk_files::makePrivateFolder(path, error);
}

void StorePaths::narrowModes() const {
    // Zanbeck, its ledgers' and receipts' folders and every file in them; a
    // ledger set aside as a folder is narrowed itself, not searched.
    if (root_) disk_files::narrowTree(*root_, 1);
}
