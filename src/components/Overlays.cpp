#include "components/Overlays.h"

#include "components/MoneyFocus.h"
#include "components/TextLabel.h"
#include "components/Theme.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <optional>

namespace {

constexpr int kAlertWidth = 270;
constexpr int kSheetRadius = 12;

// Fills the window behind an alert with the scrim and swallows its input.
class AlertBackdrop : public QWidget {
public:
    explicit AlertBackdrop(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("alert"));
        setFocusPolicy(Qt::StrongFocus);
    }
    std::function<void()> onEscape;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Theme::current().color(ColorRole::Scrim));
    }
    void mousePressEvent(QMouseEvent* e) override { e->accept(); }
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape && onEscape) {
            onEscape();
            return;
        }
        e->accept();
    }
};

class AlertPanel : public QWidget {
public:
    explicit AlertPanel(QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("alertPanel")); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), 14, 14);
        p.fillPath(path, Theme::current().isDark() ? QColor(44, 44, 46) : QColor(242, 242, 247));
    }
};

class AlertButtonWidget : public QAbstractButton {
public:
    AlertButtonWidget(const AlertButton& button, QWidget* parent) : QAbstractButton(parent), role_(button.role) {
        setText(button.title);
        setAccessibleName(button.title);
        setCursor(Qt::PointingHandCursor);
        setMinimumHeight(44);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        if (role_ == AlertButton::Role::Destructive) MoneyFocus::mark(this);
    }
    QSize sizeHint() const override { return {100, 44}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const Theme& theme = Theme::current();
        if (isDown()) p.fillRect(rect(), theme.color(ColorRole::TertiaryFill));
        p.fillRect(QRect(0, 0, width(), 1), theme.color(ColorRole::Separator));
        p.setPen(role_ == AlertButton::Role::Destructive ? theme.color(ColorRole::Red) : theme.accent());
        const QFont font = Theme::font(TextStyle::Body, role_ == AlertButton::Role::Cancel ? QFont::DemiBold : QFont::Normal);
        p.setFont(font);
        p.drawText(rect().adjusted(6, 0, -6, 0), Qt::AlignCenter | Qt::TextSingleLine,
                   QFontMetrics(font).elidedText(text(), Qt::ElideRight, width() - 12));
    }

private:
    AlertButton::Role role_;
};

class SheetPanel : public QWidget {
public:
    explicit SheetPanel(QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("sheetPanel")); }

    std::optional<QColor> fill;  // the content's own colour, instead of the theme's

    QColor color() const {
        if (fill) return *fill;
        // Lifted a little off the black page in the dark scheme.
        const Theme& theme = Theme::current();
        return theme.isDark() ? QColor(18, 18, 20) : theme.color(ColorRole::GroupedBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(0, 0, width(), height() + kSheetRadius), kSheetRadius, kSheetRadius);
        p.fillPath(path, color());
    }
};

// The handle at the top of a sheet; dragging it down far enough closes the sheet.
class Grabber : public QWidget {
public:
    explicit Grabber(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("sheetGrabber"));
        setFixedHeight(16);
        setCursor(Qt::OpenHandCursor);
    }
    std::function<void()> onSwipe;
    static constexpr int kSwipeDistance = 60;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        // Drawn on the panel's colour: grey on a light panel, pale on a dark one.
        const auto* panel = static_cast<const SheetPanel*>(parentWidget());
        const bool onDark = panel->fill ? !isLightColor(*panel->fill) : Theme::current().isDark();
        p.setBrush(onDark ? QColor(235, 235, 245, 77) : QColor(60, 60, 67, 77));
        p.drawRoundedRect(QRectF((width() - 36) / 2.0, 5, 36, 5), 2.5, 2.5);
    }
    void mousePressEvent(QMouseEvent* e) override { pressY_ = e->globalPosition().y(); }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (pressY_ >= 0 && e->globalPosition().y() - pressY_ >= kSwipeDistance && onSwipe) onSwipe();
        pressY_ = -1;
    }

