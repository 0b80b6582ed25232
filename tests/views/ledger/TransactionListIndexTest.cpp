#include "views/ledger/TransactionListIndex.h"

#include <random>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

const QTimeZone kUtc = QTimeZone::utc();
const QDateTime kNow(QDate(2026, 6, 15), QTime(12, 0), kUtc);

MoneyTransaction op(const QString& category, TransactionKind kind, const char* amount, const QDateTime& date,
                    const QString& note = {}) {
    MoneyTransaction t;
    t.id = QUuid::createUuid();
    t.kind = kind;
    t.amount = *Decimal::parse(amount);
    t.category = category;
    t.note = note;
    t.date = date;
    return t;
}

QDateTime june(int day, int hour = 12) { return QDateTime(QDate(2026, 6, day), QTime(hour, 0), kUtc); }

Decimal decimalSum(const std::vector<MoneyTransaction>& all, const std::vector<int>& positions) {
    Decimal sum;
    for (int i : positions) {
        const MoneyTransaction& t = all[static_cast<size_t>(i)];
        sum = t.kind == TransactionKind::income ? sum + t.amount : sum - t.amount;
    }
    return sum;
}

}  // namespace

// The search compares case-folded texts: it finds exactly what a
// case-insensitive match of the row's text finds, for letters whose cases
// differ in more than a bit (Cyrillic ё, Greek final sigma, the German
// sharp s, Turkish dotted i, a letter outside the basic plane).
TEST(TransactionListIndexSearch, FindsWhatACaseInsensitiveMatchFinds) {
    const std::vector<QString> texts = {
        QStringLiteral("Ёлка и ЁЖИК"), QStringLiteral("ΟΔΟΣ οδος"), QStringLiteral("Straße STRASSE ẞ"),
        QStringLiteral("İstanbul ısı"), QStringLiteral("𐐀𐐨 deseret"), QStringLiteral("ǅemal ǆ"),
        QStringLiteral("Кино: \"Аватар\" 3D"),
    };
    const std::vector<QString> needles = {
        QStringLiteral("ё"),  QStringLiteral("ЁЖ"),  QStringLiteral("σ"),   QStringLiteral("ς"),
        QStringLiteral("ΟΔΟΣ"), QStringLiteral("ß"),  QStringLiteral("ss"),  QStringLiteral("ẞ"),
        QStringLiteral("i"),  QStringLiteral("İ"),   QStringLiteral("I"),   QStringLiteral("𐐨"),
        QStringLiteral("𐐀"), QStringLiteral("ǆ"),   QStringLiteral("Ǆ"),   QStringLiteral("аватар\" 3d"),
        QStringLiteral(" "),  QStringLiteral("x"),
    };
    std::vector<MoneyTransaction> all;
    for (const QString& text : texts) all.push_back(op(text, TransactionKind::expense, "1", june(1)));
    const TransactionListIndex index(all);
    for (const QString& needle : needles) {
        TransactionFilter filter;
        filter.sort = TransactionSort::oldest;
        filter.searchText = needle;
        std::vector<int> expected;
        for (int i = 0; i < static_cast<int>(texts.size()); ++i)
            if ((texts[size_t(i)] + QStringLiteral("   ")).contains(needle, Qt::CaseInsensitive)) expected.push_back(i);
        EXPECT_EQ(index.visible(filter, kNow, kUtc), expected) << needle.toStdString();
    }
}

