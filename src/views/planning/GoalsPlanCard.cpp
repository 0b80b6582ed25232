#include "views/planning/GoalsPlanCard.h"

#include <QPainter>
#include <algorithm>

#include "components/TextFit.h"
#include "services/MoneyText.h"
#include "store/LedgerQueries.h"
#include "store/MoneyMath.h"
#include "store/MoneyStore.h"
#include "views/planning/PlannerStyle.h"

namespace {

namespace style = planner_style;

const QString kPrimaryGoalId = QStringLiteral("primary");

QFont nameFont() { return Theme::font(TextStyle::Body, QFont::DemiBold); }
QFont captionFont() { return Theme::font(TextStyle::Caption); }

Button::Face archiveFace() {
    Button::Face face;
    face.text = QStringLiteral("Архивировать");
    face.symbol = QStringLiteral("archivebox");
    face.textStyle = TextStyle::Caption;
    face.tint = Theme::current().color(ColorRole::Accent);
    return face;
}

}  // namespace

GoalPlanContent GoalPlanContent::of(const SavingsGoal& goal, const Decimal& balance, std::optional<qint64> days) {
    const Decimal left = GoalsPlanCard::leftToSave(goal.amount, balance);
    GoalPlanContent row{goal.id, goal.name, QStringLiteral("Осталось ") + cnyText(left), {}, {},
                        goal.id != kPrimaryGoalId};
    if (days) row.days = QString::number(*days) + QStringLiteral(" дн. до срока");
    if (const std::optional<Decimal> daily = GoalsPlanCard::perDay(left, days))
        row.perDay = QStringLiteral("Нужно откладывать ") + cnyText(*daily) + QStringLiteral(" в день");
    return row;
}

GoalPlanLayout GoalPlanDelegate::measure(const GoalPlanContent& row, int width) const {
    GoalPlanLayout l;
    const int beside = std::max(width - style::rowGap, 1);
    l.name = texts_.titleBesideAmount(row.name, nameFont(), row.left, captionFont(), beside);
    const int caption = QFontMetrics(captionFont()).height();
    l.lineHeight = std::max(l.name.titleHeight, caption);
    int y = l.lineHeight;
    if (!row.days.isEmpty()) {
        l.daysTop = y + style::goalRowSpacing;
        y = l.daysTop + caption;
    }
    if (!row.perDay.isEmpty()) {
        l.perDayTop = y + style::goalRowSpacing;
        y = l.perDayTop + texts_.wrappedHeight(row.perDay, captionFont(), width);
    }
    if (row.archivable) {
        l.buttonTop = y + style::goalRowSpacing;
        y = l.buttonTop + Button::faceSize(archiveFace()).height();
    }
    l.height = y;
    return l;
}

QList<PaintedButton> GoalPlanDelegate::buttons(const QString& id, int width, bool) const {
    const GoalPlanContent* row = find(id);
    if (!row || !row->archivable) return {};
    const QSize size = Button::faceSize(archiveFace());
    return {{kArchive, QRect(QPoint(0, layout(id, *row, width).buttonTop), QSize(std::min(size.width(), width), size.height())),
             QStringLiteral("Архивировать")}};
}

void GoalPlanDelegate::paintRow(QPainter* p, const QString& id, const QRect& rect,
                                const PaintedRowState& state) const {
    const GoalPlanContent* found = find(id);
    if (!found) return;
    const GoalPlanContent& row = *found;
    const GoalPlanLayout& l = layout(id, row, rect.width());
    const Theme& theme = Theme::current();
    const QFontMetrics caption(captionFont());
    p->setPen(theme.color(ColorRole::Label));
    TextFit::WrappedText(row.name, l.name.titleFont, l.name.titleWidth)
        .draw(p, QPointF(rect.left(), rect.top() + (l.lineHeight - l.name.titleHeight) / 2));
    const int leftWidth = l.name.amountWidth;
    TextFit::drawOneLine(p, QRect(rect.right() + 1 - leftWidth, rect.top(), leftWidth, l.lineHeight), row.left,
                         captionFont(), Qt::AlignRight | Qt::AlignVCenter);
    if (!row.days.isEmpty()) {
        p->setPen(theme.color(ColorRole::SecondaryLabel));
        TextFit::drawOneLine(p, QRect(rect.left(), rect.top() + l.daysTop, rect.width(), caption.height()), row.days,
                             captionFont(), Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (!row.perDay.isEmpty()) {
        p->setPen(theme.color(ColorRole::Teal));
        TextFit::WrappedText(row.perDay, captionFont(), rect.width()).draw(p, QPointF(rect.left(), rect.top() + l.perDayTop));
    }
    for (const PaintedButton& button : buttons(id, rect.width(), state.busy))
        PaintedList::paintButton(p, rect, button, archiveFace(), state);
}

GoalsPlanCard::GoalsPlanCard(MoneyStore& store, QWidget* parent)
    : MoneyCard(QStringLiteral("План целей"), QStringLiteral("target"), nullptr, parent), store_(store) {
    setObjectName(QStringLiteral("goalsPlanCard"));
    list_ = new PaintedList(delegate_);
    list_->setObjectName(QStringLiteral("goalPlanRows"));
    list_->setSpacing(2 * style::listSpacing + 1);
    list_->setDividers(true);
    list_->hide();
    addWidget(list_);
    connect(list_, &PaintedList::buttonClicked, this, [this](const QString& key, const QString&) {
        if (const auto it = rows_.constFind(key); it != rows_.constEnd()) store_.archiveGoal(it->goalId);
    });
}

Decimal GoalsPlanCard::leftToSave(const Decimal& amount, const Decimal& balance) {
    const Decimal left = money::sub(amount, balance);
    return left.signum() > 0 ? left : Decimal();
}

std::optional<Decimal> GoalsPlanCard::perDay(const Decimal& left, std::optional<qint64> days) {
    if (!days || *days < 1) return std::nullopt;
    return money::div(left, Decimal(static_cast<long long>(*days)));
}

void GoalsPlanCard::draw(const QueryContext& ctx, const Decimal& balance) {
    const std::vector<SavingsGoal> goals = ledger::goals(store_.data());
    auto [keys, next] = rowsOf<GoalPlanContent>(
        goals, [](const SavingsGoal& goal) { return goal.id; },
        [&](const SavingsGoal& goal) {
            return GoalPlanContent::of(goal, balance, ledger::daysRemaining(goal, ctx));
        });
    // With no goals the card holds only its title.
    list_->setVisible(!goals.empty());
    showRows(list_, keys, replaceRows(rows_, std::move(next)));
}

int GoalsPlanCard::rowCount() const { return int(list_->rows().size()); }

QString GoalsPlanCard::keyAt(int index) const { return list_->rows().value(index); }

std::optional<GoalPlanContent> GoalsPlanCard::rowAt(int index) const {
    const auto it = rows_.constFind(keyAt(index));
    return it == rows_.constEnd() ? std::nullopt : std::optional(*it);
}

QString GoalPlanDelegate::accessibleName(const QString& id) const {
    const GoalPlanContent* row = find(id);
    if (!row) return {};
    QStringList parts{row->name, row->left};
    if (!row->days.isEmpty()) parts << row->days;
    if (!row->perDay.isEmpty()) parts << row->perDay;
    return parts.join(QStringLiteral(", "));
}
