#include "views/planning/MoneyCalendarView.h"

#include <QCalendarWidget>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QTableView>
#include <algorithm>

#include "components/Card.h"
#include "components/DateText.h"
#include "components/PageBody.h"
#include "components/TextLabel.h"
#include "components/TransactionRow.h"
#include "components/TransactionRowPainter.h"
#include "services/GlobalPreferences.h"
#include "store/MoneyStore.h"
#include "views/planning/ToolFigures.h"
#include "views/planning/ToolsStyle.h"

namespace {

// The month grid paints each day's cell from an image of it kept per look:
// the stock cell asks the calendar's model for a dozen roles (each merging
// the day's text formats) and lays its number out on every paint, and
// picking a day paints the whole month again. The image is the stock cell
// itself, painted once over the grid's background, so the month looks
// exactly as before.
class MonthCalendar : public QCalendarWidget {
public:
    MonthCalendar() { grid_ = findChild<QTableView*>(); }

protected:
    void paintCell(QPainter* painter, const QRect& rect, QDate date) const override {
        const bool picked = date == selectedDate();
        // The focus frame reaches past its cell: that one cell is painted as it comes.
        if (!grid_ || rect.isEmpty() || (picked && grid_->hasFocus()))
            return QCalendarWidget::paintCell(painter, rect, date);
        const qreal ratio = painter->device()->devicePixelRatioF();
        // Everything the stock cell's look depends on: the day and whether it
        // falls in the month shown or the allowed range, its selection, the
        // grid's state, palette and font, the cell's size.
        const QString key =
            QString::number(date.toJulianDay()) + QLatin1Char(':') + QString::number(yearShown()) +
            QLatin1Char('-') + QString::number(monthShown()) + QLatin1Char(':') +
            QLatin1Char(picked ? 's' : '-') +
            QLatin1Char(isEnabled() ? 'e' : '-') + QLatin1Char(isActiveWindow() ? 'a' : '-') +
            QLatin1Char(date >= minimumDate() && date <= maximumDate() ? 'r' : '-') + QLatin1Char(':') +
            QString::number(grid_->palette().cacheKey()) + QLatin1Char(':') + grid_->font().key() +
            QLatin1Char(':') + QString::number(rect.width()) + QLatin1Char('x') + QString::number(rect.height()) +
            QLatin1Char('@') + QString::number(ratio) + QLatin1Char(':') + locale().name();
        auto& kept = cells();
        auto it = kept.constFind(key);
        if (it == kept.cend()) {
            QPixmap cell(rect.size() * ratio);
            cell.setDevicePixelRatio(ratio);
            cell.fill(Qt::transparent);
            {
                QPainter p(&cell);
                p.fillRect(QRect(QPoint(), rect.size()), grid_->viewport()->palette().brush(grid_->viewport()->backgroundRole()));
                p.setFont(painter->font());
                p.setPen(painter->pen());
                QCalendarWidget::paintCell(&p, QRect(QPoint(), rect.size()), date);
            }
            if (kept.size() > 1024) kept.clear();
            it = kept.insert(key, cell);
        }
        painter->drawPixmap(rect.topLeft(), *it);
    }

private:
    static QHash<QString, QPixmap>& cells() {
        static QHash<QString, QPixmap> kept;
        return kept;
    }

    QTableView* grid_ = nullptr;
};

}  // namespace

CalendarDayRow CalendarDayRow::of(const MoneyTransaction& t) {
    return {t, TransactionRow::signedAmountText(t), TransactionRow::detailText(t)};
}

void CalendarDayDelegate::forgetMeasurements() const {
    columns_.clear();
    forgetSharedSize();
}

int CalendarDayDelegate::estimatedRowHeight() {
    return TransactionRowPainter::contentHeight(QFontMetrics(TransactionRow::categoryFont()).height()) +
           2 * tools_style::listRowPadding;
}

int CalendarDayDelegate::sharedSize(int width) const {
    // Only the rows measured so far, as the operations list shares the size
    // of the rows on screen: a row further down the day is laid out (and
    // its amount counted) when the user scrolls near it.
    static const QStringList none;
    const QStringList& keys = list_ ? list_->rows() : none;
    const int count = list_ ? int(std::min<qsizetype>(list_->measuredRows(), keys.size())) : 0;
    if (sharedWidth_ == width && sharedRows_ == count && count > 0) return sharedSize_;
    QList<QPair<QString, int>> amounts;
    amounts.reserve(count);
    for (int i = 0; i < count; ++i)
        if (const CalendarDayRow* row = row_(keys[i])) amounts.append({row->amount, columns(*row, width).amountWidth});
    sharedSize_ = TransactionRowPainter::sharedAmountSize(amounts);
    sharedWidth_ = width;
    sharedRows_ = count;
    return sharedSize_;
}

