#include "views/ledger/dashboard/TaskRows.h"

#include <QPainter>
#include <algorithm>

#include "components/DateText.h"
#include "components/TextFit.h"
#include "components/Theme.h"
#include "services/MoneyText.h"
#include "views/ledger/dashboard/DashboardStyle.h"

namespace {

namespace style = dashboard_style;

QFont titleFont() { return Theme::font(TextStyle::Subheadline, QFont::DemiBold); }
QFont rewardFont() { return Theme::font(TextStyle::Caption); }
QFont dueFont() { return Theme::font(TextStyle::Caption2); }

Button::Face doneFace() {
    Button::Face face;
    face.text = QStringLiteral("Готово");
    face.style = Button::Style::BorderedProminent;
    face.textStyle = TextStyle::Subheadline;
    face.weight = QFont::DemiBold;
    face.tint = Theme::current().color(ColorRole::Teal);
    face.labelColor = QColor(Qt::white);
    return face;
}

Button::Face moreFace() {
    Button::Face face;
    face.text = QLatin1String("");  // only the symbol; the name is the accessible name
    face.symbol = QStringLiteral("ellipsis");
    face.tint = Theme::current().color(ColorRole::Accent);
    return face;
}

// The buttons' width beside the texts: "Готово", the actions button and the gaps before each.
int buttonsWidth() {
    return Button::faceSize(doneFace()).width() + Button::faceSize(moreFace()).width() + 2 * style::taskRowGap;
}

}  // namespace

TaskRowContent TaskRowContent::of(const RewardTask& task) {
    TaskRowContent row{task.id, task.title,
                       QStringLiteral("Награда ") + cnyText(task.reward) + QStringLiteral(" · выполнено ") +
                           QString::number(task.completionCount),
                       {}};
    if (task.dueDate)
        row.due = QStringLiteral("До ") + DateText::abbreviatedDateTime(*task.dueDate) +
                  QStringLiteral(" · сложность ") + QString::number(task.difficulty.value_or(1)) +
                  QStringLiteral("/3");
    return row;
}

TaskRowLayout TaskRowDelegate::measure(const TaskRowContent& row, int width) const {
    TaskRowLayout l;
    l.textWidth = std::max(width - buttonsWidth(), 1);
    l.title = std::make_shared<const TextFit::WrappedText>(row.title, titleFont(), l.textWidth);
    l.reward = std::make_shared<const TextFit::WrappedText>(row.reward, rewardFont(), l.textWidth);
    l.rewardTop = l.title->height() + style::taskTextSpacing;
    int y = l.rewardTop + l.reward->height();
    if (!row.due.isEmpty()) {
        l.due = std::make_shared<const TextFit::WrappedText>(row.due, dueFont(), l.textWidth);
        l.dueTop = y + style::taskTextSpacing;
        y = l.dueTop + l.due->height();
    }
    l.textHeight = y;
    l.height = std::max({y, Button::faceSize(doneFace()).height(), Button::faceSize(moreFace()).height()});
    return l;
}

QList<PaintedButton> TaskRowDelegate::buttons(const QString& id, int width, bool) const {
    const TaskRowContent* row = find(id);
    if (!row) return {};
    const int height = layout(id, *row, width).height;
    const QSize more = Button::faceSize(moreFace());
    const QSize done = Button::faceSize(doneFace());
    // Both centred on the row, the actions button at the trailing edge.
    const QRect moreRect(width - more.width(), (height - more.height()) / 2, more.width(), more.height());
    const QRect doneRect(moreRect.left() - style::taskRowGap - done.width(), (height - done.height()) / 2,
                         done.width(), done.height());
    return {{kDone, doneRect, QStringLiteral("Готово")}, {kMore, moreRect, QStringLiteral("Действия")}};
}

void TaskRowDelegate::paintRow(QPainter* p, const QString& id, const QRect& rect,
                               const PaintedRowState& state) const {
    const TaskRowContent* found = find(id);
    if (!found) return;
    const TaskRowContent& row = *found;
    const TaskRowLayout& l = layout(id, row, rect.width());
    const Theme& theme = Theme::current();
    // The texts are centred on the row as the buttons are.
    const int top = rect.top() + (l.height - l.textHeight) / 2;
    p->setPen(theme.color(ColorRole::Label));
    l.title->draw(p, QPointF(rect.left(), top));
    p->setPen(theme.color(ColorRole::SecondaryLabel));
    l.reward->draw(p, QPointF(rect.left(), top + l.rewardTop));
    if (l.due) l.due->draw(p, QPointF(rect.left(), top + l.dueTop));
    for (const PaintedButton& button : buttons(id, rect.width(), state.busy))
        PaintedList::paintButton(p, rect, button, button.key == kDone ? doneFace() : moreFace(), state);
}

QString TaskRowDelegate::accessibleName(const QString& id) const {
    const TaskRowContent* row = find(id);
    if (!row) return {};
    QString name = row->title + QStringLiteral(", ") + row->reward;
    if (!row->due.isEmpty()) name += QStringLiteral(", ") + row->due;
    return name;
}
