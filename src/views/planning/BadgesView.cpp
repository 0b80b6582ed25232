#include "views/planning/BadgesView.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

#include "components/AdaptiveGridLayout.h"
#include "components/Card.h"
#include "components/LazyColumn.h"
#include "components/PageBody.h"
#include "components/ProgressBar.h"
#include "components/SegmentedControl.h"
#include "components/SymbolView.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "store/Badges.h"
#include "store/MoneyStore.h"
#include "views/planning/BadgeRank.h"
#include "views/planning/ToolFigures.h"
#include "views/planning/ToolsStyle.h"

namespace {

QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(alpha);
    return color;
}

// A locked tile looks as if drawn whole and then laid over the page at
// lockedTileOpacity. Each of its colours is mixed with the page's background
// before it is painted (its own alpha kept): blending is linear, so the
// pixels come out as the faded tile's would, without drawing the tile
// offscreen first.
QColor lockedLook(const QColor& color) {
    const QColor page = Theme::current().color(ColorRole::GroupedBackground);
    const double a = tools_style::lockedTileOpacity;
    const auto mix = [a](double own, double under) { return a * own + (1 - a) * under; };
    return QColor::fromRgbF(float(mix(color.redF(), page.redF())), float(mix(color.greenF(), page.greenF())),
                            float(mix(color.blueF(), page.blueF())), color.alphaF());
}

// The tier title on a pale capsule of the tier colour.
class TierCapsule : public QWidget {
public:
    explicit TierCapsule(TextLabel* label) {
        auto* line = new QHBoxLayout(this);
        line->setContentsMargins(8, 4, 8, 4);
        line->addWidget(label);
        setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    }
    void setFill(const QColor& fill) {
        fill_ = fill;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(fill_);
        p.drawRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
    }

private:
    QColor fill_;
};

}  // namespace

qint64 BadgeCell::percent(double progress, bool unlocked) {
    if (!std::isfinite(progress) || progress <= 0) return 0;
    const double product = std::round(progress * 100.0 * 1e6) / 1e6;
    const qint64 whole = qint64(std::min(std::trunc(product), 100.0));
    return unlocked ? whole : std::min<qint64>(whole, 99);
}

BadgeCell::BadgeCell(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("badgeCell"));
    setMinimumHeight(tools_style::tileMinimumHeight);
    auto* column = new QVBoxLayout(this);
    const int pad = tools_style::tilePadding;
    column->setContentsMargins(pad, pad, pad, pad);
    column->setSpacing(tools_style::tileSpacing);

    auto* top = new QHBoxLayout;
    tier_ = new TextLabel({}, TextStyle::Caption2);
    tier_->setObjectName(QStringLiteral("badgeTier"));
    tier_->setTextStyle(TextStyle::Caption2, QFont::Bold);
    tierCapsule_ = new TierCapsule(tier_);
    top->addWidget(tierCapsule_);
    top->addStretch(1);
    points_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    points_->setTextStyle(TextStyle::Caption, QFont::Bold);
    points_->setMonospaced(true);
    top->addWidget(points_);
    column->addLayout(top);

    symbol_ = new SymbolView({}, tools_style::tileSymbolSize);
    symbol_->setObjectName(QStringLiteral("badgeSymbol"));
    symbol_->setFixedSize(tools_style::tileSymbolFrame, tools_style::tileSymbolFrame);
    lock_ = new SymbolView(QStringLiteral("lock.fill"), tools_style::tileLockSize, symbol_);
    lock_->setObjectName(QStringLiteral("badgeLock"));
    const int lockBox = tools_style::tileLockSize + 12;
    lock_->setFixedSize(lockBox, lockBox);
    lock_->move(tools_style::tileSymbolFrame - lockBox, tools_style::tileSymbolFrame - lockBox);
    column->addWidget(symbol_, 0, Qt::AlignHCenter);

    title_ = new TextLabel({}, TextStyle::Subheadline);
    title_->setObjectName(QStringLiteral("badgeTitle"));
    title_->setTextStyle(TextStyle::Subheadline, QFont::Bold);
    title_->setWordWrap(true);
    title_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    column->addWidget(title_);
    detail_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    detail_->setObjectName(QStringLiteral("badgeDetail"));
    detail_->setWordWrap(true);
    detail_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    detail_->setMinimumHeight(tools_style::tileDetailMinimumHeight);
    column->addWidget(detail_);

    unlocked_ = new SymbolLabel(QStringLiteral("Получено"), QStringLiteral("checkmark.seal.fill"),
                                TextStyle::Caption, ColorRole::Green);
    unlocked_->setObjectName(QStringLiteral("badgeUnlocked"));
    unlocked_->setTextStyle(TextStyle::Caption, QFont::Bold);
    column->addWidget(unlocked_, 0, Qt::AlignHCenter);
    bar_ = new ProgressBar;
    bar_->setObjectName(QStringLiteral("badgeBar"));
    column->addWidget(bar_);
    percent_ = new TextLabel({}, TextStyle::Caption2, ColorRole::SecondaryLabel);
    percent_->setObjectName(QStringLiteral("badgePercent"));
    percent_->setMonospaced(true);
    percent_->setAlignment(Qt::AlignHCenter);
    column->addWidget(percent_);
    column->addStretch(1);
}

