#include "StoreFixture.h"

namespace {
using K = TransactionKind;

std::vector<QUuid> idsOf(const MoneyStore& s) {
    std::vector<QUuid> ids;
    for (const MoneyTransaction& t : s.data().transactions) ids.push_back(t.id);
    return ids;
}
}  // namespace

using AddTransaction = StoreFixture;

TEST_F(AddTransaction, StoresTheValuesAsGivenAtTheEndAndSavesOnce) {
    MoneyStore& s = openEmpty();
    QSignalSpy changed(&s, &MoneyStore::dataChanged);
    s.add(K::expense, Decimal(-4), "", "", local(2026, 6, 1, 8), {}, false, "Основной");
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(saves(), 1);
    ASSERT_EQ(s.data().transactions.size(), 1u);
    expectBooked(s.data().transactions[0], K::expense, Decimal(-4), "", "", local(2026, 6, 1, 8));
    EXPECT_EQ(onDisk(), s.data());
    const QByteArray file = readFile(anonymousFile());
    EXPECT_TRUE(file.contains("\"tags\" : [") || file.contains("\"tags\": [")) << file.constData();
    EXPECT_TRUE(file.contains("\"isFavorite\""));
    EXPECT_FALSE(file.contains("\"receiptFilename\""));

    s.add(K::income, Decimal(5), "A", "n", local(2026, 6, 2), {"x", "x"}, true, "Карта", QString("r.jpg"));
    ASSERT_EQ(s.data().transactions.size(), 2u);
    const MoneyTransaction& second = s.data().transactions[1];
    EXPECT_NE(second.id, s.data().transactions[0].id);
    EXPECT_EQ(second, (MoneyTransaction{second.id, K::income, Decimal(5), "A", "n", local(2026, 6, 2),
                                        QStringList{"x", "x"}, true, "Карта", "r.jpg"}));
}

class DeleteAndUndo : public StoreFixture {
protected:
    DeleteAndUndo() {
        a = expense(Decimal(1), local(2026, 6, 1), "A");
        b = expense(Decimal(2), local(2026, 6, 2), "B");
        c = expense(Decimal(3), local(2026, 6, 3), "C");
        d = expense(Decimal(4), local(2026, 6, 4), "D");
        a.receiptFilename = "ABC.jpg";
    }
    MoneyStore& openAbcd() { return open(ledgerWith({a, b, c, d})); }
    MoneyTransaction a, b, c, d;
};

TEST_F(DeleteAndUndo, UndoRestoresAtTheEndWithTheSameValuesOnce) {
    MoneyStore& s = openAbcd();
    s.deleteTransactions({b.id});
    EXPECT_TRUE(s.canUndoDelete());
    EXPECT_EQ(idsOf(s), (std::vector<QUuid>{a.id, c.id, d.id}));
    EXPECT_EQ(onDisk()->transactions.size(), 3u);
    s.undoDelete();
    EXPECT_FALSE(s.canUndoDelete());
    EXPECT_EQ(idsOf(s), (std::vector<QUuid>{a.id, c.id, d.id, b.id}));
    EXPECT_EQ(onDisk(), s.data());
    EXPECT_EQ(saves(), 2);
    s.undoDelete();  // the buffer is spent
    EXPECT_EQ(s.data().transactions.size(), 4u);
    EXPECT_EQ(saves(), 2);

    s.deleteTransactions({a.id});  // the receipt name comes back too
    s.undoDelete();
    EXPECT_EQ(s.data().transactions.back(), a);
}

// Undo puts back only the last deletion, after whatever was added since, in the
// deleted transactions' former order.
TEST_F(DeleteAndUndo, OnlyTheLastDeletionComesBackLastInItsFormerOrder) {
    MoneyStore& s = openAbcd();
    s.deleteTransactions({c.id});
    s.deleteTransactions({d.id, a.id});
    s.add(K::income, Decimal(9), "E", "", local(2026, 6, 5), {}, false, "Основной");
    s.duplicateTransaction(b.id);
    s.toggleFavorite(b.id);
    EXPECT_TRUE(s.canUndoDelete());
    s.undoDelete();
    const auto& list = s.data().transactions;
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0].id, b.id);
    EXPECT_EQ(list[1].category, "E");
    EXPECT_EQ(list[2].category, "B");  // the copy
    EXPECT_EQ(list[3].id, a.id);
    EXPECT_EQ(list[4].id, d.id);
}

