#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "FormsTestSupport.h"
#include "components/Button.h"
#include "components/NavigationStack.h"
#include "components/SegmentedControl.h"
#include "components/TextLabel.h"
#include "components/Toggle.h"
#include "views/ledger/AddTransactionView.h"
#include "views/ledger/ReceiptImageView.h"

using namespace formstest;

namespace {

QStringList items(const QComboBox* box) {
    QStringList list;
    for (int i = 0; i < box->count(); ++i) list << box->itemText(i);
    return list;
}

class AddTransactionViewTest : public FormsTest {
protected:
    AddTransactionView* open(TransactionKind kind) {
        return present(new AddTransactionView(*store, kind, picker));
    }

    static void type(QLineEdit* field, const QString& text) {
        field->clear();
        typeText(field, text);
    }
    static void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void chooseKind(AddTransactionView* view, TransactionKind kind) {
        click(view->kindPicker()->segment(rawValue(kind)));
    }
    const MoneyTransaction& onlyTransaction() const {
        EXPECT_EQ(store->data().transactions.size(), 1u);
        return store->data().transactions.front();
    }
};

TEST_F(AddTransactionViewTest, OpensForEachKindWithItsTitleAndFirstCategory) {
    Preferences::standard().setValue("currencyCode", "USD");  // the form's sign ignores it
    AddTransactionView* expense = open(TransactionKind::expense);
    EXPECT_EQ(expense->currencySign()->text(), "¥");
    EXPECT_EQ(expense->page()->title(), "Новый расход");
    EXPECT_EQ(expense->category(), "Еда");
    EXPECT_EQ(expense->categoryPicker()->currentText(), "Еда");
    EXPECT_EQ(items(expense->categoryPicker()), QStringList({"Еда", "Транспорт", "Покупки", "Развлечения",
                                                             "Здоровье", "Учёба", "Счета", "Другое"}));
    EXPECT_EQ(expense->kindPicker()->tags(), QStringList({"income", "expense"}));
    EXPECT_EQ(expense->kindPicker()->segment("income")->text(), "Доход");
    EXPECT_EQ(expense->kindPicker()->segment("expense")->text(), "Расход");
    EXPECT_EQ(expense->walletPicker()->currentText(), "Основной");
    EXPECT_EQ(items(expense->walletPicker()),
              QStringList({"Основной", "Наличные", "Карта", "WeChat Pay", "Alipay"}));
    EXPECT_EQ(expense->amountField()->placeholderText(), "0.00");
    EXPECT_EQ(expense->amountField()->accessibleName(), "Сумма");
    EXPECT_EQ(expense->receiptPickerButton()->text(), "Прикрепить фото чека");
    EXPECT_FALSE(expense->saveButton()->isEnabled());
    // The amount has the keyboard as soon as the form shows.
    EXPECT_TRUE(expense->amountField()->hasFocus());
    EXPECT_FALSE(Gallery::save(*window, "add-transaction-expense-empty").isEmpty());
    expense->cancel();
    settle();

    AddTransactionView* income = open(TransactionKind::income);
    EXPECT_EQ(income->page()->title(), "Новый доход");
    EXPECT_EQ(income->category(), "Зарплата");
    EXPECT_EQ(items(income->categoryPicker()),
              QStringList({"Зарплата", "Подработка", "Подарок", "Продажа", "Помыл полы:)",
                           "Помог маме/папе с IT и технологиями", "Другое"}));
}

TEST_F(AddTransactionViewTest, SaveIsEnabledOnlyForAnAmountAboveZero) {
    AddTransactionView* view = open(TransactionKind::expense);
    const struct {
        const char* text;
        bool enabled;
    } cases[] = {
        // The parser's own table holds the rules; this shows the form applies them.
        {"", false}, {"0", false}, {"-3", false}, {"12abc", false}, {"1,5", true}, {"12.5", true},
    };
    for (const auto& c : cases) {
        type(view->amountField(), QString::fromUtf8(c.text));
        EXPECT_EQ(view->saveButton()->isEnabled(), c.enabled) << c.text;
    }
    // A disabled button and the save itself both refuse an invalid amount.
    type(view->amountField(), "12abc");
    click(view->saveButton());
    view->save();
    EXPECT_TRUE(store->data().transactions.empty());
    EXPECT_FALSE(sheetClosed());
}

TEST_F(AddTransactionViewTest, SavesWhatWasTypedAndCloses) {
    AddTransactionView* view = open(TransactionKind::expense);
    type(view->amountField(), "12,50");
    view->categoryPicker()->setCurrentText("Транспорт");
    type(view->noteField(), "   ");
    view->walletPicker()->setCurrentText("Карта");
    type(view->tagsField(), " школа, ,кино ,, школа ");
    click(view->favoriteRow()->toggle());
    QSignalSpy closing(view, &AddTransactionView::closeRequested);
    click(view->saveButton());

    const MoneyTransaction& t = onlyTransaction();
    EXPECT_EQ(t.kind, TransactionKind::expense);
    EXPECT_EQ(t.amount, Decimal::parse("12.5").value());
    EXPECT_EQ(t.category, "Транспорт");
    EXPECT_EQ(t.note, "   ");  // stored as typed
    EXPECT_EQ(t.wallet, std::optional<QString>("Карта"));
    EXPECT_EQ(t.tags, std::optional<QStringList>({"школа", "кино", "школа"}));
    EXPECT_EQ(t.isFavorite, std::optional<bool>(true));
    EXPECT_EQ(t.date, clock.now());  // the moment the form was opened
    EXPECT_FALSE(t.receiptFilename);
    EXPECT_EQ(closing.count(), 1);
    EXPECT_TRUE(sheetClosed());
}

TEST_F(AddTransactionViewTest, EmptyTagsAreStoredAsAnEmptyListAndAnEditedDateIsKept) {
    AddTransactionView* view = open(TransactionKind::income);
    type(view->amountField(), "5");
    // The picker shows wall-clock time in the ledger's zone (Berlin, UTC+2 in June).
    EXPECT_EQ(view->datePicker()->dateTime().time(), QTime(14, 0));
    view->datePicker()->setDateTime(QDateTime(QDate(2026, 6, 1), QTime(9, 30)));
    view->save();
    const MoneyTransaction& t = onlyTransaction();
    EXPECT_EQ(t.tags, std::optional<QStringList>(QStringList{}));
    EXPECT_EQ(t.isFavorite, std::optional<bool>(false));
    EXPECT_EQ(t.category, "Зарплата");
    EXPECT_EQ(t.date, QDateTime(QDate(2026, 6, 1), QTime(7, 30), Qt::UTC));
}

TEST_F(AddTransactionViewTest, SwitchingTheKindResetsTheCategoryAndClosesTheCustomRow) {
    AddTransactionView* view = open(TransactionKind::expense);
    view->categoryPicker()->setCurrentText("Покупки");
    click(view->customCategoryButton());
    ASSERT_TRUE(view->isAddingCustomCategory());
    EXPECT_TRUE(view->customCategoryField()->isVisible());
    typeText(view->customCategoryField(), "кафе");

    chooseKind(view, TransactionKind::income);
    EXPECT_EQ(view->kind(), TransactionKind::income);
    EXPECT_EQ(view->page()->title(), "Новый доход");
    EXPECT_EQ(view->category(), "Зарплата");
    EXPECT_EQ(view->categoryPicker()->currentText(), "Зарплата");
    EXPECT_FALSE(view->isAddingCustomCategory());
    EXPECT_FALSE(view->customCategoryField()->isVisible());
    EXPECT_TRUE(view->customCategoryButton()->isVisible());
    EXPECT_EQ(view->customCategoryField()->text(), "");
    EXPECT_TRUE(store->customCategories(TransactionKind::expense).empty());  // nothing was added

    chooseKind(view, TransactionKind::expense);
    EXPECT_EQ(view->category(), "Еда");
    type(view->amountField(), "3");
    view->save();
    EXPECT_EQ(onlyTransaction().kind, TransactionKind::expense);
    EXPECT_EQ(onlyTransaction().category, "Еда");
}

TEST_F(AddTransactionViewTest, CustomCategoriesAreAddedSelectedListedAfterTheBuiltInOnesAndKeptOnCancel) {
    AddTransactionView* view = open(TransactionKind::expense);
    click(view->customCategoryButton());
    EXPECT_FALSE(view->addCustomCategoryButton()->isEnabled());
    typeText(view->customCategoryField(), "   ");  // a blank name changes nothing, the row stays open
    EXPECT_FALSE(view->addCustomCategoryButton()->isEnabled());
    QTest::keyClick(view->customCategoryField(), Qt::Key_Return);
    EXPECT_TRUE(view->isAddingCustomCategory());
    EXPECT_TRUE(store->customCategories(TransactionKind::expense).empty());
    type(view->customCategoryField(), "  кафе  ");
    EXPECT_TRUE(view->addCustomCategoryButton()->isEnabled());
    click(view->addCustomCategoryButton());

    EXPECT_EQ(view->category(), "кафе");
    EXPECT_EQ(view->categoryPicker()->currentText(), "кафе");
    EXPECT_FALSE(view->isAddingCustomCategory());
    QStringList expected = AddTransactionView::categories(TransactionKind::expense);
    expected << "кафе";
    EXPECT_EQ(items(view->categoryPicker()), expected);

    // Another spelling of an existing custom category selects it, adds nothing.
    view->categoryPicker()->setCurrentText("Еда");
    click(view->customCategoryButton());
    typeText(view->customCategoryField(), "КАФЕ");
    QTest::keyClick(view->customCategoryField(), Qt::Key_Return);
    EXPECT_EQ(view->category(), "кафе");
    EXPECT_EQ(store->customCategories(TransactionKind::expense), std::vector<QString>({"кафе"}));

    // Differing from a built-in one only by case makes another entry.
    click(view->customCategoryButton());
    typeText(view->customCategoryField(), "еда");
    click(view->addCustomCategoryButton());
    EXPECT_EQ(view->category(), "еда");
    EXPECT_EQ(store->customCategories(TransactionKind::expense), std::vector<QString>({"кафе", "еда"}));
    expected << "еда";
    EXPECT_EQ(items(view->categoryPicker()), expected);
    EXPECT_EQ(view->availableCategories(), expected);

    click(view->cancelButton());
    EXPECT_TRUE(sheetClosed());
    EXPECT_TRUE(store->data().transactions.empty());
    EXPECT_EQ(store->customCategories(TransactionKind::expense), std::vector<QString>({"кафе", "еда"}));
}

TEST_F(AddTransactionViewTest, CustomCategorySpelledLikeABuiltInOneIsStoredButListedOnce) {
    AddTransactionView* view = open(TransactionKind::expense);
    view->categoryPicker()->setCurrentText("Счета");
    click(view->customCategoryButton());
    typeText(view->customCategoryField(), "Еда");
    click(view->addCustomCategoryButton());
    EXPECT_EQ(store->customCategories(TransactionKind::expense), std::vector<QString>({"Еда"}));
    EXPECT_EQ(items(view->categoryPicker()), AddTransactionView::categories(TransactionKind::expense));
    EXPECT_EQ(view->category(), "Еда");
    EXPECT_EQ(view->categoryPicker()->currentIndex(), 0);
}

TEST_F(AddTransactionViewTest, TypedTextAndFocusSurviveAStoreChange) {
    AddTransactionView* view = open(TransactionKind::expense);
    QLineEdit* amount = view->amountField();
    QLineEdit* note = view->noteField();
    type(amount, "42");
    note->setFocus();
    typeText(note, "на обед");

    // Another screen adds a category while the form is open.
    store->addCustomCategory("Кино", TransactionKind::expense);
    settle();
    EXPECT_EQ(view->amountField(), amount);
    EXPECT_EQ(amount->text(), "42");
    EXPECT_EQ(note->text(), "на обед");
    EXPECT_TRUE(note->hasFocus());
    EXPECT_EQ(items(view->categoryPicker()).last(), "Кино");
    EXPECT_EQ(view->category(), "Еда");  // the choice is kept
}

TEST_F(AddTransactionViewTest, PickedPhotoChangesTheLabelAndShowsAPreview) {
    AddTransactionView* view = open(TransactionKind::expense);
    click(view->receiptPickerButton());
    picker.answer(pngBytes(400, 600));
    settle();
    EXPECT_EQ(view->receiptPickerButton()->text(), "Заменить фото чека");
    ReceiptPhotoView* preview = view->receiptPreview();
    ASSERT_TRUE(preview->isVisible());
    EXPECT_FALSE(preview->image().isNull());
    EXPECT_LE(preview->height(), ReceiptPhotoView::kMaxHeight);
    EXPECT_LE(preview->photoRect().height(), ReceiptPhotoView::kMaxHeight);

    // Picking nothing clears the photo again.
    click(view->receiptPickerButton());
    picker.answer(std::nullopt);
    settle();
    EXPECT_EQ(view->receiptPickerButton()->text(), "Прикрепить фото чека");
    EXPECT_FALSE(view->receiptData());
    EXPECT_FALSE(preview->isVisible());
}

TEST_F(AddTransactionViewTest, SavedReceiptHoldsThePickedBytesUnderANewName) {
    AddTransactionView* view = open(TransactionKind::expense);
    const QByteArray photo = pngBytes();
    click(view->receiptPickerButton());
    picker.answer(photo);
    type(view->amountField(), "9");
    EXPECT_TRUE(receiptFiles().isEmpty());  // nothing is written before the save
    view->save();

    const MoneyTransaction& t = onlyTransaction();
    ASSERT_TRUE(t.receiptFilename);
    EXPECT_EQ(t.receiptFilename->size(), 40);
    EXPECT_TRUE(t.receiptFilename->endsWith(".jpg"));
    EXPECT_EQ(receiptFile(*t.receiptFilename), photo);  // PNG bytes, unchanged
}

TEST_F(AddTransactionViewTest, BytesThatAreNoImageShowNoPreviewButAreStillSaved) {
    AddTransactionView* view = open(TransactionKind::expense);
    click(view->receiptPickerButton());
    picker.answer(QByteArray("not a picture at all"));
    settle();
    EXPECT_EQ(view->receiptPickerButton()->text(), "Заменить фото чека");
    EXPECT_FALSE(view->receiptPreview()->isVisible());
    type(view->amountField(), "1");
    view->save();
    ASSERT_TRUE(onlyTransaction().receiptFilename);
    EXPECT_EQ(receiptFile(*onlyTransaction().receiptFilename), "not a picture at all");
}

TEST_F(AddTransactionViewTest, OnlyTheNewestPickCountsAndCancelWritesNothing) {
    AddTransactionView* view = open(TransactionKind::expense);
    type(view->amountField(), "10");
    click(view->receiptPickerButton());
    click(view->receiptPickerButton());
    const QByteArray newest = pngBytes(30, 30);
    picker.answerLatest(newest);
    picker.answer(pngBytes(50, 10));  // the first pick answers late
    EXPECT_EQ(view->receiptData(), std::optional<QByteArray>(newest));

    // Cancelled with a photo picked and another pick still open.
    click(view->receiptPickerButton());
    click(view->cancelButton());
    settle();
    EXPECT_TRUE(sheetClosed());
    picker.answer(pngBytes());  // the form is gone; nothing happens
    EXPECT_TRUE(store->data().transactions.empty());
    EXPECT_TRUE(receiptFiles().isEmpty());
}

TEST_F(AddTransactionViewTest, AReceiptThatCannotBeWrittenLeavesTheTransactionWithoutOne) {
    breakReceiptWrites();
    AddTransactionView* view = open(TransactionKind::expense);
    click(view->receiptPickerButton());
    picker.answer(pngBytes());
    type(view->amountField(), "10");
    view->save();
    EXPECT_TRUE(sheetClosed());
    EXPECT_FALSE(onlyTransaction().receiptFilename);
}

TEST_F(AddTransactionViewTest, FormClosesWhenTheLedgerWriteFails) {
    AddTransactionView* view = open(TransactionKind::income);
    breakLedgerWrites();
    type(view->amountField(), "7");
    click(view->saveButton());
    EXPECT_TRUE(sheetClosed());
    ASSERT_TRUE(store->saveError());
    EXPECT_TRUE(store->saveError()->startsWith("Не удалось сохранить данные: "));
    EXPECT_EQ(store->data().transactions.size(), 1u);  // the change stays in memory
}

TEST_F(AddTransactionViewTest, Gallery) {
    AddTransactionView* view = open(TransactionKind::income);
    type(view->amountField(), "250,00");
    type(view->noteField(), "За уборку");
    type(view->tagsField(), "дом, помощь");
    click(view->receiptPickerButton());
    picker.answer(pngBytes(600, 400));
    click(view->customCategoryButton());
    expectFitsWidth(view->page()->body());
    EXPECT_FALSE(Gallery::save(*window, "add-transaction-income-filled").isEmpty());

    Preferences::standard().setValue("appTheme", "dark");
    Theme::current().refresh();
    settle();
    EXPECT_FALSE(Gallery::save(*window, "add-transaction-income-dark").isEmpty());
}

}  // namespace
