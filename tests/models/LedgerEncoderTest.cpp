// The kept-bytes encoder against the whole-document encoder: after every kind
// of change a ledger goes through, over generated ledgers of several sizes, it
// must give exactly encodeMoneyData's bytes, and encode again only what the
// change touched.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <random>

#include "LedgerGenerator.h"
#include "models/LedgerJson.h"

namespace {

Decimal D(const char* text) { return *Decimal::parse(std::string_view(text)); }

// Where two encodings first part, for a readable failure on a long document.
::testing::AssertionResult sameBytes(const QByteArray& got, const QByteArray& want) {
    if (got == want) return ::testing::AssertionSuccess();
    qsizetype at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    return ::testing::AssertionFailure()
           << "sizes " << got.size() << " and " << want.size() << ", first difference at byte " << at << ": got \""
           << got.mid(std::max<qsizetype>(0, at - 40), 80).toStdString() << "\", want \""
           << want.mid(std::max<qsizetype>(0, at - 40), 80).toStdString() << "\"";
}

MoneyTransaction fresh(int n) {
    return MoneyTransaction{QUuid::createUuid(), TransactionKind::expense, D("7"), QStringLiteral("Еда"),
                            QStringLiteral("новая / %1").arg(n),
                            QDateTime(QDate(2026, 10, 4), QTime(12, 0), Qt::UTC), std::nullopt, std::nullopt,
                            std::nullopt, std::nullopt};
}

// The record in the middle of the list (one made first in an empty list).
MoneyTransaction& middle(MoneyData& d) {
    if (d.transactions.empty()) d.transactions.push_back(fresh(0));
    return d.transactions[d.transactions.size() / 2];
}
MoneyTransaction& first(MoneyData& d) {
    middle(d);
    return d.transactions.front();
}

struct Change {
    const char* name;
    std::function<void(MoneyData&)> apply;
    // The records the encoder may encode again: none means "any number"
    // (a ledger replaced whole).
    std::optional<std::size_t> reencoded;
};

const std::vector<Change>& changes() {
    static const std::vector<Change> list = {
        {"add one", [](MoneyData& d) { d.transactions.push_back(fresh(1)); }, 1},
        {"add one in front", [](MoneyData& d) { d.transactions.insert(d.transactions.begin(), fresh(2)); }, 1},
        {"edit amount", [](MoneyData& d) { middle(d).amount = D("123.45"); }, 1},
        {"edit category in place", [](MoneyData& d) { middle(d).category[0] = QChar(u'Ж'); }, 1},
        {"edit note to a slash", [](MoneyData& d) { middle(d).note = QStringLiteral("a/b \"c\"\n"); }, 1},
        {"edit date", [](MoneyData& d) { middle(d).date = middle(d).date.addSecs(1); }, 1},
        {"edit kind", [](MoneyData& d) { middle(d).kind = TransactionKind::income; }, 1},
        {"edit tags", [](MoneyData& d) { middle(d).tags = QStringList{QStringLiteral("новый")}; }, 1},
        {"favourite toggled", [](MoneyData& d) { middle(d).isFavorite = !middle(d).isFavorite.value_or(false); }, 1},
        {"favourite absent to false", [](MoneyData& d) { middle(d).isFavorite = middle(d).isFavorite ? std::optional<bool>() : std::optional(false); }, 1},
        {"wallet",
         [](MoneyData& d) {
             MoneyTransaction& t = middle(d);
             t.wallet = t.wallet == QStringLiteral("Карта") ? QStringLiteral("Копилка") : QStringLiteral("Карта");
         },
         1},
        {"receipt removed", [](MoneyData& d) { middle(d).receiptFilename = middle(d).receiptFilename ? std::optional<QString>() : std::optional(QStringLiteral("r.jpg")); }, 1},
        {"edit id", [](MoneyData& d) { middle(d).id = QUuid::createUuid(); }, 1},
        {"delete one", [](MoneyData& d) { if (!d.transactions.empty()) d.transactions.erase(d.transactions.begin() + qsizetype(d.transactions.size() / 2)); }, 0},
        {"delete first and last",
         [](MoneyData& d) {
             if (!d.transactions.empty()) d.transactions.erase(d.transactions.begin());
             if (!d.transactions.empty()) d.transactions.pop_back();
         },
         0},
        {"delete every third",
         [](MoneyData& d) {
             std::vector<MoneyTransaction> kept;
             for (std::size_t i = 0; i < d.transactions.size(); ++i)
                 if (i % 3 != 1) kept.push_back(d.transactions[i]);
             d.transactions = kept;
         },
         0},
        {"delete all", [](MoneyData& d) { d.transactions.clear(); }, 0},
        {"undo a delete (back at the end)",
         [](MoneyData& d) {
             const MoneyTransaction t = first(d);
             d.transactions.erase(d.transactions.begin());
             d.transactions.push_back(t);
         },
         0},
        {"reverse", [](MoneyData& d) { std::reverse(d.transactions.begin(), d.transactions.end()); }, 0},
        {"shuffle", [](MoneyData& d) { std::shuffle(d.transactions.begin(), d.transactions.end(), std::mt19937(7)); }, 0},
        {"duplicate id with other content",
         [](MoneyData& d) {
             MoneyTransaction twin = fresh(3);
             twin.id = first(d).id;
             d.transactions.push_back(twin);
         },
         1},
        {"exact duplicate", [](MoneyData& d) { d.transactions.push_back(MoneyTransaction(first(d))); }, 1},
        {"bulk booking of recurring operations",
         [](MoneyData& d) {
             for (int i = 0; i < 30; ++i) d.transactions.push_back(fresh(10 + i));
             if (d.recurringTransactions && !d.recurringTransactions->empty())
                 d.recurringTransactions->front().nextDate = d.recurringTransactions->front().nextDate.addMonths(1);
         },
         30},
        {"profile switch", [](MoneyData& d) { d = generateLedger(int(d.transactions.size()) + 3, 99); }, std::nullopt},
        {"replaced by the empty ledger", [](MoneyData& d) { d = MoneyData::emptyLedger(); }, 0},
        {"settings",
         [](MoneyData& d) {
             d.startingBalance = D("-5.5");
             d.goalName = QStringLiteral("Цель / мечта");
             d.goalAmount = D("999");
             d.dailyLimit = D("0");
         },
         0},
        {"monthly budget and a category budget",
         [](MoneyData& d) {
             d.monthlyBudget = D("3000");
             if (!d.categoryBudgets) d.categoryBudgets.emplace();
             d.categoryBudgets->insert(QStringLiteral("Кино"), D("250"));
         },
         0},
        {"a wish (written after the transactions)",
         [](MoneyData& d) {
             if (!d.wishes) d.wishes.emplace();
             d.wishes->push_back(WishItem{QStringLiteral("w-1"), QStringLiteral("Скейт / доска"), D("3500"), D("0"),
                                          QDateTime(QDate(2026, 10, 1), QTime(9, 0), Qt::UTC), false});
         },
         0},
        {"a custom category and a goal",
         [](MoneyData& d) {
             if (!d.customExpenseCategories) d.customExpenseCategories.emplace();
             d.customExpenseCategories->push_back(QStringLiteral("Хобби"));
             d.additionalGoals.reset();
         },
         0},
    };
    return list;
}

class LedgerEncoderChanges : public ::testing::TestWithParam<int> {};

TEST_P(LedgerEncoderChanges, GiveTheWholeEncodingsBytesAndEncodeOnlyWhatChanged) {
    const MoneyData generated = generateLedger(GetParam());
    for (const Change& change : changes()) {
        SCOPED_TRACE(change.name);
        LedgerEncoder encoder;
        ASSERT_TRUE(sameBytes(encoder.encode(generated), encodeMoneyData(generated)));
        EXPECT_EQ(encoder.reencodedCount(), generated.transactions.size());
        ASSERT_TRUE(sameBytes(encoder.encode(generated), encodeMoneyData(generated)));
        EXPECT_EQ(encoder.reencodedCount(), 0u);

        MoneyData changed = generated;
        change.apply(changed);
        ASSERT_TRUE(sameBytes(encoder.encode(changed), encodeMoneyData(changed)));
        if (change.reencoded && !generated.transactions.empty())
            EXPECT_EQ(encoder.reencodedCount(), *change.reencoded);
        // Twice in a row, then back: what is kept follows the last encode.
        change.apply(changed);
        ASSERT_TRUE(sameBytes(encoder.encode(changed), encodeMoneyData(changed)));
        ASSERT_TRUE(sameBytes(encoder.encode(generated), encodeMoneyData(generated)));
    }
}

INSTANTIATE_TEST_SUITE_P(GeneratedLedgers, LedgerEncoderChanges, ::testing::Values(0, 1, 2, 40, 700));

TEST(LedgerEncoder, LeavesADocumentStillHeldAsItWas) {
    MoneyData d = generateLedger(60);
    LedgerEncoder encoder;
    const QByteArray held = encoder.encode(d);
    d.transactions.push_back(fresh(1));
    EXPECT_TRUE(sameBytes(encoder.encode(d), encodeMoneyData(d)));
    d.transactions.pop_back();
    EXPECT_TRUE(sameBytes(held, encodeMoneyData(d)));
}

TEST(LedgerEncoder, EncodesEverythingAgainAfterClear) {
    const MoneyData d = generateLedger(50);
    LedgerEncoder encoder;
    encoder.encode(d);
    encoder.clear();
    EXPECT_TRUE(sameBytes(encoder.encode(d), encodeMoneyData(d)));
    EXPECT_EQ(encoder.reencodedCount(), 50u);
}

}  // namespace
