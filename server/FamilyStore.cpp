#include "FamilyStore.h"

#include "ApiError.h"
#include "Database.h"
#include "GroupCommit.h"
#include "JsonText.h"
#include "RewardCents.h"
#include "Schema.h"
#include "Secrets.h"
#include "TextRules.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <mutex>
#include <semaphore>
#include <stdexcept>
#include <thread>
#include <unordered_map>

namespace family {

using nlohmann::json;

std::int64_t systemClock() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

namespace {

constexpr const char* kPairing = "pairing";
constexpr const char* kInvite = "parent-invite";
constexpr int kMaxParents = 2;
constexpr double kMaxReward = 1e9;  // currency units; keeps cents far inside 64 bits
constexpr int kWriteAttempts = 8;   // a busy database or a lost race, before the request fails

// What a change touched, for the kept family answers and sessions (see
// FamilyStore::familyText and authenticate): the families whose members,
// preferences or tasks it changed, the accounts that changed family and those
// whose sessions it ended. Set on the thread that runs the change while it runs.
struct Touched {
    std::vector<std::string> keys;
    bool everything = false;
};
thread_local Touched* touchedNow = nullptr;

void touch(const std::string& key) {
    if (touchedNow) touchedNow->keys.push_back(key);
}
void touch(const std::optional<std::string>& key) {
    if (key) touch(*key);
}

constexpr const char* kAccountColumns = "id, email, nickname, role, family_id";

Account readAccount(const Statement& s) {
    return Account{s.text(0), s.text(1), s.text(2), s.text(3), s.optionalText(4)};
}

std::optional<Account> accountById(Database& db, const std::string& id) {
    auto s = db.prepare(std::string("SELECT ") + kAccountColumns + " FROM users WHERE id = ?");
    s.bind(1, id);
    if (!s.step()) return std::nullopt;
    return readAccount(s);
}

// The viewer as stored now: the one that authenticated may be a moment old.
Account currentAccount(Database& db, const Account& viewer) {
    auto account = accountById(db, viewer.id);
    if (!account) throw ApiError(401, "Сессия истекла. Войдите снова.");
    return *account;
}

json memberJson(const std::string& id, const std::string& nickname, const std::string& role) {
    return json{{"id", id}, {"nickname", nickname}, {"role", role}};
}

std::int64_t count(Database& db, const char* sql, const std::string& arg) {
    auto s = db.prepare(sql);
    s.bind(1, arg);
    s.step();
    return s.integer(0);
}

std::int64_t parentCount(Database& db, const std::string& familyId) {
    return count(db, "SELECT COUNT(*) FROM users WHERE family_id = ? AND role = 'parent'", familyId);
}

// The parent slot (1 or 2) still free in a family; none when it has two
// parents. The unique (family, slot) index refuses a third parent even when two
// claims race from two processes.
std::optional<std::int64_t> freeParentSlot(Database& db, const std::string& familyId) {
    auto s = db.prepare("SELECT parent_slot FROM users WHERE family_id = ? AND role = 'parent'");
    s.bind(1, familyId);
    bool taken[kMaxParents + 1] = {};
    while (s.step())
        if (!s.isNull(0) && s.integer(0) >= 1 && s.integer(0) <= kMaxParents) taken[s.integer(0)] = true;
    for (int slot = 1; slot <= kMaxParents; ++slot)
        if (!taken[slot]) return slot;
    return std::nullopt;
}

std::string createFamily(Database& db, std::int64_t now) {
    const std::string id = newId();
    db.prepare("INSERT INTO families (id, created_at) VALUES (?, ?)").bind(1, id).bind(2, now).run();
    return id;
}

// Moves the account from `from` (as read in this transaction) into `to`. When
// another transaction moved it first, the whole transaction runs again on what
// is now stored.
void joinFamily(Database& db, const Account& account, const std::optional<std::string>& from,
                const std::optional<std::string>& to, std::optional<std::int64_t> parentSlot, std::int64_t now) {
    auto s = db.prepare(
        "UPDATE users SET family_id = ?, parent_slot = ?, joined_at = ? WHERE id = ? AND family_id IS NOT DISTINCT FROM ?");
    s.bind(1, to);
    if (parentSlot) s.bind(2, *parentSlot);
    else s.bindNull(2);
    s.bind(3, now).bind(4, account.id).bind(5, from);
    try {
        s.run();
    } catch (const DatabaseError& e) {
        if (e.kind() == DatabaseError::Conflict) throw ApiError(409, "В семье уже два родителя.");
        throw;
    }
    if (db.changes() == 0) throw DatabaseError("the account changed family meanwhile", DatabaseError::Retry);
    touch(account.id);
    touch(from);
    touch(to);
}

// The account's family, made on first need: a parent who has not yet paired a
// child or invited anyone has none.
std::string ensureFamily(Database& db, Account& account, std::int64_t now) {
    if (!account.familyId) {
        const auto made = createFamily(db, now);
        joinFamily(db, account, std::nullopt, made, account.role == "parent" ? std::optional<std::int64_t>(1) : std::nullopt,
                   now);
        account.familyId = made;
    }
    return *account.familyId;
}

// Moves `account` into `target`. A family it leaves behind may hold nobody else
// (it was made for its own preferences or invites); a real family is never left.
void moveToFamily(Database& db, const Account& account, const std::string& target, std::int64_t now,
                  const char* refusal) {
    const auto previous = account.familyId;
    if (previous) {
        auto others = db.prepare("SELECT COUNT(*) FROM users WHERE family_id = ? AND id <> ?");
        others.bind(1, *previous).bind(2, account.id);
        others.step();
        if (others.integer(0) > 0 || count(db, "SELECT COUNT(*) FROM tasks WHERE family_id = ?", *previous) > 0)
            throw ApiError(409, refusal);
    }
    std::optional<std::int64_t> slot;
    if (account.role == "parent") {
        slot = freeParentSlot(db, target);
        if (!slot) throw ApiError(409, "В семье уже два родителя.");
    }
    joinFamily(db, account, previous, target, slot, now);
    if (previous) db.prepare("DELETE FROM families WHERE id = ?").bind(1, *previous).run();
}

struct CodeRow {
    std::string selector;
    std::string userId;
    std::optional<std::string> familyId;
    bool again = false;  // used already, by the family that claims it now
};

// What a claim presents: a token, often pasted with a line end or a space
// around it, or a whole payload of ours, which the app sends as it is when
// the blank before it keeps it from reading as a link.
std::string claimedToken(std::string_view presented) {
    std::string token = trimmed(presented);
    for (const std::string_view prefix : {kPairingPayloadPrefix, kInvitePayloadPrefix}) {
        if (std::string_view(token).substr(0, prefix.size()) == prefix) return token.substr(prefix.size());
    }
    return token;
}

constexpr const char* kCodeUsed = "Этот код уже использован. Попросите создать новый QR-код.";

// Finds the code and marks it used in one step: the conditional update lets
// only one claim through, however many run at once in however many processes.
// A used code whose family is `claimingFamily` comes back marked `again`: a
// second tap of the same claim is the first one's repeat, not a refusal.
CodeRow claimCode(Database& db, std::string_view rawToken, const std::string& kind, std::int64_t now,
                  const std::optional<std::string>& claimingFamily = std::nullopt) {
    const std::string token = claimedToken(rawToken);
    const auto presented = parseSecret(token);
    if (!presented) throw ApiError(404, "Код не найден. Попросите создать новый QR-код.");
    auto s = db.prepare(
        "SELECT selector, verifier_hash, kind, user_id, family_id, expires_at, used_at FROM codes WHERE selector = ?");
    s.bind(1, presented->selector);
    if (!s.step() || !sameHash(s.blob(1), presented->verifierHash))
        throw ApiError(404, "Код не найден. Попросите создать новый QR-код.");
    if (s.text(2) != kind) {
        if (kind == kPairing)
            throw ApiError(400,
                           "Это приглашение второго родителя, а не код ребёнка. Второй родитель должен отсканировать "
                           "его камерой в своём приложении.");
        throw ApiError(400, "Это код подключения ребёнка, а не приглашение второго родителя.");
    }
    CodeRow code{s.text(0), s.text(3), s.optionalText(4)};
    if (!s.isNull(6)) {
        if (claimingFamily && code.familyId == claimingFamily) {
            code.again = true;
            return code;
        }
        throw ApiError(409, kCodeUsed);
    }
    if (s.integer(5) <= now) throw ApiError(409, "Срок действия кода истёк. Попросите создать новый QR-код.");
    db.prepare("UPDATE codes SET used_at = ? WHERE selector = ? AND used_at IS NULL")
        .bind(1, now)
        .bind(2, code.selector)
        .run();
    // Another claim won meanwhile: read the code again to tell a repeat of
    // that claim from someone else's.
    if (db.changes() == 0) throw DatabaseError("the code was claimed meanwhile", DatabaseError::Retry);
    return code;
}

struct TaskRow {
    std::string id;
    std::string familyId;
    std::string childId;
    std::string status;
    std::int64_t approvals = 0;
    bool returned = false;  // active again because a parent returned it
};

// Columns every task answer is made from; `?1` is the viewer's id. One pass
// over the family's tasks in the (family_id, seq) index, with the viewer's own
// approval found by primary key: no query per task.
constexpr const char* kTaskSelect =
    "SELECT t.id, t.title, t.reward_cents, t.status, t.child_user_id, u.nickname, t.approval_count, "
    "mine.parent_user_id "
    "FROM tasks t JOIN users u ON u.id = t.child_user_id "
    "LEFT JOIN task_approvals mine ON mine.task_id = t.id AND mine.parent_user_id = ?1 ";

json taskJson(const Statement& s, const Account& viewer, std::int64_t parents) {
    json task{{"id", s.text(0)},
              {"title", s.text(1)},
              {"reward_cents", s.integer(2)},
              {"status", s.text(3)},
              {"child_user_id", s.text(4)},
              {"child_nickname", s.text(5)},
              {"approval_count", s.integer(6)},
              {"required_approvals", std::max<std::int64_t>(1, parents)}};
    if (viewer.role == "parent") task["current_user_approved"] = s.isNull(7) ? 0 : 1;
    return task;
}

json loadTaskJson(Database& db, const std::string& taskId, const Account& viewer, const std::string& familyId) {
    auto s = db.prepare(std::string(kTaskSelect) + "WHERE t.id = ?2");
    s.bind(1, viewer.id).bind(2, taskId);
    if (!s.step()) throw ApiError(404, "Задание не найдено.");
    return taskJson(s, viewer, parentCount(db, familyId));
}

// A task the viewer can see (any task of a parent's family, only a child's
// own), locked until the transaction ends: a second parent's approval of the
// same task, from this process or another, waits here and then sees the first.
TaskRow lockVisibleTask(Database& db, const Account& viewer, const std::string& taskId, std::int64_t now) {
    auto s = db.prepare(
        "UPDATE tasks SET updated_at = ? WHERE id = ? "
        "RETURNING id, family_id, child_user_id, status, approval_count, "
        "CASE WHEN returned_at IS NULL THEN 0 ELSE 1 END");
    s.bind(1, now).bind(2, taskId);
    if (!s.step()) throw ApiError(404, "Задание не найдено.");
    TaskRow task{s.text(0), s.text(1), s.text(2), s.text(3), s.integer(4), s.integer(5) != 0};
    s.run();
    const bool visible = viewer.role == "parent" ? viewer.familyId && *viewer.familyId == task.familyId
                                                 : task.childId == viewer.id;
    if (!visible) throw ApiError(404, "Задание не найдено.");
    return task;
}

// Moves the task on only from the status this transaction read under its lock.
void setStatus(Database& db, const TaskRow& task, const char* status, std::int64_t approvals) {
    db.prepare("UPDATE tasks SET status = ?, approval_count = ? WHERE id = ? AND status = ?")
        .bind(1, std::string_view(status))
        .bind(2, approvals)
        .bind(3, task.id)
        .bind(4, task.status)
        .run();
    if (db.changes() != 1) throw DatabaseError("the task changed meanwhile", DatabaseError::Retry);
}

[[noreturn]] void refuseStatus(const TaskRow& task) {
    if (task.status == "done") throw ApiError(409, "Задание уже выполнено.");
    if (task.status == "review") throw ApiError(409, "Задание уже ждёт проверки.");
    // Approving or returning a task another parent has just returned.
    if (task.returned) throw ApiError(409, "Задание уже вернули ребёнку.");
    throw ApiError(409, "Ребёнок ещё не отметил задание выполненным.");
}

json codeAnswer(std::string_view prefix, const std::string& token, std::int64_t expiresAt) {
    return json{{"qrPayload", std::string(prefix) + token}, {"expiresAt", expiresAt}};
}

std::atomic<std::uint64_t> storeGenerations{0};

// Families and accounts whose last change is remembered; past this the
// memory is emptied and every kept answer read before goes with it.
constexpr std::size_t kMaxTrackedChanges = 100000;
// Marks, by the hash of a family's or an account's id, of the last change
// that may have touched it: a kept read whose marks are older than the answer
// needs no lock.
constexpr std::size_t kChangeMarks = 16384;
// Seconds after another process's commit during which every commit drops
// every kept answer: while several processes write, none knows what the
// others touched.
constexpr std::int64_t kOthersWatched = 60;
// Sessions each thread keeps (see FamilyStore::authenticate).
constexpr std::size_t kMaxKeptSessions = 1024;

}  // namespace

struct FamilyStore::Look {
    std::uint64_t readAt = 0;
    std::optional<std::int64_t> version;  // the commits seen (see Database::commitsSeen)
    std::int64_t committing = -1;         // see Freshness
    std::int64_t ownCommit = -1;
};

// What a thread's kept things last saw of the commits (see Impl::forget).
struct FamilyStore::SeenCommits {
    std::uint64_t store = 0;
    std::int64_t version = 0;
};

struct FamilyStore::Impl {
    Impl(std::string where, Clock c, StoreSettings s)
        : location(std::move(where)), generation(++storeGenerations), clock(std::move(c)), settings(s) {}

