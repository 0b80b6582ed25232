#pragma once

#include <QDate>
#include <QHash>
#include <functional>
#include <optional>

#include "components/TransactionRowPainter.h"
#include "models/MoneyModels.h"
#include "views/planning/ToolRows.h"
#include "views/planning/ToolScreen.h"

class QCalendarWidget;
class TextLabel;

// What a row of the picked day shows: the operation, and its texts as the
// currency and language write them now.
struct CalendarDayRow {
    MoneyTransaction transaction;
    QString amount;
    QString detail;

    static CalendarDayRow of(const MoneyTransaction& t);
    bool operator==(const CalendarDayRow&) const = default;
};

// An operation of the picked day with the currency, languages and zone its
// texts are written in: a change of any of them redraws its row.
struct CalendarDayItem {
    MoneyTransaction transaction;
    QString formatting;
    bool operator==(const CalendarDayItem&) const = default;
};

// Paints an operation of the picked day as the operations list does.
class CalendarDayDelegate : public ToolRowDelegate {
public:
    // `row` gives what a row key's row shows (nullptr: no such row).
    using RowOf = std::function<const CalendarDayRow*(const QString& key)>;
    explicit CalendarDayDelegate(RowOf row) : row_(std::move(row)) {}
    // The list whose measured rows (those near the view, from the top) share
    // their amounts' size: a long day is laid out a screenful at a time.
    void setList(const PaintedList* list) { list_ = list; }
    // The day's rows changed: the amounts' shared size is found again.
    void forgetSharedSize() const { sharedWidth_ = -1, sharedRows_ = 0; }
    // The one-line row's height, as the list guesses the rows it has not measured yet.
    static int estimatedRowHeight();
    void forgetMeasurements() const override;
    // As the operations list's row says it, with the operation's time.
    QString accessibleName(const QString& id) const override;

protected:
    int contentHeight(const QString& id, int width) const override;
    void paintContent(QPainter* painter, const QString& id, const QRect& content,
                      const PaintedRowState& state) const override;

private:
    // A row's columns, worked out once per text and width: the list measures
    // a row, shares the amounts' size and paints it with the same columns.
    TransactionRowPainter::Columns columns(const CalendarDayRow& row, int width) const;

    // The size the measured rows' amounts share at `width`, found again only
    // when the width changes or more rows are measured.
    int sharedSize(int width) const;

    RowOf row_;
    const PaintedList* list_ = nullptr;
    mutable QHash<QString, TransactionRowPainter::Columns> columns_;
    mutable int sharedWidth_ = -1;  // the content width the shared size was found at
    mutable int sharedRows_ = 0;    // and how many rows from the top it covers
    mutable int sharedSize_ = 0;
};

// "Календарь": a month calendar in the device's locale and, under it, the
// operations of the picked day, newest first, as display-only rows.
class MoneyCalendarView : public ToolScreen {
    Q_OBJECT
public:
    // The picked day starts on the local day of `selected`.
    MoneyCalendarView(MoneyStore& store, const QDateTime& selected, QWidget* parent = nullptr);
    void redraw() override;

    QDate selectedDay() const;
    void selectDay(QDate day);

    QCalendarWidget* calendar() const { return calendar_; }
    TextLabel* headerLabel() const { return header_; }
    TextLabel* emptyLabel() const { return empty_; }
    // For tests: the day's rows and the operation a row shows.
    ToolRows* rows() const { return rows_; }
    std::optional<MoneyTransaction> transactionAt(int index) const;
    // For tests: what a row shows, and how many rows have their texts written out now.
    std::optional<CalendarDayRow> rowAt(int index) const;
    int writtenRowCount() const { return int(written_.size()); }

private:
    // What the row of a row key shows, written out (money, time) the first
    // time the list asks for it: the list measures and paints only the rows
    // near the view, so a busy day formats a screenful, not every operation.
    const CalendarDayRow* written(const QString& key) const;
    // The currency, languages and time zone the rows' texts are written in.
    QString formatting() const;

    QCalendarWidget* calendar_;
    TextLabel* header_;
    TextLabel* empty_;
    QHash<QString, CalendarDayItem> content_;          // by row key
    mutable QHash<QString, CalendarDayRow> written_;  // by row key, the rows asked for so far
    CalendarDayDelegate delegate_{[this](const QString& key) { return written(key); }};
    ToolRows* rows_;
};
