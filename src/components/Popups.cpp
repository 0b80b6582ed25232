#include "components/Popups.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

#include "components/Theme.h"

namespace {

constexpr const char* kDestructiveProperty = "zanbeckDestructive";
constexpr const char* kOwnSizeProperty = "zanbeckOwnSize";

// Windows the desktop places on its own and which must stay in ours.
bool isPlaced(const QWidget* widget) {
    if (!widget->isWindow()) return false;
    const Qt::WindowType type = widget->windowType();
    return type == Qt::Popup || type == Qt::Dialog || type == Qt::ToolTip;
}

// Moves every pop-up and dialog back into its window whenever it is shown,
// moved or resized.
class PopupKeeper : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize) &&
            watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (isPlaced(widget) && widget != fitting_) fit(widget);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void fit(QWidget* widget) {
        QRect bounds = Popups::boundsFor(widget);
        // A window of its own size stays on the screen instead.
        if (widget->property(kOwnSizeProperty).toBool() && widget->screen())
            bounds = widget->screen()->availableGeometry();
        if (bounds.isEmpty()) return;
        const QRect target = Popups::fitted(widget->geometry(), bounds);
        if (target == widget->geometry()) return;
        fitting_ = widget;
        widget->setGeometry(target);
        fitting_ = nullptr;
    }

    QPointer<QWidget> fitting_;
};

// Draws the kit's touches on Qt's own controls.
class KitStyle : public QProxyStyle {
public:
    KitStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuItem) {
            const auto* menu = qobject_cast<const QMenu*>(widget);
            const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
            if (menu && item && Popups::isDestructive(menu->actionAt(option->rect.center()))) {
                QStyleOptionMenuItem red(*item);
                const Theme& theme = Theme::current();
                const QColor color = theme.color(ColorRole::Red);
                for (QPalette::ColorRole role :
                     {QPalette::Text, QPalette::ButtonText, QPalette::WindowText, QPalette::HighlightedText})
                    red.palette.setColor(role, color);
                red.palette.setColor(QPalette::Highlight, theme.color(ColorRole::TertiaryGroupedBackground));
                QProxyStyle::drawControl(element, &red, painter, widget);
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

}  // namespace

namespace Popups {

void install(QApplication& app) {
    static QPointer<QApplication> installedOn;
    if (installedOn == &app) return;
    installedOn = &app;
    app.installEventFilter(new PopupKeeper(&app));
    QApplication::setStyle(new KitStyle);
}

QRect boundsFor(const QWidget* popup) {
    const QWidget* from = popup->parentWidget();
    const Qt::WindowType type = popup->windowType();
    if (!from && (type == Qt::Popup || type == Qt::ToolTip)) from = QApplication::activeWindow();
    while (from) {
        const QWidget* window = from->window();
        if (!isPlaced(window)) return QRect(window->mapToGlobal(QPoint(0, 0)), window->size());
        from = window->parentWidget();
    }
    return {};
}

QRect fitted(const QRect& geometry, const QRect& bounds) {
    QRect result(geometry.topLeft(), geometry.size().boundedTo(bounds.size()));
    result.moveLeft(qBound(bounds.left(), result.left(), bounds.right() + 1 - result.width()));
    result.moveTop(qBound(bounds.top(), result.top(), bounds.bottom() + 1 - result.height()));
    return result;
}

void keepOwnSize(QWidget* dialog) { dialog->setProperty(kOwnSizeProperty, true); }

void setDestructive(QAction* action) { action->setProperty(kDestructiveProperty, true); }

bool isDestructive(const QAction* action) {
    return action && action->property(kDestructiveProperty).toBool();
}

}  // namespace Popups
