#include <gtest/gtest.h>

#include <QDateEdit>

#include "components/SegmentedControl.h"
#include "components/Toggle.h"
#include "services/MoneyText.h"
#include "store/DemoLedger.h"
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
    EXPECT_EQ(view.rowAt(0)->detailLabel()->text(), "Должны мне · за обед");
    EXPECT_EQ(view.rowAt(1)->detailLabel()->text(), "Должен я");
    click(view.rowAt(0)->settleButton());
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
        TextLabel* due = view.rowAt(0)->dueLabel();
        EXPECT_EQ(due->isVisible(), c.shown);
        if (c.shown)
            EXPECT_EQ(due->color(),
                      Theme::current().color(c.red ? ColorRole::Red : ColorRole::SecondaryLabel));
    }
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
                            debt("b", "40", DebtDirection::iOwe, local(2026, 6, 30))})
                     .debts;
    galleryOf<DebtsView>("debts", demo);
}

}  // namespace
