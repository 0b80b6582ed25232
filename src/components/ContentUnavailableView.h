#pragma once

#include <QWidget>

class SymbolView;
class TextLabel;

// The platform's placeholder for missing content: a large symbol, a title and
// an optional description, centred.
class ContentUnavailableView : public QWidget {
    Q_OBJECT
public:
    ContentUnavailableView(const QString& title, const QString& symbol, const QString& description = {},
                           QWidget* parent = nullptr);

    TextLabel* titleLabel() const { return title_; }
    TextLabel* descriptionLabel() const { return description_; }
    SymbolView* symbolView() const { return symbol_; }

private:
    SymbolView* symbol_;
    TextLabel* title_;
    TextLabel* description_;
};
