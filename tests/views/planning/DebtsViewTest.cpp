#include <gtest/gtest.h>

#include <QDateEdit>

#include "components/SegmentedControl.h"
#include "components/Toggle.h"
#include "services/MoneyText.h"
#include "store/DemoLedger.h"
#include "support/PaintedListInput.h"
#include "views/planning/DebtsView.h"
#include "views/planning/MoneyToolsFixture.h"

namespace {

class DebtsTest : public MoneyToolsFixture {
protected:
    static DebtRecord debt(const char* id, const char* amount, DebtDirection direction,
                           std::optional<QDateTime> due = std::nullopt, const char* note = "") {
        return {QString::fromLatin1(id),
                QStringLiteral("Маша"),
                dec(amount),
                direction,
                QString::fromUtf8(note),
                due,
                false};
    }
    static MoneyData withDebts(std::vector<DebtRecord> debts) {
        MoneyData d = MoneyData::emptyLedger();
        d.debts = std::move(debts);
        return d;
    }
};

TEST_F(DebtsTest, TotalsFollowTheOpenDebtsAndSettlingDropsOne) {
    DebtsView& empty = show<DebtsView>(MoneyData::emptyLedger());
    EXPECT_EQ(empty.owedToMeLabel()->text(), cnyText(Decimal()));
    EXPECT_TRUE(empty.placeholder()->isVisible());

    DebtsView& view =
        show<DebtsView>(withDebts({debt("a", "150", DebtDirection::owesMe, std::nullopt, "за обед"),
                                   debt("b", "40", DebtDirection::iOwe)}));
    EXPECT_EQ(view.owedToMeLabel()->text(), cnyText(Decimal(150)));
    EXPECT_EQ(view.iOweLabel()->text(), cnyText(Decimal(40)));
    EXPECT_EQ(view.row(0)->detail, "Должны мне · за обед");
    EXPECT_EQ(view.row(1)->detail, "Должен я");
    ASSERT_TRUE(paintedlist::clickButton(view.rows(), "a", DebtRowDelegate::kSettle));
    EXPECT_EQ(view.owedToMeLabel()->text(), cnyText(Decimal()));
    EXPECT_EQ(view.list()->count(), 1);
    EXPECT_TRUE(store->data().debts->front().isSettled);
}

TEST_F(DebtsTest, AddedWithReturnTheFocusGoesBackToAddAndASpaceSettlesNothing) {
    DebtsView& view = show<DebtsView>(withDebts({debt("a", "150", DebtDirection::owesMe)}));
    window->activateWindow();
    settle();
    auto& editor = openEditor<DebtEditorView>(view);
    type(field(editor, "debtPersonField"), "Петя");
    type(field(editor, "debtAmountField"), "25");
    QTest::keyClick(field(editor, "debtAmountField"), Qt::Key_Return);
    settle();
    ASSERT_EQ(view.list()->count(), 2);
    EXPECT_EQ(QApplication::focusWidget(), view.addButton());  // the control that opened the sheet
    EXPECT_TRUE(view.rows()->focusedButton().isEmpty());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    settle();
    for (const DebtRecord& stored : *store->data().debts) EXPECT_FALSE(stored.isSettled) << stored.id.toStdString();
}

TEST_F(DebtsTest, DueLineTurnsRedOnlyAfterItsDay) {
    const struct {
        std::optional<QDateTime> due;
        bool shown, red;
    } cases[] = {{local(2026, 6, 14, 20), true, true},
                 {local(2026, 6, 15, 9), true, false},  // earlier today: not yet overdue
                 {local(2026, 6, 22), true, false},
                 {std::nullopt, false, false}};
    for (const auto& c : cases) {
        DebtsView& view = show<DebtsView>(withDebts({debt("a", "5", DebtDirection::owesMe, c.due)}));
        const std::optional<DebtRowContent> row = view.row(0);
        ASSERT_TRUE(row);
        EXPECT_EQ(!row->due.isEmpty(), c.shown);
        if (c.shown) EXPECT_EQ(row->dueColor, c.red ? ColorRole::Red : ColorRole::SecondaryLabel);
    }
}

TEST_F(DebtsTest, ADoubleClickOnCloseSettlesOneDebtNotTheOneMovingUp) {
    DebtsView& view = show<DebtsView>(withDebts({debt("a", "150", DebtDirection::owesMe),
                                                 debt("b", "40", DebtDirection::owesMe)}));
    // The first click settles "a" at once and "b" moves up under the pointer.
    ASSERT_TRUE(paintedlist::doubleClickButton(view.rows(), "a", DebtRowDelegate::kSettle));
    settle();
    EXPECT_EQ(view.rowKeys(), QStringList{"b"});
    const std::vector<DebtRecord>& stored = *store->data().debts;
    EXPECT_TRUE(stored[0].isSettled);
    EXPECT_FALSE(stored[1].isSettled);
}

TEST_F(DebtsTest, ARedrawMeasuresOnlyTheRowsWhoseDebtChanged) {
    DebtsView& view = show<DebtsView>(withDebts({debt("a", "5", DebtDirection::owesMe, local(2026, 6, 16)),
                                                 debt("b", "6", DebtDirection::iOwe, local(2026, 6, 30)),
                                                 debt("c", "7", DebtDirection::owesMe)}));
    paintedlist::paint(view.rows());
    const qint64 before = view.rows()->measureCount();
    view.redraw();  // nothing changed
    EXPECT_EQ(view.rows()->measureCount(), before);
    setNow(local(2026, 6, 20));  // only "a" is overdue now
    view.redraw();
    paintedlist::paint(view.rows());
    EXPECT_EQ(view.rows()->measureCount(), before + 1);
    EXPECT_EQ(view.row(0)->dueColor, ColorRole::Red);
    EXPECT_EQ(view.row(1)->dueColor, ColorRole::SecondaryLabel);
}

TEST_F(DebtsTest, EditorStoresTheDueDateOnlyWithTheSwitchOn) {
    for (const bool on : {false, true}) {
        DebtsView& view = show<DebtsView>(MoneyData::emptyLedger());
        auto& editor = openEditor<DebtEditorView>(view);
        EXPECT_EQ(editor.directionPicker()->currentTag(), "owesMe");
        type(field(editor, "debtPersonField"), "   ");
        type(field(editor, "debtAmountField"), "12,5");
        EXPECT_FALSE(editor.addButton()->isEnabled());  // a blank name
        type(field(editor, "debtPersonField"), "Петя");
        editor.deadlineSwitch()->setChecked(true);
        editor.duePicker()->setDate(QDate(2026, 7, 1));
        editor.deadlineSwitch()->setChecked(on);
        click(editor.addButton());
        const DebtRecord& stored = store->data().debts->front();
        EXPECT_EQ(stored.amount, dec("12.5"));
        EXPECT_EQ(stored.dueDate, on ? std::optional<QDateTime>(local(2026, 7, 1, 12)) : std::nullopt);
    }
}

TEST_F(DebtsTest, DefaultDueDateIsSevenCalendarDaysAcrossTheClockChange) {
    // 22 March 23:30 plus seven days of seconds would be 30 March 00:30.
    const struct {
        QDateTime now, due;
    } cases[] = {{local(2026, 3, 22, 23, 30), local(2026, 3, 29, 23, 30)},
                 {local(2026, 3, 22, 2, 30), local(2026, 3, 29, 3, 30)}};  // 02:30 does not exist on the 29th
    for (const auto& c : cases) {
        setNow(c.now);
        DebtsView& view = show<DebtsView>(MoneyData::emptyLedger());
        auto& editor = openEditor<DebtEditorView>(view);
        EXPECT_EQ(editor.dueDate(), c.due.toUTC());
    }
}

TEST_F(DebtsTest, Gallery) {
    MoneyData demo = demoLedger();
    demo.debts = withDebts({debt("a", "150", DebtDirection::owesMe, local(2026, 6, 10), "за кино и попкорн"),
                            debt("b", "40", DebtDirection::iOwe, local(2026, 6, 30)),
                            debt("c", "12345678901", DebtDirection::owesMe)})
                     .debts;
    // A long name beside an 11-digit amount: the amount shrinks, the name wraps between words.
    demo.debts->back().person = QStringLiteral("Александра Константиновна Преображенская");
    galleryOf<DebtsView>("debts", demo);
}

}  // namespace
