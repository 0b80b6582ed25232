#include "views/planning/DebtRows.h"

#include <QPainter>
#include <algorithm>

#include "components/DateText.h"
#include "components/Symbols.h"
#include "components/TextFit.h"
#include "models/MoneyModels.h"
#include "services/MoneyText.h"
#include "views/planning/DebtsView.h"
#include "views/planning/ToolsStyle.h"

namespace {

constexpr int kSpacing = tools_style::debtRowSpacing;

QFont personFont() { return Theme::font(TextStyle::Body, QFont::DemiBold); }
QFont amountFont() {
    QFont f = Theme::font(TextStyle::Body);
    f.setFamily(Theme::monospacedFontFamily());
    return f;
}
QFont detailFont() { return Theme::font(TextStyle::Caption); }
QFont dueFont() { return Theme::font(TextStyle::Caption2); }

Button::Face settleFace() {
    Button::Face face;
    face.text = QStringLiteral("Закрыть долг");
    face.symbol = QStringLiteral("checkmark.circle");
    face.style = Button::Style::Bordered;
    face.textStyle = TextStyle::Subheadline;
    face.tint = Theme::current().color(ColorRole::Accent);
    return face;
}

TitleLine titleLine(const DebtRowContent& row, int width) {
    return {row.person, personFont(), row.amount, amountFont(), Symbols::sizeForText(Theme::pointSize(TextStyle::Body)),
            width};
}

QString directionSymbol(DebtDirection direction) {
    return direction == DebtDirection::owesMe ? QStringLiteral("arrow.down.left.circle.fill")
                                              : QStringLiteral("arrow.up.right.circle.fill");
}

}  // namespace

DebtRowContent DebtRowContent::of(const DebtRecord& debt, QDate today, QDate dueDay) {
    DebtRowContent row;
    row.debtId = debt.id;
    row.person = debt.person;
    row.symbol = directionSymbol(debt.direction);
    row.amount = cnyText(debt.amount);
    row.detail = debtDirectionTitle(debt.direction);
    if (!debt.note.isEmpty()) row.detail += QStringLiteral(" · ") + debt.note;
    if (debt.dueDate) {
        row.due = QStringLiteral("До ") + DateText::abbreviatedDate(dueDay);
        // Overdue once its whole day has passed, not during the day itself.
        row.dueColor = dueDay < today ? ColorRole::Red : ColorRole::SecondaryLabel;
    }
    return row;
}

DebtRowDelegate::Layout DebtRowDelegate::layout(const DebtRowContent& row, int width) const {
    Layout l;
    l.headerHeight = titleLine(row, width).height;
    l.detailTop = l.headerHeight + kSpacing;
    l.detailHeight = TextFit::wrappedHeight(row.detail, detailFont(), width);
    int y = l.detailTop + l.detailHeight;
    if (!row.due.isEmpty()) {
        l.dueTop = y + kSpacing;
        l.dueHeight = TextFit::wrappedHeight(row.due, dueFont(), width);
        y = l.dueTop + l.dueHeight;
    }
    l.buttonTop = y + kSpacing;
    l.height = l.buttonTop + Button::faceSize(settleFace()).height();
    return l;
}

int DebtRowDelegate::contentHeight(const QString& id, int width) const {
    const auto it = rows_.constFind(id);
    return it == rows_.constEnd() ? 0 : layout(*it, width).height;
}

QList<PaintedButton> DebtRowDelegate::contentButtons(const QString& id, int width) const {
    const auto it = rows_.constFind(id);
    if (it == rows_.constEnd()) return {};
    const QSize size = Button::faceSize(settleFace());
    return {{kSettle, QRect(0, layout(*it, width).buttonTop, std::min(size.width(), width), size.height()),
             QStringLiteral("Закрыть долг")}};
}

void DebtRowDelegate::paintContent(QPainter* p, const QString& id, const QRect& rect,
                                   const PaintedRowState& state) const {
    const auto it = rows_.constFind(id);
    if (it == rows_.constEnd()) return;
    const DebtRowContent& row = *it;
    const Layout l = layout(row, rect.width());
    const Theme& theme = Theme::current();
    titleLine(row, rect.width())
        .paint(p, rect.topLeft(), row.symbol, theme.color(ColorRole::Label), theme.color(ColorRole::Label));
    p->setPen(theme.color(ColorRole::SecondaryLabel));
    TextFit::WrappedText(row.detail, detailFont(), rect.width()).draw(p, QPointF(rect.left(), rect.top() + l.detailTop));
    if (!row.due.isEmpty()) {
        p->setPen(theme.color(row.dueColor));
        TextFit::WrappedText(row.due, dueFont(), rect.width()).draw(p, QPointF(rect.left(), rect.top() + l.dueTop));
    }
    for (const PaintedButton& button : contentButtons(id, rect.width()))
        PaintedList::paintButton(p, rect, button, settleFace(), state);
}
