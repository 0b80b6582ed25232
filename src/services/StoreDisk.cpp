#include "services/StoreDisk.h"

#include "services/Preferences.h"

#include <QSaveFile>

bool StoreDisk::replaceFile(const QString& path, const QByteArray& bytes, QString& error) {
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

bool StoreDisk::writeAppGroup(AppGroupDefaults& shared, const Values& values) {
    for (const auto& [key, value] : values)
        shared.setValue(key, value);
    return shared.sync();
}
