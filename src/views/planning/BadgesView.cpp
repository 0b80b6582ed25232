#include "views/planning/BadgesView.h"

#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>
#include <mutex>

#include "components/AdaptiveGridLayout.h"
#include "components/Card.h"
#include "components/LazyColumn.h"
#include "components/PageBody.h"
#include "components/ProgressBar.h"
#include "components/SegmentedControl.h"
#include "components/SwipeGesture.h"
#include "components/SymbolView.h"
#include "components/Symbols.h"
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

// The size a one-line label of the kit asks for its text.
QSize lineSize(const QFont& font, const QString& text) {
    return QFontMetrics(font).boundingRect(QRect(0, 0, 2000, 2000), Qt::AlignLeft, text).size();
}

QFont tileFont(TextStyle style, int weight = -1, bool monospaced = false) {
    QFont font = Theme::font(style, weight);
    if (monospaced) font.setFamily(Theme::monospacedFontFamily());
    return font;
}

// A text wrapped between words at a width, as a tile shows it.
std::shared_ptr<const TextFit::WrappedText> wrapped(const QString& text, const QFont& font, int width) {
    return std::make_shared<const TextFit::WrappedText>(text, font, qMax(1, width), Qt::AlignHCenter | Qt::AlignTop);
}

// The height a wrapped text takes, in whole pixels.
int textHeight(const TextFit::WrappedText& text) { return int(std::ceil(text.size().height() - 0.01)); }

const QString& unlockedText() {
    static const QString text = QStringLiteral("Получено");
    return text;
}

int unlockedSymbolSize() { return Symbols::sizeForText(Theme::pointSize(TextStyle::Caption)); }

// Space between the symbol and the title of a symbol before a title.
constexpr int kSymbolLabelSpacing = 6;
// The tier title's margins inside its capsule.
constexpr int kCapsuleMarginX = 8;
constexpr int kCapsuleMarginY = 4;

// A title never loses a word: one longer than the tile is wide makes the
// title smaller until it fits (the other titles wrap between words).
QFont fittedTitleFont(const QString& title, int width) {
    QFont full = Theme::font(TextStyle::Subheadline, QFont::Bold);
    if (width <= 0) return full;
    // Most titles fit whatever the width: their widest word is measured once.
    static QHash<QString, int> widest;
    if (widest.size() > 256) widest.clear();
    auto it = widest.constFind(title);
    if (it == widest.cend()) it = widest.insert(title, TextFit::widestWord(title, full));
    if (*it <= width) return full;
    const QFont fitted = TextFit::wordsShrunkToFit(title, full, width);
    if (fitted.pixelSize() != full.pixelSize()) full.setPixelSize(fitted.pixelSize());
    return full;
}

}  // namespace

struct BadgeCell::Layouts {
    QHash<QString, std::shared_ptr<const Parts>> byBadge;
    // A tile's rounded background by size, colour and pixel ratio: the grid's
    // tiles share a few sizes, and filling a rounded shape smoothly costs
    // as much as the rest of a tile.
    QHash<QString, QImage> backgrounds;

    const QImage& background(const QSize& size, const QColor& fill, qreal dpr) {
        const QString key = QStringLiteral("%1x%2 %3 %4").arg(size.width()).arg(size.height()).arg(fill.rgba()).arg(dpr);
        if (const auto it = backgrounds.constFind(key); it != backgrounds.cend()) return *it;
        if (backgrounds.size() > 32) backgrounds.clear();
        QImage image(size * dpr, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), tools_style::tileRadius, tools_style::tileRadius);
        p.end();
        return *backgrounds.insert(key, image);
    }
};

qint64 BadgeCell::percent(double progress, bool unlocked) {
    if (!std::isfinite(progress) || progress <= 0) return 0;
    const double product = std::round(progress * 100.0 * 1e6) / 1e6;
    const qint64 whole = qint64(std::min(std::trunc(product), 100.0));
    return unlocked ? whole : std::min<qint64>(whole, 99);
}

namespace {

// A tile is one element with a name and a value, as a screen reader reads a
// badge: QWidget can set a name and a description, not a value.
class BadgeCellAccessible : public QAccessibleWidget {
public:
    explicit BadgeCellAccessible(BadgeCell* cell) : QAccessibleWidget(cell, QAccessible::ListItem) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return static_cast<const BadgeCell*>(widget())->accessibleValue();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* badgeCellFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("BadgeCell") && object && object->isWidgetType())
        return new BadgeCellAccessible(static_cast<BadgeCell*>(object));
    return nullptr;
}

}  // namespace

