#include <gtest/gtest.h>

#include <QAccessible>
#include <QScrollBar>
#include <QTest>

#include "components/AdaptiveGridLayout.h"
#include "components/LazyColumn.h"
#include "components/TextFit.h"
#include "store/Badges.h"
#include "store/DemoLedger.h"
#include "views/planning/BadgeRank.h"
#include "views/planning/BadgesView.h"
#include "views/planning/MoneyToolsFixture.h"
#include "views/planning/ToolFigures.h"
#include "views/planning/ToolsStyle.h"

namespace {

using BadgesTest = MoneyToolsFixture;

TEST(BadgeRankTest, TitlesChangeAtTheirThresholds) {
    const struct {
        qint64 points;
        const char* title;
    } cases[] = {{99, "Новичок"},         {100, "Искатель медалей"}, {299, "Искатель медалей"},
                 {300, "Коллекционер"},   {699, "Коллекционер"},     {700, "Мастер наград"},
                 {1199, "Мастер наград"}, {1200, "Легенда копилки"}};
    for (const auto& c : cases) EXPECT_EQ(badgeRankTitle(c.points), QString::fromUtf8(c.title)) << c.points;
}

TEST(BadgeRankTest, PercentRoundsTheProductBeforeTruncating) {
    const struct {
        double progress;
        bool unlocked;
        qint64 percent;
    } cases[] = {
        {0.29, false, 29}, {0.999, false, 99}, {0.9999999, false, 99}, {1.0, true, 100}, {0.4, false, 40}};
    for (const auto& c : cases)
        EXPECT_EQ(BadgeCell::percent(c.progress, c.unlocked), c.percent) << c.progress;
}

TEST_F(BadgesTest, FilterHidesTilesAndTheTitleCountsThemAll) {
    BadgesView& view = show<BadgesView>(demoLedger());
    const std::vector<MoneyBadge> all = store->badges();
    const int unlocked = int(ledger::unlockedBadges(all).size());
    ASSERT_GT(unlocked, 0);
    const QString title = QStringLiteral("Медали %1/%2").arg(unlocked).arg(all.size());
    const struct {
        BadgesView::Filter filter;
        int shown;
    } cases[] = {{BadgesView::Filter::unlocked, unlocked},
                 {BadgesView::Filter::locked, int(all.size()) - unlocked},
                 {BadgesView::Filter::all, int(all.size())}};
    for (const auto& c : cases) {
        view.setFilter(c.filter);
        settle();
        EXPECT_EQ(view.visibleCellCount(), c.shown);
        EXPECT_EQ(view.title(), title);
        // The grid holds exactly that many tiles, each showing a badge the filter keeps.
        ASSERT_NE(view.cell(c.shown - 1), nullptr);
        EXPECT_EQ(view.cell(c.shown), nullptr);
        for (int i = 0; i < c.shown; ++i) {
            const bool faded = view.cell(i)->isFaded();
            if (c.filter != BadgesView::Filter::all)
                EXPECT_EQ(faded, c.filter == BadgesView::Filter::locked) << i;
        }
    }
}

TEST_F(BadgesTest, LockedTilesFadeAndShowTheirProgress) {
    BadgesView& view = show<BadgesView>(demoLedger());
    const std::vector<MoneyBadge> all = store->badges();
    for (const bool locked : {true, false}) {
        const auto it =
            std::find_if(all.begin(), all.end(), [&](const MoneyBadge& b) { return b.isUnlocked != locked; });
        ASSERT_NE(it, all.end());
        BadgeCell* cell = view.cell(int(it - all.begin()));
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->isFaded(), locked);
        EXPECT_EQ(cell->showsLock(), locked);
        EXPECT_EQ(cell->showsProgress(), locked);
        EXPECT_EQ(cell->showsUnlocked(), !locked);
        EXPECT_TRUE(cell->accessibleName().startsWith(it->title + ", " + badgeTierStyle(it->tier).title));
        // The state is the tile's value, as a screen reader reads it, not a description.
        QAccessibleInterface* tile = QAccessible::queryAccessibleInterface(cell);
        ASSERT_NE(tile, nullptr);
        EXPECT_EQ(tile->text(QAccessible::Name), cell->accessibleName());
        EXPECT_EQ(tile->text(QAccessible::Value).startsWith("Выполнено "), locked);
        EXPECT_EQ(tile->text(QAccessible::Value) == "Получено", !locked);
        EXPECT_TRUE(tile->text(QAccessible::Description).isEmpty());
    }
}

