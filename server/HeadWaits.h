#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace family {

// A connection waiting for a whole request, which can be asked to give up.
class HeadWaiter {
public:
    virtual ~HeadWaiter() = default;
    // Called from any thread with no lock held; the connection closes itself
    // on its own strand (answering 503 when part of a request has arrived).
    virtual void giveUp() = 0;

private:
    friend class HeadWaits;
    std::string address_;
    std::uint64_t ticket_ = 0;  // 0: not waiting
    bool idle_ = false;         // kept alive after an answer, no byte of a next request yet known
    bool open_ = false;         // counted toward the overall cap
};

// The per-address limit and the overall connection cap.
//
// Per address, only connections that have not yet sent a whole request count
// (just opened, in the TLS handshake, idle between keep-alive requests, or
// trickling a head or a body): a connection whose request is being answered
// never does, so a family behind one address is never shut out by its own
// working clients. At the limit, of the address's waiters that have been
// waiting longer than `stalledAfter`, the oldest idle keep-alive connection is
// asked to give up, else the oldest of them; a new connection is refused only when the
// address holds far more waiters than the limit and none of them has stalled.
//
// Overall, at most `maxConnections` connections are open; at the cap the
// oldest idle keep-alive connection of any address gives up its place, and
// with none idle a new connection is closed at once.
class HeadWaits {
public:
    HeadWaits(int limit, std::chrono::milliseconds stalledAfter, std::size_t maxConnections = SIZE_MAX);

    // A connection just accepted. False, and nothing counted, when it must be
    // closed at once: the cap is reached and no idle connection can make room.
    bool opened(const std::shared_ptr<HeadWaiter>& who);
    // It closes; harmless when it was never counted.
    void closed(HeadWaiter& who);

    // Lists `who` as waiting for a request. Returns false, and lists nothing,
    // when a new connection must be refused; a connection that has already
    // been served is always listed, as idle.
    bool begin(const std::shared_ptr<HeadWaiter>& who, const std::string& address, bool newConnection);
    // Its next request's head is in: no longer idle, still waiting for its body.
    void headIn(HeadWaiter& who);
    // No longer waiting (its whole request arrived, or it closed); harmless when not listed.
    void end(HeadWaiter& who);
    // Every waiter gives up: the server is stopping.
    void releaseAll();

    std::size_t maxConnections() const { return maxConnections_; }

private:
    struct Entry {
        std::weak_ptr<HeadWaiter> who;
        std::chrono::steady_clock::time_point since;
    };
    using Queue = std::map<std::uint64_t, Entry>;  // by ticket: the oldest first

    // Takes `who` out of every list; the caller holds the lock.
    void unlist(HeadWaiter& who);

    std::mutex mutex_;
    std::map<std::string, Queue> waiting_;
    std::map<std::uint64_t, std::weak_ptr<HeadWaiter>> idle_;  // every address's idle ones, oldest first
    std::uint64_t nextTicket_ = 1;
    std::size_t open_ = 0;
    bool atCap_ = false;  // from reaching the cap until well under it again: one log line each way
    int limit_;
    std::chrono::milliseconds stalledAfter_;
    std::size_t maxConnections_;
};

}  // namespace family
