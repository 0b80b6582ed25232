#include "views/ledger/dashboard/DashboardKit.h"

#include <QVBoxLayout>

#include "components/Button.h"
#include "components/Card.h"
#include "components/MoneyCard.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "components/Theme.h"
#include "services/Preferences.h"

namespace dashboard {

QString mask() { return QStringLiteral("••••••"); }

bool hideBalances() { return Preferences::standard().boolean(QStringLiteral("hideBalances"), false); }

QColor whiteAt(qreal opacity) {
    QColor c(Qt::white);
    c.setAlphaF(float(opacity));
    return c;
}

QColor tealAt(qreal opacity) {
    QColor c = Theme::current().color(ColorRole::Teal);
    c.setAlphaF(float(opacity));
    return c;
}

Button* headerAddButton(const QString& objectName) {
    auto* add =
        new Button(QStringLiteral("Добавить"), Button::Style::Plain, QStringLiteral("plus.circle.fill"));
    add->setObjectName(objectName);
    add->setTextStyle(TextStyle::Subheadline, QFont::DemiBold);
    add->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);  // the title beside it shrinks first
    return add;
}

SymbolLabel* headerLabel(const QString& title, const QString& symbol) {
    auto* label = new SymbolLabel(title, symbol, TextStyle::Headline);
    label->titleLabel()->setWordWrap(true);
    return label;
}

void frameCard(Card* card, const QString& objectName, int spacing) {
    card->setObjectName(objectName);
    card->setSpacing(spacing);
}

QVBoxLayout* listLayout(QWidget* holder, int spacing) {
    auto* list = new QVBoxLayout(holder);
    list->setContentsMargins(0, 0, 0, 0);
    list->setSpacing(spacing);
    return list;
}

}  // namespace dashboard
