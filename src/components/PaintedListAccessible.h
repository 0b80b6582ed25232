#pragma once

#include <QAccessibleWidget>
#include <QHash>

class PaintedList;

// The accessible side of a PaintedList: the list is a list, and every button
// of every row is a child of it (role Button, the delegate's name, the record
// it acts on as description, disabled and focused states, a press action), so
// that screen readers and tests find the painted buttons as they find widget
// buttons. A row the delegate names,
// or any row of a list with swipe actions, is a child too (role ListItem,
// ahead of its buttons), whose actions are the row's swipe actions.
class PaintedListAccessible : public QAccessibleWidget {
public:
    explicit PaintedListAccessible(PaintedList* list);
    ~PaintedListAccessible() override;

    // Installs the factory that gives every PaintedList this interface (once).
    static void install();
    // Tells an active screen reader which button took the keyboard focus.
    static void notifyFocus(PaintedList* list, const QString& id, const QString& key);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    PaintedList* list() const;
    // The child for one button (made on first use, then kept).
    QAccessibleInterface* buttonChild(const QString& id, const QString& key) const;

private:
    mutable QHash<QString, QAccessible::Id> children_;
};
