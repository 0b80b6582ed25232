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
#include "views/ledger/ReceiptImageView.h"
#include "views/ledger/TransactionEditorView.h"

using namespace formstest;

namespace {

class TransactionEditorViewTest : public FormsTest {
protected:
    // A transaction as an older ledger may hold it: no wallet, tags,
    // favourite mark or receipt.
    MoneyTransaction stored(const QString& amount = "12.5", const QString& category = "Еда") {
        MoneyTransaction t{QUuid::createUuid(),
                           TransactionKind::expense,
                           Decimal::parse(amount).value(),
                           category,
                           "обед",
                           QDateTime(QDate(2026, 6, 10), QTime(8, 15, 42), Qt::UTC),
                           std::nullopt,
                           std::nullopt,
                           std::nullopt,
                           std::nullopt};
        return t;
    }
    // Puts the transaction into the ledger (saved) and opens the editor on it.
    TransactionEditorView* open(const MoneyTransaction& t) {
        MoneyData data = store->data();
        data.transactions.push_back(t);
        store->setData(data);
        return present(new TransactionEditorView(*store, t, picker));
    }
    const MoneyTransaction* find(const QUuid& id) const {
        for (const MoneyTransaction& t : store->data().transactions)
            if (t.id == id) return &t;
        return nullptr;
    }
    static void retype(QLineEdit* field, const QString& text) {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        typeText(field, text);
    }
    static void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    QString saveReceipt(const QByteArray& bytes) { return ReceiptStore(store->paths()).save(bytes).value(); }
};

TEST_F(TransactionEditorViewTest, OpensWithTheTransactionsValuesAndNoFieldFocused) {
    MoneyTransaction t = stored();
    t.tags = QStringList{"кино", "школа"};
    TransactionEditorView* view = open(t);
    EXPECT_EQ(view->page()->title(), "Операция");
    EXPECT_EQ(view->kindPicker()->currentTag(), "expense");
    EXPECT_EQ(view->amountField()->text(), "12.5");
    EXPECT_EQ(view->categoryField()->text(), "Еда");
    EXPECT_EQ(view->noteField()->text(), "обед");
    EXPECT_EQ(view->walletField()->text(), "Основной");
    EXPECT_EQ(view->tagsField()->text(), "кино, школа");
    EXPECT_FALSE(view->favoriteRow()->isChecked());
    EXPECT_EQ(view->receiptPickerButton()->text(), "Добавить фото чека");
    EXPECT_EQ(view->duplicateButton()->text(), "Создать копию");
    EXPECT_FALSE(view->storedReceiptView());
    EXPECT_TRUE(view->saveButton()->isEnabled());
    for (QLineEdit* field : view->findChildren<QLineEdit*>())
        EXPECT_FALSE(field->hasFocus()) << field->objectName().toStdString();
}

TEST_F(TransactionEditorViewTest, SavingUnchangedMakesAbsentFieldsPresentAndKeepsTheId) {
    const MoneyTransaction t = stored();
    TransactionEditorView* view = open(t);
    QSignalSpy closing(view, &TransactionEditorView::closeRequested);
    click(view->saveButton());
    const MoneyTransaction* saved = find(t.id);
    ASSERT_TRUE(saved);
    EXPECT_EQ(store->data().transactions.size(), 1u);
    EXPECT_EQ(saved->wallet, std::optional<QString>("Основной"));
    EXPECT_EQ(saved->tags, std::optional<QStringList>(QStringList{}));
    EXPECT_EQ(saved->isFavorite, std::optional<bool>(false));
    EXPECT_FALSE(saved->receiptFilename);
    EXPECT_EQ(saved->amount, t.amount);
    EXPECT_EQ(saved->date, t.date);  // seconds kept: the picker was not touched
    EXPECT_EQ(closing.count(), 1);
    EXPECT_TRUE(sheetClosed());
}

TEST_F(TransactionEditorViewTest, SaveTrimsParsesKeepsTheCategoryAndReadsTheDateInTheLedgersZone) {
    MoneyTransaction t = stored();
    t.wallet = "Карта";
    TransactionEditorView* view = open(t);
    EXPECT_EQ(view->datePicker()->dateTime().time(), QTime(10, 15, 42));  // Berlin wall clock
    view->datePicker()->setDateTime(QDateTime(QDate(2026, 1, 5), QTime(18, 0)));
    click(view->kindPicker()->segment("income"));
    EXPECT_EQ(view->categoryField()->text(), "Еда");  // another kind keeps the category
    retype(view->amountField(), "7,25");
    retype(view->categoryField(), "  Кафе  ");
    retype(view->noteField(), "   ");
    retype(view->walletField(), "");
    retype(view->tagsField(), " школа, ,кино ,, школа ");
    click(view->favoriteRow()->toggle());
    view->save();
    const MoneyTransaction* saved = find(t.id);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->amount, Decimal::parse("7.25").value());
    EXPECT_EQ(saved->category, "Кафе");
    EXPECT_EQ(saved->note, "");
    EXPECT_EQ(saved->wallet, std::optional<QString>(""));  // cleared, not the default
    EXPECT_EQ(saved->tags, std::optional<QStringList>({"школа", "кино", "школа"}));
    EXPECT_EQ(saved->isFavorite, std::optional<bool>(true));
    EXPECT_EQ(saved->kind, TransactionKind::income);
    EXPECT_EQ(saved->date, QDateTime(QDate(2026, 1, 5), QTime(17, 0), Qt::UTC));  // winter: UTC+1
}

