#pragma once

#include <QLayout>
#include <QList>
#include <QWidget>

// The platform's grid of adaptive columns: as many columns of at least
// `minimumColumnWidth` as fit, sharing the width equally, `spacing` apart
// both ways; or a fixed number of columns. Rows are as tall as their tallest
// item; items fill their cell's width.
class AdaptiveGridLayout : public QLayout {
    Q_OBJECT
public:
    explicit AdaptiveGridLayout(int minimumColumnWidth, int spacing = 12, QWidget* parent = nullptr);
    ~AdaptiveGridLayout() override;

    // 0 returns to adaptive columns.
    void setFixedColumns(int columns);
    int minimumColumnWidth() const { return minimum_; }
    int columnCount(int width) const;

    void addItem(QLayoutItem* item) override;
    int count() const override { return items_.size(); }
    QLayoutItem* itemAt(int index) const override { return items_.value(index); }
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    int doLayout(const QRect& rect, bool apply) const;

    QList<QLayoutItem*> items_;
    int minimum_;
    int fixedColumns_ = 0;
};

// A widget holding an AdaptiveGridLayout.
class AdaptiveGrid : public QWidget {
    Q_OBJECT
public:
    explicit AdaptiveGrid(int minimumColumnWidth, int spacing = 12, QWidget* parent = nullptr);
    void addWidget(QWidget* widget) { grid_->addWidget(widget); }
    AdaptiveGridLayout* grid() const { return grid_; }

private:
    AdaptiveGridLayout* grid_;
};
