// Copies of a large ledger share their records' texts and tag lists, and a
// ledger replaced by such a copy is let go without touching what the new one
// still shares with it.
#include <QThreadPool>

#include "StoreFixture.h"

namespace {

class LedgerCopiesTest : public StoreFixture {
protected:
    // A ledger large enough to be let go away from the calling thread.
    static MoneyData ledgerOf(int count) {
        MoneyData d = MoneyData::emptyLedger();
        d.transactions.reserve(std::size_t(count));
        for (int i = 0; i < count; ++i) {
            MoneyTransaction t;
            t.id = QUuid::createUuid();
            t.kind = i % 5 ? TransactionKind::expense : TransactionKind::income;
            t.amount = Decimal(i % 97 + 1);
            t.category = QStringLiteral("Еда ") + QString::number(i % 7);
            t.note = QStringLiteral("заметка ") + QString::number(i);
            t.date = QDateTime(QDate(2026, 6, 1), QTime(12, 0), QTimeZone::utc()).addSecs(i);
            if (i % 2) t.tags = QStringList{QStringLiteral("школа"), QString::number(i)};
            d.transactions.push_back(std::move(t));
        }
        d.challenges.emplace();
        return d;
    }
};

TEST_F(LedgerCopiesTest, ACopyWithOneRecordChangedSharesEveryTagListAndSurvivesTheOldOnesRelease) {
    for (const int count : {10, 20'000}) {
        open(ledgerOf(count));
        const MoneyData before = store->data();
        MoneyData copy = store->data();
        for (std::size_t i = 0; i < copy.transactions.size(); ++i)
            if (copy.transactions[i].tags)
                ASSERT_EQ(copy.transactions[i].tags->constData(), store->data().transactions[i].tags->constData())
                    << "a copied record allocates no tag list of its own";
        copy.monthlyBudget = Decimal(count);
        MoneyData expected = copy;
        store->setData(std::move(copy));
        QThreadPool::globalInstance()->waitForDone();
        EXPECT_EQ(store->data(), expected) << count;
        EXPECT_EQ(store->data().transactions, before.transactions) << count;
        // Still shared with the copy kept here: the released ledger took only its own references.
        EXPECT_EQ(store->data().transactions.back().note.constData(), expected.transactions.back().note.constData());
    }
}

}  // namespace
