#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionSlider>
#include <QTest>
#include <QVBoxLayout>

#include "KitFixture.h"
#include "components/PageBody.h"
#include "components/PaintedList.h"
#include "components/SwipeGesture.h"
#include "support/PaintedListInput.h"

namespace {

// Rows of text that wrap at 10 px a character into 20 px lines, with the
// buttons "a" and, unless a row says otherwise, "b" on its last line.
struct Row {
    int chars = 10;
    bool twoButtons = true;
};

class TextDelegate : public PaintedRowDelegate {
public:
    QHash<QString, Row> rows;
    mutable QHash<QString, int> painted;
    mutable qint64 buttonCalls = 0;

    static int lines(const Row& row, int width) { return std::max(1, (row.chars * 10 + width - 1) / std::max(width, 1)); }
    int rowHeight(const QString& id, int width, bool busy) const override {
        return lines(rows.value(id), width) * 20 + 40 + (busy ? 20 : 0);
    }
    QList<PaintedButton> buttons(const QString& id, int width, bool) const override {
        ++buttonCalls;
        const Row row = rows.value(id);
        const int top = lines(row, width) * 20 + 4;
        if (!row.twoButtons) return {{"a", QRect(0, top, width, 32), "Кнопка " + id}};
        return {{"a", QRect(0, top, width / 2 - 4, 32), "Кнопка " + id},
                {"b", QRect(width / 2 + 4, top, width / 2 - 4, 32), "Вторая " + id}};
    }
    void paintRow(QPainter* p, const QString& id, const QRect& rect, const PaintedRowState& state) const override {
        ++painted[id];
        p->fillRect(rect, Qt::white);
        Button::Face face;
        face.style = Button::Style::Bordered;
        face.tint = Qt::black;
        for (const PaintedButton& b : buttons(id, rect.width(), state.busy))
            PaintedList::paintButton(p, rect, b, face, state);
    }
};

class PaintedListTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        for (const char* id : {"r1", "r2", "r3", "r4"}) delegate.rows.insert(id, Row{});
        window.resize(300, 600);
        auto* column = new QVBoxLayout(&window);
        column->setContentsMargins(0, 0, 0, 0);
        before = new QLineEdit(&window);
        column->addWidget(before);
        list = new PaintedList(delegate, &window);
        list->setSpacing(10);
        column->addWidget(list);
        after = new QLineEdit(&window);
        column->addWidget(after);
        column->addStretch(1);
        list->setRows({"r1", "r2", "r3", "r4"});
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        settle();
        paintedlist::paint(list);
    }
    QWidget window;
    TextDelegate delegate;
    QLineEdit* before = nullptr;
    PaintedList* list = nullptr;
    QLineEdit* after = nullptr;
};

using Click = QList<QVariant>;

TEST_F(PaintedListTest, ClicksReachTheButtonUnderThePointerUnlessHeldOrBusy) {
    QSignalSpy clicks(list, &PaintedList::buttonClicked);
    QSignalSpy rowClicks(list, &PaintedList::rowClicked);
    ASSERT_TRUE(paintedlist::clickButton(list, "r2", "b"));
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks.takeFirst(), (Click{"r2", "b"}));
    // Outside the buttons: the row, not a button.
    QTest::mouseClick(list, Qt::LeftButton, {}, list->rowRect("r3").topLeft() + QPoint(5, 5));
    EXPECT_EQ(clicks.size(), 0);
    ASSERT_EQ(rowClicks.size(), 1);
    EXPECT_EQ(rowClicks.at(0).at(0).toString(), "r3");
    // Pressed on one button, released on another: nothing.
    QTest::mousePress(list, Qt::LeftButton, {}, list->buttonRect("r1", "a").center());
    QTest::mouseRelease(list, Qt::LeftButton, {}, list->buttonRect("r1", "b").center());
    EXPECT_EQ(clicks.size(), 0);

    struct Case {
        const char* name;
        std::function<void()> set;
        QStringList enabledRows;
    };
    const QList<Case> cases = {
        {"held", [&] { list->setHeld(true); }, {}},
        {"one busy row", [&] { list->setBusy("r3", true); }, {"r1", "r2", "r4"}},
        {"busy rows replaced", [&] { list->setBusyRows({"r1", "r4"}); }, {"r2", "r3"}},
        {"nothing", [] {}, {"r1", "r2", "r3", "r4"}},
    };
    for (const Case& c : cases) {
        list->setHeld(false);
        list->setBusyRows({});
        c.set();
        for (const QString& id : list->rows()) {
            const bool enabled = c.enabledRows.contains(id);
            EXPECT_EQ(list->isButtonEnabled(id, "a"), enabled) << c.name << " " << id.toStdString();
            paintedlist::clickButton(list, id, "a");
            EXPECT_EQ(clicks.size(), enabled ? 1 : 0) << c.name << " " << id.toStdString();
            clicks.clear();
        }
    }

    // A row shown while the list is held is held as well.
    list->setBusyRows({});
    list->setHeld(true);
    delegate.rows.insert("r5", Row{});
    list->setRows({"r5", "r1"});
    EXPECT_FALSE(list->isButtonEnabled("r5", "a"));
    paintedlist::clickButton(list, "r5", "a");
    EXPECT_EQ(clicks.size(), 0);
}

