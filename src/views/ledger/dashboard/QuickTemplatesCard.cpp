#include "views/ledger/dashboard/QuickTemplatesCard.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

#include "components/Chip.h"
#include "components/MoneyFocus.h"
#include "components/TextLabel.h"
#include "components/TileButton.h"
#include "services/MoneyText.h"
#include "store/MoneyStore.h"
#include "views/ledger/DashboardParts.h"
#include "views/ledger/dashboard/DashboardKit.h"
#include "views/ledger/dashboard/DashboardStyle.h"

using namespace dashboard;
namespace style = dashboard_style;

QuickTemplatesCard::QuickTemplatesCard(MoneyStore& store, QWidget* parent) : Card(parent), store_(store) {
    frameCard(this, QStringLiteral("templatesCard"), 12);
    addWidget(
        new SymbolLabel(QStringLiteral("В одно касание"), QStringLiteral("bolt.fill"), TextStyle::Headline));
    strip_ = new QScrollArea;
    strip_->setObjectName(QStringLiteral("templatesStrip"));
    strip_->setFrameShape(QFrame::NoFrame);
    strip_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    strip_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The row is as wide as its tiles; the strip scrolls it sideways.
    strip_->setWidgetResizable(false);
    SidewaysScroller::attach(strip_);
    strip_->viewport()->setAutoFillBackground(false);
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    row_ = new QHBoxLayout(content);
    row_->setContentsMargins(0, 0, 0, 0);
    row_->setSpacing(style::templateTileSpacing);
    row_->addStretch(1);
    strip_->setWidget(content);
    content->setAutoFillBackground(false);  // setWidget turned it on; the card shows through
    addWidget(strip_);
}

void QuickTemplatesCard::draw() {
    const bool masked = hideBalances();
    const std::vector<QuickTemplate> templates = store_.quickTemplatesInUse();
    QStringList shown{masked ? QStringLiteral("masked") : QStringLiteral("shown")};
    for (const QuickTemplate& t : templates) shown << t.id << t.title << cnyText(t.amount);
    if (shown == shown_) return;
    shown_ = shown;

    // Keep the trailing stretch; the tiles go before it.
    while (row_->count() > 1) discardItem(row_->takeAt(0));
    for (const QuickTemplate& t : templates) row_->insertWidget(row_->count() - 1, tile(t, masked));
    strip_->setVisible(!templates.empty());
    QWidget* row = row_->parentWidget();
    row->adjustSize();
    strip_->setFixedHeight(row->sizeHint().height());
}

QWidget* QuickTemplatesCard::tile(const QuickTemplate& item, bool masked) {
    auto* tile = new TileButton(ColorRole::Teal, 0.1, style::tileRadius);
    tile->setObjectName(QStringLiteral("templateTile"));
    MoneyFocus::mark(tile);
    tile->setProperty("templateId", item.id);
    tile->setAccessibleName(item.title);
    tile->setMinimumWidth(style::templateTileMinimumWidth);
    tile->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);  // as wide as its title, never squeezed
    auto* column = listLayout(tile, 4);
    column->setContentsMargins(12, 12, 12, 12);
    auto* title = new TextLabel(item.title, TextStyle::Body);
    title->setObjectName(QStringLiteral("templateTitle"));
    title->setTextStyle(TextStyle::Body, QFont::DemiBold);
    column->addWidget(title);
    auto* amount = new TextLabel(masked ? dashboard::mask() : cnyText(item.amount), TextStyle::Caption,
                                 ColorRole::SecondaryLabel);
    amount->setObjectName(QStringLiteral("templateAmount"));
    column->addWidget(amount);
    tile->makeChildrenTransparent();
    const QString id = item.id;
    // One tap books the operation at once.
    connect(tile, &QAbstractButton::clicked, this, [this, id] { store_.applyTemplate(id); });
    return tile;
}
