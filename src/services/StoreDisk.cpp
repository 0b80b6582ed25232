#include "services/StoreDisk.h"

#include "services/Preferences.h"

#include "services/DiskFiles.h"

bool StoreDisk::replaceFile(const QString& path, const QByteArray& bytes, QString& error) {
    return disk_files::replace(path, bytes, {}, &error);
}

bool StoreDisk::replaceDerivedFile(const QString& path, const QByteArray& bytes) {
    return disk_files::replace(path, bytes, {disk_files::ReplaceOptions::Sync::none}, nullptr);
}

bool StoreDisk::writeAppGroup(AppGroupDefaults& shared, const Values& values) {
    for (const auto& [key, value] : values)
        shared.setValue(key, value);
    return shared.sync();
}
