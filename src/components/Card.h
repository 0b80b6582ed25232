#pragma once

#include "components/Theme.h"

#include <QWidget>
#include <optional>

class QVBoxLayout;

// A rounded panel that the screens draw their content on: by default the
// card look of every screen (padding 18, corner radius 22, the secondary
// grouped background) with its children stacked 12 apart.
class Card : public QWidget {
    Q_OBJECT
public:
    explicit Card(QWidget* parent = nullptr);

    QVBoxLayout* stack() const { return stack_; }
    void addWidget(QWidget* widget, int stretch = 0, Qt::Alignment alignment = {});

    void setPadding(int padding);
    void setPadding(int horizontal, int vertical);
    void setSpacing(int spacing);
    void setRadius(int radius);
    int radius() const { return radius_; }

    void setBackground(ColorRole role);
    void setBackground(const QColor& color);
    // A linear fill from the top-leading to the bottom-trailing corner.
    void setGradient(const QColor& from, const QColor& to);
    QColor background() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* stack_;
    int radius_ = Spacing::cardRadius;
    ColorRole role_ = ColorRole::SecondaryGroupedBackground;
    std::optional<QColor> color_;
    std::optional<std::pair<QColor, QColor>> gradient_;
};
