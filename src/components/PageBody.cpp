#include "components/PageBody.h"

#include "components/Theme.h"

#include <QScrollBar>
#include <QVBoxLayout>

PageBody::PageBody(QWidget* parent) : QScrollArea(parent) {
    setObjectName(QStringLiteral("pageBody"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    content_ = new QWidget;
    content_->setObjectName(QStringLiteral("pageContent"));
    stack_ = new QVBoxLayout(content_);
    stack_->setContentsMargins(Spacing::pagePadding, Spacing::pagePadding, Spacing::pagePadding,
                               Spacing::pagePadding);
    stack_->setSpacing(Spacing::pageStack);
    stack_->addStretch(1);
    setWidget(content_);
    applyTheme();
    connect(&Theme::current(), &Theme::changed, this, &PageBody::applyTheme);
}

void PageBody::applyTheme() {
    QPalette p = palette();
    p.setColor(QPalette::Window, Theme::current().color(ColorRole::GroupedBackground));
    viewport()->setPalette(p);
    viewport()->setAutoFillBackground(true);
    content_->setPalette(p);
    content_->setAutoFillBackground(true);
}

void PageBody::addWidget(QWidget* widget, int stretch, Qt::Alignment alignment) {
    stack_->insertWidget(stack_->count() - 1, widget, stretch, alignment);
}

void PageBody::addLayout(QLayout* layout) {
    stack_->insertLayout(stack_->count() - 1, layout);
}

void PageBody::addSpacing(int size) {
    stack_->insertSpacing(stack_->count() - 1, size);
}

void PageBody::clear() {
    while (stack_->count() > 1) {
        QLayoutItem* item = stack_->takeAt(0);
        if (QWidget* w = item->widget()) {
            w->hide();
            w->deleteLater();
        } else if (QLayout* l = item->layout()) {
            // Widgets of a nested layout belong to content_; delete them too.
            while (QLayoutItem* inner = l->takeAt(0)) {
                if (QWidget* w = inner->widget()) {
                    w->hide();
                    w->deleteLater();
                }
                delete inner;
            }
        }
        delete item;
    }
}

void PageBody::setPadding(int padding) {
    stack_->setContentsMargins(padding, padding, padding, padding);
}

void PageBody::setSpacing(int spacing) {
    stack_->setSpacing(spacing);
}
