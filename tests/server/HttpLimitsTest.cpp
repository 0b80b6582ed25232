// What a hostile or broken client can do to the HTTP layer, through real sockets.
#include <thread>

#include "RawConnection.h"
#include "ServerHarness.h"

using nlohmann::json;

namespace {

std::string head(const std::string& requestLine, const std::string& fields) {
    return requestHead(requestLine, fields);
}

}  // namespace

TEST_F(ServerTest, StalledHeadsNeitherStarveOthersNorHoldAnAnnouncedOversizedBody) {
    // More stalled clients than any fixed worker pool would have threads.
    std::vector<std::unique_ptr<RawConnection>> stalled;
    for (int i = 0; i < 40; ++i)
        stalled.push_back(
            std::make_unique<RawConnection>(port_, "GET /api/family HTTP/1.1\r\nHost: 127.0.0.1\r\nX-"));

    EXPECT_EQ(api_->get("/api/auth/me").status, 401);
    RawConnection huge(port_, head("POST /api/auth/login HTTP/1.1", "Content-Length: 99999999999999\r\n"));
    const auto refused = huge.answer();
    EXPECT_EQ(refused.status, 413);
    EXPECT_EQ(refused.error(), "Слишком большой запрос.");

    // Both were answered while every stalled head was still being waited for.
    for (const auto& connection : stalled) EXPECT_TRUE(connection->waiting());
}

TEST_F(ServerTest, ARequestHeadOverTheLimitIs431AndOneWithinItIsServed) {
    const auto filler = [](std::size_t bytes) {
        std::string fields;
        for (int i = 0; fields.size() < bytes; ++i)
            fields += "X-Filler-" + std::to_string(i) + ": " + std::string(40, 'a') + "\r\n";
        return fields;
    };
    RawConnection within(port_, head("GET /api/auth/me HTTP/1.1", filler(12 * 1024)));
    EXPECT_EQ(within.answer().status, 401);
    RawConnection over(port_, head("GET /api/auth/me HTTP/1.1", filler(64 * 1024)));
    const auto answer = over.answer();
    EXPECT_EQ(answer.status, 431);
    EXPECT_FALSE(answer.error().empty());
}

TEST_F(ServerTest, RangeIsIgnoredAndEveryAnswerStaysWholeJson) {
    const auto token = tokenFor(addAccount("mama@example.com", "Мама", "parent"));
    const auto whole = familyOf(token);
    const std::string ranges = "Range: bytes=0-3,5-9,0-1\r\n";
    RawConnection family(
        port_, head("GET /api/family HTTP/1.1", ranges + "Authorization: Bearer " + token + "\r\n"));
    const auto ranged = family.answer();
    EXPECT_EQ(ranged.status, 200);
    EXPECT_EQ(ranged.json, whole);
    RawConnection anonymous(port_, head("GET /api/family HTTP/1.1", ranges));
    const auto refused = anonymous.answer();
    EXPECT_EQ(refused.status, 401);
    EXPECT_EQ(refused.error(), "Войдите в аккаунт.");
}

namespace {

// Deadlines short enough to watch them pass.
class ShortDeadlines : public ServerTest {
protected:
    family::ListenOptions listenOptions() const override {
        auto options = ServerTest::listenOptions();
        options.headDeadline = std::chrono::seconds(1);
        options.transferDeadline = std::chrono::seconds(1);
        return options;
    }
};

}  // namespace

TEST_F(ShortDeadlines, ALateHeadOrBodyIsAnswered408AndAnIdleConnectionJustCloses) {
    const std::string body = R"({"email":"mama@example.com","password":"password1"})";
    RawConnection lateHead(port_, "GET /api/family HTTP/1.1\r\nHost: 127.0.0.1\r\nX-");
    RawConnection lateBody(port_, head("POST /api/auth/login HTTP/1.1",
                                       "Content-Length: " + std::to_string(body.size()) + "\r\n") +
                                      body.substr(0, 10));
    RawConnection idle(port_);
    for (auto* connection : {&lateHead, &lateBody}) {
        const auto answer = connection->answer();
        EXPECT_EQ(answer.status, 408);
        EXPECT_EQ(answer.error(), "Запрос не пришёл вовремя.");
        EXPECT_NE(answer.head.find("Connection: close"), std::string::npos);
        EXPECT_TRUE(connection->closedSilently()) << "closed after the answer";
    }
    EXPECT_TRUE(idle.closedSilently());
}

