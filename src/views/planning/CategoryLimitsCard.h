#pragma once

#include <QHash>
#include <QStringList>

#include "components/MoneyCard.h"
#include "models/MoneyModels.h"

class Button;
class KeyedRowList;
class MoneyStore;
class ProgressBar;
class QLineEdit;

// One category of the limits card: its name, the limit field and "OK"; while
// a limit above 0 is stored, a bar and "Потрачено … из …". The field's text is
// the row's own: redraws never touch it.
class CategoryBudgetRow : public QWidget {
    Q_OBJECT
public:
    CategoryBudgetRow(MoneyStore& store, const QString& category, const QString& amountText,
                      QWidget* parent = nullptr);

    const QString& category() const { return category_; }
    // Shows the progress lines for a limit above 0.
    void draw(const Decimal& limit, const Decimal& spent);
    // "OK": text that does not read as an amount, 0 or less removes the limit.
    void save();

    QLineEdit* field() const { return field_; }
    Button* okButton() const { return ok_; }
    QWidget* progressLines() const { return lines_; }
    ProgressBar* bar() const { return bar_; }
    TextLabel* spentLabel() const { return spent_; }

private:
    MoneyStore& store_;
    QString category_;
    QLineEdit* field_;
    Button* ok_;
    QWidget* lines_;
    ProgressBar* bar_;
    TextLabel* spent_;
};

// "Лимиты категорий": one row per expense category (the defaults and every
// category an expense uses), in code-point order.
class CategoryLimitsCard : public MoneyCard {
    Q_OBJECT
public:
    explicit CategoryLimitsCard(MoneyStore& store, QWidget* parent = nullptr);

    // "Еда", "Транспорт", "Покупки", "Развлечения", "Здоровье", "Учёба", "Счета".
    static const QStringList& defaultCategories();
    // The defaults and `spent` (the category of every expense of any month, as
    // the ledger summary gathers them), each text once (exact comparison), in
    // Unicode code-point order.
    static QStringList expenseCategories(const std::vector<QString>& spent);
    // Whether a sorts before b by Unicode code points (QString's own < compares
    // UTF-16 units, which puts characters beyond U+FFFF before U+E000…U+FFFF).
    static bool codePointLess(const QString& a, const QString& b);
    // The plain text of a category's stored limit, "0" for none.
    static QString limitText(const MoneyData& data, const QString& category);

    // `monthSpent`: this month's expenses per category; `categories`: the
    // ledger's expenseCategories().
    void draw(const std::vector<CategoryAmount>& monthSpent, const QStringList& categories);
    // Every field back to its category's stored limit (another ledger is shown).
    void refill();

    QStringList categories() const;
    CategoryBudgetRow* row(const QString& category) const;

private:
    MoneyStore& store_;
    KeyedRowList* rows_;
};
