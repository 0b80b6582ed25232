#include "account/FamilyRecords.h"

#include "account/AccountError.h"

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

// What the screens show for an answer that is not the expected record.
QString malformedText() {
    return QStringLiteral("Не удалось прочитать ответ сервера: неверный формат данных.");
}
QString missingText() {
    return QStringLiteral("Не удалось прочитать ответ сервера: нет нужных данных.");
}

[[noreturn]] void malformed() { throw DecodingError(malformedText()); }
[[noreturn]] void missing() { throw DecodingError(missingText()); }

json parse(const QByteArray& body) {
    try {
        return json::parse(body.constBegin(), body.constEnd());
    } catch (const json::exception&) {
        malformed();  // empty body included
    }
}

const json& object(const json& value) {
    if (!value.is_object()) malformed();
    return value;
}

// A required field: a missing key and a JSON null both fail.
const json& required(const json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) missing();
    return *it;
}

// nullptr when the key is missing or null.
const json* optional(const json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) return nullptr;
    return &*it;
}

QString text(const json& value) {
    if (!value.is_string()) malformed();
    return QString::fromStdString(value.get_ref<const std::string&>());
}

// A 64-bit signed integer. Booleans are not numbers here; a number written
// with a fraction or exponent is accepted only when it is a whole number in range.
qint64 int64(const json& value) {
    if (value.is_number_integer() && !value.is_number_unsigned()) return value.get<std::int64_t>();
    if (value.is_number_unsigned()) {
        const auto n = value.get<std::uint64_t>();
        if (n > static_cast<std::uint64_t>(std::numeric_limits<qint64>::max())) malformed();
        return static_cast<qint64>(n);
    }
    if (value.is_number_float()) {
        const double d = value.get<double>();
        // 2^63 itself is out of range; every double below it converts exactly.
        if (std::isfinite(d) && std::trunc(d) == d && d >= -9223372036854775808.0 && d < 9223372036854775808.0)
            return static_cast<qint64>(d);
    }
    malformed();
}

AppAccountRole role(const json& value) {
    const auto parsed = AppAccountRole::fromRawValue(text(value));
    if (!parsed) malformed();
    return *parsed;
}

std::optional<qint64> optionalInt64(const json& record, const char* key) {
    const json* value = optional(record, key);
    return value ? std::optional<qint64>(int64(*value)) : std::nullopt;
}

FamilyUser userFrom(const json& value) {
    const json& o = object(value);
    return {text(required(o, "id")), text(required(o, "email")), text(required(o, "nickname")),
            role(required(o, "role"))};
}

FamilyMember memberFrom(const json& value) {
    const json& o = object(value);
    return {text(required(o, "id")), text(required(o, "nickname")), role(required(o, "role"))};
}

FamilyTask taskFrom(const json& value) {
    const json& o = object(value);
    FamilyTask task;
    task.id = text(required(o, "id"));
    task.title = text(required(o, "title"));
    task.reward_cents = int64(required(o, "reward_cents"));
    task.status = text(required(o, "status"));
    task.child_user_id = text(required(o, "child_user_id"));
    task.child_nickname = text(required(o, "child_nickname"));
    task.approval_count = optionalInt64(o, "approval_count");
    task.required_approvals = optionalInt64(o, "required_approvals");
    task.current_user_approved = optionalInt64(o, "current_user_approved");
    return task;
}

AccountPreferences preferencesFrom(const json& value) {
    const json& o = object(value);
    return {text(required(o, "currency_code")), text(required(o, "language_code"))};
}

template <class T, class F>
QList<T> listFrom(const json& value, F element) {
    if (!value.is_array()) malformed();
    QList<T> list;
    list.reserve(static_cast<qsizetype>(value.size()));
    for (const json& item : value) list.append(element(item));
    return list;
}

std::string utf8(const QString& s) { return s.toStdString(); }

json toJson(const FamilyUser& u) {
    return {{"id", utf8(u.id)}, {"email", utf8(u.email)}, {"nickname", utf8(u.nickname)},
            {"role", utf8(u.role.rawValue())}};
}

