#pragma once

#include "platform/Keychain.h"

#include <QHash>
#include <QPair>

// Keychain kept in memory; failNext* flags let a test make one call fail.
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

// Every call fails, as with no keyring at all.
class FailingKeychain : public InMemoryKeychain {
public:
    FailingKeychain() { failReads = failWrites = failRemoves = true; }
};