    std::string location;
    const std::uint64_t generation;  // never reused, so a thread's cached connection is never another store's
    Clock clock;
    StoreSettings settings;
    std::mutex connectionsMutex;  // taken once per thread, when its connection is opened
    std::vector<std::unique_ptr<Database>> connections;
    // Each Argon2id check takes tens of megabytes: a burst of sign-ins waits
    // here rather than exhausting memory.
    std::counting_semaphore<4> hashing{4};
    std::once_flag dummyOnce;
    std::string dummyHash;  // verified against when an e-mail is unknown, so timing does not tell

    // Runs a read made outside any transaction; when it meets a broken
    // connection, which the driver then replaces, it runs once more.
    template <class Read>
    auto read(Read&& read) {
        try {
            return read(db());
        } catch (const DatabaseError& e) {
            if (e.kind() != DatabaseError::Unreachable) throw;
        }
        return read(db());
    }

    // This thread's connection: reads on different threads never wait for each other here.
    Database& db() {
        thread_local std::vector<std::pair<std::uint64_t, Database*>> mine;
        for (const auto& [owner, connection] : mine)
            if (owner == generation) return *connection;
        auto opened = openDatabase(location);
        Database* raw = opened.get();
        {
            std::lock_guard lock(connectionsMutex);
            connections.push_back(std::move(opened));
        }
        mine.emplace_back(generation, raw);
        return *raw;
    }

