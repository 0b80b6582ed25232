#pragma once

#include <QHash>
#include <QStringList>
#include <memory>

#include "components/MoneyCard.h"
#include "models/MoneyModels.h"

class Button;
class CategoryLimitSlot;
class InViewWatch;
class KeyedRowList;
class MoneyStore;
class ProgressBar;
class QHBoxLayout;
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
    // Shows another category's name, limit and spending, for a row kept for
    // measuring (never shown), which takes the content of each row not built
    // yet in turn.
    void showContent(const QString& category, const Decimal& limit, const Decimal& spent);
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
    TextLabel* name_;
    QHBoxLayout* line_;
    QLineEdit* field_;
    Button* ok_;
    QWidget* lines_;
    ProgressBar* bar_;
    TextLabel* spent_;
};

// "Лимиты категорий": one row per expense category (the defaults and every
// category an expense uses), in code-point order.
//
// A row is built when it comes into view (a field, its style sheet and its
// buttons cost as much as the rest of the tab): until then the category's
// place takes the exact height its row will take, measured on one row kept
// for measuring, so the card and the page are as tall from the start as with
// every row built. A row once built stays (typed text and focus survive),
// and a row built late reads the store's limit as it is then.
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
    // The category's row, built now if it was not yet (for what needs the
    // row itself, such as typing into it); nullptr for a category not listed.
    CategoryBudgetRow* row(const QString& category);
    // The row if it is built, without building it.
    CategoryBudgetRow* builtRow(const QString& category) const;

private:
    friend class CategoryLimitSlot;

    CategoryLimitSlot* slot(const QString& category) const;
    // The row kept for measuring, showing the slot's content (never shown itself).
    const CategoryBudgetRow& measuringRow(const CategoryLimitSlot& slot) const;
    // Builds the rows within `inView` (the card's coordinates).
    void buildRowsIn(const QRect& inView);

    MoneyStore& store_;
    KeyedRowList* rows_;
    mutable std::unique_ptr<CategoryBudgetRow> measuring_;
    // The content the measuring row shows now.
    mutable QString measuringName_;
    mutable Decimal measuringLimit_;
    mutable Decimal measuringSpent_;
    // Builds the rows that come into view; asked again once layouts settle.
    InViewWatch* inView_;
};
