#include "views/ledger/AddTransactionView.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QShowEvent>
#include <QTimer>

#include "components/Button.h"
#include "components/NavigationStack.h"
#include "components/PageBody.h"
#include "components/SegmentedControl.h"
#include "components/TextLabel.h"
#include "components/Toggle.h"
#include "services/AmountInput.h"
#include "store/MoneyStore.h"
#include "views/ledger/EditorForm.h"
#include "views/ledger/ReceiptImageView.h"

namespace {

QString receiptButtonTitle(bool hasReceipt) {
    return hasReceipt ? QStringLiteral("Заменить фото чека") : QStringLiteral("Прикрепить фото чека");
}

QString pageTitle(TransactionKind kind) {
    return kind == TransactionKind::income ? QStringLiteral("Новый доход") : QStringLiteral("Новый расход");
}

}  // namespace

AddTransactionView::AddTransactionView(MoneyStore& store, TransactionKind initialKind, PhotoPicker& photos,
                                       QWidget* parent)
    : QWidget(parent),
      store_(store),
      receipts_(store.paths()),
      receiptRequest_(photos),
      kind_(initialKind),
      category_(categories(initialKind).first()),
      date_(store.now().toUTC()) {
    setObjectName(QStringLiteral("addTransactionView"));
    buildForm();
    // Custom categories can change while the form is open (another sheet, a
    // profile switch); only the picker's entries are redrawn.
    connect(&store_, &MoneyStore::dataChanged, this, &AddTransactionView::refreshCategories);
}

AddTransactionView::~AddTransactionView() = default;

QStringList AddTransactionView::categories(TransactionKind kind) {
    if (kind == TransactionKind::income)
        return {QStringLiteral("Зарплата"),     QStringLiteral("Подработка"),
                QStringLiteral("Подарок"),      QStringLiteral("Продажа"),
                QStringLiteral("Помыл полы:)"), QStringLiteral("Помог маме/папе с IT и технологиями"),
                QStringLiteral("Другое")};
    return {QStringLiteral("Еда"),         QStringLiteral("Транспорт"), QStringLiteral("Покупки"),
            QStringLiteral("Развлечения"), QStringLiteral("Здоровье"),  QStringLiteral("Учёба"),
            QStringLiteral("Счета"),       QStringLiteral("Другое")};
}

QStringList AddTransactionView::wallets() {
    return {transaction_form::defaultWallet(), QStringLiteral("Наличные"), QStringLiteral("Карта"),
            QStringLiteral("WeChat Pay"), QStringLiteral("Alipay")};
}

QStringList AddTransactionView::availableCategories() const {
    QStringList list = categories(kind_);
    const QStringList builtIn = list;
    for (const QString& custom : store_.customCategories(kind_))
        if (!builtIn.contains(custom, Qt::CaseSensitive)) list << custom;
    return list;
}

