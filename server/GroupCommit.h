#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <semaphore>
#include <thread>

#include "Database.h"

namespace family {

// One thread that owns the write connection and commits the changes queued
// meanwhile together: BEGIN IMMEDIATE, each change in a savepoint of its own,
// one COMMIT, so one sync to disk carries the whole batch. Each caller waits
// until the commit holding its change is on disk; a change that throws rolls
// back to its own savepoint and only its caller sees the exception.
//
// Any change of a batch that fails as a whole (the commit cannot be written,
// the database stays busy) runs again alone, in a transaction of its own, so a
// neighbour's failure never becomes another caller's.
class GroupCommit {
public:
    using Change = std::function<void(Database&)>;

    // `attempts`: how often a change that meets a busy database or a lost
    // race runs alone before its error reaches the caller.
    GroupCommit(std::unique_ptr<Database> connection, int attempts);
    // Commits what is queued, then ends the thread.
    ~GroupCommit();
    GroupCommit(const GroupCommit&) = delete;
    GroupCommit& operator=(const GroupCommit&) = delete;

    // Runs `change` in the next batch and returns once that batch is durable;
    // rethrows what `change` threw. `change` may run more than once (again
    // alone, after a failed batch) and must start from nothing each time.
    void run(const Change& change);

private:
    struct Queued {
        const Change* change;
        std::exception_ptr error;
        bool alone = false;  // run again in a transaction of its own
        std::binary_semaphore done{0};
    };

    void loop();
    void commit(std::deque<Queued*>& batch);
    void runAlone(Queued& queued);

    std::unique_ptr<Database> db_;
    const int attempts_;
    std::mutex mutex_;
    std::condition_variable queuedMore_;
    std::deque<Queued*> queue_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace family