// One index answers a run of filters as fresh ones do: the orders and folded
// texts it keeps after the first query never leak into the next (equal dates
// and amounts keep their ledger order after every filter).
TEST(TransactionListIndexQueries, ARunOfFiltersAnswersAsFreshOnes) {
    std::vector<MoneyTransaction> all = {
        op("Еда", TransactionKind::expense, "5", june(14), "обед"),
        op("Подарок", TransactionKind::income, "500", june(14), "от бабушки"),
        op("Еда", TransactionKind::expense, "5", june(15, 9)),
        op("Кино", TransactionKind::expense, "350.5", june(1)),
        op("Еда", TransactionKind::expense, "12.25", june(14), "ужин"),
        op("Карманные", TransactionKind::income, "5", june(15, 10)),
    };
    all[2].isFavorite = true;
    all[5].isFavorite = true;
    all[5].tags = QStringList{QStringLiteral("семья"), QStringLiteral("ЕДА")};
    all[3].wallet = QStringLiteral("Копилка");

    struct Query {
        TransactionSort sort;
        std::optional<TransactionKind> kind;
        TransactionDateFilter period;
        bool favourites;
        const char* search;
        std::vector<int> expected;
    };
    const std::vector<Query> queries = {
        {TransactionSort::newest, {}, TransactionDateFilter::all, false, "", {5, 2, 0, 1, 4, 3}},
        {TransactionSort::newest, {}, TransactionDateFilter::all, false, "еда", {5, 2, 0, 4}},
        {TransactionSort::biggest, {}, TransactionDateFilter::all, false, "", {1, 3, 4, 0, 2, 5}},
        {TransactionSort::smallest, TransactionKind::expense, TransactionDateFilter::all, false, "", {0, 2, 4, 3}},
        {TransactionSort::oldest, {}, TransactionDateFilter::today, false, "", {2, 5}},
        {TransactionSort::oldest, {}, TransactionDateFilter::all, true, "", {2, 5}},
        {TransactionSort::newest, {}, TransactionDateFilter::week, false, "КОП", {}},
        {TransactionSort::oldest, {}, TransactionDateFilter::all, false, "коп", {3}},
        {TransactionSort::biggest, TransactionKind::income, TransactionDateFilter::month, false, "", {1, 5}},
        {TransactionSort::newest, {}, TransactionDateFilter::all, false, "", {5, 2, 0, 1, 4, 3}},
    };
    const TransactionListIndex reused(all);
    for (const Query& q : queries) {
        TransactionFilter filter;
        filter.sort = q.sort;
        filter.kind = q.kind;
        filter.date = q.period;
        filter.favoritesOnly = q.favourites;
        filter.searchText = QString::fromUtf8(q.search);
        SCOPED_TRACE(rawValue(q.sort).toStdString() + " " + q.search);
        const std::vector<int> rows = reused.visible(filter, kNow, kUtc);
        EXPECT_EQ(rows, q.expected);
        EXPECT_EQ(rows, TransactionListIndex(all).visible(filter, kNow, kUtc));
        EXPECT_EQ(reused.total(rows), decimalSum(all, rows));
    }
}

// The total adds amounts as whole units of the finest amount in the ledger,
// and falls back to adding decimals when an amount is too large or too fine
// for that: either way it is the exact decimal sum.
TEST(TransactionListIndexTotals, AreTheExactDecimalSum) {
    const std::vector<std::vector<const char*>> ledgers = {
        {"0.005", "12.5", "1e3", "7", "-2.25"},
        {"999999999999.99", "0.01", "123456789.123"},
        {"1e20", "0.5"},                             // 10^21 half-units: summed as decimals
        {"0.0000000000000000001", "100000"},         // too fine for 64-bit units
        {"5", "5"},                                  // an income and an expense that cancel
    };
    for (const auto& amounts : ledgers) {
        std::vector<MoneyTransaction> all;
        for (size_t i = 0; i < amounts.size(); ++i)
            all.push_back(op("Тест", i % 2 ? TransactionKind::expense : TransactionKind::income, amounts[i], june(1)));
        const TransactionListIndex index(all);
        std::vector<int> every(all.size());
        for (size_t i = 0; i < every.size(); ++i) every[i] = static_cast<int>(i);
        const std::vector<int> some = {static_cast<int>(all.size()) - 1};
        SCOPED_TRACE(amounts.front());
        EXPECT_EQ(index.total(every), decimalSum(all, every));
        EXPECT_EQ(index.total(some), decimalSum(all, some));
        EXPECT_EQ(index.total({}), Decimal());
    }
}