TEST_F(TransactionEditorViewTest, SaveNeedsAnAmountAboveZeroAndACategory) {
    TransactionEditorView* view = open(stored());
    retype(view->amountField(), "1,5");
    EXPECT_TRUE(view->saveButton()->isEnabled());
    retype(view->categoryField(), "   ");
    EXPECT_FALSE(view->saveButton()->isEnabled());
    retype(view->categoryField(), "\t");
    EXPECT_FALSE(view->saveButton()->isEnabled());
    retype(view->categoryField(), "Еда");
    EXPECT_TRUE(view->saveButton()->isEnabled());

    // The save itself refuses a bad amount and stays open.
    const MoneyData before = store->data();
    retype(view->amountField(), "0");
    EXPECT_FALSE(view->saveButton()->isEnabled());
    view->save();
    EXPECT_EQ(store->data(), before);
    EXPECT_FALSE(sheetClosed());
}

TEST_F(TransactionEditorViewTest, CopyDuplicatesTheStoredTransactionNotTheEdits) {
    const MoneyTransaction t = stored("12.5");
    TransactionEditorView* view = open(t);
    retype(view->amountField(), "99");
    retype(view->noteField(), "изменено");
    click(view->duplicateButton());
    EXPECT_TRUE(sheetClosed());
    ASSERT_EQ(store->data().transactions.size(), 2u);
    EXPECT_EQ(store->data().transactions[0], t);  // unchanged
    const MoneyTransaction& copy = store->data().transactions[1];
    EXPECT_NE(copy.id, t.id);
    EXPECT_EQ(copy.amount, Decimal::parse("12.5").value());
    EXPECT_EQ(copy.note, "обед");
    EXPECT_EQ(copy.date, clock.now());
}

TEST_F(TransactionEditorViewTest, CancelChangesNothing) {
    const MoneyTransaction t = stored();
    TransactionEditorView* view = open(t);
    retype(view->amountField(), "5");
    click(view->receiptPickerButton());
    picker.answer(pngBytes());
    click(view->cancelButton());
    EXPECT_TRUE(sheetClosed());
    EXPECT_EQ(store->data().transactions, std::vector<MoneyTransaction>{t});
    EXPECT_TRUE(receiptFiles().isEmpty());
}

TEST_F(TransactionEditorViewTest, PickedPhotoPreviewsButTheLabelFollowsTheOpenedTransaction) {
    const MoneyTransaction t = stored();
    TransactionEditorView* view = open(t);
    click(view->receiptPickerButton());
    const QByteArray photo = pngBytes(120, 60);
    picker.answer(photo);
    settle();
    EXPECT_EQ(view->receiptPickerButton()->text(), "Добавить фото чека");
    ASSERT_TRUE(view->replacementPreview()->isVisible());
    EXPECT_LE(view->replacementPreview()->height(), ReceiptPhotoView::kMaxHeight);
    view->save();
    const MoneyTransaction* saved = find(t.id);
    ASSERT_TRUE(saved->receiptFilename);
    EXPECT_EQ(receiptFile(*saved->receiptFilename), photo);
}

TEST_F(TransactionEditorViewTest, StoredReceiptShowsAndAReplacementKeepsTheOldFile) {
    MoneyTransaction t = stored();
    const QString oldName = saveReceipt(jpegWithOrientation(twoColourImage(60, 30), 1));
    t.receiptFilename = oldName;
    TransactionEditorView* view = open(t);
    EXPECT_EQ(view->receiptPickerButton()->text(), "Заменить фото чека");
    ASSERT_TRUE(view->storedReceiptView());
    EXPECT_TRUE(view->storedReceiptView()->isAvailable());
    EXPECT_TRUE(view->storedReceiptView()->isVisible());
    EXPECT_FALSE(view->replacementPreview()->isVisible());

    click(view->receiptPickerButton());
    picker.answer(pngBytes());
    settle();
    // The new photo shows in place of the stored one.
    EXPECT_TRUE(view->replacementPreview()->isVisible());
    EXPECT_FALSE(view->storedReceiptView()->isVisible());

    // A pick that yields nothing brings the stored receipt back.
    click(view->receiptPickerButton());
    picker.answer(std::nullopt);
    settle();
    EXPECT_FALSE(view->replacementPreview()->isVisible());
    EXPECT_TRUE(view->storedReceiptView()->isVisible());

    click(view->receiptPickerButton());
    picker.answer(pngBytes(20, 20));
    view->save();
    const MoneyTransaction* saved = find(t.id);
    ASSERT_TRUE(saved->receiptFilename);
    EXPECT_NE(*saved->receiptFilename, oldName);
    EXPECT_TRUE(receiptFiles().contains(oldName));
    EXPECT_EQ(receiptFiles().size(), 2);
}