TEST_F(BadgesTest, GridRowsBelowTheScreenAreBuiltWhenScrolledTo) {
    BadgesView& view = show<BadgesView>(demoLedger());
    ASSERT_EQ(view.columnCount(), 2);  // two tiles a row at a phone's width
    LazyColumn* grid = view.grid();
    const int rows = (view.visibleCellCount() + 1) / 2;
    ASSERT_EQ(grid->count(), rows);
    ASSERT_FALSE(grid->isBuilt(rows - 1));
    EXPECT_LT(grid->builtCount(), rows);
    QScrollBar* bar = view.body()->verticalScrollBar();
    bar->setValue(bar->maximum());
    settle();
    EXPECT_TRUE(grid->isBuilt(rows - 1));
    EXPECT_TRUE(grid->builtCard(rows - 1)->isVisible());
    // Tiles of one row share its height; a row stands below the one before it.
    QWidget* last = grid->builtCard(rows - 1);
    EXPECT_GE(last->height(), tools_style::tileMinimumHeight);
}

// A filter switch only changes what shows: no row is built again, the
// catalogue is worked out once for the store as it is, and a change of the
// store draws the grid from a new one.
TEST_F(BadgesTest, SwitchingTheFilterBuildsNoRowAgainAndReadsTheCatalogueOnce) {
    BadgesView& view = show<BadgesView>(demoLedger());
    const int computed = tool_figures::badgesComputed(*store);
    QList<QWidget*> rows;
    for (int i = 0; i < view.grid()->count(); ++i) rows << view.grid()->builtCard(i);
    for (const auto filter : {BadgesView::Filter::locked, BadgesView::Filter::unlocked, BadgesView::Filter::all}) {
        view.setFilter(filter);
        settle();
    }
    EXPECT_EQ(tool_figures::badgesComputed(*store), computed);
    for (int i = 0; i < view.grid()->count(); ++i)
        if (rows.at(i)) EXPECT_EQ(view.grid()->builtCard(i), rows.at(i)) << i;
    // Rows the filter does not need are out of the column: no room, no tile.
    view.setFilter(BadgesView::Filter::unlocked);
    settle();
    const int needed = (view.visibleCellCount() + view.columnCount() - 1) / view.columnCount();
    EXPECT_TRUE(view.grid()->isCardShown(needed - 1));
    EXPECT_FALSE(view.grid()->isCardShown(needed));

    store->add(TransactionKind::expense, Decimal(3), QStringLiteral("Еда"), {}, store->now(), {}, false, {});
    settle();
    EXPECT_EQ(tool_figures::badgesComputed(*store), computed + 1);
    EXPECT_EQ(view.title(), QStringLiteral("Медали %1/%2")
                                .arg(ledger::unlockedBadges(store->badges()).size())
                                .arg(store->badges().size()));
}

// A locked tile is drawn faded in place (colours mixed with the page's),
// never through an opacity effect that renders it offscreen first.
TEST_F(BadgesTest, LockedTilesMixTheirColoursWithThePageInsteadOfAnEffect) {
    BadgesView& view = show<BadgesView>(demoLedger());
    for (const char* scheme : {"light", "dark"}) {
        setPreference("appTheme", scheme);
        settle();
        const QColor label = Theme::current().color(ColorRole::Label);
        const QColor page = Theme::current().color(ColorRole::GroupedBackground);
        const double a = tools_style::lockedTileOpacity;
        for (int i = 0; i < view.visibleCellCount(); ++i) {
            BadgeCell* cell = view.cell(i);
            ASSERT_NE(cell, nullptr);
            EXPECT_EQ(cell->graphicsEffect(), nullptr) << i;
            const QColor title = cell->titleColor();
            if (!cell->isFaded()) {
                EXPECT_EQ(title, label) << scheme << " " << i;
                continue;
            }
            EXPECT_NEAR(title.redF(), a * label.redF() + (1 - a) * page.redF(), 0.01) << scheme << " " << i;
            EXPECT_NEAR(title.blueF(), a * label.blueF() + (1 - a) * page.blueF(), 0.01) << scheme << " " << i;
        }
    }
}

