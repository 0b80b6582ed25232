#pragma once

#include <QHash>
#include <QStringList>
#include <QWidget>
#include <functional>

class QVBoxLayout;

// A column of rows, one per key, with a hairline between each two. Setting
// the keys keeps the rows of keys still present exactly as they are (typed
// text and focus survive), makes rows for new keys and deletes the rest, so a
// redraw touches only what changed.
class KeyedRowList : public QWidget {
    Q_OBJECT
public:
    explicit KeyedRowList(int spacing, QWidget* parent = nullptr);

    // Shows one row per key, in this order; `make` builds the row of a key not
    // shown yet, then `draw` brings every row up to date. Keys must be unique
    // (see uniqueKeys).
    //
    // Showing a widget inside a shown window lays out all its ancestors at
    // once, so adding rows one by one would lay the whole page out once per
    // row. New rows are therefore put in while the list is hidden, unless
    // the list holds the focus (typing must not lose it).
    void setKeys(const QStringList& keys, const std::function<QWidget*(const QString& key)>& make,
                 const std::function<void(int index, QWidget* row)>& draw);
    const QStringList& keys() const { return keys_; }
    QWidget* row(const QString& key) const { return rows_.value(key); }
    template <class Row>
    Row* rowAs(const QString& key) const {
        return static_cast<Row*>(row(key));
    }

    // Ids made unique for setKeys: a repeated id (possible only in a
    // hand-edited file) gets "#<n>" with the first n not taken yet.
    static QStringList uniqueKeys(const QStringList& ids);

private:
    void rebuild(const QStringList& keys, const std::function<QWidget*(const QString& key)>& make);

    QVBoxLayout* column_;
    QStringList keys_;
    QHash<QString, QWidget*> rows_;
    QList<QWidget*> dividers_;
};
