#include "components/NavigationStack.h"

#include "components/Button.h"
#include "components/PageBody.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "components/Theme.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollBar>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kBarHeight = 44;
constexpr int kBackTitleLimit = 12;  // longer titles give way to "Назад"

// The bar's background with a hairline once content scrolls under it.
class NavigationBar : public QWidget {
public:
    explicit NavigationBar(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("navigationBar"));
        setFixedHeight(kBarHeight);
        connect(&Theme::current(), &Theme::changed, this, qOverload<>(&QWidget::update));
    }
    bool hairline = false;
    // The title, centred on the bar rather than in the space between the
    // items: the narrower side gets the difference as an inner margin.
    TextLabel* title = nullptr;
    QHBoxLayout* leading = nullptr;
    QHBoxLayout* trailing = nullptr;

protected:
    bool event(QEvent* event) override {
        // The bar's layout has placed its items by the time these arrive.
        const bool handled = QWidget::event(event);
        if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Resize) balanceTitle();
        return handled;
    }

    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Theme::current().color(hairline ? ColorRole::BarBackground : ColorRole::GroupedBackground));
        if (hairline) p.fillRect(QRect(0, height() - 1, width(), 1), Theme::current().color(ColorRole::Separator));
    }

private:
    static int sideWidth(const QHBoxLayout* side) { return side->isEmpty() ? 0 : side->sizeHint().width(); }
    void balanceTitle() {
        if (!title || !leading || !trailing) return;
        // Centred as far as the whole title still fits; a long one moves aside instead of shrinking.
        const int natural =
            static_cast<int>(std::ceil(QFontMetricsF(title->font()).horizontalAdvance(title->text()))) + 1;
        const int spare = std::max(title->width() - natural, 0);
        const int difference = std::clamp(sideWidth(leading) - sideWidth(trailing), -spare, spare);
        const QMargins margins(std::max(-difference, 0), 0, std::max(difference, 0), 0);
        if (title->contentsMargins() != margins) title->setContentsMargins(margins);
    }
};

}  // namespace

NavigationPage::NavigationPage(const QString& title, QWidget* parent) : QWidget(parent), title_(title) {
    setObjectName(QStringLiteral("navigationPage"));
    setAutoFillBackground(true);
    const auto paintBackground = [this] {
        QPalette p = palette();
        p.setColor(QPalette::Window, Theme::current().color(ColorRole::GroupedBackground));
        setPalette(p);
    };
    paintBackground();
    connect(&Theme::current(), &Theme::changed, this, paintBackground);

    column_ = new QVBoxLayout(this);
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(0);

    bar_ = new NavigationBar(this);
    auto* barRow = new QHBoxLayout(bar_);
    barRow->setContentsMargins(8, 0, 8, 0);
    barRow->setSpacing(4);
    leading_ = new QHBoxLayout;
    leading_->setSpacing(4);
    trailing_ = new QHBoxLayout;
    trailing_->setSpacing(4);
    back_ = new Button(QStringLiteral("Назад"), Button::Style::Plain, QStringLiteral("chevron.left"), bar_);
    back_->setObjectName(QStringLiteral("navigationBackButton"));
    back_->setAccessibleName(QStringLiteral("Назад"));
    back_->hide();
    leading_->addWidget(back_);
    inlineTitle_ = new TextLabel(title, TextStyle::Headline, ColorRole::Label, bar_);
    inlineTitle_->setObjectName(QStringLiteral("navigationTitle"));
    // A long title shrinks to fit its line, then elides.
    inlineTitle_->setMinimumScaleFactor(TextFit::kMinimumScale);
    inlineTitle_->setAlignment(Qt::AlignCenter);
    barRow->addLayout(leading_);
    barRow->addWidget(inlineTitle_, 1);
    barRow->addLayout(trailing_);
    auto* bar = static_cast<NavigationBar*>(bar_);
    bar->title = inlineTitle_;
    bar->leading = leading_;
    bar->trailing = trailing_;
    column_->addWidget(bar_);

    largeTitle_ = new TextLabel(title, TextStyle::LargeTitle, ColorRole::Label, this);
    largeTitle_->setObjectName(QStringLiteral("largeTitle"));
    // A long title shrinks to fit its line rather than wrap.
    largeTitle_->setMinimumScaleFactor(TextFit::kMinimumScale);
    largeTitle_->setContentsMargins(Spacing::pagePadding, 0, Spacing::pagePadding, 4);
    column_->addWidget(largeTitle_);
    column_->addStretch(1);

    connect(back_, &QAbstractButton::clicked, this, [this] {
        if (NavigationStack* stack = navigationStack()) stack->pop();
    });
    updateInlineTitle();
}

void NavigationPage::setTitle(const QString& title) {
    title_ = title;
    inlineTitle_->setText(title);
    largeTitle_->setText(title);
    updateInlineTitle();
}

void NavigationPage::setTitleDisplay(TitleDisplay display) {
    display_ = display;
    updateInlineTitle();
}

PageBody* NavigationPage::body() {
    if (!body_) {
        body_ = new PageBody(this);
        body_->stack()->setContentsMargins(Spacing::pagePadding, 0, Spacing::pagePadding, Spacing::pagePadding);
        if (QLayoutItem* stretch = column_->itemAt(column_->count() - 1); stretch && stretch->spacerItem()) {
            column_->removeItem(stretch);
            delete stretch;
        }
        column_->addWidget(body_, 1);
        setScrollingBody(body_);
    }
    return body_;
}

