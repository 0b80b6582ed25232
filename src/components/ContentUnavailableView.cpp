#include "components/ContentUnavailableView.h"

#include "components/SymbolView.h"
#include "components/TextLabel.h"

#include <QVBoxLayout>

ContentUnavailableView::ContentUnavailableView(const QString& title, const QString& symbol,
                                               const QString& description, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("contentUnavailable"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 24, 16, 24);
    column->setSpacing(8);
    symbol_ = new SymbolView(symbol, 48, this);
    symbol_->setTint(ColorRole::SecondaryLabel);
    title_ = new TextLabel(title, TextStyle::Title3, ColorRole::Label, this);
    title_->setObjectName(QStringLiteral("placeholderTitle"));
    title_->setTextStyle(TextStyle::Title3, QFont::Bold);
    title_->setAlignment(Qt::AlignHCenter);
    title_->setWordWrap(true);
    description_ = new TextLabel(description, TextStyle::Callout, ColorRole::SecondaryLabel, this);
    description_->setObjectName(QStringLiteral("placeholderDescription"));
    description_->setAlignment(Qt::AlignHCenter);
    description_->setWordWrap(true);
    description_->setVisible(!description.isEmpty());
    column->addWidget(symbol_, 0, Qt::AlignHCenter);
    column->addSpacing(4);
    column->addWidget(title_);
    column->addWidget(description_);
    setAccessibleName(description.isEmpty() ? title : title + QStringLiteral(", ") + description);
}
