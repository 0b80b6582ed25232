#pragma once

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QRect>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "components/Button.h"

class QAbstractScrollArea;
class QPainter;
class SwipeRows;

// A list of records painted by a delegate instead of one widget tree per
// record: it stays as cheap at a thousand records as at ten. Records are named
// by ids (text, unique in the list); the list keeps their order, their heights
// and the state of the buttons inside the rows, and asks the delegate for the
// rest.
//
// It is one widget whose height is the sum of its rows (height for width), so
// it stands in a page's column inside a QScrollArea like any card, and only the
// rows inside the exposed rectangle are painted. Standalone, put it in a
// QScrollArea with widgetResizable set.
//
// Writing a delegate (see TaskBoard.cpp for a complete one):
//
//   class WishDelegate : public PaintedRowDelegate {
//   public:
//       // Called once per content, width and busy state; the list caches it.
//       int rowHeight(const QString& id, int width, bool busy) const override;
//       // The row's buttons, in keyboard order, in the row's coordinates
//       // (0, 0 is the row's top left). Keys name a button within its row.
//       QList<PaintedButton> buttons(const QString& id, int width, bool busy) const override {
//           return {{"contribute", QRect(16, 60, width - 32, 34), "Пополнить"}};
//       }
//       void paintRow(QPainter* p, const QString& id, const QRect& rect,
//                     const PaintedRowState& state) const override {
//           ... texts (TextFit), then every button of buttons() with
//           PaintedList::paintButton(p, rect, button, face, state);
//           if (state.busy) PaintedList::paintSpinner(p, centre, state);
//       }
//   };
//
//   auto* list = new PaintedList(delegate_);   // the delegate outlives the list
//   list->setRows(ids);                         // a new order: about a model reset
//   list->updateRow(id);                        // one record changed: one row
//   connect(list, &PaintedList::buttonClicked, this, [](const QString& id, const QString& key) {...});
//
// The delegate reads the screen's own records; the list never copies them.
// After a record changes, call updateRow(id) (or updateAllRows() when every
// row's look changed: currency, theme) so that its height is measured again.
//
// Rules every list keeps (money is never moved by accident):
// - A double-click never presses a button: its second press is dropped.
// - After a row's buttons change (they come, go, move, or become enabled),
//   the row ignores presses for QApplication::doubleClickInterval(), so the
//   second click of one gesture never reaches a button that has just appeared
//   under the pointer.
// - setHeld(true) disables every row's buttons, and setBusy(id) one row's
//   (and shows the delegate's spinner there). Both are read whenever a row is
//   painted or pressed, so a row shown later (a filter reveals it) follows the
//   rule at once.
// - Buttons get the keyboard focus only from Tab, Backtab and the arrows.
//   When the focused button goes (its row goes, or the button does), no other
//   button takes the focus: the list keeps it with no button focused. A focus
//   that lands on the list by itself (the focused widget was hidden) focuses no
//   button.
//
// Keyboard: Tab and Backtab walk the enabled buttons of all rows and then
// leave the list; Up and Down go to the neighbouring rows, Left and Right
// along a row; Space, Enter and Return press the focused button.
// With swipe actions every row also has a stop of its own (kRowKey, ahead of
// its buttons, shown as a tint under the whole row): Space, Enter or Return there,
// or the Menu key or Shift+F10 anywhere in the row, shows the row's actions
// as a menu (as a right-click does), where an action runs only once it is
// picked: no key runs one by itself.
//
// Accessibility: every button of every row is a child of the list's
// accessible interface (role Button, its name, its record as description,
// its state, a press action). A row the delegate names, or any row of a
// list with swipe actions, is a child too (role ListItem, ahead of its
// buttons), offering the row's swipe actions and the menu as actions. A
// delegate of records names every row (accessibleName).
//
// Swipes (optional, setSwipeActions): a row dragged sideways slides over its
// actions, as the operations list's rows do (both through SwipeRows): released past the
// middle of its actions it stays open, dragged beyond half the row it runs the
// first action of that side (a full swipe). A drag that is mostly vertical
// scrolls the enclosing scroll area; a drag is never a tap, not even one that
// starts on a button; one row is open at a time, and while one is, a press
// only runs one of its actions or closes it. A double-click never runs an
// action either.
//
// Tests reach a button through its hit area: buttonRect(id, key) in the
// list's coordinates, isButtonEnabled(id, key), acceptsPresses(id); and
// tests/support/PaintedListInput.h clicks it as a user would.

