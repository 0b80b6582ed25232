#include "views/ledger/TransactionRowDelegate.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>

#include "components/DateText.h"
#include "components/SwipeRows.h"
#include "components/Symbols.h"
#include "components/TextFit.h"
#include "components/Theme.h"
#include "components/TransactionRow.h"
#include "store/MoneyStore.h"
#include "views/ledger/SwipeListView.h"
#include "views/ledger/TransactionListModel.h"

namespace {

constexpr int kSpacing = Spacing::rowSpacing;  // between icon, text column and amount
constexpr int kSpacerMin = TransactionRow::kSpacerMin;
constexpr int kColumnGap = TransactionRow::kColumnGap;
constexpr int kCornerRadius = 12;  // the rows' card
constexpr int kStarSize = 17;

QFont categoryFont() { return TransactionRow::categoryFont(); }
QFont detailFont() { return TransactionRow::detailFont(); }
QFont amountFont() { return TransactionRow::amountFont(); }

}  // namespace

TransactionRowDelegate::TransactionRowDelegate(const TransactionListModel& rows, Placement placement,
                                               QObject* parent)
    : QStyledItemDelegate(parent), rows_(rows), placement_(std::move(placement)) {
    // Any change of the rows may change the amounts on screen.
    const auto forgetShared = [this] { shared_ = {}; };
    connect(&rows_, &QAbstractItemModel::modelReset, this, forgetShared);
    connect(&rows_, &QAbstractItemModel::layoutChanged, this, forgetShared);
    connect(&rows_, &QAbstractItemModel::dataChanged, this, forgetShared);
    connect(&rows_, &QAbstractItemModel::rowsInserted, this, forgetShared);
    connect(&rows_, &QAbstractItemModel::rowsRemoved, this, forgetShared);
}

void TransactionRowDelegate::clearMeasurements() {
    categoryMetrics_.reset();
    amountMetrics_.reset();
    detailMetrics_.reset();
    dateLineWidths_.clear();
    categoryWidths_.clear();
    amountWidths_.clear();
    smallestAmountWidths_.clear();
    wrappedHeights_.clear();
    fittingSizes_.clear();
    dateTexts_.clear();
    widestWords_.clear();
    lineHeight_ = 0;
    detailHeight_ = 0;
    numericDateWidth_ = 0;
    recentCategories_ = {};
    shared_ = {};
    forgetHeights();
}

void TransactionRowDelegate::forgetRows() {
    heights_.clear();
    rowPaints_.clear();
    categoryAmounts_.reset();
    oneLineAt_.reset();
}

void TransactionRowDelegate::forgetHeights() {
    forgetRows();
    shapes_.reset();
}

void TransactionRowDelegate::ledgerChanged(const LedgerChange& change) {
    forgetRows();
    if (!shapes_) return;
    const std::vector<MoneyTransaction>& ledger = rows_.ledger();
    if (shapesRevision_ + 1 == change.revision) {
        shapesRevision_ = change.revision;
        switch (change.kind) {
            case LedgerChange::Kind::added:
                if (!ledger.empty()) {
                    countShape(ledger.back(), +1);
                    return;
                }
                break;
            case LedgerChange::Kind::removed:
                if (change.before) {
                    countShape(*change.before, -1);
                    return;
                }
                break;
            case LedgerChange::Kind::replaced:
                if (change.before && change.position < ledger.size()) {
                    countShape(*change.before, -1);
                    countShape(ledger[change.position], +1);
                    return;
                }
                break;
            case LedgerChange::Kind::whole:
                break;
        }
    }
    shapes_.reset();
}

void TransactionRowDelegate::countShape(const MoneyTransaction& t, int sign) const {
    auto it = shapeIndex_.constFind(t.category);
    if (it == shapeIndex_.constEnd()) {
        it = shapeIndex_.insert(t.category, shapes_->size());
        shapes_->push_back({t.category, {}});
    }
    const int shape = amountShape(t);
    (*shapes_)[*it].rows[size_t(shape & 3)][size_t(shape >> 2)] += sign;
    // Measured with a row of its own, as a walk of the ledger would measure it.
    if (sign > 0) amountAdvance(t);
}

