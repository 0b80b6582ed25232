#include "account/RequestBodies.h"

#include "account/AccountError.h"

#include <cmath>
#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {
QByteArray bytes(const json& value) { return QByteArray::fromStdString(value.dump()); }
std::string utf8(const QString& s) { return s.toStdString(); }
}  // namespace

namespace RequestBody {

QByteArray login(const QString& email, const QString& password) {
    return bytes({{"email", utf8(email)}, {"password", utf8(password)}});
}

QByteArray preferences(const QString& currency, const QString& language) {
    return bytes({{"currency", utf8(currency)}, {"language", utf8(language)}});
}

QByteArray claim(const QString& token) { return bytes({{"token", utf8(token)}}); }

QByteArray createFamilyInvite() { return bytes({{"action", "create"}}); }

QByteArray claimFamilyInvite(const QString& token) {
    return bytes({{"action", "claim"}, {"token", utf8(token)}});
}

QByteArray addTask(const QString& childId, const QString& title, double reward) {
    // JSON has no NaN or infinity; writing null instead would send a task
    // with no reward, so refuse before anything goes out.
    if (!std::isfinite(reward))
        throw EncodingError(QStringLiteral("Не удалось отправить задание: награда должна быть числом."));
    return bytes({{"childId", utf8(childId)}, {"title", utf8(title)}, {"reward", reward}});
}

QByteArray act(const QString& taskId, const QString& action) {
    return bytes({{"id", utf8(taskId)}, {"action", utf8(action)}});
}

}  // namespace RequestBody
