#include "views/planning/TemplatesCard.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "components/Button.h"
#include "components/TextFit.h"
#include "services/MoneyText.h"
#include "store/MoneyStore.h"
#include "views/ledger/TransactionFormParts.h"
#include "views/planning/PlannerStyle.h"

namespace {

namespace style = planner_style;

QFont titleFont() { return Theme::font(TextStyle::Body, QFont::DemiBold); }
QFont detailFont() { return Theme::font(TextStyle::Caption); }

}  // namespace

TemplateRowContent TemplateRowContent::of(const QuickTemplate& item) {
    return {item.id, item.title,
            transaction_form::kindTitle(item.kind) + QStringLiteral(" · ") + cnyText(item.amount)};
}

TemplateRowLayout TemplateRowDelegate::measure(const TemplateRowContent& row, int width) const {
    TemplateRowLayout l;
    l.textWidth = std::max(width - Button::faceSize(trashFace()).width() - style::rowGap, 1);
    l.detailTop = style::templateRowInset + texts_.wrappedHeight(row.title, titleFont(), l.textWidth) +
                  style::templateTextSpacing;
    const int texts =
        l.detailTop + texts_.wrappedHeight(row.detail, detailFont(), l.textWidth) + style::templateRowInset;
    l.height = std::max(texts, Button::faceSize(trashFace()).height());
    return l;
}

QList<PaintedButton> TemplateRowDelegate::buttons(const QString& id, int width, bool) const {
    const TemplateRowContent* row = find(id);
    if (!row) return {};
    const TemplateRowLayout& l = layout(id, *row, width);
    const QSize trash = Button::faceSize(trashFace());
    return {{kApply, QRect(0, 0, l.textWidth, l.height), row->accessibleName()},
            {kDelete, QRect(width - trash.width(), (l.height - trash.height()) / 2, trash.width(), trash.height()),
             QStringLiteral("Удалить")}};
}

void TemplateRowDelegate::paintRow(QPainter* p, const QString& id, const QRect& rect,
                                   const PaintedRowState& state) const {
    const TemplateRowContent* found = find(id);
    if (!found) return;
    const TemplateRowContent& row = *found;
    const TemplateRowLayout& l = layout(id, row, rect.width());
    const Theme& theme = Theme::current();
    const QList<PaintedButton> shown = buttons(id, rect.width(), state.busy);
    // The texts are a plain button: no fill, only the press and the focus show.
    const QRectF apply = QRectF(shown[0].rect.translated(rect.topLeft()));
    QPainterPath path;
    path.addRoundedRect(apply, style::pressedRadius, style::pressedRadius);
    if (state.isEnabled(shown[0]) && state.pressedKey == kApply) p->fillPath(path, theme.color(ColorRole::Fill));
    if (state.focusKey == kApply) {
        QColor ring = theme.accent();
        ring.setAlphaF(0.5f);
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(QPen(ring, 2));
        p->drawPath(path);
        p->restore();
    }
    p->setPen(theme.color(ColorRole::Label));
    TextFit::WrappedText(row.title, titleFont(), l.textWidth)
        .draw(p, QPointF(rect.left(), rect.top() + style::templateRowInset));
    p->setPen(theme.color(ColorRole::SecondaryLabel));
    TextFit::WrappedText(row.detail, detailFont(), l.textWidth).draw(p, QPointF(rect.left(), rect.top() + l.detailTop));
    PaintedList::paintButton(p, rect, shown[1], trashFace(), state);
}

TemplatesCard::TemplatesCard(MoneyStore& store, std::function<void()> newTemplate, QWidget* parent)
    : MoneyCard(QStringLiteral("Быстрые шаблоны"), QStringLiteral("bolt.fill"), nullptr, parent), store_(store) {
    setObjectName(QStringLiteral("templatesCard"));
    list_ = new PaintedList(delegate_);
    list_->setObjectName(QStringLiteral("templateRows"));
    list_->setSpacing(2 * style::listSpacing + 1);
    list_->setDividers(true);
    addWidget(list_);
    connect(list_, &PaintedList::buttonClicked, this, [this](const QString& key, const QString& button) {
        const auto it = rows_.constFind(key);
        if (it == rows_.constEnd()) return;
        const QString id = it->templateId;
        if (button == TemplateRowDelegate::kApply)
            store_.applyTemplate(id);
        else
            store_.deleteTemplate(id);
    });
    new_ = new Button(QStringLiteral("Новый шаблон"), Button::Style::Bordered, QStringLiteral("plus.circle.fill"));
    new_->setObjectName(QStringLiteral("newTemplateButton"));
    addWidget(new_, 0, Qt::AlignLeft);
    connect(new_, &QAbstractButton::clicked, this, [action = std::move(newTemplate)] {
        if (action) action();
    });
}

void TemplatesCard::draw() {
    const std::vector<QuickTemplate> templates = store_.quickTemplatesInUse();
    auto [keys, next] = rowsOf<TemplateRowContent>(
        templates, [](const QuickTemplate& item) { return item.id; }, &TemplateRowContent::of);
    list_->setVisible(!templates.empty());
    showRows(list_, keys, replaceRows(rows_, std::move(next)));
}

int TemplatesCard::rowCount() const { return int(list_->rows().size()); }

QString TemplatesCard::keyAt(int index) const { return list_->rows().value(index); }

std::optional<TemplateRowContent> TemplatesCard::rowAt(int index) const {
    const auto it = rows_.constFind(keyAt(index));
    return it == rows_.constEnd() ? std::nullopt : std::optional(*it);
}
