#include "components/PaintedListAccessible.h"

#include <QAccessibleActionInterface>
#include <QPointer>
#include <mutex>

#include "components/PaintedList.h"

namespace {

QString childKey(const QString& id, const QString& key) { return id + QChar(0) + key; }

// A painted part of a row of the list: a leaf with no object of its own.
class PartAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    PartAccessible(PaintedList* list, QString id) : list_(list), id_(std::move(id)) {}

    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return list_ ? list_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(list_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    const QString& id() const { return id_; }

protected:
    QPointer<PaintedList> list_;
    QString id_;
};

// One painted button. It names its row and key, not a position: after the
// rows change it still speaks of the same button, or is invalid once gone.
class ButtonAccessible : public PartAccessible {
public:
    ButtonAccessible(PaintedList* list, QString id, QString key)
        : PartAccessible(list, std::move(id)), key_(std::move(key)) {}

    bool isValid() const override { return list_ && list_->buttonKeys(id_).contains(key_); }
    QString text(QAccessible::Text t) const override {
        if (!list_) return {};
        // The name is the button's own text; the description, the record it acts on.
        if (t == QAccessible::Name) return list_->buttonName(id_, key_);
        if (t == QAccessible::Description) return list_->buttonDescription(id_, key_);
        return {};
    }
    QRect rect() const override {
        if (!list_) return {};
        const QRect r = list_->buttonRect(id_, key_);
        return QRect(list_->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.focusable = true;
        s.disabled = !list_ || !list_->isButtonEnabled(id_, key_);
        s.focused = list_ && list_->hasFocus() && list_->focusedRow() == id_ && list_->focusedButton() == key_;
        s.invisible = !list_ || !list_->isVisible();
        return s;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction() && list_) list_->pressButton(id_, key_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    const QString& key() const { return key_; }

private:
    QString key_;
};

// A row itself: what the delegate says for it, and the row's swipe actions
// (and the menu that lists them) as actions a screen reader can run.
class RowAccessible : public PartAccessible {
public:
    using PartAccessible::PartAccessible;

    bool isValid() const override { return list_ && list_->contains(id_); }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && list_ ? list_->rowName(id_) : QString();
    }
    QRect rect() const override {
        if (!list_) return {};
        const QRect r = list_->rowRect(id_);
        return QRect(list_->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.focusable = list_ && !list_->swipeActions().isEmpty();
        s.focused = list_ && list_->hasFocus() && list_->focusedRow() == id_ &&
                    list_->focusedButton() == PaintedList::kRowKey;
        s.invisible = !list_ || !list_->isVisible();
        return s;
    }
    QStringList actionNames() const override {
        QStringList names;
        if (!list_ || list_->swipeActions().isEmpty()) return names;
        names << showMenuAction();
        for (const SwipeAction& action : list_->swipeActions()) names << action.title;
        return names;
    }
    void doAction(const QString& name) override {
        if (!list_) return;
        if (name == showMenuAction()) return list_->showRowActions(id_);
        for (const SwipeAction& action : list_->swipeActions())
            if (action.title == name) list_->runSwipeAction(id_, action.key);
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        return name == showMenuAction() ? QStringList{QStringLiteral("Menu"), QStringLiteral("Shift+F10")}
                                        : QStringList{};
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String("PaintedList") && object && object->isWidgetType())
        return new PaintedListAccessible(static_cast<PaintedList*>(object));
    return nullptr;
}

}  // namespace

PaintedListAccessible::PaintedListAccessible(PaintedList* list) : QAccessibleWidget(list, QAccessible::List) {}

PaintedListAccessible::~PaintedListAccessible() {
    for (QAccessible::Id id : std::as_const(children_)) QAccessible::deleteAccessibleInterface(id);
}

void PaintedListAccessible::install() {
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(factory); });
}

PaintedList* PaintedListAccessible::list() const { return static_cast<PaintedList*>(widget()); }

QAccessibleInterface* PaintedListAccessible::buttonChild(const QString& id, const QString& key) const {
    const QString k = childKey(id, key);
    if (const auto it = children_.constFind(k); it != children_.constEnd())
        return QAccessible::accessibleInterface(*it);
    QAccessibleInterface* child = key == PaintedList::kRowKey
                                      ? static_cast<QAccessibleInterface*>(new RowAccessible(list(), id))
                                      : new ButtonAccessible(list(), id, key);
    children_.insert(k, QAccessible::registerAccessibleInterface(child));
    return child;
}

int PaintedListAccessible::childCount() const { return list()->accessibleItemCount(); }

QAccessibleInterface* PaintedListAccessible::child(int index) const {
    const PaintedList::ButtonRef item = list()->accessibleItem(index);
    return item.id.isEmpty() && item.key.isEmpty() ? nullptr : buttonChild(item.id, item.key);
}

int PaintedListAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (const auto* row = dynamic_cast<const RowAccessible*>(child))
        return list()->indexOfAccessibleItem({row->id(), PaintedList::kRowKey});
    const auto* button = dynamic_cast<const ButtonAccessible*>(child);
    if (!button) return -1;
    return list()->indexOfAccessibleItem({button->id(), button->key()});
}

QAccessibleInterface* PaintedListAccessible::childAt(int x, int y) const {
    const PaintedList::ButtonRef item = list()->accessibleItemAt(list()->mapFromGlobal(QPoint(x, y)));
    return item.key.isEmpty() ? nullptr : buttonChild(item.id, item.key);
}

QAccessibleInterface* PaintedListAccessible::focusChild() const {
    if (!list()->hasFocus() || list()->focusedButton().isEmpty()) return nullptr;
    return buttonChild(list()->focusedRow(), list()->focusedButton());
}

void PaintedListAccessible::notifyFocus(PaintedList* list, const QString& id, const QString& key) {
    auto* self = static_cast<PaintedListAccessible*>(QAccessible::queryAccessibleInterface(list));
    if (!self) return;
    QAccessibleEvent event(self->buttonChild(id, key), QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}
