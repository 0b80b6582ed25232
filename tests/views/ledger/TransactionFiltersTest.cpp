#include "views/ledger/TransactionFilters.h"

#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

const QTimeZone kUtc = QTimeZone::utc();

QDateTime utc(int month, int day, int hour = 12, int minute = 0) {
    return QDateTime(QDate(2026, month, day), QTime(hour, minute), kUtc);
}

MoneyTransaction op(const QString& category, TransactionKind kind = TransactionKind::expense, int amount = 10,
                    QDateTime date = utc(6, 15)) {
    MoneyTransaction t;
    t.id = QUuid::createUuid();
    t.kind = kind;
    t.amount = Decimal(amount);
    t.category = category;
    t.date = date;
    return t;
}

std::vector<QString> categories(const std::vector<MoneyTransaction>& all, const TransactionFilter& filter,
                                const QDateTime& now = utc(6, 15), const QTimeZone& zone = kUtc) {
    std::vector<QString> out;
    for (int i : visibleTransactionIndices(all, filter, now, zone)) out.push_back(all[static_cast<size_t>(i)].category);
    return out;
}

TransactionFilter searching(const QString& text) {
    TransactionFilter f;
    f.searchText = text;
    f.sort = TransactionSort::oldest;
    return f;
}

using List = std::vector<QString>;

}  // namespace

TEST(TransactionFilterNames, OnlyTheExactMenuLabelsMakeACase) {
    for (TransactionDateFilter f : kTransactionDateFilters) EXPECT_EQ(transactionDateFilter(rawValue(f)), f);
    for (TransactionSort s : kTransactionSorts) EXPECT_EQ(transactionSort(rawValue(s)), s);
    EXPECT_FALSE(transactionDateFilter(QStringLiteral("7 дней ")));
    EXPECT_FALSE(transactionDateFilter(QString()));
    EXPECT_FALSE(transactionSort(QStringLiteral("сначала новые")));
}

TEST(TransactionPeriods, SevenDaysStartsSixDaysBeforeNowAtTheSameTimeAndTakesTheFuture) {
    const std::vector<MoneyTransaction> all = {
        op("ровно шесть дней", TransactionKind::expense, 1, utc(6, 9, 10, 0)),
        op("минутой раньше", TransactionKind::expense, 1, utc(6, 9, 9, 59)),
        op("завтра", TransactionKind::expense, 1, utc(6, 16, 8, 0)),
        op("через год", TransactionKind::expense, 1, QDateTime(QDate(2027, 1, 1), QTime(0, 0), kUtc)),
    };
    TransactionFilter week;
    week.date = TransactionDateFilter::week;
    week.sort = TransactionSort::oldest;
    EXPECT_EQ(categories(all, week, utc(6, 15, 10, 0)), (List{"ровно шесть дней", "завтра", "через год"}));
    // A minute later the boundary moves past the first one too.
    EXPECT_EQ(categories(all, week, utc(6, 15, 10, 1)), (List{"завтра", "через год"}));
}

TEST(TransactionPeriods, SevenDaysBackAcrossAClockChangeKeepsTheWallTime) {
    // Berlin skips 02:00-03:00 on 29 March 2026. Six days before 4 April 02:30
    // summer time is the skipped 02:30, read with the winter offset: 01:30 UTC
    // (03:30 summer time), not an hour later.
    const QTimeZone berlin("Europe/Berlin");
    const QDateTime now(QDate(2026, 4, 4), QTime(2, 30), berlin);
    const std::vector<MoneyTransaction> all = {
        op("на границе", TransactionKind::expense, 1, utc(3, 29, 1, 30)),
        op("минутой раньше", TransactionKind::expense, 1, utc(3, 29, 1, 29)),
    };
    TransactionFilter week;
    week.date = TransactionDateFilter::week;
    EXPECT_EQ(categories(all, week, now, berlin), (List{"на границе"}));
}

TEST(TransactionPeriods, TodayAndMonthFollowTheGivenCalendar) {
    const std::vector<MoneyTransaction> all = {
        op("вчера поздно", TransactionKind::expense, 1, utc(6, 14, 23, 30)),
        op("сегодня", TransactionKind::expense, 1, utc(6, 15, 1, 0)),
        op("сегодня вечером", TransactionKind::expense, 1, utc(6, 15, 23, 30)),
        op("прошлый месяц", TransactionKind::expense, 1, utc(5, 31, 23, 0)),
        op("конец месяца", TransactionKind::expense, 1, utc(6, 30, 20, 0)),
        op("июль", TransactionKind::expense, 1, utc(7, 1, 0, 0)),
    };
    TransactionFilter today;
    today.date = TransactionDateFilter::today;
    today.sort = TransactionSort::oldest;
    EXPECT_EQ(categories(all, today), (List{"сегодня", "сегодня вечером"}));
    // In Berlin (UTC+2) the late evenings belong to the following days.
    const QTimeZone berlin("Europe/Berlin");
    EXPECT_EQ(categories(all, today, utc(6, 15), berlin), (List{"вчера поздно", "сегодня"}));

    TransactionFilter month;
    month.date = TransactionDateFilter::month;
    month.sort = TransactionSort::oldest;
    EXPECT_EQ(categories(all, month), (List{"вчера поздно", "сегодня", "сегодня вечером", "конец месяца"}));
    EXPECT_EQ(categories(all, month, utc(6, 15), berlin),
              (List{"прошлый месяц", "вчера поздно", "сегодня", "сегодня вечером", "конец месяца"}));
}

