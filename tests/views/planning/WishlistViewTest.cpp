#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QPointer>

#include "services/MoneyText.h"
#include "store/DemoLedger.h"
#include "views/planning/MoneyToolsFixture.h"
#include "views/planning/SwipeRows.h"
#include "views/planning/WishlistView.h"

namespace {

class WishlistTest : public MoneyToolsFixture {
protected:
    MoneyData withWish(const char* price, const char* saved, bool completed = false) {
        MoneyData d = MoneyData::emptyLedger();
        d.wishes = {
            {QStringLiteral("w1"), QStringLiteral("Велосипед"), dec(price), dec(saved), now(), completed}};
        return d;
    }
    QDateTime now() const { return clock.now(); }
    // A press at the widget's centre, moves in steps by `by`, and a release.
    static void drag(QWidget* on, const QPoint& by, int steps = 6) {
        const QPoint from = on->rect().center();
        const QPoint origin = on->mapToGlobal(QPoint());  // the widget moves with the row
        QTest::mousePress(on, Qt::LeftButton, {}, from);
        for (int i = 1; i <= steps; ++i) {
            const QPoint p = from + by * i / steps;
            QMouseEvent move(QEvent::MouseMove, p, origin + p, Qt::NoButton, Qt::LeftButton, {});
            QApplication::sendEvent(on, &move);
        }
        QTest::mouseRelease(on, Qt::LeftButton, {}, from + by);
        settle();
    }
    const WishItem& stored() const { return store->data().wishes->front(); }
};

TEST_F(WishlistTest, AbsentOrEmptyListShowsThePlaceholder) {
    MoneyData absent = MoneyData::emptyLedger();
    absent.wishes.reset();
    for (const MoneyData& data : {absent, MoneyData::emptyLedger()}) {
        WishlistView& view = show<WishlistView>(data);
        EXPECT_TRUE(view.placeholder()->isVisible());
        EXPECT_EQ(view.list()->count(), 0);
    }
}

TEST_F(WishlistTest, ContributionsStopAtThePriceAndCompleteTheWish) {
    const struct {
        const char *saved, *button;
        int index;
    } cases[] = {{"95", "+10", 0}, {"95", "+50", 1}, {"30", "До цели", 2}};
    for (const auto& c : cases) {
        WishlistView& view = show<WishlistView>(withWish("100", c.saved));
        click(view.rowAt(0)->button(c.index));
        EXPECT_EQ(stored().savedAmount, Decimal(100)) << c.button;
        EXPECT_TRUE(stored().isCompleted) << c.button;
        WishRow* row = view.rowAt(0);
        EXPECT_EQ(row->titleLabel()->symbol(), "checkmark.circle.fill");
        EXPECT_DOUBLE_EQ(row->bar()->value(), 1.0);
        EXPECT_FALSE(row->button(0)->isVisible());
        EXPECT_TRUE(row->captionLabel()->text().endsWith(cnyText(Decimal())));
    }
}

TEST_F(WishlistTest, AStoredPriceOfZeroDrawsAnEmptyOrFullBar) {
    for (const bool completed : {false, true}) {
        WishlistView& view = show<WishlistView>(withWish("0", "0", completed));
        EXPECT_DOUBLE_EQ(view.rowAt(0)->bar()->value(), completed ? 1.0 : 0.0);
    }
}

TEST_F(WishlistTest, EditorAddsOnceOnlyForATitleAndAPositivePrice) {
    const struct {
        const char *title, *price;
        bool valid;
    } cases[] = {{"Книга", "12,5", true}, {"   ", "10", false},    {"", "10", false},
                 {"Книга", "0", false},   {"Книга", "abc", false}, {"Книга", "-5", false}};
    for (const auto& c : cases) {
        WishlistView& view = show<WishlistView>(MoneyData::emptyLedger());
        auto& editor = openEditor<WishEditorView>(view);
        EXPECT_EQ(field(editor, "wishPriceField")->placeholderText(), "Цена в CNY");
        type(field(editor, "wishTitleField"), QString::fromUtf8(c.title));
        type(field(editor, "wishPriceField"), QString::fromUtf8(c.price));
        EXPECT_EQ(editor.addButton()->isEnabled(), c.valid) << c.title << c.price;
        if (!c.valid) continue;
        // A second tap while the sheet closes adds nothing more.
        QPointer<Button> add = editor.addButton();
        QTest::mouseClick(add, Qt::LeftButton);
        if (add) QTest::mouseClick(add, Qt::LeftButton);
        settle();
        ASSERT_EQ(store->data().wishes->size(), 1u);
        EXPECT_EQ(stored().price, dec("12.5"));
        EXPECT_EQ(view.list()->count(), 1);
    }
}

TEST_F(WishlistTest, AFullSwipeDeletesAndADragOnAButtonIsNoTap) {
    WishlistView& view = show<WishlistView>(withWish("100", "10"));
    // A sideways drag that starts on "+10" moves the row instead of pressing it.
    drag(view.rowAt(0)->button(0), QPoint(-60, 2));
    ASSERT_EQ(view.list()->count(), 1);
    EXPECT_EQ(stored().savedAmount, Decimal(10));
    EXPECT_EQ(view.cellAt(0)->offset(), -SwipeGesture::kActionWidth);  // open on "Удалить"
    drag(view.cellAt(0), QPoint(-300, 0));
    settle();
    EXPECT_TRUE(store->data().wishes->empty());
    EXPECT_TRUE(view.placeholder()->isVisible());
}

TEST_F(WishlistTest, Gallery) {
    MoneyData demo = demoLedger();
    demo.wishes = withWish("100", "40").wishes;
    demo.wishes->push_back({QStringLiteral("w2"),
                            QStringLiteral("Наушники с шумоподавлением и длинным названием"), dec("2500"),
                            dec("2500"), clock.now(), true});
    galleryOf<WishlistView>("wishlist", demo);
}

}  // namespace
