#include "components/TransactionRow.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "components/DateText.h"
#include "components/TextFit.h"
#include "components/Theme.h"
#include "services/MoneyText.h"

namespace {
const QChar kMinusSign(0x2212);
}  // namespace

QFont TransactionRow::categoryFont() { return Theme::font(TextStyle::Body, QFont::Medium); }
QFont TransactionRow::detailFont() { return Theme::font(TextStyle::Caption); }
QFont TransactionRow::amountFont() { return Theme::font(TextStyle::Body, QFont::DemiBold); }

int TransactionRow::amountWidth(int natural, int room, int needed, int widestWord) {
    // A little over the smallest face's share, so that face still shows the whole amount.
    const int smallest = static_cast<int>(std::ceil(natural * (TextFit::kMinimumScale + 0.05)));
    const int width = std::min(natural, std::max(room - needed, smallest));
    // The column keeps its widest word (up to half the room) and a third of the room.
    const int column = std::max(std::min(needed, room / 3), std::min(widestWord, room / 2));
    return std::clamp(width, 0, std::max(room - column, 0));
}

int TransactionRow::neededColumn(const MoneyTransaction& t, int shortCategory) {
    int needed = TextFit::widestWord(t.category, categoryFont());
    const int category = static_cast<int>(std::ceil(QFontMetricsF(categoryFont()).horizontalAdvance(t.category)));
    if (category <= shortCategory) needed = std::max(needed, category);
    if (!t.note.isEmpty()) return needed;
    const QFontMetricsF detail(detailFont());
    return std::max(needed, static_cast<int>(std::ceil(detail.horizontalAdvance(detailText(t)))));
}

int TransactionRow::keptColumn(int widestWord, int numericDate, int room, int smallestAmount) {
    return std::max(widestWord, std::min(numericDate, room - smallestAmount));
}

int TransactionRow::keptColumn(const MoneyTransaction& t, int room) {
    const int word = TextFit::widestWord(t.category, categoryFont());
    if (!t.note.isEmpty()) return word;
    const int date = numericDateWidth() - kDateReach;
    // The smallest face is worked out only for an amount whose natural width leaves too little.
    const QString amount = signedAmountText(t);
    if (room - QFontMetrics(amountFont()).horizontalAdvance(amount) - 1 >= date) return std::max(word, date);
    return keptColumn(word, date, room, smallestAmountWidth(amount));
}

int TransactionRow::numericDateWidth() {
    // Measured once per face: the rows of a list ask for it row by row.
    static QFont measured;
    static int width = 0;
    const QFont face = detailFont();
    if (width == 0 || face != measured) {
        measured = face;
        width = QFontMetrics(face).horizontalAdvance(
            DateText::numericDateTime(QDateTime(QDate(2000, 10, 20), QTime(20, 0), Qt::UTC)));
    }
    return width;
}

int TransactionRow::smallestAmountWidth(const QString& amountText) {
    return QFontMetrics(TextFit::shrunkToFit(amountText, amountFont(), 0)).horizontalAdvance(amountText) + 1;
}

TransactionRow::DetailLine TransactionRow::detailLine(const MoneyTransaction& t, int columnWidth) {
    const QString line = detailText(t);
    if (!t.note.isEmpty() || QFontMetrics(detailFont()).horizontalAdvance(line) <= columnWidth)
        return {line, columnWidth};
    return {DateText::numericDateTime(t.date), columnWidth + kDateReach};
}

void TransactionRow::shareAmountSize(const QList<TransactionRow*>& rows) {
    QList<QPair<QString, int>> amounts;
    amounts.reserve(rows.size());
    for (const TransactionRow* row : rows)
        amounts.append({signedAmountText(row->transaction_), row->columnsAt(row->width()).amountWidth});
    const int shared = TransactionRowPainter::sharedAmountSize(amounts);
    for (TransactionRow* row : rows) {
        if (row->sharedPixelSize_ == shared) continue;
        row->sharedPixelSize_ = shared;
        row->update();
    }
}

