#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cctype>
#include <clocale>

#include "models/LedgerJson.h"
#include "support/CommaNumericLocale.h"

namespace {

Decimal D(const char* text) { return *Decimal::parse(std::string_view(text)); }

QDateTime utc(const char* text) { return *parseLedgerDate(QString::fromLatin1(text)); }

std::string text(const QByteArray& bytes) { return bytes.toStdString(); }

// A ledger with every optional field present and the awkward texts in it.
MoneyData fullLedger() {
    MoneyData d;
    d.startingBalance = D("100.25");
    d.goalName = QStringLiteral("Велосипед / самокат");
    d.goalAmount = D("15000");
    d.dailyLimit = D("300");
    MoneyTransaction t;
    t.id = QUuid(QStringLiteral("{3f2504e0-4f89-11d3-9a0c-0305e82c3301}"));
    t.kind = TransactionKind::income;
    t.amount = D("12.50");
    t.category = QStringLiteral("Подарки");
    t.note = QStringLiteral("от бабушки \"Маши\"\n\ttab \\ 😀");
    t.date = utc("2026-10-04T02:26:58Z");
    t.tags = QStringList{QStringLiteral("день рождения"), QStringLiteral("a/b")};
    t.isFavorite = true;
    t.wallet = QStringLiteral("Копилка");
    t.receiptFilename = QStringLiteral("ABC.jpg");
    d.transactions.push_back(t);
    MoneyTransaction bare;
    bare.id = QUuid(QStringLiteral("{00000000-0000-0000-0000-0000000000ff}"));
    bare.amount = D("-0.001");
    bare.date = utc("1969-07-20T20:17:40Z");
    d.transactions.push_back(bare);
    d.additionalGoals =
        std::vector<SavingsGoal>{{"G1", "Наушники", D("2500"), utc("2027-01-01T00:00:00Z"), false},
                                 {"G2", "Книга", D("400.5"), std::nullopt, std::nullopt}};
    d.customIncomeCategories = std::vector<QString>{QStringLiteral("Репетиторство")};
    d.customExpenseCategories = std::vector<QString>{};
    d.rewardTasks = std::vector<RewardTask>{
        {"T1", "Помыть посуду", D("50"), 3, utc("2026-10-01T18:00:00Z"), utc("2026-10-10T18:00:00Z"), 2,
         true},
        {"T2", "Убрать комнату", D("0.5"), 0, std::nullopt, std::nullopt, std::nullopt, std::nullopt}};
    d.monthlyBudget = D("5000");
    d.categoryBudgets = QMap<QString, Decimal>{{QStringLiteral("Еда"), D("1500")},
                                               {QStringLiteral("Apps"), D("99.99")},
                                               {QStringLiteral("Кино"), D("0")},
                                               {QStringLiteral("😀"), D("1")},
                                               {QStringLiteral("Ｚ"), D("2")}};
    d.quickTemplates = std::vector<QuickTemplate>{{"Q1", "Обед", TransactionKind::expense, D("250"), "Еда"}};
    d.wishes =
        std::vector<WishItem>{{"W1", "Лего", D("3999.99"), D("1000"), utc("2026-09-01T10:00:00Z"), false}};
    d.debts = std::vector<DebtRecord>{
        {"D1", "Петя", D("200"), DebtDirection::iOwe, "", utc("2026-11-01T00:00:00Z"), false},
        {"D2", "Аня", D("50"), DebtDirection::owesMe, "за кино", std::nullopt, true}};
    d.challenges =
        std::vector<SavingsChallenge>{{"C1", "Без сладкого", ChallengeKind::habit, D("30"), D("12"),
                                       utc("2026-10-01T00:00:00Z"), utc("2026-10-31T00:00:00Z"), false}};
    d.recurringTransactions =
        std::vector<RecurringTransaction>{{"R1", "Карманные", TransactionKind::income, D("500"), "Карманные",
                                           RecurringFrequency::weekly, utc("2026-10-05T09:00:00Z"), true}};
    return d;
}

const char* kMinimal =
    R"({"startingBalance": 0, "transactions": [], "goalName": "", "goalAmount": 0, "dailyLimit": 0})";

// The keys of an object written at `indent` spaces, in written order.
std::vector<std::string> keysAtIndent(const std::string& json, int indent) {
    std::vector<std::string> keys;
    const QRegularExpression re(QStringLiteral("^ {%1}\"([^\"]+)\" :").arg(indent),
                                QRegularExpression::MultilineOption);
    auto it = re.globalMatch(QString::fromStdString(json));
    while (it.hasNext()) keys.push_back(it.next().captured(1).toStdString());
    return keys;
}

// Decodes the text both ways the reader takes it, from a padded copy and in
// place as a file is read for it, and expects the same answer of both.
std::optional<MoneyData> decode(const std::string& json) {
    std::optional<MoneyData> copied = decodeMoneyData(QByteArrayView(json.data(), qsizetype(json.size())));
    QTemporaryFile file;
    EXPECT_TRUE(file.open());
    file.write(json.data(), qint64(json.size()));
    file.seek(0);
    const std::optional<QByteArray> bytes = readLedgerBytes(file);
    EXPECT_TRUE(bytes);
    if (bytes) {
        EXPECT_EQ(bytes->size(), qsizetype(json.size()));
        EXPECT_GE(bytes->capacity() - bytes->size(), kLedgerReadPadding);
        EXPECT_EQ(decodeMoneyData(*bytes), copied) << json;
    }
    return copied;
}

// kMinimal with one transaction object inserted.
std::string withTransaction(const std::string& transaction) {
    return R"({"startingBalance": 0, "goalName": "", "goalAmount": 0, "dailyLimit": 0, "transactions": [)" +
           transaction + "]}";
}

const std::string kGoodTransaction =
    R"({"id": "3F2504E0-4F89-11D3-9A0C-0305E82C3301", "kind": "expense", "amount": 12.5, "category": "Еда",
        "note": "", "date": "2026-10-04T02:26:58Z"})";