TEST_F(PaintedListTest, KeyboardWalksTheEnabledButtonsAndSpacePressesOne) {
    QSignalSpy clicks(list, &PaintedList::buttonClicked);
    before->setFocus();
    list->setBusy("r2", true);
    struct Step {
        int key;
        QString row, button;  // the focus after the key; empty row: the list lost it
    };
    const QList<Step> steps = {
        {Qt::Key_Tab, "r1", "a"},  {Qt::Key_Right, "r1", "b"}, {Qt::Key_Down, "r3", "b"},  // r2 is busy
        {Qt::Key_Left, "r3", "a"}, {Qt::Key_Up, "r1", "a"},     {Qt::Key_Tab, "r1", "b"},
        {Qt::Key_Tab, "r3", "a"},  {Qt::Key_Backtab, "r1", "b"},
    };
    for (const Step& s : steps) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(s.key));
        EXPECT_EQ(list->focusedRow(), s.row) << s.key;
        EXPECT_EQ(list->focusedButton(), s.button) << s.key;
        EXPECT_TRUE(list->hasFocus()) << s.key;
    }
    QTest::keyClick(list, Qt::Key_Space);
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(clicks.size(), 2);
    EXPECT_EQ(clicks.at(0), (Click{"r1", "b"}));
    // A held key repeats; it presses once.
    QTest::keyEvent(QTest::Press, list, Qt::Key_Space, Qt::NoModifier, -1);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QString(" "), true);
    QApplication::sendEvent(list, &repeat);
    EXPECT_EQ(clicks.size(), 3);
    // Past the last enabled button Tab leaves the list.
    for (int i = 0; i < 8 && list->hasFocus(); ++i) QTest::keyClick(list, Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus());
    EXPECT_TRUE(list->focusedButton().isEmpty());
    // Backtab into the list lands on its last button.
    QTest::keyClick(after, Qt::Key_Backtab);
    EXPECT_EQ(list->focusedRow(), "r4");
    EXPECT_EQ(list->focusedButton(), "b");
}

TEST_F(PaintedListTest, NoButtonTakesTheFocusByItself) {
    // The focused button's row goes: the list keeps the focus, no button has it.
    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->focusedRow(), "r2");
    list->setRows({"r1", "r3", "r4"});
    EXPECT_TRUE(list->hasFocus());
    EXPECT_TRUE(list->focusedButton().isEmpty());
    QSignalSpy clicks(list, &PaintedList::buttonClicked);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(clicks.size(), 0);

    // The focused button goes while its row stays (a lone button is left).
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Right);
    ASSERT_EQ(list->focusedButton(), "b");
    delegate.rows["r1"].twoButtons = false;
    list->updateRow("r1");
    EXPECT_TRUE(list->focusedButton().isEmpty());
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(clicks.size(), 0);

    // The focused widget before the list hides: the focus passes on to the
    // list with the Tab reason, and still no button takes it.
    before->setFocus();
    ASSERT_TRUE(before->hasFocus());
    before->hide();
    ASSERT_TRUE(list->hasFocus());
    EXPECT_TRUE(list->focusedButton().isEmpty());
    // A click leaves the keyboard focus where it was.
    after->setFocus();
    paintedlist::clickButton(list, "r3", "a");
    EXPECT_TRUE(after->hasFocus());
}