// Every sort is the ledger stably ordered by its key, for keys on both sides
// of zero (dates before 1970, negative amounts), far apart and equal, and for
// amounts too fine to count in whole units.
TEST(TransactionListIndexQueries, SortsAreStableOverEveryKey) {
    const std::vector<QDateTime> dates = {
        QDateTime(QDate(1969, 12, 31), QTime(23, 59), kUtc), QDateTime(QDate(1970, 1, 1), QTime(0, 0), kUtc),
        june(3), june(3), QDateTime(QDate(2099, 1, 1), QTime(0, 0), kUtc), QDateTime(QDate(1900, 5, 5), QTime(1, 0), kUtc)};
    for (const std::vector<const char*>& amounts :
         {std::vector<const char*>{"-3", "0", "5", "5.5", "-1000000", "123456789.01", "0.01"},
          std::vector<const char*>{"1e-30", "2", "-2", "1e-30"}}) {
        std::vector<MoneyTransaction> all;
        for (int i = 0; i < 300; ++i)
            all.push_back(op("Тест", i % 3 ? TransactionKind::expense : TransactionKind::income,
                             amounts[size_t(i * 7 % int(amounts.size()))], dates[size_t(i * 5 % int(dates.size()))]));
        const TransactionListIndex index(all);
        for (TransactionSort sort : kTransactionSorts) {
            std::vector<int> expected(all.size());
            for (size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<int>(i);
            std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
                const MoneyTransaction& x = all[size_t(a)];
                const MoneyTransaction& y = all[size_t(b)];
                switch (sort) {
                case TransactionSort::newest: return x.date > y.date;
                case TransactionSort::oldest: return x.date < y.date;
                case TransactionSort::biggest: return x.amount > y.amount;
                case TransactionSort::smallest: return x.amount < y.amount;
                }
                return false;
            });
            TransactionFilter filter;
            filter.sort = sort;
            EXPECT_EQ(index.visible(filter, kNow, kUtc), expected) << rawValue(sort).toStdString() << amounts[0];
        }
    }
}

// A ledger written as it happens runs in date order already (oldest first,
// or newest first after an import): its order by date is found without
// sorting, and must still be the stable sort's, equal instants in ledger
// order; one operation out of place makes it sort as any other ledger.
TEST(TransactionListIndexQueries, LedgersAlreadyInDateOrderSortAsStablyAsOthers) {
    struct Ledger {
        const char* name;
        std::vector<int> days;  // of June, one operation each, in ledger order
    };
    const Ledger ledgers[] = {
        {"empty", {}},
        {"one", {5}},
        {"oldest first with runs", {1, 1, 2, 3, 3, 3, 7, 9, 9}},
        {"newest first with runs", {9, 9, 7, 3, 3, 3, 2, 1, 1}},
        {"all on one day", {4, 4, 4, 4}},
        {"oldest first but the last", {1, 2, 3, 4, 5, 2}},
        {"newest first but the first", {1, 9, 8, 7, 6, 5}},
    };
    for (const Ledger& ledger : ledgers) {
        std::vector<MoneyTransaction> all;
        for (size_t i = 0; i < ledger.days.size(); ++i)
            all.push_back(op(QString::number(i), TransactionKind::expense, "1", june(ledger.days[i])));
        const TransactionListIndex index(all);
        for (TransactionSort sort : {TransactionSort::newest, TransactionSort::oldest}) {
            std::vector<int> expected(all.size());
            for (size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<int>(i);
            std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
                return sort == TransactionSort::newest ? all[size_t(a)].date > all[size_t(b)].date
                                                       : all[size_t(a)].date < all[size_t(b)].date;
            });
            TransactionFilter filter;
            filter.sort = sort;
            EXPECT_EQ(index.visible(filter, kNow, kUtc), expected) << ledger.name << " " << rawValue(sort).toStdString();
        }
    }
}

