#pragma once

#include "services/StoreDisk.h"

// The real disk, counting what reaches it: ledger files replaced and app-group
// writes (each one a sync of its file).
class CountingStoreDisk : public StoreDisk {
public:
    bool replaceFile(const QString& path, const QByteArray& bytes, QString& error) override {
        const bool written = StoreDisk::replaceFile(path, bytes, error);
        ledgerWrites += written ? 1 : 0;
        return written;
    }
    bool writeAppGroup(AppGroupDefaults& shared, const Values& values) override {
        ++appGroupWrites;
        return StoreDisk::writeAppGroup(shared, values);
    }

    int ledgerWrites = 0;
    int appGroupWrites = 0;
};
