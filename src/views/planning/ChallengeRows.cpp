#include "views/planning/ChallengeRows.h"

#include <QPainter>
#include <algorithm>

#include "components/DateText.h"
#include "components/Symbols.h"
#include "components/TextFit.h"
#include "components/Theme.h"
#include "models/MoneyModels.h"
#include "store/MoneyMath.h"
#include "views/planning/ToolsStyle.h"

namespace {

constexpr int kSpacing = tools_style::challengeRowSpacing;
constexpr int kBarHeight = 6;  // as the kit's progress bar

QFont titleFont() { return Theme::font(TextStyle::Headline); }
QFont percentFont() { return Theme::font(TextStyle::Body); }
QFont captionFont() { return Theme::font(TextStyle::Caption); }

Button::Face stepFace(const QString& text) {
    Button::Face face;
    face.text = text;
    face.style = Button::Style::BorderedProminent;
    face.textStyle = TextStyle::Subheadline;
    face.tint = Theme::current().color(ColorRole::Purple);
    return face;
}

TitleLine titleLine(const ChallengeRowContent& row, int width) {
    return {row.title, titleFont(), row.percent, percentFont(), Symbols::sizeForText(Theme::pointSize(TextStyle::Headline)),
            width};
}

}  // namespace

ChallengeRowContent ChallengeRowContent::of(const SavingsChallenge& c, QDate endDay, const QString& currencyCode) {
    ChallengeRowContent row;
    row.challengeId = c.id;
    row.title = c.title;
    row.completed = c.isCompleted;
    // Exact decimal percent: 29 of 100 is 29, not 28.999…; a target at or
    // below zero (only from a file) gives 0 and an empty bar.
    row.percent = QString::number(money::truncatedPercent(c.progress, c.target)) + QStringLiteral("%");
    row.fraction = c.target.signum() > 0 ? std::clamp(money::ratio(c.progress, c.target), 0.0, 1.0) : 0.0;
    row.caption = c.progress.toString() + QStringLiteral(" из ") + c.target.toString() + QStringLiteral(" · до ") +
                  DateText::abbreviatedDate(endDay);
    if (!c.isCompleted) {
        const bool habit = c.kind == ChallengeKind::habit;
        row.stepAmount = habit ? 1 : 50;
        row.step = habit ? QStringLiteral("Засчитать день") : QStringLiteral("Добавить 50 ") + currencyCode;
    }
    return row;
}

QString ChallengeRowContent::symbol() const {
    return completed ? QStringLiteral("trophy.fill") : QStringLiteral("flag.fill");
}

ChallengeRowDelegate::Layout ChallengeRowDelegate::layout(const ChallengeRowContent& row, const TitleLine& title,
                                                          int width) const {
    Layout l;
    l.headerHeight = title.height;
    l.barTop = l.headerHeight + kSpacing;
    l.captionTop = l.barTop + kBarHeight + kSpacing;
    l.captionHeight = wrappedHeight(row.caption, captionFont(), width);
    l.height = l.captionTop + l.captionHeight;
    if (!row.step.isEmpty()) {
        l.buttonTop = l.height + kSpacing;
        l.buttonSize = Button::faceSize(stepFace(row.step));
        l.height = l.buttonTop + l.buttonSize.height();
    }
    return l;
}

const ChallengeRowDelegate::Measured* ChallengeRowDelegate::measured(const QString& id, int width) const {
    return measured_.find(id, width, titleLine, [this](const ChallengeRowContent& row, const TitleLine& title, int at) {
        return layout(row, title, at);
    });
}

int ChallengeRowDelegate::contentHeight(const QString& id, int width) const {
    const Measured* m = measured(id, width);
    return m ? m->layout.height : 0;
}

QList<PaintedButton> ChallengeRowDelegate::contentButtons(const QString& id, int width) const {
    const Measured* m = measured(id, width);
    if (!m || m->row.step.isEmpty()) return {};
    const QSize size = m->layout.buttonSize;
    return {{kStep, QRect(0, m->layout.buttonTop, std::min(size.width(), width), size.height()), m->row.step}};
}

void ChallengeRowDelegate::paintContent(QPainter* p, const QString& id, const QRect& rect,
                                        const PaintedRowState& state) const {
    const Measured* m = measured(id, rect.width());
    if (!m) return;
    const ChallengeRowContent& row = m->row;
    const Layout& l = m->layout;
    const Theme& theme = Theme::current();
    const QColor titleColor = theme.color(row.completed ? ColorRole::Yellow : ColorRole::Label);
    m->title->paint(p, rect.topLeft(), row.symbol(), titleColor, theme.color(ColorRole::Label));

    // The bar as the kit's progress bar draws it.
    const QRectF bar(rect.left(), rect.top() + l.barTop, rect.width(), kBarHeight);
    const qreal radius = kBarHeight / 2.0;
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(Qt::NoPen);
    p->setBrush(theme.color(ColorRole::Fill));
    p->drawRoundedRect(bar, radius, radius);
    if (row.fraction > 0) {
        p->setBrush(theme.color(ColorRole::Purple));
        p->drawRoundedRect(QRectF(bar.left(), bar.top(), std::max<qreal>(kBarHeight, bar.width() * row.fraction),
                                  kBarHeight),
                           radius, radius);
    }
    p->restore();

    p->setPen(theme.color(ColorRole::SecondaryLabel));
    TextFit::WrappedText(row.caption, captionFont(), rect.width())
        .draw(p, QPointF(rect.left(), rect.top() + l.captionTop));
    for (const PaintedButton& button : contentButtons(id, rect.width()))
        PaintedList::paintButton(p, rect, button, stepFace(row.step), state);
}

QString ChallengeRowDelegate::accessibleName(const QString& id) const {
    const auto it = rows_.constFind(id);
    if (it == rows_.constEnd()) return {};
    return it->title + QStringLiteral(", ") + it->percent + QStringLiteral(", ") + it->caption;
}
