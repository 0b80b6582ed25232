#pragma once

#include "platform/Keychain.h"

// The keychain over the freedesktop Secret Service (gnome-keyring, KWallet's
// bridge, KeePassXC...) through libsecret's synchronous calls. Items live in
// the default collection and are found by the "service" and "account"
// attributes of one schema. A missing or locked keyring, or no Secret Service
// on the session bus, is reported as failed, never as notFound.
//
// On a phone every app has a keychain of its own; on one desktop account the
// child's and the parent's builds share the user's keyring, so each item also
// carries the application's name and a build never reads or replaces the
// other's session token or passcode.
class SecretServiceKeychain : public Keychain {
public:
    explicit SecretServiceKeychain(const QString& application = QStringLiteral("zanbeck"));

    ReadResult read(const QString& service, const QString& account) override;
    Status write(const QString& service, const QString& account, const QByteArray& secret,
                 QString* error = nullptr) override;
    Status remove(const QString& service, const QString& account, QString* error = nullptr) override;

private:
    QByteArray application_;
};