std::string replaced(std::string s, const std::string& from, const std::string& to) {
    const auto pos = s.find(from);
    if (pos == std::string::npos) throw std::logic_error("pattern not in test document: " + from);
    return s.replace(pos, from.size(), to);
}

}  // namespace

TEST(LedgerJsonRoundTrip, FullLedgerReadsBackEqual) {
    const MoneyData original = fullLedger();
    const QByteArray bytes = encodeMoneyData(original);
    LedgerDecodeError error;
    const auto back = decodeMoneyData(bytes, &error);
    ASSERT_TRUE(back.has_value()) << error.message.toStdString();
    EXPECT_EQ(*back, original);
    // Writing is deterministic: the read-back ledger writes the same bytes.
    EXPECT_EQ(encodeMoneyData(*back), bytes);
    // And it is JSON another parser agrees with.
    QJsonParseError qtError;
    QJsonDocument::fromJson(bytes, &qtError);
    EXPECT_EQ(qtError.error, QJsonParseError::NoError);
}

TEST(LedgerJsonRoundTrip, MinimalDocumentKeepsItsOptionalsAbsent) {
    const auto data = decode(kMinimal);
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(*data, MoneyData());  // every optional absent
    const std::string written = text(encodeMoneyData(*data));
    EXPECT_EQ(keysAtIndent(written, 2), (std::vector<std::string>{"dailyLimit", "goalAmount", "goalName",
                                                                  "startingBalance", "transactions"}));
    EXPECT_NE(written.find("\"transactions\" : []"), std::string::npos);
}

TEST(LedgerJsonWriter, EmptyLedgerWritesAllSixteenKeysInOrder) {
    const std::string written = text(encodeMoneyData(MoneyData::emptyLedger()));
    EXPECT_EQ(keysAtIndent(written, 2),
              (std::vector<std::string>{"additionalGoals", "categoryBudgets", "challenges",
                                        "customExpenseCategories", "customIncomeCategories", "dailyLimit",
                                        "debts", "goalAmount", "goalName", "monthlyBudget", "quickTemplates",
                                        "recurringTransactions", "rewardTasks", "startingBalance",
                                        "transactions", "wishes"}));
    // Every optional present and empty: a fresh install writes each list, the budget map and the budget.
    const QRegularExpression emptyValue(QStringLiteral("^  \"\\w+\" : (\\[\\]|\\{\\}|0|\"\"),?$"),
                                        QRegularExpression::MultilineOption);
    EXPECT_EQ(QString::fromStdString(written).count(emptyValue), 16) << written;
    const auto back = decodeMoneyData(encodeMoneyData(MoneyData::emptyLedger()));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, MoneyData::emptyLedger());
    EXPECT_NE(*back, MoneyData());
}

