#include "views/planning/DebtsView.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "components/MoneyFocus.h"
#include "components/Button.h"
#include "components/Card.h"
#include "components/ContentUnavailableView.h"
#include "components/DateText.h"
#include "components/PageBody.h"
#include "components/SegmentedControl.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "components/Toggle.h"
#include "services/MoneyText.h"
#include "store/MoneyStore.h"
#include "views/planning/ToolsStyle.h"

namespace {

QString directionSymbol(DebtDirection direction) {
    return direction == DebtDirection::owesMe ? QStringLiteral("arrow.down.left.circle.fill")
                                              : QStringLiteral("arrow.up.right.circle.fill");
}

// A label and value row of the totals, the whole row in one colour.
QWidget* totalRow(const QString& title, ColorRole color, TextLabel** value) {
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(new TextLabel(title, TextStyle::Body, color));
    line->addStretch(1);
    *value = new TextLabel({}, TextStyle::Body, color);
    (*value)->setMonospaced(true);
    (*value)->setMinimumScaleFactor(TextFit::kMinimumScale);
    line->addWidget(*value);
    return row;
}

}  // namespace

QString debtDirectionTitle(DebtDirection direction) {
    return direction == DebtDirection::owesMe ? QStringLiteral("Должны мне") : QStringLiteral("Должен я");
}

