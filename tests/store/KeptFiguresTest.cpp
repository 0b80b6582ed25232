// Figures kept beside the store: one walk of the ledger per state serves the
// screens, the widget's snapshot and the goal notifications, and no reader
// ever gets the figures of an earlier state.
#include <functional>

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
        {"an expense", [&] { store->add(TransactionKind::expense, Decimal(7), "Еда", {}, clock.now(), {}, false, ""); }, 1},
        {"a deletion", [&] { store->deleteTransactions({store->data().transactions.front().id}); }, 1},
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
