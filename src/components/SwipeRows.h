#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <functional>
#include <optional>

#include "components/PaintedList.h"
#include "components/SwipeGesture.h"

class QMenu;
class QPainter;
class QScrollBar;
class QWidget;

// The swipe actions of a list's rows: one controller for every list that has
// them (PaintedList, the operations list), so that they follow one set of
// rules and look alike. It follows the gesture (SwipeGesture) and keeps the
// rules around it:
// - the second press of a double-click neither taps a row nor runs an
//   action (it may still start a drag);
// - a drag is never a tap; while a row is open a press only runs one of its
//   actions or closes it; a full swipe runs the first action of its side;
// - a drag that is mostly vertical scrolls what the list gives it.
// It paints the actions under a row pushed aside, the tint of a row that has
// the keyboard, and offers the same actions as a menu, where an action runs
// only once it is picked.
class SwipeRows {
public:
    // What the list tells the controller about its rows, in the list's coordinates.
    struct Host {
        std::function<QString(const QPoint&)> rowAt;   // the row whose swiping part holds a point; empty: none
        std::function<QRect(const QString&)> rowRect;   // a row's swiping part; empty when it is not shown
        std::function<void(const QString&)> repaintRow;
        std::function<QScrollBar*()> scrollBar;         // what a vertical drag scrolls; null: nothing
    };
    SwipeRows(QList<SwipeAction> leading, QList<SwipeAction> trailing, Host host);

    const QList<SwipeAction>& leading() const { return leading_; }
    const QList<SwipeAction>& trailing() const { return trailing_; }
    QList<SwipeAction> actions() const { return leading_ + trailing_; }
    bool hasAction(const QString& key) const;

    // How far a row is pushed aside now: positive while its leading actions
    // show, negative while its trailing ones do.
    int offsetOf(const QString& id) const { return gesture_.offsetOf(id); }
    QString openRow() const { return gesture_.openKey(); }
    // The row a press or a drag follows now; empty when none.
    QString pressedRow() const;
    bool isFollowing() const { return gesture_.phase() != SwipeGesture::Phase::idle; }
    void closeOpenRow();
    // Forgets the open and the pressed row when `shown` no longer holds them.
    void dropGone(const std::function<bool(const QString&)>& shown);
    void reset() { gesture_.reset(); }

    // The mouse, as the list receives it (`doubleClick`: the second press of one).
    void press(const QPoint& pos, const QPoint& globalPos, bool doubleClick);
    enum class Move { none, pending, dragging };
    // `none`: no press is followed; `pending`: not yet a drag; `dragging`:
    // a swipe or a scroll, and the press is no longer a tap.
    Move move(const QPoint& globalPos);
    struct Outcome {
        // none: no press was followed; handled: the gesture took the release
        // (a drag, a double-click, an open row closed); tap: a click on a row
        // with no row open; action: run `key` on the row `id`.
        enum class Kind { none, handled, tap, action } kind = Kind::none;
        QString id;
        QString key;
    };
    Outcome release(const QPoint& pos);

    // The actions a row pushed aside by `offset` uncovers, painted in `rowRect`
    // (the row's place at rest).
    void paintActions(QPainter* painter, const QRect& rowRect, int offset) const;
    // The row that has the keyboard: a tint over the whole row.
    static void paintKeyboardRow(QPainter* painter, const QRect& rowRect);
    // The actions as a menu for the row `id` at `globalPos`; `run` gets the one picked.
    QMenu* showMenu(QWidget* parent, const QString& id, const QPoint& globalPos,
                    std::function<void(const QString& id, const QString& key)> run) const;

private:
    int widthOf(const QString& id) const;
    std::optional<SwipeAction> openActionAt(const QPoint& pos) const;

    QList<SwipeAction> leading_;
    QList<SwipeAction> trailing_;
    Host host_;
    SwipeGesture gesture_;
    bool fromDoubleClick_ = false;
    int scrollStart_ = 0;
};
