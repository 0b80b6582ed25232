#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>

#include "services/MoneyText.h"
#include "store/DemoLedger.h"
#include "views/planning/MoneyToolsFixture.h"
#include "components/PageBody.h"
#include "components/SwipeGesture.h"
#include <QAccessible>
#include <QMenu>
#include "components/TextFit.h"
#include "support/PaintedListInput.h"
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
    static void drag(PaintedList* on, const QPoint& from, const QPoint& by) {
        paintedlist::drag(on, from, by);
        settle();
    }
    static const QString& key(int index) {
        static const QString keys[] = {WishRowDelegate::kPlus10, WishRowDelegate::kPlus50, WishRowDelegate::kToGoal};
        return keys[index];
    }
    const WishItem& stored() const { return store->data().wishes->front(); }
};

TEST_F(WishlistTest, AbsentOrEmptyListShowsThePlaceholder) {
    MoneyData absent = MoneyData::emptyLedger();
    absent.wishes.reset();
    for (const MoneyData& data : {absent, MoneyData::emptyLedger()}) {
        WishlistView& view = show<WishlistView>(data);
        EXPECT_TRUE(view.placeholder()->isVisible());
        EXPECT_EQ(view.count(), 0);
    }
}

TEST_F(WishlistTest, ContributionsStopAtThePriceAndCompleteTheWish) {
    const struct {
        const char *saved, *button;
        int index;
    } cases[] = {{"95", "+10", 0}, {"95", "+50", 1}, {"30", "До цели", 2}};
    for (const auto& c : cases) {
        WishlistView& view = show<WishlistView>(withWish("100", c.saved));
        EXPECT_EQ(view.list()->buttonName(view.rowKey(0), key(c.index)), QString::fromUtf8(c.button));
        ASSERT_TRUE(paintedlist::clickButton(view.list(), view.rowKey(0), key(c.index)));
        EXPECT_EQ(stored().savedAmount, Decimal(100)) << c.button;
        EXPECT_TRUE(stored().isCompleted) << c.button;
        const std::optional<WishRowContent> row = view.row(0);
        ASSERT_TRUE(row);
        EXPECT_EQ(row->symbol, "checkmark.circle.fill");
        EXPECT_DOUBLE_EQ(row->share, 1.0);
        EXPECT_TRUE(view.list()->buttonKeys(view.rowKey(0)).isEmpty());
        EXPECT_TRUE(row->caption.endsWith(cnyText(Decimal())));
    }
}

TEST_F(WishlistTest, AStoredPriceOfZeroDrawsAnEmptyOrFullBar) {
    for (const bool completed : {false, true}) {
        WishlistView& view = show<WishlistView>(withWish("0", "0", completed));
        EXPECT_DOUBLE_EQ(view.row(0)->share, completed ? 1.0 : 0.0);
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
        EXPECT_EQ(view.count(), 1);
    }
}

TEST_F(WishlistTest, AFullSwipeDeletesAndADragOnAButtonIsNoTap) {
    WishlistView& view = show<WishlistView>(withWish("100", "10"));
    PaintedList* list = view.list();
    paintedlist::paint(list);
    // A sideways drag that starts on "+10" moves the row instead of pressing it.
    drag(list, list->buttonRect("w1", key(0)).center(), QPoint(-60, 2));
    ASSERT_EQ(view.count(), 1);
    EXPECT_EQ(stored().savedAmount, Decimal(10));
    EXPECT_EQ(list->swipeOffset("w1"), -SwipeGesture::kActionWidth);  // open on "Удалить"
    drag(list, list->rowRect("w1").center(), QPoint(-300, 0));
    settle();
    EXPECT_TRUE(store->data().wishes->empty());
    EXPECT_TRUE(view.placeholder()->isVisible());
}

// A completed wish has no button, yet the keyboard reaches its row and its
// "Удалить", which runs only once picked in the row's menu.
TEST_F(WishlistTest, TheKeyboardDeletesACompletedWishThroughItsRowsMenu) {
    MoneyData data = withWish("100", "100");
    data.wishes->front().isCompleted = true;
    WishlistView& view = show<WishlistView>(data);
    PaintedList* list = view.list();
    ASSERT_TRUE(list->buttonKeys("w1").isEmpty());
    QAccessibleInterface* row = QAccessible::queryAccessibleInterface(list)->child(0);
    EXPECT_TRUE(row->text(QAccessible::Name).startsWith(stored().title + ", "));
    list->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(list->focusedButton().isEmpty());  // focus given by the program picks no stop
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->focusedButton(), PaintedList::kRowKey);
    QTest::keyClick(list, Qt::Key_Return);
    auto* menu = list->findChild<QMenu*>("rowActionsMenu");
    ASSERT_TRUE(menu && menu->isVisible());
    QTest::keyClick(menu, Qt::Key_Return);  // nothing chosen yet
    ASSERT_EQ(view.count(), 1);
    QTest::keyClick(list, Qt::Key_Menu);
    menu = list->findChild<QMenu*>("rowActionsMenu");
    ASSERT_TRUE(menu && menu->isVisible());
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
    settle();
    EXPECT_TRUE(store->data().wishes->empty());
}

