#pragma once

#include <QStringList>
#include <algorithm>

#include "components/TransactionRow.h"
#include "support/FitCheck.h"

// An operation row's texts as it paints them: the category's lines, the
// second line (note or date) and the amount, told apart by their faces.
struct DrawnTransactionRow {
    QList<FitCheck::DrawnText> category;
    QList<FitCheck::DrawnText> detail;
    QList<FitCheck::DrawnText> amount;

    static DrawnTransactionRow of(QWidget& row) {
        DrawnTransactionRow out;
        const int categoryWeight = TransactionRow::categoryFont().weight();
        const int amountWeight = TransactionRow::amountFont().weight();
        for (const FitCheck::DrawnText& text : FitCheck::drawnTexts(row)) {
            if (text.font.weight() == amountWeight) out.amount << text;
            else if (text.font.weight() == categoryWeight) out.category << text;
            else out.detail << text;
        }
        return out;
    }
    // The category's lines joined as one text.
    QString categoryText() const {
        QStringList lines;
        for (const FitCheck::DrawnText& line : category) lines << line.text.trimmed();
        return lines.join(QLatin1Char(' '));
    }
    qreal categoryRight() const {
        qreal right = 0;
        for (const FitCheck::DrawnText& line : category) right = std::max(right, line.box.right());
        return right;
    }
    QString amountText() const { return amount.size() == 1 ? amount[0].text : QString(); }
    QString detailText() const { return detail.size() == 1 ? detail[0].text : QString(); }
};