void BadgeCell::draw(const MoneyBadge& badge) {
    const Theme& theme = Theme::current();
    const BadgeTierStyle tier = badgeTierStyle(badge.tier);
    faded_ = !badge.isUnlocked;
    const auto look = [this](const QColor& color) { return faded_ ? lockedLook(color) : color; };
    // A tile's labels keep their roles while unlocked: only a locked tile's are mixed.
    const auto colour = [&](TextLabel* label, ColorRole role) {
        if (faded_)
            label->setColor(lockedLook(theme.color(role)));
        else
            label->setColorRole(role);
    };
    const QColor secondary = look(theme.color(ColorRole::SecondaryLabel));
    tierColor_ = theme.color(tier.color);
    tier_->setText(tier.title);
    tier_->setColor(look(tierColor_));
    static_cast<TierCapsule*>(tierCapsule_)->setFill(look(withAlpha(tierColor_, tools_style::tierCapsuleOpacity)));
    points_->setText(QStringLiteral("+") + QString::number(badge.points));
    colour(points_, ColorRole::SecondaryLabel);
    symbol_->setSymbol(badge.symbol);
    symbol_->setTint(badge.isUnlocked ? tierColor_ : secondary);
    symbol_->setCircleBackground(look(withAlpha(tierColor_, badge.isUnlocked
                                                                ? tools_style::symbolCircleOpacity
                                                                : tools_style::lockedSymbolCircleOpacity)));
    lock_->setVisible(!badge.isUnlocked);
    lock_->setTint(look(theme.color(ColorRole::White)));
    lock_->setCircleBackground(secondary);
    title_->setText(badge.title);
    colour(title_, ColorRole::Label);
    fitTitle();
    detail_->setText(badge.detail);
    colour(detail_, ColorRole::SecondaryLabel);
    unlocked_->setVisible(badge.isUnlocked);
    bar_->setVisible(!badge.isUnlocked);
    percent_->setVisible(!badge.isUnlocked);
    const qint64 pct = percent(badge.progress, badge.isUnlocked);
    bar_->setValue(badge.progress);
    bar_->setTint(look(tierColor_));
    bar_->setTrack(look(theme.color(ColorRole::Fill)));
    percent_->setText(QString::number(pct) + QStringLiteral("%"));
    colour(percent_, ColorRole::SecondaryLabel);
    setAccessibleName(badge.title + QStringLiteral(", ") + tier.title + QStringLiteral(", ") +
                      QString::number(badge.points) + QStringLiteral(" очков"));
    setAccessibleDescription(badge.isUnlocked ? QStringLiteral("Получено")
                                              : QStringLiteral("Выполнено ") + QString::number(pct) +
                                                    QStringLiteral(" процентов"));
    update();
}

void BadgeCell::fitTitle() {
    // A title never loses a word: one longer than the tile is wide makes the
    // title smaller until it fits (the other titles wrap between words).
    const int width = this->width() - 2 * tools_style::tilePadding;
    if (width <= 0 || (width == fittedWidth_ && title_->text() == fittedTitle_)) return;
    fittedWidth_ = width;
    fittedTitle_ = title_->text();
    const QFont full = Theme::font(TextStyle::Subheadline, QFont::Bold);
    // Most titles fit whatever the width: their widest word is measured once.
    static QHash<QString, int> widest;
    if (widest.size() > 256) widest.clear();
    auto it = widest.constFind(fittedTitle_);
    if (it == widest.cend()) it = widest.insert(fittedTitle_, TextFit::widestWord(fittedTitle_, full));
    if (*it <= width) {
        title_->setPixelSize(0);
        return;
    }
    const QFont fitted = TextFit::wordsShrunkToFit(fittedTitle_, full, width);
    title_->setPixelSize(fitted.pixelSize() == full.pixelSize() ? 0 : fitted.pixelSize());
}

void BadgeCell::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitTitle();
}

void BadgeCell::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QColor fill = Theme::current().color(ColorRole::SecondaryGroupedBackground);
    p.setBrush(faded_ ? lockedLook(fill) : fill);
    p.drawRoundedRect(QRectF(rect()), tools_style::tileRadius, tools_style::tileRadius);
}

