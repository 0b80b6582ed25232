#pragma once

#include "account/AppAccountRole.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

// Records exchanged with the family server. JSON keys are the field names
// exactly (the snake-case ones included). Decoding is strict: a missing
// required key, a JSON null in a required field, a value of the wrong JSON type
// or an unknown role fails the whole answer; unknown keys are ignored (their
// values must still be sound JSON); of repeated keys the last counts; an
// optional field is absent when its key is missing or null, and is left out
// when encoded. A whole number is read exactly from its text, also when
// written with a fraction or an exponent (300.0, 3e2); 1.5 is refused.

struct FamilyUser {
    QString id;
    QString email;
    QString nickname;
    AppAccountRole role;

    friend bool operator==(const FamilyUser&, const FamilyUser&) = default;
};

struct FamilyMember {
    QString id;
    QString nickname;
    AppAccountRole role;
};

struct FamilyTask {
    QString id;
    QString title;
    qint64 reward_cents = 0;  // whole cents; tasks are created with a reward in currency units
    QString status;           // "active", "review", "done" as the server names them
    QString child_user_id;
    QString child_nickname;
    std::optional<qint64> approval_count;
    std::optional<qint64> required_approvals;
    std::optional<qint64> current_user_approved;  // 0 or 1; a JSON boolean does not decode
    friend bool operator==(const FamilyTask&, const FamilyTask&) = default;
};

struct AccountPreferences {
    QString currency_code;
    QString language_code;
};

struct AuthResponse {
    FamilyUser user;
    std::optional<QString> sessionToken;
};

struct MeResponse {
    FamilyUser user;
};

struct FamilyResponse {
    QList<FamilyMember> members;
    QList<FamilyTask> tasks;
    std::optional<AccountPreferences> preferences;
};

struct PairingResponse {
    QString qrPayload;
    qint64 expiresAt = 0;  // required on the wire, otherwise unused
};

struct APIError {
    QString error;
};

// The answer of a request that expects no content: any JSON text, never read.
// An empty body or text that is not JSON still fails.
struct EmptyResponse {};

namespace FamilyWire {

// Decodes one record from a whole answer body; throws DecodingError.
template <class T>
T decode(const QByteArray& body);

template <> FamilyUser decode<FamilyUser>(const QByteArray&);
template <> FamilyMember decode<FamilyMember>(const QByteArray&);
template <> FamilyTask decode<FamilyTask>(const QByteArray&);
template <> AccountPreferences decode<AccountPreferences>(const QByteArray&);
template <> AuthResponse decode<AuthResponse>(const QByteArray&);
template <> MeResponse decode<MeResponse>(const QByteArray&);
template <> FamilyResponse decode<FamilyResponse>(const QByteArray&);
template <> PairingResponse decode<PairingResponse>(const QByteArray&);
template <> APIError decode<APIError>(const QByteArray&);
template <> EmptyResponse decode<EmptyResponse>(const QByteArray&);

// Compact JSON of a record (the cached user is encode(FamilyUser)).
QByteArray encode(const FamilyUser& user);
QByteArray encode(const FamilyMember& member);
QByteArray encode(const FamilyTask& task);
QByteArray encode(const AccountPreferences& preferences);
QByteArray encode(const AuthResponse& response);
QByteArray encode(const MeResponse& response);
QByteArray encode(const FamilyResponse& response);
QByteArray encode(const PairingResponse& response);
QByteArray encode(const APIError& error);

}  // namespace FamilyWire
