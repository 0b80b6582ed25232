// What a hostile or broken client can do to the HTTP layer, through real sockets.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "ServerHarness.h"

using nlohmann::json;

namespace {

// One raw connection to the server that sends exactly the given bytes.
class RawConnection {
public:
    RawConnection(int port, const std::string& bytes) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const timeval bound{20, 0};  // only so a broken server fails the test instead of hanging it
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
        EXPECT_EQ(connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    ~RawConnection() { close(fd_); }

    // Neither answered nor closed by the server so far.
    bool waiting() const {
        char byte = 0;
        return recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT) < 0 && errno == EAGAIN;
    }

    // Reads one answer: the status line, the head, and a Content-Length body.
    Answer answer() {
        std::string text;
        char chunk[4096];
        std::size_t headEnd = std::string::npos, length = 0;
        while (headEnd == std::string::npos || text.size() < headEnd + 4 + length) {
            const auto n = recv(fd_, chunk, sizeof chunk, 0);
            if (n <= 0) break;
            text.append(chunk, static_cast<std::size_t>(n));
            headEnd = text.find("\r\n\r\n");
            const auto field = text.find("Content-Length: ");
            if (field != std::string::npos && field < headEnd) length = std::stoul(text.substr(field + 16));
        }
        Answer answer;
        if (headEnd == std::string::npos) return answer;
        answer.status = std::stoi(text.substr(text.find(' ') + 1));
        answer.body = text.substr(headEnd + 4);
        answer.json = json::parse(answer.body, nullptr, false);
        return answer;
    }

private:
    int fd_;
};

std::string head(const std::string& requestLine, const std::string& fields) {
    return requestLine + "\r\nHost: 127.0.0.1\r\n" + fields + "\r\n";
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
