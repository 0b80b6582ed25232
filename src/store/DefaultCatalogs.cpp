#include "store/DefaultCatalogs.h"

#include "store/LedgerCalendar.h"

namespace {
// Calendar arithmetic in the store's zone keeps the wall-clock time; a result
// the calendar cannot form falls back to the moment itself.
QDateTime inZonePlus(const QDateTime& now, const QTimeZone& zone, int days, int months) {
    const LedgerCalendar calendar(zone);
    const QDateTime moved = months != 0 ? calendar.addingMonths(now, months) : calendar.addingDays(now, days);
    return moved.isValid() ? moved : now;
}
}  // namespace

std::vector<RewardTask> defaultRewardTasks() {
    return {
        RewardTask{QStringLiteral("starter-clean-floor"), QStringLiteral("Помыл полы:)"), Decimal(10), 0,
                   std::nullopt, std::nullopt, 1, true},
        RewardTask{QStringLiteral("starter-it-help"), QStringLiteral("Помог маме/папе с IT и технологиями"),
                   Decimal(20), 0, std::nullopt, std::nullopt, 1, true},
    };
}

std::vector<QuickTemplate> defaultQuickTemplates() {
    return {
        QuickTemplate{QStringLiteral("template-snack"), QStringLiteral("Перекус"), TransactionKind::expense,
                      Decimal(15), QStringLiteral("Еда")},
        QuickTemplate{QStringLiteral("template-transport"), QStringLiteral("Транспорт"), TransactionKind::expense,
                      Decimal(3), QStringLiteral("Транспорт")},
        QuickTemplate{QStringLiteral("template-help"), QStringLiteral("Помощь с IT"), TransactionKind::income,
                      Decimal(20), QStringLiteral("Помог маме/папе с IT и технологиями")},
    };
}

std::vector<SavingsChallenge> defaultChallenges(const QDateTime& now, const QTimeZone& zone,
                                                const QString& currencyCode) {
    const QDateTime start = now.toUTC();
    return {
        SavingsChallenge{QStringLiteral("challenge-no-sweets"), QStringLiteral("Неделя без сладкого"),
                         ChallengeKind::habit, Decimal(7), Decimal(0), start, inZonePlus(start, zone, 7, 0),
                         false},
        SavingsChallenge{QStringLiteral("challenge-save-500"), QStringLiteral("Накопить 500 ") + currencyCode,
                         ChallengeKind::saving, Decimal(500), Decimal(0), start, inZonePlus(start, zone, 0, 1),
                         false},
    };
}
