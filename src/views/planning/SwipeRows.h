#pragma once

#include <QWidget>
#include <functional>

#include "components/SwipeGesture.h"

class QAbstractScrollArea;
class SwipeCell;

// The wish list's row gestures, by the same rules as the operations list
// (SwipeGesture): one trailing destructive action per row, a full swipe runs
// it, vertical drags scroll the page, a drag is never a tap (a drag that
// starts on a row's button does not press it) and one row is open at a time.
class SwipeRows : public QObject {
    Q_OBJECT
public:
    SwipeRows(QString actionTitle, QString actionSymbol, QObject* parent = nullptr);

    // A cell for `content`; `action` runs the trailing action for the row.
    SwipeCell* wrap(QWidget* content, const QString& key, std::function<void()> action);
    SwipeGesture& gesture() { return gesture_; }
    const QString& actionTitle() const { return title_; }
    const QString& actionSymbol() const { return symbol_; }

private:
    friend class SwipeCell;
    SwipeCell* cell(const QString& key) const;
    void refresh(const QString& key) const;

    QString title_;
    QString symbol_;
    SwipeGesture gesture_{0, 1};
    QList<SwipeCell*> cells_;
};

// A row that slides left over its red trailing action.
class SwipeCell : public QWidget {
    Q_OBJECT
public:
    QWidget* content() const { return content_; }
    int offset() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class SwipeRows;
    SwipeCell(SwipeRows& rows, QWidget* content, const QString& key, std::function<void()> action);
    void place();
    bool press(const QPoint& pos);
    bool moveTo(const QPoint& pos, QWidget* pressed);
    bool release(const QPoint& pos);
    void runAction();
    QAbstractScrollArea* scrollArea() const;

    SwipeRows& rows_;
    QWidget* content_;
    QString key_;
    std::function<void()> action_;
    int scrollStart_ = 0;
};
