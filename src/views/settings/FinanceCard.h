#pragma once

#include <QList>
#include <QPointer>

#include "components/MoneyCard.h"
#include "components/Overlays.h"

class Button;
class Haptics;
class MoneyStore;
class QLineEdit;
class TextLabel;

// "Настройки копилки": the main goal's name and amount, the daily limit and
// the starting balance, saved together with "Сохранить настройки".
//
// The fields are filled from the ledger once per screen (fill()), so unsaved
// edits survive the page being shown again, and keep their typed text after a
// save. Saving is possible while all three amounts parse (zero and negative
// amounts pass; the store clamps the goal and the limit). A save plays the
// success feedback only when the ledger was written; a failed write plays the
// error feedback and shows the store's error, which dismissing clears.
class FinanceCard : public MoneyCard {
    Q_OBJECT
public:
    FinanceCard(MoneyStore& store, Haptics& haptics, QWidget* parent = nullptr);
    ~FinanceCard() override;

    // Copies the ledger's values into the fields, the first time only.
    void fill();
    void save();

    QLineEdit* nameField() const { return name_; }
    QLineEdit* goalAmountField() const { return amounts_.value(0); }
    QLineEdit* dailyLimitField() const { return amounts_.value(1); }
    QLineEdit* startingBalanceField() const { return amounts_.value(2); }
    Button* saveButton() const { return save_; }
    // The currency code each amount row ends with.
    QList<TextLabel*> currencyLabels() const { return codes_; }

private:
    QWidget* moneyField(const QString& title, const QString& objectName);
    void updateSaveButton();
    void showCurrency();

    MoneyStore& store_;
    Haptics& haptics_;
    QLineEdit* name_;
    QList<QLineEdit*> amounts_;
    QList<TextLabel*> codes_;
    Button* save_;
    QPointer<Alert> errorAlert_;
    bool loaded_ = false;
};
