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

// The title fits: no word elided and at most two lines.
bool titleFits(const QString& title, const QFont& font, int width, int widestWord) {
    return width >= widestWord && TextFit::WrappedText(title, font, width).lineCount() <= 2;
}

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

WishRowDelegate::Layout WishRowDelegate::measure(const WishItem& wish, int width) const {
    const WishRowContent c = WishRowContent::of(wish);
    Layout l;
    const QFont title = titleFont();
    l.symbolSize = Symbols::sizeForText(Theme::pointSize(TextStyle::Headline));
    l.titleLeft = l.symbolSize + kSymbolGap;
    // Title and price share what the symbol leaves; the price gives way
    // first (down to the smallest size it may take), then the title wraps
    // onto more lines rather than losing a word.
    const int room = std::max(width - l.titleLeft - tools_style::buttonGap, 2);
    const int priceNatural = QFontMetrics(priceFont()).horizontalAdvance(c.price) + 1;
    // The price at the smallest size it may take, still whole.
    const int priceLeast = std::min(
        QFontMetrics(TextFit::shrunkToFit(c.price, priceFont(), 1)).horizontalAdvance(c.price) + 1, priceNatural);
    const int widest = TextFit::widestWord(c.title, title);
    int titleWidth = std::max(room - priceNatural, 1);
    if (!titleFits(c.title, title, titleWidth, widest)) {
        const int most = std::max(room - priceLeast, 1);
        if (titleFits(c.title, title, most, widest)) {
            int low = titleWidth + 1, high = most;  // the narrowest title width that fits
            while (low < high) {
                const int mid = (low + high) / 2;
                if (titleFits(c.title, title, mid, widest))
                    high = mid;
                else
                    low = mid + 1;
            }
            titleWidth = high;
        } else {
            // Two lines are out of reach: the title takes more, and the price
            // gives way only as far as the longest word needs.
            titleWidth = std::clamp(widest, titleWidth, most);
        }
    }
    l.titleWidth = titleWidth;
    l.priceWidth = std::max(room - titleWidth, 1);
    const TextFit::WrappedText wrapped(c.title, title, titleWidth);
    l.titleLines = wrapped.lineCount();
    l.titleHeight = wrapped.height();
    const int header = std::max({l.titleHeight, l.symbolSize, QFontMetrics(priceFont()).height()});
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

WishRowDelegate::Layout WishRowDelegate::layout(const QString& id, int width) const {
    const auto it = wishes_.constFind(id);
    if (it == wishes_.constEnd()) return {};
    Cached& cached = layouts_[id];
    if (cached.width != width || !(cached.wish == *it) || cached.currency != currency_)
        cached = {width, *it, currency_, measure(*it, width)};
    return cached.layout;
}

int WishRowDelegate::rowHeight(const QString& id, int width, bool) const { return layout(id, width).height; }

QString WishRowDelegate::accessibleName(const QString& id) const {
    const auto it = wishes_.constFind(id);
    if (it == wishes_.constEnd()) return {};
    const WishRowContent c = WishRowContent::of(*it);
    return c.title + QStringLiteral(", ") + c.price + QStringLiteral(", ") + c.caption;
}

QList<PaintedButton> WishRowDelegate::buttons(const QString& id, int width, bool) const {
    return layout(id, width).buttons;
}

void WishRowDelegate::paintRow(QPainter* p, const QString& id, const QRect& rect,
                               const PaintedRowState& state) const {
    const auto it = wishes_.constFind(id);
    if (it == wishes_.constEnd()) return;
    const WishRowContent c = WishRowContent::of(*it);
    const Layout l = layout(id, rect.width());
    const Theme& theme = Theme::current();
    const QColor tint = theme.color(c.tint);
    const int top = rect.top();
    // The symbol beside the title's middle, as a symbol label sets it.
    p->drawPixmap(rect.left(), top + (l.titleHeight - l.symbolSize) / 2,
                  Symbols::pixmap(c.symbol, l.symbolSize, tint, p->device()->devicePixelRatioF()));
    p->setPen(tint);
    TextFit::WrappedText(c.title, titleFont(), l.titleWidth).draw(p, QPointF(rect.left() + l.titleLeft, top));
    p->setPen(theme.color(ColorRole::Label));
    TextFit::drawOneLine(p, QRect(rect.right() + 1 - l.priceWidth, top, l.priceWidth, QFontMetrics(priceFont()).height()),
                         c.price, priceFont(), Qt::AlignRight | Qt::AlignTop);
    ProgressBar::paint(p, QRectF(rect.left(), top + l.barTop, rect.width(), kBarHeight), c.share,
                       theme.color(c.barTint));
    p->setPen(theme.color(ColorRole::SecondaryLabel));
    TextFit::WrappedText(c.caption, captionFont(), rect.width()).draw(p, QPointF(rect.left(), top + l.captionTop));
    for (const PaintedButton& button : l.buttons)
        PaintedList::paintButton(p, rect, button, contributionFace(button.name), state);
}
