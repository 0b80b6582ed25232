#include "components/TabView.h"

#include "components/Symbols.h"
#include "components/Theme.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <optional>
#include <utility>

namespace {

class TabButton : public QAbstractButton {
public:
    TabButton(const QString& title, const QString& symbol, QWidget* parent)
        : QAbstractButton(parent), symbol_(symbol) {
        setText(title);
        setAccessibleName(title);
        setProperty("symbol", symbol);
        setCheckable(true);
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    QSize sizeHint() const override { return {64, 49}; }
    QSize minimumSizeHint() const override { return {40, 49}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const Theme& theme = Theme::current();
        const QColor color = isChecked() ? theme.accent() : theme.color(ColorRole::Gray);
        constexpr int kSymbol = 24;
        p.drawPixmap((width() - kSymbol) / 2, 6, Symbols::pixmap(symbol_, kSymbol, color, devicePixelRatioF()));
        const auto* bar = qobject_cast<const TabBar*>(parentWidget());
        const QFont font = bar ? bar->titleFont() : TabBar::titleFont(text(), width() - 4);
        p.setFont(font);
        p.setPen(color);
        p.drawText(QRect(2, 6 + kSymbol + 2, width() - 4, 14), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                   QFontMetrics(font).elidedText(text(), Qt::ElideRight, width() - 4));
    }

private:
    QString symbol_;
};

}  // namespace

TabBar::TabBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tabBar"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(56);
    row_ = new QHBoxLayout(this);
    row_->setContentsMargins(4, 1, 4, 6);
    row_->setSpacing(0);
    connect(&Theme::current(), &Theme::changed, this, [this] {
        update();
        for (const auto& [tag, button] : buttons_) button->update();
    });
}

QFont TabBar::titleFont(const QString& title, int width) {
    // Six tabs on a phone-wide window leave about 60 points a tab: a long
    // title gets a smaller, then a narrower face before it is cut.
    QFont font = Theme::font(TextStyle::Caption2, QFont::Medium);
    const auto fits = [&] { return QFontMetrics(font).horizontalAdvance(title) <= width; };
    for (int size = font.pixelSize() - 1; size >= kMinimumTitleSize && !fits(); --size) font.setPixelSize(size);
    if (!fits()) font.setStretch(QFont::SemiCondensed);
    if (!fits()) font.setStretch(QFont::Condensed);
    return font;
}

QFont TabBar::titleFont() const {
    std::optional<QFont> shared;
    const auto rank = [](const QFont& f) {
        return std::pair(f.pixelSize(), int(f.stretch() == 0 ? 100 : f.stretch()));
    };
    for (const auto& [tag, button] : buttons_) {
        const QFont font = titleFont(button->text(), button->width() - 4);
        if (!shared || rank(font) < rank(*shared)) shared = font;
    }
    return shared.value_or(Theme::font(TextStyle::Caption2, QFont::Medium));
}

QAbstractButton* TabBar::addTab(const QString& tag, const QString& title, const QString& symbol) {
    auto* button = new TabButton(title, symbol, this);
    button->setObjectName(QStringLiteral("tab_") + tag);
    button->setChecked(tag == current_);
    row_->addWidget(button);
    buttons_.append({tag, button});
    connect(button, &QAbstractButton::clicked, this, [this, tag] {
        // A click on the selected tab keeps it selected.
        this->button(tag)->setChecked(tag == current_);
        emit tabClicked(tag);
    });
    return button;
}

QAbstractButton* TabBar::button(const QString& tag) const {
    for (const auto& [t, b] : buttons_)
        if (t == tag) return b;
    return nullptr;
}

QStringList TabBar::tags() const {
    QStringList list;
    for (const auto& entry : buttons_) list << entry.first;
    return list;
}

void TabBar::setCurrentTag(const QString& tag) {
    current_ = tag;
    for (const auto& [t, b] : buttons_) b->setChecked(t == tag);
}

QSize TabBar::sizeHint() const {
    return {qMax(1, int(buttons_.size())) * 64, 56};
}

void TabBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Theme::current().color(ColorRole::BarBackground));
    p.fillRect(QRect(0, 0, width(), 1), Theme::current().color(ColorRole::Separator));
}

TabView::TabView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tabView"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* pagesHost = new QWidget(this);
    pages_ = new QStackedLayout(pagesHost);
    tabBar_ = new TabBar(this);
    column->addWidget(pagesHost, 1);
    column->addWidget(tabBar_);
    connect(tabBar_, &TabBar::tabClicked, this, &TabView::setCurrentTag);
}

void TabView::addTab(const QString& tag, const QString& title, const QString& symbol, QWidget* content) {
    tabBar_->addTab(tag, title, symbol);
    contents_.append({tag, content});
    pages_->addWidget(content);
    if (contents_.size() == 1) setCurrentTag(tag);
}

QWidget* TabView::content(const QString& tag) const {
    for (const auto& [t, w] : contents_)
        if (t == tag) return w;
    return nullptr;
}

void TabView::setCurrentTag(const QString& tag) {
    QWidget* page = content(tag);
    if (!page) return;
    tabBar_->setCurrentTag(tag);
    if (tag == current_) return;
    current_ = tag;
    pages_->setCurrentWidget(page);
    emit currentTagChanged(tag);
}