TEST(LedgerJsonWriter, RecordKeysAscendInEveryObject) {
    const std::string written = text(encodeMoneyData(fullLedger()));
    // Transactions and the other records sit at indent 6 (root > list > record).
    const auto nested = keysAtIndent(written.substr(written.find("\"transactions\" :")), 6);
    const std::vector<std::string> transactionKeys(nested.begin(), nested.begin() + 10);
    EXPECT_EQ(transactionKeys,
              (std::vector<std::string>{"amount", "category", "date", "id", "isFavorite", "kind", "note",
                                        "receiptFilename", "tags", "wallet"}));
    EXPECT_NE(
        written.find("\"amount\" : 2500,\n      \"deadline\" : \"2027-01-01T00:00:00Z\",\n      \"id\" : "
                     "\"G1\",\n      \"isArchived\" : false,\n      \"name\""),
        std::string::npos);
    // Category budgets in code point order: Latin before Cyrillic, "Еда" (U+0415) before "Кино" (U+041A),
    // and U+FF3A before U+1F600, where UTF-16 order (QString's) would put the emoji first.
    EXPECT_EQ(keysAtIndent(written, 4), (std::vector<std::string>{"Apps", "Еда", "Кино", "Ｚ", "😀"}));
}

TEST(LedgerJsonWriter, ValueForms) {
    const std::string written = text(encodeMoneyData(fullLedger()));
    for (const char* form :
         {"\"amount\" : 12.5,",  // 12.50 written as 12.5
          "\"amount\" : -0.001,", "\"id\" : \"3F2504E0-4F89-11D3-9A0C-0305E82C3301\"",
          "\"date\" : \"1969-07-20T20:17:40Z\"", "\"goalName\" : \"Велосипед \\/ самокат\"",
          "\"note\" : \"от бабушки \\\"Маши\\\"\\n\\ttab \\\\ 😀\"", "\"completionCount\" : 3",
          "\"direction\" : \"iOwe\"", "\"customExpenseCategories\" : []"})
        EXPECT_NE(written.find(form), std::string::npos) << form;
    EXPECT_EQ(written.find("null"), std::string::npos);
    EXPECT_EQ(written.find("\\u04"), std::string::npos);  // Cyrillic stays raw UTF-8
    EXPECT_FALSE(
        QString::fromStdString(written).contains(QRegularExpression(QStringLiteral(" : -?[0-9.]+[eE]"))));
    // The second transaction has no optionals: none of their keys is written for it.
    const auto second = written.find("\"amount\" : -0.001");
    EXPECT_EQ(written.substr(second, written.find('}', second) - second).find("tags"), std::string::npos);
}

// Every escape the writer makes, also where texts are long or made only of
// characters that grow most when written.
TEST(LedgerJsonWriter, TextsAreEscapedAndEncodedAsUtf8) {
    const QString loneHigh = QString(QChar(0xD800)) + "x";
    const QString controls = QString::fromUtf16(u"\u0001\u001f\b\f\r");
    const std::vector<std::pair<QString, std::string>> cases = {
        {"", "\"\""},
        {"plain", "\"plain\""},
        {"a/b\"c\\d", "\"a\\/b\\\"c\\\\d\""},
        {controls, "\"\\u0001\\u001f\\b\\f\\r\""},
        {QString(200, QChar(0x1f)), "\"" + [] { std::string s; for (int i = 0; i < 200; ++i) s += "\\u001f"; return s; }() + "\""},
        {QString::fromUtf8("Ж😀€"), "\"Ж😀€\""},
        {loneHigh, "\"\xEF\xBF\xBDx\""},
        {QString(QChar(0xDC00)), "\"\xEF\xBF\xBD\""},
    };
    for (const auto& [value, form] : cases) {
        MoneyData d = MoneyData::emptyLedger();
        d.goalName = value;
        const std::string written = text(encodeMoneyData(d));
        EXPECT_NE(written.find("\"goalName\" : " + form + ",\n"), std::string::npos) << form;
        const std::optional<MoneyData> back = decodeMoneyData(encodeMoneyData(d));
        ASSERT_TRUE(back) << form;
        if (!value.contains(QChar(0xD800)) && !value.contains(QChar(0xDC00))) {
            EXPECT_EQ(back->goalName, value);
        }
    }
}

