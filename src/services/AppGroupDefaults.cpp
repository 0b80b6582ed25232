#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <mutex>
#include <utility>

#include "services/DiskFiles.h"
#include "services/Preferences.h"

using preferences_detail::settingsKey;

namespace {

std::mutex overrideMutex;
QString directoryOverride;

}  // namespace

void AppGroupDefaults::setDirectoryOverride(const QString& directory) {
    std::lock_guard lock(overrideMutex);
    directoryOverride = directory;
}

QString AppGroupDefaults::directory() {
    {
        std::lock_guard lock(overrideMutex);
        if (!directoryOverride.isEmpty()) return directoryOverride;
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           QLatin1String(kSuiteName);
}

std::optional<QString> AppGroupDefaults::usableFile() {
    const QString folder = directory();
    if (!disk_files::makePrivateFolder(folder, nullptr)) return std::nullopt;
    disk_files::narrow(folder);
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir() || !folderInfo.isWritable()) return std::nullopt;

    const QString path = QDir(folder).filePath(QStringLiteral("defaults.ini"));
    const QFileInfo fileInfo(path);
    if (fileInfo.exists() && (!fileInfo.isFile() || !fileInfo.isReadable() || !fileInfo.isWritable()))
        return std::nullopt;
    disk_files::narrow(path);
    return path;
}

std::optional<AppGroupDefaults> AppGroupDefaults::open() {
    const std::optional<QString> path = usableFile();
    if (!path) return std::nullopt;
    disk_files::createPrivateFile(*path);
    auto settings = std::make_unique<QSettings>(*path, QSettings::IniFormat);
    if (settings->status() == QSettings::AccessError) return std::nullopt;
    return AppGroupDefaults(std::move(settings));
}

AppGroupDefaults::AppGroupDefaults(std::unique_ptr<QSettings> settings) : settings_(std::move(settings)) {}

AppGroupDefaults::~AppGroupDefaults() { writeBack(); }

void AppGroupDefaults::writeBack() {
    if (settings_ && changed_) sync();
}

AppGroupDefaults::AppGroupDefaults(AppGroupDefaults&&) noexcept = default;
AppGroupDefaults& AppGroupDefaults::operator=(AppGroupDefaults&& other) noexcept {
    if (this != &other) {
        writeBack();
        settings_ = std::move(other.settings_);
        changed_ = std::exchange(other.changed_, false);
    }
    return *this;
}

QVariant AppGroupDefaults::value(const QString& key) const {
    if (key.isEmpty() || !settings_) return {};
    return settings_->value(settingsKey(key));
}

void AppGroupDefaults::setValue(const QString& key, const QVariant& value) {
    if (key.isEmpty() || !settings_) return;
    if (!value.isValid()) {
        remove(key);
        return;
    }
    settings_->setValue(settingsKey(key), value);
    changed_ = true;
}

void AppGroupDefaults::remove(const QString& key) {
    if (key.isEmpty() || !settings_) return;  // QSettings would take it for "every key"
    settings_->remove(settingsKey(key));
    changed_ = true;
}

bool AppGroupDefaults::sync() {
    if (!settings_) return false;
    changed_ = false;
    return disk_files::syncSettings(*settings_, nullptr);
}
