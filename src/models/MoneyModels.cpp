#include "models/MoneyModels.h"

#include <charconv>

namespace {

// Looks a raw value up in a case table; exact and case-sensitive.
template <typename E, std::size_t N>
std::optional<E> fromRawTable(const QString& raw, const std::pair<E, const char*> (&table)[N]) {
    for (const auto& [value, text] : table) {
        if (raw == QLatin1String(text)) return value;
    }
    return std::nullopt;
}

template <typename E, std::size_t N>
QString rawFromTable(E v, const std::pair<E, const char*> (&table)[N]) {
    for (const auto& [value, text] : table) {
        if (value == v) return QString::fromLatin1(text);
    }
    return QString();
}

template <typename E, std::size_t N>
std::vector<E> casesOf(const std::pair<E, const char*> (&table)[N]) {
    std::vector<E> cases;
    for (const auto& entry : table) cases.push_back(entry.first);
    return cases;
}

// Tables in picker order.
constexpr std::pair<TransactionKind, const char*> kKinds[] = {{TransactionKind::income, "income"},
                                                              {TransactionKind::expense, "expense"}};
constexpr std::pair<DebtDirection, const char*> kDirections[] = {{DebtDirection::owesMe, "owesMe"},
                                                                 {DebtDirection::iOwe, "iOwe"}};
constexpr std::pair<ChallengeKind, const char*> kChallengeKinds[] = {{ChallengeKind::saving, "saving"},
                                                                     {ChallengeKind::habit, "habit"}};
constexpr std::pair<RecurringFrequency, const char*> kFrequencies[] = {{RecurringFrequency::weekly, "weekly"},
                                                                       {RecurringFrequency::monthly, "monthly"}};
constexpr std::pair<BadgeTier, const char*> kTiers[] = {{BadgeTier::bronze, "bronze"},
                                                        {BadgeTier::silver, "silver"},
                                                        {BadgeTier::gold, "gold"},
                                                        {BadgeTier::diamond, "diamond"}};

}  // namespace

QString rawValue(TransactionKind v) { return rawFromTable(v, kKinds); }
QString rawValue(DebtDirection v) { return rawFromTable(v, kDirections); }
QString rawValue(ChallengeKind v) { return rawFromTable(v, kChallengeKinds); }
QString rawValue(RecurringFrequency v) { return rawFromTable(v, kFrequencies); }
QString rawValue(BadgeTier v) { return rawFromTable(v, kTiers); }

std::optional<TransactionKind> transactionKindFromRaw(const QString& raw) { return fromRawTable(raw, kKinds); }
std::optional<DebtDirection> debtDirectionFromRaw(const QString& raw) { return fromRawTable(raw, kDirections); }
std::optional<ChallengeKind> challengeKindFromRaw(const QString& raw) { return fromRawTable(raw, kChallengeKinds); }
std::optional<RecurringFrequency> recurringFrequencyFromRaw(const QString& raw) {
    return fromRawTable(raw, kFrequencies);
}
std::optional<BadgeTier> badgeTierFromRaw(const QString& raw) { return fromRawTable(raw, kTiers); }

const std::vector<TransactionKind>& allTransactionKinds() {
    static const std::vector<TransactionKind> cases = casesOf(kKinds);
    return cases;
}
const std::vector<DebtDirection>& allDebtDirections() {
    static const std::vector<DebtDirection> cases = casesOf(kDirections);
    return cases;
}
const std::vector<ChallengeKind>& allChallengeKinds() {
    static const std::vector<ChallengeKind> cases = casesOf(kChallengeKinds);
    return cases;
}
const std::vector<RecurringFrequency>& allRecurringFrequencies() {
    static const std::vector<RecurringFrequency> cases = casesOf(kFrequencies);
    return cases;
}
const std::vector<BadgeTier>& allBadgeTiers() {
    static const std::vector<BadgeTier> cases = casesOf(kTiers);
    return cases;
}

MoneyData MoneyData::emptyLedger() {
    MoneyData data;
    data.additionalGoals.emplace();
    data.customIncomeCategories.emplace();
    data.customExpenseCategories.emplace();
    data.rewardTasks.emplace();
    data.monthlyBudget = Decimal();
    data.categoryBudgets.emplace();
    data.quickTemplates.emplace();
    data.wishes.emplace();
    data.debts.emplace();
    data.challenges.emplace();
    data.recurringTransactions.emplace();
    return data;
}

QString DailyAmount::identity() const {
    // Fixed notation with the fewest digits that read back as the same double:
    // no exponent for any date, and ".0" marks a whole number of seconds.
    const double seconds = double(date.toMSecsSinceEpoch()) / 1000.0;
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, seconds, std::chars_format::fixed);
    QString text = QString::fromLatin1(buf, int(res.ptr - buf));
    if (!text.contains(QLatin1Char('.'))) text += QLatin1String(".0");
    return text + QLatin1Char('-') + rawValue(kind);
}
