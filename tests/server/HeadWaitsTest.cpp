// The per-address limit and the overall cap at their edges, without sockets:
// which connection is asked to give up, and when.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "HeadWaits.h"

using family::HeadWaits;

namespace {

struct Waiter : family::HeadWaiter {
    void giveUp() override { ++gaveUp; }
    int gaveUp = 0;
};

using Waiters = std::vector<std::shared_ptr<Waiter>>;

Waiters make(int count) {
    Waiters waiters;
    for (int i = 0; i < count; ++i) waiters.push_back(std::make_shared<Waiter>());
    return waiters;
}

int gaveUp(const Waiters& waiters) {
    int count = 0;
    for (const auto& waiter : waiters) count += waiter->gaveUp;
    return count;
}

constexpr std::chrono::milliseconds kStalledAtOnce{0};

}  // namespace

TEST(HeadWaits, TheLimitKeepsItsLastWaiterAndClosesTheOldestForTheOneAfter) {
    for (const int limit : {1, 2, 64}) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        HeadWaits waits(limit, kStalledAtOnce);
        auto waiters = make(limit + 2);
        for (int i = 0; i < limit; ++i) ASSERT_TRUE(waits.begin(waiters[i], "127.0.0.2", true));
        EXPECT_EQ(gaveUp(waiters), 0) << "the " << limit << "th is kept";
        EXPECT_TRUE(waits.begin(waiters[limit], "127.0.0.2", true));
        EXPECT_EQ(gaveUp(waiters), 1) << "one is closed for the next";
        EXPECT_EQ(waiters[0]->gaveUp, 1) << "the oldest";
        EXPECT_TRUE(waits.begin(waiters[limit + 1], "127.0.0.2", true));
        EXPECT_EQ(gaveUp(waiters), 2);
        if (limit > 1) EXPECT_EQ(waiters[1]->gaveUp, 1);
        // Another address has a limit of its own.
        auto other = make(1);
        EXPECT_TRUE(waits.begin(other[0], "127.0.0.3", true));
        EXPECT_EQ(gaveUp(waiters), 2);
    }
}

TEST(HeadWaits, AConnectionCountsUntilItsWholeRequestIsInNotJustItsHead) {
    HeadWaits waits(2, kStalledAtOnce);
    auto waiters = make(4);
    ASSERT_TRUE(waits.begin(waiters[0], "127.0.0.2", true));
    ASSERT_TRUE(waits.begin(waiters[1], "127.0.0.2", true));
    waits.headIn(*waiters[0]);  // its body still trickles in
    ASSERT_TRUE(waits.begin(waiters[2], "127.0.0.2", true));
    EXPECT_EQ(waiters[0]->gaveUp, 1);
    waits.end(*waiters[1]);  // its body is in: it no longer counts
    ASSERT_TRUE(waits.begin(waiters[3], "127.0.0.2", true));
    EXPECT_EQ(gaveUp(waiters), 1);
}

TEST(HeadWaits, AnIdleKeepAliveConnectionGivesWayBeforeOlderOnes) {
    HeadWaits waits(3, kStalledAtOnce);
    auto waiters = make(4);
    ASSERT_TRUE(waits.begin(waiters[0], "127.0.0.2", true));
    ASSERT_TRUE(waits.begin(waiters[1], "127.0.0.2", true));
    ASSERT_TRUE(waits.begin(waiters[2], "127.0.0.2", false));  // answered, kept alive
    ASSERT_TRUE(waits.begin(waiters[3], "127.0.0.2", true));
    EXPECT_EQ(waiters[2]->gaveUp, 1);
    EXPECT_EQ(gaveUp(waiters), 1);
}

TEST(HeadWaits, AKeepAliveConnectionJustAnsweredIsNotClosedForANewcomer) {
    HeadWaits waits(2, std::chrono::minutes(1));
    auto waiters = make(3);
    ASSERT_TRUE(waits.begin(waiters[0], "127.0.0.2", false));
    ASSERT_TRUE(waits.begin(waiters[1], "127.0.0.2", false));
    EXPECT_TRUE(waits.begin(waiters[2], "127.0.0.2", true));
    EXPECT_EQ(gaveUp(waiters), 0);
}

TEST(HeadWaits, AtTheCapAnIdleConnectionMakesRoomElseANewOneIsRefused) {
    HeadWaits waits(64, kStalledAtOnce, 3);
    auto waiters = make(6);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(waits.opened(waiters[i]));
    EXPECT_FALSE(waits.opened(waiters[3])) << "nothing idle to close";
    ASSERT_TRUE(waits.begin(waiters[1], "127.0.0.4", false));  // answered, kept alive
    EXPECT_TRUE(waits.opened(waiters[4]));
    EXPECT_EQ(waiters[1]->gaveUp, 1);
    EXPECT_EQ(gaveUp(waiters), 1);
    EXPECT_FALSE(waits.opened(waiters[5]));
    waits.closed(*waiters[0]);
    EXPECT_TRUE(waits.opened(waiters[5])) << "a closed one's place is free again";
    waits.closed(*waiters[1]);  // already given up: its place was taken once
    EXPECT_FALSE(waits.opened(std::make_shared<Waiter>()));
}

