#include "views/ledger/dashboard/GoalRows.h"

#include <QPainter>
#include <algorithm>

#include "components/ProgressBar.h"
#include "components/TextFit.h"
#include "components/Theme.h"
#include "services/MoneyText.h"
#include "store/LedgerQueries.h"
#include "views/ledger/dashboard/DashboardStyle.h"

namespace {

namespace style = dashboard_style;

QFont nameFont() { return Theme::font(TextStyle::Subheadline, QFont::DemiBold); }
QFont amountFont() { return Theme::font(TextStyle::Subheadline); }
QFont percentFont() { return Theme::font(TextStyle::Caption); }

}  // namespace

GoalRowContent GoalRowContent::of(const SavingsGoal& goal, const Decimal& balance) {
    const GoalProgress progress = ledger::goalProgress(balance, goal.amount);
    return {goal.id, goal.name, cnyText(goal.amount), progress.fraction, progress.percent};
}

QString GoalRowContent::percentText() const { return QString::number(percent) + QStringLiteral("% накоплено"); }

QString GoalRowContent::accessibleName() const {
    return QStringLiteral("Цель ") + name + QStringLiteral(", ") + amount + QStringLiteral(", накоплено ") +
           QString::number(percent) + QStringLiteral(" процентов");
}

GoalRowLayout GoalRowDelegate::measure(const GoalRowContent& row, int width) const {
    GoalRowLayout l;
    l.button = Button::faceSize(trashFace());
    const int beside = std::max(width - l.button.width() - 2 * style::goalRowGap, 1);
    l.name = texts_.titleBesideAmount(row.name, nameFont(), row.amount, amountFont(), beside);
    l.lineHeight = std::max({l.name.titleHeight, l.button.height(), QFontMetrics(amountFont()).height()});
    l.barTop = l.lineHeight + style::goalRowSpacing;
    l.percentTop = l.barTop + style::goalBarHeight + style::goalRowSpacing;
    l.height = l.percentTop + QFontMetrics(percentFont()).height();
    return l;
}

QList<PaintedButton> GoalRowDelegate::buttons(const QString& id, int width, bool) const {
    const GoalRowContent* row = find(id);
    if (!row) return {};
    const GoalRowLayout& l = layout(id, *row, width);
    const QRect rect(width - l.button.width(), (l.lineHeight - l.button.height()) / 2, l.button.width(),
                     l.button.height());
    return {{kDelete, rect, QStringLiteral("Удалить цель")}};
}

void GoalRowDelegate::paintRow(QPainter* p, const QString& id, const QRect& rect,
                               const PaintedRowState& state) const {
    const GoalRowContent* found = find(id);
    if (!found) return;
    const GoalRowContent& row = *found;
    const GoalRowLayout& l = layout(id, row, rect.width());
    const Theme& theme = Theme::current();
    p->setPen(theme.color(ColorRole::Label));
    // The name sits on the line's middle when it is one line.
    TextFit::WrappedText(row.name, l.name.titleFont, l.name.titleWidth)
        .draw(p, QPointF(rect.left(), rect.top() + (l.lineHeight - l.name.titleHeight) / 2));
    const int amountRight = rect.right() + 1 - l.button.width() - style::goalRowGap;
    const int amountWidth = l.name.amountWidth;
    TextFit::drawOneLine(p, QRect(amountRight - amountWidth, rect.top(), amountWidth, l.lineHeight), row.amount,
                         amountFont(), Qt::AlignRight | Qt::AlignVCenter);
    for (const PaintedButton& button : buttons(id, rect.width(), state.busy))
        PaintedList::paintButton(p, rect, button, trashFace(), state);
    ProgressBar::paint(p, QRectF(rect.left(), rect.top() + l.barTop, rect.width(), style::goalBarHeight),
                       row.fraction, theme.color(ColorRole::Teal));
    p->setPen(theme.color(ColorRole::SecondaryLabel));
    p->setFont(percentFont());
    p->drawText(QRect(rect.left(), rect.top() + l.percentTop, rect.width(), QFontMetrics(percentFont()).height()),
                Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, row.percentText());
}

QString GoalRowDelegate::accessibleName(const QString& id) const {
    const GoalRowContent* row = find(id);
    return row ? row->accessibleName() : QString();
}
