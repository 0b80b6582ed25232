#include "views/ledger/dashboard/TipCard.h"

#include <QHBoxLayout>

#include "components/SymbolView.h"
#include "components/TextLabel.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"
#include "views/ledger/LedgerFigures.h"
#include "views/ledger/dashboard/DashboardKit.h"
#include "views/ledger/dashboard/DashboardStyle.h"

TipCard::TipCard(MoneyStore& store, QWidget* parent) : Card(parent), store_(store) {
    setObjectName(QStringLiteral("tipCard"));
    setRadius(dashboard_style::tipRadius);
    setPadding(dashboard_style::tipPadding);
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    auto* icon = new SymbolView(QStringLiteral("sparkles"), 20);
    icon->setTint(ColorRole::Teal);
    row->addWidget(icon, 0, Qt::AlignTop);
    text_ = new TextLabel({}, TextStyle::Subheadline);
    text_->setObjectName(QStringLiteral("tipText"));
    text_->setWordWrap(true);
    row->addWidget(text_, 1, Qt::AlignTop);
    stack()->addLayout(row);
}

void TipCard::draw() {
    const bool on = Preferences::standard().boolean(QStringLiteral("showSmartTips"), true);
    setVisible(on);
    if (!on) return;
    setBackground(dashboard::tealAt(0.09));
    const QString tip = LedgerFigures(store_).smartTip();
    text_->setText(tip);
    setAccessibleName(QStringLiteral("Совет: ") + tip);
}
