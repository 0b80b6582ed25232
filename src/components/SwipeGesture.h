#pragma once

#include <QPoint>
#include <QString>
#include <optional>

// The row gestures of the swipeable lists (the operations, the wishes), apart
// from how a list draws and finds its rows. Rows are named by keys; the
// list feeds in presses, moves and releases and acts on the outcome.
// - A press becomes a drag after kDragThreshold of movement. A drag that is
//   mostly sideways and started on a row moves that row (a swipe); any other
//   drag scrolls.
// - Released past the middle of its buttons a swiped row stays open; dragged
//   beyond half the row (and past its buttons) it runs the first action of
//   that side (a full swipe).
// - A press released without moving is a tap; while a row is open a tap only
//   acts on that row's buttons or closes it.
// - One row is open at a time, and a drag is never also a tap.
class SwipeGesture {
public:
    static constexpr int kActionWidth = 86;
    static constexpr int kDragThreshold = 8;  // movement before a press becomes a drag

    SwipeGesture(int leadingActions, int trailingActions);

    enum class Phase { idle, pending, swipe, scroll };
    Phase phase() const { return phase_; }
    const QString& pressedKey() const { return pressKey_; }
    const QString& openKey() const { return openKey_; }
    // The offset a row is drawn at: positive while its leading actions show,
    // negative while its trailing ones do.
    int offsetOf(const QString& key) const;
    bool isFullSwipe(int offset, int cardWidth) const;

    // `key` is the row under the press (empty: none).
    void press(const QPoint& pos, const QString& key);
    // The phase after a move; a row that closed on the way is put in `closed`.
    // While scrolling, scrollBy() is how far the content follows the finger.
    Phase move(const QPoint& pos, int cardWidth, QString* closed = nullptr);
    int scrollDelta(const QPoint& pos) const { return pos.y() - pressPos_.y(); }

    struct Release {
        enum class Kind { none, tap, tapWhileOpen, fullSwipe, settled } kind = Kind::none;
        QString key;   // the row tapped, swiped or settled
        int side = 0;  // full swipe: 1 leading, -1 trailing
    };
    // `keyAtPos` is the row under the release point.
    Release release(const QString& keyAtPos, int cardWidth);

    // Which of the open row's buttons lies `distance` from the outer edge of
    // its side (the first action sits at the edge); none outside them.
    std::optional<int> buttonAt(int distance) const;
    int openSide() const { return openOffset_ > 0 ? 1 : (openOffset_ < 0 ? -1 : 0); }

    void closeOpenRow();
    void reset();

private:
    int count(int side) const { return side > 0 ? leading_ : trailing_; }

    int leading_;
    int trailing_;
    Phase phase_ = Phase::idle;
    QPoint pressPos_;
    QString pressKey_;
    QString openKey_;
    int openOffset_ = 0;
    int startOffset_ = 0;
    int liveOffset_ = 0;
};