BadgeCell::BadgeCell(std::shared_ptr<Layouts> layouts, QWidget* parent)
    : QWidget(parent), layouts_(layouts ? std::move(layouts) : std::make_shared<Layouts>()) {
    static std::once_flag accessible;
    std::call_once(accessible, [] { QAccessible::installFactory(badgeCellFactory); });
    setObjectName(QStringLiteral("badgeCell"));
    setMinimumHeight(tools_style::tileMinimumHeight);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    connect(&Theme::current(), &Theme::changed, this, [this] {
        layouts_->byBadge.clear();
        layouts_->backgrounds.clear();
        parts_.reset();
        updateGeometry();
        update();
    });
}

void BadgeCell::draw(const MoneyBadge& badge) {
    const bool resized = badge.title != badge_.title || badge.detail != badge_.detail ||
                         badge.isUnlocked != badge_.isUnlocked || badge.tier != badge_.tier ||
                         badge.points != badge_.points;
    badge_ = badge;
    const BadgeTierStyle tier = badgeTierStyle(badge.tier);
    setAccessibleName(badge.title + QStringLiteral(", ") + tier.title + QStringLiteral(", ") +
                      QString::number(badge.points) + QStringLiteral(" очков"));
    if (resized) {
        parts_.reset();
        updateGeometry();
    }
    update();
}

QString BadgeCell::accessibleValue() const {
    if (badge_.id.isEmpty()) return {};  // a spare tile, showing no badge
    if (badge_.isUnlocked) return QStringLiteral("Получено");
    return QStringLiteral("Выполнено ") + QString::number(percent(badge_.progress, false)) +
           QStringLiteral(" процентов");
}

QColor BadgeCell::look(const QColor& color) const { return isFaded() ? lockedLook(color) : color; }

std::shared_ptr<const BadgeCell::Parts> BadgeCell::layOut(int width) const {
    auto& cache = layouts_->byBadge;
    const QString key = badge_.id + QLatin1Char('\n') + badge_.title + QLatin1Char('\n') + badge_.detail +
                        QLatin1Char('\n') + QString::number(int(badge_.tier)) + QLatin1Char(' ') +
                        QString::number(badge_.points) + QLatin1Char(' ') + QString::number(width) +
                        (badge_.isUnlocked ? QLatin1Char('+') : QLatin1Char('-'));
    if (const auto it = cache.constFind(key); it != cache.cend()) return *it;
    if (cache.size() > 512) cache.clear();
    auto laid = std::make_shared<Parts>();
    Parts& parts = *laid;
    parts.width = width;
    const int pad = tools_style::tilePadding;
    const int gap = tools_style::tileSpacing;
    const int inner = width - 2 * pad;
    const BadgeTierStyle tier = badgeTierStyle(badge_.tier);
    int y = pad;

    const QSize tierText = lineSize(tileFont(TextStyle::Caption2, QFont::Bold), tier.title);
    const QSize capsule(tierText.width() + 2 * kCapsuleMarginX, tierText.height() + 2 * kCapsuleMarginY);
    const QSize points =
        lineSize(tileFont(TextStyle::Caption, QFont::Bold, true), QStringLiteral("+") + QString::number(badge_.points));
    const int top = qMax(capsule.height(), points.height());
    parts.capsule = QRect(QPoint(pad, y + (top - capsule.height()) / 2), capsule);
    parts.points = QRect(width - pad - points.width(), y, points.width(), top);
    y += top + gap;

    const int frame = tools_style::tileSymbolFrame;
    parts.symbol = QRect(pad + (inner - frame) / 2, y, frame, frame);
    y += frame + gap;

    parts.title = fittedTitleFont(badge_.title, inner);
    parts.titleText = wrapped(badge_.title, parts.title, inner);
    parts.titleBox = QRect(pad, y, inner, textHeight(*parts.titleText));
    y += parts.titleBox.height() + gap;
    parts.detailText = wrapped(badge_.detail, tileFont(TextStyle::Caption), inner);
    const int detail = textHeight(*parts.detailText);
    parts.detail = QRect(pad, y, inner, qMax(detail, tools_style::tileDetailMinimumHeight));
    y += parts.detail.height() + gap;

    if (badge_.isUnlocked) {
        const QSize text = lineSize(tileFont(TextStyle::Caption, QFont::Bold), unlockedText());
        const int symbol = unlockedSymbolSize();
        const QSize label(symbol + kSymbolLabelSpacing + text.width(), qMax(symbol, text.height()));
        parts.unlocked = QRect(QPoint(pad + (inner - label.width()) / 2, y), label);
        y += label.height();
    } else {
        const int bar = ProgressBar::kDefaultHeight;
        parts.bar = QRect(pad, y, inner, bar);
        y += bar + gap;
        const QSize text = lineSize(tileFont(TextStyle::Caption2, -1, true), QStringLiteral("100%"));
        parts.percent = QRect(pad, y, inner, text.height());
        y += text.height();
    }
    parts.height = y + pad;
    cache.insert(key, laid);
    return laid;
}

