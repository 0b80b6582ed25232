#pragma once

// The JSON keys of every ledger record, bound to the record's fields. Listed in
// ascending key order, which is the order the writer emits them in; the reader
// looks keys up in the same lists. Internal to the models library.

#include "models/MoneyModels.h"

#include <type_traits>

namespace ledgerfields {

template <typename T, typename R>
concept RecordOf = std::is_same_v<std::remove_const_t<T>, R>;

template <RecordOf<MoneyData> T, typename V>
void fields(T& d, V&& v) {
    v("additionalGoals", d.additionalGoals);
    v("categoryBudgets", d.categoryBudgets);
    v("challenges", d.challenges);
    v("customExpenseCategories", d.customExpenseCategories);
    v("customIncomeCategories", d.customIncomeCategories);
    v("dailyLimit", d.dailyLimit);
    v("debts", d.debts);
    v("goalAmount", d.goalAmount);
    v("goalName", d.goalName);
    v("monthlyBudget", d.monthlyBudget);
    v("quickTemplates", d.quickTemplates);
    v("recurringTransactions", d.recurringTransactions);
    v("rewardTasks", d.rewardTasks);
    v("startingBalance", d.startingBalance);
    v("transactions", d.transactions);
    v("wishes", d.wishes);
}

template <RecordOf<MoneyTransaction> T, typename V>
void fields(T& t, V&& v) {
    v("amount", t.amount);
    v("category", t.category);
    v("date", t.date);
    v("id", t.id);
    v("isFavorite", t.isFavorite);
    v("kind", t.kind);
    v("note", t.note);
    v("receiptFilename", t.receiptFilename);
    v("tags", t.tags);
    v("wallet", t.wallet);
}

template <RecordOf<SavingsGoal> T, typename V>
void fields(T& g, V&& v) {
    v("amount", g.amount);
    v("deadline", g.deadline);
    v("id", g.id);
    v("isArchived", g.isArchived);
    v("name", g.name);
}

template <RecordOf<RewardTask> T, typename V>
void fields(T& t, V&& v) {
    v("completionCount", t.completionCount);
    v("difficulty", t.difficulty);
    v("dueDate", t.dueDate);
    v("id", t.id);
    v("isRecurring", t.isRecurring);
    v("lastCompletedAt", t.lastCompletedAt);
    v("reward", t.reward);
    v("title", t.title);
}

template <RecordOf<QuickTemplate> T, typename V>
void fields(T& q, V&& v) {
    v("amount", q.amount);
    v("category", q.category);
    v("id", q.id);
    v("kind", q.kind);
    v("title", q.title);
}

template <RecordOf<WishItem> T, typename V>
void fields(T& w, V&& v) {
    v("createdAt", w.createdAt);
    v("id", w.id);
    v("isCompleted", w.isCompleted);
    v("price", w.price);
    v("savedAmount", w.savedAmount);
    v("title", w.title);
}

template <RecordOf<DebtRecord> T, typename V>
void fields(T& d, V&& v) {
    v("amount", d.amount);
    v("direction", d.direction);
    v("dueDate", d.dueDate);
    v("id", d.id);
    v("isSettled", d.isSettled);
    v("note", d.note);
    v("person", d.person);
}

template <RecordOf<SavingsChallenge> T, typename V>
void fields(T& c, V&& v) {
    v("endDate", c.endDate);
    v("id", c.id);
    v("isCompleted", c.isCompleted);
    v("kind", c.kind);
    v("progress", c.progress);
    v("startDate", c.startDate);
    v("target", c.target);
    v("title", c.title);
}

template <RecordOf<RecurringTransaction> T, typename V>
void fields(T& r, V&& v) {
    v("amount", r.amount);
    v("category", r.category);
    v("frequency", r.frequency);
    v("id", r.id);
    v("isActive", r.isActive);
    v("kind", r.kind);
    v("nextDate", r.nextDate);
    v("title", r.title);
}

// Names for diagnostics.
inline const char* recordName(const MoneyData*) { return "ledger"; }
inline const char* recordName(const MoneyTransaction*) { return "transaction"; }
inline const char* recordName(const SavingsGoal*) { return "goal"; }
inline const char* recordName(const RewardTask*) { return "money task"; }
inline const char* recordName(const QuickTemplate*) { return "quick template"; }
inline const char* recordName(const WishItem*) { return "wish"; }
inline const char* recordName(const DebtRecord*) { return "debt"; }
inline const char* recordName(const SavingsChallenge*) { return "challenge"; }
inline const char* recordName(const RecurringTransaction*) { return "recurring operation"; }

template <typename T>
struct IsOptional : std::false_type {};
template <typename T>
struct IsOptional<std::optional<T>> : std::true_type {};

}  // namespace ledgerfields
