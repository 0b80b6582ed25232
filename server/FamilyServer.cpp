#include "FamilyServer.h"

#include "ApiError.h"
#include "FamilyStore.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <arpa/inet.h>

#include <cctype>
#include <functional>
#include <stdexcept>

namespace family {

using nlohmann::json;

bool isLoopbackHost(std::string_view host) {
    if (host == "localhost" || host == "::1") return true;
    in_addr v4{};
    const std::string text(host);
    if (inet_pton(AF_INET, text.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    return false;
}

namespace {

void reply(httplib::Response& res, int status, const json& body) {
    res.status = status;
    res.set_header("Cache-Control", "no-store");
    res.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace), "application/json; charset=utf-8");
}

void replyError(httplib::Response& res, int status, const std::string& message) {
    reply(res, status, json{{"error", message}});
}

std::string bearerToken(const httplib::Request& req) {
    const auto header = req.get_header_value("Authorization");
    constexpr std::string_view scheme = "bearer ";
    if (header.size() <= scheme.size()) return {};
    for (std::size_t i = 0; i < scheme.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(header[i])) != scheme[i]) return {};
    auto token = header.substr(scheme.size());
    while (!token.empty() && token.front() == ' ') token.erase(token.begin());
    while (!token.empty() && token.back() == ' ') token.pop_back();
    return token;
}

// The request body as a JSON object; an empty body counts as {} where allowed.
json bodyObject(const httplib::Request& req, bool emptyAllowed = false) {
    if (req.body.empty() && emptyAllowed) return json::object();
    json body = json::parse(req.body, nullptr, false);
    if (body.is_discarded() || !body.is_object()) throw ApiError(400, "Некорректный запрос: ожидается JSON-объект.");
    return body;
}

std::string textField(const json& body, const char* key) {
    const auto it = body.find(key);
    if (it == body.end() || !it->is_string())
        throw ApiError(400, std::string("Некорректный запрос: нужно текстовое поле «") + key + "».");
    return it->get<std::string>();
}

double numberField(const json& body, const char* key) {
    const auto it = body.find(key);
    if (it == body.end() || !it->is_number())
        throw ApiError(400, std::string("Некорректный запрос: нужно числовое поле «") + key + "».");
    return it->get<double>();
}

}  // namespace

void FamilyServer::checkListenOptions(const ListenOptions& options) {
    const bool wantsTls = !options.certificateFile.empty() || !options.keyFile.empty();
    if (wantsTls && (options.certificateFile.empty() || options.keyFile.empty()))
        throw std::invalid_argument("HTTPS needs both a certificate (--cert) and a private key (--key)");
    if (!wantsTls && !isLoopbackHost(options.host))
        throw std::invalid_argument("refusing to serve plain HTTP on " + options.host +
                                    ": give --cert and --key to use HTTPS on an address other than loopback");
}

FamilyServer::FamilyServer(FamilyStore& store, ListenOptions options) : store_(store), options_(std::move(options)) {
    checkListenOptions(options_);
    const bool wantsTls = !options_.certificateFile.empty();
    if (wantsTls) {
        auto https = std::make_unique<httplib::SSLServer>(options_.certificateFile.c_str(), options_.keyFile.c_str());
        if (!https->is_valid())
            throw std::invalid_argument("cannot load the certificate " + options_.certificateFile + " and key " +
                                        options_.keyFile);
        http_ = std::move(https);
        tls_ = true;
    } else {
        http_ = std::make_unique<httplib::Server>();
    }
    // The app keeps idle connections open; enough workers that a few devices
    // on one server never queue behind each other's idle sockets.
    http_->new_task_queue = [] { return new httplib::ThreadPool(24); };
    http_->set_payload_max_length(options_.maxBodyBytes);
    http_->set_read_timeout(30);
    http_->set_write_timeout(30);
    routes();
}

FamilyServer::~FamilyServer() { stop(); }

int FamilyServer::bind() {
    if (options_.port == 0) {
        port_ = http_->bind_to_any_port(options_.host);
        if (port_ <= 0) throw std::runtime_error("cannot listen on " + options_.host);
    } else {
        if (!http_->bind_to_port(options_.host, options_.port))
            throw std::runtime_error("cannot listen on " + options_.host + ":" + std::to_string(options_.port));
        port_ = options_.port;
    }
    return port_;
}

void FamilyServer::run() { http_->listen_after_bind(); }

void FamilyServer::stop() {
    if (http_) http_->stop();
}