TEST_F(PaintedListTest, EveryButtonIsAnAccessibleChildWithItsNameStateAndPress) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(list);
    ASSERT_TRUE(iface);
    EXPECT_EQ(iface->role(), QAccessible::List);
    ASSERT_EQ(iface->childCount(), 8);
    QStringList names;
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        ASSERT_TRUE(child && child->isValid());
        EXPECT_EQ(child->role(), QAccessible::Button);
        EXPECT_EQ(iface->indexOfChild(child), i);
        names << child->text(QAccessible::Name);
    }
    EXPECT_EQ(names, QStringList({"Кнопка r1", "Вторая r1", "Кнопка r2", "Вторая r2", "Кнопка r3", "Вторая r3",
                                  "Кнопка r4", "Вторая r4"}));
    QAccessibleInterface* second = iface->child(3);
    const QRect rect = list->buttonRect("r2", "b");
    EXPECT_EQ(second->rect(), QRect(list->mapToGlobal(rect.topLeft()), rect.size()));
    EXPECT_EQ(iface->childAt(second->rect().center().x(), second->rect().center().y()), second);

    QSignalSpy clicks(list, &PaintedList::buttonClicked);
    second->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks.at(0), (Click{"r2", "b"}));
    list->setBusy("r2", true);
    EXPECT_TRUE(second->state().disabled);
    EXPECT_FALSE(iface->child(0)->state().disabled);
    second->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.size(), 1) << "a disabled button is not pressed through accessibility either";
    // The child names its button, not a position: once the row goes it is invalid.
    list->setRows({"r1"});
    EXPECT_FALSE(second->isValid());
    EXPECT_EQ(iface->childCount(), 2);
}

// A screen reader reading every button of a long list, and Tab walking it,
// cost the delegate a few calls a row, not a walk of every row per step; and
// the walk follows what changed since (a busy row, a row that lost a button).
TEST_F(PaintedListTest, WalkingAThousandRowsAsksTheDelegateAFewTimesARow) {
    constexpr int kRows = 1000;
    QStringList ids;
    for (int i = 0; i < kRows; ++i) {
        ids << QStringLiteral("n%1").arg(i);
        delegate.rows.insert(ids.last(), Row{});
    }
    list->setRows(ids);
    settle();
    delegate.buttonCalls = 0;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(list);
    ASSERT_EQ(iface->childCount(), 2 * kRows);
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        ASSERT_TRUE(child);
        EXPECT_EQ(iface->indexOfChild(child), i);
        EXPECT_FALSE(child->text(QAccessible::Name).isEmpty());
    }
    EXPECT_LT(delegate.buttonCalls, 8 * kRows);

    before->setFocus(Qt::TabFocusReason);
    delegate.buttonCalls = 0;
    QTest::keyClick(before, Qt::Key_Tab);
    for (int i = 1; i < 2 * kRows; ++i) QTest::keyClick(list, Qt::Key_Tab);
    EXPECT_EQ(list->focusedRow(), "n999");
    EXPECT_EQ(list->focusedButton(), "b");
    EXPECT_LT(delegate.buttonCalls, 8 * kRows);

    // Back up from n501: the busy n500 has no stop; n499 lost its "b".
    list->setBusy("n500", true);
    delegate.rows["n499"].twoButtons = false;
    list->updateRow("n499");
    for (int i = 0; i < 2 * (kRows - 501) - 1; ++i) QTest::keyClick(list, Qt::Key_Backtab);
    ASSERT_EQ(list->focusedRow(), "n501");
    ASSERT_EQ(list->focusedButton(), "a");
    QTest::keyClick(list, Qt::Key_Backtab);
    EXPECT_EQ(list->focusedRow(), "n499");
    EXPECT_EQ(list->focusedButton(), "a");
    EXPECT_EQ(iface->childCount(), 2 * kRows - 1);
}

TEST_F(PaintedListTest, AnUpdateByIdMeasuresAndPaintsThatRowOnly) {
    const qint64 measured = list->measureCount();
    delegate.painted.clear();
    delegate.rows["r2"].chars = 100;  // wraps over more lines: taller
    const int oldHeight = list->rowRect("r2").height();
    const int oldR3 = list->rowRect("r3").top();
    list->updateRow("r2");
    EXPECT_EQ(list->measureCount(), measured + 1);
    EXPECT_GT(list->rowRect("r2").height(), oldHeight);
    EXPECT_EQ(list->rowRect("r3").top() - oldR3, list->rowRect("r2").height() - oldHeight);
    settle();
    EXPECT_EQ(list->height(), list->heightForWidth(list->width())) << "the page gives the list its new height";

    // Same height: exactly that row is painted again.
    delegate.painted.clear();
    list->updateRow("r1");
    QCoreApplication::processEvents();
    EXPECT_EQ(delegate.painted.keys(), QStringList({"r1"}));

    // A new order keeps every measured row; a new record is measured once.
    const qint64 before = list->measureCount();
    delegate.rows.insert("r9", Row{});
    list->setRows({"r4", "r9", "r3", "r2", "r1"});
    EXPECT_EQ(list->measureCount(), before + 1);
    EXPECT_EQ(list->rowRect("r4").top(), 0);
    EXPECT_EQ(list->rowRect("r9").top(), list->rowRect("r4").height() + 10);
}

