#include "services/StoreDisk.h"

#include "services/Preferences.h"

#include <QFile>
#include <QSaveFile>
#include <QUuid>
#include <cstdio>

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

bool StoreDisk::replaceDerivedFile(const QString& path, const QByteArray& bytes) {
    const QString temporary =
        path + QStringLiteral(".new-") + QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    // rename(2) replaces path in one step; QFile::rename would refuse an existing target.
    if (!written || std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(temporary);
        return false;
    }
    return true;
}

bool StoreDisk::writeAppGroup(AppGroupDefaults& shared, const Values& values) {
    for (const auto& [key, value] : values)
        shared.setValue(key, value);
    return shared.sync();
}
