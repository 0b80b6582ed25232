#include "LedgerFixture.h"

namespace {
using K = TransactionKind;

std::vector<QUuid> idsOf(const MoneyStore& s) {
    std::vector<QUuid> ids;
    for (const MoneyTransaction& t : s.data().transactions) ids.push_back(t.id);
    return ids;
}
}  // namespace

// --- add -------------------------------------------------------------------------

using AddTransaction = LedgerFixture;

TEST_F(AddTransaction, StoresTheValuesAsGivenAndSavesOnce) {
    MoneyStore& s = openEmpty();
    QSignalSpy changed(&s, &MoneyStore::dataChanged);
    s.add(K::expense, Decimal(-4), "", "", local(2026, 6, 1, 8), {}, false, "Основной");
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(saves(), 1);
    ASSERT_EQ(s.data().transactions.size(), 1u);
    const MoneyTransaction& t = s.data().transactions[0];
    EXPECT_FALSE(t.id.isNull());
    EXPECT_EQ(t.amount, Decimal(-4));
    EXPECT_EQ(t.category, "");
    EXPECT_EQ(t.date, local(2026, 6, 1, 8));
    EXPECT_EQ(t.tags, std::vector<QString>{});
    EXPECT_EQ(t.isFavorite, false);
    EXPECT_EQ(t.wallet, "Основной");
    EXPECT_FALSE(t.receiptFilename);
    EXPECT_EQ(onDisk(), s.data());
    const QByteArray file = readFile(anonymousFile());
    EXPECT_TRUE(file.contains("\"tags\" : [") || file.contains("\"tags\": [")) << file.constData();
    EXPECT_TRUE(file.contains("\"isFavorite\""));
    EXPECT_FALSE(file.contains("\"receiptFilename\""));
}

TEST_F(AddTransaction, AppendsAtTheEndWithFreshIds) {
    MoneyStore& s = openEmpty();
    s.add(K::income, Decimal(5), "A", "n", local(2026, 6, 2), {"x", "x"}, true, "Карта", QString("r.jpg"));
    s.add(K::expense, Decimal(1), "B", "", local(2020, 1, 1), {}, false, "Основной");
    ASSERT_EQ(s.data().transactions.size(), 2u);
    EXPECT_EQ(s.data().transactions[0].category, "A");
    EXPECT_EQ(s.data().transactions[0].tags, (std::vector<QString>{"x", "x"}));
    EXPECT_EQ(s.data().transactions[0].receiptFilename, "r.jpg");
    EXPECT_EQ(s.data().transactions[1].category, "B");
    EXPECT_NE(s.data().transactions[0].id, s.data().transactions[1].id);
}

// --- delete and undo ---------------------------------------------------------------

class DeleteAndUndo : public LedgerFixture {
protected:
    DeleteAndUndo() {
        a = expense(Decimal(1), local(2026, 6, 1), "A");
        b = expense(Decimal(2), local(2026, 6, 2), "B");
        c = expense(Decimal(3), local(2026, 6, 3), "C");
        d = expense(Decimal(4), local(2026, 6, 4), "D");
    }
    MoneyStore& openAbcd() { return open(ledgerWith({a, b, c, d})); }
    MoneyTransaction a, b, c, d;
};

TEST_F(DeleteAndUndo, UndoRestoresAtTheEndWithTheSameIds) {
    MoneyStore& s = openAbcd();
    s.deleteTransactions({b.id});
    EXPECT_TRUE(s.canUndoDelete());
    EXPECT_EQ(idsOf(s), (std::vector<QUuid>{a.id, c.id, d.id}));
    EXPECT_EQ(onDisk()->transactions.size(), 3u);
    s.undoDelete();
    EXPECT_FALSE(s.canUndoDelete());
    EXPECT_EQ(idsOf(s), (std::vector<QUuid>{a.id, c.id, d.id, b.id}));
    EXPECT_EQ(s.data().transactions.back(), b);
    EXPECT_EQ(onDisk(), s.data());
    EXPECT_EQ(saves(), 2);
}

