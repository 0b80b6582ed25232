#include "RawConnection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

RawConnection::RawConnection(int port, const std::string& bytes, const std::string& source)
    : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    const timeval bound{20, 0};  // only so a broken server fails the test instead of hanging it
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    inet_pton(AF_INET, source.c_str(), &from.sin_addr);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = bind(fd_, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0 &&
                 connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    EXPECT_TRUE(connected_) << "from " << source << ": " << std::strerror(errno);
    if (!bytes.empty()) write(bytes);
}

RawConnection::~RawConnection() { close(fd_); }

void RawConnection::write(const std::string& bytes) {
    EXPECT_EQ(send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
}

bool RawConnection::tryWrite(const std::string& bytes) {
    return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT) ==
           static_cast<ssize_t>(bytes.size());
}

bool RawConnection::waiting() const {
    char byte = 0;
    return recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT) < 0 && errno == EAGAIN;
}

Answer RawConnection::answer() {
    std::string text = std::move(pending_);
    pending_.clear();
    char chunk[4096];
    std::size_t headEnd = text.find("\r\n\r\n"), length = 0;
    const auto readLength = [&] {
        const auto field = text.find("Content-Length: ");
        if (field != std::string::npos && field < headEnd) length = std::stoul(text.substr(field + 16));
    };
    if (headEnd != std::string::npos) readLength();
    while (headEnd == std::string::npos || text.size() < headEnd + 4 + length) {
        const auto n = recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) break;
        text.append(chunk, static_cast<std::size_t>(n));
        headEnd = text.find("\r\n\r\n");
        if (headEnd != std::string::npos) readLength();
    }
    Answer answer;
    if (headEnd == std::string::npos) return answer;
    answer.status = std::stoi(text.substr(text.find(' ') + 1));
    answer.head = text.substr(0, headEnd);
    answer.body = text.substr(headEnd + 4, length);
    pending_ = text.substr(std::min(text.size(), headEnd + 4 + length));
    answer.json = nlohmann::json::parse(answer.body, nullptr, false);
    return answer;
}

bool RawConnection::closedSilently() {
    char byte = 0;
    return pending_.empty() && recv(fd_, &byte, 1, 0) == 0;
}

std::string requestHead(const std::string& requestLine, const std::string& fields) {
    return requestLine + "\r\nHost: 127.0.0.1\r\n" + fields + "\r\n";
}

int retryAfter(const Answer& answer) {
    const auto at = answer.head.find("Retry-After: ");
    return at == std::string::npos ? 0 : std::atoi(answer.head.c_str() + at + 13);
}
