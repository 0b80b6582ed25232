#pragma once

#include <atomic>
#include <boost/asio/thread_pool.hpp>
#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "ApiRoutes.h"
#include "FamilyServer.h"

namespace family {

class FamilyStore;

// Sign-ins run here, on their own few threads behind a bounded queue, so a
// flood of password checks never holds the threads that answer everything
// else. Failed sign-ins are counted per client address, and per e-mail from
// that address, over the last minute; past either limit a sign-in from that
// address is refused with 429 before any password is hashed. No count spans
// addresses, so nobody can lock an account's owner out by knowing the e-mail.
class SignIns {
public:
    using Done = std::function<void(ApiAnswer)>;

    SignIns(FamilyStore& store, SignInOptions limits);
    ~SignIns();  // waits for the sign-ins under way

    // Calls `done` at once with a refusal, or later from a sign-in thread with
    // the answer. `request` is copied: it need not outlive the call.
    void submit(const ApiRequest& request, const std::string& address, Done done);

private:
    // Seconds until `key` may fail again, or 0 while it is under `limit`.
    int retryAfter(const std::string& key, int limit, std::chrono::steady_clock::time_point now);
    void recordFailure(const std::string& key, std::chrono::steady_clock::time_point now);

    FamilyStore& store_;
    SignInOptions limits_;
    std::atomic<std::size_t> queued_{0};
    std::mutex failuresMutex_;
    std::map<std::string, std::deque<std::chrono::steady_clock::time_point>> failures_;
    boost::asio::thread_pool pool_;
};

}  // namespace family