// At a phone's width every title shows whole, light or dark: "Суперсберегатель"
// is wider than its tile at the title's size, so that title alone is smaller.
TEST_F(BadgesTest, EveryTitleShowsWholeInItsTile) {
    BadgesView& view = show<BadgesView>(demoLedger());
    const int full = Theme::font(TextStyle::Subheadline, QFont::Bold).pixelSize();
    for (const char* scheme : {"light", "dark"}) {
        setPreference("appTheme", scheme);
        for (int i = 0; i < view.visibleCellCount(); ++i) ASSERT_NE(view.cell(i), nullptr);
        settle();
        QStringList smaller;
        for (int i = 0; i < view.visibleCellCount(); ++i) {
            BadgeCell* cell = view.cell(i);
            const QString title = cell->badge().title;
            const QRect box = cell->titleRect();
            const TextFit::WrappedText wrapped(title, cell->titleFont(), box.width());
            EXPECT_EQ(wrapped.lines().join(' ').simplified(), title) << scheme << ": nothing elided";
            EXPECT_LE(TextFit::widestWord(title, cell->titleFont()), box.width()) << title.toStdString();
            // The wrapped title stands inside its tile, every line of it.
            EXPECT_TRUE(cell->rect().contains(box)) << title.toStdString();
            EXPECT_GE(box.height(), wrapped.height()) << title.toStdString();
            if (cell->titleFont().pixelSize() < full) smaller << title;
        }
        EXPECT_TRUE(smaller.contains(QStringLiteral("Суперсберегатель"))) << scheme;
        EXPECT_LT(smaller.size(), view.visibleCellCount() / 2) << "only the titles that need it";
        for (int i = 0; i < view.visibleCellCount(); ++i)
            if (view.cell(i)->badge().title == QStringLiteral("Суперсберегатель"))
                view.body()->ensureWidgetVisible(view.cell(i));
        settle();
        EXPECT_FALSE(Gallery::save(*window, QStringLiteral("badges-long-title-%1").arg(scheme)).isEmpty());
    }
}

// A filter switch draws the rows near the view at once and the others as
// they are scrolled near: wherever the user scrolls, the tiles in view show
// the filter's badges in order.
TEST_F(BadgesTest, RowsFarBelowFollowTheFilterWhenScrolledTo) {
    BadgesView& view = show<BadgesView>(demoLedger());
    QScrollBar* bar = view.body()->verticalScrollBar();
    QWidget* viewport = view.body()->viewport();
    bar->setValue(bar->maximum());  // every row built, drawn for "all"
    settle();
    bar->setValue(0);
    settle();
    const std::vector<MoneyBadge> all = store->badges();
    for (const auto filter : {BadgesView::Filter::locked, BadgesView::Filter::unlocked, BadgesView::Filter::all}) {
        view.setFilter(filter);
        settle();
        std::vector<MoneyBadge> kept;
        for (const MoneyBadge& badge : all)
            if (filter == BadgesView::Filter::all || badge.isUnlocked == (filter == BadgesView::Filter::unlocked))
                kept.push_back(badge);
        int seen = 0;
        for (int value = 0;; value += viewport->height() / 2) {
            bar->setValue(std::min(value, bar->maximum()));
            settle();
            for (int row = 0; row < view.grid()->count(); ++row) {
                auto* line = static_cast<AdaptiveGrid*>(view.grid()->builtCard(row));
                if (!line || !line->isVisible()) continue;
                const int top = line->mapTo(viewport, QPoint(0, 0)).y();
                if (top >= viewport->height() || top + line->height() <= 0) continue;
                for (int i = 0; i < line->grid()->count(); ++i) {
                    auto* cell = static_cast<BadgeCell*>(line->grid()->itemAt(i)->widget());
                    const std::size_t position = std::size_t(row * view.columnCount() + i);
                    ASSERT_EQ(cell->isVisible(), position < kept.size()) << row << " " << i;
                    if (position >= kept.size()) continue;
                    EXPECT_EQ(cell->badge().title, kept[position].title) << row << " " << i;
                    EXPECT_EQ(cell->isFaded(), !kept[position].isUnlocked);
                    ++seen;
                }
            }
            if (bar->value() >= bar->maximum()) break;
        }
        EXPECT_GE(seen, int(kept.size())) << "every kept badge came into view";
        bar->setValue(0);
        settle();
    }
}

