#pragma once

#include "services/StoreDisk.h"

// The real disk, counting what reaches it: ledger files replaced, and widget
// snapshots written either as a derived file or through QSettings.
class CountingStoreDisk : public StoreDisk {
public:
    bool replaceFile(const QString& path, const QByteArray& bytes, QString& error) override {
        const bool written = StoreDisk::replaceFile(path, bytes, error);
        ledgerWrites += written ? 1 : 0;
        return written;
    }
    bool replaceDerivedFile(const QString& path, const QByteArray& bytes) override {
        ++derivedWrites;
        return StoreDisk::replaceDerivedFile(path, bytes);
    }
    bool writeAppGroup(AppGroupDefaults& shared, const Values& values) override {
        ++appGroupWrites;
        return StoreDisk::writeAppGroup(shared, values);
    }
    int snapshotWrites() const { return derivedWrites + appGroupWrites; }

    int ledgerWrites = 0;
    int derivedWrites = 0;
    int appGroupWrites = 0;
};
