// The swipe controller every list with swipe actions shares, on its own: what
// a press, moves and a release come to, given where the rows are.

#include <QScrollBar>
#include <gtest/gtest.h>

#include "components/SwipeRows.h"

namespace {

constexpr int kRowHeight = 50;
constexpr int kWidth = 300;
const QStringList kRows = {"a", "b", "c"};

class SwipeRowsTest : public ::testing::Test {
protected:
    SwipeRowsTest() {
        bar.setRange(0, 1000);
        SwipeRows::Host host;
        host.rowAt = [](const QPoint& p) {
            const int row = p.y() / kRowHeight;
            return p.y() >= 0 && row < kRows.size() ? kRows.at(row) : QString();
        };
        host.rowRect = [](const QString& id) {
            const int row = int(kRows.indexOf(id));
            return row < 0 ? QRect() : QRect(0, row * kRowHeight, kWidth, kRowHeight);
        };
        host.repaintRow = [this](const QString& id) { repainted << id; };
        host.scrollBar = [this] { return &bar; };
        rows = std::make_unique<SwipeRows>(
            QList<SwipeAction>{{"favorite", "Избранное", "star", ColorRole::Yellow},
                               {"copy", "Копия", "plus.square.on.square", ColorRole::Teal}},
            QList<SwipeAction>{{"remove", "Удалить", "trash", ColorRole::Red}}, std::move(host));
    }
    // A press at `from`, moves in steps to `to`, and the release there.
    SwipeRows::Outcome gesture(QPoint from, QPoint to, bool doubleClick = false) {
        rows->press(from, from, doubleClick);
        for (int i = 1; i <= 6; ++i) rows->move(from + (to - from) * i / 6);
        return rows->release(to);
    }
    static QPoint in(const char* row, int x = kWidth / 2) {
        return {x, int(kRows.indexOf(QString::fromLatin1(row))) * kRowHeight + kRowHeight / 2};
    }

    QScrollBar bar{Qt::Vertical};
    QStringList repainted;
    std::unique_ptr<SwipeRows> rows;
};

using Kind = SwipeRows::Outcome::Kind;

}  // namespace

TEST_F(SwipeRowsTest, WhatAGestureComesTo) {
    struct Case {
        const char* name;
        QPoint from;
        QPoint to;
        bool doubleClick;
        Kind kind;
        const char* id;
        const char* key;
    };
    const Case cases[] = {
        {"a click", in("b"), in("b"), false, Kind::tap, "b", ""},
        {"the second press of a double-click", in("b"), in("b"), true, Kind::handled, "b", ""},
        {"a click below the rows", QPoint(100, 200), QPoint(100, 200), false, Kind::none, "", ""},
        {"a full swipe right", in("a", 20), in("a", 290), false, Kind::action, "a", "favorite"},
        {"a full swipe left", in("c", 290), in("c", 20), false, Kind::action, "c", "remove"},
        {"a full swipe from a double-click", in("c", 290), in("c", 20), true, Kind::action, "c", "remove"},
        {"a drag mostly downwards", in("a"), in("c") + QPoint(10, 0), false, Kind::none, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rows->reset();
        const SwipeRows::Outcome out = gesture(c.from, c.to, c.doubleClick);
        EXPECT_EQ(out.kind, c.kind);
        EXPECT_EQ(out.id, QString::fromLatin1(c.id));
        EXPECT_EQ(out.key, QString::fromLatin1(c.key));
        EXPECT_TRUE(rows->openRow().isEmpty());
    }
}

TEST_F(SwipeRowsTest, AnOpenRowRunsTheActionUnderAClickOnceAndADoubleClicksSecondPressNothing) {
    // Past the middle of its two leading actions the row stays open.
    EXPECT_EQ(gesture(in("b", 20), in("b", 140)).kind, Kind::handled);
    ASSERT_EQ(rows->openRow(), "b");
    EXPECT_EQ(rows->offsetOf("b"), 2 * SwipeGesture::kActionWidth);
    // "Копия" is the inner action; the click closes the row as it runs it.
    const QPoint copy = in("b", SwipeGesture::kActionWidth + 20);
    SwipeRows::Outcome out = gesture(copy, copy);
    EXPECT_EQ(out.kind, Kind::action);
    EXPECT_EQ(out.key, "copy");
    EXPECT_TRUE(rows->openRow().isEmpty());

    gesture(in("b", 20), in("b", 140));
    ASSERT_EQ(rows->openRow(), "b");
    out = gesture(copy, copy, true);
    EXPECT_EQ(out.kind, Kind::handled) << "the second press of a double-click ran " << out.key.toStdString();
    EXPECT_TRUE(rows->openRow().isEmpty());
    // While a row is open, a click elsewhere only closes it.
    gesture(in("b", 20), in("b", 140));
    out = gesture(in("c"), in("c"));
    EXPECT_EQ(out.kind, Kind::handled);
    EXPECT_TRUE(rows->openRow().isEmpty());
}

TEST_F(SwipeRowsTest, AVerticalDragScrollsWhatTheListGivesAndIsNeverATap) {
    bar.setValue(500);
    rows->press(in("c"), in("c"), false);
    EXPECT_EQ(rows->move(in("c") + QPoint(0, 3)), SwipeRows::Move::pending);
    EXPECT_EQ(rows->move(in("c") - QPoint(0, 80)), SwipeRows::Move::dragging);
    EXPECT_EQ(bar.value(), 580);
    EXPECT_EQ(rows->release(in("c") - QPoint(0, 80)).kind, Kind::none);
    EXPECT_EQ(rows->move(in("a")), SwipeRows::Move::none);
}