private:
    qreal pressY_ = -1;
};

}  // namespace

// ---- OverlayHost ----

OverlayHost::OverlayHost(QWidget* window) : QObject(window), window_(window) {
    setObjectName(QStringLiteral("overlayHost"));
    window->installEventFilter(this);
}

OverlayHost* OverlayHost::forWindow(QWidget* window) {
    if (!window) return nullptr;
    window = window->window();
    if (auto* host = window->findChild<OverlayHost*>(QString(), Qt::FindDirectChildrenOnly)) return host;
    return new OverlayHost(window);
}

QList<Sheet*> OverlayHost::sheets() const {
    QList<Sheet*> list;
    for (const auto& s : sheets_)
        if (s) list << s;
    return list;
}

Sheet* OverlayHost::topSheet() const {
    const QList<Sheet*> list = sheets();
    return list.isEmpty() ? nullptr : list.last();
}

Alert* OverlayHost::currentAlert() const {
    for (const auto& a : alerts_)
        if (a) return a;
    return nullptr;
}

QList<Alert*> OverlayHost::pendingAlerts() const {
    QList<Alert*> list;
    for (const auto& a : alerts_)
        if (a && !a->isShowing()) list << a;
    return list;
}

bool OverlayHost::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) layoutOverlays();
    if (watched == window_ && event->type() == QEvent::ChildAdded) {
        // Content added to the window later must not cover the overlays.
        QMetaObject::invokeMethod(this, &OverlayHost::layoutOverlays, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void OverlayHost::layoutOverlays() {
    for (const auto& s : sheets_)
        if (s) {
            s->setGeometry(window_->rect());
            s->raise();
        }
    if (Alert* a = currentAlert(); a && a->box_) {
        a->box_->setGeometry(window_->rect());
        a->box_->raise();
    }
}

void OverlayHost::addSheet(Sheet* sheet) {
    sheets_.append(sheet);
    layoutOverlays();
}

void OverlayHost::removeSheet(Sheet* sheet) {
    sheets_.removeAll(sheet);
    sheets_.removeAll(nullptr);
}

void OverlayHost::enqueue(Alert* alert) {
    alerts_.removeAll(nullptr);
    alerts_.append(alert);
    if (alerts_.size() == 1) alert->show();
}

void OverlayHost::removeAlert(Alert* alert) {
    alerts_.removeAll(alert);
    alerts_.removeAll(nullptr);
}

void OverlayHost::showNextAlert() {
    if (Alert* next = currentAlert(); next && !next->isShowing()) next->show();
}

// ---- Sheet ----

Sheet::Sheet(QWidget* window, QWidget* content) : QWidget(window), content_(content) {
    setObjectName(QStringLiteral("sheet"));
    setFocusPolicy(Qt::StrongFocus);
    panel_ = new SheetPanel(this);
    auto* column = new QVBoxLayout(panel_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* grabber = new Grabber(panel_);
    grabber->onSwipe = [this] { interactiveDismiss(DismissReason::Swipe); };
    grabber_ = grabber;
    column->addWidget(grabber_);
    if (content_) {
        content_->setParent(panel_);
        column->addWidget(content_, 1);
        content_->show();
    }
    connect(&Theme::current(), &Theme::changed, this, qOverload<>(&QWidget::update));
}

Sheet* Sheet::present(QWidget* from, QWidget* content) {
    OverlayHost* host = OverlayHost::forWindow(from);
    if (!host) return nullptr;
    auto* sheet = new Sheet(host->window(), content);
    // The content speaks the locale of the screen that shows it (its dates,
    // calendars and numbers), not the bare window's.
    sheet->setLocale(from->locale());
    sheet->host_ = host;
    // Focus goes back where it came from when the sheet closes.
    QWidget* focused = QApplication::focusWidget();
    sheet->opener_ = focused && focused->window() == host->window() ? focused : from;
    sheet->from_ = from;
    host->addSheet(sheet);
    sheet->show();
    sheet->raise();
    // The first text field of the content takes the focus so typing can start;
    // without one the sheet itself takes it (for Escape).
    QWidget* field = nullptr;
    for (QWidget* w : sheet->panel_->findChildren<QWidget*>()) {
        if (w->inherits("QLineEdit") || w->inherits("QAbstractSpinBox") || w->inherits("QPlainTextEdit") ||
            w->inherits("QTextEdit")) {
            if (w->isEnabled() && !w->isHidden()) {
                field = w;
                break;
            }
        }
    }
    if (field)
        field->setFocus();
    else
        sheet->setFocus();
    if (Alert* alert = host->currentAlert(); alert && alert->box()) alert->box()->raise();
    return sheet;
}

Sheet* Sheet::of(const QWidget* inside) {
    for (QWidget* w = const_cast<QWidget*>(inside); w; w = w->parentWidget())
        if (auto* sheet = qobject_cast<Sheet*>(w)) return sheet;
    return nullptr;
}

void Sheet::setBackground(const QColor& color) {
    auto* panel = static_cast<SheetPanel*>(panel_);
    panel->fill = color.isValid() ? std::optional<QColor>(color) : std::nullopt;
    panel->update();
    grabber_->update();
}

QColor Sheet::background() const { return static_cast<const SheetPanel*>(panel_)->color(); }

void Sheet::setInteractiveDismissDisabled(bool disabled) {
    interactiveDisabled_ = disabled;
}

int Sheet::topGap() const {
    return qMin(44, height() / 10);
}

void Sheet::setDetent(Detent detent) {
    detent_ = detent;
    placePanel();
}

void Sheet::placePanel() {
    int panelHeight = height() - topGap();
    if (detent_ == Detent::Fitted) {
        const QLayout* column = panel_->layout();
        const int wanted =
            column->hasHeightForWidth() ? column->heightForWidth(width()) : column->sizeHint().height();
        panelHeight = qMin(panelHeight, wanted);
    }
    panel_->setGeometry(0, height() - panelHeight, width(), panelHeight);
}

void Sheet::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placePanel();
}

void Sheet::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Theme::current().color(ColorRole::Scrim));
}

