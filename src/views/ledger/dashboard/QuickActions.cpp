#include "views/ledger/dashboard/QuickActions.h"

#include <QHBoxLayout>
#include <QLabel>

#include "components/SymbolView.h"
#include "components/TileButton.h"
#include "views/ledger/dashboard/DashboardStyle.h"

namespace style = dashboard_style;

QuickActions::QuickActions(std::function<void(TransactionKind)> addTransaction, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("quickActions"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(style::gridSpacing);
    const QColor white(Qt::white);
    const auto makeButton = [&](const QString& text, const QString& symbol, ColorRole tint,
                                TransactionKind kind, const QString& name) {
        // A prominent button drawn here: the kit's large button pads its label
        // too generously for both labels to fit side by side on a phone.
        auto* button = new TileButton(tint, 1.0, style::tileRadius);
        button->setObjectName(name);
        button->setAccessibleName(text);
        button->setText(text);
        button->setFixedHeight(style::quickButtonHeight);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        auto* line = new QHBoxLayout(button);
        line->setContentsMargins(8, 0, 8, 0);
        line->setSpacing(5);
        line->addStretch(1);
        auto* icon = new SymbolView(symbol, 17);
        icon->setTint(white);
        line->addWidget(icon);
        auto* label = new QLabel(text);
        label->setTextFormat(Qt::PlainText);
        QFont font = Theme::font(TextStyle::Subheadline, QFont::DemiBold);
        font.setStretch(QFont::SemiCondensed);
        label->setFont(font);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, white);
        label->setPalette(palette);
        line->addWidget(label);
        line->addStretch(1);
        button->makeChildrenTransparent();
        connect(button, &QAbstractButton::clicked, this, [addTransaction, kind] {
            if (addTransaction) addTransaction(kind);
        });
        row->addWidget(button, 1);
    };
    makeButton(QStringLiteral("Добавить доход"), QStringLiteral("plus.circle.fill"), ColorRole::Green,
               TransactionKind::income, QStringLiteral("addIncomeButton"));
    makeButton(QStringLiteral("Добавить расход"), QStringLiteral("minus.circle.fill"), ColorRole::Orange,
               TransactionKind::expense, QStringLiteral("addExpenseButton"));
}
