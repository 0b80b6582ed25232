#include "views/planning/TemplatesCard.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "components/MoneyFocus.h"
#include "components/Button.h"
#include "components/TextLabel.h"
#include "services/MoneyText.h"
#include "store/MoneyStore.h"
#include "views/ledger/DashboardParts.h"
#include "views/ledger/TransactionFormParts.h"
#include "views/planning/KeyedRowList.h"
#include "views/planning/PlannerStyle.h"

TemplateRow::TemplateRow(MoneyStore& store, QWidget* parent) : QWidget(parent), store_(store) {
    setObjectName(QStringLiteral("templateRow"));
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(planner_style::rowGap);

    // A plain button: no fill, only the press shows.
    apply_ = new TileButton(ColorRole::Fill, 0, planner_style::pressedRadius);
    apply_->setObjectName(QStringLiteral("applyTemplateButton"));
    MoneyFocus::mark(apply_);
    auto* texts = new QVBoxLayout(apply_);
    texts->setContentsMargins(0, 2, 0, 2);
    texts->setSpacing(planner_style::templateTextSpacing);
    title_ = new TextLabel({}, TextStyle::Body);
    title_->setObjectName(QStringLiteral("templateTitle"));
    title_->setTextStyle(TextStyle::Body, QFont::DemiBold);
    title_->setWordWrap(true);
    texts->addWidget(title_);
    detail_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    detail_->setObjectName(QStringLiteral("templateDetail"));
    detail_->setWordWrap(true);
    texts->addWidget(detail_);
    apply_->makeChildrenTransparent();
    line->addWidget(apply_, 1);

    delete_ = new Button(QStringLiteral("Удалить"), Button::Style::Plain, QStringLiteral("trash"));
    delete_->setObjectName(QStringLiteral("deleteTemplateButton"));
    MoneyFocus::mark(delete_);
    delete_->setIconOnly(true);
    delete_->setRole(Button::Role::Destructive);
    line->addWidget(delete_, 0, Qt::AlignVCenter);

    connect(apply_, &QAbstractButton::clicked, this, [this] { store_.applyTemplate(templateId_); });
    connect(delete_, &QAbstractButton::clicked, this, [this] { store_.deleteTemplate(templateId_); });
}

void TemplateRow::draw(const QuickTemplate& item) {
    templateId_ = item.id;
    title_->setText(item.title);
    const QString detail =
        transaction_form::kindTitle(item.kind) + QStringLiteral(" · ") + cnyText(item.amount);
    detail_->setText(detail);
    apply_->setAccessibleName(item.title + QStringLiteral(", ") + detail);
}

TemplatesCard::TemplatesCard(MoneyStore& store, std::function<void()> newTemplate, QWidget* parent)
    : MoneyCard(QStringLiteral("Быстрые шаблоны"), QStringLiteral("bolt.fill"), nullptr, parent),
      store_(store),
      rows_(new KeyedRowList(planner_style::listSpacing)) {
    setObjectName(QStringLiteral("templatesCard"));
    addWidget(rows_);
    new_ = new Button(QStringLiteral("Новый шаблон"), Button::Style::Bordered,
                      QStringLiteral("plus.circle.fill"));
    new_->setObjectName(QStringLiteral("newTemplateButton"));
    addWidget(new_, 0, Qt::AlignLeft);
    connect(new_, &QAbstractButton::clicked, this, [action = std::move(newTemplate)] {
        if (action) action();
    });
}

void TemplatesCard::draw() {
    const std::vector<QuickTemplate> templates = store_.quickTemplatesInUse();
    QStringList ids;
    ids.reserve(qsizetype(templates.size()));
    for (const QuickTemplate& t : templates) ids.append(t.id);
    rows_->setVisible(!templates.empty());
    rows_->setKeys(
        KeyedRowList::uniqueKeys(ids), [this](const QString&) { return new TemplateRow(store_); },
        [&templates](int i, QWidget* row) { static_cast<TemplateRow*>(row)->draw(templates[i]); });
}

int TemplatesCard::rowCount() const { return int(rows_->keys().size()); }

TemplateRow* TemplatesCard::rowAt(int index) const {
    return rows_->rowAs<TemplateRow>(rows_->keys().value(index));
}