// A button inside a row, as the delegate lays it out.
struct PaintedButton {
    QString key;   // names the button within its row, e.g. "approve"
    QRect rect;    // in the row's coordinates
    QString name;  // the accessible name, e.g. "Подтвердить"
    bool enabled = true;

    bool operator==(const PaintedButton&) const = default;
};

// What the delegate needs to paint a row as the user should see it now.
// An action shown under a row pushed aside by a swipe.
struct SwipeAction {
    QString key;     // names the action, e.g. "delete"
    QString title;   // "Удалить"
    QString symbol;  // "trash"
    ColorRole color = ColorRole::Red;
};

struct PaintedRowState {
    bool busy = false;  // the row's request runs: its buttons are disabled and it shows a spinner
    bool held = false;  // the list holds every button
    QString pressedKey;
    QString hoverKey;
    QString focusKey;
    int spinnerStep = 0;
    bool first = false;
    bool last = false;
    // The part of the list being painted, in the list's coordinates (a row
    // wider than the screen, a strip of tiles, paints only what lies in it).
    QRect exposed;

    bool isEnabled(const PaintedButton& button) const { return button.enabled && !busy && !held; }
};

class PaintedRowDelegate {
public:
    virtual ~PaintedRowDelegate() = default;
    virtual int rowHeight(const QString& id, int width, bool busy) const = 0;
    virtual QList<PaintedButton> buttons(const QString& id, int width, bool busy) const {
        Q_UNUSED(id) Q_UNUSED(width) Q_UNUSED(busy) return {};
    }
    virtual void paintRow(QPainter* painter, const QString& id, const QRect& rect,
                          const PaintedRowState& state) const = 0;
    // Drops what the delegate keeps to measure faster (font metrics, text
    // widths); the list calls it from updateAllRows() (theme, currency).
    virtual void forgetMeasurements() const {}
    // What a screen reader says for the whole row: the label its screen gives
    // it, or else what the row shows in reading order (title, amount,
    // status, due date); empty: the row is not announced on its own.
    virtual QString accessibleName(const QString& id) const {
        Q_UNUSED(id) return {};
    }
    // The record a button of the row acts on, said after the button's name,
    // so that the "Закрыть долг" of one debt can be told from another's:
    // the row's name unless the delegate tells better.
    virtual QString accessibleDescription(const QString& id, const QString& key) const {
        Q_UNUSED(key) return accessibleName(id);
    }
};

class PaintedList : public QWidget {
    Q_OBJECT
public:
    explicit PaintedList(const PaintedRowDelegate& delegate, QWidget* parent = nullptr);
    ~PaintedList() override;

    // The rows in order. Rows kept from before keep their measured heights.
    void setRows(const QStringList& ids);
    const QStringList& rows() const { return ids_; }
    bool contains(const QString& id) const { return index_.contains(id); }
    // One record changed: its row is measured and painted again, no other.
    void updateRow(const QString& id);
    // Every row's look changed (theme, currency): all are measured again.
    void updateAllRows();
    // Space between rows.
    void setSpacing(int spacing);
    // A hairline in the middle of the space between each two rows.
    void setDividers(bool dividers);
    // Rows measured as they come near: only the rows down to a screen below
    // the visible part are measured, the rest count at the mean height of
    // those (`estimate` before any is); a row is measured when it is painted,
    // hit-tested or asked for. Off (0) by default: every row is measured.
    // Rows are measured from the top down, so a correction only moves rows
    // below those the user sees.
    void setMeasuredAhead(int estimate);
    // How many rows, from the top, are measured at the list's width now.
    int measuredRows() const { return exactRows_; }

    // The key of a row's own keyboard stop in a list with swipe actions.
    static inline const QString kRowKey = QStringLiteral("\u0001row");