void Sheet::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (!panel_->geometry().contains(event->position().toPoint())) interactiveDismiss(DismissReason::Backdrop);
}

void Sheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        interactiveDismiss(DismissReason::Escape);
        return;
    }
    QWidget::keyPressEvent(event);
}

void Sheet::interactiveDismiss(DismissReason reason) {
    if (!interactiveDisabled_) dismiss(reason);
}

void Sheet::dismiss(DismissReason reason) {
    if (dismissed_) return;
    dismissed_ = true;
    if (host_) {
        // Sheets shown from this one close first, top down.
        const QList<Sheet*> all = host_->sheets();
        for (qsizetype i = all.size() - 1; i >= 0 && all[i] != this; --i) all[i]->dismiss(DismissReason::Parent);
        host_->removeSheet(this);
    }
    hide();
    emit dismissed(reason);
    deleteLater();
    // The one way back for the focus: to the control that opened the sheet,
    // else to the page (or the sheet below), never to a control that moves money.
    if (host_) {
        Sheet* below = host_->topSheet();
        QWidget* page = below ? static_cast<QWidget*>(below) : from_ ? from_.data() : host_->window();
        MoneyFocus::restore(opener_, page);
    }
}

// ---- Alert ----

Alert::Alert(OverlayHost* host, QString title, QString message, QList<AlertButton> buttons)
    : QObject(host), host_(host), title_(std::move(title)), message_(std::move(message)), buttons_(std::move(buttons)) {
    setObjectName(QStringLiteral("alertRequest"));
    if (buttons_.isEmpty()) buttons_.append({QStringLiteral("OK"), AlertButton::Role::Cancel, {}});
}

Alert* Alert::present(QWidget* from, const QString& title, const QString& message, QList<AlertButton> buttons) {
    OverlayHost* host = OverlayHost::forWindow(from);
    if (!host) return nullptr;
    auto* alert = new Alert(host, title, message, std::move(buttons));
    host->enqueue(alert);
    return alert;
}

