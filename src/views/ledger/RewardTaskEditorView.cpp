#include "views/ledger/RewardTaskEditorView.h"

#include <QDateTimeEdit>

#include "components/DateField.h"
#include "components/NavigationStack.h"
#include "components/PageBody.h"
#include "components/Toggle.h"
#include "store/MoneyStore.h"

namespace {
constexpr qint64 kOneDay = 86400;  // seconds, not a calendar day
}

RewardTaskEditorView::RewardTaskEditorView(MoneyStore& store, QWidget* parent)
    : NamedAmountEditor(store,
                        {QStringLiteral("Добавить задание"), QStringLiteral("Новое денежное задание"),
                         QStringLiteral("Что нужно сделать?"), QStringLiteral("taskTitleField"),
                         QStringLiteral("Награда"), QStringLiteral("taskRewardField")},
                        parent) {
    setObjectName(QStringLiteral("rewardTaskEditor"));
    const QDateTime now = store.now();

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
    picker_ = new QDateTimeEdit;
    picker_->setObjectName(QStringLiteral("dueDatePicker"));
    picker_->setCalendarPopup(true);
    picker_->setDisplayFormat(QStringLiteral("dd.MM.yyyy HH:mm"));
    picker_->setMinimumDateTime(wallClock(now, store.timeZone()));
    picker_->setDateTime(wallClock(now.addSecs(kOneDay), store.timeZone()));
    DateField::showWholeValue(picker_);
    QWidget* pickerRow = formControlRow(QStringLiteral("Выполнить до"), picker_);
    pickerRow->setObjectName(QStringLiteral("dueDateRow"));
    addDeadline(plan, QStringLiteral("Есть срок"), pickerRow);

    page()->body()->addWidget(help);
    page()->body()->addWidget(plan);
}

int RewardTaskEditorView::difficulty() const { return difficulty_->value(); }

bool RewardTaskEditorView::isRecurring() const { return recurring_->isChecked(); }

QDateTime RewardTaskEditorView::dueDate() const {
    return fromWallClock(picker_->dateTime(), store_.timeZone());
}

void RewardTaskEditorView::commit(const QString& title, const Decimal& reward) {
    store_.addTask(title, reward, hasDeadline() ? std::optional<QDateTime>(dueDate()) : std::nullopt,
                   difficulty_->value(), recurring_->isChecked());
}