TEST_F(PaintedListTest, HeightsFollowTheWidthAndAreMeasuredOncePerWidth) {
    delegate.rows["r1"].chars = 45;  // 450 px of text
    list->updateAllRows();
    struct Case {
        int width;
        int r1Lines;
    };
    for (const Case c : {Case{300, 2}, Case{150, 3}, Case{460, 1}}) {
        window.resize(c.width, 800);
        settle();
        ASSERT_EQ(list->width(), c.width);
        const qint64 measured = list->measureCount();
        EXPECT_EQ(list->rowRect("r1").height(), c.r1Lines * 20 + 40) << c.width;
        int sum = 0;
        for (const QString& id : list->rows()) sum += list->rowRect(id).height();
        EXPECT_EQ(list->heightForWidth(c.width), sum + 3 * 10) << c.width;
        EXPECT_EQ(list->height(), sum + 3 * 10) << c.width;
        paintedlist::paint(list);
        EXPECT_EQ(list->measureCount(), measured) << "painting and hit-testing measure nothing again";
        EXPECT_EQ(list->buttonRect("r1", "b").right(), c.width - 1) << c.width;
    }
}

TEST_F(PaintedListTest, TheSecondClickOfOneGestureNeverReachesAnotherButton) {
    QSignalSpy clicks(list, &PaintedList::buttonClicked);
    // A double-click presses once: its second press is a double-click event.
    ASSERT_TRUE(paintedlist::doubleClickButton(list, "r1", "a"));
    EXPECT_EQ(clicks.size(), 1);
    clicks.clear();

    // The first click changes the row: its lone "a" now lies under the pointer
    // where "b" was. A press there within the double-click interval is dropped,
    // even as a plain press; after the interval the row takes presses again.
    QObject::connect(list, &PaintedList::buttonClicked, list, [&](const QString& id, const QString& key) {
        if (key != "b") return;
        delegate.rows[id].twoButtons = false;
        list->updateRow(id);
    });
    const QPoint onB = list->buttonRect("r2", "b").center();
    ASSERT_TRUE(paintedlist::clickButton(list, "r2", "b"));
    ASSERT_EQ(clicks.size(), 1);
    paintedlist::paint(list);
    ASSERT_TRUE(list->buttonRect("r2", "a").contains(onB));
    EXPECT_FALSE(list->acceptsPresses("r2"));
    QTest::mouseClick(list, Qt::LeftButton, {}, onB);
    EXPECT_EQ(clicks.size(), 1) << "the second click reached the button that moved under it";
    EXPECT_TRUE(list->acceptsPresses("r3")) << "only the row that changed waits";
    QTest::qWait(QApplication::doubleClickInterval() + 20);
    QTest::mouseClick(list, Qt::LeftButton, {}, onB);
    ASSERT_EQ(clicks.size(), 2);
    EXPECT_EQ(clicks.at(1), (Click{"r2", "a"}));

    // A row that moved up under the pointer (the row above went) waits too,
    // even before it was painted in its new place.
    QTest::qWait(QApplication::doubleClickInterval() + 20);
    const QPoint where = list->buttonRect("r2", "a").topLeft() + QPoint(20, 10);
    list->setRows({"r1", "r3", "r4"});
    ASSERT_TRUE(list->buttonRect("r3", "a").contains(where));
    QTest::mouseClick(list, Qt::LeftButton, {}, where);
    EXPECT_EQ(clicks.size(), 2);
    EXPECT_FALSE(list->acceptsPresses("r3"));
}

using paintedlist::drag;

