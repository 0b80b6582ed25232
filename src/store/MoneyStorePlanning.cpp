// Operations on everything in the ledger except the transaction list itself.
// Guards are silent: input that fails them changes and saves nothing. Lists
// with built-in defaults (tasks, templates, challenges) are changed starting
// from the list in use, and the whole result is stored.
#include <QUuid>
#include <algorithm>

#include "store/MoneyMath.h"
#include "store/MoneyStore.h"

namespace {

const QString kPrimaryGoalId = QStringLiteral("primary");
const QString kMainWallet = QStringLiteral("Основной");

QString newRecordId() { return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(); }

// First record with the id, or none.
template <class T>
T* findById(std::vector<T>& list, const QString& id) {
    auto it = std::find_if(list.begin(), list.end(), [&](const T& r) { return r.id == id; });
    return it == list.end() ? nullptr : &*it;
}

template <class T>
void removeById(std::vector<T>& list, const QString& id) {
    list.erase(std::remove_if(list.begin(), list.end(), [&](const T& r) { return r.id == id; }), list.end());
}

// value + amount, held at the cap; complete once the cap is reached.
void advanceTowards(Decimal& value, bool& completed, const Decimal& amount, const Decimal& cap) {
    const Decimal sum = money::add(value, amount);
    value = cap < sum ? cap : sum;
    completed = !(value < cap);
}

}  // namespace

// --- Goals and settings -------------------------------------------------------

void MoneyStore::updateSettings(const QString& goalName, const Decimal& goalAmount, const Decimal& dailyLimit,
                                const Decimal& startingBalance) {
    mutate([&](MoneyData& d) {
        d.goalName = goalName;
        d.goalAmount = Decimal::max(goalAmount, Decimal());
        d.dailyLimit = Decimal::max(dailyLimit, Decimal());
        d.startingBalance = startingBalance;
    });
}

void MoneyStore::setMonthlyBudget(const Decimal& amount) {
    mutate([&](MoneyData& d) { d.monthlyBudget = Decimal::max(amount, Decimal()); });
}

void MoneyStore::addGoal(const QString& name, const Decimal& amount,
                         const std::optional<QDateTime>& deadline) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || amount.signum() <= 0) return;
    mutate([&](MoneyData& d) {
        if (d.goalAmount.signum() <= 0) {
            // The main goal has no deadline of its own; the one given is dropped.
            d.goalName = trimmed;
            d.goalAmount = amount;
            return;
        }
        if (!d.additionalGoals) d.additionalGoals.emplace();
        d.additionalGoals->push_back({newRecordId(), trimmed, amount,
                                      deadline ? std::optional(deadline->toUTC()) : std::nullopt, false});
    });
}

void MoneyStore::deleteGoal(const QString& id) {
    mutate([&](MoneyData& d) {
        if (id == kPrimaryGoalId) {
            d.goalName.clear();
            d.goalAmount = Decimal();
        } else if (d.additionalGoals) {
            removeById(*d.additionalGoals, id);
        }
    });
}

void MoneyStore::archiveGoal(const QString& id) {
    if (id == kPrimaryGoalId || !data_.additionalGoals || !findById(*data_.additionalGoals, id)) return;
    mutate([&](MoneyData& d) { findById(*d.additionalGoals, id)->isArchived = true; });
}

std::optional<QString> MoneyStore::addCustomCategory(const QString& name, TransactionKind kind) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    for (const QString& existing : customCategories(kind))
        if (existing.compare(trimmed, Qt::CaseInsensitive) == 0) return existing;
    mutate([&](MoneyData& d) {
        auto& list = kind == TransactionKind::income ? d.customIncomeCategories : d.customExpenseCategories;
        if (!list) list.emplace();
        list->push_back(trimmed);
    });
    return trimmed;
}

// --- Money tasks ----------------------------------------------------------------

void MoneyStore::addTask(const QString& title, const Decimal& reward, const std::optional<QDateTime>& dueDate,
                         qint64 difficulty, bool isRecurring) {
    const QString trimmed = title.trimmed();
    if (trimmed.isEmpty() || reward.signum() <= 0) return;
    std::vector<RewardTask> tasks = rewardTasksInUse();
    tasks.push_back({newRecordId(), trimmed, reward, 0, std::nullopt,
                     dueDate ? std::optional(dueDate->toUTC()) : std::nullopt, difficulty, isRecurring});
    mutate([&](MoneyData& d) { d.rewardTasks = std::move(tasks); });
}

std::optional<RewardTask> MoneyStore::completeTask(const QString& id) {
    std::vector<RewardTask> tasks = rewardTasksInUse();
    auto it = std::find_if(tasks.begin(), tasks.end(), [&](const RewardTask& t) { return t.id == id; });
    if (it == tasks.end()) return std::nullopt;
    const QDateTime at = now().toUTC();
    it->completionCount = money::addSaturated(it->completionCount, 1);
    it->lastCompletedAt = at;
    const RewardTask done = *it;
    if (done.isRecurring == std::optional<bool>(false))
        tasks.erase(it);  // a one-off task is gone once it is done
    MoneyTransaction income{QUuid::createUuid(),
                            TransactionKind::income,
                            done.reward,
                            done.title,
                            QStringLiteral("Выполнено задание"),
                            at,
                            QStringList{},
                            false,
                            kMainWallet,
                            std::nullopt};
    shareTexts(income);
    mutate([&](MoneyData& d) {
        d.rewardTasks = std::move(tasks);
        d.transactions.push_back(std::move(income));
    });
    return done;
}

void MoneyStore::deleteTask(const QString& id) {
    std::vector<RewardTask> tasks = rewardTasksInUse();
    removeById(tasks, id);
    mutate([&](MoneyData& d) { d.rewardTasks = std::move(tasks); });
}