TEST_F(DeleteAndUndo, OnlyTheLastDeletionCanBeUndone) {
    MoneyStore& s = openAbcd();
    s.deleteTransactions({a.id});
    s.deleteTransactions({b.id});
    s.undoDelete();
    EXPECT_EQ(idsOf(s), (std::vector<QUuid>{c.id, d.id, b.id}));
}

TEST_F(DeleteAndUndo, UndoAfterAnAddPutsTheDeletedAfterTheNewOne) {
    MoneyStore& s = openAbcd();
    s.deleteTransactions({a.id});
    s.add(K::income, Decimal(9), "E", "", local(2026, 6, 5), {}, false, "Основной");
    s.duplicateTransaction(c.id);
    s.toggleFavorite(d.id);
    EXPECT_TRUE(s.canUndoDelete());
    s.undoDelete();
    const auto& list = s.data().transactions;
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list[3].category, "E");
    EXPECT_EQ(list[4].category, "C");  // the copy
    EXPECT_EQ(list[5].id, a.id);
}

TEST_F(DeleteAndUndo, SeveralAtOnceComeBackInTheirFormerOrder) {
    MoneyStore& s = openAbcd();
    s.deleteTransactions({d.id, a.id, c.id});
    EXPECT_EQ(idsOf(s), (std::vector<QUuid>{b.id}));
    s.undoDelete();
    EXPECT_EQ(idsOf(s), (std::vector<QUuid>{b.id, a.id, c.id, d.id}));
}

TEST_F(DeleteAndUndo, SecondUndoDoesNothingAndDoesNotSave) {
    MoneyStore& s = openAbcd();
    s.deleteTransactions({a.id});
    s.undoDelete();
    const int before = saves();
    QSignalSpy changed(&s, &MoneyStore::dataChanged);
    s.undoDelete();
    EXPECT_EQ(saves(), before);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(s.data().transactions.size(), 4u);
}

TEST_F(DeleteAndUndo, DeletingNothingEmptiesTheBufferAndStillSaves) {
    MoneyStore& s = openAbcd();
    s.deleteTransactions({a.id});
    s.deleteTransactions({QUuid::createUuid()});
    EXPECT_FALSE(s.canUndoDelete());
    EXPECT_EQ(saves(), 2);
    s.deleteTransactions({});
    EXPECT_EQ(saves(), 3);
    s.undoDelete();
    EXPECT_EQ(idsOf(s), (std::vector<QUuid>{b.id, c.id, d.id}));  // a is gone for good
}

TEST_F(DeleteAndUndo, PublishesTheLedgerThenTheUndoFlagThenSaves) {
    MoneyStore& s = openAbcd();
    QStringList order;
    std::vector<std::size_t> onDiskAtFlag;
    QObject::connect(&s, &MoneyStore::dataChanged, [&] { order << "data"; });
    QObject::connect(&s, &MoneyStore::canUndoDeleteChanged, [&] {
        order << "undo";
        onDiskAtFlag.push_back(onDisk()->transactions.size());
    });
    s.deleteTransactions({a.id});
    s.undoDelete();
    EXPECT_EQ(order, (QStringList{"data", "undo", "data", "undo"}));
    EXPECT_EQ(onDiskAtFlag, (std::vector<std::size_t>{4, 3}));  // written only after the flag
    EXPECT_EQ(onDisk()->transactions.size(), 4u);
}

TEST_F(DeleteAndUndo, SwitchingTheProfileMakesTheDeletionFinal) {
    MoneyStore& s = openAbcd();
    s.deleteTransactions({a.id});
    s.activateProfile(ProfileUser{"kid-1", "Kid", "kid@example.org"});
    EXPECT_FALSE(s.canUndoDelete());
    s.activateProfile(std::nullopt);
    s.undoDelete();
    EXPECT_EQ(idsOf(s), (std::vector<QUuid>{b.id, c.id, d.id}));
}

TEST_F(DeleteAndUndo, DeletingKeepsTheReceiptName) {
    a.receiptFilename = "ABC.jpg";
    MoneyStore& s = openAbcd();
    s.deleteTransactions({a.id});
    s.undoDelete();
    EXPECT_EQ(s.data().transactions.back().receiptFilename, "ABC.jpg");
}

// --- favourite, duplicate, update -----------------------------------------------------

