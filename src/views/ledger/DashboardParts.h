#pragma once

#include <QWidget>

#include "components/Theme.h"
#include "components/TileButton.h"

class QLayout;
class QLayoutItem;
class TextLabel;

// A short text on a capsule (the currency badge).
class CapsuleLabel : public QWidget {
    Q_OBJECT
public:
    explicit CapsuleLabel(const QColor& fill, QWidget* parent = nullptr);
    TextLabel* label() const { return label_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_;
    TextLabel* label_;
};

// Removes every item of a list layout; its widgets are hidden at once and
// deleted from the event loop (a row may be deleted by its own button's click).
void clearLayout(QLayout* layout);
void discardItem(QLayoutItem* item);