TEST_F(PaintedListTest, SwipesOpenOneRowAtATimeRunActionsAndAreNeverTaps) {
    list->setSwipeActions({{"pin", "Закрепить", "star", ColorRole::Orange}},
                          {{"delete", "Удалить", "trash"}, {"copy", "Копия", "plus.square.on.square", ColorRole::Blue}});
    QSignalSpy clicks(list, &PaintedList::buttonClicked);
    QSignalSpy rowClicks(list, &PaintedList::rowClicked);
    QSignalSpy actions(list, &PaintedList::swipeActionTriggered);
    const int kAction = SwipeGesture::kActionWidth;

    // A plain click still presses the button.
    ASSERT_TRUE(paintedlist::clickButton(list, "r4", "a"));
    ASSERT_EQ(clicks.size(), 1);
    clicks.clear();

    // A sideways drag from a button opens the row on its actions, pressing nothing.
    drag(list, list->buttonRect("r2", "a").center(), QPoint(-120, 3));
    EXPECT_EQ(list->openRow(), "r2");
    EXPECT_EQ(list->swipeOffset("r2"), -2 * kAction);
    // Another row opening closes the first.
    drag(list, list->rowRect("r3").center() - QPoint(60, 0), QPoint(70, 0));
    EXPECT_EQ(list->openRow(), "r3");
    EXPECT_EQ(list->swipeOffset("r2"), 0);
    EXPECT_EQ(list->swipeOffset("r3"), kAction);
    EXPECT_TRUE(clicks.isEmpty() && rowClicks.isEmpty() && actions.isEmpty());

    // While a row is open a click on a button only closes the row.
    QTest::mouseClick(list, Qt::LeftButton, {}, list->buttonRect("r1", "a").center());
    EXPECT_TRUE(list->openRow().isEmpty());
    EXPECT_TRUE(clicks.isEmpty());

    // A tap on an open row's action runs it; the first action of a side sits at its outer edge.
    struct Case {
        int dx;
        int fromEdge;  // where the tap lands, from the side's outer edge
        const char* action;
    } cases[] = {{-120, 10, "delete"}, {-120, kAction + 10, "copy"}, {70, 10, "pin"}};
    for (const Case& c : cases) {
        actions.clear();
        drag(list, list->rowRect("r1").center(), QPoint(c.dx, 0));
        ASSERT_EQ(list->openRow(), "r1") << c.action;
        const QRect row = list->rowRect("r1");
        const int x = c.dx < 0 ? row.right() - c.fromEdge : row.left() + c.fromEdge;
        QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(x, row.center().y()));
        ASSERT_EQ(actions.size(), 1) << c.action;
        EXPECT_EQ(actions.at(0), (Click{"r1", c.action}));
        EXPECT_TRUE(list->openRow().isEmpty());
    }

    // A full swipe runs the side's first action at once, from either side.
    for (const Case& c : {Case{-250, 0, "delete"}, Case{250, 0, "pin"}}) {
        actions.clear();
        const QRect row = list->rowRect("r2");
        drag(list, QPoint(c.dx < 0 ? row.right() - 10 : row.left() + 10, row.center().y()), QPoint(c.dx, 0));
        ASSERT_EQ(actions.size(), 1) << c.action;
        EXPECT_EQ(actions.at(0), (Click{"r2", c.action}));
        EXPECT_EQ(list->swipeOffset("r2"), 0);
    }
    EXPECT_TRUE(clicks.isEmpty());
    EXPECT_TRUE(rowClicks.isEmpty());

    // An open row that goes leaves no row open.
    drag(list, list->rowRect("r3").center(), QPoint(-120, 0));
    ASSERT_EQ(list->openRow(), "r3");
    list->setRows({"r1", "r2", "r4"});
    EXPECT_TRUE(list->openRow().isEmpty());
}

