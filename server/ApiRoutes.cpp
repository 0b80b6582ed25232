#include "ApiRoutes.h"

#include <cctype>
#include <functional>
#include <optional>
#include <nlohmann/json.hpp>

#include "ApiError.h"
#include "Database.h"
#include "FamilyStore.h"
#include "ServerLog.h"
#include "TextRules.h"

namespace family {

using nlohmann::json;

namespace {

ApiAnswer jsonAnswer(int status, const json& body) {
    return {status, body.dump(-1, ' ', false, json::error_handler_t::replace)};
}

std::string bearerToken(std::string_view header) {
    constexpr std::string_view scheme = "bearer ";
    if (header.size() <= scheme.size()) return {};
    for (std::size_t i = 0; i < scheme.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(header[i])) != scheme[i]) return {};
    auto token = header.substr(scheme.size());
    while (!token.empty() && token.front() == ' ') token.remove_prefix(1);
    while (!token.empty() && token.back() == ' ') token.remove_suffix(1);
    return std::string(token);
}

// The request body as a JSON object; an empty body counts as {} where allowed.
json bodyObject(const ApiRequest& req, bool emptyAllowed = false) {
    if (req.body.empty() && emptyAllowed) return json::object();
    // The parser takes a NUL for the end of its input, so a body with one
    // inside would pass with whatever follows it unread.
    if (req.body.find('\0') != std::string_view::npos)
        throw ApiError(400, "Некорректный запрос: ожидается JSON-объект.");
    // The parser refuses these too; saying why spares the client a guess.
    if (!isValidUtf8(req.body)) throw ApiError(400, "Некорректный запрос: текст не в кодировке UTF-8.");
    json body;
    try {
        body = json::parse(req.body);
    } catch (const json::out_of_range&) {
        throw ApiError(400, "Некорректный запрос: число вне допустимого диапазона.");
    } catch (const json::exception&) {
        throw ApiError(400, "Некорректный запрос: ожидается JSON-объект.");
    }
    if (!body.is_object()) throw ApiError(400, "Некорректный запрос: ожидается JSON-объект.");
    return body;
}

// What a JSON value is, in the words of "должно быть числом, а не …".
const char* kindOf(const json& value) {
    switch (value.type()) {
        case json::value_t::string:
            return "текстом";
        case json::value_t::boolean:
            return "логическим значением";
        case json::value_t::null:
            return "null";
        case json::value_t::array:
            return "массивом";
        case json::value_t::object:
            return "объектом";
        default:
            return "числом";
    }
}

// A field of the body; a missing one and one of another type are told apart.
const json& field(const json& body, const char* key, bool text) {
    const auto it = body.find(key);
    const char* wanted = text ? "текстовое" : "числовое";
    if (it == body.end())
        throw ApiError(400, std::string("Некорректный запрос: нужно ") + wanted + " поле «" + key + "».");
    if (text ? !it->is_string() : !it->is_number())
        throw ApiError(400, std::string("Некорректный запрос: поле «") + key + "» должно быть " +
                                (text ? "текстом" : "числом") + ", а не " + kindOf(*it) + ".");
    return *it;
}

std::string textField(const json& body, const char* key) { return field(body, key, true).get<std::string>(); }

double numberField(const json& body, const char* key) { return field(body, key, false).get<double>(); }

std::string signedInToken(const ApiRequest& req) {
    const auto token = bearerToken(req.authorization);
    if (token.empty()) throw ApiError(401, "Войдите в аккаунт.");
    return token;
}

Account signedIn(FamilyStore& store, const ApiRequest& req) { return store.authenticate(signedInToken(req)); }

// A handler returns the success body and may change the status from 200.
using Handler = std::function<json(FamilyStore&, const ApiRequest&, int& status)>;

// A handler whose success body is JSON text already (status 200).
using TextHandler = std::function<std::string(FamilyStore&, const ApiRequest&)>;

struct Route {
    std::string_view method;
    std::string_view path;
    Handler handler;
    TextHandler text = nullptr;
};

const std::vector<Route>& routes() {
    static const std::vector<Route> table{
        {"POST", "/api/auth/login",
         [](FamilyStore& store, const ApiRequest& req, int&) {
             const auto body = bodyObject(req);
             const auto email = textField(body, "email");
             const auto password = textField(body, "password");
             const auto signIn = store.login(email, password);
             return json{{"user", FamilyStore::userJson(signIn.user)}, {"sessionToken", signIn.token}};
         }},
        {"GET", "/api/auth/me",
         [](FamilyStore& store, const ApiRequest& req, int&) {
             return json{{"user", FamilyStore::userJson(signedIn(store, req))}};
         }},
        {"GET", "/api/family", nullptr,
         [](FamilyStore& store, const ApiRequest& req) { return store.familyTextFor(signedInToken(req)); }},
        {"PATCH", "/api/preferences",
         [](FamilyStore& store, const ApiRequest& req, int&) {
             const auto me = signedIn(store, req);
             const auto body = bodyObject(req);
             return store.setPreferences(me, textField(body, "currency"), textField(body, "language"));
         }},
        {"POST", "/api/pairing/create",
         [](FamilyStore& store, const ApiRequest& req, int& status) {
             const auto me = signedIn(store, req);
             bodyObject(req, true);
             status = 201;
             return store.createPairingCode(me);
         }},
        {"POST", "/api/pairing/claim",
         [](FamilyStore& store, const ApiRequest& req, int&) {
             const auto me = signedIn(store, req);
             const auto body = bodyObject(req);
             return store.claimPairingCode(me, textField(body, "token"));
         }},
        {"POST", "/api/family/parent-invite",
         [](FamilyStore& store, const ApiRequest& req, int& status) {
             const auto me = signedIn(store, req);
             const auto body = bodyObject(req);
             const auto action = textField(body, "action");
             if (action == "create") {
                 status = 201;
                 return store.createParentInvite(me);
             }
             if (action == "claim") return store.claimParentInvite(me, textField(body, "token"));
             throw ApiError(400, "Некорректный запрос: действие должно быть «create» или «claim».");
         }},
        {"POST", "/api/tasks",
         [](FamilyStore& store, const ApiRequest& req, int& status) {
             const auto me = signedIn(store, req);
             const auto body = bodyObject(req);
             const auto childId = textField(body, "childId");
             const auto title = textField(body, "title");
             const auto reward = numberField(body, "reward");
             status = 201;  // a repeated Idempotency-Key is answered as the first time
             return store.addTask(me, childId, title, reward, req.idempotencyKey);
         }},
        {"PATCH", "/api/tasks",
         [](FamilyStore& store, const ApiRequest& req, int&) {
             const auto me = signedIn(store, req);
             const auto body = bodyObject(req);
             return store.actOnTask(me, textField(body, "id"), textField(body, "action"));
         }},
    };
    return table;
}

// The path alone names the request: a query, a header or a body may carry a secret.
void logFailure(const ApiRequest& request, std::string_view path, int status, std::string_view cause) {
    logLine(std::to_string(status) + " on " + std::string(request.method) + " " + std::string(path) + ": " +
            std::string(cause));
}

// The service, not the request, is at fault: 503 with the time to wait.
constexpr int kUnreachableRetrySeconds = 10;
constexpr int kUnwritableRetrySeconds = 60;

std::optional<ApiAnswer> unavailableAnswer(const DatabaseError& e) {
    ApiAnswer answer;
    switch (e.kind()) {
    case DatabaseError::Unreachable:
    case DatabaseError::CommitUnknown:
        answer = errorAnswer(503, "Сервис временно недоступен. Попробуйте ещё раз через минуту.");
        answer.retryAfterSeconds = kUnreachableRetrySeconds;
        return answer;
    case DatabaseError::Unwritable:
        answer = errorAnswer(503, "Не удаётся сохранить изменения. Попробуйте позже.");
        answer.retryAfterSeconds = kUnwritableRetrySeconds;
        return answer;
    default:
        return std::nullopt;
    }
}

}  // namespace

