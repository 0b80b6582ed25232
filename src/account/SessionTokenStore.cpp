#include "account/SessionTokenStore.h"

#include "account/AccountError.h"
#include "account/AccountSession.h"
#include "platform/Keychain.h"

#include <QStringDecoder>

namespace {
const QString kService = QString::fromLatin1(AccountSession::kTokenService);
const QString kAccount;  // the item has no account of its own

std::optional<QString> strictUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}
}  // namespace

SessionTokenStore::SessionTokenStore(Keychain& keychain) : keychain_(keychain) {}

SessionTokenStore::Read SessionTokenStore::read() const {
    const Keychain::ReadResult result = keychain_.read(kService, kAccount);
    switch (result.status) {
    case Keychain::Status::ok:
        if (auto token = strictUtf8(result.secret)) return {Status::found, *token, {}};
        return {Status::none, {}, {}};
    case Keychain::Status::notFound:
        return {Status::none, {}, {}};
    case Keychain::Status::failed:
        break;
    }
    return {Status::failed, {}, result.error};
}

void SessionTokenStore::write(const QString& token) {
    QString error;
    if (keychain_.write(kService, kAccount, token.toUtf8(), &error) != Keychain::Status::ok)
        throw KeychainError(QStringLiteral("Не удалось сохранить вход в хранилище ключей. Вход не выполнен."));
}

void SessionTokenStore::remove() {
    keychain_.remove(kService, kAccount);
}
