#include "account/BundleInfo.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

namespace {
// Only the main thread reads the bundle information; the override is a test hook.
std::optional<QJsonObject>& overrideSlot() {
    static std::optional<QJsonObject> slot;
    return slot;
}
QString& sourcePath() {
    static QString path = QString::fromLatin1(BundleInfo::kResourcePath);
    return path;
}
}  // namespace

QJsonObject BundleInfo::object() {
    if (const auto& info = overrideSlot()) return *info;
    QFile file(sourcePath());
    if (!file.open(QIODevice::ReadOnly)) return {};
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return {};
    return document.object();
}

QJsonValue BundleInfo::value(const QString& key) {
    return object().value(key);
}

void BundleInfo::setOverride(std::optional<QJsonObject> info) {
    overrideSlot() = std::move(info);
}

void BundleInfo::setSourcePath(const QString& path) {
    sourcePath() = path.isEmpty() ? QString::fromLatin1(kResourcePath) : path;
}
