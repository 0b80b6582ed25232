#pragma once

#include <QByteArray>
#include <QString>

// Generic-password items identified by service and account. "Not found" is
// told apart from "failed" (locked or missing keyring, D-Bus errors), because
// the callers treat them differently.
class Keychain {
public:
    enum class Status { ok, notFound, failed };
    struct ReadResult {
        Status status = Status::failed;
        QByteArray secret;
        QString error;  // set when status == failed
    };

    virtual ~Keychain() = default;
    virtual ReadResult read(const QString& service, const QString& account) = 0;
    // Adds or replaces the item.
    virtual Status write(const QString& service, const QString& account, const QByteArray& secret,
                         QString* error = nullptr) = 0;
    // Deleting an item that is not there returns notFound.
    virtual Status remove(const QString& service, const QString& account, QString* error = nullptr) = 0;
};