using EditTransactions = LedgerFixture;

TEST_F(EditTransactions, ToggleFavoriteTreatsAbsentAsFalse) {
    MoneyTransaction t = expense(Decimal(1), local(2026, 6, 1));
    MoneyStore& s = open(ledgerWith({t}));
    s.toggleFavorite(t.id);
    EXPECT_EQ(s.data().transactions[0].isFavorite, true);
    s.toggleFavorite(t.id);
    EXPECT_EQ(s.data().transactions[0].isFavorite, std::optional<bool>(false));
    EXPECT_EQ(onDisk(), s.data());
    EXPECT_EQ(saves(), 2);
    s.toggleFavorite(QUuid::createUuid());
    EXPECT_EQ(saves(), 2);
}

TEST_F(EditTransactions, DuplicateIsDatedNowWithDefaultsFilledIn) {
    setNow(local(2026, 6, 15, 14));
    MoneyTransaction source = expense(dec("12.5"), local(2026, 5, 3), "Кино");
    source.note = "с другом";
    source.receiptFilename = "R.jpg";
    MoneyTransaction favourite = income(Decimal(2), local(2026, 6, 1));
    favourite.isFavorite = true;
    favourite.wallet = "Карта";
    favourite.tags = std::vector<QString>{"a"};
    MoneyStore& s = open(ledgerWith({source, favourite}));
    s.deleteTransactions({QUuid::createUuid()});  // the undo flag must stay as it is
    s.duplicateTransaction(source.id);
    s.duplicateTransaction(favourite.id);

    const auto& list = s.data().transactions;
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], source);  // the source is untouched
    const MoneyTransaction& copy = list[2];
    EXPECT_NE(copy.id, source.id);
    EXPECT_EQ(copy.date, s.now());
    EXPECT_EQ(copy.amount, dec("12.5"));
    EXPECT_EQ(copy.note, "с другом");
    EXPECT_EQ(copy.tags, std::vector<QString>{});
    EXPECT_EQ(copy.isFavorite, false);
    EXPECT_EQ(copy.wallet, "Основной");
    EXPECT_EQ(copy.receiptFilename, "R.jpg");  // both name the same file
    EXPECT_EQ(list[3].isFavorite, true);
    EXPECT_EQ(list[3].wallet, "Карта");
    EXPECT_EQ(list[3].tags, std::vector<QString>{"a"});
    // Both copies are dated now: they sort first, in ledger order.
    const auto sorted = s.sortedTransactions();
    EXPECT_EQ(sorted[0].id, list[2].id);
    EXPECT_EQ(sorted[1].id, list[3].id);
    EXPECT_FALSE(s.canUndoDelete());
}

TEST_F(EditTransactions, DuplicateOfAnUnknownIdDoesNothing) {
    MoneyStore& s = open(ledgerWith({expense(Decimal(1), local(2026, 6, 1))}));
    s.duplicateTransaction(QUuid::createUuid());
    EXPECT_EQ(s.data().transactions.size(), 1u);
    EXPECT_EQ(saves(), 0);
}

TEST_F(EditTransactions, UpdateReplacesEveryFieldInPlace) {
    MoneyTransaction first = expense(Decimal(1), local(2026, 6, 1));
    first.tags = std::vector<QString>{"t"};
    first.wallet = "Карта";
    first.isFavorite = true;
    MoneyTransaction second = income(Decimal(2), local(2026, 6, 2));
    MoneyStore& s = open(ledgerWith({first, second}));

    MoneyTransaction edited{first.id,          K::income,    dec("7.7"),   "Подарок",    "от бабушки",
                            local(2026, 6, 3), std::nullopt, std::nullopt, std::nullopt, QString("P.jpg")};
    s.updateTransaction(edited);
    EXPECT_EQ(s.data().transactions[0], edited);
    EXPECT_EQ(s.data().transactions[1], second);
    EXPECT_EQ(onDisk(), s.data());

    MoneyTransaction stale = edited;
    stale.id = QUuid::createUuid();
    s.updateTransaction(stale);
    EXPECT_EQ(saves(), 1);
    EXPECT_EQ(s.data().transactions.size(), 2u);
}