// The swipe actions without a swipe: every row gets a keyboard stop of its
// own, and Space there or the Menu key anywhere in the row shows the actions
// as a menu; only an action picked in it runs, for the row it was opened on.
TEST_F(PaintedListTest, SwipeActionsHaveAKeyboardWayThatRunsOnlyAPickedAction) {
    list->setSwipeActions({{"pin", "Закрепить", "star", ColorRole::Orange}},
                          {{"delete", "Удалить", "trash"}, {"copy", "Копия", "plus.square.on.square", ColorRole::Blue}});
    QSignalSpy clicks(list, &PaintedList::buttonClicked);
    QSignalSpy actions(list, &PaintedList::swipeActionTriggered);
    before->setFocus();
    const QString row = PaintedList::kRowKey;
    const struct {
        int key;
        QString row, stop;
    } steps[] = {{Qt::Key_Tab, "r1", row}, {Qt::Key_Right, "r1", "a"}, {Qt::Key_Left, "r1", row},
                 {Qt::Key_Down, "r2", row}, {Qt::Key_Right, "r2", "a"}, {Qt::Key_Down, "r3", "a"}};
    for (const auto& s : steps) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(s.key));
        EXPECT_EQ(list->focusedRow(), s.row) << s.key;
        EXPECT_EQ(list->focusedButton(), s.stop) << s.key;
    }
    const auto menu = [this]() { return list->findChild<QMenu*>("rowActionsMenu"); };

    // The Menu key on a button of r3 shows r3's actions; a second key at once
    // (Return, as a double press would) runs nothing.
    QTest::keyClick(list, Qt::Key_Menu);
    ASSERT_TRUE(menu() && menu()->isVisible());
    QStringList titles;
    for (QAction* a : menu()->actions()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{"Закрепить", "Удалить", "Копия"}));
    QTest::keyClick(menu(), Qt::Key_Return);
    EXPECT_TRUE(actions.isEmpty());
    if (menu()) menu()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Picked with the arrows, the action runs once for that row; the row kept its stop meanwhile.
    ASSERT_EQ(list->focusedRow(), "r3");
    QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(menu() && menu()->isVisible());
    QTest::keyClick(menu(), Qt::Key_Down);
    QTest::keyClick(menu(), Qt::Key_Down);
    QTest::keyClick(menu(), Qt::Key_Return);
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions.takeFirst(), (Click{"r3", "delete"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Space on a row's own stop shows the menu too; its row goes meanwhile: nothing runs.
    list->setRows({"r1", "r2", "r3", "r4"});
    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Right);
    ASSERT_EQ(list->focusedButton(), "a");
    QTest::keyClick(list, Qt::Key_Left);
    ASSERT_EQ(list->focusedButton(), row);
    QTest::keyClick(list, Qt::Key_Space);
    ASSERT_TRUE(menu() && menu()->isVisible());
    list->setRows({"r1", "r3", "r4"});
    menu()->findChild<QAction*>("rowAction_copy")->trigger();
    EXPECT_TRUE(actions.isEmpty());
    EXPECT_TRUE(clicks.isEmpty());
    if (menu()) menu()->close();

    // A screen reader finds each row ahead of its buttons, with the actions to run.
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(list);
    ASSERT_EQ(iface->childCount(), 3 * 3);
    QAccessibleInterface* first = iface->child(0);
    EXPECT_EQ(first->role(), QAccessible::ListItem);
    EXPECT_EQ(iface->child(1)->text(QAccessible::Name), "Кнопка r1");
    QAccessibleActionInterface* rowActions = first->actionInterface();
    ASSERT_NE(rowActions, nullptr);
    EXPECT_TRUE(rowActions->actionNames().contains("Удалить"));
    rowActions->doAction("Копия");
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions.takeFirst(), (Click{"r1", "copy"}));
}

TEST_F(PaintedListTest, AVerticalDragScrollsThePageAndPressesNothing) {
    QWidget frame;
    frame.resize(300, 200);
    auto* area = new QScrollArea(&frame);
    area->setWidgetResizable(true);
    area->resize(300, 200);
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    TextDelegate many;
    QStringList ids;
    for (int i = 0; i < 20; ++i) {
        ids << QString::number(i);
        many.rows.insert(ids.last(), Row{});
    }
    auto* scrolled = new PaintedList(many);
    scrolled->setSwipeActions({}, {{"delete", "Удалить", "trash"}});
    scrolled->setRows(ids);
    column->addWidget(scrolled);
    area->setWidget(page);
    frame.show();
    settle();
    paintedlist::paint(scrolled);
    QSignalSpy clicks(scrolled, &PaintedList::buttonClicked);
    QSignalSpy actions(scrolled, &PaintedList::swipeActionTriggered);
    ASSERT_EQ(area->verticalScrollBar()->value(), 0);
    drag(scrolled, scrolled->buttonRect("1", "a").center(), QPoint(4, -100));
    EXPECT_EQ(area->verticalScrollBar()->value(), 100);
    EXPECT_TRUE(scrolled->openRow().isEmpty());
    EXPECT_TRUE(clicks.isEmpty());
    EXPECT_TRUE(actions.isEmpty());
}