BadgesView::BadgesView(MoneyStore& store, QWidget* parent)
    : ToolScreen(store, QStringLiteral("Медали"), QStringLiteral("badges"), parent) {
    body()->setSpacing(tools_style::badgeStack);

    auto* summary = new Card;
    summary->setObjectName(QStringLiteral("badgeSummary"));
    summary->setSpacing(tools_style::summaryLineSpacing);
    auto* head = new QHBoxLayout;
    head->setSpacing(tools_style::summaryLineSpacing);
    trophy_ = new SymbolView(QStringLiteral("trophy.fill"), tools_style::summaryTrophySize);
    trophy_->setFixedSize(tools_style::summaryTrophyFrame, tools_style::summaryTrophyFrame);
    trophy_->setTint(ColorRole::Yellow);
    head->addWidget(trophy_, 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(tools_style::summaryTitleSpacing);
    rank_ = new TextLabel({}, TextStyle::Title3);
    rank_->setObjectName(QStringLiteral("badgeRank"));
    rank_->setTextStyle(TextStyle::Title3, QFont::Bold);
    rank_->setMinimumScaleFactor(TextFit::kMinimumScale);
    texts->addWidget(rank_);
    points_ = new TextLabel({}, TextStyle::Subheadline, ColorRole::SecondaryLabel);
    points_->setObjectName(QStringLiteral("badgePoints"));
    texts->addWidget(points_);
    head->addLayout(texts, 1);
    auto* headWidget = new QWidget;
    headWidget->setLayout(head);
    head->setContentsMargins(0, 0, 0, 0);
    summary->addWidget(headWidget);
    progress_ = new ProgressBar;
    progress_->setTint(ColorRole::Yellow);
    summary->addWidget(progress_);
    caption_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    caption_->setObjectName(QStringLiteral("badgeSummaryCaption"));
    caption_->setWordWrap(true);
    summary->addWidget(caption_);
    body()->addWidget(summary);

    picker_ = new SegmentedControl;
    picker_->setObjectName(QStringLiteral("badgeFilter"));
    picker_->setAccessibleName(QStringLiteral("Фильтр медалей"));
    picker_->addSegment(QStringLiteral("Все"), QStringLiteral("all"));
    picker_->addSegment(QStringLiteral("Получены"), QStringLiteral("unlocked"));
    picker_->addSegment(QStringLiteral("В процессе"), QStringLiteral("locked"));
    picker_->setCurrentTag(QStringLiteral("all"));
    body()->addWidget(picker_);
    connect(picker_, &SegmentedControl::currentTagChanged, this, [this](const QString& tag) {
        setFilter(tag == QLatin1String("unlocked") ? Filter::unlocked
                  : tag == QLatin1String("locked") ? Filter::locked
                                                   : Filter::all);
    });

    // The rows are spaced as the tiles in a row.
    grid_ = LazyColumn::addTo(body());
    grid_->setObjectName(QStringLiteral("badgeGrid"));
    grid_->setSpacing(tools_style::badgeGridSpacing);
    grid_->installEventFilter(this);
    connect(body()->verticalScrollBar(), &QScrollBar::valueChanged, this, &BadgesView::drawNearRows);
    redraw();
}

bool BadgesView::eventFilter(QObject* watched, QEvent* event) {
    // A new width may fit another number of columns: the rows are laid out
    // again once the resize is over.
    if (watched == grid_ && event->type() == QEvent::Resize)
        QMetaObject::invokeMethod(this, &BadgesView::widthChanged, Qt::QueuedConnection);
    return ToolScreen::eventFilter(watched, event);
}

bool BadgesView::refreshCatalogue() {
    std::shared_ptr<const std::vector<MoneyBadge>> now = tool_figures::badges(store_);
    if (now == all_) return false;
    all_ = std::move(now);
    return true;
}

void BadgesView::redraw() {
    // One catalogue per redraw; the unlocked list, points and progress come
    // from it rather than from three more passes over the ledger.
    refreshCatalogue();
    const std::vector<MoneyBadge>& all = *all_;
    const std::vector<MoneyBadge> unlocked = ledger::unlockedBadges(all);
    const qint64 points = ledger::badgePoints(all);
    setTitle(QStringLiteral("Медали ") + QString::number(unlocked.size()) + QStringLiteral("/") +
             QString::number(all.size()));
    rank_->setText(badgeRankTitle(points));
    points_->setText(QString::number(points) + QStringLiteral(" очков наград"));
    progress_->setValue(ledger::badgeCollectionProgress(all));
    caption_->setText(QStringLiteral("Получено ") + QString::number(unlocked.size()) +
                      QStringLiteral(" из ") + QString::number(all.size()) + QStringLiteral(" медалей"));
    trophy_->setCircleBackground(
        withAlpha(Theme::current().color(ColorRole::Yellow), tools_style::symbolCircleOpacity));
    showFilter();
}

void BadgesView::setFilter(Filter filter) {
    const QString tag = filter == Filter::unlocked ? QStringLiteral("unlocked")
                        : filter == Filter::locked ? QStringLiteral("locked")
                                                   : QStringLiteral("all");
    if (picker_->currentTag() != tag) picker_->setCurrentTag(tag);
    if (filter == filter_) return;
    filter_ = filter;
    // The store may have moved on since the last redraw (or the day turned):
    // then the whole screen is drawn again, otherwise only the grid changes.
    if (refreshCatalogue())
        redraw();
    else
        showFilter();
}

void BadgesView::showFilter() {
    const std::vector<MoneyBadge>& all = *all_;
    std::vector<int> shown;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const bool on = all[i].isUnlocked;
        if (filter_ == Filter::all || (filter_ == Filter::unlocked) == on) shown.push_back(int(i));
    }
    shown_ = std::move(shown);
    if (columns_ <= 0 || grid_->count() != (int(all.size()) + columns_ - 1) / columns_) {
        layOutRows();
        return;
    }
    const int needed = (int(shown_.size()) + columns_ - 1) / columns_;
    for (int row = 0; row < grid_->count(); ++row) {
        grid_->setCardShown(row, row < needed);
        if (grid_->builtCard(row)) staleRows_.insert(row);
    }
    // The rows take their places first: which are near depends on the rows left out.
    grid_->refresh();
    drawNearRows();
}

