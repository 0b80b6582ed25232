#include "views/planning/CategoryLimitsCard.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSet>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "components/Button.h"
#include "components/InViewWatch.h"
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

// A category's place in the limits card. Until its row is built it takes the
// height the row would take at its width (measured on the card's measuring
// row, once per content and width) and paints nothing; built, it holds the
// row edge to edge.
class CategoryLimitSlot : public QWidget {
public:
    CategoryLimitSlot(CategoryLimitsCard& card, const QString& category) : card_(card), category_(category) {
        setObjectName(QStringLiteral("categoryLimitSlot"));
        QSizePolicy policy = sizePolicy();
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    const QString& category() const { return category_; }
    const Decimal& limit() const { return limit_; }
    const Decimal& spent() const { return spent_; }
    CategoryBudgetRow* row() const { return row_; }

    void draw(const Decimal& limit, const Decimal& spent) {
        if (row_) {
            row_->draw(limit, spent);
            return;
        }
        if (limit == limit_ && spent == spent_) return;
        limit_ = limit;
        spent_ = spent;
        minimumHint_.reset();
        heights_.clear();
        updateGeometry();
    }

    CategoryBudgetRow* build() {
        if (row_) return row_;
        row_ = new CategoryBudgetRow(card_.store_, category_,
                                     CategoryLimitsCard::limitText(card_.store_.data(), category_));
        row_->draw(limit_, spent_);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(row_);
        row_->show();
        minimumHint_.reset();
        heights_.clear();
        return row_;
    }

    int heightForWidth(int width) const override {
        if (row_) return QWidget::heightForWidth(width);
        for (const auto& [w, h] : heights_)
            if (w == width) return h;
        // A layout asks at one or two widths: the last few answers are kept.
        const int h = card_.measuringRow(*this).layout()->totalHeightForWidth(width);
        if (heights_.size() == 4) heights_.erase(heights_.begin());
        heights_.emplace_back(width, h);
        return h;
    }
    QSize sizeHint() const override {
        if (row_) return QWidget::sizeHint();
        // As wide as the list it is given the whole of, at its height there,
        // rather than its row's narrower wish: the list's own size hint then
        // asks for no second width, which would measure every place again.
        if (const int width = listWidth(); width > 0) return {width, heightForWidth(width)};
        return card_.measuringRow(*this).sizeHint();
    }
    QSize minimumSizeHint() const override { return row_ ? QWidget::minimumSizeHint() : minimumHint(); }

protected:
    // Moved by the list's layout (a row above it grew, a row came or went):
    // it may have come into view.
    void moveEvent(QMoveEvent* event) override {
        QWidget::moveEvent(event);
        if (!row_) card_.inView_->schedule();
    }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (!row_) card_.inView_->schedule();
    }

private:
    // The width the list is laid out at, 0 before its first layout.
    int listWidth() const {
        const QWidget* list = parentWidget();
        return list && list->testAttribute(Qt::WA_Resized) ? list->width() : 0;
    }

    // The row's minimum size for this content, and its height at the list's
    // width, which the layout asks next: the measuring row takes this
    // content once for both.
    QSize minimumHint() const {
        if (!minimumHint_) {
            minimumHint_ = card_.measuringRow(*this).minimumSizeHint();
            if (const int width = listWidth(); width > 0) heightForWidth(width);
        }
        return *minimumHint_;
    }

    CategoryLimitsCard& card_;
    QString category_;
    Decimal limit_;
    Decimal spent_;
    CategoryBudgetRow* row_ = nullptr;
    mutable std::optional<QSize> minimumHint_;
    mutable std::vector<std::pair<int, int>> heights_;  // (width, height) measured for this content
};

