#include "views/ledger/dashboard/QuickTemplatesCard.h"

#include <QScrollArea>
#include <QVBoxLayout>

#include "components/Chip.h"
#include "components/TextLabel.h"
#include "services/MoneyText.h"
#include "store/MoneyStore.h"
#include "components/PaintedList.h"
#include "views/planning/ToolRows.h"
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
    list_ = new PaintedList(delegate_);
    list_->setObjectName(QStringLiteral("templateTiles"));
    list_->setAutoFillBackground(false);
    strip_->setWidget(list_);
    list_->setAutoFillBackground(false);  // setWidget turned it on; the card shows through
    addWidget(strip_);
    connect(list_, &PaintedList::buttonClicked, this, [this](const QString&, const QString& key) {
        // One tap books the operation at once.
        for (const TemplateTile& tile : tiles_)
            if (tile.key == key) {
                store_.applyTemplate(tile.templateId);
                return;
            }
    });
}

void QuickTemplatesCard::draw() {
    const bool masked = hideBalances();
    const std::vector<QuickTemplate> templates = store_.quickTemplatesInUse();
    QStringList ids;
    ids.reserve(qsizetype(templates.size()));
    for (const QuickTemplate& t : templates) ids << t.id;
    const QStringList keys = ToolRows::keysOf(ids);
    std::vector<TemplateTile> tiles;
    tiles.reserve(templates.size());
    for (std::size_t i = 0; i < templates.size(); ++i)
        tiles.push_back({keys[qsizetype(i)], templates[i].id, templates[i].title,
                         masked ? dashboard::mask() : cnyText(templates[i].amount)});
    delegate_.layOut(tiles);
    strip_->setVisible(!tiles.empty());
    if (tiles == tiles_) return;  // the strip keeps its place
    tiles_ = std::move(tiles);
    const QSize size = TemplateTileDelegate::stripSize(tiles_);
    list_->setFixedSize(size);
    strip_->setFixedHeight(size.height());
    list_->setRows(tiles_.empty() ? QStringList() : QStringList{TemplateTileDelegate::kRow});
    list_->updateRow(TemplateTileDelegate::kRow);
}
