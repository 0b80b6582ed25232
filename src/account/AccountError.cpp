#include "account/AccountError.h"

QString AccountError::describe(Kind kind, const QString& message) {
    switch (kind) {
    case Kind::server:
        return message;
    case Kind::wrongRole:
        return QStringLiteral("Этот аккаунт предназначен для другой версии приложения.");
    case Kind::missingSession:
        return QStringLiteral("Сервер не вернул сохранённую сессию.");
    case Kind::unauthorized:
        return QStringLiteral("Сессия истекла. Войдите снова.");
    }
    return message;
}