TEST_F(TransactionEditorViewTest, AReplacementThatCannotBeWrittenKeepsWhatWasAttached) {
    MoneyTransaction t = stored();
    const QString original = saveReceipt(pngBytes());
    t.receiptFilename = original;
    const MoneyTransaction bare = stored("4");
    TransactionEditorView* view = open(t);
    view->save();  // without a replacement the name stays
    EXPECT_EQ(find(t.id)->receiptFilename, std::optional<QString>(original));
    store->add(bare.kind, bare.amount, bare.category, bare.note, bare.date, {}, false, "");
    const QUuid bareId = store->data().transactions.back().id;

    // From now on no receipt can be written.
    QDir(receiptsFolder()).removeRecursively();
    breakReceiptWrites();
    view = present(new TransactionEditorView(*store, *find(t.id), picker));
    click(view->receiptPickerButton());
    picker.answer(pngBytes(30, 30));
    ASSERT_TRUE(view->replacementReceiptData());
    view->save();
    EXPECT_TRUE(sheetClosed());
    EXPECT_EQ(find(t.id)->receiptFilename, std::optional<QString>(original));  // not lost

    // A transaction that had none is saved, still without one.
    view = present(new TransactionEditorView(*store, *find(bareId), picker));
    click(view->receiptPickerButton());
    picker.answer(pngBytes());
    retype(view->amountField(), "8");
    view->save();
    EXPECT_EQ(find(bareId)->amount, Decimal(8));
    EXPECT_FALSE(find(bareId)->receiptFilename);
}

TEST_F(TransactionEditorViewTest, RemovedReceiptFileShowsThatThePhotoIsUnavailable) {
    MoneyTransaction t = stored();
    t.receiptFilename = saveReceipt(pngBytes());
    QFile::remove(receiptsFolder() + "/" + *t.receiptFilename);
    TransactionEditorView* view = open(t);
    ASSERT_TRUE(view->storedReceiptView());
    EXPECT_FALSE(view->storedReceiptView()->isAvailable());
    EXPECT_TRUE(view->storedReceiptView()->unavailableLabel()->isVisible());
    EXPECT_EQ(view->storedReceiptView()->unavailableLabel()->text(), "Фото чека недоступно");
    EXPECT_EQ(view->storedReceiptView()->unavailableLabel()->symbol(), "photo.badge.exclamationmark");
    EXPECT_FALSE(Gallery::save(*window, "transaction-editor-receipt-unavailable").isEmpty());
}

TEST_F(TransactionEditorViewTest, EditorClosesWhenTheWriteFailsOrTheTransactionIsGone) {
    const MoneyTransaction t = stored();
    TransactionEditorView* view = open(t);
    breakLedgerWrites();
    retype(view->amountField(), "3");
    click(view->saveButton());
    EXPECT_TRUE(sheetClosed());
    ASSERT_TRUE(store->saveError());
    EXPECT_EQ(find(t.id)->amount, Decimal(3));  // kept in memory

    // Deleted while the editor was open: nothing changes, the editor closes.
    const MoneyTransaction other = stored("4");
    view = open(other);
    store->deleteTransactions({other.id});
    const MoneyData before = store->data();
    view->save();
    EXPECT_TRUE(sheetClosed());
    EXPECT_EQ(store->data(), before);
}

TEST_F(TransactionEditorViewTest, Gallery) {
    MoneyTransaction t = stored("349.9", "Покупки");
    t.note = "Кроссовки";
    t.wallet = "Карта";
    t.tags = QStringList{"спорт", "обувь"};
    t.isFavorite = true;
    t.receiptFilename = saveReceipt(pngBytes(300, 420));
    TransactionEditorView* view = open(t);
    expectFitsWidth(view->page()->body());
    EXPECT_FALSE(Gallery::save(*window, "transaction-editor-receipt").isEmpty());

    Preferences::standard().setValue("appTheme", "dark");
    Theme::current().refresh();
    settle();
    EXPECT_FALSE(Gallery::save(*window, "transaction-editor-dark").isEmpty());
}

}  // namespace
