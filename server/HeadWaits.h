#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace family {

class HeadWaiter;

// What the limits know of one connection. Its owner changes it with atomics
// alone on every request; the rare paths (an address at its limit, the cap,
// an open or a close) read it under the limits' one mutex.
struct HeadWaitSlot {
    struct Address;
    std::weak_ptr<HeadWaiter> who;
    Address* address = nullptr;         // set at its first begin(), until it closes
    std::atomic<std::uint64_t> ticket{0};  // 0: not waiting; the lower, the older
    std::atomic<bool> idle{false};  // kept alive after an answer, no byte of a next request yet known
    std::atomic<std::int64_t> since{0};  // steady clock, when it began waiting
    bool open = false;                   // counted toward the overall cap
};

// A connection waiting for a whole request, which can be asked to give up.
class HeadWaiter {
public:
    virtual ~HeadWaiter() = default;
    // Called from any thread with no lock held; the connection closes itself
    // on its own strand (answering 503 when part of a request has arrived).
    virtual void giveUp() = 0;

private:
    friend class HeadWaits;
    std::shared_ptr<HeadWaitSlot> slot_;
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
//
// Every request of a keep-alive connection begins, gets its head and ends a
// wait: below the limit that costs a few atomic operations and no lock, so the
// threads answering requests never queue behind one another here. Only an
// address at its limit, the cap, and a connection's open and close take the
// mutex.
class HeadWaits {
public:
    HeadWaits(int limit, std::chrono::milliseconds stalledAfter, std::size_t maxConnections = SIZE_MAX);
    ~HeadWaits();

    // A connection just accepted. False, and nothing counted, when it must be
    // closed at once: the cap is reached and no idle connection can make room.
    bool opened(const std::shared_ptr<HeadWaiter>& who);
    // It closes; harmless when it was never counted.
    void closed(HeadWaiter& who);

    // Lists `who` as waiting for a request. Returns false, and lists nothing,
    // when a new connection must be refused; a connection that has already
    // been served is always listed, as idle. Calls for one connection come
    // one at a time (from its strand).
    bool begin(const std::shared_ptr<HeadWaiter>& who, const std::string& address, bool newConnection);
    // Its next request's head is in: no longer idle, still waiting for its body.
    void headIn(HeadWaiter& who);
    // No longer waiting (its whole request arrived, or it closed); harmless when not listed.
    void end(HeadWaiter& who);
    // Every waiter gives up: the server is stopping.
    void releaseAll();

    std::size_t maxConnections() const { return maxConnections_; }

private:
    using Slot = HeadWaitSlot;
    using Address = HeadWaitSlot::Address;

    // The slot of `who`, made on first use; the caller holds the mutex.
    Slot& slotOf(const std::shared_ptr<HeadWaiter>& who);
    // Lists `slot` as waiting, its place in its address's count already taken.
    void list(Slot& slot);
    // Takes a place at `address` for a waiter when one is left below the limit.
    bool takePlaceBelowLimit(Address& address);
    // The address at its limit; the caller holds the mutex. Returns the waiter
    // asked to give up for `slot`, if any, and whether `slot` is admitted.
    std::shared_ptr<HeadWaiter> beginOverLimit(Slot& slot, bool newConnection, bool& admitted);
    // Ends `slot`'s wait when it still holds `ticket`; false when it ended meanwhile.
    static bool unlist(Slot& slot, std::uint64_t ticket, bool freePlace);

    std::mutex mutex_;
    std::unordered_map<std::string, std::unique_ptr<Address>> addresses_;
    std::atomic<std::uint64_t> nextTicket_{1};
    std::size_t open_ = 0;
    bool atCap_ = false;  // from reaching the cap until well under it again: one log line each way
    int limit_;
    std::chrono::milliseconds stalledAfter_;
    std::size_t maxConnections_;
};

}  // namespace family