TEST(LedgerJsonReader, OptionalNullOrMissingIsAbsentAndUnknownKeysAreDropped) {
    const std::string json =
        withTransaction(replaced(kGoodTransaction, "\"note\": \"\"",
                                 "\"note\": \"\", \"isFavorite\": null, \"extra\": {\"a\": [1, "
                                 "{\"b\": null}]}, \"tags\": null"));
    auto data = decode(
        replaced(json, "\"dailyLimit\": 0", "\"dailyLimit\": 0, \"future\": [true], \"wishes\": null"));
    ASSERT_TRUE(data.has_value());
    EXPECT_FALSE(data->transactions[0].isFavorite.has_value());
    EXPECT_FALSE(data->transactions[0].tags.has_value());
    EXPECT_FALSE(data->wishes.has_value());
    const std::string written = text(encodeMoneyData(*data));
    EXPECT_EQ(written.find("future"), std::string::npos);
    EXPECT_EQ(written.find("extra"), std::string::npos);
    EXPECT_EQ(written.find("isFavorite"), std::string::npos);
}

TEST(LedgerJsonReader, ReadsValuesExactly) {
    const std::string json = withTransaction(replaced(
        replaced(kGoodTransaction, "\"amount\": 12.5", "\"amount\": 0.30000000000000000000000000001"),
        "\"note\": \"\"",
        R"("note": "\u0410\/\ud83d\ude00", "tags": [], "id": "3f2504e0-4f89-11d3-9a0c-0305e82c3301")"));
    auto data = decode(replaced(json, "\"startingBalance\": 0", "\"startingBalance\": 1.5e3"));
    ASSERT_TRUE(data.has_value());
    const MoneyTransaction& t = data->transactions[0];
    EXPECT_EQ(t.amount.toStdString(), "0.30000000000000000000000000001");
    EXPECT_EQ(t.note, QString::fromUtf8("А/😀"));
    EXPECT_EQ(t.tags, QStringList{});
    EXPECT_EQ(t.id, QUuid(QStringLiteral("3F2504E0-4F89-11D3-9A0C-0305E82C3301")));
    EXPECT_EQ(t.date.toSecsSinceEpoch(), 1791080818);
    EXPECT_EQ(data->startingBalance, D("1500"));
    EXPECT_EQ(data->goalAmount, Decimal());
    // Integers beyond 64 bits are still exact.
    auto big =
        decode(replaced(kMinimal, "\"goalAmount\": 0", "\"goalAmount\": 123456789012345678901234567890"));
    ASSERT_TRUE(big.has_value());
    EXPECT_EQ(big->goalAmount.toStdString(), "123456789012345678901234567890");
    auto negative = decode(replaced(kMinimal, "\"goalAmount\": 0", "\"goalAmount\": -9223372036854775808"));
    ASSERT_TRUE(negative.has_value());
    EXPECT_EQ(negative->goalAmount.toStdString(), "-9223372036854775808");
}

// The app runs under the user's locale (Qt sets it from the environment) and
// the JSON lexer writes the C locale's decimal point into number tokens.
TEST(LedgerJsonReader, DecimalsSurviveACommaLocale) {
    std::optional<MoneyData> data;
    {
        const CommaNumericLocale comma;
        if (!comma.active()) GTEST_SKIP() << "no locale with a decimal comma available";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
        data = decode(replaced(kMinimal, "\"goalAmount\": 0", "\"goalAmount\": 12.75e1"));
    }
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->goalAmount, D("127.5"));
}

// An id is read in its one form, 8-4-4-4-12: a hyphen's place holds a hyphen
// and nothing else, not even a digit that would keep the length.
TEST(LedgerJsonReader, AnIdWithAnotherCharacterWhereAHyphenBelongsIsRefused) {
    const std::string id = "3F2504E0-4F89-11D3-9A0C-0305E82C3301";
    ASSERT_TRUE(decode(withTransaction(kGoodTransaction)).has_value());
    ASSERT_NE(kGoodTransaction.find(id), std::string::npos);
    for (const std::size_t hyphen : {8u, 13u, 18u, 23u}) {
        for (const char other : {'0', 'A', '_', ' ', '+', ':'}) {
            std::string wrong = id;
            wrong[hyphen] = other;
            EXPECT_FALSE(decode(withTransaction(replaced(kGoodTransaction, id, wrong))).has_value())
                << wrong;
        }
    }
}

// Every digit place of an id takes the sixteen hex digits of either case and
// nothing else, and the id read is the one Qt reads from the same text.
TEST(LedgerJsonReader, EachDigitOfAnIdIsAHexDigitOfEitherCase) {
    const std::string id = "3F2504E0-4F89-11D3-9A0C-0305E82C3301";
    for (std::size_t at = 0; at < id.size(); ++at) {
        if (id[at] == '-') continue;
        for (char c = ' '; c <= '~'; ++c) {
            if (c == '"' || c == '\\') continue;
            std::string other = id;
            other[at] = c;
            const std::string json = withTransaction(replaced(kGoodTransaction, id, other));
            const auto data = decodeMoneyData(QByteArrayView(json.data(), qsizetype(json.size())));
            const bool hex = std::isxdigit(static_cast<unsigned char>(c)) != 0;
            ASSERT_EQ(data.has_value(), hex) << other;
            if (hex) {
                EXPECT_EQ(data->transactions[0].id, QUuid(QString::fromStdString(other))) << other;
            }
        }
    }
}

