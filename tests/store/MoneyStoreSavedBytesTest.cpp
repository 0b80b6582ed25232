// The store keeps each transaction's encoded bytes between saves: whatever
// the operations did, the file it writes must be the whole ledger's encoding,
// byte for byte, written once per change.
#include "LedgerGenerator.h"
#include "StoreFixture.h"

namespace {

class MoneyStoreSavedBytes : public StoreFixture {
protected:
    // The file of the active profile against a whole encoding of the ledger in memory.
    ::testing::AssertionResult fileIsWholeEncoding(const QString& path) const {
        const QByteArray file = readFile(path);
        const QByteArray whole = encodeMoneyData(store->data());
        if (file == whole) return ::testing::AssertionSuccess();
        qsizetype at = 0;
        while (at < file.size() && at < whole.size() && file[at] == whole[at]) ++at;
        return ::testing::AssertionFailure() << "file of " << file.size() << " bytes, encoding of " << whole.size()
                                             << ", first difference at byte " << at;
    }
};

TEST_F(MoneyStoreSavedBytes, FileIsTheWholeEncodingAfterEveryOperation) {
    MoneyStore& s = open(generateLedger(300));
    const auto transaction = [&](std::size_t at) { return s.data().transactions.at(at); };
    struct Step {
        const char* name;
        std::function<void()> run;
    };
    const std::vector<Step> steps = {
        {"add", [&] { s.add(TransactionKind::expense, dec("7"), "Еда", "обед / ужин", clock.now(), {"школа"}, true, "Карта"); }},
        {"add again", [&] { s.add(TransactionKind::income, dec("100"), "Подарок", "", clock.now(), {}, false, "Основной"); }},
        {"edit", [&] {
             MoneyTransaction t = transaction(150);
             t.amount = dec("42.5");
             t.note = QStringLiteral("исправлено \"вручную\"");
             s.updateTransaction(t);
         }},
        {"favourite", [&] { s.toggleFavorite(transaction(10).id); }},
        {"duplicate", [&] { s.duplicateTransaction(transaction(20).id); }},
        {"delete", [&] { s.deleteTransactions({transaction(0).id, transaction(77).id, transaction(299).id}); }},
        {"undo the delete", [&] { s.undoDelete(); }},
        {"settings", [&] { s.updateSettings("Самокат / ролики", dec("5000"), dec("150"), dec("12.34")); }},
        {"monthly budget", [&] { s.setMonthlyBudget(dec("3000")); }},
        {"category budget", [&] { s.setCategoryBudget("Кино", dec("400")); }},
        {"recurring added", [&] {
             s.addRecurring("Карманные", TransactionKind::income, dec("500"), "Карманные", RecurringFrequency::weekly,
                            clock.now().addDays(-30));
         }},
        {"recurring booked", [&] { s.processDueRecurringTransactions(clock.now()); }},
        {"goal", [&] { s.addGoal("Велосипед", dec("9000"), std::nullopt); }},
        {"delete after the booking", [&] { s.deleteTransactions({s.data().transactions.back().id}); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const int before = saves();
        step.run();
        EXPECT_EQ(saves(), before + 1);
        ASSERT_TRUE(fileIsWholeEncoding(anonymousFile()));
    }
}

TEST_F(MoneyStoreSavedBytes, FileIsTheWholeEncodingAfterTheLedgerIsReplaced) {
    MoneyStore& s = open(generateLedger(200));
    s.add(TransactionKind::expense, dec("1"), "Еда", "", clock.now(), {}, false, "Основной");
    ASSERT_TRUE(fileIsWholeEncoding(anonymousFile()));

    // Another profile, then back: each file holds its own ledger, whole.
    s.activateProfile(ProfileUser{"user-1", "Аня", "anya@example.com"});
    const QString userFile = *s.filePath();
    s.add(TransactionKind::expense, dec("2"), "Кино", "", clock.now(), {}, false, "Основной");
    ASSERT_TRUE(fileIsWholeEncoding(userFile));
    s.activateProfile(std::nullopt);
    s.add(TransactionKind::expense, dec("3"), "Игры", "", clock.now(), {}, false, "Основной");
    ASSERT_TRUE(fileIsWholeEncoding(anonymousFile()));

    // A ledger replaced in memory with records of the same ids but other
    // contents: none of the kept bytes may reach the file.
    MoneyData replaced = s.data();
    for (MoneyTransaction& t : replaced.transactions) t.amount = dec("0.01");
    s.setData(replaced);
    s.toggleFavorite(replaced.transactions.front().id);
    ASSERT_TRUE(fileIsWholeEncoding(anonymousFile()));
}

}  // namespace
