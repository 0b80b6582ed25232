#include "DashboardFixture.h"
#include "views/ledger/LedgerFigures.h"

namespace {

using LedgerFiguresTest = DashboardFixture;

// Every figure, read through one set of figures, as the store's own queries give it.
void expectCurrent(LedgerFigures& figures, const MoneyStore& store) {
    EXPECT_EQ(figures.balance(), store.balance());
    EXPECT_EQ(figures.todayTotal(TransactionKind::income), store.total(TransactionKind::income, store.now()));
    EXPECT_EQ(figures.todayTotal(TransactionKind::expense), store.total(TransactionKind::expense, store.now()));
    EXPECT_EQ(figures.monthExpense(), store.monthTotal(TransactionKind::expense, store.now()));
    EXPECT_EQ(figures.monthExpenseByCategory(), store.expenseByCategoryForCurrentMonth());
    EXPECT_EQ(figures.safeToSpendToday(), store.safeToSpendToday());
    EXPECT_EQ(figures.smartTip(), store.smartTip());
}

}  // namespace

TEST_F(LedgerFiguresTest, EachFigureIsWorkedOutOncePerLedgerStateAndDayAndNeverStale) {
    MoneyData d = ledgerWith({income(300, local(2026, 6, 15, 9)), expense(dec("45.5"), local(2026, 6, 15, 11)),
                              expense(20, local(2026, 6, 3), "Кино"), expense(99, local(2026, 5, 31, 23))});
    d.monthlyBudget = Decimal(500);
    open(d);
    // The opening wrote the widget's snapshot from one walk of the ledger;
    // every figure of the cards comes from that same walk.
    const int before = LedgerFigures::computations(*store);
    EXPECT_EQ(before, 1);
    {
        LedgerFigures figures(*store);
        expectCurrent(figures, *store);
    }
    EXPECT_EQ(LedgerFigures::computations(*store), before);
    const int perState = 1;  // one walk gives every figure

    // Another card, a redraw for the theme, the page coming back: all shared.
    for (int reader = 0; reader < 3; ++reader) {
        LedgerFigures figures(*store);
        expectCurrent(figures, *store);
    }
    EXPECT_EQ(LedgerFigures::computations(*store), before);
    clock.set(clock.now().addSecs(3600));  // later the same day
    {
        LedgerFigures figures(*store);
        expectCurrent(figures, *store);
    }
    EXPECT_EQ(LedgerFigures::computations(*store), before);

    // One expense moves the sums by itself; anything else walks the ledger again.
    const struct {
        const char* change;
        std::function<void()> apply;
        int walks;
    } changes[] = {
        {"an expense", [&] { store->add(TransactionKind::expense, Decimal(7), "Еда", {}, clock.now(), {}, false, ""); }, 0},
        {"the budget", [&] { store->setMonthlyBudget(Decimal(800)); }, perState},
        {"the next day", [&] { clock.set(local(2026, 6, 16, 9)); }, perState},
        {"the next month", [&] { clock.set(local(2026, 7, 1, 0, 30)); }, perState},
    };
    int expected = LedgerFigures::computations(*store);
    for (const auto& c : changes) {
        c.apply();
        LedgerFigures figures(*store);
        expectCurrent(figures, *store);
        expected += c.walks;
        EXPECT_EQ(LedgerFigures::computations(*store), expected) << c.change;
    }
}

TEST_F(LedgerFiguresTest, AFigureOfItsOwnIsSharedUnderItsKeyUntilTheLedgerChanges) {
    openEmpty();
    int walks = 0;
    const auto count = [&] { return LedgerFigures(*store).shared<int>(QStringLiteral("transactions"), [&] {
        ++walks;
        return int(store->data().transactions.size());
    }); };
    EXPECT_EQ(count(), 0);
    EXPECT_EQ(count(), 0);
    EXPECT_EQ(walks, 1);
    store->add(TransactionKind::income, Decimal(1), "Подарок", {}, clock.now(), {}, false, "");
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(walks, 2);
}
