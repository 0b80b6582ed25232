#pragma once

#include <QColor>
#include <QString>

class Button;
class Card;
class QVBoxLayout;
class QWidget;
class SymbolLabel;

// What the dashboard's cards share.
namespace dashboard {

// Six bullets, shown instead of the masked amounts while "hideBalances" is on.
QString mask();
bool hideBalances();

QColor whiteAt(qreal opacity);
QColor tealAt(qreal opacity);

// The header button of the goals and tasks cards.
Button* headerAddButton(const QString& objectName);
// A card's headline, shrunk to fit beside the header's button rather than
// wrapped or pushing the card wider.
SymbolLabel* headerLabel(const QString& title, const QString& symbol);
// The frame of the goals, templates, tasks and recent cards.
void frameCard(Card* card, const QString& objectName, int spacing);
QVBoxLayout* listLayout(QWidget* holder, int spacing);

}  // namespace dashboard
