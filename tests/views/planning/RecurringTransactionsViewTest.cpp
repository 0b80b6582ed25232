#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>

#include "components/DateText.h"
#include "components/SegmentedControl.h"
#include "components/TextFit.h"
#include "components/Theme.h"
#include "services/MoneyText.h"
#include "store/DemoLedger.h"
#include "support/PaintedListInput.h"
#include "views/planning/MoneyToolsFixture.h"
#include "views/planning/RecurringTransactionsView.h"

namespace {

class RecurringTest : public MoneyToolsFixture {
protected:
    // Fills the editor; the title and category are handed on untrimmed.
    void fill(RecurringEditorView& editor, const char* title, const char* amount, const char* category) {
        type(field(editor, "recurringTitleField"), QString::fromUtf8(title));
        type(field(editor, "recurringAmountField"), QString::fromUtf8(amount));
        type(editor.categoryField(), QString::fromUtf8(category));
    }
};

TEST_F(RecurringTest, EmptyStateThenARowThatTogglesTwice) {
    RecurringTransactionsView& view = show<RecurringTransactionsView>(MoneyData::emptyLedger());
    EXPECT_TRUE(view.placeholder()->isVisible());
    auto& editor = openEditor<RecurringEditorView>(view);
    EXPECT_EQ(editor.kindPicker()->currentTag(), "expense");
    editor.kindPicker()->setCurrentTag("income");
    fill(editor, "Зарплата", "300", "Подарки");
    click(editor.addButton());
    EXPECT_FALSE(view.placeholder()->isVisible());
    ASSERT_EQ(view.rows()->count(), 1);
    EXPECT_EQ(view.row(0)->amount, cnyText(Decimal(300)));  // no sign for an income
    const QString key = view.rows()->keyAt(0);
    const int before = saves();
    for (const char* name : {"Включить", "Выключить"}) {
        ASSERT_TRUE(paintedlist::clickButton(view.list(), key, RecurringRowDelegate::kToggle));
        EXPECT_EQ(view.list()->buttonName(key, RecurringRowDelegate::kToggle), QString::fromUtf8(name));
    }
    EXPECT_TRUE(store->data().recurringTransactions->front().isActive);
    EXPECT_EQ(saves(), before + 2);
}

TEST_F(RecurringTest, EditorTestsTitleAndCategoryAsTyped) {
    const struct {
        const char *title, *amount, *category;
        bool valid;
    } cases[] = {{"Кино", "12,5", "Досуг", true}, {" ", "5", " ", true},
                 {"Кино", "5", "", false},        {"", "5", "Досуг", false},
                 {"Кино", "0", "Досуг", false},   {"Кино", "x", "Досуг", false}};
    for (const auto& c : cases) {
        RecurringTransactionsView& view = show<RecurringTransactionsView>(MoneyData::emptyLedger());
        auto& editor = openEditor<RecurringEditorView>(view);
        fill(editor, c.title, c.amount, c.category);
        EXPECT_EQ(editor.addButton()->isEnabled(), c.valid)
            << c.title << "|" << c.amount << "|" << c.category;
    }
}

TEST_F(RecurringTest, AnUntouchedPickerPassesTheOpeningMomentAndAPastDateWaitsForTheNextOpening) {
    RecurringTransactionsView& view = show<RecurringTransactionsView>(MoneyData::emptyLedger());
    auto& editor = openEditor<RecurringEditorView>(view);
    EXPECT_EQ(editor.nextDate(), clock.now());
    editor.frequencyPicker()->setCurrentIndex(0);
    editor.datePicker()->setDate(QDate(2026, 6, 1));
    fill(editor, "Кружок", "20", "Учёба");
    click(editor.addButton());
    const RecurringTransaction stored = store->data().recurringTransactions->front();
    EXPECT_EQ(stored.frequency, RecurringFrequency::weekly);
    EXPECT_EQ(stored.nextDate, local(2026, 6, 1, 12));
    EXPECT_TRUE(store->data().transactions.empty());
    const QString before = view.row(0)->caption;

    RecurringTransactionsView& reopened = show<RecurringTransactionsView>(store->data());
    EXPECT_EQ(store->data().transactions.size(), 3u);  // 1, 8 and 15 June
    EXPECT_NE(reopened.row(0)->caption, before);
}

// One gesture toggles once, and a toggle measures only its own row again.
TEST_F(RecurringTest, ADoubleClickTogglesOnceAndOnlyThatRowIsMeasuredAgain) {
    MoneyData data = MoneyData::emptyLedger();
    std::vector<RecurringTransaction> items;
    for (const char* id : {"r1", "r2", "r3"})
        items.push_back({id, "Подписка", TransactionKind::expense, Decimal(169), "Развлечения",
                         RecurringFrequency::monthly, local(2026, 7, 1), true});
    data.recurringTransactions = items;
    RecurringTransactionsView& view = show<RecurringTransactionsView>(data);
    paintedlist::paint(view.list());
    const qint64 measured = view.list()->measureCount();
    const int before = saves();
    ASSERT_TRUE(paintedlist::doubleClickButton(view.list(), "r2", RecurringRowDelegate::kToggle));
    EXPECT_EQ(saves(), before + 1);
    const auto& stored = *store->data().recurringTransactions;
    EXPECT_EQ((std::vector<bool>{stored[0].isActive, stored[1].isActive, stored[2].isActive}),
              (std::vector<bool>{true, false, true}));
    EXPECT_EQ(view.list()->buttonName("r2", RecurringRowDelegate::kToggle), "Включить");
    EXPECT_EQ(view.list()->measureCount(), measured + 1);
}

// A long list writes out (money, days) and measures only the rows near the
// view; what it wrote follows every change: of one operation (that row
// alone), of the currency and of the language.
TEST_F(RecurringTest, RowsAreWrittenOutAsTheyComeNearAndFollowEveryChange) {
    MoneyData data = MoneyData::emptyLedger();
    std::vector<RecurringTransaction> items;
    for (int i = 0; i < 300; ++i)
        items.push_back({QStringLiteral("r%1").arg(i), QStringLiteral("Подписка %1").arg(i), TransactionKind::expense,
                         Decimal(100 + i), "Развлечения", RecurringFrequency::monthly, local(2026, 7, 1).addDays(i),
                         true});
    data.recurringTransactions = items;
    RecurringTransactionsView& view = show<RecurringTransactionsView>(data);
    paintedlist::paint(view.list());
    ASSERT_EQ(view.rows()->count(), 300);
    EXPECT_GT(view.writtenRowCount(), 0);
    EXPECT_LT(view.writtenRowCount(), 60) << "a screenful and the next, not three hundred";
    EXPECT_LT(view.list()->measuredRows(), 60);
    const int written = view.writtenRowCount();

    // One operation changes: its row alone is written again.
    MoneyData changed = store->data();
    (*changed.recurringTransactions)[1].amount = Decimal(7);
    store->setData(std::move(changed));
    settle();
    EXPECT_EQ(view.row(1)->amount, cnyText(Decimal(7)));
    EXPECT_EQ(view.row(0)->amount, cnyText(Decimal(100)));
    EXPECT_LE(view.writtenRowCount(), written + 1);

    // Another currency or language rewrites the rows shown and, when asked
    // for, the rows far below.
    const QString rubles = view.row(0)->amount;
    setPreference("currencyCode", "EUR");
    settle();
    EXPECT_NE(view.row(0)->amount, rubles);
    EXPECT_EQ(view.row(0)->amount, cnyText(Decimal(100)));
    EXPECT_EQ(view.row(299)->amount, cnyText(Decimal(399)));
    const QString caption = view.row(299)->caption;
    setPreference("appLanguage", "en_US");
    settle();
    EXPECT_EQ(view.row(299)->amount, cnyText(Decimal(399)));
    EXPECT_EQ(view.row(299)->caption, caption) << "days are written in the device's locale";
}

// A row's caption is measured by its parts: its widest word must be the
// wider of theirs, for either frequency and days written in any locale.
TEST(RecurringCaptionTest, TheWidestWordOfTheCaptionIsTheWiderOfItsParts) {
    const QFont font = Theme::font(TextStyle::Caption);
    for (const char* locale : {"ru_RU", "en_US", "de_DE", "uk_UA"}) {
        for (const RecurringFrequency frequency : {RecurringFrequency::weekly, RecurringFrequency::monthly}) {
            for (const QDate day : {QDate(2027, 1, 5), QDate(2026, 12, 31), QDate(2027, 9, 17)}) {
                RecurringTransaction item;
                item.title = QStringLiteral("Карманные деньги");
                item.frequency = frequency;
                item.amount = Decimal(100);
                const RecurringRowContent row =
                    RecurringRowContent::of(item, DateText::abbreviatedDate(day, QString::fromLatin1(locale)));
                EXPECT_EQ(std::max(TextFit::widestWord(row.captionLead, font), TextFit::widestWord(row.nextDay, font)),
                          TextFit::widestWord(row.caption, font))
                    << locale << " " << row.caption.toStdString();
            }
        }
    }
}

TEST_F(RecurringTest, Gallery) {
    MoneyData demo = demoLedger();
    demo.recurringTransactions = std::vector<RecurringTransaction>{
        {"r1", "Карманные деньги", TransactionKind::income, Decimal(500), "Подарки",
         RecurringFrequency::weekly, local(2026, 6, 20), true},
        {"r2", "Подписка на музыку", TransactionKind::expense, Decimal(169), "Развлечения",
         RecurringFrequency::monthly, local(2026, 7, 1), false}};
    galleryOf<RecurringTransactionsView>("recurring", demo);
}

}  // namespace