json toJson(const FamilyMember& m) {
    return {{"id", utf8(m.id)}, {"nickname", utf8(m.nickname)}, {"role", utf8(m.role.rawValue())}};
}

json toJson(const FamilyTask& t) {
    json o = {{"id", utf8(t.id)},
              {"title", utf8(t.title)},
              {"reward_cents", t.reward_cents},
              {"status", utf8(t.status)},
              {"child_user_id", utf8(t.child_user_id)},
              {"child_nickname", utf8(t.child_nickname)}};
    if (t.approval_count) o["approval_count"] = *t.approval_count;
    if (t.required_approvals) o["required_approvals"] = *t.required_approvals;
    if (t.current_user_approved) o["current_user_approved"] = *t.current_user_approved;
    return o;
}

json toJson(const AccountPreferences& p) {
    return {{"currency_code", utf8(p.currency_code)}, {"language_code", utf8(p.language_code)}};
}

QByteArray bytes(const json& value) {
    return QByteArray::fromStdString(value.dump());
}

}  // namespace

namespace FamilyWire {

template <> FamilyUser decode<FamilyUser>(const QByteArray& body) { return userFrom(parse(body)); }
template <> FamilyMember decode<FamilyMember>(const QByteArray& body) { return memberFrom(parse(body)); }
template <> FamilyTask decode<FamilyTask>(const QByteArray& body) { return taskFrom(parse(body)); }

template <> AccountPreferences decode<AccountPreferences>(const QByteArray& body) {
    return preferencesFrom(parse(body));
}

template <> AuthResponse decode<AuthResponse>(const QByteArray& body) {
    const json o = parse(body);
    AuthResponse response{userFrom(required(object(o), "user")), std::nullopt};
    if (const json* token = optional(o, "sessionToken")) response.sessionToken = text(*token);
    return response;
}

template <> MeResponse decode<MeResponse>(const QByteArray& body) {
    const json o = parse(body);
    return {userFrom(required(object(o), "user"))};
}

template <> FamilyResponse decode<FamilyResponse>(const QByteArray& body) {
    const json o = parse(body);
    FamilyResponse response;
    response.members = listFrom<FamilyMember>(required(object(o), "members"), memberFrom);
    response.tasks = listFrom<FamilyTask>(required(o, "tasks"), taskFrom);
    if (const json* preferences = optional(o, "preferences")) response.preferences = preferencesFrom(*preferences);
    return response;
}

template <> PairingResponse decode<PairingResponse>(const QByteArray& body) {
    const json o = parse(body);
    return {text(required(object(o), "qrPayload")), int64(required(o, "expiresAt"))};
}

template <> APIError decode<APIError>(const QByteArray& body) {
    const json o = parse(body);
    return {text(required(object(o), "error"))};
}

template <> EmptyResponse decode<EmptyResponse>(const QByteArray& body) {
    parse(body);
    return {};
}

QByteArray encode(const FamilyUser& user) { return bytes(toJson(user)); }
QByteArray encode(const FamilyMember& member) { return bytes(toJson(member)); }
QByteArray encode(const FamilyTask& task) { return bytes(toJson(task)); }
QByteArray encode(const AccountPreferences& preferences) { return bytes(toJson(preferences)); }

QByteArray encode(const AuthResponse& response) {
    json o = {{"user", toJson(response.user)}};
    if (response.sessionToken) o["sessionToken"] = utf8(*response.sessionToken);
    return bytes(o);
}

QByteArray encode(const MeResponse& response) { return bytes({{"user", toJson(response.user)}}); }

QByteArray encode(const FamilyResponse& response) {
    json members = json::array();
    for (const auto& m : response.members) members.push_back(toJson(m));
    json tasks = json::array();
    for (const auto& t : response.tasks) tasks.push_back(toJson(t));
    json o = {{"members", members}, {"tasks", tasks}};
    if (response.preferences) o["preferences"] = toJson(*response.preferences);
    return bytes(o);
}

QByteArray encode(const PairingResponse& response) {
    return bytes({{"qrPayload", utf8(response.qrPayload)}, {"expiresAt", response.expiresAt}});
}

QByteArray encode(const APIError& error) { return bytes({{"error", utf8(error.error)}}); }

}  // namespace FamilyWire