const BadgeCell::Parts& BadgeCell::parts() const {
    if (!parts_ || parts_->width != width()) parts_ = layOut(width());
    return *parts_;
}

int BadgeCell::heightForWidth(int width) const {
    return qMax(minimumHeight(), parts_ && width == parts_->width ? parts_->height : layOut(width)->height);
}

QSize BadgeCell::sizeHint() const {
    const int width = tools_style::badgeColumnMinimum;
    return {width, heightForWidth(width)};
}

QFont BadgeCell::titleFont() const { return parts().title; }
QRect BadgeCell::titleRect() const { return parts().titleBox; }
QRect BadgeCell::symbolRect() const { return parts().symbol; }
QColor BadgeCell::titleColor() const { return look(Theme::current().color(ColorRole::Label)); }

void BadgeCell::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    parts();
}

void BadgeCell::paintEvent(QPaintEvent*) {
    const Theme& theme = Theme::current();
    const Parts& at = parts();
    const BadgeTierStyle tier = badgeTierStyle(badge_.tier);
    const QColor tierColor = theme.color(tier.color);
    const QColor secondary = look(theme.color(ColorRole::SecondaryLabel));
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.drawImage(0, 0, layouts_->background(size(), look(theme.color(ColorRole::SecondaryGroupedBackground)),
                                           devicePixelRatioF()));

    // Shapes first, each as the kit's own widgets draw it.
    const qreal capsuleRadius = at.capsule.height() / 2.0;
    p.setBrush(look(withAlpha(tierColor, tools_style::tierCapsuleOpacity)));
    p.drawRoundedRect(QRectF(at.capsule), capsuleRadius, capsuleRadius);
    p.setBrush(look(withAlpha(tierColor, badge_.isUnlocked ? tools_style::symbolCircleOpacity
                                                           : tools_style::lockedSymbolCircleOpacity)));
    p.drawEllipse(at.symbol);
    const qreal dpr = devicePixelRatioF();
    const int symbolSize = tools_style::tileSymbolSize;
    if (!badge_.symbol.isEmpty())
        p.drawPixmap(at.symbol.x() + (at.symbol.width() - symbolSize) / 2,
                     at.symbol.y() + (at.symbol.height() - symbolSize) / 2,
                     Symbols::pixmap(badge_.symbol, symbolSize, badge_.isUnlocked ? tierColor : secondary, dpr));
    if (showsLock()) {
        const int lockSize = tools_style::tileLockSize;
        const int box = lockSize + 12;
        const QRect lock(at.symbol.right() + 1 - box, at.symbol.bottom() + 1 - box, box, box);
        p.setBrush(secondary);
        p.drawEllipse(lock);
        p.drawPixmap(lock.x() + (box - lockSize) / 2, lock.y() + (box - lockSize) / 2,
                     Symbols::pixmap(QStringLiteral("lock.fill"), lockSize, look(theme.color(ColorRole::White)), dpr));
    }
    if (showsProgress())
        ProgressBar::paint(&p, QRectF(at.bar), badge_.progress, look(tierColor), look(theme.color(ColorRole::Fill)));

    // Texts as the kit's labels draw them: one-line ones in their box, the
    // wrapped ones from the top of theirs.
    p.setRenderHint(QPainter::Antialiasing, false);
    const auto line = [&p](const QRect& box, const QFont& font, const QColor& colour, Qt::Alignment align,
                           const QString& text) {
        p.setFont(font);
        p.setPen(colour);
        p.drawText(box, int(align), text);
    };
    line(at.capsule.adjusted(kCapsuleMarginX, kCapsuleMarginY, -kCapsuleMarginX, -kCapsuleMarginY),
         tileFont(TextStyle::Caption2, QFont::Bold), look(tierColor), Qt::AlignLeft | Qt::AlignVCenter, tier.title);
    line(at.points, tileFont(TextStyle::Caption, QFont::Bold, true), secondary, Qt::AlignLeft | Qt::AlignVCenter,
         QStringLiteral("+") + QString::number(badge_.points));
    p.setPen(titleColor());
    at.titleText->draw(&p, at.titleBox.topLeft());
    p.setPen(secondary);
    at.detailText->draw(&p, at.detail.topLeft());
    if (showsUnlocked()) {
        const QColor green = theme.color(ColorRole::Green);
        const int symbol = unlockedSymbolSize();
        const QFont font = tileFont(TextStyle::Caption, QFont::Bold);
        const QSize text = lineSize(font, unlockedText());
        p.drawPixmap(at.unlocked.x(), at.unlocked.y() + (at.unlocked.height() - symbol) / 2,
                     Symbols::pixmap(QStringLiteral("checkmark.seal.fill"), symbol, green, dpr));
        const QRect box(at.unlocked.x() + symbol + kSymbolLabelSpacing,
                        at.unlocked.y() + (at.unlocked.height() - text.height()) / 2, text.width(), text.height());
        line(box, font, green, Qt::AlignLeft | Qt::AlignVCenter, unlockedText());
    }
    if (showsProgress())
        line(at.percent, tileFont(TextStyle::Caption2, -1, true), secondary, Qt::AlignHCenter,
             QString::number(percent(badge_.progress, false)) + QStringLiteral("%"));
}