// An index that follows one transaction added, edited or removed answers
// every filter, sort and search after every step exactly as an index built
// afresh from the changed ledger: edits that move a transaction across days,
// months, kinds, amounts and texts, removals of the first, the last and the
// only transaction, equal instants and equal amounts (whose order is the
// ledger's). An amount finer than the index's units is refused, never
// answered wrongly.
TEST(TransactionListIndexFollowing, AnswersAsAFreshIndexAfterEveryChange) {
    const QStringList categories = {"Еда", "Кино", "ёлка", "Игры"};
    const QDateTime instants[] = {june(15, 9), june(15, 9), june(14, 23), june(1, 0), june(10),
                                  QDateTime(QDate(2026, 5, 31), QTime(23, 0), kUtc), june(30, 23)};
    const char* amounts[] = {"7", "7", "0.5", "123.45", "0", "1000000"};
    std::mt19937 random(20261207);
    const auto pick = [&](int n) { return int(random() % unsigned(n)); };
    const auto some = [&] {
        MoneyTransaction t = op(categories[pick(4)], pick(3) == 0 ? TransactionKind::income : TransactionKind::expense,
                                pick(30) == 0 ? "0.001" : amounts[pick(6)], instants[pick(7)],
                                pick(2) ? QStringLiteral("Ёж") : QString());
        t.isFavorite = pick(2) == 0;
        if (pick(3) == 0) t.tags = QStringList{"Подарок", "ЁЛКА"};
        if (pick(2) == 0) t.wallet = QStringLiteral("Основной");
        return t;
    };
    std::vector<MoneyTransaction> all;
    for (int i = 0; i < 3; ++i) {
        all.push_back(some());
        all.back().amount = Decimal(i + 1);
    }
    std::optional<TransactionListIndex> index(std::in_place, all);
    std::vector<TransactionFilter> filters;
    for (TransactionSort sort : kTransactionSorts)
        for (TransactionDateFilter date : kTransactionDateFilters)
            for (int kind = 0; kind < 3; ++kind)
                for (const QString& search : {QString(), QStringLiteral("ёж"), QStringLiteral("ЁЛ")}) {
                    TransactionFilter f;
                    f.sort = sort;
                    f.date = date;
                    f.kind = kind == 0 ? std::nullopt : std::optional(kind == 1 ? TransactionKind::income : TransactionKind::expense);
                    f.favoritesOnly = kind == 2 && search.isEmpty();
                    f.searchText = search;
                    filters.push_back(f);
                }
    const QDateTime now = june(15, 12);
    // Every order and the search texts worked out, so each is followed.
    for (const TransactionFilter& f : filters) index->visible(f, now, kUtc);

    int followed = 0, refused = 0;
    for (int step = 0; step < 300; ++step) {
        const int choice = all.empty() ? 0 : pick(10);
        bool kept = false;
        std::string what;
        if (choice < 4) {
            all.push_back(some());
            kept = index->added();
            what = "add";
        } else if (choice < 8) {
            const int which = pick(3);
            const std::size_t at = which == 0 ? 0 : which == 1 ? all.size() - 1 : std::size_t(pick(int(all.size())));
            const MoneyTransaction other = some();
            MoneyTransaction& t = all[at];
            switch (pick(5)) {
                case 0: t.amount = other.amount; break;
                case 1: t.date = other.date; break;
                case 2: t.category = other.category; t.note = other.note; t.tags = other.tags; break;
                case 3: t.isFavorite = other.isFavorite; t.kind = other.kind; break;
                default: t = other; t.id = all[at].id; break;
            }
            kept = index->replaced(at);
            what = "edit at " + std::to_string(at);
        } else {
            const int which = pick(3);
            const std::size_t at = which == 0 ? 0 : which == 1 ? all.size() - 1 : std::size_t(pick(int(all.size())));
            all.erase(all.begin() + std::ptrdiff_t(at));
            kept = index->removed(at);
            what = "removal at " + std::to_string(at);
        }
        (kept ? followed : refused) += 1;
        if (!kept) {
            index.emplace(all);
            for (const TransactionFilter& f : filters) index->visible(f, now, kUtc);
        }
        const TransactionListIndex fresh(all);
        ASSERT_EQ(index->size(), fresh.size()) << step << ": " << what;
        for (const TransactionFilter& f : filters) {
            const std::vector<int> shown = index->visible(f, now, kUtc);
            ASSERT_EQ(shown, fresh.visible(f, now, kUtc))
                << step << ": " << what << ", sort " << int(f.sort) << ", period " << int(f.date) << ", search "
                << f.searchText.toStdString();
            ASSERT_EQ(index->total(shown), decimalSum(all, shown)) << step << ": " << what;
        }
    }
    // Refused only for an amount finer than the units (or after one).
    EXPECT_GT(followed, 200);
    EXPECT_GT(refused, 0);
}