    // Leading actions show when a row is pushed right, trailing ones when it
    // is pushed left; the first of a side sits at the outer edge and is the
    // one a full swipe runs. No actions on either side: no swipes.
    void setSwipeActions(const QList<SwipeAction>& leading, const QList<SwipeAction>& trailing);
    // How far a row is pushed aside now: positive while its leading actions
    // show, negative while its trailing ones do.
    int swipeOffset(const QString& id) const;
    QString openRow() const;
    void closeOpenRow();
    // The row's swipe actions as a menu at `globalPos` (below the row when
    // none is given); a picked action is reported as a swipe's would be.
    void showRowActions(const QString& id, const QPoint& globalPos = {});
    QList<SwipeAction> swipeActions() const;
    // Runs one of the row's swipe actions, as picking it in the menu does.
    bool runSwipeAction(const QString& id, const QString& key);

    // The list-wide rule: while held, no row's button can be pressed.
    void setHeld(bool held);
    bool isHeld() const { return held_; }
    void setBusy(const QString& id, bool busy);
    void setBusyRows(const QSet<QString>& ids);
    bool isBusy(const QString& id) const { return busy_.contains(id); }

    // Hit areas, in the list's coordinates; empty when the row or button is absent.
    QRect rowRect(const QString& id) const;
    QRect buttonRect(const QString& id, const QString& key) const;
    QStringList buttonKeys(const QString& id) const;
    // The button can be pressed now (exists, enabled, row neither busy nor held).
    bool isButtonEnabled(const QString& id, const QString& key) const;
    // False while the row's double-click hold lasts.
    bool acceptsPresses(const QString& id) const;
    // The keyboard-focused button: row id and key, both empty when none.
    QString focusedRow() const { return focus_.id; }
    QString focusedButton() const { return focus_.key; }
    // How many times rows were measured (each is measured once per content and width).
    qint64 measureCount() const { return measures_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return {0, 0}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

    // For delegates: a button of the row with the list's states (pressed,
    // hover, focus, disabled) on top of `face`; and the row's spinner.
    static void paintButton(QPainter* painter, const QRect& rowRect, const PaintedButton& button,
                            Button::Face face, const PaintedRowState& state);
    static void paintSpinner(QPainter* painter, const QPoint& centre, const PaintedRowState& state);

    // For the accessible interface: every button of every row, in order.
    struct ButtonRef {
        QString id;
        QString key;
        bool operator==(const ButtonRef&) const = default;
    };
    QList<ButtonRef> allButtons() const;
    // What the accessible interface lists, in order: for every row, the row
    // itself (key kRowKey) when it is named or has swipe actions, then its
    // buttons. Worked out once per revision of the rows (their order, a
    // record, the held, busy and enabled states): a screen reader walking
    // the list asks for one item after another.
    QList<ButtonRef> accessibleItems() const;
    int accessibleItemCount() const { return int(items().size()); }
    ButtonRef accessibleItem(int index) const;
    int indexOfAccessibleItem(const ButtonRef& item) const;  // -1 when absent
    // The button, else the listed row, under a point in the list's coordinates.
    ButtonRef accessibleItemAt(const QPoint& pos) const;
    QString rowName(const QString& id) const;
    QString buttonName(const QString& id, const QString& key) const;
    // The record the button acts on (the delegate's accessibleDescription).
    QString buttonDescription(const QString& id, const QString& key) const;
    // Presses a button as Space would (nothing when it cannot be pressed).
    bool pressButton(const QString& id, const QString& key);

signals:
    void buttonClicked(const QString& id, const QString& key);
    // A press and release on a row outside its buttons.
    void rowClicked(const QString& id);
    // A swipe action ran: a full swipe, or a tap on the open row's action.
    void swipeActionTriggered(const QString& id, const QString& key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Measure {
        int width = -1;
        bool busy = false;
        int height = 0;
    };
    // What the user last saw of a row's buttons, to tell when they changed.
    struct Seen {
        QList<PaintedButton> buttons;  // in the list's coordinates, enabled as shown
        qint64 changedAt = -1;         // ms on clock_; -1: never changed since first seen
    };

    int measuredHeight(const QString& id, int width) const;
    void layoutRows();
    // Measures rows from the first not measured on, at least through `row`
    // and until a row starts below `bottom`, and places the rest at the
    // estimate (rows measured lazily; otherwise every row is measured).
    void placeRows(int bottom, int row = -1) const;
    void measureDownTo(int bottom) const;  // lazily: rows starting at or above `bottom`
    void measureThrough(int row) const;
    // The bottom of what the user sees of the list, plus a screen (-1 while hidden).
    int aheadBottom() const;
    // Measuring ahead changed the list's height: the list asks its layout
    // again, and a page scrolled to its very end (the End key, the scroll
    // bar dragged down) stays at its end once its range follows.
    void heightCorrected() const;
    void keepEnd(int minimum, int maximum);
    int rowAt(int y) const;  // -1 outside every row
    int laidHeight(int row) const;
    QList<PaintedButton> buttonsOf(int row) const;  // in the list's coordinates, enabled as the rules say
    ButtonRef buttonAt(const QPoint& pos, int* row = nullptr) const;
    // Records what a row shows now; true when it changed since last seen.
    bool see(const QString& id, const QList<PaintedButton>& shown);
    void repaintRow(const QString& id);
    void setFocusButton(const ButtonRef& ref);
    void dropGoneFocus();
    // The keyboard stops of a row: its own (with swipe actions), then its enabled buttons.
    QList<ButtonRef> focusStops(int row) const;
    bool hasRowStops() const { return bool(swipe_); }
    // The accessible items, each marked when it is a keyboard stop, made
    // when first asked for after a change of the rows or their states.
    struct Item {
        ButtonRef ref;
        bool stop = false;
    };
    const std::vector<Item>& items() const;
    void invalidateItems() { itemsValid_ = false; }
    bool moveFocus(int step);      // along all enabled buttons; false past the ends
    bool moveFocusRow(int step);   // to a neighbouring row
    void ensureFocusVisible();
    void updateSpinnerTimer();
    void onFocusChanged(QWidget* old, QWidget* now);
    // Swipes: feeds a press to the gesture; the open row's action under a point.
    void pressSwipe(QMouseEvent* event, bool doubleClick);
    bool moveSwipe(QMouseEvent* event);     // true when the gesture took the move
    bool releaseSwipe(QMouseEvent* event);  // true when the gesture took the release
    QAbstractScrollArea* scrollArea() const;

    const PaintedRowDelegate& delegate_;
    QStringList ids_;
    QHash<QString, int> index_;
    mutable QHash<QString, Measure> measures_by_id_;
    mutable qint64 measures_ = 0;
    // Row tops at laidWidth_, plus the total height at the end; measured
    // rows first, then (measured lazily) rows placed at the estimate.
    mutable std::vector<int> tops_;
    int aheadEstimate_ = 0;           // 0: every row is measured
    mutable int exactRows_ = 0;       // rows from the top measured at laidWidth_
    mutable qint64 exactHeights_ = 0;  // their heights' sum
    int laidWidth_ = -1;
    mutable QHash<int, int> otherTotals_;  // heightForWidth at widths other than laidWidth_
    mutable int endValue_ = -1;            // the scroll bar's end when a correction was made there
    int spacing_ = 0;
    bool dividers_ = false;
    std::unique_ptr<SwipeRows> swipe_;  // the swipe actions' controller, shared with the operations list
    bool held_ = false;
    QSet<QString> busy_;
    QHash<QString, Seen> seen_;
    QElapsedTimer clock_;
    ButtonRef pressed_;
    bool pressedOnRow_ = false;
    QString pressedRow_;
    ButtonRef hover_;
    ButtonRef focus_;
    Qt::FocusReason focusReason_ = Qt::OtherFocusReason;
    QBasicTimer spinnerTimer_;
    int spinnerStep_ = 0;
    mutable std::vector<Item> items_;
    mutable QHash<QString, int> itemIndex_;  // by row id, a zero character and key
    mutable bool itemsValid_ = false;
};