    // Kept family answers (SQLite only; see familyText). A change of this
    // process publishes, after its commit, the families and accounts it
    // touched with a number from `clock`; a kept answer read at number N
    // stands while neither its viewer nor its family was published above N.
    // Declared before the writer, which goes first and may still publish.
    struct Freshness {
        std::atomic<std::uint64_t> clock{0};
        // The commits seen once the commit this process's writer is making
        // is made, or -1; and after its latest commit made, or -1 before its
        // first. A reader that finds either knows the latest commit is this
        // process's (or about to be, and then published before anyone is answered).
        std::atomic<std::int64_t> committing{-1};
        std::atomic<std::int64_t> ownCommit{-1};
        // When another process was last seen committing (steady seconds):
        // for a while after, any commit drops every kept answer.
        std::atomic<std::int64_t> othersSeenAt{std::numeric_limits<std::int64_t>::min() / 2};
        // Counted by every kept read: on a cache line of its own, away from the clock every read looks at.
        alignas(64) std::atomic<std::uint64_t> keptServed{0};
        std::atomic<std::uint64_t> sessionLookUps{0};  // beside keptServed: counted only off the kept path
        // Publishers one at a time, and a reader whose marks say its answer
        // may have changed; the other kept reads take no lock, so they never
        // meet each other nor make a change wait for them.
        alignas(64) std::mutex publishing;
        std::atomic<std::uint64_t> everything{0};  // the last change whose reach is unknown
        std::unordered_map<std::string, std::uint64_t> changedAt;  // under `publishing`
        // Written before the clock moves past them: a reader that sees the
        // clock at N sees every mark up to N.
        std::array<std::atomic<std::uint64_t>, kChangeMarks> marks{};
        std::optional<std::int64_t> judgedAt;  // the writer thread's alone: the commits seen when it last judged

        std::atomic<std::uint64_t>& mark(const std::string& key) {
            return marks[std::hash<std::string>{}(key) % kChangeMarks];
        }
    } freshness;

    // The writer's commits, as its connection tells them.
    struct OwnCommits final : CommitWatch {
        Impl& impl;
        Database* connection = nullptr;
        std::int64_t next = -1;
        explicit OwnCommits(Impl& i) : impl(i) {}

        void committing(std::int64_t n) override {
            next = n;
            impl.freshness.committing.store(n);
        }
        void committed(bool made) override {
            auto& freshness = impl.freshness;
            if (made) {
                freshness.ownCommit.store(next);
                return;
            }
            freshness.committing.store(-1);
            // Another process may have made `next` since this one gave up the
            // lock, and a reader then taken it for this process's: every kept
            // answer goes. Once the store above is seen, no reader takes a
            // later commit for this process's.
            std::atomic_thread_fence(std::memory_order_seq_cst);
            if (connection->commitsSeen() != static_cast<std::uint32_t>(next - 1)) {
                Touched everything;
                everything.everything = true;
                impl.publish(everything);
            }
        }
    };
    OwnCommits ownCommits{*this};  // declared before the writer, which may still commit as it goes

