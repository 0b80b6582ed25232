#include "views/ledger/GoalEditorView.h"

#include <QDateEdit>

#include "components/DateField.h"
#include "components/NavigationStack.h"
#include "components/PageBody.h"
#include "store/MoneyStore.h"

GoalEditorView::GoalEditorView(MoneyStore& store, QWidget* parent)
    : NamedAmountEditor(store,
                        {QStringLiteral("Добавить цель"), QStringLiteral("Новая цель"),
                         QStringLiteral("На что копим?"), QStringLiteral("goalNameField"), QStringLiteral("Сумма"),
                         QStringLiteral("goalAmountField")},
                        parent) {
    setObjectName(QStringLiteral("goalEditor"));
    const QDateTime start = wallClock(defaultDeadline(store.now(), store.timeZone()), store.timeZone());
    deadlineTime_ = start.time();

    picker_ = new QDateEdit;
    picker_->setObjectName(QStringLiteral("deadlinePicker"));
    picker_->setCalendarPopup(true);
    // Digits, as the other forms' date pickers show them: no month name in
    // the system's language beside the Russian texts.
    picker_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    picker_->setMinimumDate(wallClock(store.now(), store.timeZone()).date());
    picker_->setDate(start.date());
    DateField::showWholeValue(picker_);
    QWidget* pickerRow = formControlRow(QStringLiteral("Срок"), picker_);
    pickerRow->setObjectName(QStringLiteral("deadlineRow"));
    addDeadline(firstSection_, QStringLiteral("Добавить срок"), pickerRow);

    auto* help = new EditorSection;
    help->addRow(formHelpRow(QStringLiteral("Прогресс считается от общего баланса копилки"),
                             QStringLiteral("info.circle")));
    page()->body()->addWidget(help);
}

QDateTime GoalEditorView::defaultDeadline(const QDateTime& now, const QTimeZone& zone) {
    const QDateTime local = now.toTimeZone(zone);
    const QDateTime later = local.addMonths(1);
    return later.isValid() ? later.toUTC() : now;
}

QDateTime GoalEditorView::deadline() const {
    return fromWallClock(QDateTime(picker_->date(), deadlineTime_), store_.timeZone());
}

void GoalEditorView::commit(const QString& name, const Decimal& amount) {
    store_.addGoal(name, amount, hasDeadline() ? std::optional<QDateTime>(deadline()) : std::nullopt);
}
