#include "views/family/TaskCardDelegate.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "components/Spinner.h"
#include "components/Symbols.h"
#include "components/TextFit.h"
#include "views/family/FamilyStyle.h"
#include "views/family/ParentCenterParts.h"
#include "views/family/TaskTexts.h"

namespace {

const QString kReview = QStringLiteral("review");
constexpr int kTopSpacing = 12;   // between the tile, the texts and the reward
constexpr int kTextSpacing = 4;   // between title and subtitle
constexpr int kStatusSymbol = 20;
constexpr int kApprovalsSymbol = 14;
constexpr int kApprovalsGap = 6;
constexpr qreal kRewardMinimumScale = 0.7;

QFont titleFont() { return Theme::font(TextStyle::Headline); }
QFont subtitleFont() { return Theme::font(TextStyle::Caption); }
QFont rewardFont() { return Theme::font(TextStyle::Caption, QFont::Black); }
QFont approvalsFont() { return Theme::font(TextStyle::Caption, QFont::Bold); }

Button::Face returnFace() {
    Button::Face face;
    face.text = QStringLiteral("Вернуть");
    face.symbol = QStringLiteral("arrow.uturn.backward");
    face.style = Button::Style::Bordered;
    face.textStyle = TextStyle::Footnote;
    face.weight = QFont::Bold;
    face.tint = Theme::current().color(ColorRole::Label);
    face.fullWidth = true;
    return face;
}

Button::Face approveFace() {
    Button::Face face;
    face.text = QStringLiteral("Подтвердить");
    face.symbol = QStringLiteral("checkmark");
    face.style = Button::Style::BorderedProminent;
    face.textStyle = TextStyle::Footnote;
    face.weight = QFont::Bold;
    face.tint = parentcenter::lime();
    face.labelColor = QColor(Qt::black);
    face.fullWidth = true;
    return face;
}

}  // namespace

QString TaskCardContent::statusWord(const QString& status) {
    if (status == QLatin1String("active")) return QStringLiteral("в работе");
    if (status == kReview) return QStringLiteral("ждёт проверки");
    return QStringLiteral("выполнено");
}

TaskCardContent TaskCardContent::of(const FamilyTask& task, const QString& currencyCode) {
    TaskCardContent c;
    if (task.status == QLatin1String("done")) {
        c.symbol = QStringLiteral("checkmark.seal.fill");
        c.symbolColor = ColorRole::Green;
    } else if (task.status == kReview) {
        c.symbol = QStringLiteral("bell.badge.fill");
        c.symbolColor = ColorRole::Orange;
    } else {
        c.symbol = QStringLiteral("clock.fill");
        c.symbolColor = ColorRole::SecondaryLabel;
    }
    c.title = task.title;
    c.subtitle = task.child_nickname + QStringLiteral(" · ") + statusWord(task.status);
    c.reward = taskRewardText(task.reward_cents, currencyCode);
    c.review = task.status == kReview;
    if (c.review) {
        const qint64 received = task.approval_count.value_or(0);
        const qint64 required =
            task.required_approvals && *task.required_approvals > 1 ? *task.required_approvals : 1;
        c.approvals = QStringLiteral("Подтверждения: %1/%2").arg(received).arg(required);
        c.ownVote = task.current_user_approved && *task.current_user_approved == 1;
    }
    return c;
}

void TaskCardDelegate::setCurrencyCode(const QString& code) {
    if (code == currency_) return;
    currency_ = code;
    cards_.clear();
}

void TaskCardDelegate::forgetMeasurements() const {
    metrics_.reset();
    cards_.clear();
    subtitleWidths_.clear();
}

const TaskCardDelegate::Metrics& TaskCardDelegate::metrics() const {
    if (!metrics_)
        metrics_.emplace(Metrics{QFontMetricsF(titleFont()), QFontMetricsF(subtitleFont()), QFontMetrics(rewardFont()),
                                 QFontMetrics(titleFont()).height(), QFontMetrics(subtitleFont()).height(),
                                 std::max(kApprovalsSymbol, QFontMetrics(approvalsFont()).height()),
                                 Button::faceSize(returnFace()).height()});
    return *metrics_;
}

TaskCardDelegate::Card* TaskCardDelegate::cardOf(const QString& id, const FamilyTask** taskOut) const {
    const auto task = tasks_.constFind(id);
    if (task == tasks_.constEnd()) return nullptr;
    if (taskOut) *taskOut = &*task;
    if (const auto it = cards_.find(id); it != cards_.end()) return &*it;
    const Metrics& m = metrics();
    const TaskCardContent content = TaskCardContent::of(*task, currency_);
    Card card;
    card.titleWidth = m.title.horizontalAdvance(content.title);
    auto subtitle = subtitleWidths_.constFind(content.subtitle);
    if (subtitle == subtitleWidths_.constEnd()) {
        if (subtitleWidths_.size() > 256) subtitleWidths_.clear();
        subtitle = subtitleWidths_.insert(content.subtitle, m.subtitle.horizontalAdvance(content.subtitle));
    }
    card.subtitleWidth = *subtitle;
    card.rewardWidth = m.reward.horizontalAdvance(content.reward) + 1;
    card.review = content.review;
    card.ownVote = content.ownVote;
    return &*cards_.insert(id, card);
}

