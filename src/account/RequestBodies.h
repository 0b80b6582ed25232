#pragma once

#include <QByteArray>
#include <QString>

// JSON bodies of the requests to the family server. Texts go out exactly as
// given; key order is free.
namespace RequestBody {

QByteArray login(const QString& email, const QString& password);
QByteArray preferences(const QString& currency, const QString& language);
QByteArray claim(const QString& token);
QByteArray createFamilyInvite();
QByteArray claimFamilyInvite(const QString& token);
// The reward in currency units as a JSON number (12.5, not cents). Throws
// EncodingError for NaN or an infinity, which JSON cannot carry.
QByteArray addTask(const QString& childId, const QString& title, double reward);
QByteArray act(const QString& taskId, const QString& action);
// The pairing request carries an empty object.
inline QByteArray createPairingCode() { return QByteArrayLiteral("{}"); }

}  // namespace RequestBody
