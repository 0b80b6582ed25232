// The per-address limit and the overall cap at their edges, without sockets:
// which connection is asked to give up, and when.
#include <gtest/gtest.h>

#include <memory>
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