bool BadgesView::isNear(const QWidget* row) {
    const QWidget* viewport = body()->viewport();
    if (!isVisible() || !viewport->isAncestorOf(row)) return true;
    const int top = row->mapTo(viewport, QPoint(0, 0)).y();
    const int margin = viewport->height();
    return top < viewport->height() + margin && top + row->height() > -margin;
}

void BadgesView::drawNearRows() {
    bool drawn = false;
    for (const int row : QSet<int>(staleRows_)) {
        QWidget* line = grid_->builtCard(row);
        if (!line) {
            staleRows_.remove(row);
        } else if (grid_->isCardShown(row) && isNear(line)) {
            drawRow(row, line);
            drawn = true;
        }
    }
    if (drawn) grid_->refresh();
}

void BadgesView::widthChanged() {
    AdaptiveGridLayout measure(tools_style::badgeColumnMinimum, tools_style::badgeGridSpacing);
    if (measure.columnCount(grid_->width()) != columns_) layOutRows();
}

void BadgesView::layOutRows() {
    AdaptiveGridLayout measure(tools_style::badgeColumnMinimum, tools_style::badgeGridSpacing);
    columns_ = measure.columnCount(grid_->width());
    grid_->clear();
    staleRows_.clear();
    const int rows = (int(all_->size()) + columns_ - 1) / columns_;
    const int needed = (int(shown_.size()) + columns_ - 1) / columns_;
    for (int row = 0; row < rows; ++row) {
        const int columns = columns_;
        grid_->addCard(
            [columns]() -> QWidget* {
                auto* line = new AdaptiveGrid(tools_style::badgeColumnMinimum, tools_style::badgeGridSpacing);
                line->setObjectName(QStringLiteral("badgeRow"));
                line->grid()->setFixedColumns(columns);
                for (int i = 0; i < columns; ++i) line->addWidget(new BadgeCell);
                return line;
            },
            [this, row](QWidget* widget) { drawRow(row, widget); }, tools_style::tileMinimumHeight, 1);
        grid_->setCardShown(row, row < needed);
    }
    grid_->refresh();
}

void BadgesView::drawRow(int row, QWidget* widget) {
    staleRows_.remove(row);
    auto* line = static_cast<AdaptiveGrid*>(widget);
    for (int i = 0; i < line->grid()->count(); ++i) {
        const std::size_t position = std::size_t(row * columns_ + i);
        auto* cell = static_cast<BadgeCell*>(line->grid()->itemAt(i)->widget());
        // The last row's places past the kept badges stay empty.
        if (position >= shown_.size()) {
            cell->hide();
            continue;
        }
        cell->draw((*all_)[std::size_t(shown_[position])]);
        cell->show();
    }
}

BadgeCell* BadgesView::cell(int position) {
    if (position < 0 || position >= int(shown_.size()) || columns_ <= 0) return nullptr;
    if (!grid_->isCardShown(position / columns_)) return nullptr;
    const int row = position / columns_;
    auto* line = static_cast<AdaptiveGrid*>(grid_->card(row));
    if (line && staleRows_.contains(row)) {
        drawRow(row, line);
        grid_->refresh();
    }
    QLayoutItem* item = line ? line->grid()->itemAt(position % columns_) : nullptr;
    return item ? static_cast<BadgeCell*>(item->widget()) : nullptr;
}
