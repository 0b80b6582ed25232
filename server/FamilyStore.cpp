#include "FamilyStore.h"

#include "ApiError.h"
#include "RewardCents.h"
#include "Schema.h"
#include "Secrets.h"
#include "Sqlite.h"
#include "TextRules.h"

#include <chrono>
#include <cmath>
#include <semaphore>
#include <stdexcept>

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

std::string createFamily(Database& db, std::int64_t now) {
    const std::string id = newId();
    db.prepare("INSERT INTO families (id, created_at) VALUES (?, ?)").bind(1, id).bind(2, now).run();
    return id;
}

void joinFamily(Database& db, const std::string& userId, const std::string& familyId, std::int64_t now) {
    db.prepare("UPDATE users SET family_id = ?, joined_at = ? WHERE id = ?")
        .bind(1, familyId)
        .bind(2, now)
        .bind(3, userId)
        .run();
}

// The account's family, made on first need: a parent who has not yet paired a
// child or invited anyone has none.
std::string ensureFamily(Database& db, Account& account, std::int64_t now) {
    if (!account.familyId) {
        account.familyId = createFamily(db, now);
        joinFamily(db, account.id, *account.familyId, now);
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
    joinFamily(db, account.id, target, now);
    if (previous) db.prepare("DELETE FROM families WHERE id = ?").bind(1, *previous).run();
}

struct CodeRow {
    std::string selector;
    std::string userId;
    std::optional<std::string> familyId;
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

CodeRow findCode(Database& db, std::string_view rawToken, const std::string& kind, std::int64_t now) {
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
    if (!s.isNull(6)) throw ApiError(409, "Этот код уже использован. Попросите создать новый QR-код.");
    if (s.integer(5) <= now) throw ApiError(409, "Срок действия кода истёк. Попросите создать новый QR-код.");
    return CodeRow{s.text(0), s.text(3), s.optionalText(4)};
}

void markUsed(Database& db, const std::string& selector, std::int64_t now) {
    db.prepare("UPDATE codes SET used_at = ? WHERE selector = ?").bind(1, now).bind(2, selector).run();
}

struct TaskRow {
    std::string id;
    std::string familyId;
    std::string childId;
    std::string status;
    bool returned = false;  // active again because a parent returned it
};

// Columns every task answer is made from; `?1` is the viewer's id.
constexpr const char* kTaskSelect =
    "SELECT t.id, t.title, t.reward_cents, t.status, t.child_user_id, u.nickname, "
    "(SELECT COUNT(*) FROM task_approvals a WHERE a.task_id = t.id), "
    "(SELECT COUNT(*) FROM task_approvals a WHERE a.task_id = t.id AND a.parent_user_id = ?1), "
    "(SELECT COUNT(*) FROM users p WHERE p.family_id = t.family_id AND p.role = 'parent') "
    "FROM tasks t JOIN users u ON u.id = t.child_user_id ";

json taskJson(const Statement& s, const Account& viewer) {
    json task{{"id", s.text(0)},
              {"title", s.text(1)},
              {"reward_cents", s.integer(2)},
              {"status", s.text(3)},
              {"child_user_id", s.text(4)},
              {"child_nickname", s.text(5)},
              {"approval_count", s.integer(6)},
              {"required_approvals", std::max<std::int64_t>(1, s.integer(8))}};
    if (viewer.role == "parent") task["current_user_approved"] = s.integer(7) > 0 ? 1 : 0;
    return task;
}

json loadTaskJson(Database& db, const std::string& taskId, const Account& viewer) {
    auto s = db.prepare(std::string(kTaskSelect) + "WHERE t.id = ?2");
    s.bind(1, viewer.id).bind(2, taskId);
    if (!s.step()) throw ApiError(404, "Задание не найдено.");
    return taskJson(s, viewer);
}

// A task the viewer can see: any task of a parent's family, only a child's own.
TaskRow visibleTask(Database& db, const Account& viewer, const std::string& taskId) {
    auto s = db.prepare(
        "SELECT id, family_id, child_user_id, status, returned_at IS NOT NULL FROM tasks WHERE id = ?");
    s.bind(1, taskId);
    if (!s.step()) throw ApiError(404, "Задание не найдено.");
    TaskRow task{s.text(0), s.text(1), s.text(2), s.text(3), s.integer(4) != 0};
    const bool visible = viewer.role == "parent" ? viewer.familyId && *viewer.familyId == task.familyId
                                                 : task.childId == viewer.id;
    if (!visible) throw ApiError(404, "Задание не найдено.");
    return task;
}

void setStatus(Database& db, const std::string& taskId, const char* status, std::int64_t now) {
    db.prepare("UPDATE tasks SET status = ?, updated_at = ? WHERE id = ?")
        .bind(1, std::string_view(status))
        .bind(2, now)
        .bind(3, taskId)
        .run();
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

}  // namespace

struct FamilyStore::Impl {
    Impl(const std::string& path, Clock c, StoreSettings s) : db(path), clock(std::move(c)), settings(s) {}

    Database db;
    std::mutex mutex;
    Clock clock;
    StoreSettings settings;
    // Each Argon2id check takes tens of megabytes: a burst of sign-ins waits
    // here rather than exhausting memory.
    std::counting_semaphore<4> hashing{4};
    std::once_flag dummyOnce;
    std::string dummyHash;  // verified against when an e-mail is unknown, so timing does not tell

    PasswordCost cost() const {
        return settings.minimalPasswordCost ? minimalPasswordCost() : interactivePasswordCost();
    }

    const std::string& dummy() {
        std::call_once(dummyOnce, [this] { dummyHash = hashPassword(newId(), cost()); });
        return dummyHash;
    }
};

FamilyStore::FamilyStore(const std::string& databasePath, Clock clock, StoreSettings settings)
    : d_(std::make_unique<Impl>(databasePath, std::move(clock), settings)) {
    initSecrets();
    migrate(d_->db);
}

FamilyStore::~FamilyStore() = default;

json FamilyStore::userJson(const Account& a) {
    return json{{"id", a.id}, {"email", a.email}, {"nickname", a.nickname}, {"role", a.role}};
}

// ---- operator provisioning ----

Account FamilyStore::addAccount(const NewAccount& account) { return addAccounts({account}, false).front(); }

std::vector<Account> FamilyStore::addAccounts(const std::vector<NewAccount>& accounts, bool sameFamily) {
    std::vector<std::string> hashes;
    for (const auto& a : accounts) {
        if (auto problem = accountProblem(a.email, a.nickname, a.role, a.password)) throw std::invalid_argument(*problem);
        hashes.push_back(hashPassword(a.password, d_->cost()));  // slow on purpose: outside the lock
    }
    std::lock_guard lock(d_->mutex);
    const auto now = d_->clock();
    Transaction tx(d_->db);
    std::optional<std::string> familyId;
    if (sameFamily) familyId = createFamily(d_->db, now);
    std::vector<Account> made;
    for (std::size_t i = 0; i < accounts.size(); ++i) {
        const auto& a = accounts[i];
        auto taken = d_->db.prepare("SELECT 1 FROM users WHERE email = ?");
        taken.bind(1, trimmed(a.email));
        if (taken.step()) throw std::invalid_argument("an account with the e-mail " + trimmed(a.email) + " exists");
        Account account{newId(), trimmed(a.email), trimmed(a.nickname), a.role, familyId};
        d_->db
            .prepare("INSERT INTO users (id, email, nickname, role, password_hash, family_id, joined_at, created_at) "
                     "VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
            .bind(1, account.id)
            .bind(2, account.email)
            .bind(3, account.nickname)
            .bind(4, account.role)
            .bind(5, hashes[i])
            .bind(6, familyId)
            .bind(7, now)
            .bind(8, now)
            .run();
        made.push_back(account);
    }
    tx.commit();
    return made;
}

std::vector<Account> FamilyStore::listAccounts() {
    std::lock_guard lock(d_->mutex);
    auto s = d_->db.prepare(std::string("SELECT ") + kAccountColumns + " FROM users ORDER BY created_at, rowid");
    std::vector<Account> out;
    while (s.step()) out.push_back(readAccount(s));
    return out;
}

std::optional<Account> FamilyStore::findAccountByEmail(std::string_view email) {
    std::lock_guard lock(d_->mutex);
    auto s = d_->db.prepare(std::string("SELECT ") + kAccountColumns + " FROM users WHERE email = ?");
    s.bind(1, trimmed(email));
    if (!s.step()) return std::nullopt;
    return readAccount(s);
}

// ---- sessions ----

FamilyStore::SignIn FamilyStore::login(std::string_view email, std::string_view password) {
    std::optional<Account> account;
    std::string hash;
    {
        std::lock_guard lock(d_->mutex);
        auto s = d_->db.prepare(std::string("SELECT ") + kAccountColumns + ", password_hash FROM users WHERE email = ?");
        s.bind(1, trimmed(email));
        if (s.step()) {
            account = readAccount(s);
            hash = s.text(5);
        }
    }
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
    std::lock_guard lock(d_->mutex);
    const auto now = d_->clock();
    Transaction tx(d_->db);
    d_->db.prepare("DELETE FROM sessions WHERE expires_at <= ?").bind(1, now).run();
    d_->db
        .prepare("INSERT INTO sessions (selector, verifier_hash, user_id, created_at, expires_at) VALUES (?, ?, ?, ?, ?)")
        .bind(1, secret.selector)
        .bind(2, secret.verifierHash)
        .bind(3, account->id)
        .bind(4, now)
        .bind(5, now + d_->settings.sessionLifetime)
        .run();
    tx.commit();
    return SignIn{*account, secret.text};
}

Account FamilyStore::authenticate(std::string_view token) {
    const auto presented = parseSecret(token);
    if (!presented) throw ApiError(401, "Сессия истекла. Войдите снова.");
    std::lock_guard lock(d_->mutex);
    auto s = d_->db.prepare("SELECT s.verifier_hash, s.expires_at, u.id, u.email, u.nickname, u.role, u.family_id "
                            "FROM sessions s JOIN users u ON u.id = s.user_id WHERE s.selector = ?");
    s.bind(1, presented->selector);
    if (!s.step() || !sameHash(s.blob(0), presented->verifierHash) || s.integer(1) <= d_->clock())
        throw ApiError(401, "Сессия истекла. Войдите снова.");
    return Account{s.text(2), s.text(3), s.text(4), s.text(5), s.optionalText(6)};
}

// ---- family ----

json FamilyStore::family(const Account& viewer) {
    std::lock_guard lock(d_->mutex);
    Transaction tx(d_->db, Transaction::Read);
    const Account me = currentAccount(d_->db, viewer);
    json answer{{"members", json::array()}, {"tasks", json::array()}};
    if (!me.familyId) {
        answer["members"].push_back(memberJson(me.id, me.nickname, me.role));
        return answer;
    }
    auto members = d_->db.prepare("SELECT id, nickname, role FROM users WHERE family_id = ? ORDER BY joined_at, rowid");
    members.bind(1, *me.familyId);
    while (members.step()) answer["members"].push_back(memberJson(members.text(0), members.text(1), members.text(2)));

    std::string where = "WHERE t.family_id = ?2 ";
    if (me.role == "child") where += "AND t.child_user_id = ?1 ";
    auto tasks = d_->db.prepare(std::string(kTaskSelect) + where + "ORDER BY t.seq DESC");
    tasks.bind(1, me.id).bind(2, *me.familyId);
    while (tasks.step()) answer["tasks"].push_back(taskJson(tasks, me));

    auto prefs = d_->db.prepare("SELECT currency_code, language_code FROM families WHERE id = ?");
    prefs.bind(1, *me.familyId);
    if (prefs.step() && !prefs.isNull(0) && !prefs.isNull(1))
        answer["preferences"] = json{{"currency_code", prefs.text(0)}, {"language_code", prefs.text(1)}};
    return answer;
}

json FamilyStore::setPreferences(const Account& viewer, const std::string& currency, const std::string& language) {
    if (!isCurrencyCode(currency)) throw ApiError(400, "Некорректный код валюты.");
    if (!isLanguageCode(language)) throw ApiError(400, "Некорректный код языка.");
    std::lock_guard lock(d_->mutex);
    const auto now = d_->clock();
    Transaction tx(d_->db);
    Account me = currentAccount(d_->db, viewer);
    const auto familyId = ensureFamily(d_->db, me, now);
    d_->db.prepare("UPDATE families SET currency_code = ?, language_code = ? WHERE id = ?")
        .bind(1, currency)
        .bind(2, language)
        .bind(3, familyId)
        .run();
    tx.commit();
    return json{{"preferences", {{"currency_code", currency}, {"language_code", language}}}};
}

// ---- pairing and invites ----

json FamilyStore::createPairingCode(const Account& viewer) {
    if (viewer.role != "child") throw ApiError(403, "Код подключения к семье создаёт только ребёнок.");
    auto secret = issueSecret();
    std::lock_guard lock(d_->mutex);
    const auto now = d_->clock();
    const auto expiresAt = now + d_->settings.codeLifetime;
    Transaction tx(d_->db);
    const Account me = currentAccount(d_->db, viewer);
    d_->db.prepare("DELETE FROM codes WHERE expires_at <= ?").bind(1, now).run();
    d_->db.prepare("INSERT INTO codes (selector, verifier_hash, kind, user_id, expires_at) VALUES (?, ?, ?, ?, ?)")
        .bind(1, secret.selector)
        .bind(2, secret.verifierHash)
        .bind(3, std::string_view(kPairing))
        .bind(4, me.id)
        .bind(5, expiresAt)
        .run();
    tx.commit();
    return codeAnswer(kPairingPayloadPrefix, secret.text, expiresAt);
}

json FamilyStore::createParentInvite(const Account& viewer) {
    if (viewer.role != "parent") throw ApiError(403, "Пригласить второго родителя может только родитель.");
    auto secret = issueSecret();
    std::lock_guard lock(d_->mutex);
    const auto now = d_->clock();
    const auto expiresAt = now + d_->settings.codeLifetime;
    Transaction tx(d_->db);
    Account me = currentAccount(d_->db, viewer);
    const auto familyId = ensureFamily(d_->db, me, now);
    if (parentCount(d_->db, familyId) >= kMaxParents) throw ApiError(409, "В семье уже два родителя.");
    d_->db.prepare("DELETE FROM codes WHERE expires_at <= ?").bind(1, now).run();
    d_->db
        .prepare("INSERT INTO codes (selector, verifier_hash, kind, user_id, family_id, expires_at) "
                 "VALUES (?, ?, ?, ?, ?, ?)")
        .bind(1, secret.selector)
        .bind(2, secret.verifierHash)
        .bind(3, std::string_view(kInvite))
        .bind(4, me.id)
        .bind(5, familyId)
        .bind(6, expiresAt)
        .run();
    tx.commit();
    return codeAnswer(kInvitePayloadPrefix, secret.text, expiresAt);
}

json FamilyStore::claimPairingCode(const Account& viewer, std::string_view token) {
    if (viewer.role != "parent") throw ApiError(403, "Подключить ребёнка к семье может только родитель.");
    std::lock_guard lock(d_->mutex);
    const auto now = d_->clock();
    Transaction tx(d_->db);
    Account me = currentAccount(d_->db, viewer);
    const auto code = findCode(d_->db, token, kPairing, now);
    const auto child = accountById(d_->db, code.userId);
    if (!child) throw ApiError(404, "Код не найден. Попросите создать новый QR-код.");
    const auto familyId = ensureFamily(d_->db, me, now);
    if (child->familyId != familyId)
        moveToFamily(d_->db, *child, familyId, now, "Ребёнок уже состоит в другой семье.");
    markUsed(d_->db, code.selector, now);
    tx.commit();
    return json{{"member", memberJson(child->id, child->nickname, child->role)}};
}

json FamilyStore::claimParentInvite(const Account& viewer, std::string_view token) {
    if (viewer.role != "parent") throw ApiError(403, "Принять приглашение второго родителя может только родитель.");
    std::lock_guard lock(d_->mutex);
    const auto now = d_->clock();
    Transaction tx(d_->db);
    const Account me = currentAccount(d_->db, viewer);
    const auto code = findCode(d_->db, token, kInvite, now);
    if (!code.familyId) throw ApiError(404, "Код не найден. Попросите создать новый QR-код.");
    if (me.familyId == code.familyId) throw ApiError(409, "Вы уже состоите в этой семье.");
    if (parentCount(d_->db, *code.familyId) >= kMaxParents) throw ApiError(409, "В семье уже два родителя.");
    moveToFamily(d_->db, me, *code.familyId, now, "Вы уже состоите в другой семье.");
    markUsed(d_->db, code.selector, now);
    tx.commit();
    return json{{"familyId", *code.familyId}};
}

// ---- tasks ----

json FamilyStore::addTask(const Account& viewer, const std::string& childId, const std::string& rawTitle,
                          double reward) {
    if (viewer.role != "parent") throw ApiError(403, "Создавать задания может только родитель.");
    const std::string title = trimmed(rawTitle);
    if (title.empty()) throw ApiError(400, "Введите название задания.");
    if (codePoints(title) > kMaxTitleLength) throw ApiError(400, "Название задания слишком длинное.");
    if (!std::isfinite(reward) || reward <= 0) throw ApiError(400, "Награда должна быть больше нуля.");
    if (reward > kMaxReward) throw ApiError(400, "Слишком большая награда.");
    const auto cents = rewardCents(reward);
    if (cents < 1) throw ApiError(400, "Награда должна быть не меньше одной сотой.");

    std::lock_guard lock(d_->mutex);
    const auto now = d_->clock();
    Transaction tx(d_->db);
    const Account me = currentAccount(d_->db, viewer);
    const auto child = accountById(d_->db, childId);
    if (!me.familyId || !child || child->role != "child" || child->familyId != me.familyId)
        throw ApiError(403, "Этот ребёнок не состоит в вашей семье.");
    const std::string id = newId();
    d_->db
        .prepare("INSERT INTO tasks (id, family_id, child_user_id, title, reward_cents, status, created_by, "
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
    auto task = loadTaskJson(d_->db, id, me);
    tx.commit();
    return json{{"task", task}};
}

json FamilyStore::actOnTask(const Account& viewer, const std::string& taskId, const std::string& action) {
    if (action != "complete" && action != "approve" && action != "return")
        throw ApiError(400, "Неизвестное действие с заданием.");
    if (action == "complete" && viewer.role != "child")
        throw ApiError(403, "Отметить задание выполненным может только ребёнок.");
    if (action != "complete" && viewer.role != "parent")
        throw ApiError(403, "Подтвердить или вернуть задание может только родитель.");

    std::lock_guard lock(d_->mutex);
    const auto now = d_->clock();
    Transaction tx(d_->db);
    const Account me = currentAccount(d_->db, viewer);
    const TaskRow task = visibleTask(d_->db, me, taskId);
    if (action == "complete") {
        if (task.status != "active") refuseStatus(task);
        setStatus(d_->db, task.id, "review", now);
        d_->db.prepare("UPDATE tasks SET returned_at = NULL WHERE id = ?").bind(1, task.id).run();
    } else if (action == "approve") {
        if (task.status != "review") refuseStatus(task);
        auto insert = d_->db.prepare(
            "INSERT OR IGNORE INTO task_approvals (task_id, parent_user_id, approved_at) VALUES (?, ?, ?)");
        insert.bind(1, task.id).bind(2, me.id).bind(3, now).run();
        if (d_->db.changes() == 0) throw ApiError(409, "Вы уже подтвердили это задание.");
        const auto approvals = count(d_->db, "SELECT COUNT(*) FROM task_approvals WHERE task_id = ?", task.id);
        if (approvals >= parentCount(d_->db, task.familyId)) setStatus(d_->db, task.id, "done", now);
        else setStatus(d_->db, task.id, "review", now);
    } else {
        if (task.status != "review") refuseStatus(task);
        d_->db.prepare("DELETE FROM task_approvals WHERE task_id = ?").bind(1, task.id).run();
        setStatus(d_->db, task.id, "active", now);
        d_->db.prepare("UPDATE tasks SET returned_at = ? WHERE id = ?").bind(1, now).bind(2, task.id).run();
    }
    auto answer = loadTaskJson(d_->db, task.id, me);
    tx.commit();
    return json{{"task", answer}};
}

}  // namespace family