    // SQLite: every change of this process goes through one writer thread, so
    // concurrent changes share a commit and its sync. PostgreSQL locks rows,
    // not the database, so there each thread writes on its own connection.
    std::unique_ptr<GroupCommit> writer;

    // Runs `change` in one write transaction (or one savepoint of a shared
    // one), again when the database was busy or another transaction won a race
    // the change must see the end of. Returns once the change is on disk.
    template <class Change>
    auto write(Change&& change) {
        if (writer) {
            Touched touched;
            // Published once the change is on disk (or failed), before its caller is answered.
            struct Publish {
                Impl& impl;
                const Touched& touched;
                ~Publish() { impl.publish(touched); }
            } publish{*this, touched};
            std::optional<decltype(change(std::declval<Database&>()))> result;
            writer->run([&](Database& db) {
                const TouchScope scope(touched);
                noteOtherProcesses(db, touched);
                result.reset();
                result.emplace(change(db));
            });
            return std::move(*result);
        }
        bool reconnected = false;
        for (int attempt = 1;; ++attempt) {
            Database& connection = db();
            try {
                Transaction tx(connection);
                auto result = change(connection);
                tx.commit();
                return result;
            } catch (const DatabaseError& e) {
                // A connection that broke before COMMIT was sent stored
                // nothing: the change runs once more on a fresh one. One that
                // broke during COMMIT (CommitUnknown) never runs again here.
                if (e.kind() == DatabaseError::Unreachable && !reconnected) {
                    reconnected = true;
                    continue;
                }
                if (e.kind() != DatabaseError::Retry || attempt >= kWriteAttempts) throw;
                std::this_thread::sleep_for(std::chrono::milliseconds(attempt * attempt));
            }
        }
    }

    struct TouchScope {
        Touched* outer;
        explicit TouchScope(Touched& touched) : outer(touchedNow) { touchedNow = &touched; }
        ~TouchScope() { touchedNow = outer; }
    };

    // Under the write lock nobody else commits, so the commits seen now are
    // those just after this process's latest commit unless another process
    // committed since. What that commit touched is unknown, so every kept
    // answer goes, and at once: before this commit tells the readers that the
    // latest commit is this process's (they then leave the judging to this).
    void noteOtherProcesses(Database& db, Touched& touched) {
        const auto seen = db.commitsSeen();
        if (seen && seen == freshness.judgedAt) return;  // judged already, earlier in this batch
        freshness.judgedAt = seen;
        const auto own = freshness.ownCommit.load(std::memory_order_relaxed);
        if (seen && own >= 0 && *seen == own) return;
        touched.everything = true;
        if (own >= 0) sawOtherProcess();
        publish(touched);
    }

