#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

#include "views/planning/KeyedRowList.h"

// What a list tool's rows show (wishes, debts, challenges), kept by row key
// from the records they are written from. A redraw writes again only the rows
// whose record changed: a long list changes one record at a time, and writing
// a row (money, days) costs far more than comparing its record. A row's texts
// may also depend on a context (the day, the currency, the languages): a new
// context writes every row again.
//
// Record needs an `id` and ==; Row needs ==.
template <class Record, class Row>
class RecordRows {
public:
    // The rows by key (a painted list's delegate reads them) and the keys in
    // the records' order (a repeated id, possible only in a hand-edited file,
    // gets a key of its own).
    const QHash<QString, Row>& rows() const { return rows_; }
    const QStringList& keys() const { return keys_; }

    // Takes the records as they are now, writing the row of each record that
    // is new or changed with `write(record)`. Returns the keys of the rows
    // kept from before whose row changed.
    template <class Write>
    QStringList update(const std::vector<Record>& records, const QString& context, Write write) {
        QStringList ids;
        ids.reserve(qsizetype(records.size()));
        for (const Record& record : records) ids.append(record.id);
        if (ids != ids_) {
            ids_ = std::move(ids);
            keys_ = KeyedRowList::uniqueKeys(ids_);
            const QSet<QString> kept(keys_.cbegin(), keys_.cend());
            for (auto it = rows_.begin(); it != rows_.end();) it = kept.contains(it.key()) ? std::next(it) : rows_.erase(it);
            for (auto it = sources_.begin(); it != sources_.end();)
                it = kept.contains(it.key()) ? std::next(it) : sources_.erase(it);
        }
        if (context != context_) {
            context_ = context;
            sources_.clear();
        }
        QStringList changed;
        for (qsizetype i = 0; i < keys_.size(); ++i) {
            const QString& key = keys_.at(i);
            const Record& record = records[std::size_t(i)];
            const auto source = sources_.constFind(key);
            if (source != sources_.cend() && *source == record) continue;
            Row row = write(record);
            const auto old = rows_.find(key);
            if (old == rows_.end()) {
                rows_.insert(key, std::move(row));
            } else if (!(*old == row)) {
                *old = std::move(row);
                changed << key;
            }
            sources_.insert(key, record);
        }
        return changed;
    }

private:
    QStringList ids_;
    QStringList keys_;
    QString context_;
    QHash<QString, Record> sources_;
    QHash<QString, Row> rows_;
};
