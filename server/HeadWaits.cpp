#include "HeadWaits.h"

#include <utility>
#include <vector>

#include "ServerLog.h"

namespace family {

namespace {
// Only this many times the limit of fresh connections are let in at once from
// one address before any of them has had time to stall.
constexpr int kFreshAllowance = 8;

std::int64_t steadyNow() { return std::chrono::steady_clock::now().time_since_epoch().count(); }
}  // namespace

struct HeadWaitSlot::Address {
    std::string name;
    // Its waiters: a place is taken before a slot is listed and freed once it
    // is not, so this never counts fewer than are listed.
    std::atomic<int> waiting{0};
    // Every connection that began here and is still open.
    std::unordered_map<HeadWaitSlot*, std::shared_ptr<HeadWaitSlot>> members;
};

HeadWaits::HeadWaits(int limit, std::chrono::milliseconds stalledAfter, std::size_t maxConnections)
    : limit_(limit), stalledAfter_(stalledAfter), maxConnections_(maxConnections) {}

HeadWaits::~HeadWaits() = default;

HeadWaits::Slot& HeadWaits::slotOf(const std::shared_ptr<HeadWaiter>& who) {
    if (!who->slot_) {
        who->slot_ = std::make_shared<Slot>();
        who->slot_->who = who;
    }
    return *who->slot_;
}

bool HeadWaits::opened(const std::shared_ptr<HeadWaiter>& who) {
    std::shared_ptr<HeadWaiter> evicted;
    bool firstAtCap = false;
    bool admitted = false;
    {
        std::lock_guard lock(mutex_);
        Slot& slot = slotOf(who);
        if (open_ >= maxConnections_) {
            firstAtCap = !std::exchange(atCap_, true);
            // The oldest idle keep-alive connection of any address makes room.
            while (!evicted) {
                Slot* oldest = nullptr;
                std::uint64_t oldestTicket = 0;
                for (const auto& [name, address] : addresses_)
                    for (const auto& [raw, member] : address->members) {
                        const auto ticket = member->ticket.load(std::memory_order_acquire);
                        if (ticket != 0 && member->idle.load(std::memory_order_relaxed) &&
                            (!oldest || ticket < oldestTicket) && !member->who.expired()) {
                            oldest = raw;
                            oldestTicket = ticket;
                        }
                    }
                if (!oldest) break;
                if (!unlist(*oldest, oldestTicket, true)) continue;  // its request came meanwhile
                evicted = oldest->who.lock();
                // Its place is the newcomer's from now: it is on its way out.
                if (std::exchange(oldest->open, false)) --open_;
            }
        }
        if (open_ < maxConnections_) {
            ++open_;
            slot.open = true;
            admitted = true;
        }
    }
    if (firstAtCap)
        logLine("connection cap of " + std::to_string(maxConnections_) +
                " reached: closing idle keep-alive connections first, then refusing new ones");
    if (evicted) evicted->giveUp();
    return admitted;
}

void HeadWaits::closed(HeadWaiter& who) {
    if (!who.slot_) return;
    Slot& slot = *who.slot_;
    bool backUnder = false;
    {
        std::lock_guard lock(mutex_);
        if (Address* address = slot.address) {
            unlist(slot, slot.ticket.load(), true);
            address->members.erase(&slot);
            if (address->members.empty()) addresses_.erase(address->name);
            slot.address = nullptr;
        }
        if (std::exchange(slot.open, false)) --open_;
        if (atCap_ && open_ < maxConnections_ - maxConnections_ / 10) {
            atCap_ = false;
            backUnder = true;
        }
    }
    if (backUnder) logLine("connections back under the cap of " + std::to_string(maxConnections_));
}

void HeadWaits::list(Slot& slot) {
    slot.ticket.store(nextTicket_.fetch_add(1, std::memory_order_relaxed), std::memory_order_release);
}

bool HeadWaits::unlist(Slot& slot, std::uint64_t ticket, bool freePlace) {
    if (ticket == 0 || !slot.ticket.compare_exchange_strong(ticket, 0)) return false;
    slot.idle.store(false, std::memory_order_relaxed);
    if (freePlace) slot.address->waiting.fetch_sub(1);
    return true;
}

bool HeadWaits::takePlaceBelowLimit(Address& address) {
    int waiting = address.waiting.load(std::memory_order_relaxed);
    while (waiting < limit_)
        if (address.waiting.compare_exchange_weak(waiting, waiting + 1)) return true;
    return false;
}

bool HeadWaits::begin(const std::shared_ptr<HeadWaiter>& who, const std::string& address, bool newConnection) {
    if (!who->slot_ || !who->slot_->address) {
        // Its first wait: it joins its address's connections.
        std::lock_guard lock(mutex_);
        Slot& slot = slotOf(who);
        auto& entry = addresses_[address];
        if (!entry) {
            entry = std::make_unique<Address>();
            entry->name = address;
        }
        slot.address = entry.get();
        entry->members.emplace(&slot, who->slot_);
    }
    Slot& slot = *who->slot_;
    unlist(slot, slot.ticket.load(), true);  // still listed from before: counted once
    slot.since.store(steadyNow(), std::memory_order_relaxed);
    slot.idle.store(!newConnection, std::memory_order_relaxed);
    // The common case: a place below the limit, no lock.
    if (takePlaceBelowLimit(*slot.address)) {
        list(slot);
        return true;
    }
    std::shared_ptr<HeadWaiter> evicted;
    bool admitted = true;
    {
        std::lock_guard lock(mutex_);
        evicted = beginOverLimit(slot, newConnection, admitted);
    }
    if (evicted) {
        logLine("client " + address + " is over its limit of " + std::to_string(limit_) +
                " connections waiting for a whole request: closing its oldest idle or stalled one");
        evicted->giveUp();
    }
    if (!admitted) {
        slot.idle.store(false, std::memory_order_relaxed);
        logLine("client " + address + " opened too many connections at once: refusing a new one with 503");
    }
    return admitted;
}

std::shared_ptr<HeadWaiter> HeadWaits::beginOverLimit(Slot& slot, bool newConnection, bool& admitted) {
    Address& address = *slot.address;
    const auto now = steadyNow();
    const auto stalledAfter =
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(stalledAfter_).count();
    // Other connections of the address begin and end their waits meanwhile,
    // without this lock: each step below re-reads what it decides on, and a
    // waiter is only closed while it still holds the ticket it was chosen by.
    for (;;) {
        if (takePlaceBelowLimit(address)) {
            list(slot);
            return nullptr;
        }
        // Of those that have stalled, an idle keep-alive connection costs its
        // client least: it goes first; else the oldest, if it has stalled.
        Slot* oldest = nullptr;
        Slot* oldestIdle = nullptr;
        std::uint64_t oldestTicket = 0, oldestIdleTicket = 0;
        for (const auto& [raw, member] : address.members) {
            const auto ticket = member->ticket.load(std::memory_order_acquire);
            if (ticket == 0) continue;
            if (!oldest || ticket < oldestTicket) {
                oldest = raw;
                oldestTicket = ticket;
            }
            const bool stalled = now - member->since.load(std::memory_order_relaxed) >= stalledAfter;
            if (stalled && member->idle.load(std::memory_order_relaxed) &&
                (!oldestIdle || ticket < oldestIdleTicket)) {
                oldestIdle = raw;
                oldestIdleTicket = ticket;
            }
        }
        if (!oldestIdle && oldest && now - oldest->since.load(std::memory_order_relaxed) < stalledAfter)
            oldest = nullptr;
        Slot* victim = oldestIdle ? oldestIdle : oldest;
        if (victim) {
            // Its place passes to the newcomer: the count stays as it is.
            if (!unlist(*victim, oldestIdle ? oldestIdleTicket : oldestTicket, false)) continue;
            list(slot);
            return victim->who.lock();
        }
        if (newConnection && address.waiting.load() >= limit_ * kFreshAllowance) {
            admitted = false;
            return nullptr;
        }
        address.waiting.fetch_add(1);
        list(slot);
        return nullptr;
    }
}

void HeadWaits::headIn(HeadWaiter& who) {
    if (who.slot_) who.slot_->idle.store(false, std::memory_order_relaxed);
}

void HeadWaits::end(HeadWaiter& who) {
    if (who.slot_) unlist(*who.slot_, who.slot_->ticket.load(), true);
}

void HeadWaits::releaseAll() {
    std::vector<std::shared_ptr<HeadWaiter>> all;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [name, address] : addresses_)
            for (const auto& [raw, member] : address->members)
                if (unlist(*member, member->ticket.load(), true))
                    if (auto who = member->who.lock()) all.push_back(std::move(who));
    }
    for (const auto& who : all) who->giveUp();
}

}  // namespace family