int TransactionRowDelegate::categoryAdvance(const QString& category) const {
    if (!categoryMetrics_) categoryMetrics_.emplace(categoryFont());
    // A ledger read from its file shares each repeated text; the same text
    // object is recognised without hashing it.
    for (const auto& [text, width] : recentCategories_)
        if (category.isSharedWith(text)) return width;
    int width = 0;
    if (const auto it = categoryWidths_.constFind(category); it != categoryWidths_.constEnd())
        width = *it;
    else
        width = categoryMetrics_->horizontalAdvance(category);
    recentCategories_[nextRecent_] = {category, width};
    nextRecent_ = (nextRecent_ + 1) % recentCategories_.size();
    if (categoryWidths_.contains(category)) return width;
    if (categoryWidths_.size() > 50'000) categoryWidths_.clear();  // bounded: categories are few
    categoryWidths_.insert(category, width);
    return width;
}

int TransactionRowDelegate::amountShape(const MoneyTransaction& t) {
    // The money text shows two fraction digits, so count the whole digits
    // after that rounding (saturated as a 64-bit whole part is).
    constexpr int kMostDigits = 19;
    const int income = t.kind == TransactionKind::income ? 2 : 0;
    const Decimal::Coefficient coefficient = t.amount.coefficient();
    const int exponent = t.amount.exponent();
    if (exponent >= -2) {
        // Nothing to round: the digits follow from the representation.
        const Decimal::Coefficient magnitude = coefficient < 0 ? -coefficient : coefficient;
        int digits = kMostDigits + 1;  // beyond 64 bits: saturated anyway
        if (magnitude <= std::numeric_limits<quint64>::max()) {
            // The digits from the bit length (log10(2) ~ 1233 / 4096), then
            // one more where the estimate falls a power of ten short: this
            // runs for every row of the ledger once per change.
            static constexpr std::array<quint64, 20> kPowers = [] {
                std::array<quint64, 20> p{};
                p[0] = 1;
                for (size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
                return p;
            }();
            const auto small = static_cast<quint64>(magnitude);
            const int bits = small == 0 ? 0 : 64 - __builtin_clzll(small);
            digits = (bits * 1233) >> 12;
            if (digits < 20 && small >= kPowers[size_t(digits)]) ++digits;
        }
        digits = std::clamp(digits + exponent, 1, kMostDigits);
        return (digits << 2) | income | (coefficient < 0 ? 1 : 0);
    }
    const Decimal shown = t.amount.rounded(2);
    long long whole = shown.abs().toInt64Saturated();
    int digits = 1;
    while (whole >= 10) {
        whole /= 10;
        ++digits;
    }
    return (digits << 2) | income | (shown.isNegative() ? 1 : 0);
}

int TransactionRowDelegate::amountAdvance(const MoneyTransaction& t) const {
    const int key = amountShape(t);
    if (const auto it = amountWidths_.constFind(key); it != amountWidths_.constEnd()) return *it;
    if (!amountMetrics_) amountMetrics_.emplace(amountFont());
    // A stand-in of the same shape: the same kind, sign and whole digits.
    const int digits = key >> 2;
    MoneyTransaction sample = t;
    sample.amount = Decimal::parse(QString(digits, u'8') + QStringLiteral(".88")).value_or(Decimal(0));
    if (key & 1) sample.amount = -sample.amount;
    const int width = std::max(amountMetrics_->horizontalAdvance(TransactionRow::signedAmountText(sample)),
                               amountMetrics_->horizontalAdvance(TransactionRow::signedAmountText(t)));
    amountWidths_.insert(key, width);
    return width;
}

int TransactionRowDelegate::textRoom(const MoneyTransaction&, int cardWidth) {
    // A favourite's star sits in the gap before its amount's place, which
    // moves left by the star's width: its text and amount keep the room (and
    // the size) of every other row rather than shrink beside the star.
    return cardWidth - 2 * kPaddingH - kIconBox - 3 * kSpacing - kSpacerMin;
}

int TransactionRowDelegate::textWidth(const MoneyTransaction& t, int cardWidth) const {
    const int room = textRoom(t, cardWidth);
    return columnFor(t, room, neededColumn(t, room));
}

int TransactionRowDelegate::columnFor(const MoneyTransaction& t, int room, int needed) const {
    return columnFor(amountAdvance(t), keptWidth(t, room), room, needed);
}

int TransactionRowDelegate::columnFor(int amount, int kept, int room, int needed) const {
    return room - TransactionRow::amountWidth(amount, room, needed, kept);
}

int TransactionRowDelegate::keptWidth(const MoneyTransaction& t, int room) const {
    // A row showing its date keeps room for it in digits (every such date
    // is as wide: the font's digits are of equal width), which it shows
    // where a long amount leaves too little for the abbreviated date; but
    // never the room the amount needs whole in its smallest face.
    if (!t.note.isEmpty()) return widestWord(t.category);
    if (numericDateWidth_ == 0) numericDateWidth_ = TransactionRow::numericDateWidth();
    return TransactionRow::keptColumn(widestWord(t.category), numericDateWidth_, room, smallestAmountAdvance(t));
}

int TransactionRowDelegate::smallestAmountAdvance(const MoneyTransaction& t) const {
    const int key = amountShape(t);
    if (const auto it = smallestAmountWidths_.constFind(key); it != smallestAmountWidths_.constEnd()) return *it;
    // The amount of that shape in the smallest face it may shrink to.
    const int width = TransactionRow::smallestAmountWidth(TransactionRow::signedAmountText(t));
    smallestAmountWidths_.insert(key, width);
    return width;
}

int TransactionRowDelegate::neededColumn(const MoneyTransaction& t, int room) const {
    const int word = neededBesideDate(t, room);
    if (!t.note.isEmpty()) return word;
    // The date line is shown whole (a note elides).
    return std::max(word, dateLineWidth(t.date));
}

int TransactionRowDelegate::neededBesideDate(const MoneyTransaction& t, int room) const {
    return neededBesideDate(t.category, room);
}

int TransactionRowDelegate::neededBesideDate(const QString& category, int room) const {
    int word = widestWord(category);
    // A short category stays on one line.
    if (const int width = categoryAdvance(category);
        width <= static_cast<int>(room * TransactionRow::kShortCategoryShare))
        word = std::max(word, width);
    return word;
}

void TransactionRowDelegate::countShapes() const {
    shapes_.emplace();
    shapeIndex_.clear();
    shapesRevision_ = rows_.ledgerRevision();
    std::vector<CategoryShapes>& out = *shapes_;
    // An amount's width follows from its shape: a row with the most whole
    // digits of each kind and sign stands for all the category's rows, and
    // is measured now.
    std::vector<std::array<std::pair<int, const MoneyTransaction*>, 4>> widest;
    // A ledger read from its file shares each repeated text: most rows find
    // their category by where its characters are, in a small table of the
    // places met, without comparing or hashing the text.
    struct Seen {
        const QChar* data = nullptr;
        qsizetype size = -1;
        size_t category = 0;
    };
    std::array<Seen, 256> seen{};
    for (const MoneyTransaction& t : rows_.ledger()) {
        const QChar* data = t.category.constData();
        Seen& slot = seen[(quintptr(data) >> 4) & (seen.size() - 1)];
        size_t last = slot.category;
        if (slot.data != data || slot.size != t.category.size()) {
            const auto it = shapeIndex_.constFind(t.category);
            if (it != shapeIndex_.constEnd()) {
                last = *it;
            } else {
                last = out.size();
                shapeIndex_.insert(t.category, last);
                out.push_back({t.category, {}});
                widest.emplace_back();
            }
            slot = {data, t.category.size(), last};
        }
        const int shape = amountShape(t);
        ++out[last].rows[size_t(shape & 3)][size_t(shape >> 2)];
        auto& [digits, row] = widest[last][static_cast<size_t>(shape & 3)];
        if (shape >> 2 > digits) {
            digits = shape >> 2;
            row = &t;
        }
    }
    for (const auto& rows : widest)
        for (const auto& [digits, row] : rows)
            if (row) amountAdvance(*row);
}

const std::vector<TransactionRowDelegate::CategoryAmounts>& TransactionRowDelegate::categoryAmounts() const {
    if (categoryAmounts_) return *categoryAmounts_;
    if (!shapes_ || shapesRevision_ != rows_.ledgerRevision()) countShapes();
    categoryAmounts_.emplace();
    for (const CategoryShapes& c : *shapes_) {
        int widest = 0;
        bool any = false;
        for (size_t kind = 0; kind < c.rows.size(); ++kind)
            for (int digits = kShapeDigits; digits > 0; --digits) {
                if (c.rows[kind][size_t(digits)] <= 0) continue;
                // A stand-in of the shape; its width was measured with a row of it.
                MoneyTransaction sample;
                sample.kind = kind & 2 ? TransactionKind::income : TransactionKind::expense;
                sample.amount = Decimal::parse(QString(digits, u'8') + QStringLiteral(".88")).value_or(Decimal(0));
                if (kind & 1) sample.amount = -sample.amount;
                widest = std::max(widest, amountAdvance(sample));
                any = true;
                break;
            }
        if (any) categoryAmounts_->push_back({c.category, widest});
    }
    return *categoryAmounts_;
}

bool TransactionRowDelegate::allRowsOneLine(int viewportWidth) const {
    if (oneLineAt_ && oneLineAt_->first == viewportWidth) return oneLineAt_->second;
    const int cardWidth = SwipeListView::cardRect(QRect(0, 0, viewportWidth, 1)).width();
    const int room = textRoom(MoneyTransaction{}, cardWidth);
    // A row's column only narrows as its amount widens, and only widens as
    // what the column needs grows (the date line left out here), so the
    // category with its widest amount and without the date settles all its rows.
    bool oneLine = true;
    for (const CategoryAmounts& c : categoryAmounts()) {
        const int category = categoryAdvance(c.category);
        if (category + c.widestAmount <= room) continue;
        // The date a row keeps in digits is left out too: it only widens the column.
        if (category > columnFor(c.widestAmount, widestWord(c.category), room, neededBesideDate(c.category, room))) {
            oneLine = false;
            break;
        }
    }
    oneLineAt_ = {viewportWidth, oneLine};
    return oneLine;
}

int TransactionRowDelegate::oneLineColumn(const MoneyTransaction& t, int room, int category) const {
    // The column only widens as what it needs grows (the amount gives way),
    // so a category that fits the column left without the date line fits
    // the row's own: the date (which costs more to format than the rest of
    // the row) is worked out only for a row that may wrap.
    const int withoutDate = columnFor(t, room, neededBesideDate(t, room));
    if (category <= withoutDate || !t.note.isEmpty()) return withoutDate;
    return columnFor(t, room, neededColumn(t, room));
}

int TransactionRowDelegate::dateLineWidth(const QDateTime& date) const {
    // Formatting a date costs more than the rest of a row's measuring. The
    // font's digits are of equal width, so the line's width follows from its
    // month's name and its numbers' lengths: rows of one month whose days
    // have as many digits, at the same hour, share it.
    const QDateTime local = date.toLocalTime();
    const QDate day = local.date();
    const int key = ((day.year() * 13 + day.month()) * 2 + (day.day() >= 10 ? 1 : 0)) * 24 + local.time().hour();
    if (const auto it = dateLineWidths_.constFind(key); it != dateLineWidths_.cend()) return *it;
    if (!detailMetrics_) detailMetrics_.emplace(detailFont());
    MoneyTransaction probe;
    probe.date = date;
    return *dateLineWidths_.insert(key, detailMetrics_->horizontalAdvance(TransactionRow::detailText(probe)));
}

QString TransactionRowDelegate::detailLine(const MoneyTransaction& t, int columnWidth) const {
    // The abbreviated date where it fits whole, else the date in digits.
    if (!t.note.isEmpty() || dateLineWidth(t.date) <= columnWidth) return detailText(t);
    return DateText::numericDateTime(t.date);
}

QString TransactionRowDelegate::detailText(const MoneyTransaction& t) const {
    if (!t.note.isEmpty()) return t.note;
    // A date is formatted once per instant: formatting costs more than the
    // rest of a row's painting.
    const qint64 at = t.date.toMSecsSinceEpoch();
    if (const auto it = dateTexts_.constFind(at); it != dateTexts_.constEnd()) return *it;
    const QString text = TransactionRow::detailText(t);
    if (dateTexts_.size() > 10'000) dateTexts_.clear();  // bounded: only rows on screen are asked
    dateTexts_.insert(at, text);
    return text;
}

int TransactionRowDelegate::amountWidthIn(const MoneyTransaction& t, int cardWidth) const {
    return amountWidthIn(t, TransactionRow::signedAmountText(t), cardWidth);
}

int TransactionRowDelegate::amountWidthIn(const MoneyTransaction& t, const QString& amountText, int cardWidth) const {
    if (!amountMetrics_) amountMetrics_.emplace(amountFont());
    const int natural = amountMetrics_->horizontalAdvance(amountText);
    const int room = textRoom(t, cardWidth);
    return TransactionRow::amountWidth(natural, room, neededColumn(t, room), keptWidth(t, room));
}

QFont TransactionRowDelegate::amountFace(const MoneyTransaction& t, int cardWidth) const {
    // The size the rows on screen share, unless this amount only fits far smaller.
    QFont face = amountFont();
    const int floor = static_cast<int>(std::ceil(face.pixelSize() * TransactionRow::kSharedSizeFloor));
    const int fitting = fittingAmountSize(t, cardWidth);
    face.setPixelSize(fitting >= floor ? std::min(fitting, sharedAmountSize(cardWidth)) : fitting);
    return face;
}

int TransactionRowDelegate::fittingAmountSize(const MoneyTransaction& t, int cardWidth) const {
    const QString text = TransactionRow::signedAmountText(t);
    return fittingAmountSize(text, amountWidthIn(t, text, cardWidth));
}

int TransactionRowDelegate::fittingAmountSize(const QString& amountText, int amountWidth) const {
    // Once per amount text and width: the rows on screen ask again after
    // every filter, search keystroke and scroll.
    std::pair<QString, int> key(amountText, amountWidth);
    if (const auto it = fittingSizes_.constFind(key); it != fittingSizes_.constEnd()) return *it;
    const int size = TextFit::shrunkToFit(key.first, amountFont(), key.second).pixelSize();
    if (fittingSizes_.size() > 10'000) fittingSizes_.clear();  // bounded: only rows on screen are asked
    fittingSizes_.insert(std::move(key), size);
    return size;
}

int TransactionRowDelegate::sharedAmountSize(int cardWidth) const {
    const TransactionListModel* model = &rows_;
    const int body = amountFont().pixelSize();
    const auto [topRow, bottomRow] = placement_.rowsOnScreen ? placement_.rowsOnScreen() : std::pair(-1, -1);
    if (topRow < 0) return body;
    const QModelIndex top = model->index(topRow, 0);
    const QModelIndex bottom = model->index(std::max(bottomRow, topRow), 0);
    if (!top.isValid() || !bottom.isValid()) return body;
    const MoneyTransaction* first = model->transactionAt(top.row());
    const MoneyTransaction* last = model->transactionAt(bottom.row());
    if (!first || !last) return body;
    const int rows = bottom.row() - top.row() + 1;
    if (shared_.size > 0 && shared_.first == first->id && shared_.last == last->id && shared_.rows == rows &&
        shared_.width == cardWidth)
        return shared_.size;
    const int floor = static_cast<int>(std::ceil(body * TransactionRow::kSharedSizeFloor));
    int size = body;
    for (int row = top.row(); row <= bottom.row(); ++row)
        if (const MoneyTransaction* t = model->transactionAt(row))
            if (const int fitting = rowPaint(model->positionAt(row), *t, cardWidth).fittingSize; fitting >= floor)
                size = std::min(size, fitting);
    shared_ = {first->id, last->id, rows, cardWidth, size};
    return size;
}

int TransactionRowDelegate::widestWord(const QString& category) const {
    if (const auto it = widestWords_.constFind(category); it != widestWords_.constEnd()) return *it;
    const int width = TextFit::widestWord(category, categoryFont());
    if (widestWords_.size() > 50'000) widestWords_.clear();  // bounded: long categories are few
    widestWords_.insert(category, width);
    return width;
}

int TransactionRowDelegate::categoryHeight(const QString& category, int width) const {
    const std::pair<QString, int> key(category, width);
    if (const auto it = wrappedHeights_.constFind(key); it != wrappedHeights_.constEnd()) return *it;
    const int height = TextFit::wrappedHeight(category, categoryFont(), width);
    if (wrappedHeights_.size() > 50'000) wrappedHeights_.clear();  // bounded: long categories are few
    wrappedHeights_.insert(key, height);
    return height;
}

QSize TransactionRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    const TransactionListModel* model = &rows_;
    // Measured for the rows' width of this moment: the list lays its rows
    // out again whenever that width changes (a scroll bar comes or goes).
    const int viewWidth = placement_.rowWidth ? placement_.rowWidth() : 0;
    const int cardWidth = SwipeListView::cardRect(QRect(0, 0, viewWidth, 1)).width();
    const int position = model->positionAt(index.row());
    const MoneyTransaction* t = model->transactionAt(index.row());
    // No width of its own: the view gives every row the viewport's width as
    // it draws it, whether or not the scroll bar shows.
    if (!t) return {0, measureHeight(nullptr, cardWidth).height};
    if (static_cast<size_t>(position) >= heights_.size()) heights_.resize(static_cast<size_t>(position) + 1);
    MeasuredHeight& known = heights_[static_cast<size_t>(position)];
    if (known.height == 0 || cardWidth < known.fromWidth || cardWidth > known.toWidth)
        known = measureHeight(t, cardWidth);
    return {0, known.height};
}

TransactionRowDelegate::MeasuredHeight TransactionRowDelegate::measureHeight(const MoneyTransaction* t,
                                                                             int cardWidth) const {
    ++heightMeasurements_;
    if (!categoryMetrics_) categoryMetrics_.emplace(categoryFont());
    if (detailHeight_ == 0) detailHeight_ = QFontMetrics(detailFont()).height();
    if (lineHeight_ == 0) lineHeight_ = categoryMetrics_->height();
    int textHeight = lineHeight_;
    MeasuredHeight measured{0, cardWidth, cardWidth};
    if (t) {
        // Most categories fit beside the row's amount at its natural width (a
        // star takes the gap, not the text's room): the amount never takes
        // more, so such a row is one line without working out what its text
        // column needs.
        const int category = categoryAdvance(t->category);
        const int room = textRoom(*t, cardWidth);
        // The room grows with the card, width for width.
        const int fitsFrom = category + amountAdvance(*t) + (cardWidth - room);
        if (fitsFrom <= cardWidth) {
            measured.fromWidth = fitsFrom;
            measured.toWidth = std::numeric_limits<int>::max();
        } else if (const int column = oneLineColumn(*t, room, category); category > column) {
            textHeight = categoryHeight(t->category, column);
        } else {
            // One line as long as the column keeps its lead over the category.
            // While what the column needs stays the same, the column shrinks
            // by at most one pixel per pixel of card (the amount only ever
            // gives way), so the lead is how far it may narrow. A category
            // counted short keeps the column's need only down to the room
            // where it stops being short: below that the amount may take more.
            measured.fromWidth = cardWidth - (column - category);
            if (category <= static_cast<int>(room * TransactionRow::kShortCategoryShare)) {
                const auto isShort = [&](int r) {
                    return category <= static_cast<int>(r * TransactionRow::kShortCategoryShare);
                };
                // The narrowest room it is short in (the rounding settled by a step either way).
                int shortFrom = static_cast<int>(std::ceil(category / TransactionRow::kShortCategoryShare));
                while (shortFrom > 0 && isShort(shortFrom - 1)) --shortFrom;
                while (!isShort(shortFrom)) ++shortFrom;
                measured.fromWidth = std::max(measured.fromWidth, cardWidth - (room - shortFrom));
            }
            measured.toWidth = std::numeric_limits<int>::max();
        }
    }
    const int column = textHeight + kColumnGap + detailHeight_;
    measured.height = 2 * kPaddingV + std::max(kIconBox, column);
    return measured;
}

void TransactionRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    const MoneyTransaction* t = rows_.transactionAt(index.row());
    if (!t) return;
    const bool last = index.row() == rows_.rowCount() - 1;
    const QRect card = SwipeListView::cardRect(option.rect);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    // The shared size first: working it out may keep other rows' paint, which moves this row's.
    const int shared = sharedAmountSize(card.width());
    paintContent(painter, card, *t, rowPaint(rows_.positionAt(index.row()), *t, card.width()), shared, last,
                 option.state.testFlag(QStyle::State_HasFocus));
    painter->restore();
}

TransactionRowDelegate::RowPaint& TransactionRowDelegate::rowPaint(int position, const MoneyTransaction& t,
                                                                        int cardWidth) const {
    auto it = rowPaints_.find(position);
    if (it != rowPaints_.end() && it->cardWidth == cardWidth) return *it;
    if (it == rowPaints_.end()) {
        if (rowPaints_.size() > 2'000) rowPaints_.clear();  // bounded: only rows on screen are painted
        it = rowPaints_.insert(position, {});
    }
    RowPaint& row = *it;
    row = {};
    row.cardWidth = cardWidth;
    row.amountText = TransactionRow::signedAmountText(t);
    TransactionRowPainter::Laid& laid = row.laid;
    laid.amountWidth = amountWidthIn(t, row.amountText, cardWidth);
    row.fittingSize = fittingAmountSize(row.amountText, laid.amountWidth);
    // The text column takes every pixel the amount leaves, measured as for the row's height.
    laid.columnWidth = std::max(textWidth(t, cardWidth), 1);
    laid.categoryHeight = categoryHeight(t.category, laid.columnWidth);
    row.category = std::make_shared<const TextFit::WrappedText>(t.category, categoryFont(), laid.columnWidth);
    laid.category = row.category.get();
    if (!detailMetrics_) detailMetrics_.emplace(detailFont());
    laid.detail = detailLine(t, laid.columnWidth);
    laid.detailWidth = laid.columnWidth;
    // An abbreviated date shown is known to fit; a note or the date in digits may need eliding.
    if (!t.note.isEmpty() || dateLineWidth(t.date) > laid.columnWidth)
        laid.detail = detailMetrics_->elidedText(laid.detail, Qt::ElideRight, laid.columnWidth);
    return row;
}

void TransactionRowDelegate::paintContent(QPainter* p, const QRect& card, const MoneyTransaction& t,
                                          RowPaint& row, int sharedSize, bool last, bool current) const {
    const Theme& theme = Theme::current();
    p->fillRect(card, theme.color(ColorRole::SecondaryGroupedBackground));
    // The current row, as every painted list shows the row that has the keyboard.
    if (current) SwipeRows::paintKeyboardRow(p, card);

    // A favourite's star after the amount, which moves left to make room.
    const QRect content = card.adjusted(kPaddingH, 0, -kPaddingH, 0);
    int trailing = 0;
    if (t.isFavorite.value_or(false)) {
        const int right = content.right() + 1;
        const QRect star(right - kStarSize, card.center().y() - kStarSize / 2, kStarSize, kStarSize);
        const qreal dpr = p->device() ? p->device()->devicePixelRatioF() : 1.0;
        p->drawPixmap(star, Symbols::pixmap(QStringLiteral("star.fill"), kStarSize,
                                            theme.color(ColorRole::Yellow), dpr));
        trailing = kStarSize + kStarGap;
    }
    // The size the rows on screen share, unless this amount only fits far smaller.
    const int floor = static_cast<int>(std::ceil(amountFont().pixelSize() * TransactionRow::kSharedSizeFloor));
    const int size = row.fittingSize >= floor ? std::min(row.fittingSize, sharedSize) : row.fittingSize;
    if (row.drawnSize != size) {
        // Fitted once per size.
        QFont face = amountFont();
        face.setPixelSize(size);
        TransactionRowPainter::FittedAmount fitted =
            TransactionRowPainter::fittedAmount(row.amountText, face, row.laid.amountWidth);
        row.laid.amountFont = fitted.font;
        row.laid.amount = std::move(fitted.text);
        row.drawnSize = size;
    }
    TransactionRowPainter::paint(p, content, t, row.laid, trailing);

    if (!last) {
        const int textLeft = content.left() + kIconBox + kSpacing;
        p->setPen(QPen(theme.color(ColorRole::Separator), 0.5));
        p->drawLine(QPointF(textLeft, card.bottom() + 0.75), QPointF(card.right() + 1, card.bottom() + 0.75));
    }
}
