#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace family {

// A connection waiting for a request head, which can be asked to give up.
class HeadWaiter {
public:
    virtual ~HeadWaiter() = default;
    // Called from any thread with no lock held; the connection closes itself
    // on its own strand (answering 503 when part of a head has arrived).
    virtual void giveUp() = 0;

private:
    friend class HeadWaits;
    std::string address_;
    std::uint64_t ticket_ = 0;  // 0: not waiting
};

// The per-address limit. Only connections that have not yet sent a whole
// request head count toward it (just opened, in the TLS handshake, idle
// between keep-alive requests, or trickling a head): a connection with a
// request under way never does, so a family behind one address is never shut
// out by its own working clients. At the limit, the address's oldest waiter
// that has been waiting longer than `stalledAfter` is asked to give up; a new
// connection is refused only when the address holds far more waiters than the
// limit and none of them has stalled yet.
class HeadWaits {
public:
    HeadWaits(int limit, std::chrono::milliseconds stalledAfter);

    // Lists `who` as waiting. Returns false, and lists nothing, when a new
    // connection must be refused; a connection that has already been served
    // is always listed.
    bool begin(const std::shared_ptr<HeadWaiter>& who, const std::string& address, bool newConnection);
    // No longer waiting (its head arrived, or it closed); harmless when not listed.
    void end(HeadWaiter& who);
    // Every waiter gives up: the server is stopping.
    void releaseAll();

private:
    struct Entry {
        std::weak_ptr<HeadWaiter> who;
        std::chrono::steady_clock::time_point since;
    };
    using Queue = std::map<std::uint64_t, Entry>;  // by ticket: the oldest first

    std::mutex mutex_;
    std::map<std::string, Queue> waiting_;
    std::uint64_t nextTicket_ = 1;
    int limit_;
    std::chrono::milliseconds stalledAfter_;
};

}  // namespace family
