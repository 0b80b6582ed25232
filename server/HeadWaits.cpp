#include "HeadWaits.h"

#include <vector>

#include "ServerLog.h"

namespace family {

namespace {
// Only this many times the limit of fresh connections are let in at once from
// one address before any of them has had time to stall.
constexpr int kFreshAllowance = 8;
}  // namespace

HeadWaits::HeadWaits(int limit, std::chrono::milliseconds stalledAfter)
    : limit_(limit), stalledAfter_(stalledAfter) {}

bool HeadWaits::begin(const std::shared_ptr<HeadWaiter>& who, const std::string& address,
                      bool newConnection) {
    std::shared_ptr<HeadWaiter> evicted;
    bool admitted = true;
    {
        std::lock_guard lock(mutex_);
        auto& queue = waiting_[address];
        const auto now = std::chrono::steady_clock::now();
        if (static_cast<int>(queue.size()) >= limit_) {
            const auto oldest = queue.begin();
            if (now - oldest->second.since >= stalledAfter_) {
                evicted = oldest->second.who.lock();
                if (evicted) evicted->ticket_ = 0;
                queue.erase(oldest);
            } else if (newConnection && static_cast<int>(queue.size()) >= limit_ * kFreshAllowance) {
                admitted = false;
            }
        }
        if (admitted) {
            who->address_ = address;
            who->ticket_ = nextTicket_++;
            queue.emplace(who->ticket_, Entry{who, now});
        } else if (queue.empty()) {
            waiting_.erase(address);
        }
    }
    if (evicted) {
        logLine("client " + address + " is over its limit of " + std::to_string(limit_) +
                " connections waiting for a request head: closing its oldest stalled one");
        evicted->giveUp();
    }
    if (!admitted)
        logLine("client " + address + " opened too many connections at once: refusing a new one with 503");
    return admitted;
}

void HeadWaits::end(HeadWaiter& who) {
    std::lock_guard lock(mutex_);
    if (who.ticket_ == 0) return;
    const auto queue = waiting_.find(who.address_);
    if (queue != waiting_.end()) {
        queue->second.erase(who.ticket_);
        if (queue->second.empty()) waiting_.erase(queue);
    }
    who.ticket_ = 0;
}

void HeadWaits::releaseAll() {
    std::vector<std::shared_ptr<HeadWaiter>> all;
    {
        std::lock_guard lock(mutex_);
        for (auto& [address, queue] : waiting_)
            for (auto& [ticket, entry] : queue)
                if (auto who = entry.who.lock()) {
                    who->ticket_ = 0;
                    all.push_back(std::move(who));
                }
        waiting_.clear();
    }
    for (const auto& who : all) who->giveUp();
}

}  // namespace family