void AddTransactionView::buildForm() {
    const EditorPage frame = makeEditorPage(pageTitle(kind_), QStringLiteral("Сохранить"), QStringLiteral("saveButton"));
    page_ = frame.page;
    page_->setObjectName(QStringLiteral("addTransactionPage"));
    cancelButton_ = frame.cancel;
    saveButton_ = frame.confirm;
    connect(cancelButton_, &QAbstractButton::clicked, this, &AddTransactionView::cancel);
    connect(saveButton_, &QAbstractButton::clicked, this, &AddTransactionView::save);

    PageBody* body = page_->body();

    // Kind and amount.
    auto* first = new EditorSection;
    first->setObjectName(QStringLiteral("amountSection"));
    kindPicker_ = transaction_form::kindPicker(kind_);
    connect(kindPicker_, &SegmentedControl::currentTagChanged, this, [this](const QString& tag) {
        if (auto kind = transactionKindFromRaw(tag)) setKind(*kind);
    });
    first->addRow(kindPicker_);

    auto* amountRow = new QWidget;
    auto* amountLine = new QHBoxLayout(amountRow);
    amountLine->setContentsMargins(0, 8, 0, 8);
    amountLine->setSpacing(8);
    // The same sign whatever currency is chosen: the form reads no currency.
    currencySign_ =
        new TextLabel(QStringLiteral("¥"), TextStyle::LargeTitle, ColorRole::SecondaryLabel, amountRow);
    currencySign_->setObjectName(QStringLiteral("currencySign"));
    currencySign_->setTextStyle(TextStyle::LargeTitle, QFont::Bold);
    amountField_ = formTextField(QStringLiteral("0.00"), QStringLiteral("amountField"));
    amountField_->setAccessibleName(QStringLiteral("Сумма"));
    amountField_->setFont(Theme::font(TextStyle::LargeTitle, QFont::Bold));
    amountField_->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    connect(amountField_, &QLineEdit::textChanged, this, &AddTransactionView::updateSaveEnabled);
    amountLine->addWidget(currencySign_, 0, Qt::AlignVCenter);
    amountLine->addWidget(amountField_, 1, Qt::AlignVCenter);
    first->addRow(amountRow);
    body->addWidget(first);

    // Details.
    details_ = new EditorSection(QStringLiteral("Подробности"));
    details_->setObjectName(QStringLiteral("detailsSection"));

    categoryPicker_ = new QComboBox;
    categoryPicker_->setObjectName(QStringLiteral("categoryPicker"));
    categoryPicker_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // The list is refilled with signals blocked, so only a choice lands here.
    connect(categoryPicker_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) category_ = categoryPicker_->itemText(index);
    });
    details_->addRow(transaction_form::pickerRow(QStringLiteral("Категория"), categoryPicker_));

    customButton_ =
        new Button(QStringLiteral("Своя категория"), Button::Style::Plain, QStringLiteral("plus.circle"));
    customButton_->setObjectName(QStringLiteral("customCategoryButton"));
    connect(customButton_, &QAbstractButton::clicked, this, [this] { setAddingCustomCategory(true); });
    details_->addRow(customButton_);

    customRow_ = new QWidget;
    customRow_->setObjectName(QStringLiteral("customCategoryRow"));
    auto* customLine = new QHBoxLayout(customRow_);
    customLine->setContentsMargins(0, 0, 0, 0);
    customLine->setSpacing(10);
    customField_ = formTextField(QStringLiteral("Название категории"), QStringLiteral("customCategoryField"));
    customAddButton_ = new Button(QStringLiteral("Добавить"), Button::Style::Plain);
    customAddButton_->setObjectName(QStringLiteral("addCustomCategoryButton"));
    customAddButton_->setEnabled(false);
    connect(customField_, &QLineEdit::textChanged, this,
            [this](const QString& text) { customAddButton_->setEnabled(!text.trimmed().isEmpty()); });
    connect(customField_, &QLineEdit::returnPressed, this, &AddTransactionView::addCustomCategory);
    connect(customAddButton_, &QAbstractButton::clicked, this, &AddTransactionView::addCustomCategory);
    customLine->addWidget(customField_, 1);
    customLine->addWidget(customAddButton_);
    details_->addRow(customRow_);
    details_->setRowVisible(customRow_, false);

    noteField_ = formTextField(QStringLiteral("Комментарий"), QStringLiteral("noteField"));
    details_->addRow(noteField_);

    walletPicker_ = new QComboBox;
    walletPicker_->setObjectName(QStringLiteral("walletPicker"));
    walletPicker_->addItems(wallets());
    walletPicker_->setCurrentIndex(0);
    details_->addRow(transaction_form::pickerRow(QStringLiteral("Кошелёк"), walletPicker_));

    tagsField_ = formTextField(QStringLiteral("Теги через запятую"), QStringLiteral("tagsField"));
    details_->addRow(tagsField_);

    favoriteRow_ = new ToggleRow(QStringLiteral("Добавить в избранное"));
    favoriteRow_->setObjectName(QStringLiteral("favoriteRow"));
    details_->addRow(favoriteRow_);

    receiptButton_ =
        new Button(receiptButtonTitle(false), Button::Style::Plain, QStringLiteral("doc.text.viewfinder"));
    receiptButton_->setObjectName(QStringLiteral("receiptPickerButton"));
    connect(receiptButton_, &QAbstractButton::clicked, this, &AddTransactionView::pickReceipt);
    details_->addRow(receiptButton_);

    preview_ = new ReceiptPhotoView;
    preview_->setObjectName(QStringLiteral("receiptPreview"));
    details_->addRow(preview_);
    details_->setRowVisible(preview_, false);

    // Only an edit replaces the moment the form was opened.
    details_->addRow(transaction_form::dateRow(date_, store_.timeZone(), datePicker_));

    body->addWidget(details_);
    hostEditorPage(this, page_);

    refreshCategories();
    updateSaveEnabled();
}

