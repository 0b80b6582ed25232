#pragma once

#include "models/Decimal.h"

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>
#include <vector>

// The ledger's records. Plain values: copying copies, nothing refers to the store.
// Dates are absolute points in time held as UTC QDateTime; optional fields are
// std::optional so that "absent" and "present but empty/false" stay distinct.

enum class TransactionKind { income, expense };
enum class DebtDirection { owesMe, iOwe };
enum class ChallengeKind { saving, habit };
enum class RecurringFrequency { weekly, monthly };
enum class BadgeTier { bronze, silver, gold, diamond };

// Raw values (the JSON form) and exact, case-sensitive construction from them.
QString rawValue(TransactionKind v);
QString rawValue(DebtDirection v);
QString rawValue(ChallengeKind v);
QString rawValue(RecurringFrequency v);
QString rawValue(BadgeTier v);
std::optional<TransactionKind> transactionKindFromRaw(const QString& raw);
std::optional<DebtDirection> debtDirectionFromRaw(const QString& raw);
std::optional<ChallengeKind> challengeKindFromRaw(const QString& raw);
std::optional<RecurringFrequency> recurringFrequencyFromRaw(const QString& raw);
std::optional<BadgeTier> badgeTierFromRaw(const QString& raw);
// All cases in picker order.
const std::vector<TransactionKind>& allTransactionKinds();
const std::vector<DebtDirection>& allDebtDirections();
const std::vector<ChallengeKind>& allChallengeKinds();
const std::vector<RecurringFrequency>& allRecurringFrequencies();
const std::vector<BadgeTier>& allBadgeTiers();

struct MoneyTransaction {
    QUuid id;
    TransactionKind kind = TransactionKind::expense;
    Decimal amount;
    QString category;
    QString note;
    QDateTime date;
    // Shared between copies of a ledger, so that copying one and letting go of
    // it allocates and frees nothing per record.
    std::optional<QStringList> tags;
    std::optional<bool> isFavorite;
    std::optional<QString> wallet;
    std::optional<QString> receiptFilename;

    bool operator==(const MoneyTransaction&) const = default;
};

struct SavingsGoal {
    QString id;
    QString name;
    Decimal amount;
    std::optional<QDateTime> deadline;
    std::optional<bool> isArchived;

    bool operator==(const SavingsGoal&) const = default;
};

struct RewardTask {
    QString id;
    QString title;
    Decimal reward;
    qint64 completionCount = 0;
    std::optional<QDateTime> lastCompletedAt;
    std::optional<QDateTime> dueDate;
    std::optional<qint64> difficulty;
    std::optional<bool> isRecurring;

    bool operator==(const RewardTask&) const = default;
};

struct QuickTemplate {
    QString id;
    QString title;
    TransactionKind kind = TransactionKind::expense;
    Decimal amount;
    QString category;

    bool operator==(const QuickTemplate&) const = default;
};

struct WishItem {
    QString id;
    QString title;
    Decimal price;
    Decimal savedAmount;
    QDateTime createdAt;
    bool isCompleted = false;

    bool operator==(const WishItem&) const = default;
};

struct DebtRecord {
    QString id;
    QString person;
    Decimal amount;
    DebtDirection direction = DebtDirection::owesMe;
    QString note;
    std::optional<QDateTime> dueDate;
    bool isSettled = false;

    bool operator==(const DebtRecord&) const = default;
};

struct SavingsChallenge {
    QString id;
    QString title;
    ChallengeKind kind = ChallengeKind::saving;
    Decimal target;
    Decimal progress;
    QDateTime startDate;
    QDateTime endDate;
    bool isCompleted = false;

    bool operator==(const SavingsChallenge&) const = default;
};

struct RecurringTransaction {
    QString id;
    QString title;
    TransactionKind kind = TransactionKind::expense;
    Decimal amount;
    QString category;
    RecurringFrequency frequency = RecurringFrequency::monthly;
    QDateTime nextDate;
    bool isActive = true;

    bool operator==(const RecurringTransaction&) const = default;
};

// One profile's whole ledger. Default-constructed it is the five required
// fields zeroed with every optional absent; emptyLedger() is the starting
// document of a profile without a readable file.
struct MoneyData {
    Decimal startingBalance;
    std::vector<MoneyTransaction> transactions;
    QString goalName;
    Decimal goalAmount;
    Decimal dailyLimit;
    std::optional<std::vector<SavingsGoal>> additionalGoals;
    std::optional<std::vector<QString>> customIncomeCategories;
    std::optional<std::vector<QString>> customExpenseCategories;
    std::optional<std::vector<RewardTask>> rewardTasks;
    std::optional<Decimal> monthlyBudget;
    std::optional<QMap<QString, Decimal>> categoryBudgets;
    std::optional<std::vector<QuickTemplate>> quickTemplates;
    std::optional<std::vector<WishItem>> wishes;
    std::optional<std::vector<DebtRecord>> debts;
    std::optional<std::vector<SavingsChallenge>> challenges;
    std::optional<std::vector<RecurringTransaction>> recurringTransactions;

    bool operator==(const MoneyData&) const = default;

    static MoneyData emptyLedger();
};

// Computed rows, never stored.
struct MoneyBadge {
    QString id;
    QString title;
    QString detail;
    QString symbol;
    BadgeTier tier = BadgeTier::bronze;
    qint64 points = 0;
    double progress = 0;
    bool isUnlocked = false;

    bool operator==(const MoneyBadge&) const = default;
};

struct CategoryAmount {
    QString name;
    Decimal amount;

    QString identity() const { return name; }
    bool operator==(const CategoryAmount&) const = default;
};

struct DailyAmount {
    QDateTime date;
    TransactionKind kind = TransactionKind::expense;
    Decimal amount;

    // Seconds since 1970 as the shortest round-trip double text, always with a
    // fraction ("1700000000.0"), then "-" and the kind's raw value.
    QString identity() const;
    bool operator==(const DailyAmount&) const = default;
};
