#include "components/TransactionRow.h"

#include <QFontMetricsF>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "components/DateText.h"
#include "components/SymbolView.h"
#include "components/Symbols.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
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
    const int body = amountFont().pixelSize();
    const int floor = static_cast<int>(std::ceil(body * kSharedSizeFloor));
    int shared = body;
    for (const TransactionRow* row : rows)
        if (const int size = row->fittingAmountSize(); size >= floor) shared = std::min(shared, size);
    for (TransactionRow* row : rows) {
        const bool alone = row->fittingAmountSize() < floor;
        row->amount_->setPixelSize(alone || shared == body ? 0 : shared);
    }
}

int TransactionRow::fittingAmountSize() const {
    const int allowed = split(width()).amount;
    return TextFit::shrunkToFit(amount_->text(), amountFont(), allowed).pixelSize();
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

    // Laid out by hand (place()): the text column takes every pixel the
    // amount leaves, which a box layout would share out by size hints.
    icon_ = new SymbolView({}, Symbols::sizeForText(Theme::pointSize(TextStyle::Headline)), this);
    icon_->setObjectName(QStringLiteral("kindIcon"));
    icon_->setFixedSize(kIconBox, kIconBox);

    category_ = new TextLabel({}, TextStyle::Body, ColorRole::Label, this);
    category_->setObjectName(QStringLiteral("category"));
    category_->setTextStyle(TextStyle::Body, QFont::Medium);
    category_->setWordWrap(true);
    detail_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel, this);
    detail_->setObjectName(QStringLiteral("detail"));
    detail_->setElideMode(Qt::ElideRight);

    amount_ = new TextLabel({}, TextStyle::Body, ColorRole::Label, this);
    amount_->setObjectName(QStringLiteral("amount"));
    amount_->setTextStyle(TextStyle::Body, QFont::DemiBold);
    amount_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    amount_->setMinimumScaleFactor(TextFit::kMinimumScale);

    refresh();
    connect(&Theme::current(), &Theme::changed, this, &TransactionRow::refresh);
}

TransactionRow::Split TransactionRow::split(int width) const {
    const int room = std::max(width - kChrome, 0);
    // Measured in the body size, whatever size the list shares now.
    const int natural =
        static_cast<int>(std::ceil(QFontMetricsF(amountFont()).horizontalAdvance(amount_->text()))) + 1;
    const int shortCategory = static_cast<int>(room * kShortCategoryShare);
    const int amount =
        amountWidth(natural, room, neededColumn(transaction_, shortCategory), keptColumn(transaction_, room));
    return {room - amount, amount};
}

int TransactionRow::columnHeight(int columnWidth) const {
    return category_->heightForWidth(columnWidth) + kColumnGap + detail_->sizeHint().height();
}

int TransactionRow::heightForWidth(int width) const {
    return std::max(kIconBox, columnHeight(std::max(split(width).column, 1)));
}

QSize TransactionRow::sizeHint() const {
    const int column = std::max(category_->sizeHint().width(), detail_->sizeHint().width());
    const int width = kChrome + column + QFontMetrics(amountFont()).horizontalAdvance(amount_->text()) + 1;
    return {width, heightForWidth(width)};
}

QSize TransactionRow::minimumSizeHint() const {
    // Never wider than a phone: the amount shrinks and the text wraps instead.
    const int width = kChrome + 2 * kIconBox;
    return {width, heightForWidth(width)};
}

void TransactionRow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place();
}

void TransactionRow::place() {
    const Split parts = split(width());
    const int middle = height() / 2;
    icon_->move(0, middle - kIconBox / 2);
    const int column = std::max(parts.column, 1);
    const int categoryHeight = category_->heightForWidth(column);
    const int detailHeight = detail_->sizeHint().height();
    const int top = middle - (categoryHeight + kColumnGap + detailHeight) / 2;
    const int left = kIconBox + Spacing::rowSpacing;
    category_->setGeometry(left, top, column, categoryHeight);
    // Beside a long amount the date may only fit in digits.
    const DetailLine line = detailLine(transaction_, column);
    if (detail_->text() != line.text) detail_->setText(line.text);
    detail_->setGeometry(left, top + categoryHeight + kColumnGap, line.width, detailHeight);
    const int amountHeight = QFontMetrics(amountFont()).height();
    amount_->setGeometry(width() - parts.amount, middle - amountHeight / 2, parts.amount, amountHeight);
    scheduleSharing();
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
    const Theme& theme = Theme::current();
    const bool income = transaction_.kind == TransactionKind::income;
    const QColor kindColor = theme.color(income ? ColorRole::Green : ColorRole::Orange);

    icon_->setSymbol(kindSymbol(transaction_.kind));
    icon_->setTint(kindColor);
    QColor pale = kindColor;
    pale.setAlphaF(0.12f);
    icon_->setCircleBackground(pale);

    category_->setText(transaction_.category);
    detail_->setText(detailText(transaction_));
    amount_->setText(signedAmountText(transaction_));
    if (income)
        amount_->setColorRole(ColorRole::Green);
    else
        amount_->setColorRole(ColorRole::Label);

    setAccessibleName(accessibleText(transaction_));
    updateGeometry();
    place();
}