TEST(TransactionSearch, LooksInCategoryNoteWalletAndTagsIgnoringCase) {
    MoneyTransaction food = op("Еда");
    food.note = "Обед в кафе";
    food.wallet = "Копилка";
    food.tags = QStringList{"школа", "друзья"};
    MoneyTransaction game = op("Игры", TransactionKind::expense, 150);
    game.note = "";
    const std::vector<MoneyTransaction> all = {food, game};

    EXPECT_EQ(categories(all, searching("еДА")), (List{"Еда"}));
    EXPECT_EQ(categories(all, searching("КАФЕ")), (List{"Еда"}));
    EXPECT_EQ(categories(all, searching("копил")), (List{"Еда"}));
    EXPECT_EQ(categories(all, searching("Друзья")), (List{"Еда"}));
    // Tags are joined by single spaces, so two tags can be found together.
    EXPECT_EQ(categories(all, searching("школа друзья")), (List{"Еда"}));
    // Neither the amount nor the date is searched.
    EXPECT_TRUE(categories(all, searching("150")).empty());
    EXPECT_TRUE(categories(all, searching("2026")).empty());
    // A transaction without wallet or tags is still searched by its other parts.
    EXPECT_EQ(categories(all, searching("игр")), (List{"Игры"}));
}

TEST(TransactionSearch, SpacesCountAsTyped) {
    MoneyTransaction food = op("Кафе");
    food.note = "кафе у дома";
    const MoneyTransaction bare = op("Кино");
    const std::vector<MoneyTransaction> all = {food, bare, op("Кафетерий")};

    // One space is in every combined text (the separators).
    EXPECT_EQ(categories(all, searching(" ")), (List{"Кафе", "Кино", "Кафетерий"}));
    // A leading space never matches at the start of the category, only after a separator.
    EXPECT_EQ(categories(all, searching(" кафе")), (List{"Кафе"}));
    EXPECT_TRUE(categories({bare, op("Кафетерий")}, searching(" кафе")).empty());
    // Not trimmed: a trailing space needs a space after the word.
    EXPECT_EQ(categories(all, searching("кафе ")), (List{"Кафе"}));
    EXPECT_EQ(categories(all, searching("")), (List{"Кафе", "Кино", "Кафетерий"}));
}

TEST(TransactionSorts, AreStableAndCompareSignedAmountsWhateverTheKind) {
    const QDateTime same = utc(6, 10);
    const std::vector<MoneyTransaction> all = {
        op("a5", TransactionKind::expense, 5, utc(6, 1)),      op("b20", TransactionKind::income, 20, same),
        op("c20", TransactionKind::expense, 20, utc(6, 3)),    op("d5", TransactionKind::income, 5, same),
        op("e-3", TransactionKind::expense, -3, utc(6, 12)),
    };
    TransactionFilter f;
    f.sort = TransactionSort::biggest;
    EXPECT_EQ(categories(all, f), (List{"b20", "c20", "a5", "d5", "e-3"}));
    f.sort = TransactionSort::smallest;
    EXPECT_EQ(categories(all, f), (List{"e-3", "a5", "d5", "b20", "c20"}));
    f.sort = TransactionSort::newest;
    EXPECT_EQ(categories(all, f), (List{"e-3", "b20", "d5", "c20", "a5"}));
    f.sort = TransactionSort::oldest;
    EXPECT_EQ(categories(all, f), (List{"a5", "c20", "b20", "d5", "e-3"}));
}

TEST(TransactionFilterCombination, EveryTestMustPassAndTheTotalNetsKinds) {
    MoneyTransaction favouriteIncome = op("Подарок", TransactionKind::income, 100, utc(6, 14));
    favouriteIncome.isFavorite = true;
    MoneyTransaction favouriteExpense = op("Подарок маме", TransactionKind::expense, 150, utc(6, 14));
    favouriteExpense.isFavorite = true;
    MoneyTransaction plainExpense = op("Подарок другу", TransactionKind::expense, 30, utc(6, 14));
    plainExpense.isFavorite = false;
    MoneyTransaction oldFavourite = op("Подарок бабушке", TransactionKind::expense, 40, utc(5, 1));
    oldFavourite.isFavorite = true;
    const MoneyTransaction unmarked = op("Подарок брату", TransactionKind::expense, 7, utc(6, 14));
    const std::vector<MoneyTransaction> all = {favouriteIncome, favouriteExpense, plainExpense, oldFavourite,
                                               unmarked, op("Еда", TransactionKind::expense, 1, utc(6, 14))};

    TransactionFilter f;
    f.searchText = "подарок";
    f.favoritesOnly = true;
    f.date = TransactionDateFilter::week;
    EXPECT_EQ(categories(all, f), (List{"Подарок", "Подарок маме"}));
    EXPECT_EQ(visibleTotal(all, visibleTransactionIndices(all, f, utc(6, 15), kUtc)), Decimal(-50));
    f.kind = TransactionKind::expense;
    EXPECT_EQ(categories(all, f), (List{"Подарок маме"}));
    f.favoritesOnly = false;
    EXPECT_EQ(categories(all, f), (List{"Подарок маме", "Подарок другу", "Подарок брату"}));
    f.kind = TransactionKind::income;
    f.date = TransactionDateFilter::today;
    EXPECT_TRUE(categories(all, f).empty());
    EXPECT_EQ(visibleTotal(all, {}), Decimal(0));
}