// Keys are recognised by their bytes when they come in written order: a key
// that only begins like the expected one, or goes on past it, is another key,
// and the expected key with an escape in it is still that key.
TEST(LedgerJsonReader, AKeyInWrittenOrderIsThatKeyExactly) {
    const std::string written =
        R"({"amount": 12.5, "category": "Еда", "date": "2026-10-04T02:26:58Z",
            "id": "3F2504E0-4F89-11D3-9A0C-0305E82C3301", "kind": "expense", "note": "x", "wallet": "Карта"})";
    ASSERT_TRUE(decode(withTransaction(written)).has_value());
    struct Case {
        const char* key;
        const char* as;
        bool read;
    };
    const Case cases[] = {
        {"\"note\"", "\"not\"", false},         {"\"note\"", "\"notes\"", false},
        {"\"note\"", "\"Note\"", false},        {"\"note\"", "\"note\\\"\"", false},
        {"\"note\"", "\"no\\u0074e\"", true}, {"\"amount\"", "\"amoun\"", false},
        {"\"amount\"", "\"amount2\"", false},   {"\"wallet\"", "\"walle\"", true},
        {"\"wallet\"", "\"wallets\"", true},    {"\"wallet\"", "\"wall\\u0065t\"", true},
        {"\"id\"", "\"i\"", false},             {"\"id\"", "\"idx\"", false},
    };
    for (const Case& c : cases) {
        const auto data = decode(withTransaction(replaced(written, c.key, c.as)));
        ASSERT_EQ(data.has_value(), c.read) << c.as;
        if (!data) continue;
        const MoneyTransaction& t = data->transactions[0];
        const bool walletRead = std::string(c.as).find("wall\\u0065t") != std::string::npos ||
                                std::string(c.key) != "\"wallet\"";
        EXPECT_EQ(t.wallet.has_value(), walletRead) << c.as;
        if (walletRead) {
            EXPECT_EQ(*t.wallet, QStringLiteral("Карта")) << c.as;
        }
        EXPECT_EQ(t.note, QStringLiteral("x")) << c.as;
        EXPECT_EQ(t.amount, D("12.5")) << c.as;
    }
}

