#pragma once

#include <QFont>
#include <QHash>
#include <optional>
#include <QStringList>
#include <QWidget>
#include <utility>
#include <vector>

#include "components/PaintedList.h"
#include "components/TextFit.h"

class Card;

// The painted rows of a list tool: each row is padded above and below as the
// widget rows were, with a hairline above every row but the first. A tool's
// delegate lays out and paints only the content between the paddings, in the
// content's own coordinates.
class ToolRowDelegate : public PaintedRowDelegate {
public:
    int rowHeight(const QString& id, int width, bool busy) const final;
    QList<PaintedButton> buttons(const QString& id, int width, bool busy) const final;
    void paintRow(QPainter* painter, const QString& id, const QRect& rect, const PaintedRowState& state) const final;

    void forgetMeasurements() const override { wrapped_.clear(), widest_.clear(); }

protected:
    // TextFit's wrapped height and widest word, kept per text, font and
    // width: a list repeats a few titles many times, and the list measures
    // its rows at more than one width while it is laid out.
    int wrappedHeight(const QString& text, const QFont& font, int width) const;
    int widestWord(const QString& text, const QFont& font) const;

    virtual int contentHeight(const QString& id, int width) const = 0;
    virtual QList<PaintedButton> contentButtons(const QString& id, int width) const {
        Q_UNUSED(id) Q_UNUSED(width) return {};
    }
    // `rect` is the content's rectangle; buttons of contentButtons() are
    // painted with PaintedList::paintButton(painter, rect, ...).
    virtual void paintContent(QPainter* painter, const QString& id, const QRect& rect,
                              const PaintedRowState& state) const = 0;

private:
    mutable QHash<QString, int> wrapped_;  // by font, width and text
    mutable QHash<QString, int> widest_;   // by font and text
};

// Text measures that painted rows ask for again and again, kept per font and
// text: a list measures its rows at more than one width while it is laid
// out, and most texts of a row fit on one line, which their advance alone
// tells without laying them out.
class TextMeasures {
public:
    // The text's advance on one line, as QFontMetricsF gives it.
    qreal advance(const QString& text, const QFont& font) const;
    // Whether the text fits on one line of `width` (no line break of its own).
    bool fitsOneLine(const QString& text, const QFont& font, int width) const;
    // TextFit::wrappedHeight, without the layout when the text fits on one line.
    int wrappedHeight(const QString& text, const QFont& font, int width) const;
    // TextFit's title beside its amount, without laying the title out when it
    // fits on one line beside the whole amount (most titles do).
    TextFit::TitleBesideAmount titleBesideAmount(const QString& title, const QFont& titleFont, const QString& amount,
                                                 const QFont& amountFont, int width) const;
    void clear() const;

private:
    int lineHeight(const QFont& font) const;

    mutable QHash<QFont, QHash<QString, qreal>> advances_;  // by font, then text
    mutable QHash<QFont, int> lineHeights_;
};

// A row's layout kept per row until the row's width or what it shows
// changes: a painted row is laid out to be measured, and again each time it
// is painted or pressed.
template <class Content, class Layout>
class KeptLayouts {
public:
    template <class Make>
    const Layout& get(const QString& id, const Content& content, int width, Make&& make) const {
        auto it = kept_.find(id);
        if (it == kept_.end() || it->width != width || !(it->content == content)) {
            if (kept_.size() > kLimit) kept_.clear();
            it = kept_.insert(id, Kept{width, content, make()});
        }
        return it->layout;
    }
    void clear() const { kept_.clear(); }

private:
    static constexpr qsizetype kLimit = 10'000;
    struct Kept {
        int width;
        Content content;
        Layout layout;
    };
    mutable QHash<QString, Kept> kept_;
};

// A delegate over a screen's rows, each showing a Content kept by row key:
// a row is laid out by measure() once per content and width, and the layout
// is kept for painting and hit-testing until the row changes.
template <class Content, class Layout>
class ContentRowDelegate : public PaintedRowDelegate {
public:
    explicit ContentRowDelegate(const QHash<QString, Content>& rows) : rows_(rows) {}

    int rowHeight(const QString& id, int width, bool) const override {
        const Content* row = find(id);
        return row ? layout(id, *row, width).height : 0;
    }
    void forgetMeasurements() const override {
        texts_.clear();
        layouts_.clear();
    }

protected:
    const Content* find(const QString& id) const {
        const auto it = rows_.constFind(id);
        return it == rows_.constEnd() ? nullptr : &*it;
    }
    const Layout& layout(const QString& id, const Content& row, int width) const {
        return layouts_.get(id, row, width, [&] { return measure(row, width); });
    }
    virtual Layout measure(const Content& row, int width) const = 0;

    TextMeasures texts_;

private:
    const QHash<QString, Content>& rows_;
    KeptLayouts<Content, Layout> layouts_;
};