void AddTransactionView::setKind(TransactionKind kind) {
    if (kind == kind_) return;
    kind_ = kind;
    kindPicker_->setCurrentTag(rawValue(kind));
    page_->setTitle(pageTitle(kind));
    category_ = availableCategories().first();
    setAddingCustomCategory(false);
    customField_->clear();
    refreshCategories();
}

void AddTransactionView::refreshCategories() {
    const QStringList entries = availableCategories();
    const QSignalBlocker blocker(categoryPicker_);
    QStringList current;
    for (int i = 0; i < categoryPicker_->count(); ++i) current << categoryPicker_->itemText(i);
    if (current != entries) {
        categoryPicker_->clear();
        categoryPicker_->addItems(entries);
    }
    // A chosen category missing from the list (removed elsewhere) stays chosen
    // but shows no entry, as the platform's picker does.
    categoryPicker_->setCurrentIndex(static_cast<int>(entries.indexOf(category_)));
}

void AddTransactionView::setAddingCustomCategory(bool adding) {
    addingCustomCategory_ = adding;
    details_->setRowVisible(customButton_, !adding);
    details_->setRowVisible(customRow_, adding);
    if (adding) customField_->setFocus();
}

void AddTransactionView::addCustomCategory() {
    const std::optional<QString> name = store_.addCustomCategory(customField_->text(), kind_);
    if (!name) return;
    category_ = *name;
    customField_->clear();
    setAddingCustomCategory(false);
    refreshCategories();
}

bool AddTransactionView::canSave() const {
    return parsePositiveAmountInput(amountField_->text()).has_value();
}

void AddTransactionView::updateSaveEnabled() { saveButton_->setEnabled(canSave()); }

void AddTransactionView::pickReceipt() {
    receiptRequest_.start(this, [this](std::optional<QByteArray> bytes) { setReceiptData(std::move(bytes)); });
}

void AddTransactionView::setReceiptData(std::optional<QByteArray> bytes) {
    receiptData_ = std::move(bytes);
    receiptButton_->setText(receiptButtonTitle(receiptData_.has_value()));
    // Bytes that are no image are still kept (and saved as the receipt file);
    // they only show no preview.
    preview_->setImage(receiptData_ ? decodeReceiptImage(*receiptData_) : QImage());
    details_->setRowVisible(preview_, !preview_->image().isNull());
}

void AddTransactionView::save() {
    const std::optional<Decimal> amount = parsePositiveAmountInput(amountField_->text());
    if (!amount) return;
    const QStringList tags = transaction_form::splitTags(tagsField_->text());
    // A receipt that cannot be written leaves the transaction without one.
    std::optional<QString> receiptName;
    if (receiptData_) receiptName = receipts_.save(*receiptData_);
    store_.add(kind_, *amount, category_, noteField_->text(), date_, tags, favoriteRow_->isChecked(),
               walletPicker_->currentText(), receiptName);
    // A failed ledger write is the store's to report (its save error); the
    // form closes either way.
    close();
}

void AddTransactionView::cancel() { close(); }

void AddTransactionView::close() {
    receiptRequest_.forget();  // a pick still open no longer lands here
    emit closeRequested();
    dismissSheetOf(this);
}

void AddTransactionView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    // The amount takes the keyboard at once.
    QPointer<QLineEdit> field = amountField_;
    QTimer::singleShot(0, this, [field] {
        if (field) field->setFocus(Qt::OtherFocusReason);
    });
}
