#pragma once

#include <QHash>
#include <QPair>

#include "platform/Keychain.h"

// Keychain kept in memory; the fail* flags make its calls fail until cleared.
class InMemoryKeychain : public Keychain {
public:
    ReadResult read(const QString& service, const QString& account) override {
        ++reads;
        if (failReads) return {Status::failed, {}, "keyring locked"};
        auto it = items.find({service, account});
        if (it == items.end()) return {Status::notFound, {}, {}};
        return {Status::ok, it.value(), {}};
    }
    Status write(const QString& service, const QString& account, const QByteArray& secret,
                 QString* error = nullptr) override {
        ++writes;
        if (failWrites) {
            if (error) *error = "keyring locked";
            return Status::failed;
        }
        items.insert({service, account}, secret);
        return Status::ok;
    }
    Status remove(const QString& service, const QString& account, QString* error = nullptr) override {
        if (failRemoves) {
            if (error) *error = "keyring locked";
            return Status::failed;
        }
        return items.remove({service, account}) ? Status::ok : Status::notFound;
    }

    QHash<QPair<QString, QString>, QByteArray> items;
    bool failReads = false;
    bool failWrites = false;
    bool failRemoves = false;
    int reads = 0;
    int writes = 0;
};
