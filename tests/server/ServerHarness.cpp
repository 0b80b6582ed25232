#include "ServerHarness.h"

#include <httplib.h>

#include "TempPostgres.h"

using nlohmann::json;

std::string Answer::error() const {
    if (!json.is_object() || !json.contains("error") || !json["error"].is_string()) return {};
    return json["error"].get<std::string>();
}

Answer ApiClient::send(const std::string& method, const std::string& path, const std::string& body,
                       const std::string& token, bool mayFail) {
    httplib::Client client(host_, port_);
    httplib::Headers headers{{"x-zanbeck-client", "ios"}};
    if (!token.empty()) headers.emplace("Authorization", "Bearer " + token);
    httplib::Result result = method == "GET"    ? client.Get(path, headers)
                             : method == "POST" ? client.Post(path, headers, body, "application/json")
                                                : client.Patch(path, headers, body, "application/json");
    Answer answer;
    if (!result) {
        if (!mayFail)
            ADD_FAILURE() << method << " " << path << ": no answer: " << httplib::to_string(result.error());
        return answer;
    }
    answer.status = result->status;
    for (const auto& [name, value] : result->headers) answer.head += name + ": " + value + "\r\n";
    answer.body = result->body;
    answer.json = json::parse(result->body, nullptr, false);
    return answer;
}

void ServerTest::SetUp() {
    family::StoreSettings settings;
    settings.minimalPasswordCost = true;
    std::string location = dir_.filePath("family.sqlite3").toStdString();
    if (testsUsePostgres()) {
        location = sharedPostgres().newDatabase();
        if (location.empty()) {
            if (sharedPostgres().installed()) FAIL() << "PostgreSQL did not start: " << sharedPostgres().problem();
            GTEST_SKIP() << "PostgreSQL cannot run here: " << sharedPostgres().problem();
        }
    }
    store_ = std::make_unique<family::FamilyStore>(location, [this] { return now_.load(); }, settings);
    server_ = std::make_unique<family::FamilyServer>(*store_, listenOptions());
    port_ = server_->bind();
    thread_ = std::thread([this] { server_->run(); });
    api_.emplace("127.0.0.1", port_);
}

family::ListenOptions ServerTest::listenOptions() const {
    family::ListenOptions options;
    options.port = 0;
    return options;
}

void ServerTest::TearDown() {
    if (!server_) return;
    server_->stop();
    if (thread_.joinable()) thread_.join();
}

family::Account ServerTest::addAccount(const std::string& email, const std::string& nickname,
                                       const std::string& role, const std::string& password) {
    return store_->addAccount({email, nickname, role, password});
}

std::string ServerTest::login(const std::string& email, const std::string& password) {
    const auto answer = api_->post("/api/auth/login", json{{"email", email}, {"password", password}}.dump());
    EXPECT_EQ(answer.status, 200) << answer.body;
    return answer.json.value("sessionToken", "");
}

std::string ServerTest::tokenOf(const std::string& payload) {
    const auto at = payload.find("token=");
    return at == std::string::npos ? std::string() : payload.substr(at + 6);
}

Answer ServerTest::claimPairing(const std::string& token, const std::string& code) {
    return api_->post("/api/pairing/claim", json{{"token", code}}.dump(), token);
}

Answer ServerTest::claimInvite(const std::string& token, const std::string& code) {
    return api_->post("/api/family/parent-invite", json{{"action", "claim"}, {"token", code}}.dump(), token);
}

void ServerTest::pair(const std::string& parentToken, const std::string& childToken) {
    const auto code = createPairing(childToken);
    ASSERT_EQ(code.status / 100, 2) << code.body;
    const auto claim = claimPairing(parentToken, tokenOf(code.json["qrPayload"]));
    ASSERT_EQ(claim.status, 200) << claim.body;
}

std::string ServerTest::addTask(const std::string& parentToken, const std::string& childId, double reward,
                                const std::string& title) {
    const auto answer = api_->post(
        "/api/tasks", json{{"childId", childId}, {"title", title}, {"reward", reward}}.dump(), parentToken);
    EXPECT_EQ(answer.status / 100, 2) << answer.body;
    return answer.json.is_object() && answer.json.contains("task") ? answer.json["task"].value("id", "") : "";
}

Answer ServerTest::act(const std::string& token, const std::string& taskId, const std::string& action) {
    return api_->patch("/api/tasks", json{{"id", taskId}, {"action", action}}.dump(), token);
}

json ServerTest::familyOf(const std::string& token) {
    const auto answer = api_->get("/api/family", token);
    EXPECT_EQ(answer.status, 200) << answer.body;
    return answer.json;
}

json ServerTest::taskIn(const json& family, const std::string& taskId) {
    for (const auto& task : family["tasks"])
        if (task["id"] == taskId) return task;
    ADD_FAILURE() << "task " << taskId << " is not in " << family.dump();
    return json::object();
}

void FamilyTest::SetUp() {
    ServerTest::SetUp();
    if (!server_) return;
    mama_ = addAccount("mama@example.com", "Мама", "parent");
    papa_ = addAccount("papa@example.com", "Папа", "parent");
    kid_ = addAccount("kid@example.com", "Coder", "child");
    mamaToken_ = tokenFor(mama_);
    papaToken_ = tokenFor(papa_);
    kidToken_ = tokenFor(kid_);
}
