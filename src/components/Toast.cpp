#include "components/Toast.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include "components/Symbols.h"
#include "components/Theme.h"

namespace {

constexpr int kHeight = 44;
constexpr int kPadding = 18;       // leading and trailing
constexpr int kSymbolGap = 8;      // between the symbol and the text
constexpr int kBottomMargin = 96;  // above the tab bar and a sheet's buttons

}  // namespace

Toast::Toast(QWidget* window, const QString& text, const QString& symbol)
    : QWidget(window), text_(text), symbol_(symbol) {
    setObjectName(QStringLiteral("toast"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(text);
}

Toast* Toast::show(QWidget* from, const QString& text, const QString& symbol) {
    QWidget* window = from ? from->window() : nullptr;
    if (!window) return nullptr;
    for (Toast* shown : window->findChildren<Toast*>(QString(), Qt::FindDirectChildrenOnly))
        shown->deleteLater();
    auto* toast = new Toast(window, text, symbol);
    toast->place();
    toast->QWidget::show();
    toast->raise();
    // Overlays raise themselves when a child joins the window; go above them after that.
    QTimer::singleShot(0, toast, [toast] { toast->raise(); });
    QTimer::singleShot(kDuration, toast, &QObject::deleteLater);
    return toast;
}

Toast* Toast::showOutcome(QWidget* from, bool succeeded, const QString& text) {
    return show(from, text,
                succeeded ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("exclamationmark.triangle.fill"));
}

QSize Toast::sizeHint() const {
    const QFontMetrics metrics(Theme::font(TextStyle::Subheadline, QFont::DemiBold));
    const int symbol = Symbols::sizeForText(Theme::pointSize(TextStyle::Subheadline));
    return {2 * kPadding + symbol + kSymbolGap + metrics.horizontalAdvance(text_), kHeight};
}

void Toast::place() {
    const QWidget* window = parentWidget();
    const QSize size = sizeHint().boundedTo(window->size());
    setGeometry((window->width() - size.width()) / 2, window->height() - kBottomMargin - size.height(),
                size.width(), size.height());
}

void Toast::paintEvent(QPaintEvent*) {
    const Theme& theme = Theme::current();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // The label colour, nearly opaque: dark on a light screen, light on a dark one.
    QColor fill = theme.color(ColorRole::Label);
    fill.setAlphaF(0.86f);
    QPainterPath capsule;
    capsule.addRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
    p.fillPath(capsule, fill);

    const QColor ink = theme.color(ColorRole::Background);
    const int symbol = Symbols::sizeForText(Theme::pointSize(TextStyle::Subheadline));
    p.drawPixmap(QRect(kPadding, (height() - symbol) / 2, symbol, symbol),
                 Symbols::pixmap(symbol_, symbol, ink, devicePixelRatioF()));
    const QFont font = Theme::font(TextStyle::Subheadline, QFont::DemiBold);
    p.setFont(font);
    p.setPen(ink);
    const QRect textRect = rect().adjusted(kPadding + symbol + kSymbolGap, 0, -kPadding, 0);
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               QFontMetrics(font).elidedText(text_, Qt::ElideRight, textRect.width()));
}