// The first line of a tool's row: a symbol, then the title beside a trailing
// text (an amount, a percentage) by TextFit's rule: the title wraps between
// words at its own size, and the trailing text shrinks first, staying whole.
struct TitleLine {
    TitleLine(const QString& title, const QFont& titleFont, const QString& trailing, const QFont& trailingFont,
              int symbolSize, int width);
    // The symbol and the title in `titleColor`, the trailing text in
    // `trailingColor`, the line's top left at `topLeft`.
    void paint(QPainter* painter, const QPoint& topLeft, const QString& symbol, const QColor& titleColor,
               const QColor& trailingColor) const;

    QString titleText;
    QString trailing;
    QFont trailingFont;
    int symbolSize = 0, titleLeft = 0, width = 0;
    TextFit::TitleBesideAmount fit;
    int height = 0;
};

// What a tool's delegate measures of a row (its title line and the rest of
// its layout), kept per row key for the row's content and width: measuring,
// hit-testing and painting a row all read it.
template <class Content, class Layout>
class MeasuredRows {
public:
    struct Measured {
        int width = -1;
        Content row;
        std::optional<TitleLine> title;
        Layout layout;
    };
    // The delegate's rows by key.
    explicit MeasuredRows(const QHash<QString, Content>& rows) : rows_(rows) {}

    // The row's measures at `width`, made with `title(row, width)` and
    // `layout(row, title, width)` when its content or the width changed;
    // none for a key without a row.
    template <class Title, class Lay>
    const Measured* find(const QString& id, int width, Title title, Lay layout) const {
        const auto it = rows_.constFind(id);
        if (it == rows_.constEnd()) return nullptr;
        auto kept = kept_.find(id);
        if (kept == kept_.end() || kept->width != width || !(kept->row == *it)) {
            if (kept_.size() > 2 * rows_.size() + 64) kept_.clear();  // rows gone since
            kept = kept_.insert(id, {width, *it, title(*it, width), {}});
            kept->layout = layout(*it, *kept->title, width);
        }
        return &*kept;
    }
    void clear() const { kept_.clear(); }

private:
    const QHash<QString, Content>& rows_;
    mutable QHash<QString, Measured> kept_;
};

// Puts `next` (what each row shows, by key) in place of `content` and returns
// the keys of the rows kept whose content changed: only those need measuring
// and painting again.
template <class Row>
QStringList replaceRows(QHash<QString, Row>& content, QHash<QString, Row>&& next) {
    QStringList changed;
    for (auto it = next.cbegin(); it != next.cend(); ++it)
        if (const auto old = content.constFind(it.key()); old != content.cend() && !(*old == *it)) changed << it.key();
    content = std::move(next);
    return changed;
}

// The rows of `items` in order: their keys (the items' ids made unique, as
// ToolRows::keysOf does) and what each row shows, made by `contentOf`.
template <class Content, class Item, class Id, class Of>
std::pair<QStringList, QHash<QString, Content>> rowsOf(const std::vector<Item>& items, Id idOf, Of contentOf);

// Shows the rows of `keys` in `list` after their content changed: only a new
// order resets the list, and only the rows in `changed` are measured again.
void showRows(PaintedList* list, const QStringList& keys, const QStringList& changed);

// The face of a row's trash button: only the symbol, in red (the button's
// name is its accessible name).
Button::Face trashFace();

// A list tool's rows on one rounded panel under an optional header; the panel
// is hidden while empty.
class ToolRows : public QWidget {
    Q_OBJECT
public:
    explicit ToolRows(const PaintedRowDelegate& delegate, const QString& header = {}, QWidget* parent = nullptr);

    PaintedList* list() const { return list_; }
    // Rows in order; only a new order resets the list, and only the rows in
    // `changed` are measured and painted again.
    void setRows(const QStringList& keys, const QStringList& changed);
    int count() const { return int(list_->rows().size()); }
    QString keyAt(int index) const { return list_->rows().value(index); }

    // The ids made row keys (a repeated id, possible only in a hand-edited
    // file, gets a row of its own), in order.
    static QStringList keysOf(const QStringList& ids);

    // Puts `next` (what each row shows, by key) in place of `content` and
    // shows its rows in the order of `keys`: only rows kept whose content
    // changed are measured and painted again.
    template <class Row>
    void setRows(const QStringList& keys, QHash<QString, Row>& content, QHash<QString, Row>&& next) {
        setRows(keys, replaceRows(content, std::move(next)));
    }

private:
    Card* panel_;
    PaintedList* list_;
};

template <class Content, class Item, class Id, class Of>
std::pair<QStringList, QHash<QString, Content>> rowsOf(const std::vector<Item>& items, Id idOf, Of contentOf) {
    QStringList ids;
    ids.reserve(qsizetype(items.size()));
    for (const Item& item : items) ids << idOf(item);
    QStringList keys = ToolRows::keysOf(ids);
    QHash<QString, Content> rows;
    rows.reserve(keys.size());
    for (qsizetype i = 0; i < keys.size(); ++i) rows.insert(keys[i], contentOf(items[std::size_t(i)]));
    return {std::move(keys), std::move(rows)};
}