TEST(HeadWaits, EachAddressKeepsItsOwnEdgeWhateverTheOthersHold) {
    struct Case {
        int limit;
        std::vector<int> waiting;  // per address, begun before the probe (at most the limit)
    };
    const std::vector<Case> cases{{1, {1, 0, 1}}, {2, {2, 1, 2}}, {3, {3, 3, 3}}, {64, {64, 63, 1, 64}}};
    for (const auto& c : cases) {
        SCOPED_TRACE("limit " + std::to_string(c.limit));
        HeadWaits waits(c.limit, kStalledAtOnce);
        std::vector<Waiters> byAddress;
        for (const int n : c.waiting) byAddress.push_back(make(n + 1));
        // Interleaved across the addresses, as concurrent clients arrive.
        for (int i = 0; i < c.limit; ++i)
            for (std::size_t a = 0; a < byAddress.size(); ++a)
                if (i < c.waiting[a]) {
                    ASSERT_TRUE(waits.begin(byAddress[a][i], "10.0.0." + std::to_string(a + 1), true));
                }
        for (const auto& waiters : byAddress) EXPECT_EQ(gaveUp(waiters), 0) << "every address within its limit";
        // One more at each address: only those already at the limit close their oldest.
        for (std::size_t a = 0; a < byAddress.size(); ++a) {
            auto& waiters = byAddress[a];
            ASSERT_TRUE(waits.begin(waiters.back(), "10.0.0." + std::to_string(a + 1), true));
            const bool atEdge = c.waiting[a] == c.limit;
            EXPECT_EQ(gaveUp(waiters), atEdge ? 1 : 0) << "address " << a + 1;
            if (atEdge) {
                EXPECT_EQ(waiters[0]->gaveUp, 1) << "the oldest of address " << a + 1;
            }
        }
    }
}

TEST(HeadWaits, AtTheCapTheOldestIdleConnectionOfAnyAddressGoesFirst) {
    HeadWaits waits(64, kStalledAtOnce, 4);
    auto waiters = make(7);
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(waits.opened(waiters[i]));
    // Idle in this order: 2 (address b), 0 (address a), 3 (address c); 1 is waiting for its body.
    ASSERT_TRUE(waits.begin(waiters[1], "10.0.0.1", true));
    waits.headIn(*waiters[1]);
    ASSERT_TRUE(waits.begin(waiters[2], "10.0.0.2", false));
    ASSERT_TRUE(waits.begin(waiters[0], "10.0.0.1", false));
    ASSERT_TRUE(waits.begin(waiters[3], "10.0.0.3", false));
    waits.headIn(*waiters[0]);  // its next head came: no longer idle
    EXPECT_TRUE(waits.opened(waiters[4]));
    EXPECT_EQ(waiters[2]->gaveUp, 1) << "the oldest idle one, at another address";
    EXPECT_TRUE(waits.opened(waiters[5]));
    EXPECT_EQ(waiters[3]->gaveUp, 1) << "then the next idle one";
    EXPECT_EQ(gaveUp(waiters), 2);
    EXPECT_FALSE(waits.opened(waiters[6])) << "nothing idle is left: the new one is refused";
    // An idle connection closed at the cap left its address's count too.
    auto more = make(1);
    ASSERT_TRUE(waits.begin(more[0], "10.0.0.2", true));
    EXPECT_EQ(gaveUp(more), 0);
}

TEST(HeadWaits, ManyThreadsWaitingAndBeingAnsweredLeaveTheCountExact) {
    constexpr int kLimit = 8, kThreads = 16, kRounds = 2000;
    HeadWaits waits(kLimit, std::chrono::minutes(1));
    auto busy = make(kThreads);
    // Each thread is one keep-alive connection of the same address, waiting
    // and answered again and again, as the threads answering requests do;
    // twice the limit of them, so waits begin both below the limit and past
    // it (none has stalled, so none is closed).
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            ASSERT_TRUE(waits.begin(busy[t], "10.0.0.9", true));
            for (int round = 0; round < kRounds; ++round) {
                waits.headIn(*busy[t]);
                waits.end(*busy[t]);
                ASSERT_TRUE(waits.begin(busy[t], "10.0.0.9", false));
            }
            waits.end(*busy[t]);
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(gaveUp(busy), 0) << "none stalled";
    // Nothing is waiting now: exactly the limit fits again, with nobody stalled.
    auto fresh = make(kLimit * 9);
    for (int i = 0; i < kLimit * 8; ++i) ASSERT_TRUE(waits.begin(fresh[i], "10.0.0.9", true)) << i;
    EXPECT_FALSE(waits.begin(fresh[kLimit * 8], "10.0.0.9", true)) << "eight times the limit, none stalled";
    EXPECT_EQ(gaveUp(fresh), 0);
}