void TransactionRow::scheduleSharing() {
    QWidget* list = parentWidget();
    if (!list || list->property("zanbeckSharingAmounts").toBool()) return;
    list->setProperty("zanbeckSharingAmounts", true);
    // Once for all the rows placed in this pass of the event loop.
    QTimer::singleShot(0, list, [list] {
        list->setProperty("zanbeckSharingAmounts", false);
        QList<TransactionRow*> rows;
        for (TransactionRow* row : list->findChildren<TransactionRow*>(Qt::FindDirectChildrenOnly))
            if (row->isVisibleTo(list) && row->width() > 0) rows << row;
        shareAmountSize(rows);
    });
}

namespace {
// The icon, the row spacing on either side of the text column, and the
// flexible gap of at least 8 before the amount.
constexpr int kChrome = TransactionRow::kIconBox + 3 * Spacing::rowSpacing + TransactionRow::kSpacerMin;
}  // namespace

TransactionRow::TransactionRow(const MoneyTransaction& transaction, QWidget* parent)
    : QWidget(parent), transaction_(transaction) {
    setObjectName(QStringLiteral("transactionRow"));
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    refresh();
    connect(&Theme::current(), &Theme::changed, this, &TransactionRow::refresh);
}

const TransactionRowPainter::Columns& TransactionRow::columnsAt(int width) const {
    if (width != measuredWidth_) {
        columns_ = TransactionRowPainter::columns(transaction_, width);
        measuredWidth_ = width;
    }
    return columns_;
}

int TransactionRow::heightForWidth(int width) const {
    return TransactionRowPainter::contentHeight(columnsAt(width).categoryHeight);
}

QSize TransactionRow::sizeHint() const {
    const int category = QFontMetrics(categoryFont()).horizontalAdvance(transaction_.category);
    const int detail = QFontMetrics(detailFont()).horizontalAdvance(detailText(transaction_));
    const int width = kChrome + std::max(category, detail) +
                      QFontMetrics(amountFont()).horizontalAdvance(signedAmountText(transaction_));
    return {width, heightForWidth(width)};
}

QSize TransactionRow::minimumSizeHint() const {
    // Never wider than a phone: the amount shrinks and the text wraps instead.
    const int width = kChrome + 2 * kIconBox;
    return {width, heightForWidth(width)};
}

void TransactionRow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    scheduleSharing();
}

void TransactionRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    TransactionRowPainter::Columns laid = columnsAt(width());
    laid.amountPixelSize = sharedPixelSize_;
    TransactionRowPainter::paint(&painter, rect(), transaction_, laid);
}

void TransactionRow::setTransaction(const MoneyTransaction& transaction) {
    transaction_ = transaction;
    refresh();
}

QString TransactionRow::kindSymbol(TransactionKind kind) {
    return kind == TransactionKind::income ? QStringLiteral("arrow.down.left")
                                           : QStringLiteral("arrow.up.right");
}

QString TransactionRow::signedAmountText(const MoneyTransaction& t) {
    const QString sign = t.kind == TransactionKind::income ? QStringLiteral("+") : QString(kMinusSign);
    return sign + cnyText(t.amount);
}

QString TransactionRow::detailText(const MoneyTransaction& t) {
    return t.note.isEmpty() ? DateText::abbreviatedDateTime(t.date) : t.note;
}

QString TransactionRow::accessibleText(const MoneyTransaction& t) {
    const QString kind =
        t.kind == TransactionKind::income ? QStringLiteral("Доход") : QStringLiteral("Расход");
    return kind + QStringLiteral(", ") + cnyText(t.amount) + QStringLiteral(", ") + t.category;
}

void TransactionRow::refresh() {
    measuredWidth_ = -1;  // the operation or the fonts changed
    setAccessibleName(accessibleText(transaction_));
    updateGeometry();
    scheduleSharing();
    update();
}