TEST(LedgerJsonReader, EachViolationRejectsTheWholeDocument) {
    const std::string good = withTransaction(kGoodTransaction + ", " + kGoodTransaction);
    ASSERT_TRUE(decode(good).has_value());
    const std::vector<std::pair<const char*, std::string>> bad = {
        {"missing note in one transaction",
         withTransaction(kGoodTransaction + ", " + replaced(kGoodTransaction, "\"note\": \"\",", ""))},
        {"kind in the wrong case", withTransaction(replaced(kGoodTransaction, "\"expense\"", "\"Income\""))},
        {"unknown kind", withTransaction(replaced(kGoodTransaction, "\"expense\"", "\"gift\""))},
        {"quoted amount", withTransaction(replaced(kGoodTransaction, "12.5", "\"12.5\""))},
        {"fractional seconds", withTransaction(replaced(kGoodTransaction, "58Z", "58.500Z"))},
        {"date as number",
         withTransaction(replaced(kGoodTransaction, "\"2026-10-04T02:26:58Z\"", "1791080818"))},
        {"date without zone", withTransaction(replaced(kGoodTransaction, "58Z", "58"))},
        {"null in a required key",
         withTransaction(replaced(kGoodTransaction, "\"note\": \"\"", "\"note\": null"))},
        {"uuid without hyphens",
         withTransaction(replaced(kGoodTransaction, "3F2504E0-4F89", "3F2504E04F89-"))},
        {"uuid in braces",
         withTransaction(replaced(kGoodTransaction, "\"3F2504E0-4F89-11D3-9A0C-0305E82C3301\"",
                                  "\"{3F2504E0-4F89-11D3-9A0C-0305E82C3301}\""))},
        {"favourite as number",
         withTransaction(replaced(kGoodTransaction, "\"note\"", "\"isFavorite\": 1, \"note\""))},
        {"tag as number",
         withTransaction(replaced(kGoodTransaction, "\"note\"", "\"tags\": [\"a\", 2], \"note\""))},
        {"null tag", withTransaction(replaced(kGoodTransaction, "\"note\"", "\"tags\": [null], \"note\""))},
        {"transaction not an object", withTransaction("[]")},
        {"missing top-level key", replaced(kMinimal, "\"goalName\": \"\", ", "")},
        {"transactions null", replaced(kMinimal, "\"transactions\": []", "\"transactions\": null")},
        {"transactions an object", replaced(kMinimal, "\"transactions\": []", "\"transactions\": {}")},
        {"budget map with a string", replaced(kMinimal, "{", "{\"categoryBudgets\": {\"Еда\": \"5\"}, ")},
        {"budget map with null", replaced(kMinimal, "{", "{\"categoryBudgets\": {\"Еда\": null}, ")},
        {"budget map as array", replaced(kMinimal, "{", "{\"categoryBudgets\": [], ")},
        {"fractional integer", replaced(kMinimal, "{",
                                        "{\"rewardTasks\": [{\"id\": \"a\", \"title\": \"t\", \"reward\": 1, "
                                        "\"completionCount\": 1.5}], ")},
        {"integer beyond 64 bits",
         replaced(kMinimal, "{",
                  "{\"rewardTasks\": [{\"id\": \"a\", \"title\": \"t\", \"reward\": 1, "
                  "\"completionCount\": 9223372036854775808}], ")},
        {"debt direction unknown",
         replaced(kMinimal, "{",
                  "{\"debts\": [{\"id\": \"a\", \"person\": \"p\", \"amount\": 1, \"direction\": \"owes\", "
                  "\"note\": \"\", \"isSettled\": false}], ")},
        {"top level array", "[" + std::string(kMinimal) + "]"},
        {"top level number", "5"},
        {"empty input", ""},
        {"trailing garbage", std::string(kMinimal) + " x"},
        {"two documents", std::string(kMinimal) + std::string(kMinimal)},
        {"comment", std::string(kMinimal) + " // note"},
        {"number out of range", replaced(kMinimal, "\"goalAmount\": 0", "\"goalAmount\": 1e999999999")},
        {"number below range", replaced(kMinimal, "\"goalAmount\": 0", "\"goalAmount\": 1e-999")},
        {"truncated", std::string(kMinimal).substr(0, 40)},
        {"colon after a read number", withTransaction(replaced(kGoodTransaction, "12.5", "12.5 : 3"))},
        {"text after a read text", withTransaction(replaced(kGoodTransaction, "\"note\": \"\"", "\"note\": \"\" \"x\""))},
        {"brace closing a read array",
         withTransaction(replaced(kGoodTransaction, "\"note\"", "\"tags\": [\"a\", \"b\":1}], \"note\""))},
    };
    for (const auto& [why, json] : bad) {
        LedgerDecodeError error;
        EXPECT_FALSE(decodeMoneyData(QByteArrayView(json.data(), qsizetype(json.size())), &error).has_value())
            << why;
        EXPECT_FALSE(error.message.isEmpty()) << why;
    }
}

TEST(LedgerJsonReader, HostileInputIsRejectedWithoutCrashing) {
    // Deep nesting under an ignored key.
    const std::string deep =
        replaced(kMinimal, "{", "{\"x\": " + std::string(100000, '[') + std::string(100000, ']') + ", ");
    EXPECT_FALSE(decode(deep).has_value());
    const std::string deepUnclosed = std::string(1000000, '[');
    EXPECT_FALSE(decode(deepUnclosed).has_value());
    // Nesting a real document never reaches is fine up to the limit.
    const std::string nested =
        replaced(kMinimal, "{", "{\"x\": " + std::string(40, '[') + std::string(40, ']') + ", ");
    EXPECT_TRUE(decode(nested).has_value());
    // Invalid UTF-8 and lone surrogates inside texts.
    for (const std::string& note : {std::string("\xC3\x28"), std::string("\xED\xA0\x80"), std::string("\xFF"),
                                    std::string("\xF4\x90\x80\x80"), std::string("\\ud800"),
                                    std::string("\\udc00x"), std::string("\\ud800\\u0041")}) {
        EXPECT_FALSE(decode(withTransaction(
                                replaced(kGoodTransaction, "\"note\": \"\"", "\"note\": \"" + note + "\"")))
                         .has_value())
            << note;
    }
    // Bytes that are not JSON at all, and a NUL in the middle.
    std::string withNul = kMinimal;
    withNul[10] = '\0';
    EXPECT_FALSE(decode(withNul).has_value());
    EXPECT_FALSE(decode("\x89PNG\r\n\x1a\n").has_value());
}

