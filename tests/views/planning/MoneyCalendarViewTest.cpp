#include <gtest/gtest.h>

#include <QCalendarWidget>

#include "components/DateText.h"
#include "components/TransactionRow.h"
#include "store/DemoLedger.h"
#include "views/ledger/EditorForm.h"
#include "views/planning/MoneyCalendarView.h"
#include "views/planning/MoneyToolsFixture.h"

namespace {

class CalendarTest : public MoneyToolsFixture {
protected:
    QList<QUuid> shownIds(MoneyCalendarView& view) const {
        QList<QUuid> ids;
        for (int i = 0; i < view.list()->count(); ++i)
            ids.append(static_cast<TransactionRow*>(view.list()->rowAt(i))->transaction().id);
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

TEST_F(CalendarTest, Gallery) { galleryOf<MoneyCalendarView>("calendar", demoLedger(), QDateTime()); }

}  // namespace
