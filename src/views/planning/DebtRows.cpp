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

DebtRowDelegate::Layout DebtRowDelegate::layout(const DebtRowContent& row, const TitleLine& title, int width) const {
    Layout l;
    l.headerHeight = title.height;
    l.detailTop = l.headerHeight + kSpacing;
    l.detailHeight = wrappedHeight(row.detail, detailFont(), width);
    int y = l.detailTop + l.detailHeight;
    if (!row.due.isEmpty()) {
        l.dueTop = y + kSpacing;
        l.dueHeight = wrappedHeight(row.due, dueFont(), width);
        y = l.dueTop + l.dueHeight;
    }
    l.buttonTop = y + kSpacing;
    l.buttonSize = Button::faceSize(settleFace());
    l.height = l.buttonTop + l.buttonSize.height();
    return l;
}

const DebtRowDelegate::Measured* DebtRowDelegate::measured(const QString& id, int width) const {
    return measured_.find(id, width, titleLine, [this](const DebtRowContent& row, const TitleLine& title, int at) {
        return layout(row, title, at);
    });
}

int DebtRowDelegate::contentHeight(const QString& id, int width) const {
    const Measured* m = measured(id, width);
    return m ? m->layout.height : 0;
}

QList<PaintedButton> DebtRowDelegate::contentButtons(const QString& id, int width) const {
    const Measured* m = measured(id, width);
    if (!m) return {};
    const QSize size = m->layout.buttonSize;
    return {{kSettle, QRect(0, m->layout.buttonTop, std::min(size.width(), width), size.height()),
             QStringLiteral("Закрыть долг")}};
}

void DebtRowDelegate::paintContent(QPainter* p, const QString& id, const QRect& rect,
                                   const PaintedRowState& state) const {
    const Measured* m = measured(id, rect.width());
    if (!m) return;
    const DebtRowContent& row = m->row;
    const Layout& l = m->layout;
    const Theme& theme = Theme::current();
    m->title->paint(p, rect.topLeft(), row.symbol, theme.color(ColorRole::Label), theme.color(ColorRole::Label));
    p->setPen(theme.color(ColorRole::SecondaryLabel));
    TextFit::WrappedText(row.detail, detailFont(), rect.width()).draw(p, QPointF(rect.left(), rect.top() + l.detailTop));
    if (!row.due.isEmpty()) {
        p->setPen(theme.color(row.dueColor));
        TextFit::WrappedText(row.due, dueFont(), rect.width()).draw(p, QPointF(rect.left(), rect.top() + l.dueTop));
    }
    for (const PaintedButton& button : contentButtons(id, rect.width()))
        PaintedList::paintButton(p, rect, button, settleFace(), state);
}

QString DebtRowDelegate::accessibleName(const QString& id) const {
    const auto it = rows_.constFind(id);
    if (it == rows_.constEnd()) return {};
    QStringList parts{it->person, it->amount, it->detail};
    if (!it->due.isEmpty()) parts << it->due;
    return parts.join(QStringLiteral(", "));
}
