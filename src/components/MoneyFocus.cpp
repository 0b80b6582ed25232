#include "components/MoneyFocus.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

#include "components/NavigationStack.h"
#include "components/Overlays.h"

namespace {

constexpr const char* kMarkedProperty = "zanbeckMovesMoney";

// Qt gives a focus moved on by a hidden or deleted widget the Tab reason too,
// so a Tab counts as the user's only while the Tab key itself is delivered.
class Guard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !userTab_) {
                userTab_ = true;
                QTimer::singleShot(0, this, [this] { userTab_ = false; });
            }
            break;
        }
        case QEvent::FocusIn: {
            if (!watched->isWidgetType()) break;
            auto* widget = static_cast<QWidget*>(watched);
            if (!MoneyFocus::isMarked(widget) || chosenByUser(static_cast<QFocusEvent*>(event)->reason()))
                break;
            QWidget* page = MoneyFocus::pageOf(widget);
            if (!page || page == widget) break;
            page->setFocus(Qt::OtherFocusReason);
            return true;
        }
        default: break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool chosenByUser(Qt::FocusReason reason) const {
        if (reason == Qt::MouseFocusReason) return true;
        return userTab_ && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason);
    }

    bool userTab_ = false;
};

void installGuard() {
    static QPointer<QObject> guard;
    if (guard || !qApp) return;
    guard = new Guard(qApp);
    qApp->installEventFilter(guard);
}

bool canTakeFocus(const QWidget* widget) {
    return widget && widget->isVisible() && widget->isEnabled() && widget->window()->isVisible();
}

}  // namespace

namespace MoneyFocus {

void mark(QWidget* control) {
    if (!control) return;
    installGuard();
    control->setProperty(kMarkedProperty, true);
}

bool isMarked(const QWidget* widget) { return widget && widget->property(kMarkedProperty).toBool(); }

QWidget* pageOf(QWidget* widget) {
    if (!widget) return nullptr;
    if (Sheet* sheet = Sheet::of(widget)) return sheet;
    for (QWidget* w = widget; w; w = w->parentWidget())
        if (qobject_cast<NavigationPage*>(w)) return w;
    return widget->window();
}

void restore(QWidget* preferred, QWidget* near) {
    if (canTakeFocus(preferred) && !isMarked(preferred)) {
        preferred->setFocus(Qt::OtherFocusReason);
        return;
    }
    QWidget* page = pageOf(near);
    if (page && page->isVisible()) page->setFocus(Qt::OtherFocusReason);
}

}  // namespace MoneyFocus
