#include "views/planning/RecurringTransactionsView.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/ContentUnavailableView.h"
#include "components/DateText.h"
#include "components/PageBody.h"
#include "components/SegmentedControl.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "services/AmountInput.h"
#include "services/MoneyText.h"
#include "store/MoneyStore.h"
#include "views/ledger/TransactionFormParts.h"
#include "views/planning/ToolsStyle.h"

QString recurringFrequencyTitle(RecurringFrequency frequency) {
    return frequency == RecurringFrequency::weekly ? QStringLiteral("Каждую неделю")
                                                   : QStringLiteral("Каждый месяц");
}

RecurringRow::RecurringRow(MoneyStore& store, QWidget* parent) : QWidget(parent), store_(store) {
    setObjectName(QStringLiteral("recurringRow"));
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(tools_style::buttonGap);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(tools_style::recurringLineSpacing);
    title_ = new TextLabel({}, TextStyle::Body);
    title_->setObjectName(QStringLiteral("recurringTitle"));
    title_->setTextStyle(TextStyle::Body, QFont::DemiBold);
    title_->setWordWrap(true);
    texts->addWidget(title_);
    caption_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    caption_->setObjectName(QStringLiteral("recurringCaption"));
    caption_->setWordWrap(true);
    texts->addWidget(caption_);
    line->addLayout(texts, 1);
    amount_ = new TextLabel({}, TextStyle::Body);
    amount_->setObjectName(QStringLiteral("recurringAmount"));
    amount_->setMonospaced(true);
    amount_->setMinimumScaleFactor(TextFit::kMinimumScale);
    line->addWidget(amount_, 0, Qt::AlignVCenter);
    toggle_ = new Button({}, Button::Style::Plain);
    toggle_->setObjectName(QStringLiteral("recurringToggle"));
    toggle_->setIconOnly(true);
    line->addWidget(toggle_, 0, Qt::AlignVCenter);
    connect(toggle_, &QAbstractButton::clicked, this, [this] { store_.toggleRecurring(itemId_); });
}

void RecurringRow::draw(const RecurringTransaction& item, QDate nextDay) {
    itemId_ = item.id;
    title_->setText(item.title);
    caption_->setText(recurringFrequencyTitle(item.frequency) + QStringLiteral(" · следующая ") +
                      DateText::abbreviatedDate(nextDay));
    amount_->setText(cnyText(item.amount));
    toggle_->setText(item.isActive ? QStringLiteral("Выключить") : QStringLiteral("Включить"));
    toggle_->setAccessibleName(toggle_->text());
    toggle_->setSymbol(item.isActive ? QStringLiteral("pause.circle") : QStringLiteral("play.circle"));
}

RecurringTransactionsView::RecurringTransactionsView(MoneyStore& store, QWidget* parent)
    : ToolScreen(store, QStringLiteral("Регулярные"), QStringLiteral("recurring"), parent) {
    placeholder_ = new ContentUnavailableView(
        QStringLiteral("Регулярных операций нет"), QStringLiteral("repeat.circle"),
        QStringLiteral("Добавь зарплату, подписку или другой повторяющийся платёж"));
    placeholder_->setObjectName(QStringLiteral("recurringPlaceholder"));
    list_ = new ToolList;
    list_->setObjectName(QStringLiteral("recurringList"));
    body()->addWidget(placeholder_);
    body()->addWidget(list_);
    addEditorButton([this] { return new RecurringEditorView(store_); });
    redraw();
}

RecurringRow* RecurringTransactionsView::rowAt(int index) const {
    return static_cast<RecurringRow*>(list_->rowAt(index));
}

void RecurringTransactionsView::redraw() {
    static const std::vector<RecurringTransaction> none;
    const auto& items = store_.data().recurringTransactions ? *store_.data().recurringTransactions : none;
    placeholder_->setVisible(items.empty());
    const LedgerCalendar calendar = store_.calendar();
    QStringList ids;
    ids.reserve(qsizetype(items.size()));
    for (const RecurringTransaction& item : items) ids.append(item.id);
    list_->setIds(
        ids, [this](const QString&) { return new RecurringRow(store_); },
        [&](int i, QWidget* row) {
            const RecurringTransaction& item = items[std::size_t(i)];
            static_cast<RecurringRow*>(row)->draw(item, calendar.localDate(item.nextDate));
        });
}

RecurringEditorView::RecurringEditorView(MoneyStore& store, QWidget* parent)
    : NamedAmountEditor(store,
                        {QStringLiteral("Регулярная операция"),
                         {},
                         QStringLiteral("Название"),
                         QStringLiteral("recurringTitleField"),
                         {},
                         QStringLiteral("recurringAmountField"),
                         QStringLiteral("Сумма")},
                        parent) {
    setObjectName(QStringLiteral("recurringEditor"));
    page()->setTitleDisplay(NavigationPage::TitleDisplay::Large);
    kind_ = transaction_form::kindPicker(TransactionKind::expense);
    firstSection_->insertRow(1, kind_);
    category_ = formTextField(QStringLiteral("Категория"), QStringLiteral("recurringCategoryField"));
    firstSection_->addRow(formFieldRow({}, category_));
    frequency_ = new QComboBox;
    frequency_->setObjectName(QStringLiteral("frequencyPicker"));
    for (RecurringFrequency f : {RecurringFrequency::weekly, RecurringFrequency::monthly})
        frequency_->addItem(recurringFrequencyTitle(f), rawValue(f));
    frequency_->setCurrentIndex(1);
    frequency_->setAccessibleName(QStringLiteral("Повтор"));
    firstSection_->addRow(formControlRow(QStringLiteral("Повтор"), frequency_));

    opened_ = store.now();
    openedDay_ = store.calendar().localDate(opened_);
    picker_ = tool_form::dayPicker(QStringLiteral("firstDatePicker"), openedDay_);
    firstSection_->addRow(formControlRow(QStringLiteral("Первая дата"), picker_));
    connect(category_, &QLineEdit::textChanged, this, &RecurringEditorView::refresh);
    refresh();
}

bool RecurringEditorView::isValid() const {
    return !name_->text().isEmpty() && !category_->text().isEmpty() &&
           parsePositiveAmountInput(amount_->text()).has_value();
}

QDateTime RecurringEditorView::nextDate() const {
    if (picker_->date() == openedDay_) return opened_;
    return fromWallClock(QDateTime(picker_->date(), wallClock(opened_, store_.timeZone()).time()),
                         store_.timeZone());
}

void RecurringEditorView::commit(const QString& name, const Decimal& amount) {
    const TransactionKind kind =
        transactionKindFromRaw(kind_->currentTag()).value_or(TransactionKind::expense);
    const RecurringFrequency frequency =
        recurringFrequencyFromRaw(frequency_->currentData().toString()).value_or(RecurringFrequency::monthly);
    store_.addRecurring(name, kind, amount, category_->text(), frequency, nextDate());
}
