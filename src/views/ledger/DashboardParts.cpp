#include "views/ledger/DashboardParts.h"

#include <QHBoxLayout>
#include <QLayout>
#include <QPainter>
#include <QPainterPath>

#include "components/TextLabel.h"

CapsuleLabel::CapsuleLabel(const QColor& fill, QWidget* parent) : QWidget(parent), fill_(fill) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 6, 10, 6);
    label_ = new TextLabel;
    row->addWidget(label_);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
}

void CapsuleLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal r = height() / 2.0;
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), r, r);
    p.fillPath(path, fill_);
}

void discardItem(QLayoutItem* item) {
    if (!item) return;
    if (QWidget* w = item->widget()) {
        w->hide();
        w->deleteLater();
    } else if (QLayout* inner = item->layout()) {
        clearLayout(inner);
    }
    delete item;
}

void clearLayout(QLayout* layout) {
    while (QLayoutItem* item = layout->takeAt(0)) discardItem(item);
}
