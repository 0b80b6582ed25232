#pragma once

#include <optional>

#include <QSet>
#include <QWidget>
#include <memory>

#include "components/TextFit.h"
#include "models/MoneyModels.h"
#include "views/planning/ToolScreen.h"

class LazyColumn;
class QMouseEvent;
class ProgressBar;
class SegmentedControl;
class SymbolView;
class TextLabel;

// One badge tile: tier capsule and points, the symbol (with a lock while
// locked), title, description, then "Получено" or the progress. The tile
// paints all of it itself: a filter switch that swaps a locked badge for an
// unlocked one in a place only paints the place again, with no parts to hide,
// show and lay out. A locked tile is faded: painted in colours mixed with the
// page's, not through an opacity effect (which would draw the tile offscreen
// first).
class BadgeCell : public QWidget {
    Q_OBJECT
public:
    // Tiles laid out by badge and width, shared by the tiles of one grid.
    struct Layouts;
    explicit BadgeCell(std::shared_ptr<Layouts> layouts = nullptr, QWidget* parent = nullptr);
    void draw(const MoneyBadge& badge);

    // The whole percent shown for a progress: the product rounded to six
    // decimals before it is truncated (0.29 shows 29, not 28), and never 100
    // while the badge is locked.
    static qint64 percent(double progress, bool unlocked);

    const MoneyBadge& badge() const { return badge_; }
    // The tile's accessible value (its name is the title, tier and points):
    // "Получено", or "Выполнено <percent> процентов" while locked.
    QString accessibleValue() const;
    bool isFaded() const { return !badge_.isUnlocked; }
    // What the tile shows besides its texts: the lock on the symbol, the bar
    // with the percent (locked), or "Получено" (unlocked).
    bool showsLock() const { return !badge_.isUnlocked; }
    bool showsProgress() const { return !badge_.isUnlocked; }
    bool showsUnlocked() const { return badge_.isUnlocked; }
    // The title as painted: its font (fitted to the tile's width), the box it
    // wraps in, in the tile's coordinates, and its colour.
    QFont titleFont() const;
    QRect titleRect() const;
    QColor titleColor() const;
    // The symbol's disc, in the tile's coordinates (the lock sits on its
    // lower right).
    QRect symbolRect() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Where each part goes at a width, top down as a column of them would
    // stand (every part at its own height, the room left over at the bottom),
    // with the wrapped texts laid out once. Shared by every tile showing the
    // same badge at the same width, so a filter switch that moves badges
    // between places lays none of them out again.
    struct Parts {
        int width = -1;
        QFont title;
        QRect capsule, points, symbol, titleBox, detail, unlocked, bar, percent;
        int height = 0;
        std::shared_ptr<const TextFit::WrappedText> titleText, detailText;
    };
    std::shared_ptr<const Parts> layOut(int width) const;
    const Parts& parts() const;
    QColor look(const QColor& color) const;

    std::shared_ptr<Layouts> layouts_;
    MoneyBadge badge_;
    mutable std::shared_ptr<const Parts> parts_;  // at the tile's width, for the badge drawn
};

// "Медали u/t": the rank summary, the filter and the grid of the badges the
// filter keeps. The grid's rows stack in a lazy column: a row below the
// visible area is built when it is scrolled near. The column holds rows for
// the whole catalogue; a filter only draws the built rows with the badges it
// keeps (those near the view at once, the others as they come near) and
// leaves the rows it does not need out, so switching builds nothing again. A change of the number of columns lays the rows out afresh.
// The catalogue is worked out once per state of the store, day and currency:
// a filter switch or a redraw for the theme reads the same one.
class BadgesView : public ToolScreen {
    Q_OBJECT
public:
    enum class Filter { all, unlocked, locked };

    explicit BadgesView(MoneyStore& store, QWidget* parent = nullptr);
    void redraw() override;

    void setFilter(Filter filter);
    Filter filter() const { return filter_; }
    SegmentedControl* filterPicker() const { return picker_; }
    TextLabel* rankLabel() const { return rank_; }
    TextLabel* pointsLabel() const { return points_; }
    TextLabel* summaryCaption() const { return caption_; }
    LazyColumn* grid() const { return grid_; }
    // How many tiles the filter keeps in the grid.
    int visibleCellCount() const { return int(shown_.size()); }
    int columnCount() const { return columns_; }
    // The tile at `position` in the grid (its row built now if it was not);
    // nullptr past the last tile.
    BadgeCell* cell(int position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Takes the store's catalogue as it is now (worked out again only when the
    // store, the day or the currency changed); true when it is another one.
    bool refreshCatalogue();
    // Shows the tiles the filter keeps in the rows laid out.
    void showFilter();
    // Lays rows for the whole catalogue out in the current number of columns.
    void layOutRows();
    void drawRow(int row, QWidget* widget);
    // Draws the built rows left stale that are now within a screen of the view.
    void drawNearRows();
    bool isNear(const QWidget* row);
    void widthChanged();
    // A press and drag on the page (its tiles take no press) scrolls it, as
    // the lists' rows do: true for the moves and the release it took.
    bool dragScroll(QMouseEvent* event);

    Filter filter_ = Filter::all;
    SegmentedControl* picker_;
    TextLabel* rank_;
    TextLabel* points_;
    ProgressBar* progress_;
    TextLabel* caption_;
    SymbolView* trophy_;
    LazyColumn* grid_;
    std::shared_ptr<const std::vector<MoneyBadge>> all_;  // the catalogue of the last redraw
    std::vector<int> shown_;       // the catalogue positions the filter keeps
    std::shared_ptr<BadgeCell::Layouts> layouts_;  // the tiles' layouts, by badge and width
    // Built rows still showing an earlier filter or store: a filter switch
    // or a redraw draws the rows near the view, the rest as they come near.
    QSet<int> staleRows_;
    int columns_ = 0;
    // The press of a drag: where it started and the page's offset then;
    // none while no button is down.
    std::optional<QPoint> dragFrom_;
    int dragStart_ = 0;
    bool dragging_ = false;
};
