#include "StoreFixture.h"
#include "store/LedgerExport.h"

namespace {
const QString kHeader = QStringLiteral("date,type,amount,category,note,wallet,tags");
}

using CsvExport = StoreFixture;

TEST_F(CsvExport, EveryFieldIsQuotedWithInnerQuotesDoubled) {
    EXPECT_EQ(openEmpty().csvExport(), kHeader);
    MoneyTransaction t = expense(
        dec("12.5"), QDateTime(QDate(2026, 10, 4), QTime(8, 15, 0), QTimeZone::utc()), "Кафе \"У моря\"");
    t.note = "сказал \"ура\", потом\nушёл | домой";
    t.wallet = "Карта";
    t.tags = QStringList{"еда", "друзья"};
    EXPECT_EQ(open(ledgerWith({t})).csvExport(),
              kHeader +
                  "\n\"2026-10-04T08:15:00Z\",\"expense\",\"12.5\",\"Кафе \"\"У моря\"\"\","
                  "\"сказал \"\"ура\"\", потом\nушёл | домой\",\"Карта\",\"еда|друзья\"");
}

TEST_F(CsvExport, AbsentWalletIsTheMainWalletAndAnEmptyOneStaysEmpty) {
    MoneyTransaction none = income(Decimal(-3), local(2026, 6, 3));
    MoneyTransaction empty = income(Decimal(1), local(2026, 6, 2));
    empty.wallet = "";
    empty.tags = QStringList{};
    const QStringList lines = open(ledgerWith({none, empty})).csvExport().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].endsWith(",\"-3\",\"Еда\",\"\",\"Основной\",\"\"")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(",\"\",\"\",\"\"")) << lines[2].toStdString();
}

TEST_F(CsvExport, LinesFollowTheSortedOrderWithPlainAmountsWhateverTheLanguage) {
    Preferences::standard().setValue("appLanguage", "ru_RU");
    const QDateTime same = local(2026, 6, 10, 9);
    const QStringList lines =
        open(ledgerWith({expense(Decimal(4), local(2025, 1, 1), "O"), expense(dec("1234567.50"), same, "A"),
                         expense(Decimal(3), local(2027, 1, 1), "F"), expense(Decimal(2), same, "B")}))
            .csvExport()
            .split('\n');
    ASSERT_EQ(lines.size(), 5);  // no line break after the last line
    EXPECT_TRUE(lines[1].contains("\"F\""));
    EXPECT_TRUE(lines[2].contains("\"expense\",\"1234567.5\",\"A\"")) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].contains("\"B\""));
    EXPECT_TRUE(lines[4].contains("\"O\""));
}

using JsonBackup = StoreFixture;

TEST_F(JsonBackup, EqualsTheSavedFileByteForByte) {
    MoneyStore& s = openEmpty();
    s.add(TransactionKind::expense, dec("9.99"), "Кино/театр", "билет", local(2026, 6, 1, 19), {"a/b"}, true,
          "Карта");
    s.setCategoryBudget("Кино/театр", Decimal(50));
    ASSERT_FALSE(s.saveError());
    const QByteArray saved = readFile(anonymousFile());
    EXPECT_EQ(s.jsonExport().toUtf8(), saved);
    EXPECT_TRUE(saved.contains("Кино\\/театр"));
    // A backup placed as a ledger file reads back as the same ledger.
    EXPECT_EQ(decodeMoneyData(s.jsonExport().toUtf8()), s.data());
}
