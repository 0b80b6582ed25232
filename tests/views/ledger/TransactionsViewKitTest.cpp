// The operations list keeps the rules every painted list keeps: a
// double-click is one click, the keyboard walks the rows and shows the
// current one, and a key opens a row's actions without running any.

#include "OperationsListFixture.h"

#include <QMenu>
#include <QSignalSpy>

#include "components/Overlays.h"
#include "components/Theme.h"

using opslist::OperationsListTest;

namespace {

class OperationsKitTest : public OperationsListTest {
protected:
    void SetUp() override {
        OperationsListTest::SetUp();
        for (int day = 14; day >= 10; --day) ids.push_back(add(TransactionKind::expense, day, "Еда", at(day)));
        open();
    }
    QRect card(int row) const { return SwipeListView::cardRect(rowRect(row)); }
    QMenu* rowMenu() const { return view->list()->findChild<QMenu*>("rowActionsMenu"); }
    // A double-click as the platform delivers it: press, release, the
    // second press as a double-click event, release.
    void doubleClick(const QPoint& at) {
        QTest::mousePress(viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at);
        settle();
    }
    // The colour just inside a row's card, left of its icon.
    QColor cardEdge(int row) const {
        const QImage shown = viewport()->grab().toImage();
        return QColor(shown.pixel(card(row).left() + 6, card(row).center().y()));
    }
    bool anyFavourite() const {
        for (const MoneyTransaction& t : store->data().transactions)
            if (t.isFavorite.value_or(false)) return true;
        return false;
    }

    std::vector<QUuid> ids;
};

}  // namespace

TEST_F(OperationsKitTest, ADoubleClickOnARowOpensItOnce) {
    QSignalSpy taps(view->list(), &SwipeListView::rowTapped);
    doubleClick(rowCentre(1));
    EXPECT_EQ(taps.count(), 1);
}

TEST_F(OperationsKitTest, ADoubleClickOnAnOpenRowsActionRunsItOnceAndOpensNothing) {
    const QPoint start(card(0).left() + 40, card(0).center().y());
    drag(start, start + QPoint(120, 0));
    ASSERT_EQ(view->list()->openRow(), ids.front());
    // "Копия", the inner of the two leading actions.
    doubleClick(QPoint(card(0).left() + SwipeListView::kActionWidth + 20, card(0).center().y()));
    EXPECT_EQ(store->data().transactions.size(), ids.size() + 1);
    EXPECT_FALSE(view->selectedTransaction()) << "the second press opened the row under it";
    EXPECT_EQ(view->editorSheet(), nullptr);
}

TEST_F(OperationsKitTest, KeysWalkTheRowsShowTheCurrentOneAndOpenItsActionsWithoutRunningOne) {
    SwipeListView* list = view->list();
    const QColor plain = Theme::current().color(ColorRole::SecondaryGroupedBackground);
    // A click does not take the keyboard; Tab does.
    tap(rowCentre(2));
    settle();
    EXPECT_FALSE(list->hasFocus());
    ASSERT_NE(view->editorSheet(), nullptr);
    view->editorSheet()->dismiss();
    settle();
    list->setFocus(Qt::TabFocusReason);
    settle();
    ASSERT_TRUE(list->hasFocus());
    ASSERT_EQ(list->currentIndex().row(), 0);

    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    settle();
    EXPECT_EQ(list->currentIndex().row(), 2);
    EXPECT_NE(cardEdge(2), plain) << "the current row is drawn as every painted list's";
    EXPECT_EQ(cardEdge(1), plain);
    snap("TransactionsView_current_row");
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(list->currentIndex().row(), int(ids.size()) - 1);
    QTest::keyClick(list, Qt::Key_Home);
    EXPECT_EQ(list->currentIndex().row(), 0);

    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    for (const Case& c : {Case{"Return", Qt::Key_Return, Qt::NoModifier}, Case{"Space", Qt::Key_Space, Qt::NoModifier},
                          Case{"Menu", Qt::Key_Menu, Qt::NoModifier}, Case{"Shift+F10", Qt::Key_F10, Qt::ShiftModifier}}) {
        SCOPED_TRACE(c.name);
        QTest::keyClick(list, c.key, c.modifiers);
        settle();
        QMenu* menu = rowMenu();
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(menu->isVisible());
        EXPECT_EQ(menu->activeAction(), nullptr);
        QStringList titles;
        for (QAction* a : menu->actions()) titles << a->text();
        EXPECT_EQ(titles, QStringList({"Избранное", "Копия", "Удалить"}));
        // Nothing runs until an action is picked.
        EXPECT_EQ(store->data().transactions.size(), ids.size());
        EXPECT_FALSE(anyFavourite());
        menu->close();
        settle();
    }
    // Picked, the action runs on the current row.
    QTest::keyClick(list, Qt::Key_Return);
    settle();
    ASSERT_NE(rowMenu(), nullptr);
    rowMenu()->findChild<QAction*>("rowAction_favorite")->trigger();
    settle();
    EXPECT_TRUE(store->data().transactions.front().isFavorite.value_or(false));
}
