#include "views/ledger/TransactionEditorView.h"

#include <QDateTimeEdit>
#include <QLineEdit>
#include <QShowEvent>
#include <QPointer>
#include <QTimer>

#include "components/Button.h"
#include "components/NavigationStack.h"
#include "components/PageBody.h"
#include "components/SegmentedControl.h"
#include "components/Toggle.h"
#include "services/AmountInput.h"
#include "store/MoneyStore.h"
#include "views/ledger/EditorForm.h"
#include "views/ledger/ReceiptImageView.h"

TransactionEditorView::TransactionEditorView(MoneyStore& store, MoneyTransaction transaction,
                                             PhotoPicker& photos, QWidget* parent)
    : QWidget(parent),
      store_(store),
      transaction_(std::move(transaction)),
      receipts_(store.paths()),
      receiptRequest_(photos),
      kind_(transaction_.kind),
      date_(transaction_.date.toUTC()) {
    setObjectName(QStringLiteral("transactionEditorView"));
    // Lets the editor itself hold the focus, so that no field does at first.
    setFocusPolicy(Qt::StrongFocus);
    buildForm();
}

TransactionEditorView::~TransactionEditorView() = default;

void TransactionEditorView::buildForm() {
    const EditorPage frame =
        makeEditorPage(QStringLiteral("Операция"), QStringLiteral("Сохранить"), QStringLiteral("saveButton"));
    page_ = frame.page;
    page_->setObjectName(QStringLiteral("transactionEditorPage"));
    cancelButton_ = frame.cancel;
    saveButton_ = frame.confirm;
    connect(cancelButton_, &QAbstractButton::clicked, this, &TransactionEditorView::cancel);
    connect(saveButton_, &QAbstractButton::clicked, this, &TransactionEditorView::save);

    PageBody* body = page_->body();
    fields_ = new EditorSection;
    fields_->setObjectName(QStringLiteral("fieldsSection"));

    kindPicker_ = transaction_form::kindPicker(kind_);
    // Changing the kind changes no other field.
    connect(kindPicker_, &SegmentedControl::currentTagChanged, this, [this](const QString& tag) {
        if (auto kind = transactionKindFromRaw(tag)) kind_ = *kind;
    });
    fields_->addRow(kindPicker_);

    amountField_ = formTextField(QStringLiteral("Сумма"), QStringLiteral("amountField"));
    amountField_->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    amountField_->setText(transaction_.amount.toString());
    fields_->addRow(amountField_);

    categoryField_ = formTextField(QStringLiteral("Категория"), QStringLiteral("categoryField"));
    categoryField_->setText(transaction_.category);
    fields_->addRow(categoryField_);

    noteField_ = formTextField(QStringLiteral("Заметка"), QStringLiteral("noteField"));
    noteField_->setText(transaction_.note);
    fields_->addRow(noteField_);

    walletField_ = formTextField(QStringLiteral("Кошелёк"), QStringLiteral("walletField"));
    walletField_->setText(transaction_.wallet.value_or(transaction_form::defaultWallet()));
    fields_->addRow(walletField_);

    tagsField_ = formTextField(QStringLiteral("Теги через запятую"), QStringLiteral("tagsField"));
    tagsField_->setText(transaction_form::joinTags(transaction_.tags));
    fields_->addRow(tagsField_);

    // Only an edit replaces the stored moment.
    fields_->addRow(transaction_form::dateRow(date_, store_.timeZone(), datePicker_));

    favoriteRow_ = new ToggleRow(QStringLiteral("Избранное"));
    favoriteRow_->setObjectName(QStringLiteral("favoriteRow"));
    favoriteRow_->setChecked(transaction_.isFavorite.value_or(false));
    fields_->addRow(favoriteRow_);

    // The label follows the transaction as it was opened, not a newly picked photo.
    receiptButton_ = new Button(transaction_.receiptFilename ? QStringLiteral("Заменить фото чека")
                                                             : QStringLiteral("Добавить фото чека"),
                                Button::Style::Plain, QStringLiteral("doc.text.viewfinder"));
    receiptButton_->setObjectName(QStringLiteral("receiptPickerButton"));
    connect(receiptButton_, &QAbstractButton::clicked, this, &TransactionEditorView::pickReceipt);
    fields_->addRow(receiptButton_);

    preview_ = new ReceiptPhotoView;
    preview_->setObjectName(QStringLiteral("receiptPreview"));
    fields_->addRow(preview_);
    if (transaction_.receiptFilename) {
        storedReceipt_ = new ReceiptImageView(receipts_, *transaction_.receiptFilename);
        fields_->addRow(storedReceipt_);
    }
    body->addWidget(fields_);

    auto* copySection = new EditorSection;
    copySection->setObjectName(QStringLiteral("copySection"));
    duplicateButton_ = new Button(QStringLiteral("Создать копию"), Button::Style::Plain,
                                  QStringLiteral("plus.square.on.square"));
    duplicateButton_->setObjectName(QStringLiteral("duplicateButton"));
    connect(duplicateButton_, &QAbstractButton::clicked, this, &TransactionEditorView::duplicate);
    copySection->addRow(duplicateButton_);
    body->addWidget(copySection);

    connect(amountField_, &QLineEdit::textChanged, this, &TransactionEditorView::updateSaveEnabled);
    connect(categoryField_, &QLineEdit::textChanged, this, &TransactionEditorView::updateSaveEnabled);

    hostEditorPage(this, page_);

    updateReceiptArea();
    updateSaveEnabled();
}