TaskCardDelegate::Layout TaskCardDelegate::layout(Card& card, const FamilyTask& task,
                                                  const TaskCardContent* content, int width, bool busy) const {
    Layout l;
    const Metrics& m = metrics();
    const int pad = FamilyStyle::taskCardPadding;
    const int inner = std::max(width - 2 * pad, 1);
    l.rewardWidth = std::min(card.rewardWidth, inner / 3);
    l.textLeft = pad + FamilyStyle::statusTile + kTopSpacing;
    l.textWidth = std::max(inner - FamilyStyle::statusTile - 2 * kTopSpacing - l.rewardWidth, 1);
    if (card.textWidth != l.textWidth) {
        // One line when it fits, else wrapped: only then is text laid out.
        // A text within a pixel of the width is laid out as it is drawn, so
        // that it breaks where the drawing breaks it.
        const bool titleFits = card.titleWidth <= l.textWidth - 1;
        const bool subtitleFits = card.subtitleWidth <= l.textWidth - 1;
        std::optional<TaskCardContent> made;
        if (!content && (!titleFits || !subtitleFits)) content = &made.emplace(TaskCardContent::of(task, currency_));
        card.textWidth = l.textWidth;
        card.titleHeight =
            titleFits ? m.titleHeight : TextFit::wrappedHeight(content->title, titleFont(), l.textWidth);
        card.subtitleHeight = subtitleFits ? m.subtitleHeight
                                           : TextFit::wrappedHeight(content->subtitle, subtitleFont(), l.textWidth);
    }
    l.titleHeight = card.titleHeight;
    l.subtitleHeight = card.subtitleHeight;
    l.topHeight = std::max(FamilyStyle::statusTile, l.titleHeight + kTextSpacing + l.subtitleHeight);
    int y = pad + l.topHeight;
    if (card.review) {
        l.approvalsTop = y + FamilyStyle::taskCardSpacing;
        l.approvalsHeight = m.approvalsHeight;
        l.buttonsTop = l.approvalsTop + l.approvalsHeight + FamilyStyle::taskCardSpacing;
        y = l.buttonsTop + m.buttonHeight;
        if (busy) {
            l.spinnerTop = y + FamilyStyle::taskCardSpacing;
            y = l.spinnerTop + Spinner::kDefaultSize;
        }
    }
    l.height = y + pad;
    return l;
}

std::optional<TaskCardDelegate::TitleBox> TaskCardDelegate::titleBox(const QString& id, int width) const {
    const FamilyTask* task = nullptr;
    Card* card = cardOf(id, &task);
    if (!card) return std::nullopt;
    const Layout l = layout(*card, *task, nullptr, width, false);
    return TitleBox{l.textWidth, l.titleHeight};
}

int TaskCardDelegate::rowHeight(const QString& id, int width, bool busy) const {
    const FamilyTask* task = nullptr;
    Card* card = cardOf(id, &task);
    return card ? layout(*card, *task, nullptr, width, busy).height : 0;
}

QList<PaintedButton> TaskCardDelegate::buttons(const QString& id, int width, bool busy) const {
    const FamilyTask* task = nullptr;
    Card* card = cardOf(id, &task);
    if (!card || !card->review) return {};
    const Layout l = layout(*card, *task, nullptr, width, busy);
    const int pad = FamilyStyle::taskCardPadding;
    const int inner = width - 2 * pad;
    const int height = metrics().buttonHeight;
    // Two buttons share the row equally; a lone "Вернуть" fills it.
    if (card->ownVote) return {{kReturn, QRect(pad, l.buttonsTop, inner, height), QStringLiteral("Вернуть")}};
    const int half = (inner - FamilyStyle::taskButtonSpacing) / 2;
    return {{kReturn, QRect(pad, l.buttonsTop, half, height), QStringLiteral("Вернуть")},
            {kApprove, QRect(width - pad - half, l.buttonsTop, half, height), QStringLiteral("Подтвердить")}};
}

