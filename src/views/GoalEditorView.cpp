#include "views/GoalEditorView.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/NavigationStack.h"
#include "components/Overlays.h"
#include "components/PageBody.h"
#include "components/Toggle.h"
#include "services/AmountInput.h"
#include "services/GlobalPreferences.h"
#include "store/MoneyStore.h"
#include "views/EditorForm.h"

GoalEditorView::GoalEditorView(MoneyStore& store, QWidget* parent) : QWidget(parent), store_(store) {
    setObjectName(QStringLiteral("goalEditor"));
    const QDateTime start = wallClock(defaultDeadline(store.now(), store.timeZone()), store.timeZone());
    deadlineTime_ = start.time();

    page_ = new NavigationPage(QStringLiteral("Добавить цель"));
    page_->setTitleDisplay(NavigationPage::TitleDisplay::Inline);
    cancel_ = page_->addToolbarButton(QStringLiteral("Отмена"), {}, ToolbarPlacement::Cancellation);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    add_ = page_->addToolbarButton(QStringLiteral("Добавить"), {}, ToolbarPlacement::Confirmation);
    add_->setObjectName(QStringLiteral("addButton"));

    auto* goal = new EditorSection(QStringLiteral("Новая цель"));
    name_ = formTextField(QStringLiteral("На что копим?"), QStringLiteral("goalNameField"));
    goal->addRow(formFieldRow({}, name_));
    amount_ = formTextField(QStringLiteral("0"), QStringLiteral("goalAmountField"));
    amount_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    amount_->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    goal->addRow(formFieldRow(QStringLiteral("Сумма"), amount_, GlobalPreferences::currencyCode()));
    hasDeadline_ = new ToggleRow(QStringLiteral("Добавить срок"));
    hasDeadline_->setObjectName(QStringLiteral("deadlineSwitch"));
    hasDeadline_->setContentsMargins(0, 0, 0, 0);
    goal->addRow(hasDeadline_);
    picker_ = new QDateEdit;
    picker_->setObjectName(QStringLiteral("deadlinePicker"));
    picker_->setCalendarPopup(true);
    // Digits, as the other forms' date pickers show them: no month name in
    // the system's language beside the Russian texts.
    picker_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    picker_->setMinimumDate(wallClock(store.now(), store.timeZone()).date());
    picker_->setDate(start.date());
    pickerRow_ = formControlRow(QStringLiteral("Срок"), picker_);
    goal->addRow(pickerRow_);
    section_ = goal;
    pickerRow_->setObjectName(QStringLiteral("deadlineRow"));
    goal->setRowVisible(pickerRow_, false);

    auto* help = new EditorSection;
    help->addRow(formHelpRow(QStringLiteral("Прогресс считается от общего баланса копилки"),
                             QStringLiteral("info.circle")));

    page_->body()->addWidget(goal);
    page_->body()->addWidget(help);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(new NavigationStack(page_));

    connect(name_, &QLineEdit::textChanged, this, &GoalEditorView::refresh);
    connect(amount_, &QLineEdit::textChanged, this, &GoalEditorView::refresh);
    connect(name_, &QLineEdit::returnPressed, amount_, qOverload<>(&QWidget::setFocus));
    connect(amount_, &QLineEdit::returnPressed, this, &GoalEditorView::save);
    // Turning the switch off hides the picker but keeps the chosen date.
    connect(hasDeadline_, &ToggleRow::toggled, this,
            [this](bool on) { section_->setRowVisible(pickerRow_, on); });
    connect(cancel_, &QAbstractButton::clicked, this, &GoalEditorView::dismiss);
    connect(add_, &QAbstractButton::clicked, this, &GoalEditorView::save);
    refresh();
}

QDateTime GoalEditorView::defaultDeadline(const QDateTime& now, const QTimeZone& zone) {
    const QDateTime local = now.toTimeZone(zone);
    const QDateTime later = local.addMonths(1);
    return later.isValid() ? later.toUTC() : now;
}

bool GoalEditorView::isValid() const {
    return !name_->text().trimmed().isEmpty() && parsePositiveAmountInput(amount_->text()).has_value();
}

QDateTime GoalEditorView::deadline() const {
    return fromWallClock(QDateTime(picker_->date(), deadlineTime_), store_.timeZone());
}

void GoalEditorView::refresh() { add_->setEnabled(isValid() && !done_); }

void GoalEditorView::save() {
    if (done_ || name_->text().trimmed().isEmpty()) return;
    const std::optional<Decimal> amount = parsePositiveAmountInput(amount_->text());
    if (!amount) return;
    // A second tap while the sheet closes must not add the goal twice.
    done_ = true;
    refresh();
    store_.addGoal(name_->text(), *amount,
                   hasDeadline_->isChecked() ? std::optional<QDateTime>(deadline()) : std::nullopt);
    dismiss();
}

void GoalEditorView::dismiss() {
    emit dismissRequested();
    if (Sheet* sheet = Sheet::of(this)) sheet->dismiss();
}

void GoalEditorView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The keyboard opens on the name field when the sheet comes up.
    if (!focused_) {
        focused_ = true;
        name_->setFocus(Qt::OtherFocusReason);
    }
}

bool GoalEditorView::isPickerShown() const { return section_->isRowVisible(pickerRow_); }
