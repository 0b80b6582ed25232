#include <gtest/gtest.h>

#include <QAccessible>
#include <QCalendarWidget>

#include "components/DateText.h"
#include "components/TransactionRow.h"
#include "store/DemoLedger.h"
#include "support/PaintedListInput.h"
#include "views/ledger/EditorForm.h"
#include "views/planning/MoneyCalendarView.h"
#include "views/planning/MoneyToolsFixture.h"
#include "views/planning/ToolFigures.h"

namespace {

class CalendarTest : public MoneyToolsFixture {
protected:
    QList<QUuid> shownIds(MoneyCalendarView& view) const {
        QList<QUuid> ids;
        for (int i = 0; i < view.rows()->count(); ++i) ids.append(view.transactionAt(i)->id);
        return ids;
    }
};

TEST_F(CalendarTest, DayListsNewestFirstKeepsEqualMomentsAndFollowsThePick) {
    const MoneyTransaction morning = expense(Decimal(5), local(2026, 6, 10, 9));
    const MoneyTransaction evening = income(Decimal(7), local(2026, 6, 10, 18));
    const MoneyTransaction same1 = expense(Decimal(1), local(2026, 6, 11, 23, 59));
    const MoneyTransaction same2 = expense(Decimal(2), local(2026, 6, 11, 23, 59));
    MoneyCalendarView& view =
        show<MoneyCalendarView>(ledgerWith({morning, same1, evening, same2}), local(2026, 6, 10, 8));
    EXPECT_EQ(shownIds(view), (QList<QUuid>{evening.id, morning.id}));
    EXPECT_EQ(view.headerLabel()->text(), DateText::longDate(QDate(2026, 6, 10)).toUpper());
    // A screen reader reads each operation as the operations list's rows say it, with its time.
    QAccessibleInterface* rows = QAccessible::queryAccessibleInterface(view.rows()->list());
    ASSERT_EQ(rows->childCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const MoneyTransaction& t = i == 0 ? evening : morning;
        EXPECT_EQ(rows->child(i)->role(), QAccessible::ListItem);
        EXPECT_EQ(rows->child(i)->text(QAccessible::Name),
                  TransactionRow::accessibleText(t) + ", " + DateText::abbreviatedDateTime(t.date));
    }

    const struct {
        QDate day;
        QList<QUuid> ids;
    } picks[] = {{QDate(2026, 6, 11), {same1.id, same2.id}}, {QDate(2026, 6, 12), {}}};
    for (const auto& pick : picks) {
        view.calendar()->setSelectedDate(pick.day);
        EXPECT_EQ(shownIds(view), pick.ids);
        EXPECT_EQ(view.headerLabel()->text(), DateText::longDate(pick.day).toUpper());
        EXPECT_EQ(view.emptyLabel()->isVisible(), pick.ids.isEmpty());
    }
}

TEST(WallClockTest, SkippedAndRepeatedTimesReadWithTheEarlierOffset) {
    const QTimeZone berlin("Europe/Berlin");
    const struct {
        QDateTime wall, utc;
    } cases[] = {
        {QDateTime(QDate(2026, 3, 29), QTime(2, 30)), QDateTime(QDate(2026, 3, 29), QTime(1, 30), Qt::UTC)},
        {QDateTime(QDate(2026, 10, 25), QTime(2, 30)), QDateTime(QDate(2026, 10, 25), QTime(0, 30), Qt::UTC)},
        {QDateTime(QDate(2026, 6, 1), QTime(12, 0)), QDateTime(QDate(2026, 6, 1), QTime(10, 0), Qt::UTC)}};
    for (const auto& c : cases)
        EXPECT_EQ(fromWallClock(c.wall, berlin), c.utc) << c.wall.toString().toStdString();
}

// An edit of one operation of the day measures only its row again; an
// 11-digit amount shrinks inside its row and never widens the page.
TEST_F(CalendarTest, AnEditMeasuresOneRowAndAHugeAmountStaysInsideTheWindow) {
    MoneyData data = MoneyData::emptyLedger();
    auto& day = data.transactions;
    for (int hour = 8; hour < 14; ++hour) day.push_back(expense(Decimal(hour), local(2026, 6, 10, hour)));
    day.push_back(income(Decimal::parse(QStringLiteral("12345678901.25")).value(), local(2026, 6, 10, 20)));
    MoneyCalendarView& view = show<MoneyCalendarView>(data, local(2026, 6, 10, 8));
    PaintedList* list = view.rows()->list();
    paintedlist::paint(list);
    EXPECT_LE(list->mapTo(window.get(), QPoint(list->width(), 0)).x(), window->width());
    EXPECT_LE(view.width(), window->width());
    EXPECT_FALSE(Gallery::save(*window, QStringLiteral("calendar-huge-amount")).isEmpty());

    const qint64 measured = list->measureCount();
    MoneyTransaction edited = day[2];
    edited.note = QStringLiteral("Обед");
    store->updateTransaction(edited);
    settle();
    ASSERT_EQ(view.transactionAt(4)->note, "Обед");  // newest first: the 10 o'clock one
    EXPECT_EQ(list->measureCount(), measured + 1);
}

// A busy day writes out and measures the rows near the view, the rest as
// they are asked for; every row is still the day's operation in its place,
// at the height a fully measured row has, its texts follow an edit (that row
// alone) and the currency, and another day starts afresh.
TEST_F(CalendarTest, ABusyDayWritesAndMeasuresTheRowsNearTheViewFirst) {
    MoneyData data = MoneyData::emptyLedger();
    for (int i = 0; i < 200; ++i)
        data.transactions.push_back(
            i % 5 ? expense(Decimal(i + 1), local(2026, 6, 10, 8).addSecs(i * 60))
                  : income(Decimal::parse(QStringLiteral("1234567.%1").arg(i % 90 + 10)).value(),
                           local(2026, 6, 10, 8).addSecs(i * 60)));
    data.transactions.push_back(expense(Decimal(3), local(2026, 6, 11, 9)));
    MoneyCalendarView& view = show<MoneyCalendarView>(data, local(2026, 6, 10, 8));
    PaintedList* list = view.rows()->list();
    paintedlist::paint(list);
    ASSERT_EQ(view.rows()->count(), 200);
    EXPECT_GT(list->measuredRows(), 0);
    EXPECT_LT(list->measuredRows(), 60) << "a screenful and the next, not two hundred";
    EXPECT_GT(view.writtenRowCount(), 0);
    EXPECT_LT(view.writtenRowCount(), 60);
    const int written = view.writtenRowCount();

    MoneyTransaction edited = *view.transactionAt(1);
    edited.amount = Decimal(7);
    store->updateTransaction(edited);
    settle();
    EXPECT_EQ(view.rowAt(1)->amount, TransactionRow::signedAmountText(edited));
    EXPECT_LE(view.writtenRowCount(), written + 1);
    const QString before = view.rowAt(0)->amount;
    setPreference("currencyCode", "EUR");
    settle();
    EXPECT_NE(view.rowAt(0)->amount, before);
    EXPECT_EQ(view.rowAt(0)->amount, TransactionRow::signedAmountText(*view.transactionAt(0)));
    EXPECT_EQ(view.rowAt(1)->amount, TransactionRow::signedAmountText(edited));
    const int oneLine = list->rowRect(list->rows().first()).height();
    EXPECT_EQ(oneLine, CalendarDayDelegate::estimatedRowHeight());

    // Asked for, the last row is measured with every row above it.
    const QString last = list->rows().last();
    EXPECT_EQ(list->rowRect(last).height(), oneLine);
    EXPECT_EQ(list->measuredRows(), 200);
    EXPECT_EQ(view.transactionAt(199)->date, local(2026, 6, 10, 8)) << "newest first";
    EXPECT_EQ(view.transactionAt(0)->date, local(2026, 6, 10, 8).addSecs(199 * 60));

    view.selectDay(QDate(2026, 6, 11));
    paintedlist::paint(list);
    EXPECT_EQ(view.rows()->count(), 1);
    EXPECT_EQ(list->measuredRows(), 1);
    EXPECT_EQ(view.writtenRowCount(), 1);
}

// The day list comes from the ledger's moments read once per change of the
// store: every day shows what the store lists for it, across a clock change
// and after an edit, and picking days reads no date of the ledger again.
TEST_F(CalendarTest, EveryDayShowsTheStoresDayListFromOneReadingPerChange) {
    MoneyData data = MoneyData::emptyLedger();
    // Around the autumn clock change in the fixture's zone, and late and early hours.
    const QDateTime base = local(2026, 10, 23, 0);
    for (int i = 0; i < 60; ++i) {
        const QDateTime when = base.addSecs(qint64(i) * 5 * 3600 + (i % 3) * 59 * 60);
        data.transactions.push_back(i % 4 ? expense(Decimal(i + 1), when) : income(Decimal(i + 1), when));
    }
    data.transactions.push_back(expense(Decimal(9), data.transactions[5].date));  // an equal moment
    MoneyCalendarView& view = show<MoneyCalendarView>(data, base);
    const int computed = tool_figures::timelinesComputed(*store);
    const auto compare = [&](QDate day) {
        view.selectDay(day);
        QList<QUuid> expected;
        for (const MoneyTransaction& t : store->transactions(store->calendar().startOfDay(day)))
            expected.append(t.id);
        EXPECT_EQ(shownIds(view), expected) << day.toString().toStdString();
        return expected.size();
    };
    qsizetype seen = 0;
    for (QDate day = QDate(2026, 10, 22); day <= QDate(2026, 11, 6); day = day.addDays(1)) seen += compare(day);
    EXPECT_EQ(seen, qsizetype(data.transactions.size()));
    EXPECT_EQ(tool_figures::timelinesComputed(*store), computed);

    MoneyTransaction moved = store->data().transactions[7];
    moved.date = local(2026, 10, 30, 12);
    store->updateTransaction(moved);
    settle();
    EXPECT_GT(compare(QDate(2026, 10, 30)), 0);
    EXPECT_TRUE(shownIds(view).contains(moved.id));
    EXPECT_EQ(tool_figures::timelinesComputed(*store), computed + 1);
}

// The month grid paints its days from kept images of them: picked, moved to
// another month, in the dark look and with the keyboard focus on the grid,
// it shows exactly what the stock calendar paints in its place.
TEST_F(CalendarTest, TheMonthLooksExactlyAsTheStockCalendarWhateverIsPicked) {
    MoneyCalendarView& view = show<MoneyCalendarView>(demoLedger(), local(2026, 6, 10, 8));
    QCalendarWidget* calendar = view.calendar();
    auto* stock = new QCalendarWidget(calendar->parentWidget());
    stock->setLocale(calendar->locale());
    stock->setFirstDayOfWeek(calendar->firstDayOfWeek());
    stock->setVerticalHeaderFormat(calendar->verticalHeaderFormat());
    stock->setGeometry(calendar->geometry());
    stock->show();
    const auto same = [&](const char* step) {
        stock->setSelectedDate(calendar->selectedDate());
        settle();
        const QImage drawn = calendar->grab().toImage();
        EXPECT_EQ(drawn, stock->grab().toImage()) << step;
        return drawn;
    };
    const QImage first = same("opened");
    view.selectDay(QDate(2026, 6, 18));
    EXPECT_NE(same("another day"), first) << "the pick moved";
    view.selectDay(QDate(2026, 6, 10));
    EXPECT_EQ(same("back"), first);
    view.selectDay(QDate(2026, 5, 31));
    same("another month");
    setPreference("appTheme", "dark");
    settle();
    same("dark");
    view.selectDay(QDate(2026, 6, 10));
    const QImage dark = same("dark, back");
    EXPECT_NE(dark, first);
    calendar->setFocus(Qt::TabFocusReason);
    settle();
    const QImage focused = calendar->grab().toImage();
    stock->setFocus(Qt::TabFocusReason);
    settle();
    const QImage stockFocused = stock->grab().toImage();
    EXPECT_EQ(focused, stockFocused) << "focused";
    EXPECT_NE(focused, dark) << "the focus shows";
}

TEST_F(CalendarTest, Gallery) { galleryOf<MoneyCalendarView>("calendar", demoLedger(), QDateTime()); }

}  // namespace