// --- Category budgets -----------------------------------------------------------

void MoneyStore::setCategoryBudget(const QString& category, const Decimal& amount) {
    mutate([&](MoneyData& d) {
        QMap<QString, Decimal> budgets = d.categoryBudgets.value_or(QMap<QString, Decimal>{});
        if (amount.signum() > 0)
            budgets.insert(category, amount);
        else
            budgets.remove(category);
        d.categoryBudgets = std::move(budgets);
    });
}

// --- Quick templates --------------------------------------------------------------

void MoneyStore::addTemplate(const QString& title, TransactionKind kind, const Decimal& amount,
                             const QString& category) {
    if (title.isEmpty() || amount.signum() <= 0) return;
    std::vector<QuickTemplate> templates = quickTemplatesInUse();
    templates.push_back({newRecordId(), title, kind, amount, category});
    mutate([&](MoneyData& d) { d.quickTemplates = std::move(templates); });
}

void MoneyStore::applyTemplate(const QString& id) {
    std::vector<QuickTemplate> templates = quickTemplatesInUse();
    const QuickTemplate* found = findById(templates, id);
    if (!found) return;
    // Only the transaction is stored: default templates stay defaults.
    add(found->kind, found->amount, found->category, QStringLiteral("Быстрый шаблон"), now(), {}, false,
        kMainWallet, std::nullopt);
}

void MoneyStore::deleteTemplate(const QString& id) {
    std::vector<QuickTemplate> templates = quickTemplatesInUse();
    removeById(templates, id);
    mutate([&](MoneyData& d) { d.quickTemplates = std::move(templates); });
}

// --- Wishes -------------------------------------------------------------------------

void MoneyStore::addWish(const QString& title, const Decimal& price) {
    const QString trimmed = title.trimmed();
    if (trimmed.isEmpty() || price.signum() <= 0) return;
    WishItem wish{newRecordId(), trimmed, price, Decimal(), now().toUTC(), false};
    mutate([&](MoneyData& d) {
        if (!d.wishes) d.wishes.emplace();
        d.wishes->push_back(std::move(wish));
    });
}

void MoneyStore::contributeToWish(const QString& id, const Decimal& amount) {
    if (amount.signum() <= 0 || !data_.wishes || !findById(*data_.wishes, id)) return;
    mutate([&](MoneyData& d) {
        WishItem* wish = findById(*d.wishes, id);
        advanceTowards(wish->savedAmount, wish->isCompleted, amount, wish->price);
    });
}

void MoneyStore::deleteWish(const QString& id) {
    mutate([&](MoneyData& d) {
        if (!d.wishes) d.wishes.emplace();
        removeById(*d.wishes, id);
    });
}

// --- Debts ----------------------------------------------------------------------------

void MoneyStore::addDebt(const QString& person, const Decimal& amount, DebtDirection direction,
                         const QString& note, const std::optional<QDateTime>& dueDate) {
    const QString trimmed = person.trimmed();
    if (trimmed.isEmpty() || amount.signum() <= 0) return;
    DebtRecord debt{newRecordId(), trimmed, amount,
                    direction,     note,    dueDate ? std::optional(dueDate->toUTC()) : std::nullopt,
                    false};
    mutate([&](MoneyData& d) {
        if (!d.debts) d.debts.emplace();
        d.debts->push_back(std::move(debt));
    });
}

void MoneyStore::settleDebt(const QString& id) {
    if (!data_.debts || !findById(*data_.debts, id)) return;
    mutate([&](MoneyData& d) { findById(*d.debts, id)->isSettled = true; });
}

// --- Savings challenges ------------------------------------------------------------------

void MoneyStore::addChallenge(const QString& title, ChallengeKind kind, const Decimal& target,
                              const QDateTime& endDate) {
    const QString trimmed = title.trimmed();
    if (trimmed.isEmpty() || target.signum() <= 0) return;
    std::vector<SavingsChallenge> challenges = challengesInUse();
    challenges.push_back(
        {newRecordId(), trimmed, kind, target, Decimal(), now().toUTC(), endDate.toUTC(), false});
    mutate([&](MoneyData& d) { d.challenges = std::move(challenges); });
}

void MoneyStore::advanceChallenge(const QString& id, const Decimal& amount) {
    if (amount.signum() <= 0) return;
    std::vector<SavingsChallenge> challenges = challengesInUse();
    SavingsChallenge* challenge = findById(challenges, id);
    if (!challenge) return;
    advanceTowards(challenge->progress, challenge->isCompleted, amount, challenge->target);
    mutate([&](MoneyData& d) { d.challenges = std::move(challenges); });
}

// --- Recurring operations -------------------------------------------------------------------

void MoneyStore::addRecurring(const QString& title, TransactionKind kind, const Decimal& amount,
                              const QString& category, RecurringFrequency frequency,
                              const QDateTime& nextDate) {
    if (title.isEmpty() || amount.signum() <= 0 || category.isEmpty()) return;
    RecurringTransaction item{newRecordId(),    title, kind, amount, category, frequency,
                              nextDate.toUTC(), true};
    mutate([&](MoneyData& d) {
        if (!d.recurringTransactions) d.recurringTransactions.emplace();
        d.recurringTransactions->push_back(std::move(item));
    });
}

void MoneyStore::toggleRecurring(const QString& id) {
    if (!data_.recurringTransactions || !findById(*data_.recurringTransactions, id)) return;
    mutate([&](MoneyData& d) {
        RecurringTransaction* item = findById(*d.recurringTransactions, id);
        item->isActive = !item->isActive;
    });
}
