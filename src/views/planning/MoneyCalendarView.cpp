#include "views/planning/MoneyCalendarView.h"

#include <QCalendarWidget>
#include <QLocale>
#include <QPainter>

#include "components/Card.h"
#include "components/DateText.h"
#include "components/PageBody.h"
#include "components/TextLabel.h"
#include "components/TransactionRow.h"
#include "components/TransactionRowPainter.h"
#include "store/MoneyStore.h"
#include "views/planning/ToolsStyle.h"

CalendarDayRow CalendarDayRow::of(const MoneyTransaction& t) {
    return {t, TransactionRow::signedAmountText(t), TransactionRow::detailText(t)};
}

int CalendarDayDelegate::contentHeight(const QString& id, int width) const {
    const auto it = rows_.constFind(id);
    if (it == rows_.constEnd()) return 0;
    return TransactionRowPainter::contentHeight(
        TransactionRowPainter::columns(it->transaction, width).categoryHeight);
}

void CalendarDayDelegate::paintContent(QPainter* painter, const QString& id, const QRect& content,
                                       const PaintedRowState&) const {
    const auto it = rows_.constFind(id);
    if (it == rows_.constEnd()) return;
    painter->setRenderHint(QPainter::Antialiasing);
    if (sharedWidth_ != content.width()) {
        QList<const MoneyTransaction*> day;
        for (const CalendarDayRow& row : rows_) day << &row.transaction;
        sharedSize_ = TransactionRowPainter::sharedAmountSize(day, content.width());
        sharedWidth_ = content.width();
    }
    TransactionRowPainter::Columns columns = TransactionRowPainter::columns(it->transaction, content.width());
    columns.amountPixelSize = sharedSize_;
    TransactionRowPainter::paint(painter, content, it->transaction, columns);
}

MoneyCalendarView::MoneyCalendarView(MoneyStore& store, const QDateTime& selected, QWidget* parent)
    : ToolScreen(store, QStringLiteral("Календарь"), QStringLiteral("moneyCalendar"), parent) {
    calendar_ = new QCalendarWidget;
    calendar_->setObjectName(QStringLiteral("calendarPicker"));
    calendar_->setAccessibleName(QStringLiteral("Дата"));
    // The device's locale, as the day header below is written in.
    const QLocale device(DateText::deviceLocaleName());
    calendar_->setLocale(device);
    calendar_->setFirstDayOfWeek(device.firstDayOfWeek());
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar_->setSelectedDate(store.calendar().localDate(selected.isValid() ? selected : store.now()));
    body()->addWidget(calendar_);

    header_ = new TextLabel({}, TextStyle::Footnote, ColorRole::SecondaryLabel);
    header_->setObjectName(QStringLiteral("calendarDayHeader"));
    header_->setWordWrap(true);
    header_->setContentsMargins(Spacing::pagePadding, 0, Spacing::pagePadding, 0);
    body()->addWidget(header_);
    empty_ =
        new TextLabel(QStringLiteral("В этот день операций нет"), TextStyle::Body, ColorRole::SecondaryLabel);
    empty_->setObjectName(QStringLiteral("calendarEmptyDay"));
    empty_->setWordWrap(true);
    auto* emptyCard = new Card;
    emptyCard->setPadding(Spacing::pagePadding, tools_style::listRowPadding);
    emptyCard->addWidget(empty_);
    body()->addWidget(emptyCard);
    rows_ = new ToolRows(delegate_);
    rows_->setObjectName(QStringLiteral("calendarDayList"));
    rows_->list()->setObjectName(QStringLiteral("calendarDayRows"));
    body()->addWidget(rows_);
    connect(calendar_, &QCalendarWidget::selectionChanged, this, &MoneyCalendarView::redraw);
    redraw();
}

QDate MoneyCalendarView::selectedDay() const { return calendar_->selectedDate(); }

void MoneyCalendarView::selectDay(QDate day) { calendar_->setSelectedDate(day); }

void MoneyCalendarView::redraw() {
    const QDate day = selectedDay();
    header_->setText(DateText::longDate(day).toUpper());
    // The first instant of the day, which exists even where a clock change
    // skips midnight.
    const std::vector<MoneyTransaction> items = store_.transactions(store_.calendar().startOfDay(day));
    empty_->parentWidget()->setVisible(items.empty());
    QStringList ids;
    ids.reserve(qsizetype(items.size()));
    for (const MoneyTransaction& t : items) ids.append(t.id.toString(QUuid::WithoutBraces));
    const QStringList keys = ToolRows::keysOf(ids);
    QHash<QString, CalendarDayRow> next;
    next.reserve(keys.size());
    for (qsizetype i = 0; i < keys.size(); ++i)
        next.insert(keys[i], CalendarDayRow::of(items[std::size_t(i)]));
    delegate_.forgetSharedSize();
    rows_->setRows(keys, content_, std::move(next));
}

std::optional<MoneyTransaction> MoneyCalendarView::transactionAt(int index) const {
    const auto it = content_.constFind(rows_->keyAt(index));
    if (it == content_.constEnd()) return std::nullopt;
    return it->transaction;
}