// Values under ignored keys are checked as strictly as the ones read, and
// number and text forms beyond JSON's grammar are refused wherever they stand.
TEST(LedgerJsonReader, StrictEverywhereIncludingIgnoredValues) {
    const auto withExtra = [](const std::string& value) {
        return replaced(kMinimal, "{", "{\"extra\": " + value + ", ");
    };
    for (const std::string& value :
         {std::string("[1, {\"a\": tru}]"), std::string("nul"), std::string("[1 2]"), std::string("1e400"),
          std::string("-1e999"), std::string("01"), std::string("+1"), std::string(".5"), std::string("1."),
          std::string("1e"), std::string("-"), std::string("1.5x"), std::string("\"a\tb\""),
          std::string("\"\\x\""), std::string("\"\\u12\""), std::string("{\"\\ud800\": 1}"),
          std::string("{\"a\" 1}"), std::string("{\"a\": 1,}"), std::string("[1, \"y\":null}]"),
          std::string("[\"a\": 1]"), std::string("[1: 2]"), std::string("[true: 1]"), std::string("{\"a\": \"b\" \"c\"}"),
          std::string("{\"a\": 1 : 2}"), std::string("[[1] 2]"), std::string("[{} {}]")})
        EXPECT_FALSE(decode(withExtra(value)).has_value()) << value;
    for (const std::string& value :
         {std::string("1e300"), std::string("-0.0e-999"), std::string("\"\\ud83d\\ude00\""),
          std::string("{\"\\u0061\": [null, false, -0]}")})
        EXPECT_TRUE(decode(withExtra(value)).has_value()) << value;
    // An escaped key still names its field.
    const auto escaped = decode(replaced(kMinimal, "\"goalName\": \"\"", "\"goal\\u004eame\": \"x\""));
    ASSERT_TRUE(escaped.has_value());
    EXPECT_EQ(escaped->goalName, QStringLiteral("x"));
}

TEST(LedgerJsonReader, IntegersMayBeWrittenAsWholeNumbers) {
    const std::string task =
        R"({"rewardTasks": [{"id": "a", "title": "t", "reward": 1, "completionCount": 3.0,
                                 "difficulty": 2e0}, {"id": "b", "title": "t", "reward": 1,
                                 "completionCount": -9223372036854775808}], )";
    const auto data = decode(replaced(kMinimal, "{", task));
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->rewardTasks->at(0).completionCount, 3);
    EXPECT_EQ(data->rewardTasks->at(0).difficulty, 2);
    EXPECT_EQ(data->rewardTasks->at(1).completionCount, std::numeric_limits<qint64>::min());
    EXPECT_FALSE(decode(replaced(kMinimal, "{", replaced(task, "3.0", "9.3e18"))).has_value());
}

TEST(LedgerJsonReader, DuplicateKeysTakeTheLastValue) {
    auto data = decode(replaced(kMinimal, "\"goalName\": \"\"", "\"goalName\": \"a\", \"goalName\": \"b\""));
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->goalName, QStringLiteral("b"));
    auto twice = decode(replaced(withTransaction(kGoodTransaction),
                                 "\"transactions\":", "\"transactions\": [], \"transactions\":"));
    ASSERT_TRUE(twice.has_value());
    EXPECT_EQ(twice->transactions.size(), 1u);
}

// A read ledger holds one string per repeated text, so that caches keyed by the
// text object (the operations list's measurements) recognise it; what is
// written back is unchanged.
TEST(LedgerJsonReader, RepeatedTextsOfADocumentShareOneString) {
    MoneyData d = fullLedger();
    const QString note = QStringLiteral("подарок от бабушки на день рождения");
    for (int i = 0; i < 3; ++i) {
        MoneyTransaction t = d.transactions[0];
        t.id = QUuid::createUuid();
        t.category = QStringLiteral("Подар") + QStringLiteral("ки");  // equal, not shared, in memory
        t.note = note + QString();
        t.tags = QStringList{QStringLiteral("Подарки"), QStringLiteral("школа")};
        t.wallet = QStringLiteral("Копи") + QStringLiteral("лка");
        d.transactions.push_back(t);
    }
    const QByteArray bytes = encodeMoneyData(d);
    const auto read = decodeMoneyData(bytes);
    ASSERT_TRUE(read);
    ASSERT_EQ(*read, d);
    const auto& list = read->transactions;
    const MoneyTransaction& first = list[0];
    for (std::size_t i = 2; i < list.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(list[i].category.isSharedWith(first.category));
        EXPECT_TRUE(list[i].wallet->isSharedWith(*first.wallet));
        EXPECT_TRUE((*list[i].tags)[0].isSharedWith(first.category));  // a tag equal to a category
        EXPECT_TRUE((*list[i].tags)[1].isSharedWith((*list[2].tags)[1]));
        EXPECT_TRUE(list[i].note.isSharedWith(list[2].note));
    }
    EXPECT_EQ(encodeMoneyData(*read), bytes);
}

