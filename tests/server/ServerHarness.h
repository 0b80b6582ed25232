#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>

#include "FamilyServer.h"
#include "FamilyStore.h"
#include "support/TempDir.h"

// One answer as the app would see it: the status and the parsed JSON body
// (a discarded value when the body is not JSON).
struct Answer {
    int status = 0;
    std::string head;  // status line and header fields, where the client keeps them
    std::string body;
    nlohmann::json json;
    std::string error() const;  // the "error" text, or "" when there is none
};

// A plain HTTP client for one origin; every request carries the app's headers.
class ApiClient {
public:
    ApiClient(std::string host, int port) : host_(std::move(host)), port_(port) {}
    // method: "GET", "POST" or "PATCH"; the token is sent when not empty. No
    // answer is status 0, and a test failure unless `mayFail`.
    Answer send(const std::string& method, const std::string& path, const std::string& body,
                const std::string& token, bool mayFail = false);
    Answer get(const std::string& path, const std::string& token = "") {
        return send("GET", path, "", token);
    }
    Answer post(const std::string& path, const std::string& body, const std::string& token = "") {
        return send("POST", path, body, token);
    }
    Answer patch(const std::string& path, const std::string& body, const std::string& token = "") {
        return send("PATCH", path, body, token);
    }

private:
    std::string host_;
    int port_;
};

// A real store in a temporary folder behind a real server on 127.0.0.1 with a
// free port, with a clock the test moves by hand.
class ServerTest : public ::testing::Test {
protected:
    void SetUp() override;
    // The server's limits; a fixture may shorten them.
    virtual family::ListenOptions listenOptions() const;
    void TearDown() override;

    family::Account addAccount(const std::string& email, const std::string& nickname, const std::string& role,
                               const std::string& password = "password1");
    std::string login(const std::string& email, const std::string& password = "password1");
    // Signs the account in and returns its token; the account was made with addAccount.
    std::string tokenFor(const family::Account& account) { return login(account.email); }

    // Pairs `child` with `parent` through the protocol (child makes a code, parent claims it).
    void pair(const std::string& parentToken, const std::string& childToken);
    // Makes a task for the child and returns its id.
    std::string addTask(const std::string& parentToken, const std::string& childId, double reward = 10,
                        const std::string& title = "Убрал комнату");
    Answer act(const std::string& token, const std::string& taskId, const std::string& action);
    nlohmann::json familyOf(const std::string& token);
    nlohmann::json taskIn(const nlohmann::json& family, const std::string& taskId);
    static std::string tokenOf(const std::string& payload);  // the "token" query item of a QR payload

    Answer createPairing(const std::string& token) { return api_->post("/api/pairing/create", "{}", token); }
    Answer createInvite(const std::string& token) {
        return api_->post("/api/family/parent-invite", R"({"action":"create"})", token);
    }
    Answer claimPairing(const std::string& token, const std::string& code);
    Answer claimInvite(const std::string& token, const std::string& code);

    void advance(std::int64_t seconds) { now_ += seconds; }

    TempDir dir_;
    std::atomic<std::int64_t> now_{1'800'000'000};
    std::unique_ptr<family::FamilyStore> store_;
    std::unique_ptr<family::FamilyServer> server_;
    std::thread thread_;
    int port_ = 0;
    std::optional<ApiClient> api_;
};

// Two parents and a child, signed in, in no family yet.
class FamilyTest : public ServerTest {
protected:
    void SetUp() override;

    std::string pairingCode() { return pairingCodeOf(kidToken_); }
    std::string pairingCodeOf(const std::string& childToken) {
        return tokenOf(createPairing(childToken).json["qrPayload"]);
    }
    std::string inviteCode(const std::string& token) {
        return tokenOf(createInvite(token).json["qrPayload"]);
    }
    void joinAsSecondParent() { ASSERT_EQ(claimInvite(papaToken_, inviteCode(mamaToken_)).status, 200); }
    nlohmann::json task(const std::string& token, const std::string& id) {
        return taskIn(familyOf(token), id);
    }

    family::Account mama_, papa_, kid_;
    std::string mamaToken_, papaToken_, kidToken_;
};
