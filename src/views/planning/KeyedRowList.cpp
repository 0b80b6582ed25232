#include "views/planning/KeyedRowList.h"

#include <QApplication>
#include <QSet>
#include <QVBoxLayout>

#include "components/TextLabel.h"

namespace {
// Hidden at once, deleted from the event loop: a row may go away during a
// click of its own button.
void discard(QWidget* widget) {
    widget->hide();
    widget->deleteLater();
}
}  // namespace

KeyedRowList::KeyedRowList(int spacing, QWidget* parent) : QWidget(parent) {
    column_ = new QVBoxLayout(this);
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(spacing);
}

void KeyedRowList::setKeys(const QStringList& keys, const std::function<QWidget*(const QString&)>& make,
                           const std::function<void(int, QWidget*)>& draw) {
    const bool changed = keys != keys_;
    const bool batch = changed && !isHidden() && !isAncestorOf(QApplication::focusWidget());
    if (batch) hide();
    if (changed) rebuild(keys, make);
    for (int i = 0; i < keys_.size(); ++i) draw(i, rows_.value(keys_[i]));
    if (batch) show();
}

void KeyedRowList::rebuild(const QStringList& keys, const std::function<QWidget*(const QString&)>& make) {
    const QSet<QString> wanted(keys.begin(), keys.end());
    for (auto it = rows_.begin(); it != rows_.end();) {
        if (wanted.contains(it.key())) {
            ++it;
            continue;
        }
        discard(it.value());
        it = rows_.erase(it);
    }
    // Rows and hairlines are laid out again in the new order; the rows
    // themselves stay the same widgets.
    while (QLayoutItem* item = column_->takeAt(0)) delete item;
    for (QWidget* divider : dividers_) discard(divider);
    dividers_.clear();
    for (int i = 0; i < keys.size(); ++i) {
        QWidget*& row = rows_[keys[i]];
        if (!row) row = make(keys[i]);
        if (i > 0) {
            auto* divider = new Divider;
            dividers_.append(divider);
            column_->addWidget(divider);
        }
        column_->addWidget(row);
        row->show();
    }
    keys_ = keys;
}

QStringList KeyedRowList::uniqueKeys(const QStringList& ids) {
    QStringList keys;
    keys.reserve(ids.size());
    QSet<QString> used;
    for (const QString& id : ids) {
        QString key = id;
        for (int n = 1; used.contains(key); ++n) key = id + QStringLiteral("#") + QString::number(n);
        used.insert(key);
        keys.append(key);
    }
    return keys;
}