TEST_F(WishlistTest, TheSecondClickOfOneGestureNeverContributesAgain) {
    MoneyData data = withWish("100", "0");
    data.wishes->push_back({QStringLiteral("w2"), QStringLiteral("Книга"), dec("100"), dec("95"), now(), false});
    data.wishes->push_back({QStringLiteral("w3"), QStringLiteral("Мяч"), dec("100"), dec("0"), now(), false});
    WishlistView& view = show<WishlistView>(data);
    PaintedList* list = view.list();
    // A double-click on "+10" adds 10 once.
    ASSERT_TRUE(paintedlist::doubleClickButton(list, "w1", key(0)));
    EXPECT_EQ(stored().savedAmount, Decimal(10));

    // "+10" completes "Книга": its buttons go and the rows below move up
    // under the pointer; a second plain click there, within the double-click
    // interval, reaches nothing that moved.
    const QPoint at = list->buttonRect("w2", key(0)).center();
    ASSERT_TRUE(paintedlist::clickButton(list, "w2", key(0)));
    ASSERT_TRUE(store->data().wishes->at(1).isCompleted);
    EXPECT_TRUE(list->buttonKeys("w2").isEmpty());
    QTest::mouseClick(list, Qt::LeftButton, {}, at);
    EXPECT_FALSE(list->acceptsPresses("w3")) << "the row that moved waits";
    settle();
    EXPECT_EQ(store->data().wishes->at(2).savedAmount, Decimal(0));
    EXPECT_EQ(store->data().wishes->at(1).savedAmount, Decimal(100));
}

TEST_F(WishlistTest, AChangedWishRedrawsItsRowOnly) {
    MoneyData data = withWish("100", "0");
    data.wishes->push_back({QStringLiteral("w2"), QStringLiteral("Книга"), dec("300"), dec("0"), now(), false});
    WishlistView& view = show<WishlistView>(data);
    const qint64 measured = view.list()->measureCount();
    ASSERT_TRUE(paintedlist::clickButton(view.list(), "w2", key(1)));
    EXPECT_EQ(view.list()->measureCount(), measured + 1) << "only the wish that changed is measured again";
    EXPECT_EQ(view.row(1)->caption, "Накоплено " + cnyText(Decimal(50)) + " · осталось " + cnyText(Decimal(250)));
    EXPECT_EQ(view.row(0)->caption, "Накоплено " + cnyText(Decimal(0)) + " · осталось " + cnyText(Decimal(100)));
}

TEST_F(WishlistTest, ALongTitleWrapsOnTwoLinesAndThePriceShrinksFirst) {
    MoneyData data = withWish("100", "0");
    data.wishes->front().title = QStringLiteral("Большие наушники с шумоподавлением");
    data.wishes->front().price = dec("1234567");
    WishlistView& view = show<WishlistView>(data);
    const int width = view.list()->width();
    const WishRowDelegate::Layout l = view.delegate().layout("w1", width);
    EXPECT_EQ(l.titleLines, 2) << l.titleWidth << " " << l.priceWidth << " " << width;
    QFont price = Theme::font(TextStyle::Subheadline);
    price.setFamily(Theme::monospacedFontFamily());
    const int natural = QFontMetrics(price).horizontalAdvance(cnyText(dec("1234567")));
    EXPECT_LT(l.priceWidth, natural) << "the price gave way";
    EXPECT_GE(l.titleWidth, TextFit::widestWord(data.wishes->front().title, Theme::font(TextStyle::Headline)));
    EXPECT_LE(l.titleLeft + l.titleWidth + l.priceWidth, width) << "nothing leaves the row";
}

TEST_F(WishlistTest, ALongListMeasuresTheWishesNearTheViewAndTheRestAsTheyAreScrolledTo) {
    MoneyData data = MoneyData::emptyLedger();
    for (int i = 0; i < 200; ++i)
        data.wishes->push_back({QStringLiteral("w%1").arg(i),
                                i % 3 ? QStringLiteral("Велосипед") : QStringLiteral("Большие наушники с шумоподавлением"),
                                dec("100"), dec("0"), now(), false});
    WishlistView& view = show<WishlistView>(data);
    PaintedList* list = view.list();
    paintedlist::paint(list);
    EXPECT_GT(list->measuredRows(), 0);
    EXPECT_LT(list->measuredRows(), 40) << "the wishes in view and a screen below, not all 200";

    // Scrolled to the end a screen at a time, as a user does: every wish is
    // measured on the way, and the page ends just below the last one.
    QScrollBar* bar = view.body()->verticalScrollBar();
    for (int guard = 0; guard < 400 && bar->value() < bar->maximum(); ++guard) {
        bar->setValue(bar->value() + view.body()->viewport()->height() / 2);
        settle();
    }
    EXPECT_EQ(list->measuredRows(), 200);
    const QRect last = list->rowRect("w199");
    const QPoint bottom = list->mapTo(view.body()->viewport(), last.bottomLeft());
    EXPECT_LE(bottom.y(), view.body()->viewport()->height()) << "the last wish is in view";
    EXPECT_GT(bottom.y(), view.body()->viewport()->height() - 100) << "and the page ends below it";

    // The last wish takes its contribution, through its row's hit area.
    ASSERT_TRUE(paintedlist::clickButton(list, "w199", key(0)));
    EXPECT_EQ(store->data().wishes->back().savedAmount, Decimal(10));
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
