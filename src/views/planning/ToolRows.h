#pragma once

#include <QHash>
#include <QStringList>
#include <QWidget>

#include "components/PaintedList.h"

class Card;

// The painted rows of a list tool, laid out as the tools' rows always were:
// each row's content between paddings of 12 above and below, a hairline
// between each two rows. Subclasses paint the content only, in a rectangle
// whose top left is (0, 0) of the content.
class ToolRowDelegate : public PaintedRowDelegate {
public:
    int rowHeight(const QString& id, int width, bool busy) const final;
    QList<PaintedButton> buttons(const QString& id, int width, bool busy) const final;
    void paintRow(QPainter* painter, const QString& id, const QRect& rect,
                  const PaintedRowState& state) const final;

    // The list's first row carries no hairline (PaintedToolList keeps it).
    void setFirstRow(const QString& id) { first_ = id; }
    void forgetMeasurements() const override { wrapped_.clear(), widest_.clear(); }

protected:
    // TextFit's wrapped height and widest word, kept per text, font and
    // width: a list repeats a few titles many times, and the list measures
    // its rows at more than one width while it is laid out.
    int wrappedHeight(const QString& text, const QFont& font, int width) const;
    int widestWord(const QString& text, const QFont& font) const;

    virtual int contentHeight(const QString& id, int width) const = 0;
    // In the content's coordinates.
    virtual QList<PaintedButton> contentButtons(const QString& id, int width) const {
        Q_UNUSED(id)
        Q_UNUSED(width)
        return {};
    }
    virtual void paintContent(QPainter* painter, const QString& id, const QRect& content,
                              const PaintedRowState& state) const = 0;

private:
    int contentTop(const QString& id) const;

    QString first_;
    mutable QHash<QString, int> wrapped_;  // by font, width and text
    mutable QHash<QString, int> widest_;   // by font and text
};

// The rows of a list tool on one rounded panel, hidden while empty. The
// screen keeps its records by row key and a delegate that reads them; a
// redraw names the rows whose content changed, and only those are measured
// and painted again.
class PaintedToolList : public QWidget {
    Q_OBJECT
public:
    explicit PaintedToolList(ToolRowDelegate& delegate, QWidget* parent = nullptr);

    // The ids made row keys (a repeated id, possible only in a hand-edited
    // file, gets a row of its own), in order.
    static QStringList keysOf(const QStringList& ids);
    // Shows these rows in this order; `changed` are rows kept from before
    // whose content is no longer what they show.
    void setRows(const QStringList& keys, const QStringList& changed);

    PaintedList* list() const { return list_; }
    int count() const { return int(list_->rows().size()); }
    QString keyAt(int index) const { return list_->rows().value(index); }

    // Puts `next` (what each row shows, by key) in place of `content` and
    // shows its rows in the order of `keys`: only rows kept whose content
    // changed are measured and painted again.
    template <class Row>
    void setRows(const QStringList& keys, QHash<QString, Row>& content, QHash<QString, Row>&& next) {
        QStringList changed;
        for (auto it = next.cbegin(); it != next.cend(); ++it)
            if (const auto old = content.constFind(it.key()); old != content.cend() && !(*old == *it))
                changed << it.key();
        content = std::move(next);
        setRows(keys, changed);
    }

private:
    ToolRowDelegate& delegate_;
    Card* panel_;
    PaintedList* list_;
};
