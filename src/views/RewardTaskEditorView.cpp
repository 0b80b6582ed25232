#include "views/RewardTaskEditorView.h"

#include <QDateTimeEdit>
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

namespace {
constexpr qint64 kOneDay = 86400;  // seconds, not a calendar day
}

RewardTaskEditorView::RewardTaskEditorView(MoneyStore& store, QWidget* parent)
    : QWidget(parent), store_(store) {
    setObjectName(QStringLiteral("rewardTaskEditor"));
    const QDateTime now = store.now();

    page_ = new NavigationPage(QStringLiteral("Добавить задание"));
    page_->setTitleDisplay(NavigationPage::TitleDisplay::Inline);
    cancel_ = page_->addToolbarButton(QStringLiteral("Отмена"), {}, ToolbarPlacement::Cancellation);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    add_ = page_->addToolbarButton(QStringLiteral("Добавить"), {}, ToolbarPlacement::Confirmation);
    add_->setObjectName(QStringLiteral("addButton"));

    auto* task = new EditorSection(QStringLiteral("Новое денежное задание"));
    title_ = formTextField(QStringLiteral("Что нужно сделать?"), QStringLiteral("taskTitleField"));
    task->addRow(formFieldRow({}, title_));
    reward_ = formTextField(QStringLiteral("0"), QStringLiteral("taskRewardField"));
    reward_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    reward_->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    task->addRow(formFieldRow(QStringLiteral("Награда"), reward_, GlobalPreferences::currencyCode()));

    auto* help = new EditorSection;
    help->addRow(
        formHelpRow(QStringLiteral("После нажатия «Готово» награда автоматически записывается как доход"),
                    QStringLiteral("sparkles")));

    auto* plan = new EditorSection(QStringLiteral("План"));
    difficulty_ = new Stepper(1, 3, 1, [](int value) {
        return QStringLiteral("Сложность: ") + QString::number(value) + QStringLiteral(" из 3");
    });
    difficulty_->setObjectName(QStringLiteral("difficultyStepper"));
    plan->addRow(difficulty_);
    recurring_ = new ToggleRow(QStringLiteral("Повторяемое"));
    recurring_->setObjectName(QStringLiteral("recurringSwitch"));
    recurring_->setContentsMargins(0, 0, 0, 0);
    recurring_->setChecked(true);
    plan->addRow(recurring_);
    hasDeadline_ = new ToggleRow(QStringLiteral("Есть срок"));
    hasDeadline_->setObjectName(QStringLiteral("deadlineSwitch"));
    hasDeadline_->setContentsMargins(0, 0, 0, 0);
    plan->addRow(hasDeadline_);
    picker_ = new QDateTimeEdit;
    picker_->setObjectName(QStringLiteral("dueDatePicker"));
    picker_->setCalendarPopup(true);
    picker_->setDisplayFormat(QStringLiteral("dd.MM.yyyy HH:mm"));
    picker_->setMinimumDateTime(wallClock(now, store.timeZone()));
    picker_->setDateTime(wallClock(now.addSecs(kOneDay), store.timeZone()));
    pickerRow_ = formControlRow(QStringLiteral("Выполнить до"), picker_);
    plan->addRow(pickerRow_);
    section_ = plan;
    pickerRow_->setObjectName(QStringLiteral("dueDateRow"));
    plan->setRowVisible(pickerRow_, false);

    page_->body()->addWidget(task);
    page_->body()->addWidget(help);
    page_->body()->addWidget(plan);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(new NavigationStack(page_));

    connect(title_, &QLineEdit::textChanged, this, &RewardTaskEditorView::refresh);
    connect(reward_, &QLineEdit::textChanged, this, &RewardTaskEditorView::refresh);
    connect(title_, &QLineEdit::returnPressed, reward_, qOverload<>(&QWidget::setFocus));
    connect(reward_, &QLineEdit::returnPressed, this, &RewardTaskEditorView::save);
    connect(hasDeadline_, &ToggleRow::toggled, this,
            [this](bool on) { section_->setRowVisible(pickerRow_, on); });
    connect(cancel_, &QAbstractButton::clicked, this, &RewardTaskEditorView::dismiss);
    connect(add_, &QAbstractButton::clicked, this, &RewardTaskEditorView::save);
    refresh();
}

bool RewardTaskEditorView::isValid() const {
    return !title_->text().trimmed().isEmpty() && parsePositiveAmountInput(reward_->text()).has_value();
}

int RewardTaskEditorView::difficulty() const { return difficulty_->value(); }

bool RewardTaskEditorView::isRecurring() const { return recurring_->isChecked(); }

QDateTime RewardTaskEditorView::dueDate() const {
    return fromWallClock(picker_->dateTime(), store_.timeZone());
}

void RewardTaskEditorView::refresh() { add_->setEnabled(isValid() && !done_); }

void RewardTaskEditorView::save() {
    if (done_ || title_->text().trimmed().isEmpty()) return;
    const std::optional<Decimal> reward = parsePositiveAmountInput(reward_->text());
    if (!reward) return;
    // A second tap while the sheet closes must not add the task twice.
    done_ = true;
    refresh();
    store_.addTask(title_->text(), *reward,
                   hasDeadline_->isChecked() ? std::optional<QDateTime>(dueDate()) : std::nullopt,
                   difficulty_->value(), recurring_->isChecked());
    dismiss();
}

void RewardTaskEditorView::dismiss() {
    emit dismissRequested();
    if (Sheet* sheet = Sheet::of(this)) sheet->dismiss();
}

void RewardTaskEditorView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!focused_) {
        focused_ = true;
        title_->setFocus(Qt::OtherFocusReason);
    }
}

bool RewardTaskEditorView::isPickerShown() const { return section_->isRowVisible(pickerRow_); }
