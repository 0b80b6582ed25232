#include "OperationsListFixture.h"

#include "components/Overlays.h"


using opslist::OperationsListTest;

namespace {

class OperationsSwipeTest : public OperationsListTest {
protected:
    void SetUp() override {
        OperationsListTest::SetUp();
        first = add(TransactionKind::expense, 5, "Еда", at(14));
        second = add(TransactionKind::expense, 6, "Кино", at(13));
        open();
        ASSERT_EQ(view->model()->rowOf(first), 0);
        ASSERT_EQ(view->model()->rowOf(second), 1);
    }
    QRect card(int row) const { return SwipeListView::cardRect(rowRect(row)); }
    int offset(const QUuid& id) const { return view->list()->offsetOf(id); }
    const MoneyTransaction* stored(const QUuid& id) const {
        for (const MoneyTransaction& t : store->data().transactions)
            if (t.id == id) return &t;
        return nullptr;
    }
    void expectNoEditor() const {
        EXPECT_FALSE(view->selectedTransaction());
        EXPECT_EQ(view->editorSheet(), nullptr);
    }

    QUuid first;
    QUuid second;
};

}  // namespace

TEST_F(OperationsSwipeTest, PartialSwipeRightOpensTheLeadingButtonsWhichRunTheirActions) {
    const QPoint start(card(0).left() + 40, card(0).center().y());
    drag(start, start + QPoint(110, 3));
    EXPECT_EQ(view->list()->openRow(), first);
    EXPECT_EQ(offset(first), 2 * SwipeListView::kActionWidth);
    expectNoEditor();
    snap("TransactionsView_swipe_leading");
    EXPECT_EQ(store->data().transactions.size(), 2u);

    // "Копия" is the inner of the two buttons.
    tap(QPoint(card(0).left() + SwipeListView::kActionWidth + 20, card(0).center().y()));
    EXPECT_EQ(store->data().transactions.size(), 3u);
    EXPECT_TRUE(view->list()->openRow().isNull());
    expectNoEditor();

    // "Избранное" is the outer one.
    const int row = view->model()->rowOf(second);
    const QPoint again(card(row).left() + 40, card(row).center().y());
    drag(again, again + QPoint(120, 0));
    tap(QPoint(card(row).left() + 20, card(row).center().y()));
    EXPECT_TRUE(stored(second)->isFavorite.value_or(false));
    expectNoEditor();
}

TEST_F(OperationsSwipeTest, FullSwipeRightRunsFavouriteAndFullSwipeLeftDeletes) {
    const QPoint start(card(0).left() + 30, card(0).center().y());
    drag(start, start + QPoint(290, 0), 10);
    EXPECT_TRUE(stored(first)->isFavorite.value_or(false));
    EXPECT_EQ(store->data().transactions.size(), 2u);  // no copy
    EXPECT_TRUE(view->list()->openRow().isNull());
    expectNoEditor();

    const QPoint end(card(1).right() - 30, card(1).center().y());
    drag(end, end - QPoint(290, 0), 10);
    EXPECT_EQ(stored(second), nullptr);
    EXPECT_TRUE(view->undoBar()->isVisible());
    expectNoEditor();
}

TEST_F(OperationsSwipeTest, PartialSwipeLeftShowsDeleteWithoutConfirmation) {
    const QPoint start(card(1).right() - 30, card(1).center().y());
    drag(start, start - QPoint(60, 0));
    EXPECT_EQ(offset(second), -SwipeListView::kActionWidth);
    EXPECT_NE(stored(second), nullptr);
    tap(QPoint(card(1).right() - 20, card(1).center().y()));
    EXPECT_EQ(stored(second), nullptr);
    EXPECT_EQ(OverlayHost::forWindow(window.get())->currentAlert(), nullptr);
    expectNoEditor();
}

TEST_F(OperationsSwipeTest, ADragNeverCountsAsATap) {
    // A short sideways drag springs back and does nothing else.
    const QPoint start(card(0).center());
    drag(start, start + QPoint(24, 0));
    EXPECT_EQ(offset(first), 0);
    EXPECT_TRUE(view->list()->openRow().isNull());
    expectNoEditor();
    // Back to where it started: still a drag, not a tap.
    drag(start, start + QPoint(30, 0), 3);
    drag(start + QPoint(30, 0), start, 3);
    expectNoEditor();
    EXPECT_FALSE(stored(first)->isFavorite.value_or(false));
    EXPECT_EQ(store->data().transactions.size(), 2u);
}

TEST_F(OperationsSwipeTest, ButtonsAreYellowAndTealLeadingAndRedTrailingAndOneRowOpensAtATime) {
    const Theme& theme = Theme::current();
    const QPoint a(card(0).left() + 40, card(0).center().y());
    drag(a, a + QPoint(120, 0));
    EXPECT_EQ(view->list()->openRow(), first);
    QImage shown = viewport()->grab().toImage();
    // Near each button's top edge, clear of its symbol and title.
    EXPECT_EQ(QColor(shown.pixel(card(0).left() + 10, card(0).top() + 4)), theme.color(ColorRole::Yellow));
    EXPECT_EQ(QColor(shown.pixel(card(0).left() + SwipeListView::kActionWidth + 10, card(0).top() + 4)),
              theme.color(ColorRole::Teal));
    const QPoint b(card(1).right() - 30, card(1).center().y());
    drag(b, b - QPoint(70, 0));
    EXPECT_EQ(view->list()->openRow(), second);
    EXPECT_EQ(offset(first), 0);
    shown = viewport()->grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(card(1).right() - 10, card(1).top() + 4)), theme.color(ColorRole::Red));
    snap("TransactionsView_swipe_trailing");

    // While a row is open, a tap on another row closes it and opens nothing.
    tap(card(0).center() + QPoint(80, 0));
    EXPECT_TRUE(view->list()->openRow().isNull());
    expectNoEditor();
    EXPECT_EQ(store->data().transactions.size(), 2u);
    // The next tap opens the editor.
    tap(card(0).center() + QPoint(80, 0));
    ASSERT_TRUE(view->selectedTransaction());
    EXPECT_EQ(view->selectedTransaction()->id, first);
}

TEST_F(OperationsSwipeTest, VerticalDragsScrollTheListWithoutTappingOrSwiping) {
    for (int i = 0; i < 40; ++i) add(TransactionKind::expense, i + 1, QStringLiteral("Строка %1").arg(i), at(1));
    settle();
    QScrollBar* bar = view->list()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    ASSERT_EQ(bar->value(), 0);
    const QPoint start(viewport()->width() / 2, viewport()->height() - 40);
    drag(start, start - QPoint(6, 200), 8);
    EXPECT_GE(bar->value(), 190);
    EXPECT_TRUE(view->list()->openRow().isNull());
    expectNoEditor();
    for (const MoneyTransaction& t : store->data().transactions) EXPECT_FALSE(t.isFavorite.value_or(false));
}