ApiAnswer errorAnswer(int status, const std::string& message) {
    return jsonAnswer(status, json{{"error", message}});
}

ApiAnswer answerApiRequest(FamilyStore& store, const ApiRequest& request) {
    const auto path = request.target.substr(0, request.target.find('?'));
    for (const auto& route : routes()) {
        if (route.method != request.method || route.path != path) continue;
        // Every answer leaves here: success is a JSON body, failure a JSON
        // {"error"} with the refusal's status, and nothing escapes as an exception.
        try {
            if (route.text) return {200, route.text(store, request)};
            int status = 200;
            const json body = route.handler(store, request, status);
            return jsonAnswer(status, body);
        } catch (const ApiError& e) {
            if (e.status() >= 500) logFailure(request, path, e.status(), e.what());
            return errorAnswer(e.status(), e.what());
        } catch (const DatabaseError& e) {
            if (auto answer = unavailableAnswer(e)) {
                // The database layer logs an outage or a full disk once, not per request.
                if (e.kind() == DatabaseError::CommitUnknown) logFailure(request, path, 503, e.what());
                return std::move(*answer);
            }
            logFailure(request, path, 500, e.what());
            return errorAnswer(500, "Внутренняя ошибка сервера. Попробуйте ещё раз позже.");
        } catch (const std::exception& e) {
            logFailure(request, path, 500, e.what());
            return errorAnswer(500, "Внутренняя ошибка сервера. Попробуйте ещё раз позже.");
        }
    }
    return errorAnswer(404, "Неизвестный адрес.");
}

}  // namespace family