TEST_F(DeleteAndUndo, DeletingNothingOrSwitchingTheProfileMakesTheDeletionFinal) {
    MoneyStore& s = openAbcd();
    s.deleteTransactions({a.id});
    s.deleteTransactions({QUuid::createUuid()});
    EXPECT_FALSE(s.canUndoDelete());
    EXPECT_EQ(saves(), 2);
    s.deleteTransactions({});
    EXPECT_EQ(saves(), 3);
    s.undoDelete();
    EXPECT_EQ(idsOf(s), (std::vector<QUuid>{b.id, c.id, d.id}));

    s.deleteTransactions({b.id});
    s.activateProfile(ProfileUser{"kid-1", "Kid", "kid@example.org"});
    EXPECT_FALSE(s.canUndoDelete());
    s.activateProfile(std::nullopt);
    s.undoDelete();
    EXPECT_EQ(idsOf(s), (std::vector<QUuid>{c.id, d.id}));
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

using EditTransactions = StoreFixture;

TEST_F(EditTransactions, ToggleFavoriteTreatsAbsentAsFalse) {
    MoneyTransaction t = expense(Decimal(1), local(2026, 6, 1));
    MoneyStore& s = open(ledgerWith({t}));
    s.toggleFavorite(t.id);
    EXPECT_EQ(s.data().transactions[0].isFavorite, true);
    s.toggleFavorite(t.id);
    EXPECT_EQ(s.data().transactions[0].isFavorite, std::optional<bool>(false));
    EXPECT_EQ(onDisk(), s.data());
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
    favourite.tags = QStringList{"a"};
    MoneyStore& s = open(ledgerWith({source, favourite}));
    s.deleteTransactions({QUuid::createUuid()});  // the undo flag must stay as it is
    s.duplicateTransaction(source.id);
    s.duplicateTransaction(favourite.id);

    const auto& list = s.data().transactions;
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], source);  // the source is untouched
    EXPECT_NE(list[2].id, source.id);
    // Both copies name the same receipt file.
    EXPECT_EQ(list[2], (MoneyTransaction{list[2].id, K::expense, dec("12.5"), "Кино", "с другом", s.now(),
                                         QStringList{}, false, "Основной", "R.jpg"}));
    EXPECT_EQ(list[3], (MoneyTransaction{list[3].id, K::income, Decimal(2), "Еда", "", s.now(),
                                         QStringList{"a"}, true, "Карта", std::nullopt}));
    // Both copies are dated now: they sort first, in ledger order.
    const auto sorted = s.sortedTransactions();
    EXPECT_EQ(sorted[0].id, list[2].id);
    EXPECT_EQ(sorted[1].id, list[3].id);
    EXPECT_EQ(sorted[3].id, source.id);
    EXPECT_FALSE(s.canUndoDelete());
}

TEST_F(EditTransactions, UpdateReplacesEveryFieldInPlace) {
    MoneyTransaction first = expense(Decimal(1), local(2026, 6, 1));
    first.tags = QStringList{"t"};
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
}

using SharedTextsInTheStore = StoreFixture;

// Texts typed into a form are new string objects; once stored they share the
// loaded ledger's equal texts, as the reader makes the loaded ones share.
TEST_F(SharedTextsInTheStore, NewEditedAndBookedTransactionsShareTheLedgersEqualTexts) {
    MoneyTransaction loaded = expense(Decimal(1), local(2026, 6, 1), "Еда");
    loaded.wallet = "Основной";
    loaded.tags = QStringList{"школа", "обед"};
    MoneyData d = ledgerWith({loaded});
    d.recurringTransactions = std::vector<RecurringTransaction>{
        {"R1", "Кружок", K::expense, Decimal(2), QString("Е") + "да", RecurringFrequency::monthly,
         local(2026, 6, 10), true}};
    MoneyStore& s = open(d);
    ASSERT_EQ(s.data().transactions.size(), 2u);  // the recurring one was booked at open
    // By index: every append may move the records.
    const auto at = [&](std::size_t i) -> const MoneyTransaction& { return s.data().transactions[i]; };
    const auto shares = [](const QString& a, const QString& b) { return a == b && a.isSharedWith(b); };

    EXPECT_TRUE(shares(at(1).category, at(0).category));
    EXPECT_TRUE(shares(*at(1).wallet, *at(0).wallet));

    const auto typed = [](const char* utf8) { return QString::fromUtf8(utf8).trimmed(); };
    s.add(K::expense, Decimal(3), typed("Еда "), "", clock.now(), {typed("обед"), typed("новый тег")}, false,
          typed("Основной"));
    EXPECT_TRUE(shares(at(2).category, at(0).category));
    EXPECT_TRUE(shares(*at(2).wallet, *at(0).wallet));
    EXPECT_TRUE(shares((*at(2).tags)[0], (*at(0).tags)[1]));

    // A text new to the ledger is shared from then on, as is an edited record's.
    MoneyTransaction edited = at(0);
    edited.category = typed("Кафе");
    edited.tags = QStringList{typed("новый тег")};
    s.updateTransaction(edited);
    s.add(K::expense, Decimal(4), typed("Кафе"), "", clock.now(), {}, false, typed("Основной"));
    EXPECT_TRUE(shares(at(0).category, at(3).category));
    EXPECT_TRUE(shares((*at(0).tags)[0], (*at(2).tags)[1]));

    // A ledger replaced whole is collected afresh: its texts, not the old ones, are shared.
    MoneyData other = ledgerWith({expense(Decimal(5), local(2026, 6, 2), typed("Игры"))});
    s.setData(other);
    s.add(K::expense, Decimal(6), typed("Игры"), "", clock.now(), {}, false, typed("Основной"));
    EXPECT_TRUE(shares(at(1).category, at(0).category));
    EXPECT_EQ(onDisk(), s.data());  // what is written is unchanged by the sharing
}
