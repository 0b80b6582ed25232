#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class PageBody;
class QAbstractScrollArea;

// A column of cards inside a page's scrolling, built as they come near the
// viewport: a card is made by its factory only once the column is on screen
// and the card lies within the visible area plus about a screen of margin, and stays alive from then on
// (so typed text and focus survive). Cards not yet built take their estimated
// height, or the mean measured height of built cards of the same kind, so
// the scroll range is close from the start and corrected as cards are built;
// a card built above the viewport keeps what is on screen in place.
//
// A redraw draws every built card; a card not yet built is drawn when it is
// built, so it never shows what the store held before.
class LazyColumn : public QWidget {
    Q_OBJECT
public:
    using Factory = std::function<QWidget*()>;
    using Draw = std::function<void(QWidget*)>;

    static constexpr int kDefaultEstimate = 120;

    explicit LazyColumn(QWidget* parent = nullptr);
    ~LazyColumn() override;
    // A lazy column at the end of a page's stack, spaced as the stack (the
    // page's fixed widgets may go before it).
    static LazyColumn* addTo(PageBody* page);

    // Adds a card made by `make` when it is first needed and drawn by `draw`
    // (may be empty) after it is made and on every redraw. Cards of the same
    // nonzero `kind` are estimated from each other once one is measured.
    // Returns the card's index.
    int addCard(Factory make, Draw draw = {}, int estimatedHeight = kDefaultEstimate, int kind = 0);
    // A card that exists from the start (a fixed part of the page).
    int addWidget(QWidget* widget, Draw draw = {});

    int count() const { return int(entries_.size()); }
    bool isBuilt(int index) const;
    int builtCount() const;
    // The card at `index`, built and drawn now if it was not (for actions
    // that need a card, such as bringing it on screen): nullptr past the end.
    QWidget* card(int index);
    // The card at `index` if it is built, without building it.
    QWidget* builtCard(int index) const;
    // The card's top within the column (estimated while it is not built).
    int cardTop(int index) const;

    // Leaves a card out of the column or puts it back: a card left out takes
    // no room, is not built while out, and a built one keeps its widget
    // (hidden), so a filter that only changes what shows builds nothing again.
    void setCardShown(int index, bool shown);
    bool isCardShown(int index) const;

    void setSpacing(int spacing);
    int spacing() const { return spacing_; }
    // The distance beyond the viewport, above and below, within which cards
    // are built; negative (the default) means one viewport height.
    void setBuildMargin(int margin);

    // Draws every built card (the others are drawn when they are built).
    void redraw();
    // Removes every card.
    void clear();

    // Brings built cards' heights, positions and the column's height up to
    // date and builds what came near (also run on scrolling and resizing).
    void refresh();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Entry {
        Factory make;
        Draw draw;
        QPointer<QWidget> widget;
        int estimate = kDefaultEstimate;
        int kind = 0;
        int measured = -1;  // the built card's height at the last layout
        bool hiddenWithColumn = false;
        bool out = false;  // left out by setCardShown(index, false)
    };

    // The cards are children of the column's parent, laid over the column's
    // place (the column itself when it has no parent).
    QWidget* host() const;
    void watchHost();
    bool isCard(const QObject* object) const;
    void attachToScrollArea();
    QWidget* build(int index);
    // The height the entry takes (0 while a built card is hidden).
    int heightOf(const Entry& entry) const;
    int measure(QWidget* widget, int width) const;
    int estimateFor(const Entry& entry) const;
    // The part of the column within the viewport plus the margin.
    QRect reach() const;
    // Lays the cards out; the card at `anchor` (if any) keeps its place in the viewport.
    void layoutCards(int anchor);
    int anchorIndex() const;
    void scheduleRefresh();
    // Makes the scroll area take the column's new height at once, so that a
    // correction of the scroll position is not clamped to the old range.
    void syncScrollRange();

    std::vector<Entry> entries_;
    std::vector<int> tops_;
    std::vector<std::pair<int, int>> kindMeans_;  // (kind, mean measured height) at the last layout
    int spacing_ = 18;
    int margin_ = -1;
    int totalHeight_ = 0;
    int minimumWidth_ = 0;
    bool refreshing_ = false;
    bool again_ = false;
    QPointer<QAbstractScrollArea> scrollArea_;
    QPointer<QWidget> host_;
};
