// Figures kept beside the store: one walk of the ledger per state serves the
// screens, the widget's snapshot and the goal notifications, and no reader
// ever gets the figures of an earlier state.
#include <functional>
#include <random>

#include "StoreFixture.h"
#include "store/KeptFigures.h"
#include "store/LedgerSummary.h"

namespace {

class KeptFiguresTest : public StoreFixture {
protected:
    QDateTime berlin(int day, int hour) const { return QDateTime(QDate(2026, 6, day), QTime(hour, 0), zone); }

    MoneyTransaction spent(int amount, const QDateTime& when, const QString& category = QStringLiteral("Еда")) {
        MoneyTransaction t;
        t.id = QUuid::createUuid();
        t.kind = TransactionKind::expense;
        t.amount = Decimal(amount);
        t.category = category;
        t.date = when.toUTC();
        return t;
    }

    // The kept sums against a walk of the ledger made now.
    void expectCurrent(const char* after) {
        const std::shared_ptr<const ledger::LedgerSummary> kept = kept_figures::sums(*store);
        const ledger::LedgerSummary fresh = ledger::summarize(
            store->data(), store->queryContext(),
            ledger::LedgerSummary::withTotals | ledger::LedgerSummary::withCategories);
        EXPECT_EQ(kept->balance, fresh.balance) << after;
        EXPECT_EQ(kept->today, fresh.today) << after;
        EXPECT_EQ(kept->month, fresh.month) << after;
        EXPECT_EQ(kept->previousMonth, fresh.previousMonth) << after;
        EXPECT_EQ(kept->categories, fresh.categories) << after;
        EXPECT_EQ(kept_figures::sums(*store), kept) << after << ": a second reader shares the first one's sums";
    }
};

TEST_F(KeptFiguresTest, OneWalkPerStateServesTheSnapshotAndEveryReaderAndIsNeverStale) {
    MoneyData d = MoneyData::emptyLedger();
    d.startingBalance = Decimal(100);
    d.transactions = {spent(10, berlin(15, 9)), spent(20, berlin(3, 12), QStringLiteral("Кино")),
                      spent(5, berlin(1, 0))};
    open(d);
    expectCurrent("opening");

    const struct {
        const char* change;
        std::function<void()> apply;
        int walks;  // the walks this change costs, whoever reads first
    } changes[] = {
        {"an expense", [&] { store->add(TransactionKind::expense, Decimal(7), "Еда", {}, clock.now(), {}, false, ""); }, 0},
        {"a deletion", [&] { store->deleteTransactions({store->data().transactions.front().id}); }, 0},
        {"two deleted at once",
         [&] { store->deleteTransactions({store->data().transactions[0].id, store->data().transactions[1].id}); }, 1},
        {"the ledger replaced", [&] { store->setData(d); }, 1},
        {"a settings change", [&] { store->setMonthlyBudget(Decimal(300)); }, 1},
        {"later the same day", [&] { clock.set(clock.now().addSecs(3600)); }, 0},
        {"the next day", [&] { clock.set(berlin(16, 9)); }, 1},
        {"the next month", [&] { clock.set(QDateTime(QDate(2026, 7, 1), QTime(0, 30), zone)); }, 1},
    };
    for (const auto& c : changes) {
        const int before = kept_figures::sumsComputed(*store);
        c.apply();
        expectCurrent(c.change);
        expectCurrent(c.change);
        EXPECT_EQ(kept_figures::sumsComputed(*store) - before, c.walks) << c.change;
    }
    // The widget's snapshot was written from the same sums.
    store->add(TransactionKind::income, Decimal(50), "Подарок", {}, clock.now(), {}, false, "");
    EXPECT_EQ(AppGroupDefaults::open()->value("balance").toDouble(),
              kept_figures::sums(*store)->balance.toDouble());
}

// The sums follow one transaction added, edited or deleted through the
// store without walking the ledger, and after every step equal a walk of the
// ledger made then, figure for figure: edits that move a transaction across
// days, months, kinds and categories, deletions of the first, the last and
// the only transaction, equal instants, a category's first expense removed
// or moved, and amounts so large or fine that the sums could round.
TEST_F(KeptFiguresTest, SumsFollowingRandomChangesEqualAFreshWalkAfterEveryStep) {
    const QStringList categories = {"Еда", "Кино", "Игры", "Транспорт"};
    const QDateTime instants[] = {
        berlin(15, 9), berlin(15, 0), berlin(14, 23), berlin(1, 0), berlin(30, 23),
        QDateTime(QDate(2026, 5, 31), QTime(23, 59), zone), QDateTime(QDate(2026, 5, 1), QTime(0, 0), zone),
        QDateTime(QDate(2026, 4, 30), QTime(12, 0), zone), QDateTime(QDate(2026, 7, 1), QTime(0, 0), zone),
    };
    const Decimal amounts[] = {Decimal(7), *Decimal::parse("0.5"), *Decimal::parse("123.45"), Decimal(0),
                               *Decimal::parse("99999999999.99"), *Decimal::parse("0.000000000001")};
    // Amounts that could round a sum: the sums must then be walked afresh.
    const Decimal wild[] = {*Decimal::parse("12345678901234567890123456789012345678"),
                            *Decimal::parse("0.0000000000000000000000000000000000001")};
    MoneyData d = MoneyData::emptyLedger();
    d.startingBalance = *Decimal::parse("10.25");
    open(d);
    std::mt19937 random(20261207);
    const auto pick = [&](int n) { return int(random() % unsigned(n)); };
    // Wild amounts come in the last steps only.
    constexpr int kTameSteps = 200;
    int step = 0;
    const auto some = [&] {
        MoneyTransaction t;
        t.kind = pick(3) == 0 ? TransactionKind::income : TransactionKind::expense;
        t.amount = step >= kTameSteps && pick(20) == 0 ? wild[pick(2)] : amounts[pick(6)];
        t.category = categories[pick(int(categories.size()))];
        t.date = instants[pick(9)].toUTC();
        return t;
    };
    for (; step < 300; ++step) {
        const std::vector<MoneyTransaction>& all = store->data().transactions;
        const int choice = all.empty() ? 0 : pick(10);
        const int walksBefore = kept_figures::sumsComputed(*store);
        QString what;
        if (choice < 4) {
            const MoneyTransaction t = some();
            what = "add";
            store->add(t.kind, t.amount, t.category, {}, t.date, {}, false, "");
        } else if (choice < 8) {
            // The first, the last or any one, moved anywhere.
            const int which = pick(3);
            MoneyTransaction t = all[which == 0 ? 0 : which == 1 ? all.size() - 1 : std::size_t(pick(int(all.size())))];
            const MoneyTransaction other = some();
            switch (pick(4)) {
                case 0: t.amount = other.amount; break;
                case 1: t.date = other.date; break;
                case 2: t.category = other.category; break;
                default: t.kind = other.kind; t.amount = other.amount; t.date = other.date; break;
            }
            what = "edit";
            store->updateTransaction(t);
        } else {
            const int which = pick(3);
            const std::size_t at = which == 0 ? 0 : which == 1 ? all.size() - 1 : std::size_t(pick(int(all.size())));
            what = "delete";
            store->deleteTransactions({all[at].id});
        }
        const std::shared_ptr<const ledger::LedgerSummary> kept = kept_figures::sums(*store);
        // A change of one transaction among tame amounts walks nothing.
        if (step < kTameSteps) EXPECT_EQ(kept_figures::sumsComputed(*store), walksBefore) << step;
        const ledger::LedgerSummary fresh =
            ledger::summarize(store->data(), store->queryContext(), ledger::RunningSummary::kParts);
        const std::string where = "step " + std::to_string(step) + " (" + what.toStdString() + ")";
        ASSERT_EQ(kept->balance, fresh.balance) << where;
        ASSERT_EQ(kept->totalIncome, fresh.totalIncome) << where;
        ASSERT_EQ(kept->incomes, fresh.incomes) << where;
        ASSERT_EQ(kept->expenses, fresh.expenses) << where;
        ASSERT_EQ(kept->today, fresh.today) << where;
        ASSERT_EQ(kept->month, fresh.month) << where;
        ASSERT_EQ(kept->previousMonth, fresh.previousMonth) << where;
        ASSERT_EQ(kept->monthTransactionCount, fresh.monthTransactionCount) << where;
        ASSERT_EQ(kept->categories, fresh.categories) << where;
        ASSERT_EQ(kept->largestExpense, fresh.largestExpense) << where;
        ASSERT_EQ(kept->expenseCategoryNames, fresh.expenseCategoryNames) << where;
    }
}

TEST_F(KeptFiguresTest, EachKeyKeepsItsOwnFigureUntilTheStateMovesOn) {
    openEmpty();
    int walks = 0;
    const auto count = [&](const QString& key) {
        return *kept_figures::get<qsizetype>(*store, key, [&] {
            ++walks;
            return qsizetype(store->data().transactions.size());
        });
    };
    const auto text = [&] {
        return *kept_figures::get<QString>(*store, QStringLiteral("text"), [&] {
            ++walks;
            return QString::number(store->data().transactions.size());
        });
    };
    EXPECT_EQ(count("a"), 0);
    EXPECT_EQ(count("a"), 0);
    EXPECT_EQ(text(), "0");
    EXPECT_EQ(count("b"), 0);
    EXPECT_EQ(walks, 3);
    EXPECT_EQ(kept_figures::computations(*store, "a"), 1);
    store->add(TransactionKind::income, Decimal(1), "Подарок", {}, clock.now(), {}, false, "");
    EXPECT_EQ(count("a"), 1);
    EXPECT_EQ(text(), "1");
    EXPECT_EQ(walks, 5);
    EXPECT_EQ(kept_figures::computations(*store, "a"), 2);
    EXPECT_EQ(kept_figures::computations(*store, "b"), 1);
}

}  // namespace
