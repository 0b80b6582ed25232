#include "views/planning/WishRowDelegate.h"

#include <QPainter>
#include <algorithm>

#include "components/ProgressBar.h"
#include "components/Symbols.h"
#include "components/TextFit.h"
#include "services/MoneyText.h"
#include "store/MoneyMath.h"
#include "views/planning/ToolsStyle.h"

namespace {

constexpr int kSymbolGap = 6;  // as a symbol label's
constexpr int kBarHeight = 6;

QFont titleFont() { return Theme::font(TextStyle::Headline); }
QFont priceFont() {
    QFont f = Theme::font(TextStyle::Subheadline);
    f.setFamily(Theme::monospacedFontFamily());
    return f;
}
QFont captionFont() { return Theme::font(TextStyle::Caption); }

Button::Face contributionFace(const QString& text) {
    Button::Face face;
    face.text = text;
    face.style = Button::Style::Bordered;
    face.textStyle = TextStyle::Subheadline;
    face.tint = Theme::current().color(ColorRole::Accent);
    return face;
}

struct Contribution {
    const QString& key;
    const char* title;
};
const Contribution kContributions[] = {{WishRowDelegate::kPlus10, "+10"},
                                       {WishRowDelegate::kPlus50, "+50"},
                                       {WishRowDelegate::kToGoal, "До цели"}};

}  // namespace

double WishRowContent::savedShare(const WishItem& wish) {
    if (wish.price.signum() <= 0) return wish.isCompleted ? 1.0 : 0.0;
    return qMin(money::ratio(wish.savedAmount, wish.price), 1.0);
}

WishRowContent WishRowContent::of(const WishItem& wish) {
    WishRowContent c;
    c.title = wish.title;
    c.symbol = wish.isCompleted ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("gift.fill");
    c.tint = wish.isCompleted ? ColorRole::Green : ColorRole::Label;
    c.price = cnyText(wish.price);
    c.share = savedShare(wish);
    c.barTint = wish.isCompleted ? ColorRole::Green : ColorRole::Teal;
    const Decimal rest = money::sub(wish.price, wish.savedAmount);
    c.caption = QStringLiteral("Накоплено ") + cnyText(wish.savedAmount) + QStringLiteral(" · осталось ") +
                cnyText(rest.signum() > 0 ? rest : Decimal());
    c.contributions = !wish.isCompleted;
    return c;
}

WishRowDelegate::Layout WishRowDelegate::measure(const WishRowContent& c, int width) const {
    Layout l;
    const QFont title = titleFont();
    l.symbolSize = Symbols::sizeForText(Theme::pointSize(TextStyle::Headline));
    l.titleLeft = l.symbolSize + kSymbolGap;
    // Title and price share what the symbol leaves, by the kit's rule for a
    // title beside its amount.
    const TextFit::TitleBesideAmount fit(c.title, title, c.price, priceFont(),
                                         std::max(width - l.titleLeft - tools_style::buttonGap, 2));
    l.titleFont = fit.titleFont;
    l.titleWidth = fit.titleWidth;
    l.priceWidth = fit.amountWidth;
    l.titleLines = fit.titleLines;
    l.titleHeight = fit.titleHeight;
    // A price under a long title has a line of its own.
    l.priceTop = fit.amountBelow ? std::max(l.titleHeight, l.symbolSize) : 0;
    const int header = std::max({l.titleHeight, l.symbolSize, l.priceTop + QFontMetrics(priceFont()).height()});
    l.barTop = header + tools_style::wishRowSpacing;
    l.captionTop = l.barTop + kBarHeight + tools_style::wishRowSpacing;
    l.captionHeight = TextFit::wrappedHeight(c.caption, captionFont(), std::max(width, 1));
    l.height = l.captionTop + l.captionHeight;
    if (c.contributions) {
        l.buttonsTop = l.height + tools_style::wishRowSpacing;
        int x = 0, tallest = 0;
        for (const Contribution& b : kContributions) {
            const QString text = QString::fromUtf8(b.title);
            const QSize size = Button::faceSize(contributionFace(text));
            l.buttons.append({b.key, QRect(QPoint(x, l.buttonsTop), QSize(std::min(size.width(), width), size.height())),
                              text});
            x += size.width() + tools_style::buttonGap;
            tallest = std::max(tallest, size.height());
        }
        l.height = l.buttonsTop + tallest;
    }
    return l;
}

const WishRowDelegate::Cached* WishRowDelegate::measured(const QString& id, int width) const {
    const auto it = wishes_.constFind(id);
    if (it == wishes_.constEnd()) return nullptr;
    Cached& cached = layouts_[id];
    if (cached.width != width || !(cached.wish == *it) || cached.currency != currency_) {
        cached = {width, *it, currency_, WishRowContent::of(*it), {}};
        cached.layout = measure(cached.content, width);
    }
    return &cached;
}

WishRowDelegate::Layout WishRowDelegate::layout(const QString& id, int width) const {
    const Cached* cached = measured(id, width);
    return cached ? cached->layout : Layout{};
}

int WishRowDelegate::rowHeight(const QString& id, int width, bool) const {
    const Cached* cached = measured(id, width);
    return cached ? cached->layout.height : 0;
}

QString WishRowDelegate::accessibleName(const QString& id) const {
    const auto it = wishes_.constFind(id);
    if (it == wishes_.constEnd()) return {};
    const WishRowContent c = WishRowContent::of(*it);
    return c.title + QStringLiteral(", ") + c.price + QStringLiteral(", ") + c.caption;
}

QList<PaintedButton> WishRowDelegate::buttons(const QString& id, int width, bool) const {
    const Cached* cached = measured(id, width);
    return cached ? cached->layout.buttons : QList<PaintedButton>{};
}

void WishRowDelegate::paintRow(QPainter* p, const QString& id, const QRect& rect,
                               const PaintedRowState& state) const {
    const Cached* cached = measured(id, rect.width());
    if (!cached) return;
    const WishRowContent& c = cached->content;
    const Layout& l = cached->layout;
    const Theme& theme = Theme::current();
    const QColor tint = theme.color(c.tint);
    const int top = rect.top();
    // The symbol beside the title's middle, as a symbol label sets it.
    p->drawPixmap(rect.left(), top + (l.titleHeight - l.symbolSize) / 2,
                  Symbols::pixmap(c.symbol, l.symbolSize, tint, p->device()->devicePixelRatioF()));
    p->setPen(tint);
    TextFit::WrappedText(c.title, l.titleFont, l.titleWidth).draw(p, QPointF(rect.left() + l.titleLeft, top));
    p->setPen(theme.color(ColorRole::Label));
    TextFit::drawOneLine(p, QRect(rect.right() + 1 - l.priceWidth, top + l.priceTop, l.priceWidth,
                                  QFontMetrics(priceFont()).height()),
                         c.price, priceFont(), Qt::AlignRight | Qt::AlignTop);
    ProgressBar::paint(p, QRectF(rect.left(), top + l.barTop, rect.width(), kBarHeight), c.share,
                       theme.color(c.barTint));
    p->setPen(theme.color(ColorRole::SecondaryLabel));
    TextFit::WrappedText(c.caption, captionFont(), rect.width()).draw(p, QPointF(rect.left(), top + l.captionTop));
    for (const PaintedButton& button : l.buttons)
        PaintedList::paintButton(p, rect, button, contributionFace(button.name), state);
}
