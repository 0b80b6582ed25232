#pragma once

#include <QList>
#include <QString>
#include <QUuid>
#include <QWidget>
#include <functional>

class Button;
class ContentUnavailableView;
class PageBody;

// One finished calculation.
struct CalculationHistoryItem {
    QUuid id;
    QString expression;  // the display as "=" was pressed, in the keypad's symbols
    QString result;      // the formatted result
};

// The calculator's "История" section: a header with "Очистить" while there
// are rows, then the rows newest first (or a placeholder). A tapped row is
// handed to onSelect. The rows are built when the section is shown, so a
// calculation typed meanwhile costs nothing here.
class CalculatorHistoryView : public QWidget {
    Q_OBJECT
public:
    using OnSelect = std::function<void(const CalculationHistoryItem&)>;
    using OnClear = std::function<void()>;

    CalculatorHistoryView(QList<CalculationHistoryItem> items, OnSelect onSelect, OnClear onClear,
                          QWidget* parent = nullptr);

    void setItems(QList<CalculationHistoryItem> items);
    const QList<CalculationHistoryItem>& items() const { return items_; }

    Button* clearButton() const { return clear_; }
    ContentUnavailableView* placeholder() const { return placeholder_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void rebuild();
    QWidget* row(const CalculationHistoryItem& item);

    QList<CalculationHistoryItem> items_;
    OnSelect onSelect_;
    OnClear onClear_;
    bool stale_ = true;
    Button* clear_;
    ContentUnavailableView* placeholder_;
    QWidget* emptyState_;
    PageBody* list_;
};
