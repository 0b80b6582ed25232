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
// An input's sheet of its own, and the sheet last set on the input.
const char* const kOwnSheetProperty = "zanbeckOwnSheet";
const char* const kAppliedProperty = "zanbeckAppliedSheet";
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
    // The text field inside a spin box, date field or combo box is drawn as
    // part of it, from the sheet it inherits.
    if (qobject_cast<const QLineEdit*>(widget) && widget->parentWidget() &&
        (qobject_cast<const QAbstractSpinBox*>(widget->parentWidget()) ||
         qobject_cast<const QComboBox*>(widget->parentWidget())))
        return false;
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QComboBox*>(widget) || qobject_cast<const QScrollBar*>(widget);
}

void InputStyler::setSheet(const QString& sheet, const QString& textColours) {
    if (sheet == sheet_ && textColours == textColours_) return;
    sheet_ = sheet;
    textColours_ = textColours;
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->property(kStyledProperty).toBool())
            style(widget);
        else if (!widget->styleSheet().isEmpty())
            // A sheet of the widget's own keeps the colours it was polished
            // with: polished again, it takes the new theme's.
            widget->setStyleSheet(widget->styleSheet());
    }
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
    // A sheet set on the widget by its screen (a borderless field) decides
    // its look, as it did over the application's sheet; only the text
    // colours come from the theme. A sheet of declarations alone is left be.
    QString own = widget->property(kOwnSheetProperty).toString();
    const QString current = widget->styleSheet();
    if (!current.isEmpty() && current != widget->property(kAppliedProperty).toString()) own = current;
    if (!own.isEmpty() && !own.contains(u'{')) return;
    const QString target = own.isEmpty() ? sheet_ : textColours_ + own;
    widget->setProperty(kStyledProperty, true);
    widget->setProperty(kOwnSheetProperty, own);
    widget->setProperty(kAppliedProperty, target);
    if (current != target) widget->setStyleSheet(target);
}
