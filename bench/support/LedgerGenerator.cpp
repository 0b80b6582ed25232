#include "LedgerGenerator.h"

#include <random>

namespace {

const char* const kExpenseCategories[] = {"Еда", "Транспорт", "Развлечения", "Игры", "Одежда", "Подарки",
                                          "Школа", "Кино", "Книги", "Спорт", "Сладости", "Другое"};
const char* const kIncomeCategories[] = {"Карманные", "Подарок", "Задание", "Продажа", "Премия", "Кэшбэк"};
const char* const kNotes[] = {"",
                              "",
                              "обед в школьной столовой",
                              "подарок от бабушки на день рождения",
                              "билет на автобус / метро",
                              "новая игра для приставки",
                              "мороженое с друзьями после уроков",
                              "за помощь по дому — помыл посуду",
                              "книга «Гарри Поттер и философский камень»",
                              "продал старый велосипед соседу",
                              "кино: \"Аватар\" 3D",
                              "кружок робототехники, оплата за месяц"};
const char* const kTags[] = {"школа", "друзья", "семья", "праздник", "срочно", "хобби", "еда", "онлайн"};
const char* const kWallets[] = {"Основной", "Копилка", "Карта", "Наличные"};
const char* const kTitles[] = {"Новый телефон", "Велосипед", "Наушники", "Лего Техник", "Поездка на море",
                               "Скейтборд", "Книга про космос", "Конструктор", "Фотоаппарат", "Часы"};
const char* const kPeople[] = {"Петя", "Аня", "Мама", "Папа", "Бабушка", "Серёжа", "Катя"};

class Generator {
public:
    explicit Generator(std::uint32_t seed) : rng_(seed) {}

    std::uint32_t below(std::uint32_t n) { return std::uint32_t(rng_() % n); }
    bool chance(int percent) { return below(100) < std::uint32_t(percent); }
    template <typename T, std::size_t N>
    QString pick(const T (&list)[N]) {
        return QString::fromUtf8(list[below(N)]);
    }

    // Amounts with zero, one or two decimals, mostly small.
    Decimal amount(std::uint32_t maxUnits) {
        const std::uint64_t cents = 100 + below(maxUnits * 100);
        const int kind = int(below(3));
        const std::uint64_t value = kind == 0 ? cents / 100 * 100 : (kind == 1 ? cents / 10 * 10 : cents);
        return *Decimal::checkedDiv(Decimal((long long)value), Decimal(100));
    }

    QUuid uuid() {
        const std::uint32_t a = rng_(), b = rng_(), c = rng_(), d = rng_();
        return QUuid(a, ushort(b), ushort((b >> 16 & 0x0fff) | 0x4000), uchar(0x80 | (c & 0x3f)), uchar(c >> 8),
                     uchar(c >> 16), uchar(c >> 24), uchar(d), uchar(d >> 8), uchar(d >> 16), uchar(d >> 24));
    }
    QString id() { return uuid().toString(QUuid::WithoutBraces).toUpper(); }

    // A moment in the three years before the fixed end date.
    QDateTime date() { return QDateTime::fromSecsSinceEpoch(kEnd - qint64(below(3 * 365 * 86400)), Qt::UTC); }
    QDateTime futureDate() { return QDateTime::fromSecsSinceEpoch(kEnd + qint64(below(365 * 86400)), Qt::UTC); }

private:
    static constexpr qint64 kEnd = 1791080818;  // 2026-10-04T02:26:58Z
    std::mt19937 rng_;
};

MoneyTransaction transaction(Generator& g) {
    MoneyTransaction t;
    t.id = g.uuid();
    t.kind = g.chance(80) ? TransactionKind::expense : TransactionKind::income;
    t.amount = g.amount(t.kind == TransactionKind::expense ? 900 : 3000);
    t.category = t.kind == TransactionKind::expense ? g.pick(kExpenseCategories) : g.pick(kIncomeCategories);
    t.note = g.pick(kNotes);
    t.date = g.date();
    if (g.chance(50)) {
        QStringList tags;
        for (std::uint32_t i = 0, n = g.below(4); i < n; ++i) tags.push_back(g.pick(kTags));
        t.tags = std::move(tags);
    }
    if (g.chance(30)) t.isFavorite = g.chance(40);
    if (g.chance(30)) t.wallet = g.pick(kWallets);
    if (g.chance(5)) t.receiptFilename = g.id() + QStringLiteral(".jpg");
    return t;
}

}  // namespace

MoneyData generateLedger(int transactionCount, std::uint32_t seed) {
    Generator g(seed);
    MoneyData d = MoneyData::emptyLedger();
    d.startingBalance = g.amount(5000);
    d.goalName = QStringLiteral("Велосипед");
    d.goalAmount = Decimal(25000);
    d.dailyLimit = Decimal(500);
    d.monthlyBudget = Decimal(8000);
    d.transactions.reserve(std::size_t(transactionCount));
    for (int i = 0; i < transactionCount; ++i) d.transactions.push_back(transaction(g));

    // Everything else grows slowly with the ledger, as a real one does.
    const int records = 5 + transactionCount / 500;
    for (int i = 0; i < records; ++i) {
        d.additionalGoals->push_back({g.id(), g.pick(kTitles), g.amount(40000),
                                      g.chance(50) ? std::optional(g.futureDate()) : std::nullopt,
                                      g.chance(20) ? std::optional(true) : std::nullopt});
        d.rewardTasks->push_back({g.id(), QStringLiteral("Убрать комнату №%1").arg(i), g.amount(300),
                                  qint64(g.below(40)), g.date(), g.chance(50) ? std::optional(g.futureDate()) : std::nullopt,
                                  qint64(1 + g.below(3)), g.chance(60)});
        d.quickTemplates->push_back({g.id(), g.pick(kNotes) + QStringLiteral(" (шаблон)"),
                                     g.chance(70) ? TransactionKind::expense : TransactionKind::income, g.amount(500),
                                     g.pick(kExpenseCategories)});
        const Decimal price = g.amount(20000);
        d.wishes->push_back({g.id(), g.pick(kTitles), price, *Decimal::checkedDiv(price, Decimal(3)), g.date(), false});
        d.debts->push_back({g.id(), g.pick(kPeople), g.amount(1000),
                            g.chance(50) ? DebtDirection::owesMe : DebtDirection::iOwe, g.pick(kNotes),
                            g.chance(50) ? std::optional(g.futureDate()) : std::nullopt, g.chance(30)});
        const QDateTime start = g.date();
        d.challenges->push_back({g.id(), QStringLiteral("Челлендж: неделя без сладкого"),
                                 g.chance(50) ? ChallengeKind::saving : ChallengeKind::habit, Decimal(30),
                                 Decimal((long long)g.below(30)), start, start.addDays(30), false});
        d.recurringTransactions->push_back({g.id(), QStringLiteral("Карманные деньги"), TransactionKind::income,
                                            g.amount(1000), QStringLiteral("Карманные"),
                                            g.chance(50) ? RecurringFrequency::weekly : RecurringFrequency::monthly,
                                            g.futureDate(), g.chance(80)});
    }
    for (const char* c : kExpenseCategories) d.categoryBudgets->insert(QString::fromUtf8(c), g.amount(3000));
    d.customIncomeCategories->push_back(QStringLiteral("Репетиторство"));
    d.customExpenseCategories->push_back(QStringLiteral("Подписки / онлайн"));
    return d;
}