CategoryBudgetRow::CategoryBudgetRow(MoneyStore& store, const QString& category, const QString& amountText,
                                     QWidget* parent)
    : QWidget(parent), store_(store), category_(category) {
    setObjectName(QStringLiteral("categoryBudgetRow"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(planner_style::limitRowSpacing);

    auto* line = line_ = new QHBoxLayout;
    line->setSpacing(planner_style::rowGap);
    name_ = new TextLabel(category, TextStyle::Body);
    name_->setObjectName(QStringLiteral("categoryName"));
    name_->setWordWrap(true);
    line->addWidget(name_, 1);
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

void CategoryBudgetRow::showContent(const QString& category, const Decimal& limit, const Decimal& spent) {
    name_->setText(category);
    draw(limit, spent);
    // Never shown, this row's layouts never run on their own: what they and
    // the texts' places in them keep of the last content is forgotten here
    // (the field and the button measure the same for every category).
    name_->updateGeometry();
    spent_->updateGeometry();
    lines_->updateGeometry();
    lines_->layout()->invalidate();
    line_->invalidate();
    layout()->invalidate();
}

void CategoryBudgetRow::save() {
    // Never refused: unreadable text counts as 0, and 0 or less removes the limit.
    store_.setCategoryBudget(category_, parseAmountInput(field_->text()).value_or(Decimal()));
}

CategoryLimitsCard::CategoryLimitsCard(MoneyStore& store, QWidget* parent)
    : MoneyCard(QStringLiteral("Лимиты категорий"), QStringLiteral("chart.pie"), nullptr, parent),
      store_(store),
      rows_(new KeyedRowList(planner_style::listSpacing)),
      inView_(new InViewWatch(this, [this](const QRect& inView) { buildRowsIn(inView); })) {
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
    const bool added = categories != rows_->keys();
    rows_->setKeys(
        categories, [this](const QString& category) -> QWidget* { return new CategoryLimitSlot(*this, category); },
        [&data, &spent](int, QWidget* widget) {
            auto* slot = static_cast<CategoryLimitSlot*>(widget);
            slot->draw(storedLimit(data, slot->category()), spent.value(slot->category()));
        });
    if (added) inView_->schedule();
}

void CategoryLimitsCard::refill() {
    // A row not built yet reads the stored limit when it is.
    const MoneyData& data = store_.data();
    for (const QString& category : rows_->keys())
        if (CategoryBudgetRow* built = builtRow(category)) built->field()->setText(limitText(data, category));
}

QStringList CategoryLimitsCard::categories() const { return rows_->keys(); }

CategoryLimitSlot* CategoryLimitsCard::slot(const QString& category) const {
    return rows_->rowAs<CategoryLimitSlot>(category);
}

CategoryBudgetRow* CategoryLimitsCard::row(const QString& category) {
    CategoryLimitSlot* place = slot(category);
    return place ? place->build() : nullptr;
}

CategoryBudgetRow* CategoryLimitsCard::builtRow(const QString& category) const {
    CategoryLimitSlot* place = slot(category);
    return place ? place->row() : nullptr;
}

const CategoryBudgetRow& CategoryLimitsCard::measuringRow(const CategoryLimitSlot& slot) const {
    if (!measuring_) {
        measuring_ = std::make_unique<CategoryBudgetRow>(store_, QString(), QString());
        measuring_->setObjectName(QStringLiteral("categoryBudgetMeasuringRow"));
        measuringName_.clear();
        measuringLimit_ = measuringSpent_ = Decimal();
    }
    if (slot.category() != measuringName_ || slot.limit() != measuringLimit_ || slot.spent() != measuringSpent_) {
        measuringName_ = slot.category();
        measuringLimit_ = slot.limit();
        measuringSpent_ = slot.spent();
        measuring_->showContent(measuringName_, measuringLimit_, measuringSpent_);
    }
    return *measuring_;
}

void CategoryLimitsCard::buildRowsIn(const QRect& inView) {
    for (const QString& category : rows_->keys()) {
        CategoryLimitSlot* place = slot(category);
        if (place->row() || place->isHidden()) continue;
        if (QRect(place->mapTo(this, QPoint(0, 0)), place->size()).intersects(inView)) place->build();
    }
}
