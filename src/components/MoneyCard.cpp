#include "components/MoneyCard.h"

#include "components/TextLabel.h"

#include <QVBoxLayout>

MoneyCard::MoneyCard(const QString& title, const QString& systemImage, QWidget* content, QWidget* parent)
    : Card(parent) {
    setObjectName(QStringLiteral("moneyCard"));
    caption_ = new SymbolLabel(title, systemImage, TextStyle::Subheadline, ColorRole::SecondaryLabel, this);
    caption_->setObjectName(QStringLiteral("cardCaption"));
    caption_->setTextStyle(TextStyle::Subheadline, QFont::DemiBold);
    caption_->titleLabel()->setWordWrap(true);
    stack()->addWidget(caption_);
    if (content) stack()->addWidget(content);
    setAccessibleName(title);
}

MoneyCard* MoneyCard::withText(const QString& title, const QString& systemImage, const QString& text,
                               TextStyle style, QWidget* parent) {
    auto* label = new TextLabel(text, style);
    label->setObjectName(QStringLiteral("cardText"));
    label->setWordWrap(true);
    return new MoneyCard(title, systemImage, label, parent);
}

QString MoneyCard::title() const {
    return caption_->text();
}

QString MoneyCard::systemImage() const {
    return caption_->symbol();
}

QWidget* MoneyCard::content() const {
    return stack()->count() > 1 ? stack()->itemAt(1)->widget() : nullptr;
}

void MoneyCard::setContent(QWidget* content) {
    while (stack()->count() > 1) {
        QLayoutItem* item = stack()->takeAt(1);
        if (QWidget* w = item->widget()) w->deleteLater();
        delete item;
    }
    if (content) stack()->addWidget(content);
}

TextLabel* MoneyCard::textLabel() const {
    return qobject_cast<TextLabel*>(content());
}