// A tile paints its own parts from the badge it shows: the page-mixed
// background and the lock on the symbol only while locked, and a height that
// follows its description's lines, whichever badge the place showed before.
TEST_F(BadgesTest, TilesPaintTheirLookAndHeightFromTheBadgeTheyShow) {
    const QColor page = Theme::current().color(ColorRole::GroupedBackground);
    const double a = tools_style::lockedTileOpacity;
    const auto mixed = [&](const QColor& c) {
        return QColor::fromRgbF(float(a * c.redF() + (1 - a) * page.redF()),
                                float(a * c.greenF() + (1 - a) * page.greenF()),
                                float(a * c.blueF() + (1 - a) * page.blueF()));
    };
    const auto near = [](QRgb pixel, const QColor& colour) {
        return std::abs(qRed(pixel) - colour.red()) <= 1 && std::abs(qGreen(pixel) - colour.green()) <= 1 &&
               std::abs(qBlue(pixel) - colour.blue()) <= 1;
    };
    const QString shortDetail = QStringLiteral("Накопи 100 CNY");
    const QString longDetail = QStringLiteral("Сберегай не меньше двадцати процентов дохода каждый месяц целый год подряд");
    const struct {
        bool unlocked;
        QString detail;
    } cases[] = {{false, shortDetail}, {true, shortDetail}, {false, longDetail}, {true, longDetail}};
    const int width = 170;
    BadgeCell cell;  // one place, showing each badge in turn as a filter switch does
    int shortHeight = 0;
    for (const auto& c : cases) {
        MoneyBadge badge{QStringLiteral("saver"), QStringLiteral("Хранитель"), c.detail, QStringLiteral("shield.fill"),
                         BadgeTier::silver, 35, c.unlocked ? 1.0 : 0.4, c.unlocked};
        cell.draw(badge);
        cell.resize(width, cell.heightForWidth(width));
        const QImage image = cell.grab().toImage();
        const QString what = QStringLiteral("%1 %2").arg(c.unlocked ? "unlocked" : "locked", c.detail);
        const QColor fill = Theme::current().color(ColorRole::SecondaryGroupedBackground);
        EXPECT_TRUE(near(image.pixel(4, cell.height() / 2), c.unlocked ? fill : mixed(fill))) << what.toStdString();
        // Inside the lock's disc, left of its glyph: the symbol's disc shows
        // there unless the lock lies over it.
        const QRect symbol = cell.symbolRect();
        const int box = tools_style::tileLockSize + 12;
        const QPoint lock(symbol.right() + 1 - box + 3, symbol.bottom() + 1 - box / 2);
        const QPoint disc(symbol.left() + 8, symbol.center().y());
        EXPECT_EQ(image.pixel(lock) == image.pixel(disc), c.unlocked) << what.toStdString();
        if (c.detail == shortDetail) {
            if (!shortHeight) shortHeight = cell.height();
            EXPECT_EQ(cell.height(), std::max(shortHeight, tools_style::tileMinimumHeight)) << what.toStdString();
        } else {
            const int lines = TextFit::WrappedText(c.detail, Theme::font(TextStyle::Caption), cell.titleRect().width())
                                  .lineCount();
            ASSERT_GT(lines, 3);
            EXPECT_GT(cell.height(), shortHeight) << what.toStdString();
            EXPECT_GT(cell.heightForWidth(width), cell.heightForWidth(2 * width)) << "fewer lines when wider";
        }
    }
}

TEST_F(BadgesTest, Gallery) { galleryOf<BadgesView>("badges", demoLedger()); }

}  // namespace

// The page scrolls under a press and drag on its tiles, as every page of
// rows does; a small movement is still a press.
TEST_F(BadgesTest, APressAndDragOnTheTilesScrollsThePage) {
    BadgesView& view = show<BadgesView>(demoLedger());
    QScrollBar* bar = view.body()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 400);
    QWidget* tile = view.cell(0);
    ASSERT_NE(tile, nullptr);
    ASSERT_EQ(bar->value(), 0);
    const QPoint from = tile->rect().center();
    // Where the pointer is on the screen, while the tile moves under it.
    QPoint origin = tile->mapToGlobal(QPoint());
    const auto moveTo = [&](const QPoint& to) {
        QMouseEvent move(QEvent::MouseMove, to, origin + to, Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(tile, &move);
        settle();
    };
    QTest::mousePress(tile, Qt::LeftButton, {}, from);
    moveTo(from + QPoint(0, -4));
    EXPECT_EQ(bar->value(), 0) << "a little movement is no drag";
    for (int step = 1; step <= 6; ++step) moveTo(from - QPoint(0, 50 * step));
    EXPECT_EQ(bar->value(), 300);
    moveTo(from - QPoint(0, 200));
    QTest::mouseRelease(tile, Qt::LeftButton, {}, from - QPoint(0, 200));
    settle();
    EXPECT_EQ(bar->value(), 200);
    // The next press starts afresh from where the page stands.
    origin = tile->mapToGlobal(QPoint());
    QTest::mousePress(tile, Qt::LeftButton, {}, from);
    moveTo(from + QPoint(0, 120));
    QTest::mouseRelease(tile, Qt::LeftButton, {}, from + QPoint(0, 120));
    EXPECT_EQ(bar->value(), 80);
}