TEST_F(PaintedListTest, BusyRowsGrowByTheirSpinnerAndPaintOnlyTheExposedRows) {
    const int before = list->rowRect("r2").height();
    list->setBusy("r2", true);
    EXPECT_EQ(list->rowRect("r2").height(), before + 20);
    list->setBusy("r2", false);
    EXPECT_EQ(list->rowRect("r2").height(), before);

    // In a scrolling page only the rows in view are painted.
    QStringList ids;
    for (int i = 0; i < 1000; ++i) {
        ids << QString::number(i);
        delegate.rows.insert(ids.last(), Row{});
    }
    QScrollArea area;
    area.resize(300, 400);
    area.setWidgetResizable(true);
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    auto* big = new PaintedList(delegate);
    column->addWidget(big);
    area.setWidget(page);
    big->setRows(ids);
    area.show();
    settle();
    delegate.painted.clear();
    big->repaint();
    EXPECT_EQ(big->height(), 1000 * 60);
    EXPECT_GT(delegate.painted.size(), 0);
    EXPECT_LT(delegate.painted.size(), 10);
    // Tab into the list scrolls its focused button into view.
    big->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 40; ++i) QTest::keyClick(big, Qt::Key_Down);
    const QRect focused = big->buttonRect(big->focusedRow(), big->focusedButton());
    const QPoint inViewport = big->mapTo(area.viewport(), focused.center());
    EXPECT_TRUE(area.viewport()->rect().contains(inViewport));
}

TEST_F(PaintedListTest, MeasuredAheadMeasuresTheRowsInViewAndAScreenBelowAndTheRestAsTheyComeNear) {
    // Rows of one to four lines, as records of a long tool list.
    QStringList ids;
    for (int i = 0; i < 1000; ++i) {
        ids << "m" + QString::number(i);
        delegate.rows.insert(ids.last(), Row{10 + (i % 4) * 30, i % 3 != 0});
    }
    QScrollArea area;
    area.resize(300, 400);
    area.setWidgetResizable(true);
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    auto* lazy = new PaintedList(delegate);
    lazy->setSpacing(10);
    lazy->setMeasuredAhead(70);
    column->addWidget(lazy);
    area.setWidget(page);
    lazy->setRows(ids);
    area.show();
    settle();
    paintedlist::paint(lazy);
    // The same rows, every one measured, at the same width.
    PaintedList every(delegate);
    every.setSpacing(10);
    every.resize(lazy->width(), 100);
    every.setRows(ids);
    const auto sameAsEvery = [&](const QString& id) { return lazy->rowRect(id) == every.rowRect(id); };

    const int viewBottom = area.viewport()->height();
    EXPECT_GT(lazy->measuredRows(), 0);
    EXPECT_LT(lazy->measuredRows(), 40) << "a screen in view and one below, not a thousand rows";
    EXPECT_LT(lazy->measureCount(), 120);
    for (int i = 0; i < lazy->measuredRows() && every.rowRect(ids[i]).top() < viewBottom; ++i)
        EXPECT_TRUE(sameAsEvery(ids[i])) << i;
    EXPECT_EQ(lazy->height(), lazy->heightForWidth(lazy->width())) << "the page follows the estimate";

    // A row far below changes: nothing is measured until it comes near.
    const qint64 measured = lazy->measureCount();
    delegate.rows["m900"].chars = 200;
    every.updateRow("m900");
    lazy->updateRow("m900");
    EXPECT_EQ(lazy->measureCount(), measured);

    // Scrolled halfway: the rows coming into view are measured before they
    // are painted, and the rows above keep their places.
    const QRect first = lazy->rowRect("m0");
    area.verticalScrollBar()->setValue(area.verticalScrollBar()->maximum() / 2);
    settle();
    paintedlist::paint(lazy);
    EXPECT_EQ(lazy->rowRect("m0"), first);
    const int middle = lazy->mapFrom(area.viewport(), QPoint(5, viewBottom - 1)).y();
    int inView = 0;
    while (inView < 999 && every.rowRect(ids[inView + 1]).top() <= middle) ++inView;
    EXPECT_GT(lazy->measuredRows(), inView) << "measured by painting, not by this test's asking";
    EXPECT_TRUE(sameAsEvery(ids[inView]));
    EXPECT_LT(lazy->measuredRows(), 1000);

    // Hit-testing a row measures the rows down to it: the last button is
    // where a fully measured list has it, and the list is as tall.
    EXPECT_EQ(lazy->buttonRect("m999", "a"), every.buttonRect("m999", "a"));
    EXPECT_EQ(lazy->buttonRect("m900", "a"), every.buttonRect("m900", "a"));
    EXPECT_EQ(lazy->measuredRows(), 1000);
    settle();
    EXPECT_EQ(lazy->height(), every.heightForWidth(every.width()));
}

