#include "account/FamilyRecords.h"

// Encoding of the records; decoding is in FamilyWireDecoding.cpp.
#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

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
