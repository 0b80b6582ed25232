#include "views/calculator/CalculatorHistoryView.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/ContentUnavailableView.h"
#include "components/PageBody.h"
#include "components/SymbolView.h"
#include "components/Symbols.h"
#include "components/TextLabel.h"
#include "components/TileButton.h"
#include "views/calculator/CalculatorStyle.h"

namespace style = calculator_style;

CalculatorHistoryView::CalculatorHistoryView(QList<CalculationHistoryItem> items, OnSelect onSelect,
                                             OnClear onClear, QWidget* parent)
    : QWidget(parent),
      items_(std::move(items)),
      onSelect_(std::move(onSelect)),
      onClear_(std::move(onClear)) {
    setObjectName(QStringLiteral("calculatorHistory"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(style::sectionSpacing);

    auto* header = new QHBoxLayout;
    header->setSpacing(style::historyHeaderSpacing);
    auto* title = new SymbolLabel(QStringLiteral("Последние вычисления"),
                                  QStringLiteral("clock.arrow.circlepath"), TextStyle::Headline);
    title->setTextStyle(TextStyle::Headline, QFont::DemiBold);
    header->addWidget(title, 1);
    clear_ = new Button(QStringLiteral("Очистить"), Button::Style::Plain);
    clear_->setObjectName(QStringLiteral("historyClear"));
    clear_->setRole(Button::Role::Destructive);
    clear_->setTextStyle(TextStyle::Subheadline, QFont::DemiBold);
    connect(clear_, &QAbstractButton::clicked, this, [this] { onClear_(); });
    header->addWidget(clear_);
    column->addLayout(header);

    placeholder_ = new ContentUnavailableView(
        QStringLiteral("История пока пуста"), QStringLiteral("clock"),
        QStringLiteral("Завершённые вычисления появятся здесь после нажатия «=»."));
    // Centred in the height the list would take.
    emptyState_ = new QWidget;
    auto* centred = new QVBoxLayout(emptyState_);
    centred->setContentsMargins(0, 0, 0, 0);
    centred->addStretch(1);
    centred->addWidget(placeholder_);
    centred->addStretch(1);
    column->addWidget(emptyState_, 1);

    list_ = new PageBody;
    list_->setObjectName(QStringLiteral("historyList"));
    list_->setPadding(0);
    list_->setSpacing(style::historyRowSpacing);
    column->addWidget(list_, 1);
    rebuild();
}

void CalculatorHistoryView::setItems(QList<CalculationHistoryItem> items) {
    items_ = std::move(items);
    stale_ = true;
    if (isVisible()) rebuild();
}

void CalculatorHistoryView::showEvent(QShowEvent* event) {
    if (stale_) rebuild();
    QWidget::showEvent(event);
}

void CalculatorHistoryView::rebuild() {
    stale_ = false;
    const bool empty = items_.isEmpty();
    clear_->setVisible(!empty);
    emptyState_->setVisible(empty);
    list_->setVisible(!empty);
    list_->clear();
    for (const CalculationHistoryItem& item : items_) list_->addWidget(row(item));
}

QWidget* CalculatorHistoryView::row(const CalculationHistoryItem& item) {
    auto* button = new TileButton(ColorRole::SecondaryGroupedBackground, 1.0, style::historyRowRadius);
    button->setObjectName(QStringLiteral("historyRow"));
    button->setAccessibleName(item.expression + QStringLiteral(" равно ") + item.result);
    button->setAccessibleDescription(QStringLiteral("Перенести результат в калькулятор"));
    auto* line = new QHBoxLayout(button);
    line->setContentsMargins(style::historyRowPadding, style::historyRowPadding, style::historyRowPadding,
                             style::historyRowPadding);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(style::historyRowLineSpacing);
    auto* expression = new TextLabel(item.expression, TextStyle::Subheadline, ColorRole::SecondaryLabel);
    expression->setObjectName(QStringLiteral("historyExpression"));
    expression->setMonospaced(true);
    expression->setElideMode(Qt::ElideLeft);
    auto* result = new TextLabel(QStringLiteral("= ") + item.result, TextStyle::Title3);
    result->setObjectName(QStringLiteral("historyResult"));
    result->setTextStyle(TextStyle::Title3, QFont::Bold);
    result->setElideMode(Qt::ElideRight);
    texts->addWidget(expression);
    texts->addWidget(result);
    line->addLayout(texts, 1);
    auto* arrow = new SymbolView(QStringLiteral("arrow.up.left"),
                                 Symbols::sizeForText(Theme::pointSize(TextStyle::Body)));
    arrow->setTint(ColorRole::Teal);
    line->addWidget(arrow, 0, Qt::AlignVCenter);
    button->makeChildrenTransparent();
    connect(button, &QAbstractButton::clicked, this, [this, item] { onSelect_(item); });
    return button;
}
