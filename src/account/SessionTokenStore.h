#pragma once

#include <QString>

class Keychain;

// The bearer token of the family session: one keychain item of the service
// "com.quorvel.Zanbeck.family" with an empty account. Nothing is cached: every
// read asks the keychain.
class SessionTokenStore {
public:
    enum class Status { found, none, failed };
    struct Read {
        Status status = Status::none;
        QString token;  // set when found
        QString error;  // set when failed
    };

    explicit SessionTokenStore(Keychain& keychain);

    // none: no item, or bytes that are not UTF-8. failed: the keychain itself
    // could not answer (locked, no keyring), which is not evidence of no token.
    Read read() const;
    // Adds or replaces the item; throws KeychainError when it cannot be stored,
    // leaving any earlier item to the keychain's replace semantics.
    void write(const QString& token);
    // Deletes the item; a failure is ignored (nothing more can be done about it).
    void remove();

private:
    Keychain& keychain_;
};
