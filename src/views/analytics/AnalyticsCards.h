#pragma once

#include <QWidget>
#include <vector>

#include "components/AdaptiveGridLayout.h"
#include "components/Card.h"
#include "components/MoneyCard.h"
#include "views/analytics/AnalyticsFigures.h"

class QVBoxLayout;
class TextLabel;

// The text parts of the analytics screen. Each keeps its widgets and only
// changes their texts when it is drawn again; the category list keeps a row
// per category it has shown and builds or drops rows only as the count moves.

// "Доходы месяца" and "Расходы месяца" side by side.
class SummaryCards : public QWidget {
    Q_OBJECT
public:
    explicit SummaryCards(QWidget* parent = nullptr);
    void draw(const AnalyticsFigures& figures);
    TextLabel* incomeLabel() const { return income_; }
    TextLabel* expenseLabel() const { return expense_; }

private:
    TextLabel* income_;
    TextLabel* expense_;
};

// One insight tile: its symbol, a one-line value that shrinks to fit, a caption.
class InsightTile : public Card {
    Q_OBJECT
public:
    InsightTile(const QString& title, const QString& icon, ColorRole color, QWidget* parent = nullptr);
    void setValue(const QString& value);
    void setColor(ColorRole color);
    QString title() const;
    TextLabel* valueLabel() const { return value_; }
    ColorRole color() const { return color_; }

private:
    class SymbolView* symbol_;
    TextLabel* value_;
    TextLabel* title_;
    ColorRole color_;
};

InsightTile* insight(const QString& title, const QString& value, const QString& icon, ColorRole color);

// The six tiles over adaptive columns of at least 145 points.
class InsightsGrid : public AdaptiveGrid {
    Q_OBJECT
public:
    enum Tile { savingsRate, averagePerDay, projection, safeToday, operations, topCategory, tileCount };
    explicit InsightsGrid(QWidget* parent = nullptr);
    void draw(const AnalyticsFigures& figures);
    InsightTile* tile(Tile which) const { return tiles_[which]; }

private:
    InsightTile* tiles_[tileCount];
};

// A month comparison row: title over "Было …" on the leading side, the
// current total over the difference on the trailing side.
class ComparisonRow : public QWidget {
    Q_OBJECT
public:
    ComparisonRow(const QString& title, ColorRole color, QWidget* parent = nullptr);
    void draw(const Decimal& current, const Decimal& previous);
    TextLabel* previousLabel() const { return previous_; }
    TextLabel* currentLabel() const { return current_; }
    TextLabel* differenceLabel() const { return difference_; }

private:
    TextLabel* previous_;
    TextLabel* current_;
    TextLabel* difference_;
};

ComparisonRow* comparisonRow(const QString& title, const Decimal& current, const Decimal& previous,
                             ColorRole color);

// "Сравнение с прошлым месяцем".
class ComparisonCard : public MoneyCard {
    Q_OBJECT
public:
    explicit ComparisonCard(QWidget* parent = nullptr);
    void draw(const AnalyticsFigures& figures);
    ComparisonRow* incomeRow() const { return income_; }
    ComparisonRow* expenseRow() const { return expense_; }
    // Shown only while there is a largest purchase this month.
    QWidget* largestPurchase() const { return largest_; }
    TextLabel* largestPurchaseLabel() const { return largestValue_; }

private:
    ComparisonRow* income_;
    ComparisonRow* expense_;
    QWidget* largestDivider_;
    QWidget* largest_;
    TextLabel* largestValue_;
};

// "Расходы по категориям": every category of the month, or the empty text.
class CategoriesCard : public MoneyCard {
    Q_OBJECT
public:
    explicit CategoriesCard(QWidget* parent = nullptr);
    void draw(const std::vector<CategoryAmount>& categories);
    TextLabel* emptyLabel() const { return empty_; }
    int rowCount() const;

private:
    // A category's row and the divider above it (none for the first).
    struct Row {
        QWidget* divider = nullptr;
        QWidget* row = nullptr;
        TextLabel* name = nullptr;
        TextLabel* amount = nullptr;
    };
    Row addRow(bool withDivider);

    TextLabel* empty_;
    QWidget* list_;
    QVBoxLayout* rows_;
    std::vector<Row> shown_;
};
