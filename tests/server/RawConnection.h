#pragma once

#include <string>

#include "ServerHarness.h"

// One raw connection to a server on loopback, from `source` (any 127.x.y.z
// address, so one machine can play many clients), that sends exactly the
// bytes it is given.
class RawConnection {
public:
    explicit RawConnection(int port, const std::string& bytes = "", const std::string& source = "127.0.0.1");
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool connected() const { return connected_; }
    void write(const std::string& bytes);
    // Like write, for a client that does not care whether the server still listens.
    bool tryWrite(const std::string& bytes);
    // Neither answered nor closed by the server so far.
    bool waiting() const;
    // Reads one answer: the head (kept in Answer::head) and a Content-Length
    // body. Status 0 when the server closed first or nothing came in 20 s.
    Answer answer();
    // True when the server closed the connection with no byte sent.
    bool closedSilently();

private:
    int fd_;
    bool connected_ = false;
    std::string pending_;  // bytes read past the last answer
};

// "GET /api/auth/me HTTP/1.1" and the like, with a Host field and `fields`.
std::string requestHead(const std::string& requestLine, const std::string& fields = "");
// The Retry-After seconds of an answer's head, or 0.
int retryAfter(const Answer& answer);