// Rows not measured yet count at the mean of those measured: when the rows
// further down turn out taller, the page grows only once they are measured.
// However the user goes to the end (the wheel, the scroll bar's handle
// dragged down, End), the page ends with the last row shown whole.
TEST_F(PaintedListTest, MeasuredAheadTheLastRowIsReachedWholeByWheelDragOrEnd) {
    QStringList ids;
    for (int i = 0; i < 60; ++i) {
        ids << "e" + QString::number(i);
        delegate.rows.insert(ids.last(), Row{i < 30 ? 10 : 100, true});  // one line, then four
    }
    enum class Way { wheel, drag, end };
    for (const Way way : {Way::wheel, Way::drag, Way::end}) {
        SCOPED_TRACE(int(way));
        PageBody page;
        page.resize(300, 400);
        auto* lazy = new PaintedList(delegate);
        lazy->setSpacing(10);
        lazy->setMeasuredAhead(70);
        page.addWidget(lazy);
        lazy->setRows(ids);
        page.show();
        settle();
        paintedlist::paint(lazy);
        ASSERT_LT(lazy->measuredRows(), 30) << "the tall rows are still estimated";
        QScrollBar* bar = page.verticalScrollBar();
        ASSERT_TRUE(bar->isVisible());
        switch (way) {
            case Way::wheel:
                for (int i = 0; i < 200; ++i) {
                    QWheelEvent wheel(QPointF(100, 200), page.viewport()->mapToGlobal(QPointF(100, 200)), {},
                                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
                    QApplication::sendEvent(page.viewport(), &wheel);
                    settle();
                }
                break;
            case Way::drag: {
                QStyleOptionSlider option;
                option.initFrom(bar);
                option.orientation = Qt::Vertical;
                option.minimum = bar->minimum();
                option.maximum = bar->maximum();
                option.sliderPosition = option.sliderValue = bar->value();
                option.singleStep = bar->singleStep();
                option.pageStep = bar->pageStep();
                option.subControls = QStyle::SC_All;
                const QRect handle = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                                  QStyle::SC_ScrollBarSlider, bar);
                ASSERT_FALSE(handle.isEmpty());
                QTest::mousePress(bar, Qt::LeftButton, {}, handle.center());
                for (int y = handle.center().y(); y < bar->height() + 40; y += 20) {
                    QTest::mouseMove(bar, QPoint(handle.center().x(), y));
                    settle();
                }
                QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(handle.center().x(), bar->height() + 40));
                break;
            }
            case Way::end:
                QTest::keyClick(bar, Qt::Key_End);
                break;
        }
        settle();
        paintedlist::paint(lazy);
        settle();
        EXPECT_EQ(lazy->measuredRows(), int(ids.size())) << "the end was painted";
        EXPECT_EQ(bar->value(), bar->maximum());
        const QRect last = lazy->rowRect(ids.last());
        const int lastBottom = lazy->mapTo(page.viewport(), last.bottomLeft()).y();
        EXPECT_GE(lastBottom, 0);
        EXPECT_LT(lastBottom, page.viewport()->height()) << "the last row shows whole";
        // Scrolled back up, the page stays where the user put it.
        bar->setValue(bar->maximum() / 2);
        settle();
        EXPECT_EQ(bar->value(), bar->maximum() / 2);
    }
}

}  // namespace

TEST_F(PaintedListTest, OutsideAScrollAreaAWindowKeepsItsSizeAndPaintsOnlyTheRowsInIt) {
    // A window whose layout holds a thousand rows directly: its minimum is
    // not every row's height, so it stays as sized and paints what it shows.
    QStringList ids;
    for (int i = 0; i < 1000; ++i) {
        ids << QString::number(i);
        delegate.rows.insert(ids.last(), Row{});
    }
    QWidget phone;
    auto* column = new QVBoxLayout(&phone);
    column->setContentsMargins(0, 0, 0, 0);
    auto* big = new PaintedList(delegate);
    column->addWidget(big);
    big->setRows(ids);
    phone.resize(390, 844);
    phone.show();
    settle();
    delegate.painted.clear();
    phone.repaint();
    EXPECT_EQ(phone.size(), QSize(390, 844));
    EXPECT_LT(phone.minimumHeight(), 844);
    EXPECT_GT(delegate.painted.size(), 0);
    EXPECT_LT(delegate.painted.size(), 20);
    // The rows are still laid out at the list's width, and the first ones clickable.
    EXPECT_EQ(big->rowRect("0").width(), 390);
    QSignalSpy clicks(big, &PaintedList::buttonClicked);
    ASSERT_TRUE(paintedlist::clickButton(big, "1", "a"));
    EXPECT_EQ(clicks.size(), 1);
}
