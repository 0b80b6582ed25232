#include "components/TransactionRow.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
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

int TransactionRow::amountWidth(int natural, int room, int widestWord) {
    // A little over the smallest face's share, so that face still shows the whole amount.
    const int smallest = static_cast<int>(std::ceil(natural * (TextFit::kMinimumScale + 0.05)));
    return std::min(natural, std::max(room - widestWord, smallest));
}

TransactionRow::TransactionRow(const MoneyTransaction& transaction, QWidget* parent)
    : QWidget(parent), transaction_(transaction) {
    setObjectName(QStringLiteral("transactionRow"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(Spacing::rowSpacing);

    icon_ = new SymbolView({}, Symbols::sizeForText(Theme::pointSize(TextStyle::Headline)), this);
    icon_->setObjectName(QStringLiteral("kindIcon"));
    icon_->setFixedSize(kIconBox, kIconBox);

    auto* column = new QVBoxLayout;
    column->setSpacing(kColumnGap);
    column->setContentsMargins(0, 0, 0, 0);
    category_ = new TextLabel({}, TextStyle::Body, ColorRole::Label, this);
    category_->setObjectName(QStringLiteral("category"));
    category_->setTextStyle(TextStyle::Body, QFont::Medium);
    category_->setWordWrap(true);
    detail_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel, this);
    detail_->setObjectName(QStringLiteral("detail"));
    detail_->setElideMode(Qt::ElideRight);
    column->addWidget(category_);
    column->addWidget(detail_);

    amount_ = new TextLabel({}, TextStyle::Body, ColorRole::Label, this);
    amount_->setObjectName(QStringLiteral("amount"));
    amount_->setTextStyle(TextStyle::Body, QFont::DemiBold);
    amount_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    amount_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    amount_->setMinimumScaleFactor(TextFit::kMinimumScale);

    row->addWidget(icon_, 0, Qt::AlignVCenter);
    row->addLayout(column, 1);
    // The flexible gap before the amount keeps at least 8, with the row
    // spacing on both of its sides (a spacer item gets none from the layout).
    row->addSpacing(Spacing::rowSpacing + kSpacerMin);
    row->addWidget(amount_, 0, Qt::AlignVCenter);

    refresh();
    connect(&Theme::current(), &Theme::changed, this, &TransactionRow::refresh);
}

void TransactionRow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitAmount();
}

void TransactionRow::fitAmount() {
    const int natural = amount_->sizeHint().width();
    const int room = width() - kIconBox - 3 * Spacing::rowSpacing - kSpacerMin;
    const int allowed =
        width() > 0 ? amountWidth(natural, room, TextFit::widestWord(category_->text(), category_->font()))
                    : natural;
    if (amount_->maximumWidth() != allowed) amount_->setMaximumWidth(allowed);
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
    fitAmount();
}
