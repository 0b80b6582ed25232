#include "views/planning/CategoryLimitsCard.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QSet>
#include <QVBoxLayout>
#include <algorithm>

#include "components/Button.h"
#include "components/ProgressBar.h"
#include "components/TextLabel.h"
#include "services/AmountInput.h"
#include "services/MoneyText.h"
#include "store/MoneyMath.h"
#include "store/MoneyStore.h"
#include "views/planning/KeyedRowList.h"
#include "views/planning/PlannerStyle.h"

namespace {

Decimal storedLimit(const MoneyData& data, const QString& category) {
    return data.categoryBudgets ? data.categoryBudgets->value(category) : Decimal();
}

// A UTF-16 unit moved so that comparing units orders by code point:
// surrogates (the characters beyond U+FFFF) go after U+E000…U+FFFF.
char16_t codePointOrder(char16_t unit) {
    if (unit >= 0xE000) return char16_t(unit - 0x800);
    if (unit >= 0xD800) return char16_t(unit + 0x2000);
    return unit;
}

}  // namespace

CategoryBudgetRow::CategoryBudgetRow(MoneyStore& store, const QString& category, const QString& amountText,
                                     QWidget* parent)
    : QWidget(parent), store_(store), category_(category) {
    setObjectName(QStringLiteral("categoryBudgetRow"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(planner_style::limitRowSpacing);

    auto* line = new QHBoxLayout;
    line->setSpacing(planner_style::rowGap);
    auto* name = new TextLabel(category, TextStyle::Body);
    name->setObjectName(QStringLiteral("categoryName"));
    name->setWordWrap(true);
    line->addWidget(name, 1);
    field_ = new QLineEdit(amountText);
    field_->setObjectName(QStringLiteral("categoryLimitField"));
    field_->setPlaceholderText(QStringLiteral("0"));
    field_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    field_->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    field_->setFixedWidth(planner_style::limitFieldWidth);
    field_->setAccessibleName(QStringLiteral("Лимит: ") + category);
    line->addWidget(field_);
    ok_ = new Button(QStringLiteral("OK"), Button::Style::Bordered);
    ok_->setObjectName(QStringLiteral("categoryLimitOk"));
    ok_->setTextStyle(TextStyle::Subheadline);
    line->addWidget(ok_);
    column->addLayout(line);

    lines_ = new QWidget;
    auto* progress = new QVBoxLayout(lines_);
    progress->setContentsMargins(0, 0, 0, 0);
    progress->setSpacing(planner_style::limitRowSpacing);
    bar_ = new ProgressBar;
    bar_->setObjectName(QStringLiteral("categoryLimitBar"));
    progress->addWidget(bar_);
    spent_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    spent_->setObjectName(QStringLiteral("categoryLimitSpent"));
    spent_->setWordWrap(true);
    progress->addWidget(spent_);
    column->addWidget(lines_);
    lines_->hide();

    connect(ok_, &QAbstractButton::clicked, this, &CategoryBudgetRow::save);
    connect(field_, &QLineEdit::returnPressed, this, &CategoryBudgetRow::save);
}

void CategoryBudgetRow::draw(const Decimal& limit, const Decimal& spent) {
    lines_->setVisible(limit.signum() > 0);
    if (limit.signum() <= 0) return;
    const bool over = limit < spent;
    bar_->setValue(std::min(money::ratio(spent, limit), 1.0));
    bar_->setTint(over ? ColorRole::Red : ColorRole::Teal);
    spent_->setText(QStringLiteral("Потрачено ") + cnyText(spent) + QStringLiteral(" из ") + cnyText(limit));
    spent_->setColorRole(over ? ColorRole::Red : ColorRole::SecondaryLabel);
}

void CategoryBudgetRow::save() {
    // Never refused: unreadable text counts as 0, and 0 or less removes the limit.
    store_.setCategoryBudget(category_, parseAmountInput(field_->text()).value_or(Decimal()));
}

CategoryLimitsCard::CategoryLimitsCard(MoneyStore& store, QWidget* parent)
    : MoneyCard(QStringLiteral("Лимиты категорий"), QStringLiteral("chart.pie"), nullptr, parent),
      store_(store),
      rows_(new KeyedRowList(planner_style::listSpacing)) {
    setObjectName(QStringLiteral("categoryLimitsCard"));
    addWidget(rows_);
}

const QStringList& CategoryLimitsCard::defaultCategories() {
    static const QStringList names{QStringLiteral("Еда"),      QStringLiteral("Транспорт"),
                                   QStringLiteral("Покупки"),  QStringLiteral("Развлечения"),
                                   QStringLiteral("Здоровье"), QStringLiteral("Учёба"),
                                   QStringLiteral("Счета")};
    return names;
}

bool CategoryLimitsCard::codePointLess(const QString& a, const QString& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = codePointOrder(a[i].unicode());
        const char16_t y = codePointOrder(b[i].unicode());
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

QStringList CategoryLimitsCard::expenseCategories(const std::vector<QString>& spent) {
    QStringList names = defaultCategories();
    for (const QString& category : spent)
        if (!names.contains(category)) names.append(category);
    std::sort(names.begin(), names.end(), codePointLess);
    return names;
}

QString CategoryLimitsCard::limitText(const MoneyData& data, const QString& category) {
    if (!data.categoryBudgets || !data.categoryBudgets->contains(category)) return QStringLiteral("0");
    return data.categoryBudgets->value(category).toString();
}

void CategoryLimitsCard::draw(const std::vector<CategoryAmount>& monthSpent, const QStringList& categories) {
    const MoneyData& data = store_.data();
    QHash<QString, Decimal> spent;
    for (const CategoryAmount& row : monthSpent) spent.insert(row.name, row.amount);
    rows_->setKeys(
        categories,
        [this, &data](const QString& category) -> QWidget* {
            return new CategoryBudgetRow(store_, category, limitText(data, category));
        },
        [&data, &spent](int, QWidget* widget) {
            auto* row = static_cast<CategoryBudgetRow*>(widget);
            row->draw(storedLimit(data, row->category()), spent.value(row->category()));
        });
}

void CategoryLimitsCard::refill() {
    const MoneyData& data = store_.data();
    for (const QString& category : rows_->keys()) row(category)->field()->setText(limitText(data, category));
}

QStringList CategoryLimitsCard::categories() const { return rows_->keys(); }

CategoryBudgetRow* CategoryLimitsCard::row(const QString& category) const {
    return rows_->rowAs<CategoryBudgetRow>(category);
}