void Alert::show() {
    QWidget* window = host_->window();
    auto* backdrop = new AlertBackdrop(window);
    backdrop->onEscape = [this] {
        for (int i = 0; i < buttons_.size(); ++i)
            if (buttons_[i].role == AlertButton::Role::Cancel) {
                press(i);
                return;
            }
    };
    auto* outer = new QVBoxLayout(backdrop);
    outer->setAlignment(Qt::AlignCenter);
    auto* panel = new AlertPanel(backdrop);
    panel->setFixedWidth(kAlertWidth);
    outer->addWidget(panel, 0, Qt::AlignCenter);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 18, 0, 0);
    column->setSpacing(4);

    auto* title = new TextLabel(title_, TextStyle::Headline, ColorRole::Label, panel);
    title->setObjectName(QStringLiteral("alertTitle"));
    title->setAlignment(Qt::AlignHCenter);
    title->setWordWrap(true);
    title->setContentsMargins(16, 0, 16, 0);
    column->addWidget(title);
    if (!message_.isEmpty()) {
        auto* message = new TextLabel(message_, TextStyle::Footnote, ColorRole::Label, panel);
        message->setObjectName(QStringLiteral("alertMessage"));
        message->setAlignment(Qt::AlignHCenter);
        message->setWordWrap(true);
        message->setContentsMargins(16, 0, 16, 0);
        column->addWidget(message);
    }
    column->addSpacing(14);

    // Two buttons sit side by side with the cancel one first; more stack with it last.
    QList<int> order;
    for (int i = 0; i < buttons_.size(); ++i)
        if (buttons_[i].role != AlertButton::Role::Cancel) order << i;
    for (int i = 0; i < buttons_.size(); ++i)
        if (buttons_[i].role == AlertButton::Role::Cancel) {
            if (buttons_.size() == 2)
                order.prepend(i);
            else
                order.append(i);
        }
    QBoxLayout* buttonsLayout = buttons_.size() == 2 ? static_cast<QBoxLayout*>(new QHBoxLayout)
                                                     : static_cast<QBoxLayout*>(new QVBoxLayout);
    buttonsLayout->setSpacing(0);
    for (int i : order) {
        auto* button = new AlertButtonWidget(buttons_[i], panel);
        button->setObjectName(QStringLiteral("alertButton_%1").arg(i));
        connect(button, &QAbstractButton::clicked, this, [this, i] { press(i); });
        buttonsLayout->addWidget(button);
    }
    column->addLayout(buttonsLayout);
    // Wrapped texts need the height they take at the alert's fixed width.
    panel->setFixedHeight(panel->heightForWidth(kAlertWidth));

    box_ = backdrop;
    backdrop->setGeometry(window->rect());
    backdrop->show();
    backdrop->raise();
    backdrop->setFocus();
}

void Alert::press(int index) {
    if (finished_ || !isShowing() || index < 0 || index >= buttons_.size()) return;
    const std::function<void()> action = buttons_[index].action;
    finish(index);
    if (action) action();
    emit finished(index);
    deleteLater();
    host_->showNextAlert();
}

void Alert::cancel() {
    if (finished_) return;
    const bool wasShowing = isShowing();
    finish(-1);
    emit finished(-1);
    deleteLater();
    if (wasShowing) host_->showNextAlert();
}

void Alert::finish(int) {
    finished_ = true;
    if (box_) {
        box_->hide();
        box_->deleteLater();
        box_ = nullptr;
    }
    host_->removeAlert(this);
}

Alert* HeldAlert::hold(Alert* alert) {
    reset();
    alert_ = alert;
    // First of the owner's handlers, so that they see the handle empty.
    if (alert) QObject::connect(alert, &Alert::finished, owner_, [this] { alert_ = nullptr; });
    return alert;
}

void HeldAlert::reset() {
    Alert* alert = alert_;
    alert_ = nullptr;
    if (!alert) return;
    QObject::disconnect(alert, nullptr, owner_, nullptr);
    alert->cancel();
}
