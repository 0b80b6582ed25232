#include "store/DemoLedger.h"

#include "store/DefaultCatalogs.h"

#include <QDate>
#include <QTime>
#include <QTimeZone>
#include <QUuid>

namespace {
struct DemoRow {
    TransactionKind kind;
    int amount;
    const char* category;
    const char* note;
    int hour, minute, second;
};

MoneyTransaction demoTransaction(const DemoRow& row, const QTimeZone& zone) {
    QDateTime date(QDate(2026, 10, 4), QTime(row.hour, row.minute, row.second), zone);
    if (!date.isValid())
        date = QDateTime::currentDateTimeUtc();
    return MoneyTransaction{QUuid::createUuid(),
                            row.kind,
                            Decimal(row.amount),
                            QString::fromUtf8(row.category),
                            QString::fromUtf8(row.note),
                            date.toUTC(),
                            QStringList{},
                            false,
                            QStringLiteral("Основной"),
                            std::nullopt};
}
}  // namespace

MoneyData demoLedger() {
    QTimeZone zone("Asia/Shanghai");
    if (!zone.isValid())
        zone = QTimeZone::systemTimeZone();

    static const DemoRow rows[] = {
        {TransactionKind::income, 470, "Без категории", "", 10, 26, 58},
        {TransactionKind::expense, 50, "Без категории", "", 10, 27, 10},
        {TransactionKind::expense, 167, "Без категории", "", 10, 27, 30},
        {TransactionKind::expense, 16, "Без категории", "", 10, 27, 40},
        {TransactionKind::income, 30, "Другое", "Убрался:)", 10, 28, 14},
        {TransactionKind::income, 10, "Другое", ":(", 12, 29, 8},
    };

    MoneyData data;
    data.startingBalance = Decimal(0);
    for (const DemoRow& row : rows)
        data.transactions.push_back(demoTransaction(row, zone));
    data.goalName = QStringLiteral("Мини ПК");
    data.goalAmount = Decimal(388);
    data.dailyLimit = Decimal(0);
    data.additionalGoals = std::vector<SavingsGoal>{};
    data.customIncomeCategories = std::vector<QString>{};
    data.customExpenseCategories = std::vector<QString>{};
    data.rewardTasks = defaultRewardTasks();
    return data;
}

QString demoAccountEmail() { return QStringLiteral("coder@zanbeck.app"); }

bool isDemoAccount(const QString& nickname, const QString& email) {
    if (QString::compare(nickname, QStringLiteral("Coder"), Qt::CaseInsensitive) == 0)
        return true;
    return QString::compare(email, demoAccountEmail(), Qt::CaseInsensitive) == 0;
}