TransactionRowPainter::Columns CalendarDayDelegate::columns(const CalendarDayRow& row, int width) const {
    // What the columns depend on: the amount's text, the category, and the
    // date line unless a note (which elides) stands there.
    const MoneyTransaction& t = row.transaction;
    const QString key = QString::number(width) + QChar(0) + row.amount + QChar(0) + t.category + QChar(0) +
                        (t.note.isEmpty() ? row.detail : QString());
    if (const auto it = columns_.constFind(key); it != columns_.cend()) return *it;
    if (columns_.size() > 10'000) columns_.clear();  // bounded: a day holds a few hundred rows
    return *columns_.insert(key, TransactionRowPainter::columns(t, width));
}

QString CalendarDayDelegate::accessibleName(const QString& id) const {
    const CalendarDayRow* it = row_(id);
    if (!it) return {};
    return TransactionRow::accessibleText(it->transaction) + QStringLiteral(", ") +
           DateText::abbreviatedDateTime(it->transaction.date);
}

int CalendarDayDelegate::contentHeight(const QString& id, int width) const {
    const CalendarDayRow* it = row_(id);
    if (!it) return 0;
    return TransactionRowPainter::contentHeight(columns(*it, width).categoryHeight);
}

void CalendarDayDelegate::paintContent(QPainter* painter, const QString& id, const QRect& content,
                                       const PaintedRowState&) const {
    const CalendarDayRow* it = row_(id);
    if (!it) return;
    painter->setRenderHint(QPainter::Antialiasing);
    TransactionRowPainter::Columns laid = columns(*it, content.width());
    laid.amountPixelSize = sharedSize(content.width());
    TransactionRowPainter::paint(painter, content, it->transaction, laid);
}

MoneyCalendarView::MoneyCalendarView(MoneyStore& store, const QDateTime& selected, QWidget* parent)
    : ToolScreen(store, QStringLiteral("Календарь"), QStringLiteral("moneyCalendar"), parent) {
    calendar_ = new MonthCalendar;
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
    // A busy day measures the operations the user scrolls near, not all of them.
    rows_->list()->setMeasuredAhead(CalendarDayDelegate::estimatedRowHeight());
    delegate_.setList(rows_->list());
    body()->addWidget(rows_);
    connect(calendar_, &QCalendarWidget::selectionChanged, this, &MoneyCalendarView::redraw);
    redraw();
}

QDate MoneyCalendarView::selectedDay() const { return calendar_->selectedDate(); }

void MoneyCalendarView::selectDay(QDate day) { calendar_->setSelectedDate(day); }

void MoneyCalendarView::redraw() {
    const QDate day = selectedDay();
    header_->setText(DateText::longDate(day).toUpper());
    // The ledger's moments are read once per change of the store; a day is
    // then found among plain numbers.
    const std::vector<MoneyTransaction> items = tool_figures::timeline(store_)->day(store_, day);
    empty_->parentWidget()->setVisible(items.empty());
    QStringList ids;
    ids.reserve(qsizetype(items.size()));
    for (const MoneyTransaction& t : items) ids.append(t.id.toString(QUuid::WithoutBraces));
    const QStringList keys = ToolRows::keysOf(ids);
    const QString now = formatting();
    QHash<QString, CalendarDayItem> next;
    next.reserve(keys.size());
    for (qsizetype i = 0; i < keys.size(); ++i) next.insert(keys[i], {items[std::size_t(i)], now});
    // Only the rows whose operation (or its writing) changed are written again.
    const QStringList changed = replaceRows(content_, std::move(next));
    for (const QString& key : changed) written_.remove(key);
    for (auto it = written_.begin(); it != written_.end();)
        it = content_.contains(it.key()) ? std::next(it) : written_.erase(it);
    delegate_.forgetSharedSize();
    rows_->setRows(keys, changed);
}

const CalendarDayRow* MoneyCalendarView::written(const QString& key) const {
    if (const auto it = written_.constFind(key); it != written_.cend()) return &*it;
    const auto item = content_.constFind(key);
    if (item == content_.cend()) return nullptr;
    return &*written_.insert(key, CalendarDayRow::of(item->transaction));
}

QString MoneyCalendarView::formatting() const {
    return GlobalPreferences::currencyCode() + QChar(0) + GlobalPreferences::localeIdentifier() + QChar(0) +
           DateText::deviceLocaleName() + QChar(0) + QString::fromUtf8(store_.timeZone().id());
}

std::optional<MoneyTransaction> MoneyCalendarView::transactionAt(int index) const {
    const auto it = content_.constFind(rows_->keyAt(index));
    if (it == content_.constEnd()) return std::nullopt;
    return it->transaction;
}

std::optional<CalendarDayRow> MoneyCalendarView::rowAt(int index) const {
    const CalendarDayRow* row = written(rows_->keyAt(index));
    if (!row) return std::nullopt;
    return *row;
}
