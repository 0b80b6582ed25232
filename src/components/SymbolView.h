#pragma once

#include "components/Theme.h"

#include <QWidget>
#include <optional>

// One system symbol, tinted, centred in its box; optionally on a filled circle
// (the transaction row's kind icon).
class SymbolView : public QWidget {
    Q_OBJECT
public:
    explicit SymbolView(const QString& name = {}, int size = 20, QWidget* parent = nullptr);

    void setSymbol(const QString& name);
    QString symbol() const { return name_; }
    void setSymbolSize(int size);
    int symbolSize() const { return size_; }

    // Tint by role (follows the theme) or by a fixed colour.
    void setTint(ColorRole role);
    void setTint(const QColor& color);
    QColor tint() const;

    // A disc behind the symbol filling the widget's box; invalid colour removes it.
    void setCircleBackground(const QColor& color);
    QColor circleBackground() const { return circle_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString name_;
    int size_;
    ColorRole role_ = ColorRole::Accent;
    std::optional<QColor> color_;
    QColor circle_;
};
