#include "components/DateField.h"

#include <QDateTimeEdit>
#include <QEvent>
#include <QFontMetricsF>
#include <QLineEdit>
#include <cmath>

namespace {

// QLineEdit keeps this much on either side of its text, and a cursor's width.
constexpr int kLineEditMargin = 2;
constexpr int kCursor = 1;

class WholeValue : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Show:
            case QEvent::Resize:
            case QEvent::FontChange:
            case QEvent::StyleChange:
                if (auto* field = qobject_cast<QDateTimeEdit*>(watched)) {
                    const int needed = DateField::wholeValueWidth(*field);
                    if (needed > field->minimumWidth()) field->setMinimumWidth(needed);
                }
                break;
            default:
                break;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

namespace DateField {

int wholeValueWidth(const QDateTimeEdit& field) {
    const auto* edit = field.findChild<QLineEdit*>();
    if (!edit || edit->width() <= 0 || field.width() <= 0) return 0;
    // Everything around the text as the field is drawn now: padding, frame, chevron.
    const int chrome = field.width() - edit->contentsRect().width();
    const QMargins margins = edit->textMargins();
    // The value as the display format writes it; every digit as wide as the widest.
    QString widest = field.text();
    for (QChar& ch : widest)
        if (ch.isDigit()) ch = QLatin1Char('0');
    const QFontMetricsF metrics(edit->font());
    const qreal text = std::max(metrics.horizontalAdvance(widest), metrics.horizontalAdvance(field.text()));
    return chrome + margins.left() + margins.right() + 2 * kLineEditMargin + kCursor +
           static_cast<int>(std::ceil(text));
}

void showWholeValue(QDateTimeEdit* field) {
    if (field->findChild<WholeValue*>(QString(), Qt::FindDirectChildrenOnly)) return;
    field->installEventFilter(new WholeValue(field));
}

}  // namespace DateField
