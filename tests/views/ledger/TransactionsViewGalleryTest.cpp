#include "OperationsListFixture.h"

#include "components/Overlays.h"
#include "components/TextLabel.h"
#include "store/DemoLedger.h"

#include <QFileInfo>
#include <QImage>
#include <QSet>

using opslist::OperationsListTest;

namespace {

// Pictures of the operations list for the gallery; each also checks that the
// picture was written and is not blank.
class OperationsGalleryTest : public OperationsListTest {
protected:
    void snap(const QString& name) {
        const QString path = Gallery::save(*window, name);
        ASSERT_FALSE(path.isEmpty());
        const QImage image(path);
        ASSERT_EQ(image.size(), Gallery::kPhoneSize);
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 7)
            for (int x = 0; x < image.width(); x += 7) colours.insert(image.pixel(x, y));
        EXPECT_GT(colours.size(), 12) << "a blank picture";
    }
    void openDemo() {
        store->setData(demoLedger());
        open();
    }
};

}  // namespace

TEST_F(OperationsGalleryTest, EmptyLedger) {
    open();
    snap("TransactionsView_empty");
}

TEST_F(OperationsGalleryTest, DemoLedger) {
    openDemo();
    ASSERT_GT(view->model()->rowCount(), 3);
    snap("TransactionsView_demo");
}

TEST_F(OperationsGalleryTest, DemoLedgerWithLeadingSwipeOpen) {
    openDemo();
    const QRect first = SwipeListView::cardRect(rowRect(1));
    drag(QPoint(first.left() + 30, first.center().y()), QPoint(first.left() + 150, first.center().y()));
    EXPECT_FALSE(view->list()->openRow().isNull());
    snap("TransactionsView_swipe_leading");
}

TEST_F(OperationsGalleryTest, DemoLedgerWithTrailingDragAndUndoBar) {
    openDemo();
    view->perform(RowAction::remove, view->model()->transactionAt(4)->id);
    settle();
    const QRect second = SwipeListView::cardRect(rowRect(2));
    // Held mid-drag: the trailing button shows beside the row.
    QTest::mousePress(viewport(), Qt::LeftButton, {}, QPoint(second.right() - 20, second.center().y()));
    for (int x = 0; x <= 90; x += 15) {
        const QPoint p(second.right() - 20 - x, second.center().y());
        QMouseEvent move(QEvent::MouseMove, p, viewport()->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(viewport(), &move);
    }
    EXPECT_TRUE(view->undoBar()->isVisible());
    snap("TransactionsView_swipe_trailing");
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, QPoint(second.right() - 110, second.center().y()));
}

TEST_F(OperationsGalleryTest, MaskedBalancesLeaveTheListsAmountsShown) {
    // Masking covers the dashboard's balance, budget rest and templates only.
    Preferences::standard().setValue("hideBalances", true);
    openDemo();
    EXPECT_FALSE(view->totalLabel()->text().contains(QChar(0x2022)));
    snap("TransactionsView_masked");
}

TEST_F(OperationsGalleryTest, DarkTheme) {
    Preferences::standard().setValue("appTheme", "dark");
    openDemo();
    view->setSearchText(QStringLiteral("а"));
    snap("TransactionsView_dark");
    Preferences::standard().setValue("appTheme", "system");
}
