#pragma once

#include "components/Card.h"

class SymbolLabel;
class TextLabel;

// The titled card of the ledger screens: a caption (symbol and title, in
// subheadline semibold, secondary colour) above any content, on the card
// background, spanning the full width with everything at the leading edge.
//
//   auto* card = new MoneyCard("Доход сегодня", "arrow.down.left", valueLabel);
//   card->addWidget(moreContent);   // further content below, 12 apart
class MoneyCard : public Card {
    Q_OBJECT
public:
    MoneyCard(const QString& title, const QString& systemImage, QWidget* content = nullptr,
              QWidget* parent = nullptr);

    // A card whose content is one text (body style unless given).
    static MoneyCard* withText(const QString& title, const QString& systemImage, const QString& text,
                               TextStyle style = TextStyle::Body, QWidget* parent = nullptr);

    QString title() const;
    QString systemImage() const;
    SymbolLabel* caption() const { return caption_; }

    // The first content widget (null when none); setContent replaces every content widget.
    QWidget* content() const;
    void setContent(QWidget* content);
    // The text label of a card made by withText().
    TextLabel* textLabel() const;

private:
    SymbolLabel* caption_;
};
