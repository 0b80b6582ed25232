#pragma once

#include "platform/Keychain.h"

// The keychain over the freedesktop Secret Service (gnome-keyring, KWallet's
// bridge, KeePassXC...) through libsecret's synchronous calls. Items live in
// the default collection and are found by the "service" and "account"
// attributes of one schema. A missing or locked keyring, or no Secret Service
// on the session bus, is reported as failed, never as notFound.
class SecretServiceKeychain : public Keychain {
public:
    ReadResult read(const QString& service, const QString& account) override;
    Status write(const QString& service, const QString& account, const QByteArray& secret,
                 QString* error = nullptr) override;
    Status remove(const QString& service, const QString& account, QString* error = nullptr) override;
};