    static std::int64_t steadySeconds() {
        return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void sawOtherProcess() { freshness.othersSeenAt.store(steadySeconds()); }
    bool otherProcessLately() const { return steadySeconds() - freshness.othersSeenAt.load() < kOthersWatched; }

    // Records what `touched` names as changed at the next number, and only
    // then moves the clock to it.
    void publish(const Touched& touched) {
        if (!touched.everything && touched.keys.empty()) return;
        std::lock_guard lock(freshness.publishing);
        const auto at = freshness.clock.load(std::memory_order_relaxed) + 1;
        if (touched.everything || freshness.changedAt.size() + touched.keys.size() > kMaxTrackedChanges) {
            freshness.changedAt.clear();
            freshness.everything.store(at, std::memory_order_relaxed);
        } else {
            for (const auto& key : touched.keys) {
                freshness.changedAt[key] = at;
                freshness.mark(key).store(at, std::memory_order_relaxed);
            }
        }
        freshness.clock.store(at, std::memory_order_release);
    }

    // `checkedAt`: the clock when the answer was last found fresh (at first
    // its readAt). While nothing has been published since, it still is. Else
    // the marks tell, without a lock, that neither the viewer nor the family
    // changed; only when one may have (or shares its mark) is the exact
    // record looked up. A mark of a later change seen early only costs that
    // lookup, and one not seen yet moves the clock after it.
    bool stillFresh(std::uint64_t readAt, std::uint64_t& checkedAt, const std::string& viewerId,
                    const std::optional<std::string>& familyId) {
        const auto now = freshness.clock.load(std::memory_order_acquire);
        if (now == checkedAt) return true;
        if (freshness.everything.load(std::memory_order_relaxed) > readAt) return false;
        const auto marked = [&](const std::string& key) {
            return freshness.mark(key).load(std::memory_order_relaxed) > readAt;
        };
        if (marked(viewerId) || (familyId && marked(*familyId))) {
            std::lock_guard lock(freshness.publishing);
            const auto changed = [&](const std::string& key) {
                const auto found = freshness.changedAt.find(key);
                return found != freshness.changedAt.end() && found->second > readAt;
            };
            if (freshness.everything.load(std::memory_order_relaxed) > readAt || changed(viewerId) ||
                (familyId && changed(*familyId)))
                return false;
        }
        checkedAt = now;
        return true;
    }

    // What a request's kept things are judged by, read once before any
    // snapshot it reads (SQLite only: no version beside PostgreSQL).
    Look look() {
        Look at;
        if (!writer) return at;
        at.readAt = freshness.clock.load();  // before the snapshot: a change published later may be missing from it
        // Read on its own, before the snapshot: kept things then cost no transaction.
        at.version = db().commitsSeen();
        // In this order: a commit seen was said to be coming before it was
        // made, and said to be made before the next one was said to be coming.
        at.committing = freshness.committing.load();
        at.ownCommit = freshness.ownCommit.load();
        return at;
    }

    // Whether a thread's kept things must all go: they are another store's,
    // or a commit was made since they last looked that may not be this
    // process's. When the latest commit is this process's, its writer judged
    // every commit before it (see noteOtherProcesses); what this process
    // changed itself goes by the marks (see stillFresh).
    bool forget(SeenCommits& seen, const Look& look) {
        const bool otherStore = seen.store != generation;
        const bool moved = !otherStore && seen.version != *look.version;
        seen.store = generation;
        seen.version = *look.version;
        const bool ours = *look.version == look.committing || *look.version == look.ownCommit;
        return otherStore || (moved && (!ours || otherProcessLately()));
    }

    PasswordCost cost() const {
        return settings.minimalPasswordCost ? minimalPasswordCost() : interactivePasswordCost();
    }

    const std::string& dummy() {
        std::call_once(dummyOnce, [this] { dummyHash = hashPassword(newId(), cost()); });
        return dummyHash;
    }
};

FamilyStore::FamilyStore(const std::string& location, Clock clock, StoreSettings settings)
    : d_(std::make_unique<Impl>(location, std::move(clock), settings)) {
    initSecrets();
    migrate(d_->db());
    if (!isPostgresLocation(location)) {
        auto connection = openDatabase(location);
        d_->ownCommits.connection = connection.get();
        connection->watchCommits(&d_->ownCommits);
        d_->writer = std::make_unique<GroupCommit>(std::move(connection), kWriteAttempts);
    }
}

FamilyStore::~FamilyStore() = default;

json FamilyStore::userJson(const Account& a) {
    return json{{"id", a.id}, {"email", a.email}, {"nickname", a.nickname}, {"role", a.role}};
}

// ---- operator provisioning ----

Account FamilyStore::addAccount(const NewAccount& account) { return addAccounts({account}, false).front(); }

std::vector<Account> FamilyStore::addAccounts(const std::vector<NewAccount>& accounts, bool sameFamily) {
    std::vector<std::string> hashes;
    int parents = 0;
    for (const auto& a : accounts) {
        if (auto problem = accountProblem(a.email, a.nickname, a.role, a.password)) throw std::invalid_argument(*problem);
        if (a.role == "parent") ++parents;
        hashes.push_back(hashPassword(a.password, d_->cost()));  // slow on purpose: outside the transaction
    }
    if (sameFamily && parents > kMaxParents) throw std::invalid_argument("a family has at most two parents");
    try {
        return d_->write([&](Database& db) {
            if (touchedNow) touchedNow->everything = true;  // rare, by the operator
            const auto now = d_->clock();
            std::optional<std::string> familyId;
            if (sameFamily) familyId = createFamily(db, now);
            std::vector<Account> made;
            std::int64_t slot = 0;
            for (std::size_t i = 0; i < accounts.size(); ++i) {
                const auto& a = accounts[i];
                auto taken = db.prepare("SELECT 1 FROM users WHERE lower(email) = lower(?)");
                taken.bind(1, trimmed(a.email));
                if (taken.step()) throw std::invalid_argument("an account with the e-mail " + trimmed(a.email) + " exists");
                Account account{newId(), trimmed(a.email), trimmed(a.nickname), a.role, familyId};
                auto insert = db.prepare(
                    "INSERT INTO users (id, email, nickname, role, password_hash, family_id, parent_slot, joined_at, "
                    "created_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
                insert.bind(1, account.id)
                    .bind(2, account.email)
                    .bind(3, account.nickname)
                    .bind(4, account.role)
                    .bind(5, hashes[i])
                    .bind(6, familyId);
                if (familyId && a.role == "parent") insert.bind(7, ++slot);
                else insert.bindNull(7);
                insert.bind(8, now).bind(9, now).run();
                made.push_back(account);
            }
            return made;
        });
    } catch (const DatabaseError& e) {
        // Another process added the same e-mail between the check and the insert.
        if (e.kind() == DatabaseError::Conflict) throw std::invalid_argument("an account with one of these e-mails exists");
        throw;
    }
}

std::vector<Account> FamilyStore::listAccounts() {
    Database& db = d_->db();
    auto s = db.prepare(std::string("SELECT ") + kAccountColumns + " FROM users ORDER BY created_at, " +
                        db.insertionOrder());
    std::vector<Account> out;
    while (s.step()) out.push_back(readAccount(s));
    return out;
}

std::optional<Account> FamilyStore::findAccountByEmail(std::string_view email) {
    auto s = d_->db().prepare(std::string("SELECT ") + kAccountColumns + " FROM users WHERE lower(email) = lower(?)");
    s.bind(1, trimmed(email));
    if (!s.step()) return std::nullopt;
    return readAccount(s);
}

// ---- sessions ----

FamilyStore::SignIn FamilyStore::login(std::string_view email, std::string_view password) {
    std::optional<Account> account;
    std::string hash;
    d_->read([&](Database& db) {
        account.reset();
        auto s = db.prepare(std::string("SELECT ") + kAccountColumns +
                            ", password_hash FROM users WHERE lower(email) = lower(?)");
        s.bind(1, trimmed(email));
        if (s.step()) {
            account = readAccount(s);
            hash = s.text(5);
        }
        return 0;
    });
    bool ok = false;
    {
        d_->hashing.acquire();
        struct Release {
            std::counting_semaphore<4>& semaphore;
            ~Release() { semaphore.release(); }
        } release{d_->hashing};
        ok = verifyPassword(account ? hash : d_->dummy(), password);
    }
    if (!account || !ok) throw ApiError(403, "Неверная электронная почта или пароль.");

    auto secret = issueSecret();
    d_->write([&](Database& db) {
        const auto now = d_->clock();
        db.prepare("DELETE FROM sessions WHERE user_id = ? AND expires_at <= ?").bind(1, account->id).bind(2, now).run();
        // Sessions are kept under their account's mark (see authenticate).
        if (db.changes() > 0) touch(account->id);
        db.prepare(
              "INSERT INTO sessions (selector, verifier_hash, user_id, created_at, expires_at) VALUES (?, ?, ?, ?, ?)")
            .bind(1, secret.selector)
            .bind(2, secret.verifierHash)
            .bind(3, account->id)
            .bind(4, now)
            .bind(5, now + d_->settings.sessionLifetime)
            .run();
        return 0;
    });
    return SignIn{*account, secret.text};
}

Account FamilyStore::authenticate(std::string_view token) { return authenticate(token, d_->look()); }

Account FamilyStore::authenticate(std::string_view token, const Look& look) {
    const auto presented = parseSecret(token);
    if (!presented) throw ApiError(401, "Сессия истекла. Войдите снова.");
    struct Session {
        std::vector<unsigned char> verifierHash;
        std::int64_t expiresAt = 0;
        Account account;
    };
    const auto lookUp = [&](Database& db) -> std::optional<Session> {
        auto s = db.prepare(
            "SELECT s.verifier_hash, s.expires_at, u.id, u.email, u.nickname, u.role, u.family_id "
            "FROM sessions s JOIN users u ON u.id = s.user_id WHERE s.selector = ?");
        s.bind(1, presented->selector);
        if (!s.step()) return std::nullopt;
        return Session{s.blob(0), s.integer(1), Account{s.text(2), s.text(3), s.text(4), s.text(5), s.optionalText(6)}};
    };
    const auto admit = [&](const Session& session) {
        if (!sameHash(session.verifierHash, presented->verifierHash) || session.expiresAt <= d_->clock())
            throw ApiError(401, "Сессия истекла. Войдите снова.");
        return session.account;
    };
    const auto refuse = [] { return ApiError(401, "Сессия истекла. Войдите снова."); };
    Database& db = d_->db();
    const auto& version = look.version;
    if (!version) {
        const auto session = d_->read(lookUp);
        if (!session) throw refuse();
        return admit(*session);
    }
    // Each thread keeps the sessions it looked up, so a request whose family
    // answer is kept touches no database at all. A kept session follows the
    // rule of the kept answers: it stands while its account has not changed
    // since it was read (every change of this process that ends a session or
    // changes an account marks the account, see `touch`), and all are
    // forgotten once a commit of another process is seen, or a change whose
    // reach is unknown, so a sign-out or an account change anywhere refuses
    // or corrects the next request. Its verifier and expiry are
    // checked on every request, as a looked-up one's are.
    struct Kept {
        Session session;
        std::uint64_t readAt = 0;
        std::uint64_t checkedAt = 0;
    };
    struct Sessions {
        SeenCommits seen;
        std::unordered_map<std::string, Kept> bySelector;
    };
    thread_local Sessions sessions;
    if (d_->forget(sessions.seen, look)) sessions.bySelector.clear();
    if (const auto found = sessions.bySelector.find(presented->selector); found != sessions.bySelector.end()) {
        auto& kept = found->second;
        if (d_->stillFresh(kept.readAt, kept.checkedAt, kept.session.account.id, std::nullopt))
            return admit(kept.session);
        sessions.bySelector.erase(found);
    }
    // Read after the data version and the clock: a change it may already
    // see, published later, only makes the next request look it up again.
    d_->freshness.sessionLookUps.fetch_add(1, std::memory_order_relaxed);
    auto session = lookUp(db);
    if (!session) throw refuse();
    const auto account = admit(*session);
    if (sessions.bySelector.size() >= kMaxKeptSessions) sessions.bySelector.clear();
    sessions.bySelector.insert_or_assign(presented->selector, Kept{std::move(*session), look.readAt, look.readAt});
    return account;
}

// ---- family ----

namespace {

constexpr std::size_t kMaxKeptAnswer = 64 * 1024;  // a big family is read rarely; keep memory for many small ones
constexpr std::size_t kMaxKeptAnswers = 256;  // per thread

// Written as text straight from the rows: a family with thousands of tasks
// would otherwise spend most of its read building and freeing a document.
std::string writeFamilyText(Database& db, const Account& viewer, std::optional<std::string>* familyId = nullptr) {
    const Account me = currentAccount(db, viewer);
    if (familyId) *familyId = me.familyId;
    JsonText out;
    const auto member = [&](bool first, const std::string& id, const std::string& nickname, const std::string& role) {
        if (!first) out.raw(",");
        out.raw("{").key("id", true).string(id).key("nickname").string(nickname).key("role").string(role).raw("}");
    };
    out.raw("{").key("members", true).raw("[");
    if (!me.familyId) {
        member(true, me.id, me.nickname, me.role);
        out.raw("]").key("tasks").raw("[]}");
        return std::move(out.text());
    }
    std::int64_t parents = 0;
    {
        auto members = db.prepare(
            std::string("SELECT id, nickname, role FROM users WHERE family_id = ? ORDER BY joined_at, ") +
            db.insertionOrder());
        members.bind(1, *me.familyId);
        for (bool first = true; members.step(); first = false) {
            member(first, members.text(0), members.text(1), members.text(2));
            if (members.text(2) == "parent") ++parents;
        }
    }
    out.raw("]");
    {
        auto prefs = db.prepare("SELECT currency_code, language_code FROM families WHERE id = ?");
        prefs.bind(1, *me.familyId);
        if (prefs.step() && !prefs.isNull(0) && !prefs.isNull(1)) {
            out.key("preferences").raw("{").key("currency_code", true).string(prefs.text(0));
            out.key("language_code").string(prefs.text(1)).raw("}");
        }
    }
    out.key("tasks").raw("[");
    std::string where = "WHERE t.family_id = ?2 ";
    if (me.role == "child") where += "AND t.child_user_id = ?1 ";
    auto tasks = db.prepare(std::string(kTaskSelect) + where + "ORDER BY t.seq DESC");
    tasks.bind(1, me.id).bind(2, *me.familyId);
    const auto required = std::max<std::int64_t>(1, parents);
    for (bool first = true; tasks.step(); first = false) {
        if (!first) out.raw(",");
        // Keys in the order taskJson's document writes them.
        out.raw("{").key("approval_count", true).integer(tasks.integer(6));
        out.key("child_nickname").string(tasks.text(5)).key("child_user_id").string(tasks.text(4));
        if (me.role == "parent") out.key("current_user_approved").integer(tasks.isNull(7) ? 0 : 1);
        out.key("id").string(tasks.text(0)).key("required_approvals").integer(required);
        out.key("reward_cents").integer(tasks.integer(2)).key("status").string(tasks.text(3));
        out.key("title").string(tasks.text(1)).raw("}");
    }
    out.raw("]}");
    return std::move(out.text());
}

}  // namespace

json FamilyStore::family(const Account& viewer) { return json::parse(familyText(viewer)); }

std::string FamilyStore::familyText(const Account& viewer) { return familyText(viewer, d_->look()); }

std::string FamilyStore::familyTextFor(std::string_view token) {
    const auto look = d_->look();
    return familyText(authenticate(token, look), look);
}

std::string FamilyStore::familyText(const Account& viewer, const Look& look) {
    Database& db = d_->db();
    // Each thread keeps the answers it wrote last: a family read again and
    // again between its own changes costs one lookup instead of four queries,
    // whatever other families change meanwhile. An answer stands while neither
    // its viewer nor its family has changed since it was read (every change of
    // this process says what it touched), and while no other process has
    // committed: a reader sees whether the latest commit was this process's,
    // and the writer sees the others' commits before each of its own.
    struct Kept {
        std::string text;
        std::optional<std::string> familyId;
        std::uint64_t readAt = 0;
        std::uint64_t checkedAt = 0;
    };
    struct Answers {
        SeenCommits seen;
        std::unordered_map<std::string, Kept> byViewer;
    };
    thread_local Answers answers;
    auto& freshness = d_->freshness;
    const auto readAt = look.readAt;
    const auto& version = look.version;
    if (!version) {
        Transaction tx(db, Transaction::Read);
        return writeFamilyText(db, viewer);
    }
    if (d_->forget(answers.seen, look)) answers.byViewer.clear();
    if (const auto found = answers.byViewer.find(viewer.id); found != answers.byViewer.end()) {
        if (d_->stillFresh(found->second.readAt, found->second.checkedAt, viewer.id, found->second.familyId)) {
            freshness.keptServed.fetch_add(1, std::memory_order_relaxed);
            return found->second.text;
        }
        answers.byViewer.erase(found);
    }
    std::optional<std::string> familyId;
    Transaction tx(db, Transaction::Read);
    auto text = writeFamilyText(db, viewer, &familyId);
    if (text.size() <= kMaxKeptAnswer) {
        if (answers.byViewer.size() >= kMaxKeptAnswers) answers.byViewer.clear();
        answers.byViewer.insert_or_assign(viewer.id, Kept{text, std::move(familyId), readAt, readAt});
    }
    return text;
}

std::uint64_t FamilyStore::keptAnswersServed() const {
    return d_->freshness.keptServed.load(std::memory_order_relaxed);
}

std::uint64_t FamilyStore::sessionLookUps() const {
    return d_->freshness.sessionLookUps.load(std::memory_order_relaxed);
}

json FamilyStore::setPreferences(const Account& viewer, const std::string& currency, const std::string& language) {
    if (!isCurrencyCode(currency)) throw ApiError(400, "Некорректный код валюты.");
    if (!isLanguageCode(language)) throw ApiError(400, "Некорректный код языка.");
    d_->write([&](Database& db) {
        Account me = currentAccount(db, viewer);
        const auto familyId = ensureFamily(db, me, d_->clock());
        touch(familyId);
        db.prepare("UPDATE families SET currency_code = ?, language_code = ? WHERE id = ?")
            .bind(1, currency)
            .bind(2, language)
            .bind(3, familyId)
            .run();
        return 0;
    });
    return json{{"preferences", {{"currency_code", currency}, {"language_code", language}}}};
}

// ---- pairing and invites ----

json FamilyStore::createPairingCode(const Account& viewer) {
    if (viewer.role != "child") throw ApiError(403, "Код подключения к семье создаёт только ребёнок.");
    auto secret = issueSecret();
    const auto expiresAt = d_->write([&](Database& db) {
        const auto now = d_->clock();
        const Account me = currentAccount(db, viewer);
        db.prepare("DELETE FROM codes WHERE expires_at <= ?").bind(1, now).run();
        db.prepare("INSERT INTO codes (selector, verifier_hash, kind, user_id, expires_at) VALUES (?, ?, ?, ?, ?)")
            .bind(1, secret.selector)
            .bind(2, secret.verifierHash)
            .bind(3, std::string_view(kPairing))
            .bind(4, me.id)
            .bind(5, now + d_->settings.codeLifetime)
            .run();
        return now + d_->settings.codeLifetime;
    });
    return codeAnswer(kPairingPayloadPrefix, secret.text, expiresAt);
}

json FamilyStore::createParentInvite(const Account& viewer) {
    if (viewer.role != "parent") throw ApiError(403, "Пригласить второго родителя может только родитель.");
    auto secret = issueSecret();
    const auto expiresAt = d_->write([&](Database& db) {
        const auto now = d_->clock();
        Account me = currentAccount(db, viewer);
        const auto familyId = ensureFamily(db, me, now);
        if (parentCount(db, familyId) >= kMaxParents) throw ApiError(409, "В семье уже два родителя.");
        db.prepare("DELETE FROM codes WHERE expires_at <= ?").bind(1, now).run();
        db.prepare(
              "INSERT INTO codes (selector, verifier_hash, kind, user_id, family_id, expires_at) "
              "VALUES (?, ?, ?, ?, ?, ?)")
            .bind(1, secret.selector)
            .bind(2, secret.verifierHash)
            .bind(3, std::string_view(kInvite))
            .bind(4, me.id)
            .bind(5, familyId)
            .bind(6, now + d_->settings.codeLifetime)
            .run();
        return now + d_->settings.codeLifetime;
    });
    return codeAnswer(kInvitePayloadPrefix, secret.text, expiresAt);
}

json FamilyStore::claimPairingCode(const Account& viewer, std::string_view token) {
    if (viewer.role != "parent") throw ApiError(403, "Подключить ребёнка к семье может только родитель.");
    return d_->write([&](Database& db) {
        const auto now = d_->clock();
        Account me = currentAccount(db, viewer);
        const auto code = claimCode(db, token, kPairing, now, me.familyId);
        const auto child = accountById(db, code.userId);
        if (!child) throw ApiError(404, "Код не найден. Попросите создать новый QR-код.");
        const auto member = json{{"member", memberJson(child->id, child->nickname, child->role)}};
        // A double tap on "add to family": the child is in already, nothing changes.
        if (code.again) {
            if (child->familyId != me.familyId) throw ApiError(409, kCodeUsed);
            return member;
        }
        const auto familyId = ensureFamily(db, me, now);
        if (child->familyId != familyId) moveToFamily(db, *child, familyId, now, "Ребёнок уже состоит в другой семье.");
        // The family that claimed the code, so that its repeat is known.
        db.prepare("UPDATE codes SET family_id = ? WHERE selector = ?").bind(1, familyId).bind(2, code.selector).run();
        return member;
    });
}

json FamilyStore::claimParentInvite(const Account& viewer, std::string_view token) {
    if (viewer.role != "parent") throw ApiError(403, "Принять приглашение второго родителя может только родитель.");
    return d_->write([&](Database& db) {
        const auto now = d_->clock();
        const Account me = currentAccount(db, viewer);
        const auto code = claimCode(db, token, kInvite, now);
        if (!code.familyId) throw ApiError(404, "Код не найден. Попросите создать новый QR-код.");
        if (me.familyId == code.familyId) throw ApiError(409, "Вы уже состоите в этой семье.");
        moveToFamily(db, me, *code.familyId, now, "Вы уже состоите в другой семье.");
        return json{{"familyId", *code.familyId}};
    });
}

// ---- tasks ----

namespace {
constexpr const char* kKeyOfAnotherTask =
    "Ключ Idempotency-Key уже использован для другого задания: название, награда или ребёнок отличаются.";
}  // namespace

json FamilyStore::addTask(const Account& viewer, const std::string& childId, const std::string& rawTitle,
                          double reward, std::string_view idempotencyKey) {
    if (viewer.role != "parent") throw ApiError(403, "Создавать задания может только родитель.");
    if (idempotencyKey.size() > kMaxIdempotencyKeyLength)
        throw ApiError(400, "Некорректный запрос: слишком длинный ключ Idempotency-Key.");
    const std::string title = trimmed(rawTitle);
    if (title.empty()) throw ApiError(400, "Введите название задания.");
    if (codePoints(title) > kMaxTitleLength) throw ApiError(400, "Название задания слишком длинное.");
    if (!std::isfinite(reward) || reward <= 0) throw ApiError(400, "Награда должна быть больше нуля.");
    if (reward > kMaxReward) throw ApiError(400, "Слишком большая награда.");
    const auto cents = rewardCents(reward);
    if (cents < 1) throw ApiError(400, "Награда должна быть не меньше одной сотой.");

    return d_->write([&](Database& db) {
        const auto now = d_->clock();
        const Account me = currentAccount(db, viewer);
        const std::string id = newId();
        if (!idempotencyKey.empty()) {
            db.prepare("DELETE FROM task_requests WHERE user_id = ? AND created_at < ?")
                .bind(1, me.id)
                .bind(2, now - kIdempotencyKeyLifetime)
                .run();
            // The key is claimed before the task is made: a repeat that races
            // the first request waits for it here and then finds its task.
            db.prepare(
                  "INSERT INTO task_requests (user_id, idempotency_key, task_id, created_at) VALUES (?, ?, ?, ?) "
                  "ON CONFLICT DO NOTHING")
                .bind(1, me.id)
                .bind(2, idempotencyKey)
                .bind(3, id)
                .bind(4, now)
                .run();
            if (db.changes() == 0) {
                auto earlier = db.prepare("SELECT task_id FROM task_requests WHERE user_id = ? AND idempotency_key = ?");
                earlier.bind(1, me.id).bind(2, idempotencyKey);
                if (!earlier.step()) throw DatabaseError("the idempotency key vanished", DatabaseError::Retry);
                const auto taskId = earlier.text(0);
                auto task = db.prepare("SELECT family_id, child_user_id, title, reward_cents FROM tasks WHERE id = ?");
                task.bind(1, taskId);
                if (!task.step()) throw ApiError(404, "Задание не найдено.");
                // A retry repeats its request; the same key on another task is a client's mistake.
                if (task.text(1) != childId || task.text(2) != title || task.integer(3) != cents)
                    throw ApiError(422, kKeyOfAnotherTask);
                return json{{"task", loadTaskJson(db, taskId, me, task.text(0))}};
            }
        }
        const auto child = accountById(db, childId);
        if (!me.familyId || !child || child->role != "child" || child->familyId != me.familyId)
            throw ApiError(403, "Этот ребёнок не состоит в вашей семье.");
        db.prepare(
              "INSERT INTO tasks (id, family_id, child_user_id, title, reward_cents, status, created_by, "
              "created_at, updated_at) VALUES (?, ?, ?, ?, ?, 'active', ?, ?, ?)")
            .bind(1, id)
            .bind(2, *me.familyId)
            .bind(3, child->id)
            .bind(4, title)
            .bind(5, cents)
            .bind(6, me.id)
            .bind(7, now)
            .bind(8, now)
            .run();
        touch(me.familyId);
        return json{{"task", loadTaskJson(db, id, me, *me.familyId)}};
    });
}

json FamilyStore::actOnTask(const Account& viewer, const std::string& taskId, const std::string& action) {
    if (action != "complete" && action != "approve" && action != "return")
        throw ApiError(400, "Неизвестное действие с заданием.");
    if (action == "complete" && viewer.role != "child")
        throw ApiError(403, "Отметить задание выполненным может только ребёнок.");
    if (action != "complete" && viewer.role != "parent")
        throw ApiError(403, "Подтвердить или вернуть задание может только родитель.");

    return d_->write([&](Database& db) {
        const auto now = d_->clock();
        const Account me = currentAccount(db, viewer);
        const TaskRow task = lockVisibleTask(db, me, taskId, now);
        touch(task.familyId);
        if (action == "complete") {
            if (task.status != "active") refuseStatus(task);
            setStatus(db, task, "review", 0);
            db.prepare("UPDATE tasks SET returned_at = NULL WHERE id = ?").bind(1, task.id).run();
        } else if (action == "approve") {
            if (task.status != "review") refuseStatus(task);
            // The primary key (task, parent) counts each parent once.
            db.prepare(
                  "INSERT INTO task_approvals (task_id, parent_user_id, approved_at) VALUES (?, ?, ?) "
                  "ON CONFLICT DO NOTHING")
                .bind(1, task.id)
                .bind(2, me.id)
                .bind(3, now)
                .run();
            if (db.changes() == 0) throw ApiError(409, "Вы уже подтвердили это задание.");
            const auto approvals = task.approvals + 1;
            setStatus(db, task, approvals >= parentCount(db, task.familyId) ? "done" : "review", approvals);
        } else {
            if (task.status != "review") refuseStatus(task);
            db.prepare("DELETE FROM task_approvals WHERE task_id = ?").bind(1, task.id).run();
            setStatus(db, task, "active", 0);
            db.prepare("UPDATE tasks SET returned_at = ? WHERE id = ?").bind(1, now).bind(2, task.id).run();
        }
        return json{{"task", loadTaskJson(db, task.id, me, task.familyId)}};
    });
}

}  // namespace family
