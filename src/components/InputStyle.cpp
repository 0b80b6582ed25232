#include "components/InputStyle.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextEdit>

namespace {
// Marks the widgets that carry the sheet, so a change of theme finds them.
const char* const kStyledProperty = "zanbeckInputSheet";
}  // namespace

InputStyler::InputStyler(QApplication& app) : QObject(&app) {
    setObjectName(QStringLiteral("inputStyler"));
    app.installEventFilter(this);
}

InputStyler& InputStyler::of(QApplication& app) {
    if (auto* styler = app.findChild<InputStyler*>(QString(), Qt::FindDirectChildrenOnly)) return *styler;
    return *new InputStyler(app);
}

bool InputStyler::takesInputStyle(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QComboBox*>(widget) || qobject_cast<const QScrollBar*>(widget);
}

void InputStyler::setSheet(const QString& sheet) {
    if (sheet == sheet_) return;
    const QString previous = sheet_;
    sheet_ = sheet;
    for (QWidget* widget : QApplication::allWidgets())
        if (widget->property(kStyledProperty).toBool() && widget->styleSheet() == previous) style(widget);
}

bool InputStyler::eventFilter(QObject* watched, QEvent* event) {
    // Polish comes before Qt's own polishing reads the widget's style, so the
    // sheet is in place for the first drawing.
    if (event->type() == QEvent::Polish && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (takesInputStyle(widget)) style(widget);
    }
    return QObject::eventFilter(watched, event);
}

void InputStyler::style(QWidget* widget) const {
    // A widget with a sheet of its own (a borderless field) keeps it: that
    // sheet decides its look, as it did over the application's sheet.
    if (!widget->styleSheet().isEmpty() && !widget->property(kStyledProperty).toBool()) return;
    if (widget->styleSheet() == sheet_) return;
    widget->setProperty(kStyledProperty, true);
    widget->setStyleSheet(sheet_);
}
