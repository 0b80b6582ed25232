#pragma once

#include <QAbstractButton>
#include <QScrollArea>

#include "components/Theme.h"

class QHBoxLayout;
class QWheelEvent;

// A filter chip: a symbol and a title on a capsule, filled one way when
// selected and another way when not. The title is drawn as plain text (an
// "&" in a nickname is no shortcut marker).
//
//   auto* chip = new Chip("Все", "person.2.fill");
//   chip->setColors({ColorRole::Black, ColorRole::White}, {ColorRole::SecondaryGroupedBackground,
//   ColorRole::Label}); chip->setSelected(true);
class Chip : public QAbstractButton {
    Q_OBJECT
public:
    struct Colors {
        QColor fill;
        QColor text;
    };

    Chip(const QString& title, const QString& symbol, QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const { return title_; }
    void setSelected(bool selected);
    bool isSelected() const { return selected_; }
    void setTextStyle(TextStyle style, int weight);
    void setPadding(int horizontal, int vertical);
    // Fixed colours; invalid ones fall back to the theme's (label on the card colour).
    void setColors(const Colors& selected, const Colors& normal);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Colors current() const;

    QString title_;
    QString symbol_;
    bool selected_ = false;
    TextStyle style_ = TextStyle::Subheadline;
    int weight_ = QFont::Bold;
    int paddingX_ = 14;
    int paddingY_ = 10;
    Colors selectedColors_;
    Colors normalColors_;
};

// Makes a sideways strip scroll as a desktop expects: an upright wheel moves
// it too (until its end, then the page goes on scrolling), and a mouse dragged
// across it moves it; a drag presses none of the controls it starts on.
// Belongs to the strip.
//
//   SidewaysScroller::attach(strip);
class SidewaysScroller : public QObject {
    Q_OBJECT
public:
    static SidewaysScroller* attach(QScrollArea* strip);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit SidewaysScroller(QScrollArea* strip);
    void watch(QObject* object);
    bool wheel(QWheelEvent* event);

    QScrollArea* strip_;
    QPoint pressedAt_;
    int pressedValue_ = 0;
    bool pressed_ = false;
    bool dragging_ = false;
};

// A row of chips (or other small controls) that scrolls sideways without a
// scroll bar when it is wider than the page.
class ChipRow : public QScrollArea {
    Q_OBJECT
public:
    explicit ChipRow(int spacing, QWidget* parent = nullptr);

    void addWidget(QWidget* widget);
    // Removes and deletes every item.
    void clear();
    QHBoxLayout* row() const { return row_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    QHBoxLayout* row_;
};
