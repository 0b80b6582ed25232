#pragma once

#include <QAccessible>
#include <QList>
#include <QString>
#include <QWidget>
#include <ostream>

// What assistive technology gets from a window: every element under a
// widget's accessible interface, walked as a screen reader walks it (children
// recursively), with the texts it would read.
namespace accessibletree {

struct Element {
    QAccessible::Role role = QAccessible::NoRole;
    QString name;
    QString description;
    QString value;
    bool operator==(const Element&) const = default;
};

inline void walk(QAccessibleInterface* node, QList<Element>& out, int depth = 0) {
    if (!node || depth > 64) return;
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (!child || !child->isValid()) continue;
        out.append({child->role(), child->text(QAccessible::Name), child->text(QAccessible::Description),
                    child->text(QAccessible::Value)});
        walk(child, out, depth + 1);
    }
}

inline QList<Element> elements(QWidget* root) {
    QList<Element> out;
    walk(QAccessible::queryAccessibleInterface(root), out);
    return out;
}

inline std::ostream& operator<<(std::ostream& os, const Element& e) {
    return os << "{role " << int(e.role) << ", \"" << e.name.toStdString() << "\", \"" << e.description.toStdString()
              << "\", \"" << e.value.toStdString() << "\"}";
}

}  // namespace accessibletree
