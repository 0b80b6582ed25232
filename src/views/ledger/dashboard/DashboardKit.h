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
// A card's headline, in the size of every card header: beside the header's
// button it wraps between its words rather than shrink or push the card wider.
SymbolLabel* headerLabel(const QString& title, const QString& symbol);
// The frame of the goals, templates, tasks and recent cards.
void frameCard(Card* card, const QString& objectName, int spacing);
QVBoxLayout* listLayout(QWidget* holder, int spacing);

}  // namespace dashboard
