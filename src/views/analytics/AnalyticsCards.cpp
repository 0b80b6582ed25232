#include "views/analytics/AnalyticsCards.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "components/SymbolView.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "services/MoneyText.h"
#include "store/MoneyMath.h"
#include "views/analytics/AnalyticsStyle.h"
#include "views/ledger/DashboardParts.h"

using namespace analytics_style;

namespace {

// Money on one line that shrinks before it would be cut.
TextLabel* amountLabel(TextStyle style, ColorRole color, int weight = -1) {
    auto* label = new TextLabel({}, style, color);
    if (weight >= 0) label->setTextStyle(style, weight);
    label->setMinimumScaleFactor(TextFit::kMinimumScale);
    return label;
}

MoneyCard* summaryCard(const QString& title, const QString& symbol, ColorRole color, TextLabel*& value,
                       const QString& name) {
    value = amountLabel(TextStyle::Headline, color);
    value->setObjectName(name);
    auto* card = new MoneyCard(title, symbol, value);
    // The title wraps between words rather than pushing the two cards apart.
    card->caption()->titleLabel()->setWordWrap(true);
    return card;
}

QVBoxLayout* column(int spacing) {
    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

}  // namespace

SummaryCards::SummaryCards(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("summaryCards"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(summarySpacing);
    row->addWidget(summaryCard(QStringLiteral("Доходы месяца"), QStringLiteral("arrow.down.left"),
                               ColorRole::Green, income_, QStringLiteral("monthIncome")),
                   1);
    row->addWidget(summaryCard(QStringLiteral("Расходы месяца"), QStringLiteral("arrow.up.right"),
                               ColorRole::Orange, expense_, QStringLiteral("monthExpense")),
                   1);
}

void SummaryCards::draw(const AnalyticsFigures& figures) {
    income_->setText(cnyText(figures.month.income));
    expense_->setText(cnyText(figures.month.expense));
}

InsightTile::InsightTile(const QString& title, const QString& icon, ColorRole color, QWidget* parent)
    : Card(parent), color_(color) {
    setPadding(Spacing::tilePadding);
    setRadius(Spacing::tileRadius);
    setSpacing(tileSpacing);
    symbol_ = new SymbolView(icon, tileSymbolSize);
    symbol_->setTint(color);
    addWidget(symbol_, 0, Qt::AlignLeft);
    value_ = new TextLabel({}, TextStyle::Headline);
    value_->setMinimumScaleFactor(tileValueMinimumScale);
    addWidget(value_);
    title_ = new TextLabel(title, TextStyle::Caption, ColorRole::SecondaryLabel);
    title_->setWordWrap(true);
    addWidget(title_);
    setAccessibleName(title);
}

void InsightTile::setValue(const QString& value) {
    value_->setText(value);
    // One accessibility element that reads both texts.
    setAccessibleName(title_->text() + QStringLiteral(", ") + value);
}

void InsightTile::setColor(ColorRole color) {
    color_ = color;
    symbol_->setTint(color);
}

QString InsightTile::title() const { return title_->text(); }

InsightTile* insight(const QString& title, const QString& value, const QString& icon, ColorRole color) {
    auto* tile = new InsightTile(title, icon, color);
    tile->setValue(value);
    return tile;
}

InsightsGrid::InsightsGrid(QWidget* parent) : AdaptiveGrid(tileMinimumWidth, gridSpacing, parent) {
    setObjectName(QStringLiteral("insightsGrid"));
    const struct {
        const char* title;
        const char* icon;
        ColorRole color;
        const char* name;
    } tiles[tileCount] = {
        {"Норма сбережений", "percent", ColorRole::Orange, "insightSavingsRate"},
        {"Среднее в день", "calendar", ColorRole::Blue, "insightAverage"},
        {"Прогноз месяца", "scope", ColorRole::Purple, "insightProjection"},
        {"Можно сегодня", "shield.checkered", ColorRole::Teal, "insightSafeToday"},
        {"Операций", "number", ColorRole::Indigo, "insightOperations"},
        {"Топ-категория", "crown.fill", ColorRole::Yellow, "insightTopCategory"},
    };
    for (int i = 0; i < tileCount; ++i) {
        tiles_[i] =
            insight(QString::fromUtf8(tiles[i].title), {}, QString::fromUtf8(tiles[i].icon), tiles[i].color);
        tiles_[i]->setObjectName(QString::fromUtf8(tiles[i].name));
        addWidget(tiles_[i]);
    }
    // An amount is shown whole: it shrinks as far as money does anywhere
    // rather than lose its last digits at the tile's usual smallest size.
    for (const Tile money : {averagePerDay, projection, safeToday})
        tiles_[money]->valueLabel()->setMinimumScaleFactor(TextFit::kMinimumScale);
}

void InsightsGrid::draw(const AnalyticsFigures& f) {
    constexpr qint64 kGoodRate = 20;
    tiles_[savingsRate]->setValue(QString::number(f.savingsRate) + QLatin1Char('%'));
    tiles_[savingsRate]->setColor(f.savingsRate >= kGoodRate ? ColorRole::Green : ColorRole::Orange);
    tiles_[averagePerDay]->setValue(cnyText(f.averagePerDay));
    tiles_[projection]->setValue(cnyText(f.projectedMonthExpense));
    tiles_[safeToday]->setValue(cnyText(f.safeToSpendToday));
    tiles_[operations]->setValue(QString::number(f.monthTransactionCount));
    tiles_[topCategory]->setValue(f.categories.empty() ? QStringLiteral("—") : f.categories.front().name);
}

ComparisonRow::ComparisonRow(const QString& title, ColorRole color, QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(rowSpacing);
    QVBoxLayout* leading = column(rowTextSpacing);
    auto* name = new TextLabel(title, TextStyle::Body);
    name->setTextStyle(TextStyle::Body, QFont::DemiBold);
    leading->addWidget(name);
    previous_ = amountLabel(TextStyle::Caption, ColorRole::SecondaryLabel);
    leading->addWidget(previous_);
    row->addLayout(leading, 1);
    QVBoxLayout* trailing = column(rowTextSpacing);
    current_ = amountLabel(TextStyle::Body, color, QFont::DemiBold);
    difference_ = amountLabel(TextStyle::Caption, ColorRole::SecondaryLabel);
    for (TextLabel* label : {current_, difference_}) {
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        trailing->addWidget(label);
    }
    row->addLayout(trailing, 1);
}

void ComparisonRow::draw(const Decimal& current, const Decimal& previous) {
    previous_->setText(QStringLiteral("Было ") + cnyText(previous));
    current_->setText(cnyText(current));
    const Decimal difference = money::sub(current, previous);
    difference_->setText((difference.signum() >= 0 ? QStringLiteral("+") : QString()) + cnyText(difference));
}

ComparisonRow* comparisonRow(const QString& title, const Decimal& current, const Decimal& previous,
                             ColorRole color) {
    auto* row = new ComparisonRow(title, color);
    row->draw(current, previous);
    return row;
}

ComparisonCard::ComparisonCard(QWidget* parent)
    : MoneyCard(QStringLiteral("Сравнение с прошлым месяцем"), QStringLiteral("arrow.left.arrow.right"),
                nullptr, parent) {
    setObjectName(QStringLiteral("comparisonCard"));
    caption()->titleLabel()->setWordWrap(true);
    income_ = comparisonRow(QStringLiteral("Доходы"), {}, {}, ColorRole::Green);
    income_->setObjectName(QStringLiteral("incomeComparison"));
    expense_ = comparisonRow(QStringLiteral("Расходы"), {}, {}, ColorRole::Orange);
    expense_->setObjectName(QStringLiteral("expenseComparison"));
    largestDivider_ = new Divider;
    largest_ = new QWidget;
    largest_->setObjectName(QStringLiteral("largestPurchase"));
    // The caption over the purchase: beside it, both squeezed (the caption
    // over three lines, the purchase shrunk to a few pixels).
    auto* line = new QVBoxLayout(largest_);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(4);
    auto* label = new TextLabel(QStringLiteral("Самая крупная покупка"));
    label->setWordWrap(true);
    line->addWidget(label);
    largestValue_ = amountLabel(TextStyle::Body, ColorRole::Label, QFont::DemiBold);
    largestValue_->setObjectName(QStringLiteral("largestPurchaseValue"));
    line->addWidget(largestValue_);
    for (QWidget* part :
         std::initializer_list<QWidget*>{income_, new Divider, expense_, largestDivider_, largest_})
        addWidget(part);
}

void ComparisonCard::draw(const AnalyticsFigures& f) {
    income_->draw(f.month.income, f.previousMonth.income);
    expense_->draw(f.month.expense, f.previousMonth.expense);
    const bool hasLargest = f.largestExpense.has_value();
    largestDivider_->setVisible(hasLargest);
    largest_->setVisible(hasLargest);
    if (hasLargest)
        largestValue_->setText(f.largestExpense->category + QStringLiteral(" · ") +
                               cnyText(f.largestExpense->amount));
}

CategoriesCard::CategoriesCard(QWidget* parent)
    : MoneyCard(QStringLiteral("Расходы по категориям"), QStringLiteral("square.grid.2x2"), nullptr, parent) {
    setObjectName(QStringLiteral("categoriesCard"));
    empty_ = new TextLabel(QStringLiteral("В этом месяце расходов пока нет"), TextStyle::Body,
                           ColorRole::SecondaryLabel);
    empty_->setObjectName(QStringLiteral("categoriesEmpty"));
    empty_->setWordWrap(true);
    addWidget(empty_);
    list_ = new QWidget;
    rows_ = column(rowSpacing);
    list_->setLayout(rows_);
    addWidget(list_);
}

void CategoriesCard::draw(const std::vector<CategoryAmount>& categories) {
    empty_->setVisible(categories.empty());
    list_->setVisible(!categories.empty());
    // The rows already built take the new texts; only a longer list builds
    // more and a shorter one drops its last: a redraw after one expense
    // changes texts, not widgets.
    while (shown_.size() > categories.size()) {
        const Row gone = shown_.back();
        shown_.pop_back();
        if (gone.divider) delete gone.divider;
        delete gone.row;
    }
    for (std::size_t i = 0; i < categories.size(); ++i) {
        if (i == shown_.size()) shown_.push_back(addRow(i > 0));
        shown_[i].name->setText(categories[i].name);
        shown_[i].amount->setText(cnyText(categories[i].amount));
    }
}

CategoriesCard::Row CategoriesCard::addRow(bool withDivider) {
    Row made;
    if (withDivider) {
        made.divider = new Divider;
        rows_->addWidget(made.divider);
    }
    made.row = new QWidget;
    made.row->setObjectName(QStringLiteral("categoryRow"));
    auto* line = new QHBoxLayout(made.row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(rowSpacing);
    made.name = new TextLabel(QString());
    made.name->setObjectName(QStringLiteral("categoryName"));
    made.name->setWordWrap(true);
    line->addWidget(made.name, 1);
    made.amount = amountLabel(TextStyle::Body, ColorRole::Label, QFont::DemiBold);
    made.amount->setObjectName(QStringLiteral("categoryAmount"));
    made.amount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    line->addWidget(made.amount);
    rows_->addWidget(made.row);
    return made;
}

// Rows and the dividers between them alternate.
int CategoriesCard::rowCount() const { return (rows_->count() + 1) / 2; }