void NavigationPage::setScrollingBody(PageBody* body) {
    if (body == scrolling_) return;
    if (scrolling_) {
        disconnect(scrolling_->verticalScrollBar(), nullptr, this, nullptr);
        scrolling_->stack()->removeWidget(largeTitle_);
    } else {
        column_->removeWidget(largeTitle_);
    }
    scrolling_ = body;
    if (body) {
        // The title is the body's first row, so that it scrolls away; the
        // body's side padding is the title's.
        largeTitle_->setContentsMargins(0, 0, 0, 0);
        QMargins margins = body->stack()->contentsMargins();
        margins.setTop(0);
        body->stack()->setContentsMargins(margins);
        // Below a pull-to-refresh strip, which stays above everything.
        QLayoutItem* first = body->stack()->itemAt(0);
        const bool belowStrip = first && first->widget() &&
                                first->widget()->objectName() == QLatin1String("pullToRefresh");
        body->stack()->insertWidget(belowStrip ? 1 : 0, largeTitle_);
        connect(body->verticalScrollBar(), &QScrollBar::valueChanged, this, &NavigationPage::updateInlineTitle);
    } else {
        largeTitle_->setParent(this);
        largeTitle_->setContentsMargins(Spacing::pagePadding, 0, Spacing::pagePadding, 4);
        column_->insertWidget(column_->indexOf(bar_) + 1, largeTitle_);
    }
    updateInlineTitle();
}

void NavigationPage::setContent(QWidget* content) {
    if (content_) content_->deleteLater();
    content_ = content;
    if (QLayoutItem* stretch = column_->itemAt(column_->count() - 1); stretch && stretch->spacerItem()) {
        column_->removeItem(stretch);
        delete stretch;
    }
    column_->addWidget(content, 1);
}

Button* NavigationPage::addToolbarButton(const QString& text, const QString& symbol, ToolbarPlacement placement) {
    auto* button = new Button(text, Button::Style::Plain, symbol, bar_);
    if (!symbol.isEmpty() && (placement == ToolbarPlacement::Leading || placement == ToolbarPlacement::Trailing))
        button->setIconOnly(true);
    if (placement == ToolbarPlacement::Confirmation) button->setTextStyle(TextStyle::Body, QFont::DemiBold);
    button->setToolTip(text);
    addToolbarItem(button, placement);
    return button;
}

void NavigationPage::addToolbarItem(QWidget* item, ToolbarPlacement placement) {
    item->setParent(bar_);
    if (placement == ToolbarPlacement::Leading || placement == ToolbarPlacement::Cancellation)
        leading_->addWidget(item);
    else
        trailing_->addWidget(item);
    item->show();
}

void NavigationPage::setBackButtonHidden(bool hidden) {
    backHidden_ = hidden;
    back_->setVisible(hasPrevious_ && !backHidden_);
}

void NavigationPage::setNavigationBarHidden(bool hidden) {
    bar_->setVisible(!hidden);
}

NavigationStack* NavigationPage::navigationStack() const {
    return NavigationStack::of(this);
}

void NavigationPage::setBackTarget(const QString& previousTitle, bool hasPrevious) {
    hasPrevious_ = hasPrevious;
    const bool fits = !previousTitle.isEmpty() && previousTitle.size() <= kBackTitleLimit;
    back_->setText(fits ? previousTitle : QStringLiteral("Назад"));
    back_->setVisible(hasPrevious_ && !backHidden_);
}

void NavigationPage::setAppeared(bool appeared) {
    if (appeared == appeared_) return;
    appeared_ = appeared;
    if (appeared)
        emit this->appeared();
    else
        emit disappeared();
}

void NavigationPage::updateInlineTitle() {
    const bool large = display_ == TitleDisplay::Large && !title_.isEmpty();
    largeTitle_->setVisible(large);
    bool showInline = !large;
    if (large && scrolling_)
        showInline = scrolling_->verticalScrollBar()->value() > largeTitle_->geometry().bottom();
    inlineTitle_->setText(showInline ? title_ : QString());
    auto* bar = static_cast<NavigationBar*>(bar_);
    bar->hairline = large && showInline;
    bar->update();
}

NavigationStack::NavigationStack(NavigationPage* root, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("navigationStack"));
    layers_ = new QStackedLayout(this);
    if (root) setRoot(root);
}

NavigationStack* NavigationStack::of(const QWidget* widget) {
    for (QWidget* w = widget ? widget->parentWidget() : nullptr; w; w = w->parentWidget())
        if (auto* stack = qobject_cast<NavigationStack*>(w)) return stack;
    return nullptr;
}

void NavigationStack::setRoot(NavigationPage* root) {
    while (!pages_.isEmpty()) removeTop();
    if (root) push(root);
}

void NavigationStack::push(NavigationPage* page) {
    if (!page) return;
    const NavigationPage* previous = topPage();
    page->setBackTarget(previous ? previous->title() : QString(), previous != nullptr);
    pages_.append(page);
    layers_->addWidget(page);
    layers_->setCurrentWidget(page);
    updateAppearance();
    emit pushed(page);
}

void NavigationStack::removeTop() {
    QPointer<NavigationPage> page = pages_.takeLast();
    if (!page) return;
    page->setAppeared(false);
    layers_->removeWidget(page);
    page->hide();
    page->deleteLater();
}

void NavigationStack::pop() {
    if (pages_.size() <= 1) return;
    removeTop();
    if (NavigationPage* top = topPage()) layers_->setCurrentWidget(top);
    updateAppearance();
    emit popped();
}

void NavigationStack::popToRoot() {
    if (pages_.size() <= 1) return;
    while (pages_.size() > 1) removeTop();
    layers_->setCurrentWidget(rootPage());
    updateAppearance();
    emit popped();
}

void NavigationStack::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateAppearance();
}

void NavigationStack::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    updateAppearance();
}

void NavigationStack::updateAppearance() {
    NavigationPage* top = topPage();
    for (const QPointer<NavigationPage>& page : pages_)
        if (page) page->setAppeared(page == top && isVisible());
}
