#include "views/planning/DebtsView.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/Card.h"
#include "components/ContentUnavailableView.h"
#include "components/DateText.h"
#include "components/PageBody.h"
#include "components/SegmentedControl.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "components/Toggle.h"
#include "services/GlobalPreferences.h"
#include "services/MoneyText.h"
#include "store/MoneyStore.h"
#include "views/planning/ToolRows.h"
#include "views/planning/ToolsStyle.h"

namespace {

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

    list_ = new ToolRows(delegate_, QStringLiteral("Открытые долги"));
    list_->setObjectName(QStringLiteral("debtList"));
    list_->list()->setObjectName(QStringLiteral("debtRows"));
    // A long list measures the debts the user scrolls near, not all of them.
    list_->list()->setMeasuredAhead(tools_style::estimatedRowHeight);
    body()->addWidget(list_);
    connect(list_->list(), &PaintedList::buttonClicked, this, [this](const QString& key, const QString&) {
        const auto it = rows_.rows().constFind(key);
        if (it != rows_.rows().constEnd()) store_.settleDebt(it->debtId);
    });
    placeholder_ = new ContentUnavailableView(QStringLiteral("Долгов нет"), QStringLiteral("checkmark.seal"),
                                              QStringLiteral("И это прекрасно"));
    placeholder_->setObjectName(QStringLiteral("debtsPlaceholder"));
    body()->addWidget(placeholder_);
    addEditorButton([this] { return new DebtEditorView(store_); });
    redraw();
}

PaintedList* DebtsView::rows() const { return list_->list(); }

QStringList DebtsView::rowKeys() const { return list_->list()->rows(); }

std::optional<DebtRowContent> DebtsView::row(int index) const {
    const auto it = rows_.rows().constFind(rowKeys().value(index));
    if (it == rows_.rows().constEnd()) return std::nullopt;
    return *it;
}

void DebtsView::redraw() {
    owedToMe_->setText(cnyText(store_.totalOwedToMe()));
    iOwe_->setText(cnyText(store_.totalIOwe()));
    const std::vector<DebtRecord> debts = store_.debts();
    placeholder_->setVisible(debts.empty());
    const LedgerCalendar calendar = store_.calendar();
    const QDate today = calendar.localDate(store_.now());
    // Each row is written with the day (overdue or not), the time zone (the
    // due day), the currency and the languages.
    const QString context = today.toString(Qt::ISODate) + QChar(0) + QString::fromUtf8(store_.timeZone().id()) +
                            QChar(0) + GlobalPreferences::currencyCode() + QChar(0) +
                            GlobalPreferences::localeIdentifier() + QChar(0) + DateText::deviceLocaleName();
    const QStringList changed = rows_.update(debts, context, [&](const DebtRecord& debt) {
        return DebtRowContent::of(debt, today, debt.dueDate ? calendar.localDate(*debt.dueDate) : QDate());
    });
    list_->setRows(rows_.keys(), changed);
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
