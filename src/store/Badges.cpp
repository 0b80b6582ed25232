#include "store/Badges.h"

#include <algorithm>
#include <limits>

#include "store/LedgerSummary.h"
#include "store/MoneyMath.h"

namespace ledger {

namespace {

// How a badge reads its statistic.
enum class Rule {
    operations,
    incomes,
    expenses,
    positiveBalance,
    balance,
    totalIncome,
    savingsRate,
    budgetSet,
    goals,
    goalReached,
    completedTasks,
    taskLevel,
    completedChallenges,
    completedWishes,
    settledOwnDebts,
    receipts,
    favourites,
    tagged,
    wallets,
    customCategories,
    recurring,
    distinctDays,
    longestStreak,
    trackingSpan
};

struct BadgeDefinition {
    const char* id;
    const char* title;
    const char* detail;  // the currency code follows when moneyDetail is set
    bool moneyDetail;
    const char* symbol;
    BadgeTier tier;
    qint64 points;
    Rule rule;
    qint64 threshold;
};

using enum BadgeTier;

const BadgeDefinition kCatalogue[] = {
    {"first", "Первый шаг", "Добавь первую операцию", false, "figure.walk", bronze, 10, Rule::operations, 1},
    {"five", "Начало положено", "Добавь 5 операций", false, "list.bullet", bronze, 10, Rule::operations, 5},
    {"ten", "Счёт ведётся", "Добавь 10 операций", false, "list.number", bronze, 15, Rule::operations, 10},
    {"twenty-five", "Финансовый журнал", "Добавь 25 операций", false, "book.closed.fill", silver, 25,
     Rule::operations, 25},
    {"fifty", "Опытный счетовод", "Добавь 50 операций", false, "medal.fill", gold, 50, Rule::operations, 50},
    {"hundred", "Мастер учёта", "Добавь 100 операций", false, "crown.fill", diamond, 100, Rule::operations,
     100},
    {"first-income", "Первая монета", "Запиши первый доход", false, "arrow.down.circle.fill", bronze, 10,
     Rule::incomes, 1},
    {"first-expense", "Под контролем", "Запиши первый расход", false, "cart.fill", bronze, 10, Rule::expenses,
     1},
    {"positive", "В плюсе", "Сохрани положительный баланс", false, "arrow.up.circle.fill", bronze, 15,
     Rule::positiveBalance, 0},
    {"balance-500", "Первые 500", "Накопи 500 ", true, "yensign.circle.fill", silver, 30, Rule::balance, 500},
    {"balance-1000", "Тысячник", "Накопи 1 000 ", true, "banknote.fill", gold, 60, Rule::balance, 1000},
    {"balance-5000", "Золотая копилка", "Накопи 5 000 ", true, "sparkles", diamond, 120, Rule::balance, 5000},
    {"income-500", "Добытчик", "Заработай всего 500 ", true, "briefcase.fill", silver, 30, Rule::totalIncome,
     500},
    {"income-5000", "Большой заработок", "Заработай всего 5 000 ", true, "bolt.fill", diamond, 100,
     Rule::totalIncome, 5000},
    {"saver", "Хранитель", "Сберегай не меньше 20% дохода", false, "shield.fill", silver, 35,
     Rule::savingsRate, 20},
    {"super-saver", "Суперсберегатель", "Сберегай не меньше 50% дохода", false, "shield.checkered", gold, 70,
     Rule::savingsRate, 50},
    {"budget", "Планировщик", "Установи месячный бюджет", false, "chart.bar.fill", bronze, 15,
     Rule::budgetSet, 0},
    {"first-goal", "Есть цель", "Создай цель накопления", false, "target", bronze, 15, Rule::goals, 1},
    {"three-goals", "Большие планы", "Создай 3 цели", false, "scope", silver, 35, Rule::goals, 3},
    {"goal-reached", "Цель взята", "Накопи полную сумму хотя бы одной цели", false, "trophy.fill", gold, 75,
     Rule::goalReached, 1},
    {"first-task", "Доброе дело", "Выполни первое задание", false, "hands.sparkles.fill", bronze, 15,
     Rule::completedTasks, 1},
    {"ten-tasks", "Помощник", "Выполни 10 заданий", false, "star.circle.fill", silver, 40,
     Rule::completedTasks, 10},
    {"fifty-tasks", "Герой семьи", "Выполни 50 заданий", false, "person.2.fill", diamond, 110,
     Rule::completedTasks, 50},
    {"level-five", "Пятый уровень", "Достигни 5 уровня заданий", false, "5.circle.fill", gold, 65,
     Rule::taskLevel, 5},
    {"challenge", "Победитель", "Заверши первый челлендж", false, "flag.checkered", silver, 35,
     Rule::completedChallenges, 1},
    {"three-challenges", "Не сдаюсь", "Заверши 3 челленджа", false, "flame.fill", gold, 70,
     Rule::completedChallenges, 3},
    {"wish", "Мечта сбылась", "Закрой желание", false, "gift.fill", gold, 60, Rule::completedWishes, 1},
    {"debtfree", "Без долгов", "Полностью закрой свой долг", false, "checkmark.seal.fill", gold, 60,
     Rule::settledOwnDebts, 1},
    {"receipt", "Чеки в порядке", "Прикрепи фото чека", false, "doc.text.viewfinder", bronze, 15,
     Rule::receipts, 1},
    {"favorites", "Важные записи", "Добавь 5 операций в избранное", false, "star.fill", silver, 25,
     Rule::favourites, 5},
    {"tags", "Мастер тегов", "Добавь теги к 5 операциям", false, "tag.fill", silver, 25, Rule::tagged, 5},
    {"wallets", "Все кошельки", "Используй 3 разных кошелька", false, "square.stack.3d.up.fill", silver, 30,
     Rule::wallets, 3},
    {"custom-category", "Мои правила", "Создай собственную категорию", false, "paintpalette.fill", bronze, 15,
     Rule::customCategories, 1},
    {"recurring", "Автопилот", "Создай регулярную операцию", false, "repeat.circle.fill", silver, 30,
     Rule::recurring, 1},
    {"seven-days", "Неделя учёта", "Веди записи в 7 разных дней", false, "calendar.badge.checkmark", silver,
     35, Rule::distinctDays, 7},
    {"streak-seven", "Серия 7 дней", "Добавляй операции 7 дней подряд", false, "flame.circle.fill", gold, 70,
     Rule::longestStreak, 7},
    {"month", "Месяц вместе", "Веди копилку не меньше 30 дней", false, "calendar", gold, 75,
     Rule::trackingSpan, 30},
};

double clampProgress(double value) {
    if (!(value > 0)) return 0;  // also NaN
    return std::min(value, 1.0);
}

struct Judgement {
    bool unlocked = false;
    double progress = 0;
};

Judgement byCount(qint64 value, qint64 threshold) {
    return {value >= threshold, clampProgress(double(value) / double(threshold))};
}

Judgement byMoney(const Decimal& value, qint64 threshold) {
    const Decimal limit(threshold);
    return {!(value < limit), clampProgress(money::ratio(value, limit))};
}

Judgement judge(const BadgeDefinition& definition, const BadgeStatistics& s) {
    switch (definition.rule) {
        case Rule::operations:
            return byCount(s.operations, definition.threshold);
        case Rule::incomes:
            return byCount(s.incomes, definition.threshold);
        case Rule::expenses:
            return byCount(s.expenses, definition.threshold);
        case Rule::positiveBalance: {
            const bool on = s.balance.signum() > 0;
            return {on, on ? 1.0 : 0.0};
        }
        case Rule::balance:
            return byMoney(s.balance, definition.threshold);
        case Rule::totalIncome:
            return byMoney(s.totalIncome, definition.threshold);
        case Rule::savingsRate:
            return byCount(s.savingsRate, definition.threshold);
        case Rule::budgetSet: {
            const bool on = s.monthlyBudget.signum() > 0;
            return {on, on ? 1.0 : 0.0};
        }
        case Rule::goals:
            return byCount(s.goals, definition.threshold);
        case Rule::goalReached:
            return {s.reachedGoals >= definition.threshold, clampProgress(s.goalProgress)};
        case Rule::completedTasks:
            return byCount(s.completedTasks, definition.threshold);
        case Rule::taskLevel:
            return byCount(money::addSaturated(s.taskPoints / 100, 1), definition.threshold);
        case Rule::completedChallenges:
            return byCount(s.completedChallenges, definition.threshold);
        case Rule::completedWishes:
            return byCount(s.completedWishes, definition.threshold);
        case Rule::settledOwnDebts:
            return byCount(s.settledOwnDebts, definition.threshold);
        case Rule::receipts:
            return byCount(s.receipts, definition.threshold);
        case Rule::favourites:
            return byCount(s.favourites, definition.threshold);
        case Rule::tagged:
            return byCount(s.tagged, definition.threshold);
        case Rule::wallets:
            return byCount(s.wallets, definition.threshold);
        case Rule::customCategories:
            return byCount(s.customCategories, definition.threshold);
        case Rule::recurring:
            return byCount(s.recurringOperations, definition.threshold);
        case Rule::distinctDays:
            return byCount(s.distinctDays, definition.threshold);
        case Rule::longestStreak:
            return byCount(s.longestStreak, definition.threshold);
        case Rule::trackingSpan:
            return byCount(s.trackingSpanDays, definition.threshold);
    }
    return {};
}

}  // namespace

BadgeStatistics badgeStatistics(const MoneyData& data, const QueryContext& ctx, const QString& currencyCode) {
    return badgeStatistics(data, summarize(data, ctx, LedgerSummary::withTotals | LedgerSummary::withBadgeCounts), ctx,
                           currencyCode);
}

BadgeStatistics badgeStatistics(const MoneyData& data, const LedgerSummary& summary, const QueryContext& ctx,
                                const QString& currencyCode) {
    BadgeStatistics s;
    s.operations = qint64(data.transactions.size());
    s.incomes = summary.incomes;
    s.expenses = summary.expenses;
    s.balance = summary.balance;
    s.totalIncome = summary.totalIncome;
    s.receipts = summary.receipts;
    s.favourites = summary.favourites;
    s.tagged = summary.tagged;
    s.wallets = summary.wallets;
    s.savingsRate = savingsRate(summary.month);
    s.monthlyBudget = data.monthlyBudget.value_or(Decimal());

    const std::vector<SavingsGoal> all = goals(data);
    s.goals = qint64(all.size());
    s.reachedGoals = std::count_if(all.begin(), all.end(), [&](const SavingsGoal& g) {
        return g.amount.signum() > 0 && !(s.balance < g.amount);
    });
    // The main goal's share of the balance (ledger::goalProgress), without walking the ledger again.
    if (data.goalAmount.signum() > 0)
        s.goalProgress = std::clamp(money::ratio(s.balance, data.goalAmount), 0.0, 1.0);

    s.completedTasks = completedTaskCount(data);
    s.taskPoints = taskPoints(data);
    for (const SavingsChallenge& c : challengesInUse(data, ctx, currencyCode))
        if (c.isCompleted) ++s.completedChallenges;
    if (data.wishes)
        for (const WishItem& w : *data.wishes)
            if (w.isCompleted) ++s.completedWishes;
    if (data.debts)
        for (const DebtRecord& d : *data.debts)
            if (d.direction == DebtDirection::iOwe && d.isSettled) ++s.settledOwnDebts;
    s.customCategories = qint64(data.customIncomeCategories.value_or(std::vector<QString>{}).size() +
                                data.customExpenseCategories.value_or(std::vector<QString>{}).size());
    s.recurringOperations = qint64(data.recurringTransactions ? data.recurringTransactions->size() : 0);

    s.distinctDays = summary.distinctDays;
    s.longestStreak = summary.longestStreak;
    s.trackingSpanDays = summary.trackingSpanDays;
    return s;
}

std::vector<MoneyBadge> badges(const BadgeStatistics& stats, const QString& currencyCode) {
    std::vector<MoneyBadge> list;
    list.reserve(std::size(kCatalogue));
    for (const BadgeDefinition& definition : kCatalogue) {
        const Judgement j = judge(definition, stats);
        QString detail = QString::fromUtf8(definition.detail);
        if (definition.moneyDetail) detail += currencyCode;
        list.push_back({QString::fromUtf8(definition.id), QString::fromUtf8(definition.title), detail,
                        QString::fromUtf8(definition.symbol), definition.tier, definition.points, j.progress, j.unlocked});
    }
    return list;
}

std::vector<MoneyBadge> badges(const MoneyData& data, const QueryContext& ctx, const QString& currencyCode) {
    return badges(badgeStatistics(data, ctx, currencyCode), currencyCode);
}

std::vector<MoneyBadge> unlockedBadges(const std::vector<MoneyBadge>& all) {
    std::vector<MoneyBadge> unlocked;
    std::copy_if(all.begin(), all.end(), std::back_inserter(unlocked),
                 [](const MoneyBadge& b) { return b.isUnlocked; });
    return unlocked;
}

qint64 badgePoints(const std::vector<MoneyBadge>& all) {
    qint64 points = 0;
    for (const MoneyBadge& b : all)
        if (b.isUnlocked) points = money::addSaturated(points, b.points);
    return points;
}

double badgeCollectionProgress(const std::vector<MoneyBadge>& all) {
    if (all.empty()) return 0;
    const auto unlocked =
        std::count_if(all.begin(), all.end(), [](const MoneyBadge& b) { return b.isUnlocked; });
    return double(unlocked) / double(all.size());
}

namespace {
LedgerSummary daySummary(const MoneyData& data, const LedgerCalendar& calendar) {
    // The day statistics do not depend on the moment of the query.
    return summarize(data, QueryContext{calendar, QDateTime()}, LedgerSummary::withBadgeCounts);
}
}  // namespace

qint64 transactionDayCount(const MoneyData& data, const LedgerCalendar& calendar) {
    return daySummary(data, calendar).distinctDays;
}

qint64 longestTransactionStreak(const MoneyData& data, const LedgerCalendar& calendar) {
    return daySummary(data, calendar).longestStreak;
}

qint64 trackingSpanDays(const MoneyData& data, const LedgerCalendar& calendar) {
    return daySummary(data, calendar).trackingSpanDays;
}

}  // namespace ledger