bool TransactionEditorView::canSave() const {
    // The same trimming as the save below, so a category that would be
    // stored blank keeps the button disabled.
    return parsePositiveAmountInput(amountField_->text()).has_value() &&
           !categoryField_->text().trimmed().isEmpty();
}

void TransactionEditorView::updateSaveEnabled() { saveButton_->setEnabled(canSave()); }

void TransactionEditorView::pickReceipt() {
    receiptRequest_.start(this,
                          [this](std::optional<QByteArray> bytes) { setReplacementReceipt(std::move(bytes)); });
}

void TransactionEditorView::setReplacementReceipt(std::optional<QByteArray> bytes) {
    replacementReceiptData_ = std::move(bytes);
    replacementImage_ = replacementReceiptData_ ? decodeReceiptImage(*replacementReceiptData_) : QImage();
    updateReceiptArea();
}

void TransactionEditorView::updateReceiptArea() {
    // A newly picked photo that decodes shows in place of the stored one;
    // otherwise the stored receipt (if any) shows.
    const bool showReplacement = !replacementImage_.isNull();
    preview_->setImage(replacementImage_);
    fields_->setRowVisible(preview_, showReplacement);
    if (storedReceipt_) fields_->setRowVisible(storedReceipt_, !showReplacement);
}

void TransactionEditorView::save() {
    const std::optional<Decimal> amount = parsePositiveAmountInput(amountField_->text());
    if (!amount) return;
    MoneyTransaction edited = transaction_;  // every other field, the id included, stays
    edited.kind = kind_;
    edited.amount = *amount;
    edited.category = categoryField_->text().trimmed();
    edited.note = noteField_->text().trimmed();
    edited.wallet = walletField_->text().trimmed();
    edited.tags = transaction_form::splitTags(tagsField_->text());
    edited.date = date_;
    edited.isFavorite = favoriteRow_->isChecked();
    if (replacementReceiptData_) {
        // A replacement that cannot be written must not cost the receipt
        // already attached: the old reference (and file) stay. A written
        // replacement leaves the old file in place too.
        if (std::optional<QString> name = receipts_.save(*replacementReceiptData_))
            edited.receiptFilename = name;
    }
    // A transaction deleted meanwhile is left alone by the store; a failed
    // write is the store's to report. The editor closes either way.
    store_.updateTransaction(edited);
    close();
}

void TransactionEditorView::duplicate() {
    // The store copies the stored transaction; edits typed here are dropped.
    store_.duplicateTransaction(transaction_.id);
    close();
}

void TransactionEditorView::cancel() { close(); }

void TransactionEditorView::close() {
    receiptRequest_.forget();  // a pick still open no longer lands here
    emit closeRequested();
    dismissSheetOf(this);
}

void TransactionEditorView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    // A sheet gives its first text field the keyboard; the editor opens with none.
    QPointer<TransactionEditorView> self(this);
    QTimer::singleShot(0, this, [self] {
        if (self) self->setFocus(Qt::OtherFocusReason);
    });
}