void TaskCardDelegate::paintRow(QPainter* p, const QString& id, const QRect& rect,
                                const PaintedRowState& state) const {
    const FamilyTask* task = nullptr;
    Card* card = cardOf(id, &task);
    if (!card) return;
    const TaskCardContent c = TaskCardContent::of(*task, currency_);
    const Layout l = layout(*card, *task, &c, rect.width(), state.busy);
    const Theme& theme = Theme::current();
    const qreal dpr = p->device() ? p->device()->devicePixelRatioF() : 1.0;
    const int pad = FamilyStyle::taskCardPadding;
    p->setRenderHint(QPainter::Antialiasing);

    // The card, outlined in gold while it awaits review.
    const qreal radius = FamilyStyle::taskCardRadius;
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect), radius, radius);
    p->fillPath(shape, theme.color(ColorRole::SecondaryGroupedBackground));
    if (c.review) {
        QColor outline = parentcenter::gold();
        outline.setAlphaF(0.7f);
        p->setPen(QPen(outline, FamilyStyle::taskCardOutline));
        const qreal inset = FamilyStyle::taskCardOutline / 2;
        p->drawRoundedRect(QRectF(rect).adjusted(inset, inset, -inset, -inset), radius, radius);
    }

    // Status tile.
    const QRect tile(rect.left() + pad, rect.top() + pad, FamilyStyle::statusTile, FamilyStyle::statusTile);
    QPainterPath tilePath;
    tilePath.addRoundedRect(QRectF(tile), FamilyStyle::statusTileRadius, FamilyStyle::statusTileRadius);
    p->fillPath(tilePath, theme.color(ColorRole::TertiaryGroupedBackground));
    p->drawPixmap(QRect(tile.center().x() - kStatusSymbol / 2 + 1, tile.center().y() - kStatusSymbol / 2 + 1,
                        kStatusSymbol, kStatusSymbol),
                  Symbols::pixmap(c.symbol, kStatusSymbol, theme.color(c.symbolColor), dpr));

    // Title over "nickname · status", and the reward at the trailing end.
    const int textLeft = rect.left() + l.textLeft;
    int y = rect.top() + pad;
    p->setPen(theme.color(ColorRole::Label));
    TextFit::WrappedText(c.title, titleFont(), l.textWidth).draw(p, QPointF(textLeft, y));
    y += l.titleHeight + kTextSpacing;
    p->setPen(theme.color(ColorRole::SecondaryLabel));
    TextFit::WrappedText(c.subtitle, subtitleFont(), l.textWidth).draw(p, QPointF(textLeft, y));
    p->setPen(theme.color(ColorRole::Green));
    const QRect reward(rect.right() + 1 - pad - l.rewardWidth, rect.top() + pad, l.rewardWidth,
                       QFontMetrics(rewardFont()).height());
    TextFit::drawOneLine(p, reward, c.reward, rewardFont(), Qt::AlignRight | Qt::AlignVCenter,
                         kRewardMinimumScale);
    if (!c.review) return;

    // Approvals: the figures, and the own vote at the trailing end.
    const QRect approvals(rect.left() + pad, rect.top() + l.approvalsTop, rect.width() - 2 * pad,
                          l.approvalsHeight);
    const QColor secondary = theme.color(ColorRole::SecondaryLabel);
    p->drawPixmap(QRect(approvals.left(), approvals.center().y() - kApprovalsSymbol / 2 + 1, kApprovalsSymbol,
                        kApprovalsSymbol),
                  Symbols::pixmap(QStringLiteral("person.2.fill"), kApprovalsSymbol, secondary, dpr));
    p->setFont(approvalsFont());
    int ownVoteWidth = 0;
    if (c.ownVote) {
        const QString vote = QStringLiteral("Ваш голос учтён");
        ownVoteWidth = QFontMetrics(approvalsFont()).horizontalAdvance(vote) + 1;
        p->setPen(theme.color(ColorRole::Green));
        p->drawText(approvals, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, vote);
    }
    p->setPen(secondary);
    const int figuresLeft = approvals.left() + kApprovalsSymbol + kApprovalsGap;
    TextFit::drawOneLine(p,
                         QRect(figuresLeft, approvals.top(),
                               approvals.right() + 1 - figuresLeft - ownVoteWidth - kApprovalsGap,
                               approvals.height()),
                         c.approvals, approvalsFont(), Qt::AlignLeft | Qt::AlignVCenter);

    for (const PaintedButton& button : buttons(id, rect.width(), state.busy))
        PaintedList::paintButton(p, rect, button, button.key == kApprove ? approveFace() : returnFace(), state);
    if (state.busy)
        PaintedList::paintSpinner(p, QPoint(rect.center().x(), rect.top() + l.spinnerTop + Spinner::kDefaultSize / 2),
                                  state);
}

QString TaskCardDelegate::accessibleName(const QString& id) const {
    const auto task = tasks_.constFind(id);
    if (task == tasks_.constEnd()) return {};
    const TaskCardContent c = TaskCardContent::of(*task, currency_);
    QStringList parts{c.title, c.reward};
    if (!task->child_nickname.isEmpty()) parts << task->child_nickname;
    parts << TaskCardContent::statusWord(task->status);
    if (c.review) parts << c.approvals;
    if (c.ownVote) parts << QStringLiteral("Ваш голос учтён");
    return parts.join(QStringLiteral(", "));
}

QString TaskCardDelegate::accessibleDescription(const QString& id, const QString&) const {
    const auto task = tasks_.constFind(id);
    if (task == tasks_.constEnd()) return {};
    return task->child_nickname.isEmpty() ? task->title : task->title + QStringLiteral(", ") + task->child_nickname;
}