TEST(LedgerDate, StrictInternetDateTime) {
    EXPECT_EQ(parseLedgerDate(u"2026-10-04T02:26:58Z")->toSecsSinceEpoch(), 1791080818);
    EXPECT_EQ(parseLedgerDate(u"2026-10-04T05:26:58+03:00")->toSecsSinceEpoch(), 1791080818);
    EXPECT_EQ(parseLedgerDate(u"2026-10-03T23:26:58-03:00")->toSecsSinceEpoch(), 1791080818);
    EXPECT_EQ(parseLedgerDate(u"2024-02-29T00:00:00Z")->date(), QDate(2024, 2, 29));
    EXPECT_EQ(parseLedgerDate(u"2000-02-29T00:00:00Z")->date(), QDate(2000, 2, 29));  // every 400 years
    EXPECT_EQ(parseLedgerDate(u"0001-01-01T00:00:00Z")->date(), QDate(1, 1, 1));
    EXPECT_EQ(parseLedgerDate(u"9999-12-31T23:59:59Z")->date(), QDate(9999, 12, 31));
    EXPECT_EQ(parseLedgerDate(u"2026-10-04T02:26:58Z")->timeSpec(), Qt::UTC);
    for (const char16_t* bad : {u"2026-10-04T02:26:58.500Z",
                                u"2026-10-04T02:26:58.0Z",
                                u"2026-10-04 02:26:58Z",
                                u"2026-10-04t02:26:58z",
                                u"2026-10-04T02:26:58",
                                u"2026-10-04T02:26Z",
                                u"2026-10-04",
                                u"2023-02-29T00:00:00Z",
                                u"1900-02-29T00:00:00Z",
                                u"2100-02-29T00:00:00Z",
                                u"2026-13-01T00:00:00Z",
                                u"2026-00-01T00:00:00Z",
                                u"2026-04-31T00:00:00Z",
                                u"2026-10-04T24:00:00Z",
                                u"2026-10-04T23:60:00Z",
                                u"2026-10-04T23:59:60Z",
                                u"0000-01-01T00:00:00Z",
                                u"+2026-10-04T02:26:58Z",
                                u"2026-10-04T02:26:58+0300",
                                u"2026-10-04T02:26:58+03",
                                u"2026-10-04T02:26:58+24:00",
                                u"2026-1０-04T02:26:58Z",
                                u"20261004T022658Z",
                                u"",
                                u"2026-10-04T02:26:58Z "}) {
        EXPECT_FALSE(parseLedgerDate(QStringView(bad)).has_value()) << QString::fromUtf16(bad).toStdString();
    }
}

TEST(LedgerDate, FormatIsUtcWholeSecondsRoundedDownWithinTheReadableRange) {
    const std::pair<QDateTime, const char16_t*> cases[] = {
        {QDateTime::fromMSecsSinceEpoch(1791080818999, Qt::UTC), u"2026-10-04T02:26:58Z"},
        {QDateTime(QDate(2026, 10, 4), QTime(5, 26, 58), Qt::OffsetFromUTC, 3 * 3600),
         u"2026-10-04T02:26:58Z"},
        {QDateTime::fromMSecsSinceEpoch(-1500, Qt::UTC), u"1969-12-31T23:59:58Z"},
        {QDateTime(QDate(12000, 1, 1), QTime(0, 0), Qt::UTC), u"9999-12-31T23:59:59Z"},
        {QDateTime(), u"1970-01-01T00:00:00Z"},
    };
    for (const auto& [date, written] : cases)
        EXPECT_EQ(formatLedgerDate(date), written) << date.toString().toStdString();
    for (qint64 secs :
         {qint64(-62135596800), qint64(-1), qint64(0), qint64(951782400), qint64(253402300799)}) {
        const auto date = QDateTime::fromSecsSinceEpoch(secs, Qt::UTC);
        EXPECT_EQ(parseLedgerDate(formatLedgerDate(date)), date) << secs;
    }
}
