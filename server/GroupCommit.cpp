#include "GroupCommit.h"

#include <chrono>

#include "ServerLog.h"

namespace family {

namespace {

// Enough to fill a sync with every waiting request; a bound keeps one batch's
// transaction, and so its callers' wait, short.
constexpr std::size_t kMaxBatch = 256;

}  // namespace

GroupCommit::GroupCommit(std::unique_ptr<Database> connection, int attempts)
    : db_(std::move(connection)), attempts_(attempts), thread_([this] { loop(); }) {}

GroupCommit::~GroupCommit() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    queuedMore_.notify_one();
    thread_.join();
}

void GroupCommit::run(const Change& change) {
    Queued queued{&change};
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(&queued);
    }
    queuedMore_.notify_one();
    queued.done.acquire();
    if (queued.error) std::rethrow_exception(queued.error);
}

void GroupCommit::loop() {
    std::deque<Queued*> batch;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            queuedMore_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;  // stopping, with nothing left to commit
            const auto n = std::min(queue_.size(), kMaxBatch);
            batch.assign(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(n));
            queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(n));
        }
        commit(batch);
        for (Queued* queued : batch)
            if (queued->alone) runAlone(*queued);
        // Only now, with the batch on disk, may any of its callers answer.
        for (Queued* queued : batch) queued->done.release();
        batch.clear();
    }
}

void GroupCommit::commit(std::deque<Queued*>& batch) {
    try {
        Transaction tx(*db_);
        for (std::size_t i = 0; i < batch.size(); ++i) {
            Queued* queued = batch[i];
            // Changes queued while this batch ran still join it: running one
            // costs little beside the sync they would otherwise wait a whole
            // extra round for.
            if (i + 1 == batch.size() && batch.size() < kMaxBatch) {
                std::lock_guard lock(mutex_);
                while (!queue_.empty() && batch.size() < kMaxBatch) {
                    batch.push_back(queue_.front());
                    queue_.pop_front();
                }
            }
            db_->exec("SAVEPOINT change");
            try {
                (*queued->change)(*db_);
                db_->exec("RELEASE change");
                continue;
            } catch (const DatabaseError& e) {
                // A busy database or a lost race: alone, with the retries a change gets.
                if (e.kind() == DatabaseError::Retry) queued->alone = true;
                else queued->error = std::current_exception();
            } catch (...) {
                queued->error = std::current_exception();
            }
            // When this fails too the transaction itself is gone (a full disk
            // rolls everything back): the batch fails as a whole below.
            db_->exec("ROLLBACK TO change");
            db_->exec("RELEASE change");
        }
        tx.commit();
    } catch (const std::exception& e) {
        // A disk that takes nothing is logged once per episode by the database itself.
        const auto* database = dynamic_cast<const DatabaseError*>(&e);
        if (!database || database->kind() != DatabaseError::Unwritable)
            logLine("a batch of " + std::to_string(batch.size()) + " changes failed (" + e.what() +
                    "); each runs again alone");
        for (Queued* queued : batch) {
            queued->error = nullptr;
            queued->alone = true;
        }
    }
}

void GroupCommit::runAlone(Queued& queued) {
    queued.error = nullptr;
    for (int attempt = 1;; ++attempt) {
        try {
            Transaction tx(*db_);
            (*queued.change)(*db_);
            tx.commit();
            return;
        } catch (const DatabaseError& e) {
            if (e.kind() != DatabaseError::Retry || attempt >= attempts_) {
                queued.error = std::current_exception();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(attempt * attempt));
        } catch (...) {
            queued.error = std::current_exception();
            return;
        }
    }
}

}  // namespace family