std::string FamilyServer::origin() const {
    const bool v6 = options_.host.find(':') != std::string::npos;
    return std::string(tls_ ? "https://" : "http://") + (v6 ? "[" + options_.host + "]" : options_.host) + ":" +
           std::to_string(port_);
}

void FamilyServer::routes() {
    using Handler = std::function<json(const httplib::Request&, int& status)>;
    // Every answer passes through here: success is a JSON body, failure a JSON
    // {"error"} with the refusal's status, and nothing escapes as an exception.
    auto guarded = [](Handler handler) {
        return [handler = std::move(handler)](const httplib::Request& req, httplib::Response& res) {
            try {
                int status = 200;
                json body = handler(req, status);
                reply(res, status, body);
            } catch (const ApiError& e) {
                replyError(res, e.status(), e.what());
            } catch (const std::exception&) {
                replyError(res, 500, "Внутренняя ошибка сервера. Попробуйте ещё раз позже.");
            }
        };
    };
    auto signedIn = [this](const httplib::Request& req) {
        const auto token = bearerToken(req);
        if (token.empty()) throw ApiError(401, "Войдите в аккаунт.");
        return store_.authenticate(token);
    };

    http_->Post("/api/auth/login", guarded([this](const httplib::Request& req, int&) {
        const auto body = bodyObject(req);
        const auto email = textField(body, "email");
        const auto password = textField(body, "password");
        const auto signIn = store_.login(email, password);
        return json{{"user", FamilyStore::userJson(signIn.user)}, {"sessionToken", signIn.token}};
    }));

    http_->Get("/api/auth/me", guarded([signedIn](const httplib::Request& req, int&) {
        return json{{"user", FamilyStore::userJson(signedIn(req))}};
    }));

    http_->Get("/api/family", guarded([this, signedIn](const httplib::Request& req, int&) {
        return store_.family(signedIn(req));
    }));

    http_->Patch("/api/preferences", guarded([this, signedIn](const httplib::Request& req, int&) {
        const auto me = signedIn(req);
        const auto body = bodyObject(req);
        return store_.setPreferences(me, textField(body, "currency"), textField(body, "language"));
    }));

    http_->Post("/api/pairing/create", guarded([this, signedIn](const httplib::Request& req, int& status) {
        const auto me = signedIn(req);
        bodyObject(req, true);
        status = 201;
        return store_.createPairingCode(me);
    }));

    http_->Post("/api/pairing/claim", guarded([this, signedIn](const httplib::Request& req, int&) {
        const auto me = signedIn(req);
        const auto body = bodyObject(req);
        return store_.claimPairingCode(me, textField(body, "token"));
    }));

    http_->Post("/api/family/parent-invite", guarded([this, signedIn](const httplib::Request& req, int& status) {
        const auto me = signedIn(req);
        const auto body = bodyObject(req);
        const auto action = textField(body, "action");
        if (action == "create") {
            status = 201;
            return store_.createParentInvite(me);
        }
        if (action == "claim") return store_.claimParentInvite(me, textField(body, "token"));
        throw ApiError(400, "Некорректный запрос: действие должно быть «create» или «claim».");
    }));

    http_->Post("/api/tasks", guarded([this, signedIn](const httplib::Request& req, int& status) {
        const auto me = signedIn(req);
        const auto body = bodyObject(req);
        const auto childId = textField(body, "childId");
        const auto title = textField(body, "title");
        const auto reward = numberField(body, "reward");
        status = 201;
        return store_.addTask(me, childId, title, reward);
    }));

    http_->Patch("/api/tasks", guarded([this, signedIn](const httplib::Request& req, int&) {
        const auto me = signedIn(req);
        const auto body = bodyObject(req);
        return store_.actOnTask(me, textField(body, "id"), textField(body, "action"));
    }));

    // Failures that never reach a route (unknown path, oversized or unreadable
    // request) still answer with a JSON error text.
    http_->set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
        if (res.body.empty()) {
            const int status = res.status;
            std::string message = "Ошибка сервера.";
            if (status == 404) message = "Неизвестный адрес.";
            else if (status == 413) message = "Слишком большой запрос.";
            else if (status == 400) message = "Некорректный запрос.";
            replyError(res, status, message);
        }
        return httplib::Server::HandlerResponse::Handled;
    }));
    http_->set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        replyError(res, 500, "Внутренняя ошибка сервера. Попробуйте ещё раз позже.");
    });
}

}  // namespace family
