#include "HeadWaits.h"

#include <utility>
#include <vector>

#include "ServerLog.h"

namespace family {

namespace {
// Only this many times the limit of fresh connections are let in at once from
// one address before any of them has had time to stall.
constexpr int kFreshAllowance = 8;
}  // namespace

HeadWaits::HeadWaits(int limit, std::chrono::milliseconds stalledAfter, std::size_t maxConnections)
    : limit_(limit), stalledAfter_(stalledAfter), maxConnections_(maxConnections) {}

bool HeadWaits::opened(const std::shared_ptr<HeadWaiter>& who) {
    std::shared_ptr<HeadWaiter> evicted;
    bool firstAtCap = false;
    {
        std::lock_guard lock(mutex_);
        if (open_ >= maxConnections_) {
            firstAtCap = !std::exchange(atCap_, true);
            while (!evicted && !idle_.empty()) {
                evicted = idle_.begin()->second.lock();
                idle_.erase(idle_.begin());
            }
            if (evicted) {
                unlist(*evicted);
                // Its place is the newcomer's from now: it is on its way out.
                if (std::exchange(evicted->open_, false)) --open_;
            }
        }
        if (open_ < maxConnections_) {
            ++open_;
            who->open_ = true;
        }
    }
    if (firstAtCap)
        logLine("connection cap of " + std::to_string(maxConnections_) +
                " reached: closing idle keep-alive connections first, then refusing new ones");
    if (evicted) evicted->giveUp();
    return who->open_;
}

void HeadWaits::closed(HeadWaiter& who) {
    bool backUnder = false;
    {
        std::lock_guard lock(mutex_);
        unlist(who);
        if (std::exchange(who.open_, false)) --open_;
        if (atCap_ && open_ < maxConnections_ - maxConnections_ / 10) {
            atCap_ = false;
            backUnder = true;
        }
    }
    if (backUnder) logLine("connections back under the cap of " + std::to_string(maxConnections_));
}

bool HeadWaits::begin(const std::shared_ptr<HeadWaiter>& who, const std::string& address,
                      bool newConnection) {
    std::shared_ptr<HeadWaiter> evicted;
    bool admitted = true;
    {
        std::lock_guard lock(mutex_);
        auto& queue = waiting_[address];
        const auto now = std::chrono::steady_clock::now();
        if (static_cast<int>(queue.size()) >= limit_) {
            // Of those that have stalled, an idle keep-alive connection costs
            // its client least: it goes first.
            const auto stalled = [&](const Queue::iterator& it) {
                return now - it->second.since >= stalledAfter_;
            };
            auto victim = queue.end();
            for (auto it = queue.begin(); it != queue.end() && victim == queue.end(); ++it)
                if (idle_.count(it->first) && stalled(it)) victim = it;
            if (victim == queue.end() && stalled(queue.begin())) victim = queue.begin();
            if (victim != queue.end()) {
                evicted = victim->second.who.lock();
                idle_.erase(victim->first);
                queue.erase(victim);
                if (evicted) {
                    evicted->ticket_ = 0;
                    evicted->idle_ = false;
                }
            } else if (newConnection && static_cast<int>(queue.size()) >= limit_ * kFreshAllowance) {
                admitted = false;
            }
        }
        if (admitted) {
            who->address_ = address;
            who->ticket_ = nextTicket_++;
            who->idle_ = !newConnection;
            queue.emplace(who->ticket_, Entry{who, now});
            if (who->idle_) idle_.emplace(who->ticket_, who);
        } else if (queue.empty()) {
            waiting_.erase(address);
        }
    }
    if (evicted) {
        logLine("client " + address + " is over its limit of " + std::to_string(limit_) +
                " connections waiting for a whole request: closing its oldest idle or stalled one");
        evicted->giveUp();
    }
    if (!admitted)
        logLine("client " + address + " opened too many connections at once: refusing a new one with 503");
    return admitted;
}

void HeadWaits::headIn(HeadWaiter& who) {
    std::lock_guard lock(mutex_);
    if (who.ticket_ == 0 || !who.idle_) return;
    idle_.erase(who.ticket_);
    who.idle_ = false;
}

void HeadWaits::end(HeadWaiter& who) {
    std::lock_guard lock(mutex_);
    unlist(who);
}

void HeadWaits::unlist(HeadWaiter& who) {
    if (who.ticket_ == 0) return;
    const auto queue = waiting_.find(who.address_);
    if (queue != waiting_.end()) {
        queue->second.erase(who.ticket_);
        if (queue->second.empty()) waiting_.erase(queue);
    }
    if (who.idle_) idle_.erase(who.ticket_);
    who.ticket_ = 0;
    who.idle_ = false;
}

void HeadWaits::releaseAll() {
    std::vector<std::shared_ptr<HeadWaiter>> all;
    {
        std::lock_guard lock(mutex_);
        for (auto& [address, queue] : waiting_)
            for (auto& [ticket, entry] : queue)
                if (auto who = entry.who.lock()) {
                    who->ticket_ = 0;
                    who->idle_ = false;
                    all.push_back(std::move(who));
                }
        waiting_.clear();
        idle_.clear();
    }
    for (const auto& who : all) who->giveUp();
}

}  // namespace family