DebtRow::DebtRow(MoneyStore& store, QWidget* parent) : QWidget(parent), store_(store) {
    setObjectName(QStringLiteral("debtRow"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(tools_style::debtRowSpacing);
    auto* header = new QHBoxLayout;
    header->setSpacing(tools_style::buttonGap);
    person_ = new SymbolLabel({}, {}, TextStyle::Body);
    person_->setObjectName(QStringLiteral("debtPerson"));
    person_->setTextStyle(TextStyle::Body, QFont::DemiBold);
    person_->titleLabel()->setWordWrap(true);
    header->addWidget(person_, 1);
    amount_ = new TextLabel({}, TextStyle::Body);
    amount_->setObjectName(QStringLiteral("debtAmount"));
    amount_->setMonospaced(true);
    amount_->setMinimumScaleFactor(TextFit::kMinimumScale);
    header->addWidget(amount_, 0, Qt::AlignTop);
    column->addLayout(header);
    detail_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    detail_->setObjectName(QStringLiteral("debtDetail"));
    detail_->setWordWrap(true);
    column->addWidget(detail_);
    due_ = new TextLabel({}, TextStyle::Caption2, ColorRole::SecondaryLabel);
    due_->setObjectName(QStringLiteral("debtDue"));
    due_->setWordWrap(true);
    column->addWidget(due_);
    settle_ = new Button(QStringLiteral("Закрыть долг"), Button::Style::Bordered,
                         QStringLiteral("checkmark.circle"));
    settle_->setObjectName(QStringLiteral("settleDebtButton"));
    MoneyFocus::mark(settle_);
    settle_->setTextStyle(TextStyle::Subheadline);
    column->addWidget(settle_, 0, Qt::AlignLeft);
    connect(settle_, &QAbstractButton::clicked, this, [this] { store_.settleDebt(debtId_); });
}

void DebtRow::draw(const DebtRecord& debt, QDate today, QDate dueDay) {
    debtId_ = debt.id;
    person_->setText(debt.person);
    person_->setSymbol(directionSymbol(debt.direction));
    amount_->setText(cnyText(debt.amount));
    QString detail = debtDirectionTitle(debt.direction);
    if (!debt.note.isEmpty()) detail += QStringLiteral(" · ") + debt.note;
    detail_->setText(detail);
    due_->setVisible(debt.dueDate.has_value());
    if (debt.dueDate) {
        due_->setText(QStringLiteral("До ") + DateText::abbreviatedDate(dueDay));
        // Overdue once its whole day has passed, not during the day itself.
        due_->setColorRole(dueDay < today ? ColorRole::Red : ColorRole::SecondaryLabel);
    }
}

DebtsView::DebtsView(MoneyStore& store, QWidget* parent)
    : ToolScreen(store, QStringLiteral("Долги"), QStringLiteral("debts"), parent) {
    auto* totals = new QWidget;
    auto* totalsColumn = new QVBoxLayout(totals);
    totalsColumn->setContentsMargins(0, 0, 0, 0);
    totalsColumn->setSpacing(tools_style::listSectionGap);
    auto* header = new TextLabel(QStringLiteral("ИТОГ"), TextStyle::Footnote, ColorRole::SecondaryLabel);
    header->setContentsMargins(Spacing::pagePadding, 0, Spacing::pagePadding, 0);
    totalsColumn->addWidget(header);
    auto* card = new Card;
    card->setPadding(Spacing::pagePadding, tools_style::listRowPadding);
    card->addWidget(totalRow(QStringLiteral("Должны мне"), ColorRole::Green, &owedToMe_));
    card->addWidget(new Divider);
    card->addWidget(totalRow(QStringLiteral("Должен я"), ColorRole::Orange, &iOwe_));
    owedToMe_->setObjectName(QStringLiteral("owedToMeTotal"));
    iOwe_->setObjectName(QStringLiteral("iOweTotal"));
    totalsColumn->addWidget(card);
    body()->addWidget(totals);

    list_ = new ToolList(QStringLiteral("Открытые долги"));
    list_->setObjectName(QStringLiteral("debtList"));
    body()->addWidget(list_);
    placeholder_ = new ContentUnavailableView(QStringLiteral("Долгов нет"), QStringLiteral("checkmark.seal"),
                                              QStringLiteral("И это прекрасно"));
    placeholder_->setObjectName(QStringLiteral("debtsPlaceholder"));
    body()->addWidget(placeholder_);
    addEditorButton([this] { return new DebtEditorView(store_); });
    redraw();
}

DebtRow* DebtsView::rowAt(int index) const { return static_cast<DebtRow*>(list_->rowAt(index)); }

void DebtsView::redraw() {
    owedToMe_->setText(cnyText(store_.totalOwedToMe()));
    iOwe_->setText(cnyText(store_.totalIOwe()));
    const std::vector<DebtRecord> debts = store_.debts();
    placeholder_->setVisible(debts.empty());
    const LedgerCalendar calendar = store_.calendar();
    const QDate today = calendar.localDate(store_.now());
    QStringList ids;
    ids.reserve(qsizetype(debts.size()));
    for (const DebtRecord& debt : debts) ids.append(debt.id);
    list_->setIds(
        ids, [this](const QString&) { return new DebtRow(store_); },
        [&](int i, QWidget* row) {
            const DebtRecord& debt = debts[std::size_t(i)];
            const QDate dueDay = debt.dueDate ? calendar.localDate(*debt.dueDate) : QDate();
            static_cast<DebtRow*>(row)->draw(debt, today, dueDay);
        });
}

DebtEditorView::DebtEditorView(MoneyStore& store, QWidget* parent)
    : NamedAmountEditor(store,
                        {QStringLiteral("Новый долг"),
                         {},
                         QStringLiteral("Имя"),
                         QStringLiteral("debtPersonField"),
                         {},
                         QStringLiteral("debtAmountField"),
                         QStringLiteral("Сумма")},
                        parent) {
    setObjectName(QStringLiteral("debtEditor"));
    page()->setTitleDisplay(NavigationPage::TitleDisplay::Large);
    direction_ =
        tool_form::segments(QStringLiteral("directionPicker"), QStringLiteral("Кто кому"),
                            {{debtDirectionTitle(DebtDirection::owesMe), rawValue(DebtDirection::owesMe)},
                             {debtDirectionTitle(DebtDirection::iOwe), rawValue(DebtDirection::iOwe)}},
                            rawValue(DebtDirection::owesMe));
    firstSection_->insertRow(0, direction_);
    note_ = formTextField(QStringLiteral("Комментарий"), QStringLiteral("debtNoteField"));
    firstSection_->addRow(formFieldRow({}, note_));

    const QDateTime start = tool_form::weekAhead(store);
    dueTime_ = start.time();
    picker_ = tool_form::dayPicker(QStringLiteral("duePicker"), start.date(),
                                   store.calendar().localDate(store.now()));
    QWidget* pickerRow = formControlRow(QStringLiteral("Вернуть до"), picker_);
    pickerRow->setObjectName(QStringLiteral("dueRow"));
    addDeadline(firstSection_, QStringLiteral("Указать срок"), pickerRow);
}

QDateTime DebtEditorView::dueDate() const {
    return fromWallClock(QDateTime(picker_->date(), dueTime_), store_.timeZone());
}

void DebtEditorView::commit(const QString& name, const Decimal& amount) {
    const DebtDirection direction =
        debtDirectionFromRaw(direction_->currentTag()).value_or(DebtDirection::owesMe);
    store_.addDebt(name, amount, direction, note_->text(),
                   hasDeadline() ? std::optional<QDateTime>(dueDate()) : std::nullopt);
}
