#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

// A fresh folder for one test, removed with it.
class TempDir {
public:
    TempDir();
    QString path() const { return dir_->path(); }
    QString filePath(const QString& name) const { return dir_->filePath(name); }

private:
    std::unique_ptr<QTemporaryDir> dir_;
};