TEST_F(ServerTest, ABodyIsOneJsonValueWithNothingAfterIt) {
    addAccount("mama@example.com", "Мама", "parent");
    const std::string signIn = R"({"email":"mama@example.com","password":"password1"})";
    const auto request = [&](const std::string& body) {
        RawConnection connection(port_, head("POST /api/auth/login HTTP/1.1",
                                             "Content-Length: " + std::to_string(body.size()) + "\r\n") +
                                            body);
        return connection.answer();
    };
    EXPECT_EQ(request(signIn).status, 200);
    for (const auto& tail : {std::string("\0", 1) + "junk", std::string("\0", 1), std::string(" {}")}) {
        const auto answer = request(signIn + tail);
        EXPECT_EQ(answer.status, 400) << json(tail).dump();
        EXPECT_EQ(answer.error(), "Некорректный запрос: ожидается JSON-объект.");
    }
}

namespace {

// Two waiting connections per address, none of them old enough to count as stalled.
class TightLimit : public ServerTest {
protected:
    family::ListenOptions listenOptions() const override {
        auto options = ServerTest::listenOptions();
        options.maxConnectionsPerAddress = 2;
        options.stalledAfter = std::chrono::minutes(1);
        return options;
    }
};

}  // namespace

TEST_F(TightLimit, AFloodOfFreshConnectionsIsAnswered503OnlyFarPastTheLimit) {
    std::vector<std::unique_ptr<RawConnection>> fresh;
    for (int i = 0; i < 16; ++i) fresh.push_back(std::make_unique<RawConnection>(port_, "", "127.0.0.2"));
    RawConnection refused(port_, "", "127.0.0.2");
    const auto answer = refused.answer();
    EXPECT_EQ(answer.status, 503);
    EXPECT_GT(retryAfter(answer), 0);
    EXPECT_FALSE(answer.error().empty());
    for (const auto& connection : fresh) EXPECT_TRUE(connection->waiting());
    RawConnection elsewhere(port_, head("GET /api/auth/me HTTP/1.1", ""), "127.0.0.3");
    EXPECT_EQ(elsewhere.answer().status, 401);
}

namespace {

// A body must bring 4 bytes a second, judged every two seconds: a window
// wide enough that a loaded test machine's pauses do not starve the steady
// client, and a trickle still falls behind within the first one.
class BodyPace : public ServerTest {
protected:
    family::ListenOptions listenOptions() const override {
        auto options = ServerTest::listenOptions();
        options.bodyPaceWindow = std::chrono::seconds(2);
        options.minBodyBytesPerSecond = 4;
        return options;
    }
};

}  // namespace

TEST_F(BodyPace, ASlowBodyKeepingPaceIsServedAndOneFallingBehindIsAnswered408) {
    addAccount("mama@example.com", "Мама", "parent");
    const std::string body = R"({"email":"mama@example.com","password":"password1"})";
    const auto loginHead = head("POST /api/auth/login HTTP/1.1",
                                "Content-Length: " + std::to_string(body.size()) + "\r\n");
    RawConnection steady(port_, loginHead), trickling(port_, loginHead, "127.0.0.2");
    // A quarter of a second apart: the steady one sends 10 bytes at a time
    // (40 a second), the trickling one a byte every other step (2 a second).
    std::size_t sent = 0, trickled = 0;
    for (int step = 0; sent < body.size(); ++step) {
        steady.write(body.substr(sent, 10));
        sent += 10;
        if (step % 2 == 0 && trickling.waiting()) trickling.tryWrite(body.substr(trickled++, 1));  // until answered
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    EXPECT_EQ(steady.answer().status, 200);
    const auto late = trickling.answer();
    EXPECT_EQ(late.status, 408);
    EXPECT_EQ(late.error(), "Запрос не пришёл вовремя.");
}
