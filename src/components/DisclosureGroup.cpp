#include "components/DisclosureGroup.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "components/SymbolView.h"
#include "components/TextLabel.h"
#include "components/TileButton.h"

DisclosureGroup::DisclosureGroup(const QString& title, QWidget* content, QWidget* parent)
    : QWidget(parent), content_(content) {
    column_ = new QVBoxLayout(this);
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(10);

    auto* header = new TileButton(ColorRole::SecondaryGroupedBackground, 0, 0, this);
    header->setObjectName(QStringLiteral("disclosureHeader"));
    header->setAccessibleName(title);
    header->setCursor(Qt::PointingHandCursor);
    header->setFocusPolicy(Qt::TabFocus);  // a tap opens it without leaving a focus frame
    auto* line = new QHBoxLayout(header);
    line->setContentsMargins(0, 0, 0, 0);
    title_ = new TextLabel(title, TextStyle::Subheadline, ColorRole::Accent, header);
    title_->setWordWrap(true);
    line->addWidget(title_, 1);
    chevron_ = new SymbolView(QStringLiteral("chevron.right"), 14, header);
    line->addWidget(chevron_);
    header->makeChildrenTransparent();
    header_ = header;
    column_->addWidget(header_);
    column_->addWidget(content_);
    content_->setVisible(false);

    connect(header_, &QAbstractButton::clicked, this, [this] { setExpanded(!expanded_); });
}

void DisclosureGroup::setExpanded(bool expanded) {
    if (expanded == expanded_) return;
    expanded_ = expanded;
    content_->setVisible(expanded);
    chevron_->setSymbol(expanded ? QStringLiteral("chevron.down") : QStringLiteral("chevron.right"));
    emit expandedChanged(expanded);
}

void DisclosureGroup::setTextStyle(TextStyle style, int weight) { title_->setTextStyle(style, weight); }

void DisclosureGroup::setContentSpacing(int spacing) { column_->setSpacing(spacing); }
