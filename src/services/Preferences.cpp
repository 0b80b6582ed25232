#include "services/Preferences.h"

#include "services/DiskFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace preferences_detail {

QString settingsKey(const QString& key) {
    QString escaped;
    escaped.reserve(key.size());
    for (const QChar ch : key) {
        if (ch == u'%')
            escaped += QStringLiteral("%25");
        else if (ch == u'/')
            escaped += QStringLiteral("%2F");
        else if (ch == u'\\')
            escaped += QStringLiteral("%5C");
        else
            escaped += ch;
    }
    return escaped;
}

}  // namespace preferences_detail

using preferences_detail::settingsKey;

namespace {

bool textAsBool(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(u"true", Qt::CaseInsensitive) == 0 || t.compare(u"yes", Qt::CaseInsensitive) == 0)
        return true;
    bool isNumber = false;
    const double number = t.toDouble(&isNumber);
    return isNumber && number != 0.0;
}

}  // namespace

Preferences::Preferences(const QString& iniPath, QObject* parent) : QObject(parent) { reopen(iniPath); }

Preferences::~Preferences() = default;

QString Preferences::defaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Zanbeck/preferences.ini");
}

Preferences& Preferences::standard() {
    // Never destroyed: screens and services may still hold connections to it
    // while static objects are torn down. Every write is already on disk.
    static Preferences* const instance = new Preferences();
    return *instance;
}

void Preferences::resetStandard(const QString& iniPath) { standard().reopen(iniPath); }

void Preferences::reopen(const QString& iniPath) {
    const QString path = iniPath.isEmpty() ? defaultFilePath() : iniPath;
    // The preferences hold the cached user's e-mail: the folder and the file
    // are the user's alone, also when they were made wider before.
    const QString folder = QFileInfo(path).absolutePath();
    disk_files::makePrivateFolder(folder, nullptr);
    disk_files::narrow(folder);
    disk_files::narrow(path);
    disk_files::createPrivateFile(path);
    auto settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    std::lock_guard lock(mutex_);
    settings_ = std::move(settings);
}

QString Preferences::filePath() const {
    std::lock_guard lock(mutex_);
    return settings_->fileName();
}

bool Preferences::contains(const QString& key) const {
    if (key.isEmpty()) return false;
    std::lock_guard lock(mutex_);
    return settings_->contains(settingsKey(key));
}

QVariant Preferences::value(const QString& key) const {
    if (key.isEmpty()) return {};
    std::lock_guard lock(mutex_);
    return settings_->value(settingsKey(key));
}

QString Preferences::string(const QString& key, const QString& fallback) const {
    const QVariant v = value(key);
    if (!v.isValid() || !v.canConvert<QString>()) return fallback;
    return v.toString();
}

bool Preferences::boolean(const QString& key, bool fallback) const {
    const QVariant v = value(key);
    if (!v.isValid()) return fallback;
    switch (v.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
            return v.toBool();
        default:
            return v.canConvert<QString>() && textAsBool(v.toString());
    }
}

std::optional<QByteArray> Preferences::data(const QString& key) const {
    const QVariant v = value(key);
    if (!v.isValid()) return std::nullopt;
    if (v.typeId() == QMetaType::QByteArray) return v.toByteArray();
    if (v.canConvert<QString>()) return v.toString().toUtf8();
    return std::nullopt;
}

void Preferences::setValue(const QString& key, const QVariant& value) {
    if (key.isEmpty()) return;  // QSettings has no entry for it
    if (!value.isValid()) {
        remove(key);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        settings_->setValue(settingsKey(key), value);
        disk_files::syncSettings(*settings_, nullptr);
    }
    emit changed(key);
}

void Preferences::remove(const QString& key) {
    if (key.isEmpty()) return;  // QSettings would take it for "every key"
    {
        std::lock_guard lock(mutex_);
        settings_->remove(settingsKey(key));
        disk_files::syncSettings(*settings_, nullptr);
    }
    emit changed(key);
}