BadgesView::BadgesView(MoneyStore& store, QWidget* parent)
    : ToolScreen(store, QStringLiteral("Медали"), QStringLiteral("badges"), parent),
      layouts_(std::make_shared<BadgeCell::Layouts>()) {
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
    body()->viewport()->installEventFilter(this);
    connect(body()->verticalScrollBar(), &QScrollBar::valueChanged, this, &BadgesView::drawNearRows);
    redraw();
}

bool BadgesView::eventFilter(QObject* watched, QEvent* event) {
    // A new width may fit another number of columns: the rows are laid out
    // again once the resize is over.
    if (watched == grid_ && event->type() == QEvent::Resize)
        QMetaObject::invokeMethod(this, &BadgesView::widthChanged, Qt::QueuedConnection);
    if (watched == body()->viewport() &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove ||
         event->type() == QEvent::MouseButtonRelease) &&
        dragScroll(static_cast<QMouseEvent*>(event)))
        return true;
    return ToolScreen::eventFilter(watched, event);
}

bool BadgesView::dragScroll(QMouseEvent* event) {
    QScrollBar* bar = body()->verticalScrollBar();
    const QPoint at = event->globalPosition().toPoint();
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (event->button() != Qt::LeftButton) return false;
            dragFrom_ = at;
            dragStart_ = bar->value();
            dragging_ = false;
            return false;
        case QEvent::MouseMove:
            if (!dragFrom_ || !(event->buttons() & Qt::LeftButton)) return false;
            // A little movement is still a press, as a list's row counts it.
            if (!dragging_ && std::abs(at.y() - dragFrom_->y()) < SwipeGesture::kDragThreshold) return false;
            dragging_ = true;
            bar->setValue(dragStart_ - (at.y() - dragFrom_->y()));
            return true;
        case QEvent::MouseButtonRelease: {
            if (event->button() != Qt::LeftButton) return false;
            const bool dragged = dragging_;
            dragFrom_.reset();
            dragging_ = false;
            return dragged;
        }
        default:
            return false;
    }
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
            [columns, layouts = layouts_]() -> QWidget* {
                auto* line = new AdaptiveGrid(tools_style::badgeColumnMinimum, tools_style::badgeGridSpacing);
                line->setObjectName(QStringLiteral("badgeRow"));
                line->grid()->setFixedColumns(columns);
                for (int i = 0; i < columns; ++i) line->addWidget(new BadgeCell(layouts));
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
