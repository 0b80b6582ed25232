#include "SignIns.h"

#include <sys/resource.h>
#include <unistd.h>

#include <boost/asio/post.hpp>
#include <latch>
#include <memory>
#include <nlohmann/json.hpp>

#include "ServerLog.h"

namespace family {

namespace {

constexpr auto kWindow = std::chrono::minutes(1);
constexpr std::size_t kPruneAbove = 4096;  // keys kept before the stale ones are swept
constexpr int kBusyRetrySeconds = 5;
constexpr int kWrongPasswordStatus = 403;
constexpr int kSignInNice = 10;

// The account a sign-in names, as the store compares it; empty when the body
// names none (the store then refuses it without hashing anything).
std::string accountKey(std::string_view body) {
    const auto json = nlohmann::json::parse(body, nullptr, false);
    if (!json.is_object() || !json.contains("email") || !json["email"].is_string()) return {};
    std::string email = json["email"].get<std::string>();
    const auto first = email.find_first_not_of(" \t\r\n");
    const auto last = email.find_last_not_of(" \t\r\n");
    email = first == std::string::npos ? std::string() : email.substr(first, last - first + 1);
    for (auto& c : email) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return email;
}

}  // namespace

SignIns::SignIns(FamilyStore& store, SignInOptions limits)
    : store_(store), limits_(limits), pool_(static_cast<std::size_t>(limits.threads)) {
    // Password checks yield the processor to every other request: each of the
    // pool's threads lowers its own priority, held at a latch until all have.
    auto started = std::make_shared<std::latch>(limits.threads);
    for (int i = 0; i < limits.threads; ++i)
        boost::asio::post(pool_, [started] {
            setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kSignInNice);
            started->arrive_and_wait();
        });
}

SignIns::~SignIns() { pool_.join(); }

int SignIns::retryAfter(const std::string& key, int limit, std::chrono::steady_clock::time_point now) {
    const auto it = failures_.find(key);
    if (it == failures_.end()) return 0;
    auto& times = it->second;
    while (!times.empty() && now - times.front() >= kWindow) times.pop_front();
    if (static_cast<int>(times.size()) < limit) return 0;
    const auto wait = std::chrono::ceil<std::chrono::seconds>(times.front() + kWindow - now);
    return std::max(1, static_cast<int>(wait.count()));
}

void SignIns::recordFailure(const std::string& key, std::chrono::steady_clock::time_point now) {
    if (failures_.size() > kPruneAbove)
        std::erase_if(failures_, [now](const auto& entry) {
            return entry.second.empty() || now - entry.second.back() >= kWindow;
        });
    failures_[key].push_back(now);
}

void SignIns::submit(const ApiRequest& request, const std::string& address, Done done) {
    const std::string addressKey = "address " + address;
    const std::string email = accountKey(request.body);
    // Counted per account and address together: failures from one address
    // never lock the account's owner out from another.
    const std::string emailKey = "account " + email + " from " + address;
    int wait = 0;
    {
        std::lock_guard lock(failuresMutex_);
        const auto now = std::chrono::steady_clock::now();
        wait = retryAfter(addressKey, limits_.failuresPerAddress, now);
        if (!email.empty()) wait = std::max(wait, retryAfter(emailKey, limits_.failuresPerAccount, now));
    }
    if (wait > 0) {
        logLine("sign-in from " + address + " refused with 429: too many failed sign-ins in the last minute");
        auto answer = errorAnswer(429, "Слишком много неудачных попыток входа. Попробуйте через минуту.");
        answer.retryAfterSeconds = wait;
        return done(std::move(answer));
    }
    if (queued_.fetch_add(1) >= limits_.queue) {
        queued_.fetch_sub(1);
        logLine("sign-in from " + address + " refused with 503: " + std::to_string(limits_.queue) +
                " sign-ins are already waiting");
        auto answer =
            errorAnswer(503, "Сервер занят: слишком много входов одновременно. Попробуйте ещё раз.");
        answer.retryAfterSeconds = kBusyRetrySeconds;
        return done(std::move(answer));
    }
    boost::asio::post(pool_, [this, request = OwnedApiRequest(request), addressKey, emailKey, email,
                              done = std::move(done)] {
        auto answer = answerApiRequest(store_, request.view());
        if (answer.status == kWrongPasswordStatus) {
            std::lock_guard lock(failuresMutex_);
            const auto now = std::chrono::steady_clock::now();
            recordFailure(addressKey, now);
            if (!email.empty()) recordFailure(emailKey, now);
        }
        queued_.fetch_sub(1);
        done(std::move(answer));
    });
}

}  // namespace family
